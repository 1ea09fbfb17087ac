#pragma once
// The transmitter keying port: a serial port whose DTR and RTS lines, or a
// parallel port whose data lines, carry up to two steady "power" lines for
// external equipment while the port is open. The PTT line only restricts the
// choice of the power lines, since the station only receives. Main thread.
#include <cstdint>
#include <memory>

#include "platform/parallel_port.h"
#include "platform/serial_port.h"

namespace veltrin {

struct Settings;
class MessageBoxes;

enum KeyingPortType { kKeyingNone = 0, kKeyingSerial = 1, kKeyingParallel = 2, kKeyingParallelTessival = 3 };

// The line lists: serial 0 "NONE", 1 "DTR", 2 "RTS"; parallel 0 "NONE",
// 1..8 the data lines D0..D7.
inline constexpr std::uint8_t kKeyingDtr = 1;
inline constexpr std::uint8_t kKeyingRts = 2;
inline constexpr int kKeyingLptAtAddress = 4;

inline constexpr const char* kKeyingSerialErrorCaption = "Veltrin - COM-port error";
inline constexpr const char* kKeyingDriverErrorCaption = " Error!";
inline constexpr const char* kKeyingDriverErrorText = "BRIGHTFOLDIO driver not found!";

struct KeyingValues {
    int type = kKeyingNone;
    int number = 1;
    int ptt = 2;
    int power1 = 0;
    int power2 = 0;
};

// The values as they are stored after the rules, and the power-line byte
// they give (serial: DTR 1, RTS 2; parallel: one bit per data line).
struct KeyingSetup {
    KeyingValues values;
    std::uint8_t powerLines = 0;
};
KeyingSetup normalizeKeying(KeyingValues v);
// The five values as the settings hold them.
KeyingValues keyingValuesOf(const Settings& settings);

class KeyingPort {
public:
    // `x64`: the system is marked 64-bit, where direct port access is refused.
    KeyingPort(Settings& settings, MessageBoxes& boxes, bool x64 = false,
               std::unique_ptr<ParallelPortAccess> parallel = std::make_unique<PpdevParallelPort>());
    ~KeyingPort();

    // Normalises and stores the values in the settings, then reopens the port.
    void configureKeyingPort(const KeyingValues& values);
    void openKeyingPort();
    void closeKeyingPort();

    bool serialOpen() const { return serial_.isOpen(); }
    int serialModemLines() const { return serial_.modemLines(); }
    bool driverUnavailable() const { return driverUnavailable_; }
    std::uint8_t powerLines() const { return powerLines_; }
    void setX64(bool x64);

private:
    bool isParallel() const;
    bool openDriver();

    Settings& settings_;
    MessageBoxes& boxes_;
    std::unique_ptr<ParallelPortAccess> parallel_;
    SerialPort serial_;
    std::uint8_t powerLines_ = 0;
    bool driverUnavailable_ = false;
};

}  // namespace veltrin
