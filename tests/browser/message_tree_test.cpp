#include "browser_fixture.h"

namespace veltrin::test {
namespace {

std::vector<std::string> paths(const std::vector<std::unique_ptr<TreeNode>>& nodes)
{
    std::vector<std::string> out;
    for (const auto& n : nodes)
        out.push_back(n->path + " " + n->caption);
    return out;
}

TEST_F(BrowserTest, TreeKeepsDatesInOrderWithTheirFoldersAndIgnoresOtherNames)
{
    fs::create_directories("VeltrinData/220315/MESSAGES.TXT");
    write("VeltrinData/220315/log220315.txt", "log\r\n");
    fs::create_directories("VeltrinData/211231/MESSAGES.GPS");
    fs::create_directories("VeltrinData/211231/MESSAGES.BEA");
    fs::create_directories("VeltrinData/211231/MESSAGES.TXT");
    write("VeltrinData/211231/log211231.txt", "");
    fs::create_directories("VeltrinData/notes!");
    fs::create_directories("VeltrinData/221301/MESSAGES.TXT");
    write("VeltrinData/220101", "a file named like a day");  // a day without folders
    // 3 messages, 1 KML file, a file outside the mask and a sub-folder.
    const std::string txt = "VeltrinData/220315/MESSAGES.TXT/";
    write(txt + "220315-101010-REC-OK-1234-5678-07-0.TXT", "a");
    write(txt + "220315-090000-REC-ER-1234-5678-06-0.TXT", "b");
    write(txt + "220315-090001-SNT-00-1234-5678-06-0.TXT", "c");
    write(txt + "220315-090002-GPS-OK-1234-0000-01-0-x.KML", "d");
    write(txt + "readme.txt", "e");
    fs::create_directories(txt + "220315-090003-REC-OK-1234-5678-07-0.TXT");

    browser.buildMessageTree();
    EXPECT_EQ(paths(browser.tree().roots()),
              (std::vector<std::string>{"211231 31 Dec 2021", "220101 01 Jan 2022", "220315 15 Mar 2022"}));
    EXPECT_EQ(paths(dayNode("211231")->children),
              (std::vector<std::string>{"211231/MESSAGES.BEA (0)", "211231/MESSAGES.GPS (0)",
                                        "211231/MESSAGES.TXT (0)", "211231/log211231.txt Log"}));
    EXPECT_EQ(paths(dayNode("220315")->children),
              (std::vector<std::string>{"220315/MESSAGES.TXT (4)", "220315/log220315.txt Log"}));
    EXPECT_EQ(child("211231", "MESSAGES.GPS")->kind, 3);
    EXPECT_EQ(child("220315", "log220315.txt")->kind, 14);
    EXPECT_TRUE(dayNode("220101")->children.empty());

    MessageTree& tree = browser.tree();
    EXPECT_EQ(tree.countFolderFiles(child("220315", "MESSAGES.TXT")), 4);
    EXPECT_EQ(tree.countFolderFiles(nullptr), -1);
    EXPECT_EQ(tree.ensureDayNode("221301"), nullptr);
    TreeNode* day = dayNode("220315");
    EXPECT_EQ(tree.ensureFolderNode(day, "SHORT!", 1), nullptr);     // 6 characters
    EXPECT_EQ(tree.ensureFolderNode(day, "MESSAGES.TXT", 0), nullptr);
    EXPECT_EQ(tree.ensureFolderNode(day, "MESSAGES.TXT", 16), nullptr);
    EXPECT_EQ(tree.ensureFolderNode(nullptr, "MESSAGES.TXT", 1), nullptr);
    EXPECT_EQ(tree.ensureFolderNode(day, "MESSAGES.TXT", 1), child("220315", "MESSAGES.TXT"));

    // A folder that is not there (yet) keeps "(?)" and counts -2.
    TreeNode* missing = tree.ensureFolderNode(day, "MESSAGES.BEA", 2);
    EXPECT_EQ(missing->caption, "(?)");
    EXPECT_EQ(tree.countFolderFiles(missing), -2);
    EXPECT_EQ(dayNode("220315")->children.front().get(), missing);

    // A new day between the others; a new file refreshes the count.
    TreeNode* newDay = tree.ensureDayNode("220102");
    EXPECT_EQ(tree.roots()[2].get(), newDay);
    write(txt + "220315-111111-REC-OK-1234-5678-08-0.TXT", "f");
    EXPECT_EQ(tree.ensureFolderNode(day, "MESSAGES.TXT", 1)->caption, "(5)");
}

TEST_F(BrowserTest, TodaysMessagesAreSelectedAtStartAndOnlyVisibleChildrenFillTheList)
{
    write("VeltrinData/220315/MESSAGES.TXT/220315-101010-REC-OK-1234-5678-07-0.TXT", "x");
    write("VeltrinData/220315/MESSAGES.BEA/220315-101010-BEA-OK-1234-0000-07-0.TXT", "x");
    browser.buildMessageTree();
    browser.selectTodaysMessages();  // no raw log: nothing
    EXPECT_EQ(browser.tree().focused(), nullptr);

    logDay = "220315";
    browser.selectTodaysMessages();
    TreeNode* messages = child("220315", "MESSAGES.TXT");
    EXPECT_EQ(browser.tree().focused(), messages);
    EXPECT_TRUE(dayNode("220315")->expanded);
    EXPECT_EQ(browser.list().displayedPath(), "VeltrinData/220315/MESSAGES.TXT");
    EXPECT_EQ(panels.last[10], "VeltrinData/220315/MESSAGES.TXT");

    // A collapsed day hides its children: the list empties.
    browser.tree().setExpanded(dayNode("220315"), false);
    browser.LeftTreeAfterSelectionChange();
    EXPECT_EQ(browser.list().displayedPath(), "");
    browser.tree().setFocused(dayNode("220315"));
    browser.tree().setExpanded(dayNode("220315"), true);
    browser.LeftTreeAfterSelectionChange();
    EXPECT_TRUE(browser.list().entries().empty());
}

}  // namespace
}  // namespace veltrin::test
