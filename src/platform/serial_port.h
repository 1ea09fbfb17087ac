#pragma once
// A serial port on a device path through termios: raw 8N1 at a chosen speed,
// no flow control, reads that return what is buffered or wait at most 100 ms
// for the first byte, and the DTR and RTS lines that receivers and radios
// take their power or keying from.
#include <cstddef>
#include <string>

namespace veltrin {

// The step at which opening failed, in the order they run.
enum class SerialOpenResult {
    Ok,
    OpenFailed,         // no such device, busy, no permission, not a device
    BufferSetupFailed,  // the driver's buffers could not be set up
    GetStateFailed,     // not a terminal: its line settings cannot be read
    SetStateFailed,     // the line settings (speed included) were refused
    TimeoutsFailed,     // the read time-outs were refused
};

enum class SerialAccess { ReadOnly, ReadWrite };

// The message-box text of a failed open, in the wording users know from
// serial-port errors ("COM-port open error!"); empty for Ok.
const char* serialOpenErrorText(SerialOpenResult result);

// True when termios offers this speed in baud; `speed` receives its constant.
bool serialSpeedSupported(int baud, unsigned* speed = nullptr);

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort() { close(); }
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens an existing device for this process alone; a port already open
    // is closed first. On failure the port stays closed.
    SerialOpenResult open(const std::string& path, int baud, SerialAccess access = SerialAccess::ReadOnly);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // At most `max` bytes: what is buffered at once, or the first bytes within
    // 100 ms. Returns the count, 0 when nothing came, -1 when the device
    // failed (unplugged, the other end of a pseudo-terminal closed).
    long read(void* buffer, std::size_t max);

    // Sets or clears the two output lines. False where the device has none
    // (a pseudo-terminal).
    bool setDtr(bool on);
    bool setRts(bool on);
    // The TIOCM_* bits of the modem lines, or -1 where the device has none.
    int modemLines() const;

private:
    bool setLine(int bit, bool on);

    int fd_ = -1;
};

}  // namespace veltrin
