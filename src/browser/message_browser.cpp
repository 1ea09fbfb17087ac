#include "browser/message_browser.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "browser/file_names.h"
#include "browser/folder_files.h"
#include "browser/map_page.h"
#include "config/interface_texts.h"
#include "platform/shell.h"
#include "platform/ui_ports.h"
#include "platform/working_directory.h"

namespace veltrin {

namespace {

constexpr int kPanelNotice = 8;
constexpr int kPanelResult = 10;
constexpr std::size_t kMinPathLength = 7;

// Where no widget measures: one 16-pixel line per line end.
class LineCountMeasure : public TextMeasure {
public:
    int wrappedHeight(const std::string& text, int) override
    {
        return 16 * static_cast<int>(1 + std::count(text.begin(), text.end(), '\n'));
    }
};

void removeFile(const std::string& path)
{
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

}  // namespace

std::string fillPlaceholder(const std::string& text, const std::string& value)
{
    const std::size_t at = text.find("%s");
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + value + text.substr(at + 2);
}

MessageBrowser::MessageBrowser(std::string dataFolder) : tree_(std::move(dataFolder)) {}

MessageBrowser::~MessageBrowser() = default;

void MessageBrowser::setPorts(BrowserPorts ports)
{
    ports_ = std::move(ports);
    list_.setInterfaceTexts(ports_.texts);
}

const InterfaceTexts& MessageBrowser::texts() const
{
    return ports_.texts ? *ports_.texts : interfaceTexts();
}

void MessageBrowser::setPanel(int index, const std::string& text)
{
    if (ports_.panels)
        ports_.panels->setPanelText(index, text);
}

TreeNode* MessageBrowser::node(BrowserNode handle) const
{
    auto* n = static_cast<TreeNode*>(handle);
    return tree_.contains(n) ? n : nullptr;
}

TreeNode* MessageBrowser::currentLogNode() const
{
    return ports_.logNode ? node(ports_.logNode()) : nullptr;
}

BrowserNode MessageBrowser::ensureDayNode(const std::string& dayFolder)
{
    return tree_.ensureDayNode(dayFolder);
}

BrowserNode MessageBrowser::ensureFolderNode(BrowserNode day, const std::string& name, int kind)
{
    return tree_.ensureFolderNode(node(day), name, kind);
}

bool MessageBrowser::isFocusedNode(BrowserNode handle) const
{
    return handle && tree_.focused() == handle;
}

void MessageBrowser::revealNode(BrowserNode handle)
{
    tree_.reveal(node(handle));
}

void MessageBrowser::buildMessageTree()
{
    tree_.build();
}

void MessageBrowser::selectTodaysMessages()
{
    TreeNode* log = currentLogNode();
    if (!log || !log->parent)
        return;
    for (const auto& child : log->parent->children) {
        if (child->path.find("MESSAGES.TXT") == std::string::npos)
            continue;
        tree_.reveal(child.get());
        tree_.setFocused(child.get());
        if (TreeView* view = tree_.view())
            view->focusNode(child.get());
        LeftTreeAfterSelectionChange();
        return;
    }
}

void MessageBrowser::LeftTreeAfterSelectionChange()
{
    TreeNode* focused = tree_.focused();
    fillMessageList(tree_.showable(focused) ? focused : nullptr);
}

void MessageBrowser::fillMessageList(const TreeNode* n)
{
    list_.clear();
    if (!n) {
        if (listView_)
            listView_->listFilled();
        return;
    }
    const std::string full = tree_.fullPath(n);
    setPanel(kPanelResult, full);
    LineCountMeasure lines;
    TextMeasure& measure = listView_ ? static_cast<TextMeasure&>(*listView_) : lines;
    list_.fill(full, measure, listView_ ? listView_->clientWidth() : 600);
    if (!listView_)
        return;
    listView_->listFilled();
    if (!list_.gridVisible() || list_.entries().empty())
        return;
    if (list_.rowCount() > 2) {
        std::vector<int> heights;
        for (int row = 0; row < list_.rowCount(); ++row)
            heights.push_back(list_.rowHeight(row) + MessageList::kGridLineWidth);
        listView_->selectRow(list_.rowCount() - 1);
        listView_->setTopRow(bottomTopRow(heights, listView_->clientHeight()));
    }
    listView_->focusList();
}

void MessageBrowser::relayoutMessageList()
{
    if (!listView_)
        return;
    list_.relayout(*listView_, listView_->clientWidth());
    listView_->rowHeightsChanged();
}

bool MessageBrowser::treeDeleteAllowed() const
{
    const TreeNode* focused = tree_.focused();
    const TreeNode* log = currentLogNode();
    if (!focused || !log)
        return false;
    const std::string day = focused->dayName();
    // The clock's day is protected as well: after midnight the raw log
    // moves on only with the next message, while files land in the new day.
    const std::string today = ports_.today ? ports_.today() : std::string();
    return day != log->dayName() && day != today;
}

void MessageBrowser::openTreeNode(bool choose)
{
    const TreeNode* focused = tree_.focused();
    if (!focused)
        return;
    const std::string full = tree_.fullPath(focused);
    const bool file = focused->level() == 1 && focused->isLog();
    if (file ? !isFile(full) : !isFolder(full))
        return;
    setPanel(kPanelResult, full + "  " + (file ? "0" : "1"));
    if (!ports_.shell)
        return;
    if (choose)
        ports_.shell->openWith(absolutePath(full));
    else
        ports_.shell->openDocument(absolutePath(full));
}

void MessageBrowser::TreeMenuItemOpenClick()
{
    openTreeNode(false);
}

void MessageBrowser::TreeMenuItemOpenAsClick()
{
    openTreeNode(true);
}

void MessageBrowser::TreeMenuItemDeleteClick()
{
    TreeNode* focused = tree_.focused();
    if (!treeDeleteAllowed() || !ports_.boxes)
        return;
    const InterfaceTexts& t = texts();
    const std::string full = tree_.fullPath(focused);
    if (focused->level() == 0) {
        if (focused->path.size() < 6)
            return;
        if (!ports_.boxes->askOkCancel(fillPlaceholder(t.DeleteFolderFilesMessage, focused->path),
                                       t.DeleteDailyFolderMessage))
            return;
        for (const auto& child : focused->children) {
            if (child->isLog())
                removeFile(tree_.fullPath(child.get()));
            else
                deleteFolderFiles(tree_.fullPath(child.get()));
        }
        deleteFolderFiles(full);
    } else if (focused->isLog()) {
        if (focused->path.size() < 10)
            return;
        if (!ports_.boxes->askOkCancel(fillPlaceholder(t.DeleteFileMessage, focused->name()),
                                       t.DeleteDailyLogMessage))
            return;
        removeFile(full);
    } else {
        if (focused->path.size() < 10)
            return;
        if (!ports_.boxes->askOkCancel(fillPlaceholder(t.DeleteFolderFilesMessage, focused->path),
                                       t.DeleteFolderMessage))
            return;
        deleteFolderFiles(full);
    }
    tree_.removeNode(focused);
    LeftTreeAfterSelectionChange();
}

std::string MessageBrowser::checkedFile(int row, bool mustExist) const
{
    if (list_.displayedPath().size() < kMinPathLength)
        return {};
    const ListEntry* entry = list_.entryOfRow(row);
    if (!entry || entry->name.size() < kMinPathLength)
        return {};
    const std::string path = list_.filePath(row);
    if (mustExist && !isFile(path))
        return {};
    return path;
}

bool MessageBrowser::mapCommandsEnabled(int row) const
{
    const ListEntry* entry = list_.entryOfRow(row);
    return list_.displayedPath().size() >= kMinPathLength && entry && entry->name.size() > 6 &&
           markerAt(entry->name, "-GPS-", 14);
}

void MessageBrowser::openFile(int row, bool choose)
{
    const std::string path = checkedFile(row, true);
    if (path.empty() || !ports_.shell)
        return;
    if (choose)
        ports_.shell->openWith(absolutePath(path));
    else
        ports_.shell->openDocument(absolutePath(path));
}

void MessageBrowser::MenuItemOpenClick(int row)
{
    openFile(row, false);
}

void MessageBrowser::MenuItemOpenAsClick(int row)
{
    openFile(row, true);
}

void MessageBrowser::MenuItemGoogleMapsClick(int row)
{
    showOnWebMap(row / 2, kMapServiceLink);
}

void MessageBrowser::MenuItemYandexMapsClick(int row)
{
    showOnWebMap(row / 2, kMapServicePage);
}

void MessageBrowser::showOnWebMap(int fileIndex, int service)
{
    const std::string path = checkedFile(2 * fileIndex + 1, true);
    if (path.empty() || !ports_.shell)
        return;
    showFileOnWebMap(tree_.dataFolder(), path, service, *ports_.shell);
}

void MessageBrowser::MenuItemCopyClick(int row)
{
    const ListEntry* entry = list_.entryOfRow(row);
    if (checkedFile(row, false).empty() || !entry)
        return;
    const std::string text = list_.messageText(row / 2, entry->kind);
    if (!text.empty() && ports_.copyText)
        ports_.copyText(text);
}

void MessageBrowser::MenuItemDeleteClick(int row)
{
    const std::string path = checkedFile(row, true);
    if (path.empty() || !ports_.boxes)
        return;
    const int index = row / 2;
    const std::string name = list_.entryOfRow(row)->name;
    const InterfaceTexts& t = texts();
    if (!ports_.boxes->askOkCancel(fillPlaceholder(t.DeleteFileMessage, name), t.DeleteMessageMessage))
        return;
    const int top = listView_ ? listView_->topRow() : 0;
    removeFile(path);
    const std::string day = list_.displayedDay();
    const std::string folder = list_.displayedFolder();
    setPanel(kPanelNotice, day + " " + folder);
    int kind = kKindTextFolder;
    if (folder.rfind("MESSAGES.BEA", 0) == 0)
        kind = kKindBeaconFolder;
    else if (folder.rfind("MESSAGES.GPS", 0) == 0)
        kind = kKindGpsFolder;
    tree_.ensureFolderNode(tree_.ensureDayNode(day), folder, kind);
    LeftTreeAfterSelectionChange();
    const int rows = list_.entries().empty() ? 1 : list_.rowCount();
    if (listView_ && rows >= 2) {
        listView_->setTopRow(std::min(top, rows - 1));
        listView_->selectRow(std::min(2 * index + 1, rows - 1));
    }
}

}  // namespace veltrin
