// Message files, byte for byte: names, first lines, bodies and tails.
#include <gtest/gtest.h>

#include "config/interface_texts.h"
#include "message_fixture.h"
#include "messages/data_folders.h"
#include "messages/message_files.h"

namespace veltrin::test {
namespace {

class MessageFilesTest : public StorageTest {
protected:
    MessageStore store{settings, panels, boxes};
    RecordingGateway gateway{trail};
    RecordingBrowser browser{trail};

    void SetUp() override
    {
        StorageTest::SetUp();
        store.setGatewayPort(&gateway);
        store.setBrowserPort(&browser);
        // Text messages rely on the dispatcher having made the data folder.
        fs::create_directory("VeltrinData");
    }

    CalendarTime reception() const { return currentCalendarTime(true); }

    bool saveText(const std::string& text, int faults, bool headless = false)
    {
        const MessageBody body = bodyWith(text);
        Msg_header h = headerFor(headless ? 0 : 5, 0, body, static_cast<int>(text.size()));
        if (headless)
            h = Msg_header{};
        if (headless)
            h.length = static_cast<std::uint8_t>(text.size());
        return store.saveTextMessage(h, body, "5.9Bd", 5.0, faults, reception(), headless);
    }
};

const std::string kTextDir = "VeltrinData/220315/MESSAGES.TXT/";
const std::string kBeaconDir = "VeltrinData/220315/MESSAGES.BEA/";

TEST_F(MessageFilesTest, TextMessageFilesByStatus)
{
    struct Case {
        int faults;
        bool headless;
        std::string name;
        std::string firstLine;
    } cases[] = {
        {0, false, "220315-123456-REC-OK-1234-5678-07-0.TXT",
         "4660 (007) > 22136 , CRC OK , 5.9Bd, Error Rate=5.0% : \r\n"},
        {1, false, "220315-123456-REC-ER-1234-5678-07-0.TXT",
         "4660 (007) > 22136 , CRC ERROR!!! 5.9Bd, Error Rate=5.0% : \r\n"},
        {1, true, "220315-123456-REC-BD-0000-0000-00-0.TXT", "Message with corrupted header !!! \r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        trail.events.clear();
        ASSERT_TRUE(saveText("Hello, Veltrin", c.faults, c.headless));
        EXPECT_EQ(readFile(kTextDir + c.name), c.firstLine + "Hello, Veltrin\r\n");
        EXPECT_EQ(trail.events, (std::vector<std::string>{"panel10:Message saved",
                                                          "folderNode:220315/MESSAGES.TXT:1"}));
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MessageFilesTest, HeadlessFileHoldsAllBodyBytesWithFiller)
{
    const MessageBody body = bodyWith("abc");  // the rest stays 0x95
    Msg_header h;
    h.length = 252;
    ASSERT_TRUE(store.saveTextMessage(h, body, "47Bd", 100.0, 1, reception(), true));
    const std::string content = readFile(kTextDir + "220315-123456-REC-BD-0000-0000-00-0.TXT");
    EXPECT_EQ(content, "Message with corrupted header !!! \r\n\r\nabc" + std::string(249, '\x95') + "\r\n");
}

TEST_F(MessageFilesTest, ReplacedInterfaceTextIsUsed)
{
    InterfaceTexts texts;
    ASSERT_TRUE(setInterfaceText(texts, "messwithhdrerrmessage", "\xD1\xE1\xEE\xE9"));  // Сбой
    store.setInterfaceTexts(&texts);
    ASSERT_TRUE(saveText("x", 1, true));
    EXPECT_EQ(readFile(kTextDir + "220315-123456-REC-BD-0000-0000-00-0.TXT"), "\xD1\xE1\xEE\xE9 \r\n\r\nx\r\n");
}

TEST_F(MessageFilesTest, TwoMessagesInTheSameSecondShareOneFile)
{
    ASSERT_TRUE(saveText("first", 0));
    ASSERT_TRUE(saveText("first", 0));
    const std::string one = "4660 (007) > 22136 , CRC OK , 5.9Bd, Error Rate=5.0% : \r\nfirst\r\n";
    EXPECT_EQ(readFile(kTextDir + "220315-123456-REC-OK-1234-5678-07-0.TXT"), one + one);
}

TEST_F(MessageFilesTest, ZeroBytesBecomeBullets)
{
    ASSERT_TRUE(saveText(std::string("a\0b", 3), 0));
    const std::string content = readFile(kTextDir + "220315-123456-REC-OK-1234-5678-07-0.TXT");
    EXPECT_NE(content.find("a\x95" "b\r\n"), std::string::npos);
}

TEST_F(MessageFilesTest, TailsByTimeMarkAndComment)
{
    struct Case {
        int useUtc, timeMark, comment;
        std::string tail;
    } cases[] = {
        {1, 0, 0, ""},
        {1, 1, 0, "\r\n---\r\n15.03.2022 12:34:56 UTC \r\n"},
        {0, 1, 0, "\r\n---\r\n15.03.2022 12:34:56 \r\n"},
        {1, 0, 1, "\r\n---\r\n73 de \xC0\xC1\r\n"},
        {1, 1, 1, "\r\n---\r\n15.03.2022 12:34:56 UTC \r\n73 de \xC0\xC1\r\n"},
    };
    settings.commentText = "73 de \xC0\xC1";
    int number = 0;
    for (const auto& c : cases) {
        settings.useUtc = c.useUtc;
        settings.messageFileTimeMarks = c.timeMark;
        settings.addComment = c.comment;
        const MessageBody body = bodyWith("hi");
        Msg_header h = headerFor(5, 0, body, 2);
        h.msgNumber = static_cast<std::uint8_t>(++number);  // a file per case
        ASSERT_TRUE(store.saveTextMessage(h, body, "1.5Bd", 0.0, 0, reception(), false));
        const std::string name = "220315-123456-REC-OK-1234-5678-0" + std::to_string(number) + "-0.TXT";
        const std::string content = readFile(kTextDir + name);
        const std::string expected = "4660 (00" + std::to_string(number) +
                                     ") > 22136 , CRC OK , 1.5Bd, Error Rate=0.0% : \r\nhi\r\n" + c.tail;
        EXPECT_EQ(content, expected) << name;
    }
}

TEST_F(MessageFilesTest, BeaconFileHasNoBlankBeforeTheCommaAfterOk)
{
    struct Case {
        bool goodCrc;
        int faultCount;
        std::string name;
        std::string firstLine;
        int markedFaults;
    } cases[] = {
        {true, 0, "220315-123456-BEA-OK-1234-5678-07-0.TXT",
         "4660 (007) > 22136 , CRC OK, 5.9Bd, Error Rate=5.0% : \r\n", 0},
        {false, 0, "220315-123456-BEA-ER-1234-5678-07-0.TXT",
         "4660 (007) > 22136 , CRC ERROR!!! 5.9Bd, Error Rate=5.0% : \r\n", 1},
        {true, 2, "220315-123456-BEA-ER-1234-5678-07-0.TXT",
         "4660 (007) > 22136 , CRC ERROR!!! 5.9Bd, Error Rate=5.0% : \r\n", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("VeltrinData");
        trail.events.clear();
        const MessageBody body = bodyWith("beacon text");
        Msg_header h = headerFor(6, 0, body, 11);
        if (!c.goodCrc)
            h.bodyCrc ^= 1;
        store.saveBeaconMessage(h, body, "5.9Bd", 5.0, c.faultCount);
        EXPECT_EQ(readFile(kBeaconDir + c.name), c.firstLine + "beacon text\r\n");
        EXPECT_EQ(trail.events,
                  (std::vector<std::string>{"panel8:Beacon without GPS-coordinates: \r\n",
                                            "markBeacon:" + std::to_string(c.markedFaults),
                                            "panel10:Message saved", "folderNode:220315/MESSAGES.BEA:2"}));
    }
}

TEST_F(MessageFilesTest, FocusedFolderRefreshesTheList)
{
    browser.focused = "220315/MESSAGES.TXT";
    ASSERT_TRUE(saveText("x", 0));
    EXPECT_EQ(trail.count("refreshList"), 1);
    browser.focused = "220315/MESSAGES.BEA";
    ASSERT_TRUE(saveText("x", 0));
    EXPECT_EQ(trail.count("refreshList"), 1);
}

TEST_F(MessageFilesTest, FileNameTakenByAFolderGivesFileOpenError)
{
    fs::create_directories(kTextDir + "220315-123456-REC-OK-1234-5678-07-0.TXT");
    EXPECT_FALSE(saveText("lost?", 0));
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"File Error|File Open Error!"}));
    EXPECT_EQ(trail.count("panel10:Message saved"), 0);
    EXPECT_TRUE(browser.nodes.empty());
}

TEST_F(MessageFilesTest, ShortWriteGivesFileWriteError)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    fs::create_directories(kTextDir);
    fs::create_symlink("/dev/full", kTextDir + "220315-123456-REC-OK-1234-5678-07-0.TXT");
    EXPECT_FALSE(saveText("disk full", 0));
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"File Error|File Write Error!"}));
    EXPECT_EQ(trail.count("panel10:Message saved"), 0);
}

TEST_F(MessageFilesTest, UnwritableDayFolderReportsAndKeepsWhatIsStored)
{
    ASSERT_TRUE(saveText("kept", 0));
    const std::string stored = kTextDir + "220315-123456-REC-OK-1234-5678-07-0.TXT";
    const std::string before = readFile(stored);

    // A regular file where the next day's folder should be blocks even root.
    { std::ofstream("VeltrinData/220316") << "not a folder"; }
    setTime(2022, 3, 16, 8, 0, 0);
    EXPECT_FALSE(saveText("new day", 0));
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"Error|Can not create directory!",  // 220316
                                                     "Error|Can not create directory!",  // MESSAGES.TXT
                                                     "File Error|File Open Error!"}));
    EXPECT_EQ(readFile(stored), before);

    if (!runningAsRoot()) {
        boxes.shown.clear();
        setTime(2022, 3, 15, 13, 0, 0);
        fs::permissions(kTextDir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(saveText("read-only", 0));
        EXPECT_EQ(boxes.shown, (std::vector<std::string>{"File Error|File Open Error!"}));
        EXPECT_EQ(readFile(stored), before);
    }
}

TEST_F(MessageFilesTest, DataFolderThatIsAFileReportsEveryFolder)
{
    fs::remove("VeltrinData");
    { std::ofstream("VeltrinData") << "x"; }
    store.saveBeaconMessage(headerFor(6, 0, bodyWith(""), 0), bodyWith(""), "1.5Bd", 0.0, 0);
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"Error|Can not create directory!",
                                                     "Error|Can not create directory!",
                                                     "Error|Can not create directory!",
                                                     "File Error|File Open Error!"}));
}

}  // namespace
}  // namespace veltrin::test
