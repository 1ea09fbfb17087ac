#include "platform/clock.h"

#include <cstdio>
#include <mutex>
#include <string_view>

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

bool parseDateTime(const std::string& text, bool utc, std::time_t& out)
{
    int year, month, day, hour, minute, second;
    char separator = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month, &day, &separator, &hour,
                    &minute, &second, &used) != 7)
        return false;
    const std::string_view rest = std::string_view(text).substr(static_cast<std::size_t>(used));
    if ((separator != ' ' && separator != 'T') || !(rest.empty() || (utc && rest == "Z")))
        return false;
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const std::time_t t = utc ? timegm(&tm) : std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) || tm.tm_mday != day || tm.tm_mon != month - 1)
        return false;
    out = t;
    return true;
}

}  // namespace veltrin
