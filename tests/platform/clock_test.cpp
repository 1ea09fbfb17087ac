#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/clock.h"

using namespace veltrin;

TEST(Clock, ParseDateTimeCases)
{
    struct Case {
        const char* text;
        bool utc;
        bool ok;
        std::time_t value;
    } cases[] = {
        {"2022-03-15 12:34:56", true, true, 1647347696},
        {"2022-03-15T12:34:56", true, true, 1647347696},
        {"2022-03-15T12:34:56Z", true, true, 1647347696},
        {"2022-03-15 12:34:56Z", false, false, 0},  // "Z" only where the time is UTC
        {"1970-01-01 00:00:00", true, true, 0},
        {"2022-04-31 00:00:00", true, false, 0},     // no such day
        {"2022-02-29 00:00:00", true, false, 0},
        {"2024-02-29 23:59:59", true, true, 1709251199},
        {"2022-03-15 24:00:00", true, false, 0},
        {"2022-03-15 12:34", true, false, 0},
        {"2022-03-15 12:34:56 extra", true, false, 0},
        {"1969-12-31 23:59:59", true, false, 0},
        {"", true, false, 0},
    };
    for (const Case& c : cases) {
        std::time_t t = 12345;
        EXPECT_EQ(parseDateTime(c.text, c.utc, t), c.ok) << c.text;
        EXPECT_EQ(t, c.ok ? c.value : 12345) << c.text;  // untouched when refused
    }
}

TEST(Clock, SourceCanBeReplacedAndRestored)
{
    setClockSource([] { return std::time_t{1647388805}; });  // 2022-03-16 00:00:05 UTC
    const CalendarTime c = currentCalendarTime(true);
    EXPECT_EQ(c.year, 2022);
    EXPECT_EQ(c.month, 3);
    EXPECT_EQ(c.day, 16);
    EXPECT_EQ(c.second, 5);
    setClockSource(nullptr);
    EXPECT_GT(clockNow(), std::time_t{1647388805});
}
