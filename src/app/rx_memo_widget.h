#pragma once
// RxMemo: the receive window. It shows the text of the receive log as it
// grows (characters arrive one by one) and keeps at most 30 lines, removing
// old lines from the top.
#include <QPlainTextEdit>
#include <string>

namespace veltrin {

struct RxTextChange;

class RxMemoWidget : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 30;
    explicit RxMemoWidget(QWidget* parent = nullptr);

    // Windows-1251 text at the end; CRs are dropped.
    void appendCp1251(const std::string& text);
    // Replaces the whole contents.
    void replaceCp1251(const std::string& text);
    // The receive log's change: only the appended part is used, since the
    // widget drops old lines itself.
    void applyChange(const RxTextChange& change);
};

}  // namespace veltrin
