// The marking rules of the subsystem selection: what a tick or an untick carries along (tree
// parents and children, dependencies and dependents, view groups), the bulk operations on
// marks, the filling of the selection view and the reduction to the installed set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/SysTree.h"

namespace kor {

// A view item as the view knows it (a tree-view item handle); 0 means no item.
using TViewItem = std::uintptr_t;

// The items of a tree view, as the selection rules fill them.
class TTreeViewItems {
public:
    virtual ~TTreeViewItems() = default;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    // Adds an item as the last child of parent (0: a top item) with the text and the node as
    // its data, and returns it.
    virtual TViewItem AddChildObject(TViewItem parent, const std::string& text, TSysNode* node) = 0;
};

// A view in memory: keeps every item in the order added. Used by tests, setupcheck and the
// benchmark.
class TRecordingTreeView : public TTreeViewItems {
public:
    struct TItem {
        int Parent;   // index of the parent item, -1 for a top item
        int Depth;
        std::string Text;
        TSysNode* Node;   // not owning
    };
    std::vector<TItem> Items;
    int UpdateDepth = 0;   // BeginUpdate minus EndUpdate calls
    int UpdateCount = 0;   // BeginUpdate calls

    void BeginUpdate() override;
    void EndUpdate() override;
    TViewItem AddChildObject(TViewItem parent, const std::string& text, TSysNode* node) override;
    void Clear();
};

// The user's tick and untick, with everything the rules carry along. A non-integer number in
// a "Depend" or "Dependents" list raises EConvertError with the marking done so far kept.
void Mark(TSysNode& node);
void Unmark(TSysNode& node);
// Every tree child is FullyMarked (true without children).
bool AllChildrenFullyMarked(const TCustomSysNode& node);
// Set or clear Marked and FullyMarked on every descendant (not on the node given); no rules.
void MarkAll(TCustomSysNode& holder);
void UnmarkAll(TCustomSysNode& holder);
// Builds the view's items from the view hierarchy and marks every shown node; false when an
// error stopped it. A node is never added below its own item, and a node numbered 0 lists no
// view children (ViewParent 0 means the top of the view), so a looping hierarchy ends.
bool FillTreeView(TSysTree& tree, TTreeViewItems& items);
// Unmarks, with the rules, every marked non-ViewOnly node whose ShortName is not among the
// installed names (letters a-z compared without regard to case).
void UnmarkNotInstalled(TSysTree& tree, const std::vector<std::string>& installedNames);

}  // namespace kor
