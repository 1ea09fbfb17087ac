#include "gps/gps_service.h"

#include "config/settings.h"
#include "platform/com_ports.h"

namespace veltrin {

GpsService::GpsService(Settings& settings, MessageBoxes& boxes, WindowMessagePoster* poster,
                       GpsReceiver::TickSource ticks)
    : settings_(settings), boxes_(boxes), link_(poster), receiver_(link_, std::move(ticks))
{
}

void GpsService::setStatusTexts(const std::string& gpsIsOff, const std::string& noDataFromGps)
{
    std::lock_guard<std::mutex> lock(textsLock_);
    gpsIsOffText_ = gpsIsOff;
    noDataText_ = noDataFromGps;
}

std::string GpsService::offText() const
{
    std::lock_guard<std::mutex> lock(textsLock_);
    return gpsIsOffText_;
}

std::string GpsService::noDataText() const
{
    std::lock_guard<std::mutex> lock(textsLock_);
    return noDataText_;
}

void GpsService::openGpsPort()
{
    closeGpsPort();
    const int number = settings_.gpsPort;
    if (number < kComPortMin || number > kComPortMax)
        return;
    if (!port_.open(comPortPath(number, settings_.comPortPaths), settings_.gpsSpeed, boxes_))
        settings_.gpsPort = 0;  // off until the user chooses a port again (and saved so)
}

void GpsService::closeGpsPort() { port_.close(); }

std::string GpsService::takeOverGpsFix(GpsFix& own)
{
    std::string text;
    link_.takeOver(text, own);
    return text;
}

void GpsService::threadTurn()
{
    if (!port_.isOpen()) {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastOffText_ >= kOffTextPeriod) {
            lastOffText_ = now;
            link_.publishText(offText());
        }
        return;
    }
    // Shown again every 10 s while no RMC sentence arrives.
    if (receiver_.noDataPeriodElapsed())
        link_.publishText(noDataText());
    const long count = port_.read(readBuffer_, sizeof readBuffer_);
    if (count > 0)
        receiver_.feedBytes(readBuffer_, static_cast<std::size_t>(count));
}

}  // namespace veltrin
