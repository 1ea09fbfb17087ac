#pragma once
// LeftTree: the widget face of the message tree. It mirrors the model's
// nodes, reports the user's focus and expansion to it, and offers the
// tree's pop-up menu (TreePopupMenu).
#include <QTreeWidget>
#include <unordered_map>

#include "browser/message_tree.h"

class QAction;
class QMenu;

namespace veltrin {

class MessageBrowser;

class MessageTreeWidget : public QTreeWidget, public TreeView {
    Q_OBJECT
public:
    explicit MessageTreeWidget(QWidget* parent = nullptr);
    ~MessageTreeWidget() override;

    void attach(MessageBrowser* browser);
    QMenu* popupMenu() const { return menu_; }
    QTreeWidgetItem* itemOf(const TreeNode* node) const;
    TreeNode* nodeOf(const QTreeWidgetItem* item) const;

    // The menu's state for the focused node (also done when it pops up).
    void updatePopupMenu();

    // TreeView
    void nodeInserted(TreeNode* node, int index) override;
    void nodeChanged(TreeNode* node) override;
    void nodeRemoving(TreeNode* node) override;
    void treeCleared() override;
    void expandNode(TreeNode* node) override;
    void scrollToNode(TreeNode* node) override;
    void focusNode(TreeNode* node) override;
    bool updating() const override { return !updatesEnabled(); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void LeftTreeAfterSelectionChange(QTreeWidgetItem* current);
    void forget(TreeNode* node);

    MessageBrowser* browser_ = nullptr;
    std::unordered_map<const TreeNode*, QTreeWidgetItem*> items_;
    QMenu* menu_ = nullptr;
    QAction* open_ = nullptr;
    QAction* openAs_ = nullptr;
    QAction* delete_ = nullptr;
    bool quiet_ = false;  // changes made by the model itself
};

}  // namespace veltrin
