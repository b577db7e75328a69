// Copying, shaping and collecting operations on work trees, and the wizard's recipes that
// combine them.
#include "model/WorkTrees.h"

#include <unordered_map>
#include <unordered_set>

#include "model/InstIDF.h"
#include "model/Selection.h"
#include "platform/Errors.h"

namespace kor {

namespace {

// A copy carries every attribute but the marks: it is Marked and FullyMarked, not SavedMark.
std::unique_ptr<TSysNode> CopyNode(const TSysNode& source) {
    auto copy = std::make_unique<TSysNode>();
    copy->Info = source.Info;
    copy->Info.Marked = true;
    copy->Info.FullyMarked = true;
    copy->Info.SavedMark = false;
    return copy;
}

// Runs fn on every descendant of the holder, a node before its children.
template <typename Node, typename F>
void ForEachDescendant(Node& holder, F&& fn) {
    for (int i = 0; i < holder.ChildCount(); ++i) {
        auto& child = *holder.GetChild(i);
        fn(child);
        ForEachDescendant(child, fn);
    }
}

// The first child of a holder with a given number. Wide holders are indexed once, so that
// matching every node of one tree against another stays linear.
class TChildByNumber {
public:
    TSysNode* Find(const TCustomSysNode& holder, std::int32_t number) {
        if (holder.ChildCount() <= kScanLimit) {
            for (int i = 0; i < holder.ChildCount(); ++i)
                if (holder.GetChild(i)->Info.Number == number) return holder.GetChild(i);
            return nullptr;
        }
        auto& index = IndexOf(holder);
        auto found = index.find(number);
        return found == index.end() ? nullptr : found->second;
    }

    // Tells the index about a child just appended to the holder.
    void Added(const TCustomSysNode& holder, TSysNode& child) {
        auto indexed = indexes_.find(&holder);
        if (indexed != indexes_.end()) indexed->second.emplace(child.Info.Number, &child);
    }

private:
    static constexpr int kScanLimit = 16;

    std::unordered_map<std::int32_t, TSysNode*>& IndexOf(const TCustomSysNode& holder) {
        auto [position, added] = indexes_.try_emplace(&holder);
        if (added)
            for (int i = 0; i < holder.ChildCount(); ++i)
                position->second.emplace(holder.GetChild(i)->Info.Number, holder.GetChild(i));   // first wins
        return position->second;
    }

    std::unordered_map<const TCustomSysNode*, std::unordered_map<std::int32_t, TSysNode*>> indexes_;
};

void MergeNode(const TSysNode& node, TCustomSysNode& holder, TChildByNumber& children) {
    TSysNode* match = children.Find(holder, node.Info.Number);
    if (match) {
        if (!node.Info.Marked) match->Info.Marked = false;
    } else {
        auto copy = CopyNode(node);
        copy->Info.Marked = node.Info.Marked;
        match = holder.AddChild(std::move(copy));
        children.Added(holder, *match);
    }
    for (int i = 0; i < node.ChildCount(); ++i) MergeNode(*node.GetChild(i), *match, children);
}

void UnmarkSubtree(TSysNode& node) {
    node.Info.Marked = false;
    ForEachDescendant(node, [](TSysNode& n) { n.Info.Marked = false; });
}

void CompareNode(TSysNode& node, const TCustomSysNode& holder, TChildByNumber& children) {
    if (holder.ChildCount() == 0) return UnmarkSubtree(node);
    const TSysNode* match = children.Find(holder, node.Info.Number);
    if (!match) return UnmarkSubtree(node);
    for (int i = 0; i < node.ChildCount(); ++i) CompareNode(*node.GetChild(i), *match, children);
}

void CopyTopmostUnmarked(const TCustomSysNode& holder, TSysTree& target) {
    for (int i = 0; i < holder.ChildCount(); ++i) {
        const TSysNode& child = *holder.GetChild(i);
        if (child.Info.Marked) {
            CopyTopmostUnmarked(child, target);
        } else {
            auto copy = CopyNode(child);
            copy->Info.Marked = false;
            CopyChildrenTo(child, *target.AddChild(std::move(copy)));
        }
    }
}

std::string PrunedNumberList(const TSysTree& tree, std::string_view list) {
    std::string result;
    ForEachListNumber(list, [&](std::int32_t number) {
        if (!tree.FindByNumber(number)) return;
        if (!result.empty()) result += ',';
        result += std::to_string(number);
    });
    return result;
}

// Adds the trimmed, non-empty pieces of a comma-separated text.
void AddListPieces(std::string_view text, std::vector<std::string>& list) {
    for (;;) {
        std::size_t comma = text.find(',');
        std::string_view piece = TrimControl(text.substr(0, comma));
        if (!piece.empty()) list.emplace_back(piece);
        if (comma == std::string_view::npos) return;
        text.remove_prefix(comma + 1);
    }
}

template <typename F>
void ForEachUnmarked(const TSysTree& tree, F&& fn) {
    ForEachDescendant(tree, [&](const TSysNode& node) {
        if (!node.Info.Marked) fn(node.Info);
    });
}

// Appends the node's dependents that the list does not hold yet.
void AppendDependents(const TSysNode& node, std::string& list, std::unordered_set<std::int32_t>& held) {
    ForEachListNumber(node.Info.Dependents, [&](std::int32_t number) {
        if (!held.insert(number).second) return;
        if (!list.empty()) list += ',';
        list += std::to_string(number);
    });
}

std::unordered_set<std::int32_t> NumbersOf(std::string_view list) {
    std::unordered_set<std::int32_t> numbers;
    ForEachListNumber(list, [&](std::int32_t number) { numbers.insert(number); });
    return numbers;
}

}  // namespace

// --- Copying and shaping ---

void CopyMarked(TCustomSysNode& target, const TCustomSysNode& source) {
    target.DeleteChildren();
    for (int i = 0; i < source.ChildCount(); ++i) {
        const TSysNode& child = *source.GetChild(i);
        if (child.Info.Marked && !child.Info.ViewOnly) CopyMarked(*target.AddChild(CopyNode(child)), child);
    }
}

void CopyChildrenTo(const TCustomSysNode& source, TCustomSysNode& target) {
    for (int i = 0; i < source.ChildCount(); ++i) {
        const TSysNode& child = *source.GetChild(i);
        CopyChildrenTo(child, *target.AddChild(CopyNode(child)));
    }
}

void CopyUnmarked(const TSysTree& source, TSysTree& target) { CopyTopmostUnmarked(source, target); }

TSysNode* CopyWithAncestors(const TSysNode& node, TSysTree& target) {
    std::vector<const TSysNode*> ancestors;
    for (const TCustomSysNode* holder = node.Owner; holder && holder->AsNode(); holder = holder->Owner)
        ancestors.push_back(holder->AsNode());
    TCustomSysNode* holder = &target;
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) holder = holder->AddChild(CopyNode(**it));
    TSysNode* copy = holder->AddChild(CopyNode(node));
    CopyChildrenTo(node, *copy);
    return copy;
}

void MergeInto(const TSysTree& source, TSysTree* target) {
    if (!target) return;
    TChildByNumber children;
    for (int i = 0; i < source.ChildCount(); ++i) MergeNode(*source.GetChild(i), *target, children);
}

bool MarkCommon(TSysTree& tree, const TSysTree* other) {
    if (!other) return false;
    TChildByNumber children;
    for (int i = 0; i < tree.ChildCount(); ++i) CompareNode(*tree.GetChild(i), *other, children);
    UpdateFullyMarked(tree);
    return true;
}

void UpdateFullyMarked(TCustomSysNode& holder) {
    for (int i = 0; i < holder.ChildCount(); ++i) {
        TSysNode& child = *holder.GetChild(i);
        UpdateFullyMarked(child);
        child.Info.FullyMarked = child.Info.Marked && AllChildrenFullyMarked(child);
    }
}

void PruneFullyMarked(TCustomSysNode& holder) {
    for (int i = holder.ChildCount() - 1; i >= 0; --i) {
        if (holder.GetChild(i)->Info.FullyMarked)
            holder.DeleteChild(i);
        else
            PruneFullyMarked(*holder.GetChild(i));
    }
}

void RemoveUnmarked(TCustomSysNode& holder, bool everyLevel) {
    for (int i = holder.ChildCount() - 1; i >= 0; --i)
        if (!holder.GetChild(i)->Info.Marked) holder.DeleteChild(i);
    if (everyLevel)
        for (int i = holder.ChildCount() - 1; i >= 0; --i) RemoveUnmarked(*holder.GetChild(i), true);
}

void PruneDependencies(TSysTree& tree) {
    for (TSysNode* node : tree.AllNodes()) {
        node->Info.Depend = PrunedNumberList(tree, node->Info.Depend);
        node->Info.Dependents = PrunedNumberList(tree, node->Info.Dependents);
    }
}

void SaveMarks(TCustomSysNode& holder) {
    ForEachDescendant(holder, [](TSysNode& node) { node.Info.SavedMark = node.Info.Marked; });
}

// --- Collecting ---

void ListUnmarkedNames(const TSysTree& tree, std::vector<std::string>& names) {
    ForEachUnmarked(tree, [&](const TSubsystemInfo& info) { names.push_back(info.ShortName); });
}

void CollectLinks(const TSysTree& tree, std::vector<std::string>& links, int kind) {
    const std::string_view ending = kind == lkMenu ? "?menu" : "?desktop";
    ForEachUnmarked(tree, [&](const TSubsystemInfo& info) {
        if (info.Links.empty()) return;
        std::string_view rest = info.Links;
        for (;;) {
            std::size_t star = rest.find('*');
            std::string_view item = rest.substr(0, star);
            if (item.ends_with(ending)) links.emplace_back(item.substr(0, item.size() - ending.size()));
            if (star == std::string_view::npos) return;
            rest.remove_prefix(star + 1);
        }
    });
}

void CollectCheckFiles(const TSysTree& tree, std::vector<std::string>& files) {
    ForEachUnmarked(tree, [&](const TSubsystemInfo& info) { AddListPieces(info.CheckFile, files); });
}

void CollectReqFiles(const TSysTree& tree, std::vector<std::string>& files) {
    ForEachUnmarked(tree, [&](const TSubsystemInfo& info) { AddListPieces(info.ReqFile, files); });
}

void CollectDependents(const TSysTree& tree, std::string& list) {
    list.clear();
    std::unordered_set<std::int32_t> held;
    ForEachDescendant(tree, [&](const TSysNode& node) { AppendDependents(node, list, held); });
}

void CollectDependents(const TSysNode& node, std::string& list) {
    std::unordered_set<std::int32_t> held = NumbersOf(list);
    AppendDependents(node, list, held);
    ForEachDescendant(node, [&](const TSysNode& n) { AppendDependents(n, list, held); });
}

std::int32_t ListItem(std::string_view list, int k) {
    if (k < 1) return -1;
    for (int i = 1; i < k; ++i) {
        std::size_t comma = list.find(',');
        if (comma == std::string_view::npos) return -1;
        list.remove_prefix(comma + 1);
    }
    std::string_view item = list.substr(0, list.find(','));
    if (item.empty()) return -1;
    try {
        return StrToInt(item);
    } catch (const EConvertError&) {
        return -1;
    }
}

// --- The wizard's recipes ---

void BuildInstallTrees(const TSysTree& description, TSysTree& install, TSysTree& remove) {
    CopyMarked(install, description);
    PruneDependencies(install);
    remove.DeleteChildren();
    UnmarkAll(install);
}

bool ShowInstalledSet(TSysTree& description, TTreeViewItems& view, const std::vector<std::string>& installedNames) {
    const bool filled = FillTreeView(description, view);
    UnmarkNotInstalled(description, installedNames);
    return filled;
}

void BuildUninstallTree(const TSysTree& description, TSysTree& remove) {
    CopyMarked(remove, description);
    PruneDependencies(remove);
    UnmarkAll(remove);
}

void KeepInstalledSet(const TSysTree& description, TSysTree& remove, TSysTree& backup) {
    CopyMarked(remove, description);
    CopyMarked(backup, description);
}

void BuildAddRemoveTrees(const TSysTree& description, TSysTree& install, TSysTree& remove) {
    CopyMarked(install, description);
    MarkCommon(install, &remove);
    MarkCommon(remove, &install);
    PruneFullyMarked(install);
    PruneFullyMarked(remove);
    PruneDependencies(install);
    PruneDependencies(remove);
}

void RestoreInstalledSet(const TSysTree& backup, TSysTree& remove) {
    remove.DeleteChildren();
    MergeInto(backup, &remove);
    MarkAll(remove);
}

TSummaryNames SummaryNames(const TSysTree& install, const TSysTree& remove) {
    TSummaryNames names;
    ListUnmarkedNames(install, names.ToInstall);
    ListUnmarkedNames(remove, names.ToRemove);
    return names;
}

}  // namespace kor
