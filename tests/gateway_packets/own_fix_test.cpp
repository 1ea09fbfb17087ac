#include "gps/gps_fix.h"

#include <gtest/gtest.h>

#include "messages/message_fixture.h"
#include "platform/clock.h"

namespace veltrin::test {
namespace {

struct OwnFixTest : ::testing::Test {
    void TearDown() override { setClockSource({}); }
};

TEST_F(OwnFixTest, UtcDateAndTimeOfTheClockAndTheDefaultPosition)
{
    struct Row {
        std::time_t now;
        int day, month, year, hour, minute;
        double seconds;
    };
    const Row rows[] = {
        {1700000000, 14, 11, 23, 22, 13, 20.0},
        {utcTime(2000, 1, 1, 0, 0, 0), 1, 1, 0, 0, 0, 0.0},
        {utcTime(2099, 12, 31, 23, 59, 59), 31, 12, 99, 23, 59, 59.0},
        {utcTime(1999, 2, 28, 12, 30, 7), 28, 2, 99, 12, 30, 7.0},
    };
    for (const Row& r : rows) {
        setClockSource([t = r.now] { return t; });
        GpsFix own;
        own.satellites = 9;
        own.timeOfDay = 123.0;
        own.speedKmh = 40.0;
        own.altitude = 250.0;
        own.course = 90.0;
        own.hdop = 1.2;
        initOwnFix(own, -33.5, 151.25);
        EXPECT_EQ(own.day, r.day) << r.now;
        EXPECT_EQ(own.month, r.month) << r.now;
        EXPECT_EQ(own.year, r.year) << r.now;
        EXPECT_EQ(own.hour, r.hour) << r.now;
        EXPECT_EQ(own.minute, r.minute) << r.now;
        EXPECT_EQ(own.seconds, r.seconds) << r.now;
        EXPECT_EQ(own.latitude, -33.5);
        EXPECT_EQ(own.longitude, 151.25);
        // Everything else is back to zero.
        EXPECT_EQ(own.satellites, 0);
        EXPECT_EQ(own.timeOfDay, 0.0);
        EXPECT_EQ(own.speedKmh, 0.0);
        EXPECT_EQ(own.altitude, 0.0);
        EXPECT_EQ(own.course, 0.0);
        EXPECT_EQ(own.hdop, 0.0);
    }
}

}  // namespace
}  // namespace veltrin::test
