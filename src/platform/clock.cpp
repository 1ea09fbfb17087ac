#include "platform/clock.h"

#include <mutex>

namespace veltrin {

namespace {
std::mutex clockMutex;
std::function<std::time_t()>& source()
{
    static std::function<std::time_t()> s;
    return s;
}
}  // namespace

std::time_t clockNow()
{
    std::lock_guard<std::mutex> lock(clockMutex);
    if (source())
        return source()();
    return std::time(nullptr);
}

void setClockSource(std::function<std::time_t()> s)
{
    std::lock_guard<std::mutex> lock(clockMutex);
    source() = std::move(s);
}

CalendarTime calendarTime(std::time_t t, bool utc)
{
    std::tm tm{};
    if (utc)
        gmtime_r(&t, &tm);
    else
        localtime_r(&t, &tm);
    CalendarTime c;
    c.year = tm.tm_year + 1900;
    c.month = tm.tm_mon + 1;
    c.day = tm.tm_mday;
    c.hour = tm.tm_hour;
    c.minute = tm.tm_min;
    c.second = tm.tm_sec;
    return c;
}

CalendarTime currentCalendarTime(bool utc)
{
    return calendarTime(clockNow(), utc);
}

}  // namespace veltrin
