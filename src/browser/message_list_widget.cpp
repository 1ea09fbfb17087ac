#include "browser/message_list_widget.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <cmath>

#include "browser/kind_icons_qt.h"
#include "platform/platform_qt.h"

namespace veltrin {

namespace {

constexpr int kIconColumn = MessageList::kIconColumnWidth;
constexpr int kIconSize = 32;
constexpr int kRightMargin = 10;  // the text is drawn in the width it was measured in
const QColor kHeaderColour(192, 192, 192);
const QColor kSentColour(212, 250, 166);
const QColor kDeliveredColour(218, 218, 218);

// Lays text out word-wrapped (a word longer than the width is broken), one
// paragraph per line end; draws it at origin when a painter is given.
// Returns the height in pixels.
int wrappedText(const QFont& font, const QString& text, int width, QPainter* painter, QPointF origin)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = 0;
    const qreal emptyLine = QFontMetricsF(font).lineSpacing();
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (paragraph.isEmpty()) {
            y += emptyLine;
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        const qreal top = y;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y - top));
            y += line.height();
        }
        layout.endLayout();
        if (painter)
            layout.draw(painter, origin + QPointF(0, top));
    }
    return static_cast<int>(std::ceil(y));
}

// StringGrid1DrawCell: every cell drawn from the list, the selected row like
// any other.
class GridCellPainter : public QStyledItemDelegate {
public:
    explicit GridCellPainter(MessageListWidget* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!grid_->isVisible() || !grid_->browser())
            return;
        const MessageList& list = grid_->browser()->list();
        const QPalette& palette = grid_->palette();
        const ListEntry* entry = list.entryOfRow(index.row());
        if (!entry) {
            p->fillRect(option.rect, palette.color(QPalette::Window));
            return;
        }
        const QRect line(option.rect.left(), option.rect.bottom() - MessageList::kGridLineWidth + 1,
                         option.rect.width(), MessageList::kGridLineWidth);
        p->fillRect(line, palette.color(QPalette::Window));
        const QRect cell = option.rect.adjusted(0, 0, 0, -MessageList::kGridLineWidth);
        const QString text = index.data(Qt::DisplayRole).toString();
        const bool sent = entry->sent != 0;
        p->save();
        p->setClipRect(cell);
        p->setFont(grid_->font());
        if (index.row() % 2 == 0) {
            p->fillRect(cell, kHeaderColour);
            p->setPen(Qt::black);
            const int shift = sent && index.column() == 1 ? kIconColumn : 0;
            p->drawText(cell.adjusted(2 + shift, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        } else {
            const QColor background = entry->sent == 2   ? kSentColour
                                      : entry->sent == 1 ? kDeliveredColour
                                                         : palette.color(QPalette::Base);
            p->fillRect(cell, background);
            p->setPen(palette.color(QPalette::Text));
            const QPixmap icon = kindPixmap(entry->kind, kIconSize);
            const int textWidth = cell.width() - kRightMargin - (sent ? kIconColumn : 0);
            if (index.column() == 0) {
                if (!sent)
                    p->drawPixmap(cell.center().x() - kIconSize / 2 + 1, cell.center().y() - kIconSize / 2 + 1, icon);
            } else if (!sent) {
                wrappedText(grid_->font(), text, textWidth, p, cell.topLeft() + QPointF(2, 2));
            } else {
                p->drawPixmap(cell.left() + 8, cell.center().y() - kIconSize / 2 + 1, icon);
                wrappedText(grid_->font(), text, textWidth, p, cell.topLeft() + QPointF(50, 2));
            }
        }
        p->restore();
    }

private:
    MessageListWidget* grid_;
};

}  // namespace

QString displayText(const std::string& cp1251)
{
    QString text = toQt(cp1251);
    text.remove(QLatin1Char('\r'));
    return text;
}

namespace {

// The grid's text: the file's last line end would only add an empty line.
QString gridText(const std::string& cp1251)
{
    QString text = displayText(cp1251);
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

}  // namespace

MessageListWidget::MessageListWidget(QWidget* parent) : QTableWidget(1, 2, parent)
{
    setObjectName(QStringLiteral("StringGrid1"));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);  // a fixed client width for the heights
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setShowGrid(false);
    setWordWrap(true);
    setFocusPolicy(Qt::StrongFocus);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    font.setBold(true);
    setFont(font);
    setItemDelegate(new GridCellPainter(this));
    setColumnWidth(0, kIconColumn);
    setItem(0, 0, new QTableWidgetItem(QStringLiteral(" ")));
    setItem(0, 1, new QTableWidgetItem(QStringLiteral(" ")));

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("GridPopupMenu"));
    auto add = [this](const char* name, const char* text) {
        QAction* item = menu_->addAction(QString::fromLatin1(text));
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };
    open_ = add("MenuItemOpen", "Open");
    openAs_ = add("MenuItemOpenAs", "Open with ...");
    menu_->addSeparator();
    googleMaps_ = add("MenuItemGoogleMaps", "Show position at Google Maps");
    yandexMaps_ = add("MenuItemYandexMaps", "Show position at Yandex Maps");
    googleMaps_->setEnabled(false);
    yandexMaps_->setEnabled(false);
    menu_->addSeparator();
    copy_ = add("MenuItemCopy", "Copy text");
    menu_->addSeparator();
    delete_ = add("MenuItemDelete", "Delete file");
    connect(menu_, &QMenu::aboutToShow, this, [this] { updatePopupMenu(); });
    using Command = void (MessageBrowser::*)(int);
    auto wire = [this](QAction* item, Command command) {
        connect(item, &QAction::triggered, this, [this, command] {
            if (browser_)
                (browser_->*command)(selectedRow());
        });
    };
    wire(open_, &MessageBrowser::MenuItemOpenClick);
    wire(openAs_, &MessageBrowser::MenuItemOpenAsClick);
    wire(googleMaps_, &MessageBrowser::MenuItemGoogleMapsClick);
    wire(yandexMaps_, &MessageBrowser::MenuItemYandexMapsClick);
    wire(copy_, &MessageBrowser::MenuItemCopyClick);
    wire(delete_, &MessageBrowser::MenuItemDeleteClick);
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (browser_)
            browser_->MenuItemOpenClick(row);
    });
}

MessageListWidget::~MessageListWidget()
{
    if (browser_)
        browser_->setListView(nullptr);
}

void MessageListWidget::attach(MessageBrowser* browser, QPlainTextEdit* logView)
{
    if (browser_)
        browser_->setListView(nullptr);
    browser_ = browser;
    logView_ = logView;
    if (browser_)
        browser_->setListView(this);
}

void MessageListWidget::updatePopupMenu()
{
    const bool maps = browser_ && browser_->mapCommandsEnabled(selectedRow());
    googleMaps_->setEnabled(maps);
    yandexMaps_->setEnabled(maps);
}

void MessageListWidget::contextMenuEvent(QContextMenuEvent* event)
{
    const int row = rowAt(viewport()->mapFrom(this, event->pos()).y());
    if (row >= 0)
        QTableView::selectRow(row);
    menu_->popup(event->globalPos());
}

int MessageListWidget::wrappedHeight(const std::string& text, int width)
{
    return wrappedText(font(), gridText(text), width, nullptr, {});
}

int MessageListWidget::clientWidth() const
{
    return viewport()->width();
}

int MessageListWidget::clientHeight() const
{
    return viewport()->height();
}

void MessageListWidget::listFilled()
{
    const MessageList& list = browser_->list();
    clearSelection();
    clearContents();
    const auto& entries = list.entries();
    if (entries.empty()) {
        setRowCount(1);
        setItem(0, 0, new QTableWidgetItem(QStringLiteral(" ")));
        setItem(0, 1, new QTableWidgetItem(QStringLiteral(" ")));
    } else {
        setRowCount(list.rowCount());
        for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
            setItem(2 * i, 0, new QTableWidgetItem(QString::number(i + 1)));
            setItem(2 * i, 1, new QTableWidgetItem(toQt(entries[i].time)));
            setItem(2 * i + 1, 0, new QTableWidgetItem(QString::number(entries[i].kind)));
            setItem(2 * i + 1, 1, new QTableWidgetItem(gridText(entries[i].text)));
        }
    }
    setColumnWidths();
    applyRowHeights();
    setVisible(list.gridVisible());
    if (logView_) {
        logView_->setVisible(list.logVisible());
        logView_->setPlainText(displayText(list.logText()));
        logView_->moveCursor(QTextCursor::Start);
    }
}

void MessageListWidget::applyRowHeights()
{
    const MessageList& list = browser_->list();
    const int rows = rowCount();
    for (int row = 0; row < rows; ++row)
        setRowHeight(row, list.rowHeight(row) + MessageList::kGridLineWidth);
    updateGeometries();
}

void MessageListWidget::rowHeightsChanged()
{
    if (browser_)
        applyRowHeights();
    viewport()->update();
}

void MessageListWidget::setColumnWidths()
{
    setColumnWidth(0, kIconColumn);
    setColumnWidth(1, std::max(clientWidth() - kIconColumn, 1));
}

int MessageListWidget::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void MessageListWidget::selectRow(int row)
{
    if (row >= 0 && row < rowCount())
        QTableView::selectRow(row);
}

int MessageListWidget::topRow() const
{
    return verticalScrollBar()->value();
}

void MessageListWidget::setTopRow(int row)
{
    updateGeometries();
    verticalScrollBar()->setValue(row);
}

void MessageListWidget::focusList()
{
    setFocus(Qt::OtherFocusReason);
}

void MessageListWidget::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    setColumnWidths();
    if (browser_)
        browser_->relayoutMessageList();  // Panel2Resize
}

}  // namespace veltrin
