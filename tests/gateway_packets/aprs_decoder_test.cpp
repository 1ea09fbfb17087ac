// The packets as an independent APRS decoder reads them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "decode_aprs_runner.h"
#include "packet_fixture.h"

namespace veltrin::test {
namespace {

constexpr double kMphPerKnot = 1.150779;

std::string times(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

struct DecoderTest : BuilderTest {
    std::string decoder;

    void SetUp() override
    {
        BuilderTest::SetUp();
        decoder = findDecodeAprs();
        if (decoder.empty()) {
            const char* ci = std::getenv("CI");
            if (ci && std::string(ci) == "true")
                FAIL() << "decode_aprs not found on PATH or in /usr/bin: install the Debian package direwolf "
                          "(scripts/setup.sh does)";
            GTEST_SKIP() << "decode_aprs not found (Debian package direwolf)";
        }
        setClockSource([] { return kFixTime; });
        initOwnFix(own, 56.25, 37.5);
    }
};

struct Expected {
    const char* what;
    std::function<int(DecoderTest&)> build;
    const char* kind;
    std::string object;  // for objects
    std::optional<double> latitude, longitude;
    std::optional<int> course, knots;  // extension
    std::string text;
};

int gateGps(DecoderTest& t, const std::string& text, std::uint16_t sender = 12345,
            const GpsPayload& p = examplePosition())
{
    return t.gate(gpsMessage(text, sender, p));
}

int status(DecoderTest& t, const std::string& text)
{
    const AirMessage m = textMessage(text);
    return t.builder.gateStatusReport(m.header, m.body);
}

int custom(DecoderTest& t, const std::string& text)
{
    const AirMessage m = textMessage(text);
    return t.builder.gateCustomPacket(m.header, m.body);
}

TEST_F(DecoderTest, PacketsReadBackAsBuilt)
{
    const std::optional<int> none;
    const Expected rows[] = {
        {"object north east, moving", [](DecoderTest& t) { return gateGps(t, "Hello"); }, "Object", "CRVG12345",
         56.25, 37.5, 90, 27, "(1.5Bd/2%)Hello"},
        {"object south west, still",
         [](DecoderTest& t) { return gateGps(t, "Hi", 12345, positionAt(-33.5, -70.25, 10, 0)); }, "Object",
         "CRVG12345", -33.5, -70.25, none, none, "(1.5Bd/2%)Hi"},
        {"object north west",
         [](DecoderTest& t) { return gateGps(t, "Hi", 12345, positionAt(40.75, -74.0, 1852, 27000)); }, "Object",
         "CRVG12345", 40.75, -74.0, 270, 100, "(1.5Bd/2%)Hi"},
        {"object south east",
         [](DecoderTest& t) { return gateGps(t, "Hi", 12345, positionAt(-33.875, 151.2, 300, 500)); }, "Object",
         "CRVG12345", -33.875, 151.2, 5, 16, "(1.5Bd/2%)Hi"},
        {"object at the pole and the date line",
         [](DecoderTest& t) { return gateGps(t, "", 12345, positionAt(-90.0, 180.0, 65535, 35999)); }, "Object",
         "CRVG12345", -90.0, 180.0, 0, 999, "(1.5Bd/2%)"},
        {"minutes carried into the degrees",
         [](DecoderTest& t) { return gateGps(t, "", 12345, positionAt(56.9999999, -37.9999999, 0, 0)); }, "Object",
         "CRVG12345", 57.0, -38.0, none, none, "(1.5Bd/2%)"},
        {"call sign position", [](DecoderTest& t) { return gateGps(t, "#;N0CALL-10;Hi"); }, "Position with time",
         "", 56.25, 37.5, 90, 27, "(1.5Bd/2%)Hi"},
        {"object named by the sender", [](DecoderTest& t) { return gateGps(t, "#;MYOBJ-1;x"); }, "Object",
         "MYOBJ-1", 56.25, 37.5, 90, 27, "(1.5Bd/2%)x"},
        {"object with a one-character SSID", [](DecoderTest& t) { return gateGps(t, "#;N0CALL-9;Hi"); },
         "Object", "N0CALL-9", 56.25, 37.5, 90, 27, "(1.5Bd/2%)Hi"},
        {"demo sender", [](DecoderTest& t) { return gateGps(t, "x", 65001); }, "Object", "CRVD65001", 56.25, 37.5,
         90, 27, "(1.5Bd/2%) Corvane Demo - https://ve"},
        {"damaged body", [](DecoderTest& t) { return t.gate(gpsMessage("#;N0CALL-10;Hi"), 0.5, 3); }, "Object",
         "CRVG12345", 56.25, 37.5, 90, 27, "(1.5Bd/0.5%)BAD CRC:#;N0CALL-10;Hi"},
        {"Cyrillic comment", [](DecoderTest& t) { return gateGps(t, cp("Привет, мир")); }, "Object", "CRVG12345",
         56.25, 37.5, 90, 27, "(1.5Bd/2%)Privet, mir"},
        {"longest comment with extension", [](DecoderTest& t) { return gateGps(t, cp(times("Щ", 20).c_str())); },
         "Object", "CRVG12345", 56.25, 37.5, 90, 27, "(1.5Bd/2%)" + times("Sch", 8)},
        {"longest comment without",
         [](DecoderTest& t) { return gateGps(t, std::string(60, 'c'), 12345, positionAt(56.25, 37.5, 0, 0)); },
         "Object", "CRVG12345", 56.25, 37.5, none, none, "(1.5Bd/2%)" + std::string(33, 'c')},
        {"status", [](DecoderTest& t) { return status(t, "#;N0CALL-10;Test status"); }, "Status Report", "", {},
         {}, none, none, "Test status"},
        {"longest status, Cyrillic",
         [](DecoderTest& t) { return status(t, "#;N0CALL-10;" + cp(times("Ж", 40).c_str())); },
         "Status Report", "", {}, {}, none, none, times("Zh", 31)},
        {"custom position", [](DecoderTest& t) { return custom(t, "#:N0CALL-10:!5615.00N/03730.00E>test"); },
         "Position", "", 56.25, 37.5, none, none, "test"},
        {"custom object",
         [](DecoderTest& t) { return custom(t, "#:N0CALL-10:;TESTOBJ  *142213z3330.00S/07015.00W>x"); }, "Object",
         "TESTOBJ", -33.5, -70.25, none, none, "x"},
        {"longest custom status",
         [](DecoderTest& t) { return custom(t, "#:N0CALL-10:>" + std::string(240, 'f')); },
         "Status Report", "", {}, {}, none, none, std::string(199, 'f')},
        {"position beacon",
         [](DecoderTest& t) {
             t.settings.PositionBeacon = "Test";
             return t.builder.sendPositionBeacon();
         },
         "Position with time", "", 56.25, 37.5, none, none, "Test"},
        {"position beacon south west, Cyrillic",
         [](DecoderTest& t) {
             t.own.latitude = -0.5;
             t.own.longitude = -0.25;
             t.settings.PositionBeacon = cp("Антенна на крыше") + std::string(40, 'p');
             return t.builder.sendPositionBeacon();
         },
         "Position with time", "", -0.5, -0.25, none, none, "Antenna na kryshe" + std::string(26, 'p')},
        {"status beacon", [](DecoderTest& t) { return t.builder.sendStatusBeacon(); }, "Status Report", "", {}, {},
         none, none, Settings().StatusBeacon},
    };
    for (const Expected& e : rows) {
        SCOPED_TRACE(e.what);
        ASSERT_EQ(e.build(*this), kAprsQueued);
        const std::string packet = onlyPacket();
        ASSERT_FALSE(packet.empty());
        EXPECT_LE(packet.size(), 254u);
        const DecoderReport r = decodeAprs(decoder, packet);
        SCOPED_TRACE(r.packet + "\n" + r.output);
        EXPECT_TRUE(r.problems().empty());
        EXPECT_EQ(r.kind(), e.kind);
        EXPECT_EQ(r.objectName(), e.object);
        EXPECT_EQ(r.text(), e.text);
        const auto p = r.position();
        ASSERT_EQ(p.has_value(), e.latitude.has_value());
        if (!p)
            continue;
        EXPECT_NEAR(p->latitude, *e.latitude, 1e-4);
        EXPECT_NEAR(p->longitude, *e.longitude, 1e-4);
        EXPECT_EQ(p->course, e.course);
        ASSERT_EQ(p->mph.has_value(), e.knots.has_value());
        if (e.knots) {
            EXPECT_NEAR(*p->mph, *e.knots * kMphPerKnot, 0.51);
        }
    }
}

}  // namespace
}  // namespace veltrin::test
