// GPS messages: the position file in the fix day's folder, the reception-day
// copy and the KML placemark, read back by third-party tools.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "message_fixture.h"
#include "messages/kml_file.h"
#include "messages/message_content.h"
#include "messages/message_files.h"

namespace veltrin::test {
namespace {

// Runs a command and returns what it printed, or nullopt when it failed.
std::optional<std::string> runTool(const std::string& command)
{
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string out;
    char buf[512];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    if (::pclose(pipe) != 0)
        return std::nullopt;
    return out;
}

bool toolsPresent()
{
    return runTool("command -v gpsbabel >/dev/null && command -v xmllint >/dev/null").has_value();
}

// The KML must be well-formed and a real KML reader must find the placemark.
void expectReadableKml(const fs::path& kml, const std::string& csvFields, const std::string& textInDescription)
{
    if (!toolsPresent()) {
        ADD_FAILURE() << "gpsbabel or xmllint missing";
        return;
    }
    EXPECT_TRUE(runTool("xmllint --noout '" + kml.string() + "' 2>&1").has_value()) << readFile(kml);
    const auto csv = runTool("gpsbabel -i kml -f '" + kml.string() + "' -o unicsv -F - 2>&1");
    ASSERT_TRUE(csv.has_value());
    EXPECT_NE(csv->find("\n1," + csvFields), std::string::npos) << *csv;
    EXPECT_NE(csv->find(textInDescription), std::string::npos) << *csv;
}

std::string fmt(double v)
{
    return formatText("%.10lf", v);
}

class GpsFilesTest : public StorageTest {
protected:
    MessageStore store{settings, panels, boxes};
    RecordingGateway gateway{trail};
    RecordingBrowser browser{trail};

    void SetUp() override
    {
        StorageTest::SetUp();
        store.setGatewayPort(&gateway);
        store.setBrowserPort(&browser);
    }

    void saveGps(const GpsPayload& payload, const std::string& text, int faultCount = 0)
    {
        const std::string bytes = gpsBytes(payload, text);
        const MessageBody body = bodyWith(bytes);
        store.saveGpsMessage(headerFor(6, 4, body, static_cast<int>(bytes.size())), body, "23Bd", 1.5,
                             faultCount);
    }
};

std::string kBeaconName()
{
    return "VeltrinData/220315/MESSAGES.BEA/220315-123456-BEA-OK-1234-5678-07-0.TXT";
}

const std::string kFirstLine = "4660 (007) > 22136 , CRC OK, 23Bd, Error Rate=1.5% : \r\n\r\n";

TEST_F(GpsFilesTest, PositionAcrossMidnightGoesToTheFixDay)
{
    setTime(2022, 3, 16, 0, 0, 5);
    const GpsPayload p = samplePosition(utcTime(2022, 3, 15, 23, 59, 50));
    saveGps(p, "hello");

    const std::string base = "VeltrinData/220315/MESSAGES.GPS/220315-235950-GPS-OK-1234-5678-07-0-220316-000005";
    const std::string expected = kFirstLine + "Time: 15.03.2022  23:59:50 UTC \r\n" + "Lat=" +
                                 fmt(p.latitude * kGpsDegreesPerUnit) + "  Lon=" +
                                 fmt(p.longitude * kGpsDegreesPerUnit) + "\r\n" +
                                 "Speed=12.3 km/h  Course=45.5  Altitude=150 m  Accuracy=3.5 m\r\n\r\n" +
                                 "Text: hello\r\n";
    EXPECT_EQ(readFile(base + ".TXT"), expected);
    EXPECT_EQ(readFile("VeltrinData/220316/MESSAGES.BEA/220316-000005-GPS-OK-1234-5678-07-0.TXT"), expected);
    EXPECT_EQ(trail.events, (std::vector<std::string>{"panel8: ", "markBeacon:0", "panel10:Message saved",
                                                      "folderNode:220316/MESSAGES.BEA:2",
                                                      "folderNode:220315/MESSAGES.GPS:3"}));
    EXPECT_TRUE(boxes.shown.empty());

    const std::string kml = readFile(base + ".KML");
    EXPECT_EQ(kml.substr(0, 40), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
    EXPECT_NE(kml.find("<Placemark><name>4660-07-" + formatText("%04X", p.fixTime) + "</name>"),
              std::string::npos);
    EXPECT_NE(kml.find("<description>Call: 4660<br/>Date: 15.03.2022<br/>Time: 23:59:50 UTC<br/>\r\n"
                       "Speed: 12.3 km/h<br/>Course: 45.5<br/>Altitude: 150 m <br/>Accuracy: 3.5 m<br/>\r\n"
                       "Text: hello<br/>\r\n</description></Placemark>\r\n</Document>\r\n</kml>\r\n"),
              std::string::npos)
        << kml;
    expectReadableKml(base + ".KML", "55.000000,-82.500000,\"4660-07-", "Text: hello");
}

TEST_F(GpsFilesTest, LocalTimeDecidesFoldersAndLabels)
{
    ::setenv("TZ", "MSK-3", 1);  // three hours east of UTC, no daylight saving
    ::tzset();
    settings.useUtc = 0;
    setTime(2022, 3, 15, 21, 30, 0);  // 16 March 00:30 local
    saveGps(samplePosition(utcTime(2022, 3, 15, 21, 29, 50)), "");
    const std::string content = readFile(
        "VeltrinData/220316/MESSAGES.GPS/220316-002950-GPS-OK-1234-5678-07-0-220316-003000.TXT");
    EXPECT_NE(content.find("Time: 16.03.2022  00:29:50  \r\n"), std::string::npos) << content;
    const std::string kml = readFile(
        "VeltrinData/220316/MESSAGES.GPS/220316-002950-GPS-OK-1234-5678-07-0-220316-003000.KML");
    EXPECT_NE(kml.find("Time: 00:29:50 <br/>"), std::string::npos);
}

TEST_F(GpsFilesTest, MessagesWithoutUsablePositionAreBeaconFiles)
{
    GpsPayload broken = samplePosition(utcTime(2022, 3, 15, 12, 0, 0));
    broken.positionCheck ^= 0x0100;
    struct Case {
        const char* what;
        GpsPayload payload;
        std::string block;
    } cases[] = {
        {"fix time 0", GpsPayload{}, "GPS-coordinates are unknown! \r\n\r\nText: "},
        {"position check wrong", broken, "GPS-coordinates are received with errors! \r\n\r\nText: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all("VeltrinData");
        trail.events.clear();
        saveGps(c.payload, "no fix");
        EXPECT_EQ(readFile(kBeaconName()), kFirstLine + c.block + "no fix\r\n");
        EXPECT_FALSE(fs::exists("VeltrinData/220315/MESSAGES.GPS"));
        EXPECT_EQ(trail.events, (std::vector<std::string>{"panel8: ", "markBeacon:0", "panel10:Message saved",
                                                          "folderNode:220315/MESSAGES.BEA:2"}));
    }
}

TEST_F(GpsFilesTest, ShortBodyReadsTheFillerAsPosition)
{
    // A GPS message of 3 bytes: the position is read from them and the filler.
    const MessageBody body = bodyWith("abc");
    store.saveGpsMessage(headerFor(6, 4, body, 3), body, "23Bd", 1.5, 0);
    EXPECT_EQ(readFile(kBeaconName()),
              kFirstLine + "GPS-coordinates are received with errors! \r\n\r\nText: \r\n");
}

TEST_F(GpsFilesTest, MotionBlockAndAltitudeDecideTheMotionLine)
{
    struct Case {
        const char* what;
        bool motionGood;
        std::int16_t altitude;
        std::string fileLine;
        std::string kmlLine;  // empty: no motion line in the KML
        std::string kmlAltitude;
    } cases[] = {
        {"bad motion", false, 150, "Speed=???  Course=???  Altitude=???  Accuracy=???\r\n", "", "0.0000000000"},
        {"altitude -9000", true, -9000, "Speed=12.3 km/h  Course=45.5  Altitude=-9000 m  Accuracy=3.5 m\r\n",
         "Speed: 12.3 km/h<br/>Course: 45.5<br/>Altitude: -9000 m <br/>Accuracy: 3.5 m<br/>\r\n",
         "-9000.0000000000"},
        {"altitude -9001", true, -9001, "Speed=12.3 km/h  Course=45.5  Altitude: unknown   Accuracy=3.5 m\r\n",
         "Speed: 12.3 km/h<br/>Course: 45.5<br/>nAltitude: unknown <br/>Accuracy: 3.5<br/>\r\n", "0.0000000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all("VeltrinData");
        GpsPayload p = samplePosition(utcTime(2022, 3, 15, 12, 30, 0));
        p.altitude = c.altitude;
        p.sealChecks();
        if (!c.motionGood)
            p.motionCheck ^= 1;
        saveGps(p, "m");
        const std::string base = "VeltrinData/220315/MESSAGES.GPS/220315-123000-GPS-OK-1234-5678-07-0-220315-123456";
        const std::string content = readFile(base + ".TXT");
        EXPECT_NE(content.find("\r\n" + c.fileLine + "\r\nText: m\r\n"), std::string::npos) << content;
        const std::string kml = readFile(base + ".KML");
        EXPECT_NE(kml.find("<coordinates>" + fmt(p.longitude * kGpsDegreesPerUnit) + "," +
                           fmt(p.latitude * kGpsDegreesPerUnit) + "," + c.kmlAltitude + "</coordinates>"),
                  std::string::npos)
            << kml;
        if (c.kmlLine.empty())
            EXPECT_EQ(kml.find("Speed"), std::string::npos) << kml;
        else
            EXPECT_NE(kml.find("<br/>\r\n" + c.kmlLine + "Text: m<br/>"), std::string::npos) << kml;
        expectReadableKml(base + ".KML", "55.000000,-82.500000,", "Text: m");
    }
}

TEST_F(GpsFilesTest, MarkupZerosAndCyrillicStayReadableInTheKml)
{
    const std::string text = std::string("a<b> & \"q\" 'x'\0\x01z \xCF\xF0\xE8\xE2\xE5\xF2 \x98\x95", 27);
    saveGps(samplePosition(utcTime(2022, 3, 15, 12, 30, 0)), text);
    const std::string base = "VeltrinData/220315/MESSAGES.GPS/220315-123000-GPS-OK-1234-5678-07-0-220315-123456";
    const std::string content = readFile(base + ".TXT");
    // The message file keeps the bytes, zero shown as a bullet.
    EXPECT_NE(content.find("Text: a<b> & \"q\" 'x'\x95\x01z \xCF\xF0\xE8\xE2\xE5\xF2 \x98\x95\r\n"), std::string::npos);
    const std::string kml = readFile(base + ".KML");
    EXPECT_NE(kml.find("Text: a&lt;b&gt; &amp; &quot;q&quot; &apos;x&apos;  z "
                       "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xC2\x98\xE2\x80\xA2<br/>\r\n"),
              std::string::npos)
        << kml;
    expectReadableKml(base + ".KML", "55.000000,-82.500000,",
                      "Text: a<b> & \"\"q\"\" 'x'  z \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
}

TEST_F(GpsFilesTest, SecondMessageOfTheSameNameReplacesTheFirst)
{
    const GpsPayload p = samplePosition(utcTime(2022, 3, 15, 12, 30, 0));
    saveGps(p, "old");
    saveGps(p, "new");
    const std::string base = "VeltrinData/220315/MESSAGES.GPS/220315-123000-GPS-OK-1234-5678-07-0-220315-123456";
    const std::string content = readFile(base + ".TXT");
    EXPECT_EQ(content.find("old"), std::string::npos);
    EXPECT_EQ(content.rfind("Text: new\r\n"), content.size() - 11);
    EXPECT_EQ(readFile("VeltrinData/220315/MESSAGES.BEA/220315-123456-GPS-OK-1234-5678-07-0.TXT"), content);
}

TEST_F(GpsFilesTest, FailedFileStopsTheFilesThatFollow)
{
    const std::string base = "VeltrinData/220315/MESSAGES.GPS/220315-123000-GPS-OK-1234-5678-07-0-220315-123456";
    const std::string copy = "VeltrinData/220315/MESSAGES.BEA/220315-123456-GPS-OK-1234-5678-07-0.TXT";
    const GpsPayload p = samplePosition(utcTime(2022, 3, 15, 12, 30, 0));

    fs::create_directories(base + ".TXT");  // the position file cannot be written
    saveGps(p, "x");
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"File Error|File Open Error!"}));
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_FALSE(fs::exists(base + ".KML"));
    EXPECT_EQ(trail.count("panel10:Message saved"), 0);

    fs::remove(base + ".TXT");
    fs::create_directories(copy);  // now only the copy fails
    boxes.shown.clear();
    trail.events.clear();
    saveGps(p, "x");
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"File Error|File Open Error!"}));
    EXPECT_TRUE(fs::is_regular_file(base + ".TXT"));
    EXPECT_FALSE(fs::exists(base + ".KML"));
    EXPECT_EQ(trail.count("panel10:Message saved"), 1);
    EXPECT_EQ(trail.count("folderNode:220315/MESSAGES.GPS:3"), 0);
}

TEST(AnsiToUtf8, StopsOnceTheOutputPassesFourThousandBytes)
{
    EXPECT_EQ(ansiToUtf8("A\xC0\x88\x98"), "A\xD0\x90\xE2\x82\xAC\xC2\x98");
    const std::string out = ansiToUtf8(std::string(3000, '\x88'));  // 3 bytes each
    EXPECT_EQ(out.size(), 4002u);
}

}  // namespace
}  // namespace veltrin::test
