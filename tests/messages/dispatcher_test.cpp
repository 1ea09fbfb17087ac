// The dispatcher: counts, verdicts, routing and the order of its calls.
#include <gtest/gtest.h>

#include "message_fixture.h"
#include "messages/dispatcher.h"

namespace veltrin::test {
namespace {

class DispatcherTest : public StorageTest {
protected:
    MessageDispatcher dispatcher{settings, panels, boxes};
    RecordingGateway gateway{trail};
    RecordingBrowser browser{trail};

    void SetUp() override
    {
        StorageTest::SetUp();
        dispatcher.setGatewayPort(&gateway);
        dispatcher.setBrowserPort(&browser);
    }

    static ReceivedMessage message(std::uint8_t type, std::uint8_t flags, const std::string& bytes)
    {
        ReceivedMessage m;
        m.body = bodyWith(bytes);
        m.header = headerFor(type, flags, m.body, static_cast<int>(bytes.size()));
        m.symbolCount = 10000;  // enough that no adjustment happens
        m.speed = 4;
        return m;
    }

    std::vector<std::string> filesIn(const std::string& folder) const
    {
        std::vector<std::string> names;
        if (fs::exists(folder))
            for (const auto& e : fs::directory_iterator(folder))
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST(SpeedLabel, EverySpeedHasALabel)
{
    const std::pair<int, const char*> cases[] = {{1, "1.5Bd"}, {4, "5.9Bd"}, {16, "23Bd"}, {32, "47Bd"},
                                                 {8, "1.5Bd"}, {2, "1.5Bd"}, {0, "1.5Bd"}, {-4, "1.5Bd"}};
    for (const auto& [speed, label] : cases)
        EXPECT_STREQ(speedLabel(speed), label) << speed;
}

TEST(ErrorRate, NothingCountedIsAHundredPercent)
{
    EXPECT_EQ(errorRate(0, 0), 100.0);
    EXPECT_EQ(errorRate(5, -3), 100.0);
    EXPECT_DOUBLE_EQ(errorRate(66, 180), 36.666666666666664);
}

TEST(VerifyBodyCrc, OnlyACleanMessageIsChecked)
{
    const MessageBody body = bodyWith("payload");
    Msg_header good = headerFor(5, 0, body, 7);
    Msg_header bad = good;
    bad.bodyCrc ^= 0x8000;
    EXPECT_EQ(verifyBodyCrc(good, body, 0), 0);
    EXPECT_EQ(verifyBodyCrc(bad, body, 0), 1);
    EXPECT_EQ(verifyBodyCrc(bad, body, -2), -1);
    EXPECT_EQ(verifyBodyCrc(bad, body, 3), 3);
    EXPECT_EQ(verifyBodyCrc(good, body, 1), 1);
}

TEST_F(DispatcherTest, MissingSymbolsCountAsErrors)
{
    struct Case {
        const char* what;
        std::uint8_t type, flags;
        int length, symbols, corrected;
        std::string ratePrinted;
    } cases[] = {
        {"empty beacon", 6, 0, 0, 0, 0, "Error Rate=100.0%"},
        {"two-block text", 5, 0, 13, 120, 6, "Error Rate=36.7%"},
        {"complete text", 5, 0, 13, 180, 9, "Error Rate=5.0%"},
        {"more symbols than needed", 5, 0, 13, 240, 12, "Error Rate=5.0%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all("VeltrinData");
        ReceivedMessage m = message(c.type, c.flags, std::string(c.length, 'x'));
        m.symbolCount = c.symbols;
        m.correctedErrors = c.corrected;
        dispatcher.dispatchReceivedMessage(m);
        const std::string folder = c.type == 5 ? "VeltrinData/220315/MESSAGES.TXT/" : "VeltrinData/220315/MESSAGES.BEA/";
        const auto files = filesIn(folder);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_NE(readFile(folder + files[0]).find(c.ratePrinted + " : \r\n"), std::string::npos);
    }
}

TEST_F(DispatcherTest, GpsGetsTheAdjustedRateAndTheDecoderFaults)
{
    ReceivedMessage m = message(6, 4, gpsBytes(samplePosition(utcTime(2022, 3, 15, 12, 0, 0)), ""));
    m.symbolCount = 0;
    m.faultCount = 2;
    m.speed = 32;
    dispatcher.dispatchReceivedMessage(m);
    // 24 bytes = 2 blocks + header: 180 symbols, all missing.
    EXPECT_EQ(gateway.errorRates, (std::vector<double>{100.0, 100.0}));
    EXPECT_EQ(trail.events, (std::vector<std::string>{
                                "panel8: ", "panel8: ", "markBeacon:2", "panel10:Message saved",
                                "folderNode:220315/MESSAGES.BEA:2", "folderNode:220315/MESSAGES.GPS:3",
                                "reportToTraccar:47Bd:2", "gatePositionReport:47Bd:2"}));
}

TEST_F(DispatcherTest, CleanTextIsSavedBeforeItIsGated)
{
    dispatcher.dispatchReceivedMessage(message(5, 0, "#;N0CALL-5;hello"));
    EXPECT_EQ(trail.events,
              (std::vector<std::string>{"panel8: ", "markBeacon:0", "panel10:Message saved",
                                        "folderNode:220315/MESSAGES.TXT:1", "gateStatusReport", "gateCustomPacket"}));
    EXPECT_EQ(filesIn("VeltrinData/220315/MESSAGES.TXT"),
              (std::vector<std::string>{"220315-123456-REC-OK-1234-5678-07-0.TXT"}));
}

TEST_F(DispatcherTest, TextThatIsNotCleanIsNeverGated)
{
    struct Case {
        const char* what;
        std::uint8_t type;
        int faultCount;
        bool corruptCrc;
        std::string file;
        std::string marked;
    } cases[] = {
        {"wrong CRC", 5, 0, true, "220315-123456-REC-ER-1234-5678-07-0.TXT", "markBeacon:1"},
        {"decoder fault", 5, 1, false, "220315-123456-REC-ER-1234-5678-07-0.TXT", "markBeacon:1"},
        {"headless", 0, 1, false, "220315-123456-REC-BD-0000-0000-00-0.TXT", "markBeacon:1"},
        {"headless without fault", 0, 0, true, "220315-123456-REC-BD-0000-0000-00-0.TXT", "markBeacon:1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all("VeltrinData");
        trail.events.clear();
        ReceivedMessage m = message(c.type, 0, std::string(c.type == 0 ? 252 : 20, 'h'));
        m.faultCount = c.faultCount;
        if (c.corruptCrc)
            m.header.bodyCrc ^= 1;
        dispatcher.dispatchReceivedMessage(m);
        EXPECT_EQ(filesIn("VeltrinData/220315/MESSAGES.TXT"), (std::vector<std::string>{c.file}));
        EXPECT_EQ(trail.count(c.marked), 1);
        EXPECT_EQ(trail.count("gateStatusReport") + trail.count("gateCustomPacket"), 0);
    }
    const std::string headless =
        readFile("VeltrinData/220315/MESSAGES.TXT/220315-123456-REC-BD-0000-0000-00-0.TXT");
    EXPECT_EQ(headless, "Message with corrupted header !!! \r\n\r\n" + std::string(252, 'h') + "\r\n");
}

TEST_F(DispatcherTest, UnsavedTextIsNotGated)
{
    fs::create_directories("VeltrinData/220315/MESSAGES.TXT/220315-123456-REC-OK-1234-5678-07-0.TXT");
    dispatcher.dispatchReceivedMessage(message(5, 0, "#;N0CALL-5;hello"));
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"File Error|File Open Error!"}));
    EXPECT_EQ(trail.count("gateStatusReport") + trail.count("gateCustomPacket"), 0);
    EXPECT_EQ(trail.count("markBeacon:0"), 1);
}

TEST_F(DispatcherTest, BeaconStatusReportFollowsTheDecoderFaultsOnly)
{
    struct Case {
        const char* what;
        int faultCount;
        bool corruptCrc;
        const char* verdict;
        int statusReports;
    } cases[] = {
        {"clean", 0, false, "CRC OK,", 1},
        {"wrong CRC, gateway judges it", 0, true, "CRC ERROR!!!", 1},
        {"decoder fault", 1, false, "CRC ERROR!!!", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all("VeltrinData");
        trail.events.clear();
        ReceivedMessage m = message(6, 0, "#;N0CALL-5;beacon");
        m.faultCount = c.faultCount;
        if (c.corruptCrc)
            m.header.bodyCrc ^= 1;
        dispatcher.dispatchReceivedMessage(m);
        const auto files = filesIn("VeltrinData/220315/MESSAGES.BEA");
        ASSERT_EQ(files.size(), 1u);
        EXPECT_NE(readFile("VeltrinData/220315/MESSAGES.BEA/" + files[0]).find(c.verdict), std::string::npos);
        EXPECT_EQ(trail.count("gateStatusReport"), c.statusReports);
        EXPECT_EQ(trail.count("gateCustomPacket"), 0);
    }
}

TEST_F(DispatcherTest, OtherTypesOnlyClearTheNotice)
{
    for (std::uint8_t type : {1, 7, 9, 12, 255}) {
        trail.events.clear();
        ReceivedMessage m = message(type, 4, "x");
        m.symbolCount = 0;
        dispatcher.dispatchReceivedMessage(m);
        EXPECT_EQ(trail.events, (std::vector<std::string>{"panel8: "}));
    }
    EXPECT_FALSE(fs::exists("VeltrinData"));
}

}  // namespace
}  // namespace veltrin::test
