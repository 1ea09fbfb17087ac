#pragma once
// LeftTree's model: day nodes (YYMMDD) in byte order, under each day its
// message folders and raw log in byte order of their paths. The model lives
// here; the widget mirrors it through TreeView and reports the user's focus
// and expansion back.
#include <memory>
#include <string>
#include <vector>

namespace veltrin {

struct TreeNode {
    std::string path;     // relative to the data folder: "220315", "220315/MESSAGES.TXT"
    std::string caption;  // "15 Mar 2022", "(12)", "(?)", "Log"
    int kind = 0;         // 0 for a day, else the folder's icon kind (1, 2, 3, 14)
    bool expanded = false;
    TreeNode* parent = nullptr;
    std::vector<std::unique_ptr<TreeNode>> children;

    int level() const { return parent ? 1 : 0; }
    // The day folder name: the path up to its first "/".
    std::string dayName() const { return path.substr(0, path.find('/')); }
    // The last part of the path ("MESSAGES.TXT", "log220315.txt").
    std::string name() const { return path.substr(path.rfind('/') + 1); }
    bool isLog() const { return path.find("/log") != std::string::npos; }
};

// What the widget does when the model changes. Node pointers stay valid
// until nodeRemoving has been called for them (or their day).
class TreeView {
public:
    virtual ~TreeView() = default;
    virtual void nodeInserted(TreeNode* node, int index) = 0;  // index among its siblings
    virtual void nodeChanged(TreeNode* node) = 0;              // caption
    virtual void nodeRemoving(TreeNode* node) = 0;             // with its children
    virtual void treeCleared() = 0;
    virtual void expandNode(TreeNode* node) = 0;
    virtual void scrollToNode(TreeNode* node) = 0;
    virtual void focusNode(TreeNode* node) = 0;
    virtual bool updating() const { return false; }
};

class MessageTree {
public:
    explicit MessageTree(std::string dataFolder);
    void setView(TreeView* view) { view_ = view; }
    TreeView* view() const { return view_; }

    // buildMessageTree: the whole tree anew from the disk.
    void build();
    TreeNode* ensureDayNode(const std::string& dayName);
    TreeNode* ensureFolderNode(TreeNode* day, const std::string& name, int kind);
    // Message and KML files in the node's folder; -2 when the folder does
    // not exist, -1 for no node.
    int countFolderFiles(const TreeNode* node) const;
    void removeNode(TreeNode* node);

    // "VeltrinData/" + the node's path.
    std::string fullPath(const TreeNode* node) const;
    const std::string& dataFolder() const { return dataFolder_; }
    const std::vector<std::unique_ptr<TreeNode>>& roots() const { return roots_; }
    // True while node is one of the tree's nodes (an opaque pointer from
    // outside may have been deleted since).
    bool contains(const TreeNode* node) const;

    TreeNode* focused() const { return focused_; }
    // From the widget (the user's choice) and from the start-up selection.
    void setFocused(TreeNode* node) { focused_ = contains(node) ? node : nullptr; }
    void setExpanded(TreeNode* node, bool expanded);
    // Expands the node and every node above it, so that it can be seen.
    void expandTo(TreeNode* node);
    void reveal(TreeNode* node);
    // A child node whose parents are all expanded: what the list may show.
    bool showable(const TreeNode* node) const;

private:
    using Nodes = std::vector<std::unique_ptr<TreeNode>>;
    // Finds path among nodes or inserts a new node at its byte-order place
    // (insertedAt is then its index, else -1).
    TreeNode* ensureIn(Nodes& nodes, TreeNode* parent, const std::string& path, int& insertedAt);
    void refreshCount(TreeNode* node);

    std::string dataFolder_;
    TreeView* view_ = nullptr;
    Nodes roots_;
    TreeNode* focused_ = nullptr;
};

}  // namespace veltrin
