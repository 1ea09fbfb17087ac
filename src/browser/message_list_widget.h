#pragma once
// StringGrid1: the widget face of the message list. Two rows per file, the
// icon column, the header and text rows in their colours; LogMemo shows a
// raw log instead. It draws what MessageList holds, measures the text in
// its own font, and offers the grid's pop-up menu (GridPopupMenu).
#include <QTableWidget>

#include "browser/message_browser.h"

class QAction;
class QMenu;
class QPlainTextEdit;

namespace veltrin {

class MessageListWidget : public QTableWidget, public ListView {
    Q_OBJECT
public:
    explicit MessageListWidget(QWidget* parent = nullptr);
    ~MessageListWidget() override;

    void attach(MessageBrowser* browser, QPlainTextEdit* logView);
    MessageBrowser* browser() const { return browser_; }
    QMenu* popupMenu() const { return menu_; }
    // The menu's state for the selected row (also done when it pops up).
    void updatePopupMenu();

    // ListView
    int wrappedHeight(const std::string& text, int width) override;
    int clientWidth() const override;
    int clientHeight() const override;
    void listFilled() override;
    void rowHeightsChanged() override;
    int selectedRow() const override;
    void selectRow(int row) override;
    int topRow() const override;
    void setTopRow(int row) override;
    void focusList() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void applyRowHeights();
    void setColumnWidths();

    MessageBrowser* browser_ = nullptr;
    QPlainTextEdit* logView_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* open_ = nullptr;
    QAction* openAs_ = nullptr;
    QAction* googleMaps_ = nullptr;
    QAction* yandexMaps_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* delete_ = nullptr;
};

// Plain text with CR LF as Qt shows it: Windows-1251 to Unicode, line ends
// as "\n".
QString displayText(const std::string& cp1251);

}  // namespace veltrin
