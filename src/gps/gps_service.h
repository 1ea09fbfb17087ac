#pragma once
// The GPS receiver of the station: the port, the NMEA reading and the
// hand-over to the main thread put together. openGpsPort, closeGpsPort and
// takeOverGpsFix run on the main thread; threadTurn is the GPS thread's work,
// called again and again with a short pause between calls.
#include <chrono>
#include <mutex>
#include <string>

#include "gps/gps_fix.h"
#include "gps/gps_link.h"
#include "gps/gps_port.h"
#include "gps/nmea_receiver.h"

namespace veltrin {

struct Settings;
class MessageBoxes;

class GpsService {
public:
    static constexpr std::chrono::milliseconds kOffTextPeriod{1000};

    GpsService(Settings& settings, MessageBoxes& boxes, WindowMessagePoster* poster,
               GpsReceiver::TickSource ticks = {});

    // The two texts the thread shows by itself; the built-in ones until set.
    void setStatusTexts(const std::string& gpsIsOff, const std::string& noDataFromGps);

    // (Re)opens the port of the settings' `gpsPort` at `gpsSpeed`; port 0 (or
    // out of 1..99) means no GPS. A failure sets `gpsPort` to 0.
    void openGpsPort();
    void closeGpsPort();
    bool portOpen() const { return port_.isOpen(); }

    // On WM_GPS_TEXT: the status line to show; a fix waiting in the mailbox
    // becomes `own`.
    std::string takeOverGpsFix(GpsFix& own);

    // GPS thread.
    void threadTurn();

    GpsLink& link() { return link_; }

private:
    std::string offText() const;
    std::string noDataText() const;

    Settings& settings_;
    MessageBoxes& boxes_;
    GpsLink link_;
    GpsPort port_;
    GpsReceiver receiver_;
    mutable std::mutex textsLock_;
    std::string gpsIsOffText_ = "GPS is switched OFF";
    std::string noDataText_ = "No data from GPS ";
    std::chrono::steady_clock::time_point lastOffText_{};
    char readBuffer_[GpsPort::kReadMax];
};

}  // namespace veltrin
