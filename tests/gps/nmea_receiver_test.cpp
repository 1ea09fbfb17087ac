// Sentences into status lines and fixes, as the GPS thread reads them.
#include "gps/nmea_receiver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gps/nmea_test_util.h"

namespace veltrin {
namespace {

using test::nmea;

const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
const std::string kFixLine =
    "UTC: 23.03.94 12:35:19 Lat: 48.117300 Lon: 11.516667 Alt: 545.4 Speed: 41.5 km/h Course: 84.4 Sats: 8  "
    "Hdop: 0.9 ";

struct Published {
    std::string text;
    bool hasFix = false;
    GpsFix fix{};
};

class Recorder : public GpsStatusSink {
public:
    void publish(const std::string& text, const GpsFix* fix) override
    {
        Published p{text, fix != nullptr, fix ? *fix : GpsFix{}};
        lines.push_back(p);
    }
    std::vector<Published> lines;
};

class NmeaReceiver : public ::testing::Test {
protected:
    void feed(const std::string& bytes) { receiver.feedBytes(bytes.data(), bytes.size()); }
    std::string last() const { return sink.lines.empty() ? std::string() : sink.lines.back().text; }

    std::uint32_t now = 5000;
    Recorder sink;
    GpsReceiver receiver{sink, [this] { return now; }};
};

TEST_F(NmeaReceiver, GgaThenRmcPublishesTheFixAtItsRmc)
{
    feed(kGga);
    EXPECT_TRUE(sink.lines.empty());
    feed(kRmc);
    ASSERT_FALSE(sink.lines.empty());
    EXPECT_EQ(sink.lines.front().text, "No fix ");  // the state before this RMC
    EXPECT_EQ(last(), kFixLine);
    ASSERT_TRUE(sink.lines.back().hasFix);
    const GpsFix& f = sink.lines.back().fix;
    EXPECT_EQ(f.day, 23);
    EXPECT_EQ(f.month, 3);
    EXPECT_EQ(f.year, 94);
    EXPECT_DOUBLE_EQ(f.timeOfDay, 12 * 3600 + 35 * 60 + 19);
    EXPECT_NEAR(f.latitude, 48.1173, 1e-9);
    EXPECT_NEAR(f.longitude, 11.0 + 31.0 / 60.0, 1e-9);
    EXPECT_DOUBLE_EQ(f.altitude, 545.4);
    EXPECT_EQ(f.satellites, 8);
}

TEST_F(NmeaReceiver, RmcBeforeGgaIsPublishedCompleteAtTheNextRmc)
{
    feed(nmea("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"));
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(last(), "No fix ");
    feed(nmea("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"));
    EXPECT_EQ(sink.lines.size(), 1u);
    feed(nmea("GPRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"));
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(last(), kFixLine);
    EXPECT_DOUBLE_EQ(sink.lines.back().fix.altitude, 545.4);
}

TEST_F(NmeaReceiver, GgaPartnerTooFarAwayGivesUnknownAltitude)
{
    feed(nmea("GPGGA,123521,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"));
    feed(kRmc);  // 2 s before its only GGA: nothing to pair with yet
    EXPECT_EQ(last(), "No fix ");
    feed(nmea("GPRMC,123525,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"));
    EXPECT_EQ(last(),
              "UTC: 23.03.94 12:35:19 Lat: 48.117300 Lon: 11.516667 Alt: ??? Speed: 41.5 km/h Course: 84.4 "
              "Sats: -1  Hdop: -1.0 ");
}

TEST_F(NmeaReceiver, VoidRmcShowsTheTimeWithTheSatellitesLastKnown)
{
    feed(kGga);
    feed(kRmc);
    feed(nmea("GPRMC,123520,V,,,,,,,230394,,,N"));
    EXPECT_EQ(last(), kFixLine);  // the last complete fix, once more
    feed(nmea("GPRMC,123521,V,,,,,,,230394,,,N"));
    EXPECT_EQ(last(), "UTC: 12:35:20  No fix Sats: 8  ");
}

TEST_F(NmeaReceiver, GgaWithoutFixEmptiesItsSlot)
{
    feed(nmea("GPGGA,123519,4807.038,N,01131.000,E,0,05,,,M,,M,,"));
    EXPECT_DOUBLE_EQ(receiver.ggaSlot(1).timeOfDay, -1000.0);
    EXPECT_EQ(receiver.ggaSlot(1).satellites, 5);  // stored all the same
    feed(kRmc);
    EXPECT_EQ(last(), "No fix ");  // nothing paired at once
}

TEST_F(NmeaReceiver, DollarEndsASentenceWithoutLineEnd)
{
    feed(kGga.substr(0, kGga.size() - 2) + kRmc);
    EXPECT_EQ(last(), kFixLine);
}

TEST_F(NmeaReceiver, LfOnlyLineEndsAndGnTalkersAreRead)
{
    feed(nmea("GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "\n"));
    feed(nmea("GNRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", "\n"));
    EXPECT_EQ(last(), kFixLine);
}

TEST_F(NmeaReceiver, SentencesThatAreDroppedChangeNothing)
{
    feed(kGga);
    feed(kRmc);
    const std::size_t published = sink.lines.size();
    const std::string longLine = "$GPRMC," + std::string(300, '1') + "*00\r\n";
    const std::vector<std::string> dropped = {
        "$BDGGA,123520,4807.038,N,01131.000,E,1,12,0.5,9.9,M,46.9,M,,*4A\r\n",  // not a G talker
        nmea("BDRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"),
        "$GPRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B\r\n",  // wrong checksum
        "$GPRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W\r\n",     // none
        "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74\r\n",   // not read
        longLine,
        std::string("\x01\xff garbage \x80\x7f\r\n\r\n", 17),
        "$G\r\n",
    };
    for (const std::string& s : dropped)
        feed(s);
    EXPECT_EQ(sink.lines.size(), published);
    EXPECT_DOUBLE_EQ(receiver.ggaSlot(0).altitude, -99999.99);  // the BDGGA did not fill it
}

TEST_F(NmeaReceiver, MalformedFieldsRejectTheFix)
{
    const std::vector<std::string> bodies = {
        "GPRMC,123519,A,4807.038,X,01131.000,E,022.4,084.4,230394,003.1,W",   // hemisphere
        "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,23039,003.1,W",    // date of 5
        "GPRMC,123519,A,48a7.038,N,01131.000,E,022.4,084.4,230394,003.1,W",   // degrees
        "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394",           // date at the end
        "GPRMC,,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",         // no time
    };
    for (const std::string& body : bodies) {
        Recorder sink2;
        GpsReceiver r(sink2);
        const std::string bytes = nmea(body) + nmea(body);
        r.feedBytes(bytes.data(), bytes.size());
        ASSERT_FALSE(sink2.lines.empty()) << body;
        for (const Published& p : sink2.lines) {
            EXPECT_EQ(p.text.find("Lat:"), std::string::npos) << body;
            EXPECT_FALSE(p.hasFix) << body;
        }
    }
}

TEST_F(NmeaReceiver, SouthAndWestAreNegativeAndEmptySpeedIsZero)
{
    feed(nmea("GPGGA,000001.50,3352.500,S,15112.750,W,2,11,1.2,-12.5,M,,M,,"));
    feed(nmea("GPRMC,000001.50,A,3352.500,S,15112.750,W,,,010126,,"));
    ASSERT_TRUE(sink.lines.back().hasFix);
    const GpsFix& f = sink.lines.back().fix;
    EXPECT_NEAR(f.latitude, -33.875, 1e-9);
    EXPECT_NEAR(f.longitude, -151.2125, 1e-9);
    EXPECT_DOUBLE_EQ(f.speedKmh, 0.0);
    EXPECT_DOUBLE_EQ(f.altitude, -12.5);
    EXPECT_DOUBLE_EQ(f.seconds, 1.5);
    EXPECT_NE(last().find("Alt: -12.5 "), std::string::npos);
}

TEST(NmeaChecksum, HexAfterTheStarMustEqualTheXor)
{
    struct Case {
        const char* line;
        bool accepted;
    };
    const Case cases[] = {
        {"$AA*00", true},   // XOR 0, written as 0
        {"$AA*0", true},
        {"$AA*", false},    // nothing after the star
        {"$AA*x0", false},
        {"$AB*03", true},
        {"$AB*3", true},
        {"$AB*04", false},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", true},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*4a", false},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6a", true},  // lower case
        {"GPRMC*00", false},  // no "$"
        {"$AB", false},       // no star
        {"$AB*0000000003", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkNmeaChecksum(c.line), c.accepted) << c.line;
}

TEST_F(NmeaReceiver, NoDataIsReportedEveryTenSecondsWithoutRmc)
{
    now += 10000;
    EXPECT_FALSE(receiver.noDataPeriodElapsed());
    now += 1;
    EXPECT_TRUE(receiver.noDataPeriodElapsed());
    EXPECT_FALSE(receiver.noDataPeriodElapsed());
    now += 9000;
    feed(kRmc);  // an RMC restarts the period
    now += 9000;
    EXPECT_FALSE(receiver.noDataPeriodElapsed());
    now += 2000;
    EXPECT_TRUE(receiver.noDataPeriodElapsed());
}

}  // namespace
}  // namespace veltrin
