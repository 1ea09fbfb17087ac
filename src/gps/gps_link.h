#pragma once
// What the GPS thread hands to the main thread: the status line it last
// wrote (whole, never half-written) and a one-slot mailbox for the latest
// fix. Only the GPS thread fills the mailbox, and only while it is empty;
// only the main thread empties it.
#include <atomic>
#include <mutex>
#include <string>

#include "gps/gps_fix.h"
#include "gps/nmea_receiver.h"
#include "platform/window_messages.h"

namespace veltrin {

class GpsLink : public GpsStatusSink {
public:
    static constexpr std::size_t kTextCapacity = 2048;  // terminator included

    // Posts WM_GPS_TEXT for each status line; may be null (tests).
    explicit GpsLink(WindowMessagePoster* poster = nullptr) : poster_(poster) {}
    void setPoster(WindowMessagePoster* poster) { poster_.store(poster, std::memory_order_release); }

    // GPS thread: a status line, and with a complete fix the fix.
    void publish(const std::string& text, const GpsFix* fix) override;
    // GPS thread: a status line without a fix (port off, no data).
    void publishText(const std::string& text) { publish(text, nullptr); }

    // Main thread, on WM_GPS_TEXT: the current line; a fix waiting in the
    // mailbox goes into `own` and the mailbox is emptied. True when it did.
    bool takeOver(std::string& text, GpsFix& own);

    std::string text() const;
    bool fixPending() const { return gpsFixPending_.load(std::memory_order_acquire) != 0; }

private:
    mutable std::mutex textLock_;
    std::string gpsText_;
    std::atomic<int> gpsFixPending_{0};
    GpsFix gpsFixHandoff_{};
    std::atomic<WindowMessagePoster*> poster_;
};

}  // namespace veltrin
