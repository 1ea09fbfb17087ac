#include "browser/message_list.h"

#include <algorithm>
#include <strings.h>

#include "browser/file_names.h"
#include "browser/folder_files.h"
#include "config/interface_texts.h"

namespace veltrin {

namespace {

// The file's text as the list shows it ("File Open Error!" for one that
// cannot be read).
std::string fileText(const std::string& path)
{
    std::string text;
    const int result = readTextPieces(path, text);
    if (result == -1)
        return "File Open Error!\r\n";
    if (result == -2)
        text += "\r\nFile Read Error!\r\n";
    return text;
}

}  // namespace

std::string loadLogText(const std::string& path)
{
    if (!isFile(path))
        return "File not exists! \r\n";
    std::string text;
    const int result = readTextPieces(path, text);
    if (result == -1)
        return "File open error! \r\n";
    if (result == -2)
        text += "\r\nFile Read Error!\r\n";
    return text;
}

int bottomTopRow(const std::vector<int>& rowHeights, int clientHeight)
{
    int top = static_cast<int>(rowHeights.size()) - 1;
    if (top < 0)
        return 0;
    int used = rowHeights[top];
    while (top > 0 && used + rowHeights[top - 1] <= clientHeight) {
        --top;
        used += rowHeights[top];
    }
    return top;
}

const InterfaceTexts& MessageList::texts() const
{
    return texts_ ? *texts_ : interfaceTexts();
}

void MessageList::clear()
{
    entries_.clear();
    displayedPath_.clear();
    logText_.clear();
}

void MessageList::fill(const std::string& fullPath, TextMeasure& measure, int clientWidth)
{
    clear();
    gridVisible_ = false;
    logVisible_ = false;
    const std::size_t txt = fullPath.find(".txt");
    if (!isFolder(fullPath) && txt != std::string::npos && txt >= 4) {
        if (isFile(fullPath)) {
            logVisible_ = true;
            displayedPath_ = fullPath;
            logText_ = loadLogText(fullPath);
        }
        return;
    }
    displayedPath_ = fullPath;
    gridVisible_ = true;
    std::vector<std::string> names = messageFileNames(fullPath);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = ::strcasecmp(a.c_str(), b.c_str());
        return order != 0 ? order < 0 : a < b;  // names equal but for case: a fixed order still
    });
    for (std::string& name : names) {
        const int kind = classifyFileName(name);
        if (kind < 1)
            continue;
        ListEntry entry;
        entry.kind = kind;
        entry.sent = sentState(name);
        entry.time = name.substr(7, 2) + ":" + name.substr(9, 2) + ":" + name.substr(11, 2);
        entry.name = std::move(name);
        entries_.push_back(std::move(entry));
    }
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i)
        entries_[i].text = messageText(i, entries_[i].kind);
    for (ListEntry& entry : entries_)
        entry.textHeight = measure.wrappedHeight(entry.text, textWidth(entry, clientWidth, 58)) + 10;
}

void MessageList::relayout(TextMeasure& measure, int clientWidth)
{
    if (displayedPath_.size() <= 7 || !gridVisible_)
        return;
    for (ListEntry& entry : entries_)
        entry.textHeight = measure.wrappedHeight(entry.text, textWidth(entry, clientWidth, 60)) + 10;
}

int MessageList::textWidth(const ListEntry& entry, int clientWidth, int margin) const
{
    int width = clientWidth - margin;
    if (markerAt(entry.name, "-SNT-", 14))
        width -= kIconColumnWidth;
    return std::max(width, 1);
}

std::string MessageList::messageText(int i, int kind) const
{
    if (kind < 1 || kind > kMaxKind || i < 0 || i >= static_cast<int>(entries_.size()))
        return {};
    const std::string path = displayedPath_ + "/" + entries_[i].name;
    if (!isFile(path))
        return {};
    if (kind != kKindKml)
        return fileText(path);
    const InterfaceTexts& t = texts();
    std::string text = t.ItIsKmlFileMessage + "\r\n" + t.ClickTwiceMessage + "\r\n";
    const std::string gpsPath = path.substr(0, path.size() - 3) + "TXT";
    if (isFile(gpsPath)) {
        std::string content;
        const int result = readTextPieces(gpsPath, content);
        text += "\r\n\r\n";
        if (result == -1)
            text += "File Open Error!\r\n" + gpsPath;
        else
            text += content + (result == -2 ? "\r\nFile Read Error!\r\n" : "");
    } else {
        text += "\r\n" + t.GpsFileIsAbsentMessage + "\r\n";
    }
    return text;
}

int MessageList::rowHeight(int row) const
{
    const ListEntry* entry = entryOfRow(row);
    if (!entry || row % 2 == 0)
        return kHeaderRowHeight;
    return entry->textHeight;
}

const ListEntry* MessageList::entryOfRow(int row) const
{
    if (row < 0 || row / 2 >= static_cast<int>(entries_.size()))
        return nullptr;
    return &entries_[row / 2];
}

std::string MessageList::filePath(int row) const
{
    const ListEntry* entry = entryOfRow(row);
    return entry ? displayedPath_ + "/" + entry->name : std::string();
}

std::string MessageList::displayedDay() const
{
    // "VeltrinData/220315/MESSAGES.TXT"
    const std::size_t last = displayedPath_.rfind('/');
    if (last == std::string::npos || last == 0)
        return {};
    const std::size_t before = displayedPath_.rfind('/', last - 1);
    const std::size_t start = before == std::string::npos ? 0 : before + 1;
    return displayedPath_.substr(start, last - start);
}

std::string MessageList::displayedFolder() const
{
    const std::size_t last = displayedPath_.rfind('/');
    return last == std::string::npos ? std::string() : displayedPath_.substr(last + 1);
}

}  // namespace veltrin
