#include "browser/message_tree.h"

#include <algorithm>
#include <filesystem>
#include <fnmatch.h>
#include <system_error>

#include "browser/file_names.h"
#include "browser/folder_files.h"

namespace veltrin {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderNames[] = {"MESSAGES.BEA", "MESSAGES.GPS", "MESSAGES.TXT"};
constexpr int kFolderKinds[] = {kKindBeaconFolder, kKindGpsFolder, kKindTextFolder};

// Entry names of a folder (files and folders alike), in byte order so that
// "the first match" does not depend on the file system's order.
std::vector<std::string> entryNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return names;
    for (const fs::directory_entry& entry : it)
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

MessageTree::MessageTree(std::string dataFolder) : dataFolder_(std::move(dataFolder)) {}

void MessageTree::build()
{
    focused_ = nullptr;
    roots_.clear();
    if (view_)
        view_->treeCleared();
    for (const std::string& name : entryNames(dataFolder_))
        if (name.size() == 6)
            ensureDayNode(name);
    // The roots vector grows only at ensureDayNode; iterate by index.
    for (std::size_t i = 0; i < roots_.size(); ++i) {
        TreeNode* day = roots_[i].get();
        const std::string dayFolder = dataFolder_ + "/" + day->path;
        for (const std::string& name : entryNames(dayFolder)) {
            if (::fnmatch("log??????.txt", name.c_str(), 0) == 0 && isFile(dayFolder + "/" + name)) {
                ensureFolderNode(day, name, kKindLog);
                break;
            }
        }
        for (int f = 0; f < 3; ++f)
            if (isFolder(dayFolder + "/" + kFolderNames[f]))
                ensureFolderNode(day, kFolderNames[f], kFolderKinds[f]);
    }
}

TreeNode* MessageTree::ensureIn(Nodes& nodes, TreeNode* parent, const std::string& path, int& insertedAt)
{
    insertedAt = -1;
    auto place = nodes.begin();
    for (; place != nodes.end(); ++place) {
        const int order = path.compare((*place)->path);  // byte order: std::string compares as unsigned char
        if (order == 0)
            return place->get();
        if (order < 0)
            break;
    }
    auto node = std::make_unique<TreeNode>();
    node->path = path;
    node->parent = parent;
    TreeNode* raw = node.get();
    insertedAt = static_cast<int>(place - nodes.begin());
    nodes.insert(place, std::move(node));
    return raw;
}

TreeNode* MessageTree::ensureDayNode(const std::string& dayName)
{
    const std::string caption = dayCaption(dayName);
    if (caption.empty())
        return nullptr;
    int insertedAt = -1;
    TreeNode* day = ensureIn(roots_, nullptr, dayName, insertedAt);
    if (insertedAt >= 0) {
        day->caption = caption;
        if (view_)
            view_->nodeInserted(day, insertedAt);
    }
    return day;
}

TreeNode* MessageTree::ensureFolderNode(TreeNode* day, const std::string& name, int kind)
{
    if (!day || !contains(day) || day->level() != 0 || name.size() <= 6 || kind < 1 || kind > kMaxKind)
        return nullptr;
    int insertedAt = -1;
    TreeNode* child = ensureIn(day->children, day, day->path + "/" + name, insertedAt);
    if (insertedAt >= 0) {
        child->kind = kind;
        child->caption = kind == kKindLog ? "Log" : "(?)";
        if (view_)
            view_->nodeInserted(child, insertedAt);
    }
    if (kind != kKindLog)
        refreshCount(child);
    return child;
}

void MessageTree::refreshCount(TreeNode* node)
{
    const int n = countFolderFiles(node);
    if (n < 0)
        return;
    const std::string caption = "(" + std::to_string(n) + ")";
    if (caption != node->caption) {
        node->caption = caption;
        if (view_)
            view_->nodeChanged(node);
    }
}

int MessageTree::countFolderFiles(const TreeNode* node) const
{
    if (!node)
        return -1;
    return countMessageFiles(fullPath(node));
}

void MessageTree::removeNode(TreeNode* node)
{
    if (!contains(node))
        return;
    if (focused_ && (focused_ == node || focused_->parent == node))
        focused_ = nullptr;
    if (view_)
        view_->nodeRemoving(node);
    Nodes& siblings = node->parent ? node->parent->children : roots_;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [node](const auto& n) { return n.get() == node; }),
                   siblings.end());
}

std::string MessageTree::fullPath(const TreeNode* node) const
{
    return dataFolder_ + "/" + node->path;
}

bool MessageTree::contains(const TreeNode* node) const
{
    if (!node)
        return false;
    for (const auto& day : roots_) {
        if (day.get() == node)
            return true;
        for (const auto& child : day->children)
            if (child.get() == node)
                return true;
    }
    return false;
}

void MessageTree::setExpanded(TreeNode* node, bool expanded)
{
    if (contains(node))
        node->expanded = expanded;
}

void MessageTree::expandTo(TreeNode* node)
{
    if (!contains(node))
        return;
    for (TreeNode* n = node; n; n = n->parent) {
        n->expanded = true;
        if (view_)
            view_->expandNode(n);
    }
}

void MessageTree::reveal(TreeNode* node)
{
    if (!contains(node))
        return;
    expandTo(node);
    if (view_ && !view_->updating())
        view_->scrollToNode(node);
}

bool MessageTree::showable(const TreeNode* node) const
{
    if (!contains(node) || node->level() != 1)
        return false;
    for (const TreeNode* p = node->parent; p; p = p->parent)
        if (!p->expanded)
            return false;
    return true;
}

}  // namespace veltrin
