#include "app/rx_memo_widget.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <QTextCursor>

#include "messages/receive_log.h"
#include "platform/platform_qt.h"

namespace veltrin {

namespace {

std::string withoutCr(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

}  // namespace

RxMemoWidget::RxMemoWidget(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("RxMemo"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMaximumBlockCount(kMaxLines);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(15);
    font.setBold(true);
    setFont(font);
    replaceCp1251(ReceiveLog::kStartText);
}

void RxMemoWidget::appendCp1251(const std::string& text)
{
    const std::string clean = withoutCr(text);
    if (clean.empty())
        return;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(toQt(clean));
    // Keep the newest text in view.
    QTextCursor end = textCursor();
    end.movePosition(QTextCursor::End);
    setTextCursor(end);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void RxMemoWidget::replaceCp1251(const std::string& text)
{
    setPlainText(toQt(withoutCr(text)));
    QTextCursor end = textCursor();
    end.movePosition(QTextCursor::End);
    setTextCursor(end);
}

void RxMemoWidget::applyChange(const RxTextChange& change)
{
    // Old lines leave through the block limit, which matches the model's.
    if (change.replaced)
        replaceCp1251(change.appended);
    else
        appendCp1251(change.appended);
}

}  // namespace veltrin
