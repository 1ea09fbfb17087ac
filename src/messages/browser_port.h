#pragma once
// What storage tells the message browser tree after it has written a file, so
// that the tree counts and the open list follow. The defaults do nothing
// (no browser, e.g. the offline decoder).
#include <string>

namespace veltrin {

// An opaque tree node; nullptr is "no node".
using BrowserNode = void*;

// Folder kinds of the tree nodes.
enum BrowserNodeKind : int {
    kNodeTextFolder = 1,    // MESSAGES.TXT
    kNodeBeaconFolder = 2,  // MESSAGES.BEA
    kNodeGpsFolder = 3,     // MESSAGES.GPS
    kNodeRawLog = 14,       // logYYMMDD.txt
};

class BrowserPort {
public:
    virtual ~BrowserPort() = default;

    // The node of a day folder ("YYMMDD"), inserted if missing.
    virtual BrowserNode ensureDayNode(const std::string& /*dayFolder*/) { return nullptr; }
    // The child node day/name, inserted if missing; its file count refreshed.
    virtual BrowserNode ensureFolderNode(BrowserNode /*day*/, const std::string& /*name*/, int /*kind*/)
    {
        return nullptr;
    }
    virtual bool isFocusedNode(BrowserNode /*node*/) const { return false; }
    // Refills the message list from the focused node.
    virtual void LeftTreeAfterSelectionChange() {}
    // Expands the node fully and scrolls it into view (the day's raw log).
    virtual void revealNode(BrowserNode /*node*/) {}
};

// The tree that is not there yet: every call does nothing.
inline BrowserPort& noBrowser()
{
    static BrowserPort port;
    return port;
}

}  // namespace veltrin
