// The browser in the running window: LeftTree and StringGrid1 over a data
// folder on disk, a recording decoded while the window runs, and the
// "Open with ..." program started without a shell.
#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTableWidget>
#include <QTreeWidget>
#include <fstream>

#include "../app_gui/gui_fixture.h"
#include "browser/message_list_widget.h"
#include "browser/message_tree_widget.h"
#include "messages/data_folders.h"
#include "platform/clock.h"
#include "platform/open_with_dialog.h"

namespace veltrin::testing {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& path, const std::string& content)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string today()
{
    return dayFolderName(currentCalendarTime(false));
}

class BrowserWindow : public WindowFixture {
protected:
    QTreeWidget* tree() { return form->findChild<QTreeWidget*>(QStringLiteral("LeftTree")); }
    MessageListWidget* grid() { return form->findChild<MessageListWidget*>(QStringLiteral("StringGrid1")); }
    QStringList captions(QTreeWidgetItem* parent)
    {
        QStringList out;
        const int n = parent ? parent->childCount() : tree()->topLevelItemCount();
        for (int i = 0; i < n; ++i)
            out << (parent ? parent->child(i) : tree()->topLevelItem(i))->text(0);
        return out;
    }
    QAction* item(const char* name) { return form->findChild<QAction*>(QString::fromLatin1(name)); }
};

TEST_F(BrowserWindow, StartShowsTheDaysAndTodaysMessagesNewestSelected)
{
    const std::string d = today();
    write("VeltrinData/211231/MESSAGES.TXT/211231-090000-REC-OK-1234-5678-06-0.TXT", "old\r\n");
    write("VeltrinData/211231/log211231.txt", "old log\r\n");
    fs::create_directories("VeltrinData/notes!");
    write("VeltrinData/" + d + "/MESSAGES.TXT/" + d + "-000001-REC-ER-1234-5678-06-0.TXT", "first\r\n");
    write("VeltrinData/" + d + "/MESSAGES.TXT/" + d + "-000002-SNT-00-1234-5678-07-0.TXT", "sent\r\n");
    createWindow();
    showAndActivate();

    ASSERT_EQ(tree()->topLevelItemCount(), 2);
    EXPECT_EQ(tree()->topLevelItem(0)->text(0), QStringLiteral("31 Dec 2021"));
    EXPECT_EQ(captions(tree()->topLevelItem(0)), (QStringList{"(1)", "Log"}));
    QTreeWidgetItem* now = tree()->topLevelItem(1);
    EXPECT_EQ(captions(now), (QStringList{"(2)", "Log"}));  // the log of today came with the start
    EXPECT_TRUE(now->isExpanded());
    EXPECT_EQ(tree()->currentItem(), now->child(0));
    EXPECT_FALSE(now->child(0)->icon(0).isNull());
    EXPECT_LE(tree()->width(), 130);

    ASSERT_EQ(grid()->rowCount(), 4);
    EXPECT_EQ(grid()->item(0, 0)->text(), QStringLiteral("1"));
    EXPECT_EQ(grid()->item(0, 1)->text(), QStringLiteral("00:00:01"));
    EXPECT_EQ(grid()->item(1, 0)->text(), QStringLiteral("8"));
    EXPECT_EQ(grid()->item(3, 1)->text(), QStringLiteral("sent"));
    EXPECT_EQ(grid()->rowHeight(0), 24 + MessageList::kGridLineWidth);
    EXPECT_EQ(grid()->selectedRow(), 3);
    EXPECT_TRUE(grid()->isVisible());
    // The delivered sent file's text row is light grey, its header silver.
    const QImage picture = grid()->viewport()->grab().toImage();
    const QRect text = grid()->visualRect(grid()->model()->index(3, 1));
    const QRect header = grid()->visualRect(grid()->model()->index(2, 1));
    EXPECT_EQ(picture.pixelColor(text.right() - 4, text.top() + 2), QColor(218, 218, 218));
    EXPECT_EQ(picture.pixelColor(header.right() - 4, header.top() + 2), QColor(192, 192, 192));

    // Today cannot be deleted; the old day can.
    tree()->setCurrentItem(now);
    static_cast<MessageTreeWidget*>(tree())->updatePopupMenu();
    EXPECT_FALSE(item("TreeMenuItemDelete")->isEnabled());
    tree()->setCurrentItem(tree()->topLevelItem(0)->child(1));
    auto* log = form->findChild<QPlainTextEdit*>(QStringLiteral("LogMemo"));
    EXPECT_TRUE(log->isVisible());
    EXPECT_FALSE(grid()->isVisible());
    EXPECT_EQ(log->toPlainText(), QStringLiteral("old log\n"));
    static_cast<MessageTreeWidget*>(tree())->updatePopupMenu();
    EXPECT_TRUE(item("TreeMenuItemDelete")->isEnabled());
    boxes.shown.clear();
}

TEST_F(BrowserWindow, MessageDecodedWhileRunningAppearsInTheList)
{
    const fs::path recording = root / "live.wav";
    const int made = QProcess::execute(QStringLiteral(VELTRIN_BIN_DIR "/veltrin-gen"),
                                       {QStringLiteral("-o"), QString::fromStdString(recording.string()),
                                        QStringLiteral("--quiet"), QStringLiteral("--from"), QStringLiteral("4666"),
                                        QStringLiteral("--text"), QStringLiteral("Decoded while the window runs")});
    ASSERT_EQ(made, 0);
    const std::string d = today();
    write("VeltrinData/" + d + "/MESSAGES.TXT/" + d + "-000001-REC-OK-1234-5678-06-0.TXT", "earlier\r\n");

    StationEnvironment env = stationEnvironment();
    env.audioSource = "wav:" + recording.string();
    env.fastAudio = true;
    createWindow(environment(), env);
    showAndActivate();
    ASSERT_TRUE(pumpUntil([&] { return grid()->rowCount() == 4; }, 30000)) << grid()->rowCount();
    EXPECT_NE(grid()->item(3, 1)->text().indexOf(QStringLiteral("Decoded while the window runs")), -1);
    EXPECT_EQ(grid()->item(3, 0)->text(), QStringLiteral("10"));
    EXPECT_EQ(grid()->selectedRow(), 3);
    EXPECT_EQ(tree()->topLevelItem(0)->child(0)->text(0), QStringLiteral("(2)"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(OpenWith, ProgramGetsThePathAsOneArgumentWithoutAShell)
{
    application();
    const fs::path dir = fs::temp_directory_path() / ("veltrin_openwith_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path script = dir / "record args";
    const fs::path out = dir / "args.txt";
    write(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + out.string() + "\"\n");
    fs::permissions(script, fs::perms::owner_all);
    const QString path = QStringLiteral("/tmp/a b; touch %1/pwned $(id).TXT").arg(QString::fromStdString(dir.string()));

    ASSERT_TRUE(startProgramWith(QStringLiteral("\"%1\" --flag").arg(QString::fromStdString(script.string())), path));
    ASSERT_TRUE(pumpUntil([&] { return fs::exists(out) && fs::file_size(out) > 0; }, 10000));
    std::ifstream in(out);
    std::string flag, got;
    std::getline(in, flag);
    std::getline(in, got);
    EXPECT_EQ(flag, "--flag");
    EXPECT_EQ(QString::fromStdString(got), path);
    EXPECT_FALSE(fs::exists(dir / "pwned"));
    EXPECT_FALSE(startProgramWith(QStringLiteral("   "), path));
    EXPECT_EQ(programWords(QStringLiteral("\"my editor\" -n")), (QStringList{"my editor", "-n"}));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace veltrin::testing
