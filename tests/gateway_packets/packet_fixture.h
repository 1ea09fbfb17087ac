#pragma once
// Received messages and a builder with its queue for the APRS packet tests.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "gateway/aprs_packets.h"
#include "gps/gps_fix.h"
#include "messages/message_fixture.h"
#include "platform/cp1251.h"

namespace veltrin::test {

inline constexpr std::time_t kFixTime = 1700000000;  // 2023-11-14 22:13:20 UTC

inline std::int32_t gpsUnits(double degrees)
{
    return static_cast<std::int32_t>(std::lround(degrees / kGpsDegreesPerUnit));
}

// The position of the worked example: 56.25 N 37.5 E, 50 km/h, course 90.
inline GpsPayload examplePosition()
{
    GpsPayload p;
    p.fixTime = static_cast<std::uint32_t>(kFixTime);
    p.latitude = 603979776;
    p.longitude = 402653184;
    p.speed = 500;
    p.course = 9000;
    p.sealChecks();
    return p;
}

// The example position moved and with another speed (0.1 km/h) and course
// (0.01 degree).
inline GpsPayload positionAt(double lat, double lon, std::uint16_t speed = 500, std::uint16_t course = 9000)
{
    GpsPayload p = examplePosition();
    p.latitude = gpsUnits(lat);
    p.longitude = gpsUnits(lon);
    p.speed = speed;
    p.course = course;
    p.sealChecks();
    return p;
}

struct AirMessage {
    Msg_header header;
    MessageBody body{};
};

// A message whose body is `bytes` (filler after them) with the right body CRC.
inline AirMessage messageOf(std::uint8_t type, std::uint8_t flags, std::uint16_t sender, const std::string& bytes)
{
    AirMessage m;
    m.body = bodyWith(bytes);
    m.header = headerFor(type, flags, m.body, static_cast<int>(std::min<std::size_t>(bytes.size(), 255)));
    m.header.sender = sender;
    return m;
}

inline AirMessage gpsMessage(const std::string& text, std::uint16_t sender = 12345,
                             const GpsPayload& p = examplePosition())
{
    return messageOf(6, 0x04, sender, gpsBytes(p, text));
}

inline AirMessage textMessage(const std::string& text, std::uint16_t sender = 12345)
{
    return messageOf(5, 0, sender, text);
}

// Windows-1251 bytes of UTF-8 source text.
inline std::string cp(const char* utf8) { return utf8ToCp1251(utf8); }

struct BuilderTest : ::testing::Test {
    Settings settings;
    AprsQueue queue;
    GpsFix own{};
    AprsPacketBuilder builder{settings, queue, own};

    void SetUp() override { settings.VeltrinEnabled = 1; }
    void TearDown() override { setClockSource({}); }

    int gate(const AirMessage& m, double errorRate = 2.4, int faults = 0)
    {
        return builder.gatePositionReport(m.header, m.body, "1.5Bd", errorRate, faults);
    }

    // Every queued packet with its station number, oldest first.
    std::vector<std::pair<std::string, int>> drain()
    {
        std::vector<std::pair<std::string, int>> out;
        std::string text;
        int station = 0;
        while (queue.pop(text, station))
            out.emplace_back(text, station);
        return out;
    }

    // The one packet a call queued; empty when it queued none or several.
    std::string onlyPacket()
    {
        const auto all = drain();
        return all.size() == 1 ? all[0].first : std::string();
    }
};

}  // namespace veltrin::test
