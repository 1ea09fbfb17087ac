#pragma once
// The one clock for every time of day the program uses (file names, time
// marks, log days, beacon periods). Tests and the offline decoder replace
// its source so that times are exact.
#include <ctime>
#include <functional>
#include <string>

namespace veltrin {

struct CalendarTime {
    int year = 1970;   // full year
    int month = 1;     // 1..12
    int day = 1;       // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Seconds since 1970-01-01 00:00 UTC from the current source.
std::time_t clockNow();
// Replace the source; an empty function restores the system clock.
void setClockSource(std::function<std::time_t()> source);

// Calendar fields of t, in UTC or in the local time zone.
CalendarTime calendarTime(std::time_t t, bool utc);
CalendarTime currentCalendarTime(bool utc);

// "YYYY-MM-DD hh:mm:ss" (a "T" may stand for the blank, and a final "Z" is
// allowed when utc is set) as seconds since 1970, read as UTC or local time.
// Dates that do not exist (31 April) are refused, not rolled over.
bool parseDateTime(const std::string& text, bool utc, std::time_t& out);

}  // namespace veltrin
