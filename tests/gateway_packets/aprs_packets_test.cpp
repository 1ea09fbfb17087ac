#include "gateway/aprs_packets.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

#include "packet_fixture.h"

namespace veltrin::test {
namespace {

constexpr const char* kHead = "N0CALL-PG>PG3039,TCPIP*:;CRVG12345*142213z5615.00NP03730.00Ea";

using PositionTest = BuilderTest;

TEST_F(PositionTest, ReceivedPositionsBecomeTheseExactPackets)
{
    const GpsPayload slow = positionAt(56.25, 37.5, 10);
    GpsPayload badMotion = examplePosition();
    badMotion.motionCheck ^= 1;
    struct Row {
        const char* what;
        AirMessage message;
        double rate;
        int faults;
        std::string packet;
    };
    const Row rows[] = {
        {"worked example", gpsMessage("Hello"), 2.4, 0, std::string(kHead) + "090/027(1.5Bd/2%)Hello"},
        {"rate below 0.95 in tenths", gpsMessage("Hello"), 0.5, 0,
         std::string(kHead) + "090/027(1.5Bd/0.5%)Hello"},
        {"rate 0.95 rounds up", gpsMessage("Hello"), 0.95, 0, std::string(kHead) + "090/027(1.5Bd/1%)Hello"},
        {"rate 2.5 rounds up", gpsMessage("Hello"), 2.5, 0, std::string(kHead) + "090/027(1.5Bd/3%)Hello"},
        {"1.0 km/h is not moving", gpsMessage("Hello", 12345, slow), 2.4, 0, std::string(kHead) + "(1.5Bd/2%)Hello"},
        {"damaged motion drops the extension", gpsMessage("Hello", 12345, badMotion), 2.4, 0,
         std::string(kHead) + "(1.5Bd/2%)Hello"},
        {"south and west", gpsMessage("Hello", 12345, positionAt(-33.5, -70.25)), 2.4, 0,
         "N0CALL-PG>PG3039,TCPIP*:;CRVG12345*142213z3330.00SP07015.00Wa090/027(1.5Bd/2%)Hello"},
        {"call sign position", gpsMessage("#;N0CALL-10;Hi"), 2.4, 0,
         "N0CALL-10>APCRVG,TCPIP*:/142213z5615.00NP03730.00Ea090/027(1.5Bd/2%)Hi"},
        {"one-character SSID names an object", gpsMessage("#;N0CALL-9;Hi"), 2.4, 0,
         "N0CALL-PG>PG3039,TCPIP*:;N0CALL-9 *142213z5615.00NP03730.00Ea090/027(1.5Bd/2%)Hi"},
        {"name too short", gpsMessage("#;ABC;x"), 2.4, 0, std::string(kHead) + "090/027(1.5Bd/2%)#;ABC;x"},
        {"demo sender", gpsMessage("#;N0CALL-10;Hi", 65001), 2.4, 0,
         "N0CALL-PG>PGFDE9,TCPIP*:;CRVD65001*142213z5615.00NP03730.00Ea090/027(1.5Bd/2%) Corvane Demo - https://ve"},
        {"demo sender, no extension", gpsMessage("x", 65000, slow), 2.4, 0,
         "N0CALL-PG>PGFDE8,TCPIP*:;CRVD65000*142213z5615.00NP03730.00Ea(1.5Bd/2%) Corvane Demo - https://veltrin.e"},
        {"decoder faults", gpsMessage("#;N0CALL-10;Hi"), 2.4, 2,
         std::string(kHead) + "090/027(1.5Bd/2%)BAD CRC:#;N0CALL-10;Hi"},
        {"negative fault count", gpsMessage("Hello"), 2.4, -1, std::string(kHead) + "090/027(1.5Bd/2%)Hello"},
        {"low sender number", gpsMessage("Hi", 5), 2.4, 0,
         "N0CALL-PG>PG0005,TCPIP*:;CRVG00005*142213z5615.00NP03730.00Ea090/027(1.5Bd/2%)Hi"},
        {"Cyrillic and NUL", gpsMessage(cp("Щука") + std::string(1, '\0') + "!"), 2.4, 0,
         std::string(kHead) + "090/027(1.5Bd/2%)Schuka.!"},
        {"comment cut at 36 with extension", gpsMessage(std::string(40, 'c')), 2.4, 0,
         std::string(kHead) + "090/027(1.5Bd/2%)" + std::string(26, 'c')},
        {"comment cut at 43 without", gpsMessage(std::string(40, 'c'), 12345, slow), 2.4, 0,
         std::string(kHead) + "(1.5Bd/2%)" + std::string(33, 'c')},
        {"course 359.99 is north", gpsMessage("", 12345, positionAt(56.25, 37.5, 500, 35999)), 2.4, 0,
         std::string(kHead) + "000/027(1.5Bd/2%)"},
        {"course and knots round half up", gpsMessage("", 12345, positionAt(56.25, 37.5, 1852, 4550)), 2.4, 0,
         std::string(kHead) + "046/100(1.5Bd/2%)"},
        {"knots capped at 999", gpsMessage("", 12345, positionAt(56.25, 37.5, 65535, 0)), 2.4, 0,
         std::string(kHead) + "000/999(1.5Bd/2%)"},
        {"minutes that would print 60 carry", gpsMessage("", 12345, positionAt(56.9999999, -37.9999999)), 2.4, 0,
         "N0CALL-PG>PG3039,TCPIP*:;CRVG12345*142213z5700.00NP03800.00Wa090/027(1.5Bd/2%)"},
        {"poles and date line", gpsMessage("", 12345, positionAt(-90.0, 180.0)), 2.4, 0,
         "N0CALL-PG>PG3039,TCPIP*:;CRVG12345*142213z9000.00SP18000.00Ea090/027(1.5Bd/2%)"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(gate(r.message, r.rate, r.faults), kAprsQueued) << r.what;
        const auto all = drain();
        ASSERT_EQ(all.size(), 1u) << r.what;
        EXPECT_EQ(all[0].first, r.packet) << r.what;
        EXPECT_EQ(all[0].second, r.message.header.sender) << r.what;
    }
}

TEST_F(PositionTest, BodyCheckFailureMarksTheCommentAndIgnoresTheName)
{
    for (const int faultCount : {0, -1}) {
        AirMessage m = gpsMessage("#;N0CALL-10;Hi");
        m.header.bodyCrc ^= 0x0100;
        EXPECT_EQ(gate(m, 2.4, faultCount), kAprsQueued);
        EXPECT_EQ(onlyPacket(), std::string(kHead) + "090/027(1.5Bd/2%)BAD CRC:#;N0CALL-10;Hi") << faultCount;
    }
}

TEST_F(PositionTest, ShortAndOddLengthsNeverReadPastTheMessage)
{
    struct Row {
        const char* what;
        int length;
        std::string comment;
    };
    const Row rows[] = {
        {"no length", 0, "(1.5Bd/2%)"},
        {"inside the payload", 20, "(1.5Bd/2%)"},
        {"payload only", 24, "(1.5Bd/2%)"},
        {"one text byte", 25, "(1.5Bd/2%)H"},
        {"whole text", 29, "(1.5Bd/2%)Hello"},
        {"filler after the text", 40, "(1.5Bd/2%)Hello..........."},
    };
    for (const Row& r : rows) {
        AirMessage m = gpsMessage("Hello");
        m.header.length = static_cast<std::uint8_t>(r.length);
        m.header.bodyCrc = crc16(m.body.data(), static_cast<std::size_t>(r.length));
        EXPECT_EQ(gate(m), kAprsQueued) << r.what;
        EXPECT_EQ(onlyPacket(), std::string(kHead) + "090/027" + r.comment) << r.what;
    }
    // The name's closing ';' lies beyond the length: the name stands, the text is empty.
    AirMessage m = gpsMessage("#;N0CALL-10;Hi");
    m.header.length = 30;
    m.header.bodyCrc = crc16(m.body.data(), 30);
    EXPECT_EQ(gate(m), kAprsQueued);
    EXPECT_EQ(onlyPacket(), "N0CALL-10>APCRVG,TCPIP*:/142213z5615.00NP03730.00Ea090/027(1.5Bd/2%)");
}

TEST_F(PositionTest, UnusablePositionsQueueNothing)
{
    GpsPayload noTime = examplePosition();
    noTime.fixTime = 0;
    noTime.sealChecks();
    GpsPayload badPosition = examplePosition();
    badPosition.positionCheck ^= 0x8000;
    const AirMessage rows[] = {
        gpsMessage("Hi", 12345, noTime),
        gpsMessage("Hi", 12345, badPosition),
        gpsMessage("Hi", 12345, positionAt(90.01, 37.5)),
        gpsMessage("Hi", 12345, positionAt(56.25, -180.01)),
        gpsMessage("Hi", 65001, badPosition),
    };
    for (const AirMessage& m : rows)
        EXPECT_EQ(gate(m), kAprsNotUsable);
    EXPECT_TRUE(queue.empty());
}

using TextPacketTest = BuilderTest;

TEST_F(TextPacketTest, StatusAndCustomPacketsAndTheirResults)
{
    const std::string seventy = "#;N0CALL-10;" + std::string(70, 's');
    struct Row {
        const char* what;
        bool custom;
        AirMessage message;
        int result;
        std::string packet;  // when queued
    };
    const Row rows[] = {
        {"status", false, textMessage("#;N0CALL-10;Test status"), kAprsQueued, "N0CALL-10>APCRVG,TCPIP*:>Test status"},
        {"status cut at 62", false, textMessage(seventy), kAprsQueued,
         "N0CALL-10>APCRVG,TCPIP*:>" + std::string(62, 's')},
        {"status Shch dropped whole", false, textMessage("#;N0CALL-10;" + std::string(60, 'a') + cp("Щ")),
         kAprsQueued, "N0CALL-10>APCRVG,TCPIP*:>" + std::string(60, 'a')},
        {"status in Cyrillic", false, textMessage(cp("#;N0CALL-10;Всё хорошо")), kAprsQueued,
         "N0CALL-10>APCRVG,TCPIP*:>Vse khorosho"},
        {"empty status", false, textMessage("#;N0CALL-10;"), kAprsQueued, "N0CALL-10>APCRVG,TCPIP*:>"},
        {"status from an object name", false, textMessage("#;N0CALL-9;Hi"), kAprsWrongForm, ""},
        {"status with the custom delimiter", false, textMessage("#:N0CALL-10:Hi"), kAprsWrongForm, ""},
        {"status, plain text", false, textMessage("Hello"), kAprsWrongForm, ""},
        {"status from a demo sender", false, textMessage("#;N0CALL-10;Hi", 65001), kAprsDemoSender, ""},
        {"custom", true, textMessage("#:N0CALL-10:!5615.00N/03730.00E>test"), kAprsQueued,
         "N0CALL-10>APCRVG,TCPIP*:!5615.00N/03730.00E>test"},
        {"custom cut at 200", true, textMessage("#:N0CALL-10:>" + std::string(240, 'f')), kAprsQueued,
         "N0CALL-10>APCRVG,TCPIP*:>" + std::string(199, 'f')},
        {"custom with the status delimiter", true, textMessage("#;N0CALL-10;>x"), kAprsWrongForm, ""},
        {"custom from a demo sender", true, textMessage("#:N0CALL-10:>x", 65535), kAprsDemoSender, ""},
    };
    for (const Row& r : rows) {
        const int result = r.custom ? builder.gateCustomPacket(r.message.header, r.message.body)
                                    : builder.gateStatusReport(r.message.header, r.message.body);
        EXPECT_EQ(result, r.result) << r.what;
        const auto all = drain();
        if (r.result != kAprsQueued) {
            EXPECT_TRUE(all.empty()) << r.what;
            continue;
        }
        ASSERT_EQ(all.size(), 1u) << r.what;
        EXPECT_EQ(all[0].first, r.packet) << r.what;
        EXPECT_EQ(all[0].second, 12345) << r.what;
    }
}

TEST_F(TextPacketTest, BodyCrcIsCheckedAndOnlyTheMessageLengthIsUsed)
{
    AirMessage status = textMessage("#;N0CALL-10;Test status");
    status.header.bodyCrc ^= 1;
    EXPECT_EQ(builder.gateStatusReport(status.header, status.body), kAprsNotUsable);
    AirMessage custom = textMessage("#:N0CALL-10:>x");
    custom.header.bodyCrc ^= 1;
    EXPECT_EQ(builder.gateCustomPacket(custom.header, custom.body), kAprsNotUsable);

    AirMessage shortened = textMessage("#;N0CALL-10;Test status");
    shortened.header.length = 16;
    shortened.header.bodyCrc = crc16(shortened.body.data(), 16);
    EXPECT_EQ(builder.gateStatusReport(shortened.header, shortened.body), kAprsQueued);
    EXPECT_EQ(onlyPacket(), "N0CALL-10>APCRVG,TCPIP*:>Test");
    EXPECT_TRUE(queue.empty());
}

TEST_F(TextPacketTest, CustomPacketsSwitchedOff)
{
    settings.CustomPacketEnabled = 0;
    const AirMessage m = textMessage("#:N0CALL-10:!5615.00N/03730.00E>test");
    EXPECT_EQ(builder.gateCustomPacket(m.header, m.body), kAprsQueueFull);
    EXPECT_TRUE(queue.empty());
}

using BeaconTest = BuilderTest;

TEST_F(BeaconTest, OwnBeaconsFromTheOwnFixAndSettings)
{
    setClockSource([] { return kFixTime; });
    initOwnFix(own, 56.25, 37.5);
    settings.PositionBeacon = "Test";
    EXPECT_EQ(builder.sendPositionBeacon(), kAprsQueued);
    settings.StatusBeacon = cp("Статус ") + std::string(70, 'x');
    EXPECT_EQ(builder.sendStatusBeacon(), kAprsQueued);
    settings.PositionBeacon = std::string(50, 'p');
    own.latitude = -0.5;
    own.longitude = -0.25;
    EXPECT_EQ(builder.sendPositionBeacon(), kAprsQueued);
    const auto all = drain();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].first, "N0CALL-PG>APCRVG,TCPIP*:/142213z5615.00N/03730.00ErTest");
    EXPECT_EQ(all[1].first, "N0CALL-PG>APCRVG,TCPIP*:>Status " + std::string(55, 'x'));
    EXPECT_EQ(all[2].first, "N0CALL-PG>APCRVG,TCPIP*:/142213z0030.00S/00015.00Wr" + std::string(43, 'p'));
    for (const auto& [packet, station] : all)
        EXPECT_EQ(station, 0) << packet;
}

TEST_F(BeaconTest, OwnPositionOffTheGlobeIsNotSent)
{
    initOwnFix(own, 91.0, 37.5);
    EXPECT_EQ(builder.sendPositionBeacon(), kAprsNotUsable);
    initOwnFix(own, 56.25, std::nan(""));
    EXPECT_EQ(builder.sendPositionBeacon(), kAprsNotUsable);
    EXPECT_TRUE(queue.empty());
}

// Every builder, with input it would otherwise queue.
struct AllBuilders : BuilderTest {
    std::vector<int> callEach()
    {
        const AirMessage gps = gpsMessage("Hello");
        const AirMessage status = textMessage("#;N0CALL-10;Test status");
        const AirMessage custom = textMessage("#:N0CALL-10:>x");
        return {gate(gps), builder.gateStatusReport(status.header, status.body),
                builder.gateCustomPacket(custom.header, custom.body), builder.sendPositionBeacon(),
                builder.sendStatusBeacon()};
    }
};

TEST_F(AllBuilders, GateOff)
{
    settings.VeltrinEnabled = 0;
    EXPECT_EQ(callEach(), std::vector<int>(5, kAprsGateOff));
    settings.CustomPacketEnabled = 0;
    EXPECT_EQ(callEach(), std::vector<int>(5, kAprsGateOff));
    EXPECT_TRUE(queue.empty());
}

TEST_F(AllBuilders, FullQueueRefusesWithoutOverwriting)
{
    for (int i = 0; i < AprsQueue::kMaxWaiting; ++i)
        ASSERT_TRUE(queue.push("waiting " + std::to_string(i), 100 + i));
    EXPECT_EQ(callEach(), std::vector<int>(5, kAprsQueueFull));
    EXPECT_EQ(queue.waiting(), 14);
    const auto all = drain();
    ASSERT_EQ(all.size(), 14u);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(all[i].first, "waiting " + std::to_string(i));
        EXPECT_EQ(all[i].second, 100 + i);
    }
    // One free place again: the next packet is taken.
    ASSERT_TRUE(queue.push("x", 1));
    EXPECT_EQ(callEach()[0], kAprsQueued);
}

// Whatever arrives, every builder returns one of its results, and what it
// queues is printable ASCII without bar or tilde, within 254 characters.
TEST_F(AllBuilders, AnyBytesFromTheAir)
{
    std::mt19937 rng(20240405);
    const auto byte = [&rng] { return static_cast<std::uint8_t>(rng() & 0xFF); };
    const std::string starts[] = {"", "#;", "#:", "#;N0CALL-10;", "#:N0CALL-10:", "#;N0C-1"};
    for (int round = 0; round < 20000; ++round) {
        AirMessage m;
        for (auto& b : m.body)
            b = byte();
        const std::string& start = starts[rng() % std::size(starts)];
        const bool gpsBody = rng() & 1;
        const std::size_t at = gpsBody ? kGpsPayloadBytes : 0;
        std::copy(start.begin(), start.end(), m.body.begin() + static_cast<long>(at));
        if (gpsBody) {
            GpsPayload p = GpsPayload::fromBytes(m.body.data());
            if (rng() & 1)
                p.sealChecks();
            p.toBytes(m.body.data());
        }
        m.header.length = byte();
        m.header.sender = static_cast<std::uint16_t>(rng() % 3 == 0 ? 65000 + rng() % 536 : rng() & 0xFFFF);
        m.header.bodyCrc = (rng() & 1) ? crc16(m.body.data(), m.header.length) : static_cast<std::uint16_t>(rng());
        const int faults = static_cast<int>(rng() % 4) - 1;
        const double rate = (rng() % 2000) / 10.0 - 50.0;
        settings.CustomPacketEnabled = static_cast<int>(rng() & 1);

        const int results[] = {builder.gatePositionReport(m.header, m.body, "23Bd", rate, faults),
                               builder.gateStatusReport(m.header, m.body), builder.gateCustomPacket(m.header, m.body)};
        for (const int r : results)
            ASSERT_TRUE(r == kAprsQueued || r == kAprsNotUsable || r == kAprsWrongForm || r == kAprsDemoSender ||
                        r == kAprsQueueFull)
                << r;
        for (const auto& [packet, station] : drain()) {
            ASSERT_LE(packet.size(), 254u);
            ASSERT_EQ(station, m.header.sender);
            for (const char c : packet)
                ASSERT_TRUE(c >= 32 && c <= 126 && c != '|' && c != '~') << packet;
        }
    }
}

}  // namespace
}  // namespace veltrin::test
