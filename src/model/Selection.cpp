// The marking rules. Every recursion ends because each step first checks whether the node
// already has the mark it would get, so cycles in "Depend" are harmless.
#include "model/Selection.h"

#include <unordered_set>

#include "model/InstIDF.h"

namespace kor {

namespace {

void UpdateParent(TSysNode& node);
void MarkDependencies(TSysNode& node);
void UpdateViewParent(TSysNode& node);
void UpdateViewParentOnUnmark(TSysNode& node);

// A node numbered 0 (a child whose entry differs in case from its section, or whose entry is
// 0) has no view children: "ViewParent 0" means "at the top of the view", and those items
// would include the node itself. The view and the marking rules both follow this.
bool HasViewChildren(const TSysNode& node) { return node.Info.Number != 0; }

// Every tree child and every view child is FullyMarked.
bool IsComplete(const TSysNode& node) {
    return AllChildrenFullyMarked(node) &&
           (!HasViewChildren(node) || node.ViewChildrenFullyMarked(node.Info.Number));
}

// The numbers of a node's view children, read before any of them changes.
std::vector<std::int32_t> ViewChildNumbers(const TSysNode& node) {
    std::vector<std::int32_t> numbers;
    if (!HasViewChildren(node)) return numbers;
    ForEachListNumber(node.GetViewChildren(node.Info.Number), [&](std::int32_t n) { numbers.push_back(n); });
    return numbers;
}

// A node marked because something below it or grouped under it was marked.
void MarkAncestor(TSysNode& node) {
    if (node.Info.Marked) return;
    node.Info.Marked = true;
    node.Info.FullyMarked = IsComplete(node);
    UpdateParent(node);
    MarkDependencies(node);
    UpdateViewParent(node);
}

void UpdateParent(TSysNode& node) {
    TSysNode* parent = node.Owner ? node.Owner->AsNode() : nullptr;
    if (!parent) return;
    parent->Info.FullyMarked = IsComplete(*parent);
    if (!parent->Info.Marked) MarkAncestor(*parent);
}

void MarkDependencies(TSysNode& node) {
    ForEachListNumber(node.Info.Depend, [&](std::int32_t number) {
        TSysNode* found = node.FindByNumber(number);
        if (found && !found->Info.Marked) Mark(*found);
    });
}

void MarkViewChildren(TSysNode& node) {
    for (std::int32_t number : ViewChildNumbers(node)) {
        TSysNode* found = node.FindByNumber(number);
        if (found && !found->Info.Marked) Mark(*found);
    }
}

void UpdateViewParent(TSysNode& node) {
    if (node.Info.ViewParent <= 0) return;
    TSysNode* parent = node.FindByNumber(node.Info.ViewParent);
    if (!parent) return;
    const bool wasFullyMarked = parent->Info.FullyMarked;
    parent->Info.FullyMarked = IsComplete(*parent);
    if (!parent->Info.Marked) MarkAncestor(*parent);
    if (parent->Info.FullyMarked != wasFullyMarked) {
        UpdateParent(*parent);
        UpdateViewParent(*parent);
    }
}

// Unmarking never unmarks a tree parent; it only stops the parents being FullyMarked.
void ClearFullyMarkedUpward(TSysNode& node) {
    for (TCustomSysNode* holder = node.Owner; holder; holder = holder->Owner) {
        TSysNode* parent = holder->AsNode();
        if (!parent || !parent->Info.Marked || !parent->Info.FullyMarked) return;
        parent->Info.FullyMarked = false;
    }
}

void UpdateViewParentOnUnmark(TSysNode& node) {
    if (node.Info.ViewParent <= 0) return;
    TSysNode* parent = node.FindByNumber(node.Info.ViewParent);
    if (!parent || !parent->Info.Marked) return;
    if (parent->Info.Library.empty() && parent->NoViewChildMarked(parent->Info.Number)) {
        // A grouping item without a library of its own goes with its last view child.
        Unmark(*parent);
    } else if (parent->Info.FullyMarked) {
        parent->Info.FullyMarked = false;
        ClearFullyMarkedUpward(*parent);
        UpdateViewParentOnUnmark(*parent);
    }
}

void UnmarkChildren(TSysNode& node) {
    for (int i = 0; i < node.ChildCount(); ++i) {
        TSysNode& child = *node.GetChild(i);
        if (child.Info.Marked) Unmark(child);
    }
}

void UnmarkDependents(TSysNode& node) {
    ForEachListNumber(node.Info.Dependents, [&](std::int32_t number) {
        TSysNode* found = node.FindByNumber(number);
        if (found && found->Info.Marked) Unmark(*found);
    });
}

void UnmarkViewChildren(TSysNode& node) {
    for (std::int32_t number : ViewChildNumbers(node)) {
        TSysNode* found = node.FindByNumber(number);
        if (found && found->Info.Marked) Unmark(*found);
    }
}

void SetMarks(TCustomSysNode& holder, bool marked) {
    for (int i = 0; i < holder.ChildCount(); ++i) {
        TSysNode& child = *holder.GetChild(i);
        child.Info.Marked = marked;
        child.Info.FullyMarked = marked;
        SetMarks(child, marked);
    }
}

// Adds the node's item and, below it, the items of its view children. `path` holds the nodes
// whose items lie above, so a hierarchy that comes back to a node stops there.
void AddViewNode(const TSysTree& tree, TSysNode& node, TViewItem parentItem, TTreeViewItems& items,
                 std::vector<const TSysNode*>& path) {
    if (node.Info.ViewParent == -1) return;
    for (const TSysNode* above : path)
        if (above == &node) return;
    TViewItem item = items.AddChildObject(parentItem, node.Info.ShortName, &node);
    node.Info.Marked = true;
    node.Info.FullyMarked = true;
    if (!HasViewChildren(node)) return;
    const auto* viewChildren = tree.ViewChildren(node.Info.Number);
    if (!viewChildren) return;
    path.push_back(&node);
    for (TSysNode* child : *viewChildren) AddViewNode(tree, *child, item, items, path);
    path.pop_back();
}

}  // namespace

// --- TRecordingTreeView ---

void TRecordingTreeView::BeginUpdate() {
    ++UpdateDepth;
    ++UpdateCount;
}

void TRecordingTreeView::EndUpdate() { --UpdateDepth; }

TViewItem TRecordingTreeView::AddChildObject(TViewItem parent, const std::string& text, TSysNode* node) {
    const int parentIndex = static_cast<int>(parent) - 1;
    const int depth = parentIndex < 0 ? 0 : Items[static_cast<std::size_t>(parentIndex)].Depth + 1;
    Items.push_back({parentIndex, depth, text, node});
    return static_cast<TViewItem>(Items.size());
}

void TRecordingTreeView::Clear() {
    Items.clear();
    UpdateDepth = 0;
    UpdateCount = 0;
}

// --- The rules ---

bool AllChildrenFullyMarked(const TCustomSysNode& node) {
    for (int i = 0; i < node.ChildCount(); ++i)
        if (!node.GetChild(i)->Info.FullyMarked) return false;
    return true;
}

void Mark(TSysNode& node) {
    if (node.Info.Marked) return;
    node.Info.Marked = true;
    node.Info.FullyMarked = AllChildrenFullyMarked(node);
    UpdateParent(node);
    MarkDependencies(node);
    MarkViewChildren(node);
    UpdateViewParent(node);
}

void Unmark(TSysNode& node) {
    if (!node.Info.Marked) return;
    node.Info.Marked = false;
    node.Info.FullyMarked = false;
    ClearFullyMarkedUpward(node);
    UpdateViewParentOnUnmark(node);
    UnmarkChildren(node);
    UnmarkDependents(node);
    UnmarkViewChildren(node);
}

void MarkAll(TCustomSysNode& holder) { SetMarks(holder, true); }

void UnmarkAll(TCustomSysNode& holder) { SetMarks(holder, false); }

bool FillTreeView(TSysTree& tree, TTreeViewItems& items) {
    if (tree.AllNodes().empty()) return true;
    bool updating = false;
    try {
        items.BeginUpdate();
        updating = true;
        std::vector<const TSysNode*> path;
        for (TSysNode* node : tree.AllNodes()) {
            if (node->Info.ViewParent == 0) {
                AddViewNode(tree, *node, 0, items, path);
            } else if (node->Info.ViewParent == -1) {
                node->Info.Marked = true;
                node->Info.FullyMarked = true;
            }
        }
        items.EndUpdate();
        return true;
    } catch (const std::exception&) {
        if (updating) items.EndUpdate();
        return false;
    }
}

void UnmarkNotInstalled(TSysTree& tree, const std::vector<std::string>& installedNames) {
    std::unordered_set<std::string> installed;
    for (const std::string& name : installedNames) installed.insert(UpperAscii(name));
    for (TSysNode* node : tree.AllNodes()) {
        const TSubsystemInfo& info = node->Info;
        if (!info.ViewOnly && info.Marked && !installed.count(UpperAscii(info.ShortName))) Unmark(*node);
    }
}

}  // namespace kor
