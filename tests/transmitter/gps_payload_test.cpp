#include "modem/gps_payload.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace veltrin {
namespace {

// The position of the known GPS recording (Santiago, 2024-04-05 19:34:38 UTC),
// as sent by an independent transmitter.
constexpr std::array<std::uint8_t, 24> kKnownPayload = {
    0x4e, 0x52, 0x10, 0x66, 0x29, 0x5c, 0x8f, 0xea, 0x71, 0x3d, 0x0a, 0xd3,
    0x6a, 0x01, 0x0e, 0x6a, 0x1c, 0x02, 0x30, 0x00, 0x9f, 0x15, 0xbd, 0x95};

TEST(GpsPayload, ReadsKnownPayloadFields)
{
    const GpsPayload g = GpsPayload::fromBytes(kKnownPayload.data());
    EXPECT_EQ(g.fixTime, 1712345678u);
    EXPECT_NEAR(g.latitude * kGpsDegreesPerUnit, -33.5, 1e-6);
    EXPECT_NEAR(g.longitude * kGpsDegreesPerUnit, -70.25, 1e-6);
    EXPECT_EQ(g.speed, 362);
    EXPECT_EQ(g.course, 27150);
    EXPECT_EQ(g.altitude, 540);
    EXPECT_EQ(g.accuracy, 48);
    EXPECT_EQ(gpsPositionQuality(kKnownPayload.data()), 2);
}

TEST(GpsPayload, SealedFieldsRoundTripToTheSameBytes)
{
    GpsPayload g = GpsPayload::fromBytes(kKnownPayload.data());
    const std::uint16_t pos = g.positionCheck, mot = g.motionCheck;
    g.positionCheck = g.motionCheck = 0;
    g.sealChecks();
    EXPECT_EQ(g.positionCheck, pos);
    EXPECT_EQ(g.motionCheck, mot);
    std::array<std::uint8_t, 24> out{};
    g.toBytes(out.data());
    EXPECT_EQ(out, kKnownPayload);
}

TEST(GpsPayload, NegativeAltitudeAndExtremesSurviveTheRoundTrip)
{
    GpsPayload g;
    g.fixTime = 0xFFFFFFFFu;
    g.latitude = INT32_MIN;
    g.longitude = INT32_MAX;
    g.altitude = -9999;
    g.speed = 65535;
    g.sealChecks();
    std::array<std::uint8_t, 24> b{};
    g.toBytes(b.data());
    const GpsPayload r = GpsPayload::fromBytes(b.data());
    EXPECT_EQ(r.fixTime, g.fixTime);
    EXPECT_EQ(r.latitude, g.latitude);
    EXPECT_EQ(r.longitude, g.longitude);
    EXPECT_EQ(r.altitude, -9999);
    EXPECT_EQ(r.speed, 65535);
    EXPECT_EQ(gpsPositionQuality(b.data()), 2);
}

TEST(GpsPayload, QualityFollowsTheChecks)
{
    struct Case {
        const char* what;
        int byteToFlip;  // -1: none
        bool zeroTime;
        int quality;
    };
    const Case cases[] = {
        {"intact", -1, false, 2},
        {"motion field damaged", 13, false, 1},
        {"motion check damaged", 23, false, 1},
        {"latitude damaged", 5, false, 0},
        {"position check damaged", 20, false, 0},
        {"no fix time", -1, true, 0},
    };
    for (const Case& c : cases) {
        GpsPayload g = GpsPayload::fromBytes(kKnownPayload.data());
        if (c.zeroTime) {
            g.fixTime = 0;
            g.sealChecks();  // even with valid checks, time 0 means no position
        }
        std::array<std::uint8_t, 24> b{};
        g.toBytes(b.data());
        if (c.byteToFlip >= 0)
            b[c.byteToFlip] ^= 0x10;
        EXPECT_EQ(gpsPositionQuality(b.data()), c.quality) << c.what;
    }
}

}  // namespace
}  // namespace veltrin
