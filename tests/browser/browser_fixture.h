#pragma once
// A data folder in a temporary working directory, recorders for the
// browser's ports and a list view that records what the browser asks of it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "browser/message_browser.h"
#include "platform/shell.h"
#include "platform/ui_ports.h"

namespace veltrin::test {

namespace fs = std::filesystem;

struct AnsweringBoxes : MessageBoxes {
    bool answer = true;
    std::vector<std::string> asked;  // "caption|text"
    void showMessage(const std::string& text, const std::string& caption) override
    {
        asked.push_back("shown " + caption + "|" + text);
    }
    bool askOkCancel(const std::string& text, const std::string& caption) override
    {
        asked.push_back(caption + "|" + text);
        return answer;
    }
};

struct PanelRecorder : StatusPanels {
    std::map<int, std::string> last;
    void setPanelText(int index, const std::string& text) override { last[index] = text; }
};

// One line is 20 pixels; every 40 pixels of width take one more line for
// texts longer than the width allows, so widths matter.
struct RecordingListView : ListView {
    int width = 600;
    int height = 200;
    int selected = -1;
    int top = 0;
    int fills = 0;
    int focused = 0;
    int wrappedHeight(const std::string& text, int w) override
    {
        lastMeasureWidth = w;
        int lines = 1;
        for (char c : text)
            lines += c == '\n';
        return 20 * lines;
    }
    int clientWidth() const override { return width; }
    int clientHeight() const override { return height; }
    void listFilled() override
    {
        ++fills;
        selected = -1;
        top = 0;
    }
    void rowHeightsChanged() override {}
    int selectedRow() const override { return selected; }
    void selectRow(int row) override { selected = row; }
    int topRow() const override { return top; }
    void setTopRow(int row) override { top = row; }
    void focusList() override { ++focused; }
    int lastMeasureWidth = 0;
};

class BrowserTest : public ::testing::Test {
protected:
    fs::path root;
    AnsweringBoxes boxes;
    PanelRecorder panels;
    NullShell shell;
    RecordingListView view;
    MessageBrowser browser{"VeltrinData"};
    std::string clipboard;
    std::string logDay;   // the day of the raw log "now open" ("" = none)
    std::string today = "991231";

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = fs::temp_directory_path() / ("veltrin_browser_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(root);
        fs::create_directories(root);
        saved_ = fs::current_path();
        fs::current_path(root);
        BrowserPorts ports;
        ports.panels = &panels;
        ports.boxes = &boxes;
        ports.shell = &shell;
        ports.copyText = [this](const std::string& text) { clipboard = text; };
        ports.logNode = [this]() -> BrowserNode {
            if (logDay.empty())
                return nullptr;
            BrowserNode day = browser.ensureDayNode(logDay);
            return browser.ensureFolderNode(day, "log" + logDay + ".txt", 14);
        };
        ports.today = [this] { return today; };
        browser.setPorts(ports);
        browser.setListView(&view);
    }
    void TearDown() override
    {
        fs::current_path(saved_);
        fs::remove_all(root);
    }

    static void write(const fs::path& path, const std::string& content)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    TreeNode* dayNode(const std::string& name)
    {
        for (const auto& day : browser.tree().roots())
            if (day->path == name)
                return day.get();
        return nullptr;
    }
    TreeNode* child(const std::string& day, const std::string& name)
    {
        TreeNode* d = dayNode(day);
        if (!d)
            return nullptr;
        for (const auto& c : d->children)
            if (c->name() == name)
                return c.get();
        return nullptr;
    }
    // The user focuses a node (its day expanded) and the list follows.
    void focus(TreeNode* node)
    {
        ASSERT_NE(node, nullptr);
        browser.tree().expandTo(node);
        browser.tree().setFocused(node);
        browser.LeftTreeAfterSelectionChange();
    }

private:
    fs::path saved_;
};

}  // namespace veltrin::test
