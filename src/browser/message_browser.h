#pragma once
// The message browser without its widgets: LeftTree's model, StringGrid1's
// contents, the commands of both pop-up menus and their rules. Storage and
// the raw log reach it as their BrowserPort; the widgets implement TreeView
// and ListView and forward the user's actions. Main thread only.
#include <functional>
#include <string>

#include "browser/message_list.h"
#include "browser/message_tree.h"
#include "messages/browser_port.h"

namespace veltrin {

struct InterfaceTexts;
class MessageBoxes;
class Shell;
class StatusPanels;

// What the grid widget does for the list.
class ListView : public TextMeasure {
public:
    virtual int clientWidth() const = 0;
    virtual int clientHeight() const = 0;
    // The list's contents changed: rows, visibility and log text anew.
    virtual void listFilled() = 0;
    virtual void rowHeightsChanged() = 0;
    virtual int selectedRow() const = 0;  // -1: none
    virtual void selectRow(int row) = 0;
    virtual int topRow() const = 0;
    virtual void setTopRow(int row) = 0;
    virtual void focusList() = 0;
};

struct BrowserPorts {
    StatusPanels* panels = nullptr;
    MessageBoxes* boxes = nullptr;
    Shell* shell = nullptr;
    const InterfaceTexts* texts = nullptr;               // none: the process-wide texts
    std::function<void(const std::string&)> copyText;    // the clipboard
    std::function<BrowserNode()> logNode;                // the node of the raw log now open
    std::function<std::string()> today;                  // the day folder name of the current day
};

class MessageBrowser : public BrowserPort {
public:
    explicit MessageBrowser(std::string dataFolder);
    ~MessageBrowser() override;

    void setPorts(BrowserPorts ports);
    void setTreeView(TreeView* view) { tree_.setView(view); }
    void setListView(ListView* view) { listView_ = view; }
    MessageTree& tree() { return tree_; }
    const MessageList& list() const { return list_; }

    // BrowserPort: the save operations and the raw log.
    BrowserNode ensureDayNode(const std::string& dayFolder) override;
    BrowserNode ensureFolderNode(BrowserNode day, const std::string& name, int kind) override;
    bool isFocusedNode(BrowserNode node) const override;
    void LeftTreeAfterSelectionChange() override;
    void revealNode(BrowserNode node) override;

    void buildMessageTree();
    void selectTodaysMessages();
    void fillMessageList(const TreeNode* node);
    void relayoutMessageList();

    // The tree's pop-up menu, acting on the focused node.
    bool treeDeleteAllowed() const;
    void TreeMenuItemOpenClick();
    void TreeMenuItemOpenAsClick();
    void TreeMenuItemDeleteClick();

    // The grid's pop-up menu, acting on the file of a row (row div 2).
    bool mapCommandsEnabled(int row) const;
    void MenuItemOpenClick(int row);
    void MenuItemOpenAsClick(int row);
    void MenuItemGoogleMapsClick(int row);
    void MenuItemYandexMapsClick(int row);
    void MenuItemCopyClick(int row);
    void MenuItemDeleteClick(int row);
    void showOnWebMap(int fileIndex, int service);

private:
    const InterfaceTexts& texts() const;
    TreeNode* node(BrowserNode handle) const;
    TreeNode* currentLogNode() const;
    // The row's file when the displayed folder and the name pass the
    // common checks (and the file exists when mustExist); else empty.
    std::string checkedFile(int row, bool mustExist) const;
    void openTreeNode(bool choose);
    void openFile(int row, bool choose);
    void setPanel(int index, const std::string& text);

    MessageTree tree_;
    MessageList list_;
    BrowserPorts ports_;
    ListView* listView_ = nullptr;
};

// text with its first "%s" replaced by value (the interface texts carry one;
// they come from a file, so they are never used as a printf format).
std::string fillPlaceholder(const std::string& text, const std::string& value);

}  // namespace veltrin
