#include "messages/receive_log.h"

#include <algorithm>
#include <cstring>

#include "config/settings.h"
#include "messages/data_folders.h"
#include "platform/clock.h"
#include "platform/ui_ports.h"

namespace veltrin {

namespace {

constexpr std::array<unsigned char, 5> kEndMarker = {'{', 'e', 'n', 'd', '}'};

}  // namespace

ReceiveLog::ReceiveLog(const Settings& settings, MessageBoxes& boxes)
    : settings_(settings), boxes_(boxes), browser_(&noBrowser())
{
}

ReceiveLog::~ReceiveLog()
{
    closeRawLog();
}

void ReceiveLog::setTextChangedHandler(std::function<void(const RxTextChange&)> handler)
{
    onChange_ = std::move(handler);
}

void ReceiveLog::setBrowserPort(BrowserPort* port)
{
    browser_ = port ? port : &noBrowser();
}

bool ReceiveLog::endMarkerSeen() const
{
    return recent_ == kEndMarker;
}

void ReceiveLog::showInWindow(unsigned char c)
{
    if (c == '\r')
        return;
    RxTextChange change;
    text_.push_back(static_cast<char>(c));
    change.appended.push_back(static_cast<char>(c));
    if (c == '\n')
        ++lines_;
    change.removedFromFront = dropOldLines();
    if (onChange_)
        onChange_(change);
}

std::size_t ReceiveLog::dropOldLines()
{
    std::size_t removed = 0;
    while (lines_ > kMaxLines) {
        const std::size_t firstBreak = text_.find('\n');
        text_.erase(0, firstBreak + 1);
        removed += firstBreak + 1;
        --lines_;
    }
    return removed;
}

void ReceiveLog::replaceText(const std::string& text)
{
    text_.clear();
    for (char c : text)
        if (c != '\r')
            text_.push_back(c);
    lines_ = 1;
    for (char c : text_)
        lines_ += c == '\n';
    dropOldLines();
    RxTextChange change;
    change.replaced = true;
    change.appended = text_;
    if (onChange_)
        onChange_(change);
}

void ReceiveLog::putRxChar(unsigned char c)
{
    if (c == 0)
        return;
    std::rotate(recent_.begin(), recent_.begin() + 1, recent_.end());
    recent_.back() = c;
    showInWindow(c);

    const bool end = endMarkerSeen();
    if (log_) {
        std::fputc(c, log_);
        if (end) {
            if (settings_.rawLogTimeMarks) {
                const CalendarTime t = currentCalendarTime(settings_.useUtc != 0);
                std::fprintf(log_, "<%02d:%02d:%02d>\r\n", t.hour, t.minute, t.second);
            } else {
                std::fputs("\r\n", log_);
            }
            std::fflush(log_);
            if (logNode_ && browser_->isFocusedNode(logNode_))
                browser_->LeftTreeAfterSelectionChange();
        }
    }
    if (end)
        rollDailyRawLog();
}

void ReceiveLog::rawLogNewLine()
{
    if (log_)
        std::fputs("\r\n", log_);
}

bool ReceiveLog::openRawLog(const std::string& path)
{
    closeRawLog();
    log_ = std::fopen(path.c_str(), "ab");
    if (!log_) {
        boxes_.showMessage("File FOpen Error!", "File Error");
        return false;
    }
    return true;
}

void ReceiveLog::closeRawLog()
{
    if (log_) {
        std::fclose(log_);
        log_ = nullptr;
    }
}

void ReceiveLog::rollDailyRawLog()
{
    const CalendarTime now = currentCalendarTime(settings_.useUtc != 0);
    if (now.day == logDay_)
        return;
    closeRawLog();
    const std::string day = dayFolderName(now);
    ensureDataFolder(kDataFolder, boxes_);
    ensureDataFolder(dayFolderPath(now), boxes_);
    const std::string fileName = "log" + day + ".txt";
    openRawLog(dayFolderPath(now) + "/" + fileName);
    logDay_ = now.day;  // a failed open waits for the next day

    BrowserNode dayNode = browser_->ensureDayNode(day);
    logNode_ = browser_->ensureFolderNode(dayNode, fileName, kNodeRawLog);
    if (logNode_)
        browser_->revealNode(logNode_);
}

}  // namespace veltrin
