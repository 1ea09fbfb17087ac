#include "gps/gps_link.h"

#include <algorithm>

namespace veltrin {

void GpsLink::publish(const std::string& text, const GpsFix* fix)
{
    {
        std::lock_guard<std::mutex> lock(textLock_);
        gpsText_.assign(text, 0, std::min(text.size(), kTextCapacity - 1));
    }
    if (fix && gpsFixPending_.load(std::memory_order_acquire) == 0) {
        gpsFixHandoff_ = *fix;
        gpsFixPending_.store(1, std::memory_order_release);
    }
    if (WindowMessagePoster* poster = poster_.load(std::memory_order_acquire))
        poster->postWindowMessage(WM_GPS_TEXT, 0);
}

bool GpsLink::takeOver(std::string& text, GpsFix& own)
{
    text = this->text();
    if (gpsFixPending_.load(std::memory_order_acquire) != 1)
        return false;
    own = gpsFixHandoff_;
    gpsFixPending_.store(0, std::memory_order_release);
    return true;
}

std::string GpsLink::text() const
{
    std::lock_guard<std::mutex> lock(textLock_);
    return gpsText_;
}

}  // namespace veltrin
