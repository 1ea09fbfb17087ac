#pragma once
// StringGrid1's contents and LogMemo's text: the files of the displayed
// folder (two grid rows each) or the text of the displayed raw log. The
// widget draws what this holds; measuring text is the widget's, through
// TextMeasure.
#include <string>
#include <vector>

namespace veltrin {

struct InterfaceTexts;

// Height in pixels of text word-wrapped into width, in the grid's font.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int wrappedHeight(const std::string& text, int width) = 0;
};

struct ListEntry {
    std::string name;    // file name in the displayed folder
    int kind = 0;        // classifyFileName
    int sent = 0;        // sentState
    std::string time;    // "hh:mm:ss" from the name
    std::string text;    // messageText
    int textHeight = 0;  // text row height in pixels
};

class MessageList {
public:
    static constexpr int kIconColumnWidth = 48;
    static constexpr int kHeaderRowHeight = 24;
    static constexpr int kGridLineWidth = 3;  // below every row

    explicit MessageList(const InterfaceTexts* texts = nullptr) : texts_(texts) {}
    void setInterfaceTexts(const InterfaceTexts* texts) { texts_ = texts; }

    // Empties everything; the visibility of grid and log view stays.
    void clear();
    // Shows fullPath: a folder's message files, or a raw log's text.
    // Heights are measured within clientWidth.
    void fill(const std::string& fullPath, TextMeasure& measure, int clientWidth);
    // After a size change: the text rows' heights anew.
    void relayout(TextMeasure& measure, int clientWidth);

    // messageText: the text row of file i; empty when there is none.
    std::string messageText(int i, int kind) const;

    const std::string& displayedPath() const { return displayedPath_; }
    const std::vector<ListEntry>& entries() const { return entries_; }
    int rowCount() const { return entries_.empty() ? 1 : 2 * static_cast<int>(entries_.size()); }
    int rowHeight(int row) const;  // without the grid line
    // "" for the blank row, else the path of the row's file.
    std::string filePath(int row) const;
    const ListEntry* entryOfRow(int row) const;
    bool gridVisible() const { return gridVisible_; }
    bool logVisible() const { return logVisible_; }
    const std::string& logText() const { return logText_; }

    // The day folder and message folder of the displayed folder
    // ("220315", "MESSAGES.TXT"); empty when it is no message folder.
    std::string displayedDay() const;
    std::string displayedFolder() const;

private:
    int textWidth(const ListEntry& entry, int clientWidth, int margin) const;
    const InterfaceTexts& texts() const;

    const InterfaceTexts* texts_;
    std::string displayedPath_;
    std::vector<ListEntry> entries_;
    std::string logText_;
    bool gridVisible_ = true;
    bool logVisible_ = false;
};

// The log view's text of a file, with its error texts.
std::string loadLogText(const std::string& path);

// The top row that makes the grid end at its last row: from the last row
// up while the rows from there to the end fit into clientHeight.
int bottomTopRow(const std::vector<int>& rowHeights, int clientHeight);

}  // namespace veltrin
