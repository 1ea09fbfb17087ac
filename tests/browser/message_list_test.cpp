#include "browser/map_page.h"
#include "browser_fixture.h"

namespace veltrin::test {
namespace {

const char* const kTxt = "VeltrinData/220315/MESSAGES.TXT/";
const char* const kGps = "VeltrinData/220315/MESSAGES.GPS/";
const std::string kGpsBase = "220315-101010-GPS-OK-1234-0000-01-0-220315-101500";
const std::string kGpsText = "1234 > 0 GPS\r\nLat=55.7558260000  Lon=37.6172990000\r\n";

TEST_F(BrowserTest, ListShowsFilesInTimeOrderWithKindsAndSelectsTheNewest)
{
    write(std::string(kTxt) + "220315-101010-REC-OK-1234-5678-07-0.TXT", "second\r\nline two\r\n");
    write(std::string(kTxt) + "220315-090000-REC-ER-1234-5678-06-0.TXT", "first\r\n");
    write(std::string(kTxt) + "220315-095000-SNT-00-1234-5678-06-0.TXT", "sent\r\n");
    write(std::string(kTxt) + "readme.txt", "not listed");
    browser.buildMessageTree();
    view.height = 80;
    focus(child("220315", "MESSAGES.TXT"));

    const MessageList& list = browser.list();
    ASSERT_EQ(list.entries().size(), 3u);
    EXPECT_EQ(list.entries()[0].time, "09:00:00");
    EXPECT_EQ(list.entries()[0].kind, 8);
    EXPECT_EQ(list.entries()[0].text, "first\r\n");
    EXPECT_EQ(list.entries()[1].sent, 1);
    EXPECT_EQ(list.entries()[2].time, "10:10:10");
    EXPECT_EQ(list.entries()[2].kind, 10);
    EXPECT_EQ(list.rowCount(), 6);
    // Heights: header 24; text rows measured within client width - 58
    // (another 48 less for sent files), plus 10.
    EXPECT_EQ(list.rowHeight(4), 24);
    EXPECT_EQ(list.rowHeight(5), 20 * 3 + 10);
    EXPECT_EQ(view.selected, 5);
    EXPECT_EQ(view.focused, 1);
    // 80 pixels hold the last text row (73 with its line) only.
    EXPECT_EQ(view.top, 5);
    EXPECT_TRUE(list.gridVisible());
    EXPECT_FALSE(list.logVisible());

    view.width = 500;
    browser.relayoutMessageList();
    EXPECT_EQ(view.lastMeasureWidth, 500 - 60);
}

TEST_F(BrowserTest, LogNodeShowsTheLogTextAndOneFileSelectsNothing)
{
    write("VeltrinData/220315/log220315.txt", std::string("line one\r\n\0hidden", 18) + "\r\nmore");
    write(std::string(kTxt) + "220315-101010-REC-OK-1234-5678-07-0.TXT", "only\r\n");
    browser.buildMessageTree();
    focus(child("220315", "log220315.txt"));
    EXPECT_TRUE(browser.list().logVisible());
    EXPECT_FALSE(browser.list().gridVisible());
    EXPECT_EQ(browser.list().logText(), "line one\r\n");  // a zero byte ends its 256-byte piece

    fs::remove("VeltrinData/220315/log220315.txt");
    browser.LeftTreeAfterSelectionChange();
    EXPECT_EQ(browser.list().displayedPath(), "");  // a vanished log shows nothing

    focus(child("220315", "MESSAGES.TXT"));
    EXPECT_EQ(browser.list().rowCount(), 2);
    EXPECT_EQ(view.selected, -1);
    EXPECT_EQ(loadLogText("VeltrinData/nothing.txt"), "File not exists! \r\n");
}

TEST_F(BrowserTest, KmlFilesShowTheirNotesAndTheGpsFileOrItsAbsence)
{
    write(kGps + kGpsBase + ".TXT", kGpsText);
    write(kGps + kGpsBase + ".KML", "<kml/>");
    write(std::string(kGps) + "220315-111111-GPS-OK-1234-0000-02-0-220315-111500.KML", "<kml/>");
    browser.buildMessageTree();
    focus(child("220315", "MESSAGES.GPS"));
    const auto& entries = browser.list().entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].kind, 7);
    EXPECT_EQ(entries[1].kind, 6);
    EXPECT_EQ(entries[0].text,
              "It is KML-file.\r\nMake double-click to open it in Google Earth.\r\n\r\n\r\n" + kGpsText);
    EXPECT_EQ(entries[2].text,
              "It is KML-file.\r\nMake double-click to open it in Google Earth.\r\n\r\nGPS-file is absent.\r\n");
    EXPECT_EQ(browser.list().messageText(0, 0), "");
    EXPECT_EQ(browser.list().messageText(9, 7), "");
}

TEST_F(BrowserTest, GridCommandsOpenCopyAndDeleteTheSelectedFile)
{
    const std::string first = std::string(kTxt) + "220315-090000-REC-OK-1234-5678-06-0.TXT";
    const std::string second = std::string(kTxt) + "220315-100000-REC-OK-1234-5678-07-0.TXT";
    write(first, "one\r\n");
    write(second, "two\r\n");
    browser.buildMessageTree();
    focus(child("220315", "MESSAGES.TXT"));

    browser.MenuItemOpenClick(0);
    EXPECT_EQ(shell.last, (root / first).string());
    browser.MenuItemOpenAsClick(3);
    EXPECT_EQ(shell.lastOpenWith, (root / second).string());
    browser.MenuItemCopyClick(1);
    EXPECT_EQ(clipboard, "one\r\n");
    EXPECT_FALSE(browser.mapCommandsEnabled(1));

    boxes.answer = false;
    browser.MenuItemDeleteClick(1);
    EXPECT_TRUE(fs::exists(first));
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0], "Delete message?|Delete the file 220315-090000-REC-OK-1234-5678-06-0.TXT ?");

    boxes.answer = true;
    browser.MenuItemDeleteClick(1);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(panels.last[8], "220315 MESSAGES.TXT");
    EXPECT_EQ(child("220315", "MESSAGES.TXT")->caption, "(1)");
    EXPECT_EQ(browser.list().entries().size(), 1u);
    EXPECT_EQ(view.selected, 1);  // the file that took its place

    browser.MenuItemDeleteClick(1);
    EXPECT_EQ(child("220315", "MESSAGES.TXT")->caption, "(0)");
    EXPECT_EQ(browser.list().rowCount(), 1);
    EXPECT_TRUE(browser.list().entries().empty());

    // Rows without a file do nothing.
    const int opened = shell.count;
    browser.MenuItemOpenClick(0);
    browser.MenuItemDeleteClick(7);
    EXPECT_EQ(shell.count, opened);
}

TEST_F(BrowserTest, TreeDeleteNeverTouchesTodayAndClearsOtherDays)
{
    for (const char* day : {"220314", "220315"}) {
        const std::string d = std::string("VeltrinData/") + day;
        write(d + "/MESSAGES.TXT/" + day + "-090000-REC-OK-1234-5678-06-0.TXT", "m");
        write(d + "/MESSAGES.BEA/" + day + "-090000-BEA-OK-1234-0000-06-0.TXT", "b");
        write(d + "/log" + day + ".txt", "log");
    }
    write("VeltrinData/220314/stray.bin", "x");
    fs::create_directories("VeltrinData/220314/MESSAGES.TXT/keep");  // sub-folders stay
    browser.buildMessageTree();

    // No raw log at all: never.
    browser.tree().setFocused(dayNode("220314"));
    EXPECT_FALSE(browser.treeDeleteAllowed());

    logDay = "220315";
    for (TreeNode* n : {dayNode("220315"), child("220315", "MESSAGES.TXT"), child("220315", "log220315.txt")}) {
        browser.tree().setFocused(n);
        EXPECT_FALSE(browser.treeDeleteAllowed()) << n->path;
        browser.TreeMenuItemDeleteClick();
    }
    EXPECT_TRUE(boxes.asked.empty());
    EXPECT_TRUE(fs::exists("VeltrinData/220315/log220315.txt"));
    // The clock's day is protected as well.
    today = "220314";
    browser.tree().setFocused(dayNode("220314"));
    EXPECT_FALSE(browser.treeDeleteAllowed());
    today = "991231";

    focus(child("220314", "log220314.txt"));
    browser.TreeMenuItemDeleteClick();
    EXPECT_EQ(boxes.asked.back(), "Delete daily log?|Delete the file log220314.txt ?");
    EXPECT_FALSE(fs::exists("VeltrinData/220314/log220314.txt"));
    EXPECT_EQ(child("220314", "log220314.txt"), nullptr);

    focus(child("220314", "MESSAGES.BEA"));
    browser.TreeMenuItemDeleteClick();
    EXPECT_EQ(boxes.asked.back(), "Delete this folder?|Delete contents of folder 220314/MESSAGES.BEA ?");
    EXPECT_FALSE(fs::exists("VeltrinData/220314/MESSAGES.BEA"));

    boxes.answer = false;
    browser.tree().setFocused(dayNode("220314"));
    browser.TreeMenuItemDeleteClick();
    EXPECT_NE(dayNode("220314"), nullptr);
    boxes.answer = true;
    browser.TreeMenuItemDeleteClick();
    EXPECT_EQ(boxes.asked.back(), "Delete daily folder?|Delete contents of folder 220314 ?");
    EXPECT_EQ(dayNode("220314"), nullptr);
    EXPECT_FALSE(fs::exists("VeltrinData/220314/MESSAGES.TXT/220314-090000-REC-OK-1234-5678-06-0.TXT"));
    EXPECT_FALSE(fs::exists("VeltrinData/220314/stray.bin"));
    EXPECT_TRUE(fs::exists("VeltrinData/220314/MESSAGES.TXT/keep"));  // not empty: the folders stay
    EXPECT_TRUE(fs::exists("VeltrinData/220315/MESSAGES.TXT"));
}

TEST_F(BrowserTest, TreeOpenHandsFoldersAndLogsToTheDesktop)
{
    write("VeltrinData/220315/MESSAGES.TXT/220315-090000-REC-OK-1234-5678-06-0.TXT", "m");
    write("VeltrinData/220315/log220315.txt", "log");
    browser.buildMessageTree();
    browser.tree().setFocused(child("220315", "log220315.txt"));
    browser.TreeMenuItemOpenClick();
    EXPECT_EQ(shell.last, (root / "VeltrinData/220315/log220315.txt").string());
    EXPECT_EQ(panels.last[10], "VeltrinData/220315/log220315.txt  0");
    browser.tree().setFocused(dayNode("220315"));
    browser.TreeMenuItemOpenAsClick();
    EXPECT_EQ(shell.lastOpenWith, (root / "VeltrinData/220315").string());
    EXPECT_EQ(panels.last[10], "VeltrinData/220315  1");

    fs::remove_all("VeltrinData/220315/MESSAGES.TXT");
    browser.tree().setFocused(child("220315", "MESSAGES.TXT"));
    const int before = shell.count;
    browser.TreeMenuItemOpenClick();
    EXPECT_EQ(shell.count, before);
}

TEST_F(BrowserTest, MapCommandsReadThePositionBackFromTheStoredFile)
{
    write(kGps + kGpsBase + ".TXT", kGpsText);
    write(kGps + kGpsBase + ".KML",
          "<Placemark><Point><coordinates>37.6172990000,55.7558260000,0.0000000000</coordinates></Point>");
    browser.buildMessageTree();
    focus(child("220315", "MESSAGES.GPS"));
    ASSERT_EQ(browser.list().entries().size(), 2u);

    for (int row : {1, 3}) {  // the KML file, then the GPS text file
        EXPECT_TRUE(browser.mapCommandsEnabled(row));
        browser.MenuItemGoogleMapsClick(row);
        EXPECT_EQ(shell.last, "https://maps.google.com/?q=55.7558260000,37.6172990000");
        browser.MenuItemYandexMapsClick(row);
        EXPECT_EQ(shell.last, (root / "VeltrinData/~~~tmp~ymaps.html").string());
        const std::string page = read("VeltrinData/~~~tmp~ymaps.html");
        EXPECT_NE(page.find("\r\nfunction init(){myMap = new ymaps.Map(\"map\", {center: [55.755826, 37.617299],zoom: 14});\r\n"),
                  std::string::npos);
    }
    const std::vector<std::string> lines = mapPageLines(55.755826, 37.617299);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "<!DOCTYPE html>");
    EXPECT_EQ(lines[1], "<html xmlns=\"http://www.w3.org/1999/xhtml\">");
    EXPECT_EQ(lines[4], "<script src=\"https://api-maps.yandex.ru/2.1/?lang=ru_RU\" type=\"text/javascript\"></script>");
    EXPECT_EQ(lines[7], "myPlacemark = new ymaps.Placemark([55.755826, 37.617299], {hintContent: 'Location',"
                        "balloonContent: 'Sector position'},{preset: 'islands#redIcon'});");
    EXPECT_EQ(lines[9], "</script></head><body><div id=\"map\"  style=\"width: 1024px; height: 768px\"  ></div></body></html>");

    double lat = 0, lon = 0;
    EXPECT_FALSE(readCoordinates("no markers here", false, lat, lon));
    EXPECT_FALSE(readCoordinates("<coordinates>37.1", true, lat, lon));
}

TEST_F(BrowserTest, MapCommandsStayOffForBeaconsAndWorkForTheReceptionDayCopy)
{
    const std::string bea = "VeltrinData/220315/MESSAGES.BEA/";
    write(bea + "220315-101500-BEA-OK-1234-0000-01-0.TXT", "beacon\r\n");
    write(bea + "220315-101600-GPS-OK-1234-0000-02-0.TXT", kGpsText);
    write(bea + "220315-101700-GPS-OK-1234-0000-03-0.TXT", "Lat= missing\r\n");
    browser.buildMessageTree();
    focus(child("220315", "MESSAGES.BEA"));
    EXPECT_FALSE(browser.mapCommandsEnabled(1));
    EXPECT_TRUE(browser.mapCommandsEnabled(3));
    browser.MenuItemGoogleMapsClick(1);
    EXPECT_EQ(shell.count, 0);
    browser.MenuItemGoogleMapsClick(3);
    EXPECT_EQ(shell.last, "https://maps.google.com/?q=55.7558260000,37.6172990000");
    browser.MenuItemGoogleMapsClick(5);  // no "Lon=": nothing
    EXPECT_EQ(shell.count, 1);
}

}  // namespace
}  // namespace veltrin::test
