#pragma once
// The receive window's text and the raw daily log. Every character the
// decoders and gateways show goes to both; "{end}" adds a time mark to the
// log, flushes it and starts the new day's file when the day has changed.
#include <array>
#include <cstdio>
#include <functional>
#include <string>

#include "messages/browser_port.h"
#include "messages/rx_text_sink.h"

namespace veltrin {

struct Settings;
class MessageBoxes;

// One change of the window text: bytes removed from the front (old lines),
// then bytes appended at the end; or, when replaced is set, the whole new
// text in appended.
struct RxTextChange {
    std::size_t removedFromFront = 0;
    std::string appended;
    bool replaced = false;
};

class ReceiveLog : public RxTextSink {
public:
    static constexpr int kMaxLines = 30;
    static constexpr const char* kStartText = "Veltrin 1.11\n";

    ReceiveLog(const Settings& settings, MessageBoxes& boxes);
    ~ReceiveLog() override;
    ReceiveLog(const ReceiveLog&) = delete;
    ReceiveLog& operator=(const ReceiveLog&) = delete;

    void putRxChar(unsigned char c) override;
    void rawLogNewLine() override;
    // Replaces the window text (not logged), e.g. by a start-up notice.
    void replaceText(const std::string& text);

    // Opens path for appending (created if missing). On failure shows
    // "File FOpen Error!" (caption "File Error") and the log stays closed.
    bool openRawLog(const std::string& path);
    // Makes the open log the one of the current day of the month.
    void rollDailyRawLog();
    // Flushes and closes the log (shutdown).
    void closeRawLog();
    bool rawLogOpen() const { return log_ != nullptr; }

    // The window text: Windows-1251, lines separated by '\n' (a CR is not
    // kept in the window, only in the log), at most kMaxLines lines.
    const std::string& text() const { return text_; }
    // Called after every change of text().
    void setTextChangedHandler(std::function<void(const RxTextChange&)> handler);

    void setBrowserPort(BrowserPort* port);
    BrowserNode logNode() const { return logNode_; }

private:
    void showInWindow(unsigned char c);
    // Removes lines from the front down to kMaxLines; returns the bytes removed.
    std::size_t dropOldLines();
    bool endMarkerSeen() const;

    const Settings& settings_;
    MessageBoxes& boxes_;
    BrowserPort* browser_;
    std::function<void(const RxTextChange&)> onChange_;
    std::string text_ = kStartText;
    int lines_ = 2;
    std::array<unsigned char, 5> recent_{};
    std::FILE* log_ = nullptr;
    int logDay_ = -1;
    BrowserNode logNode_ = nullptr;
};

}  // namespace veltrin
