#include "gps/gps_fix.h"

#include <chrono>

#include "platform/clock.h"

namespace veltrin {

namespace {

// The project clock counts whole seconds. The fraction comes from the system
// clock while the project clock follows it; a replaced clock source gives
// whole seconds, so that its times stay exact.
double millisecondFraction(std::time_t projectNow)
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    if (system_clock::to_time_t(now) != projectNow)
        return 0.0;
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return static_cast<double>(ms) / 1000.0;
}

}  // namespace

void initOwnFix(GpsFix& own, double defLat, double defLon)
{
    own = GpsFix{};
    const std::time_t now = clockNow();
    const CalendarTime c = calendarTime(now, true);
    own.day = static_cast<std::uint8_t>(c.day);
    own.month = static_cast<std::uint8_t>(c.month);
    own.year = static_cast<std::uint8_t>(c.year % 100);
    own.hour = static_cast<std::uint8_t>(c.hour);
    own.minute = static_cast<std::uint8_t>(c.minute);
    own.seconds = c.second + millisecondFraction(now);
    own.latitude = defLat;
    own.longitude = defLon;
}

}  // namespace veltrin
