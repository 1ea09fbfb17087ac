// The receive window text and the raw daily log.
#include <gtest/gtest.h>

#include "message_fixture.h"
#include "messages/receive_log.h"

namespace veltrin::test {
namespace {

class ReceiveLogTest : public StorageTest {
protected:
    std::unique_ptr<ReceiveLog> log;
    RecordingBrowser browser{trail};
    std::string mirror;  // the window as a widget following the changes would show it

    void SetUp() override
    {
        StorageTest::SetUp();
        log = std::make_unique<ReceiveLog>(settings, boxes);
        log->setBrowserPort(&browser);
        mirror = log->text();
        log->setTextChangedHandler([this](const RxTextChange& c) {
            if (c.replaced)
                mirror.clear();
            mirror.erase(0, c.removedFromFront);
            mirror += c.appended;
        });
    }
    void TearDown() override
    {
        log.reset();
        StorageTest::TearDown();
    }
};

const std::string kLog15 = "VeltrinData/220315/log220315.txt";
const std::string kLog16 = "VeltrinData/220316/log220316.txt";

TEST_F(ReceiveLogTest, EndMarkerSplitAcrossCallsGetsATimeMarkAndIsFlushed)
{
    settings.rawLogTimeMarks = 1;
    log->rollDailyRawLog();
    ASSERT_TRUE(log->rawLogOpen());
    log->rawLogNewLine();
    log->appendRxText("[5678>1234]{start}Hi{en");
    EXPECT_EQ(readFile(kLog15), "");  // still in the stream buffer
    log->appendRxText("d}");
    EXPECT_EQ(readFile(kLog15), "\r\n[5678>1234]{start}Hi{end}<12:34:56>\r\n");
    EXPECT_EQ(log->text(), "Veltrin 1.11\n[5678>1234]{start}Hi{end}");
    EXPECT_EQ(mirror, log->text());
}

TEST_F(ReceiveLogTest, WithoutTimeMarksAnEndGetsALineEnd)
{
    log->rollDailyRawLog();
    log->putRxChar(0);  // ignored everywhere
    log->appendRxText("body with {end} inside{end}");
    EXPECT_EQ(readFile(kLog15), "body with {end}\r\n inside{end}\r\n");
}

TEST_F(ReceiveLogTest, WindowKeepsThirtyLines)
{
    for (int i = 1; i <= 28; ++i)
        log->appendRxText(("line " + std::to_string(i) + "\r\n").c_str());
    // Start line + 28 lines + the empty line being written: 30 lines.
    EXPECT_EQ(log->text().substr(0, 13), "Veltrin 1.11\n");
    log->appendRxText("line 29\r\n");
    EXPECT_EQ(log->text().substr(0, 7), "line 1\n");
    EXPECT_EQ(std::count(log->text().begin(), log->text().end(), '\n'), 29);
    EXPECT_EQ(mirror, log->text());
    EXPECT_FALSE(log->rawLogOpen());  // nothing to log before the first roll
}

TEST_F(ReceiveLogTest, ReplacedTextIsShownNotLoggedAndStillLimited)
{
    log->rollDailyRawLog();
    log->replaceText("Working directory was changed to default directory\r\n/srv/radio\r\n");
    EXPECT_EQ(log->text(), "Working directory was changed to default directory\n/srv/radio\n");
    EXPECT_EQ(mirror, log->text());
    log->appendRxText("ab");
    EXPECT_EQ(mirror, log->text());

    std::string many;
    for (int i = 0; i < 40; ++i)
        many += "line " + std::to_string(i) + "\n";
    log->replaceText(many);
    EXPECT_EQ(log->text().rfind("line 11\n", 0), 0u);  // 29 full lines and an empty last one
    log->closeRawLog();
    EXPECT_EQ(readFile(kLog15), "ab");
}

TEST_F(ReceiveLogTest, DayRollsAtTheFirstEndOfTheNewDay)
{
    settings.rawLogTimeMarks = 1;
    setTime(2022, 3, 15, 23, 59, 58);
    log->rollDailyRawLog();
    log->appendRxText("late{end}");
    setTime(2022, 3, 16, 0, 0, 3);
    log->appendRxText("past midnight{end}");
    log->appendRxText("new day");
    log->closeRawLog();
    EXPECT_EQ(readFile(kLog15), "late{end}<23:59:58>\r\npast midnight{end}<00:00:03>\r\n");
    EXPECT_EQ(readFile(kLog16), "new day");
    EXPECT_EQ(trail.events, (std::vector<std::string>{"folderNode:220315/log220315.txt:14",
                                                      "reveal:220315/log220315.txt",
                                                      "folderNode:220316/log220316.txt:14",
                                                      "reveal:220316/log220316.txt"}));
}

TEST_F(ReceiveLogTest, SameDayOfTheNextMonthKeepsTheOldFile)
{
    log->rollDailyRawLog();
    setTime(2022, 4, 15, 9, 0, 0);
    log->appendRxText("a month later{end}");
    log->closeRawLog();
    EXPECT_EQ(readFile(kLog15), "a month later{end}\r\n");
    EXPECT_FALSE(fs::exists("VeltrinData/220415"));
}

TEST_F(ReceiveLogTest, ExistingLogIsAppendedTo)
{
    fs::create_directories("VeltrinData/220315");
    { std::ofstream(kLog15, std::ios::binary) << "earlier\r\n"; }
    log->rollDailyRawLog();
    log->appendRxText("x{end}");
    EXPECT_EQ(readFile(kLog15), "earlier\r\nx{end}\r\n");
}

TEST_F(ReceiveLogTest, FocusedLogNodeRefreshesTheListAtEveryEnd)
{
    log->rollDailyRawLog();
    browser.focused = "220315/log220315.txt";
    log->appendRxText("one{end}two");
    EXPECT_EQ(trail.count("refreshList"), 1);
    browser.focused = "220315/MESSAGES.TXT";
    log->appendRxText("{end}");
    EXPECT_EQ(trail.count("refreshList"), 1);
}

TEST_F(ReceiveLogTest, LogThatCannotBeOpenedIsNotRetriedThatDay)
{
    fs::create_directories("VeltrinData");
    { std::ofstream("VeltrinData/220315") << "a file, not a folder"; }
    log->rollDailyRawLog();
    EXPECT_FALSE(log->rawLogOpen());
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"Error|Can not create directory!", "File Error|File FOpen Error!"}));
    log->appendRxText("lost{end}");
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(log->text(), "Veltrin 1.11\nlost{end}");  // the window goes on

    setTime(2022, 3, 16, 0, 0, 1);
    log->appendRxText("{end}");
    EXPECT_TRUE(log->rawLogOpen());
    EXPECT_EQ(boxes.shown.size(), 2u);
}

}  // namespace
}  // namespace veltrin::test
