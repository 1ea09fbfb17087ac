#include "browser/message_tree_widget.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QStyledItemDelegate>

#include "browser/kind_icons_qt.h"
#include "browser/message_browser.h"
#include "platform/platform_qt.h"

namespace veltrin {

namespace {

constexpr int kRowHeight = 24;
constexpr int kMinWidth = 60;
constexpr int kMaxWidth = 130;

// Rows of 24 pixels, whatever the font.
class RowHeight : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight};
    }
};

QString tipOf(const TreeNode* node)
{
    return toQt(node->level() == 0 ? node->path : node->name());
}

}  // namespace

MessageTreeWidget::MessageTreeWidget(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("LeftTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setMinimumWidth(kMinWidth);
    setMaximumWidth(kMaxWidth);
    setIconSize(QSize(kRowHeight, kRowHeight));
    setIndentation(14);
    setUniformRowHeights(true);
    setItemDelegate(new RowHeight(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContextMenuPolicy(Qt::DefaultContextMenu);

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("TreePopupMenu"));
    open_ = menu_->addAction(QStringLiteral("Open"));
    open_->setObjectName(QStringLiteral("TreeMenuItemOpen"));
    openAs_ = menu_->addAction(QStringLiteral("Open with ..."));
    openAs_->setObjectName(QStringLiteral("TreeMenuItemOpenAs"));
    menu_->addSeparator();
    delete_ = menu_->addAction(QStringLiteral("Delete"));
    delete_->setObjectName(QStringLiteral("TreeMenuItemDelete"));
    connect(menu_, &QMenu::aboutToShow, this, [this] { updatePopupMenu(); });
    connect(open_, &QAction::triggered, this, [this] {
        if (browser_)
            browser_->TreeMenuItemOpenClick();
    });
    connect(openAs_, &QAction::triggered, this, [this] {
        if (browser_)
            browser_->TreeMenuItemOpenAsClick();
    });
    connect(delete_, &QAction::triggered, this, [this] {
        if (browser_)
            browser_->TreeMenuItemDeleteClick();
    });

    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { LeftTreeAfterSelectionChange(current); });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (browser_ && !quiet_)
            browser_->tree().setExpanded(nodeOf(item), true);
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (browser_ && !quiet_)
            browser_->tree().setExpanded(nodeOf(item), false);
    });
}

MessageTreeWidget::~MessageTreeWidget()
{
    if (browser_)
        browser_->setTreeView(nullptr);
}

void MessageTreeWidget::attach(MessageBrowser* browser)
{
    if (browser_)
        browser_->setTreeView(nullptr);
    browser_ = browser;
    if (browser_)
        browser_->setTreeView(this);
}

void MessageTreeWidget::contextMenuEvent(QContextMenuEvent* event)
{
    if (QTreeWidgetItem* item = itemAt(viewport()->mapFrom(this, event->pos())))
        setCurrentItem(item);
    menu_->popup(event->globalPos());
}

QTreeWidgetItem* MessageTreeWidget::itemOf(const TreeNode* node) const
{
    auto it = items_.find(node);
    return it == items_.end() ? nullptr : it->second;
}

TreeNode* MessageTreeWidget::nodeOf(const QTreeWidgetItem* item) const
{
    if (!item)
        return nullptr;
    return reinterpret_cast<TreeNode*>(item->data(0, Qt::UserRole).value<quintptr>());
}

void MessageTreeWidget::updatePopupMenu()
{
    delete_->setEnabled(browser_ && browser_->treeDeleteAllowed());
}

void MessageTreeWidget::LeftTreeAfterSelectionChange(QTreeWidgetItem* current)
{
    if (!browser_ || quiet_)
        return;
    browser_->tree().setFocused(nodeOf(current));
    browser_->LeftTreeAfterSelectionChange();
}

void MessageTreeWidget::nodeInserted(TreeNode* node, int index)
{
    auto* item = new QTreeWidgetItem;
    item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    item->setText(0, toQt(node->caption));
    item->setToolTip(0, tipOf(node));
    if (node->kind != 0)
        item->setIcon(0, kindIcon(node->kind));
    quiet_ = true;
    if (QTreeWidgetItem* parent = node->parent ? itemOf(node->parent) : nullptr)
        parent->insertChild(index, item);
    else
        insertTopLevelItem(index, item);
    quiet_ = false;
    items_[node] = item;
}

void MessageTreeWidget::nodeChanged(TreeNode* node)
{
    if (QTreeWidgetItem* item = itemOf(node))
        item->setText(0, toQt(node->caption));
}

void MessageTreeWidget::forget(TreeNode* node)
{
    for (const auto& child : node->children)
        forget(child.get());
    items_.erase(node);
}

void MessageTreeWidget::nodeRemoving(TreeNode* node)
{
    QTreeWidgetItem* item = itemOf(node);
    forget(node);
    if (!item)
        return;
    quiet_ = true;
    delete item;
    quiet_ = false;
    // Qt has moved the current item to a neighbour: the model follows, and
    // the caller refreshes the list.
    if (browser_) {
        TreeNode* now = nodeOf(currentItem());
        browser_->tree().setFocused(now == node ? nullptr : now);
    }
}

void MessageTreeWidget::treeCleared()
{
    quiet_ = true;
    clear();
    quiet_ = false;
    items_.clear();
}

void MessageTreeWidget::expandNode(TreeNode* node)
{
    if (QTreeWidgetItem* item = itemOf(node)) {
        quiet_ = true;
        item->setExpanded(true);
        quiet_ = false;
    }
}

void MessageTreeWidget::scrollToNode(TreeNode* node)
{
    if (QTreeWidgetItem* item = itemOf(node))
        scrollToItem(item);
}

void MessageTreeWidget::focusNode(TreeNode* node)
{
    QTreeWidgetItem* item = itemOf(node);
    quiet_ = true;
    setCurrentItem(item);
    quiet_ = false;
}

}  // namespace veltrin
