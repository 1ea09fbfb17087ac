#pragma once
// The GPS receiver's serial port and `gpsPortLock`, which the GPS thread
// holds around each read and the main thread around opening and closing, so
// the handle is never closed during a read. Each side waits at most 10 s.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

#include "platform/serial_port.h"

namespace veltrin {

class MessageBoxes;

inline constexpr const char* kGpsPortErrorCaption = "Corvane - GPS COM-port error";

class GpsPort {
public:
    static constexpr std::chrono::milliseconds kLockWait{10000};
    static constexpr std::size_t kReadMax = 1020;

    explicit GpsPort(std::chrono::milliseconds lockWait = kLockWait) : lockWait_(lockWait) {}

    // Main thread. Closes what is open, then opens `path` at `baud` for
    // reading and raises DTR, then RTS. A failure is shown in a message box
    // and leaves the port closed; false then.
    bool open(const std::string& path, int baud, MessageBoxes& boxes);
    // Main thread. False when the lock could not be had (the handle stays).
    bool close();
    bool isOpen() const { return open_.load(std::memory_order_acquire); }

    // GPS thread: one read under the lock. The count, 0 when nothing came or
    // the lock could not be had, -1 when the device failed.
    long read(char* buffer, std::size_t max);

private:
    std::unique_lock<std::timed_mutex> lock();
    void closeLocked();

    std::chrono::milliseconds lockWait_;
    std::timed_mutex gpsPortLock_;
    SerialPort port_;
    std::atomic<bool> open_{false};
};

}  // namespace veltrin
