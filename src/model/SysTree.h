// The subsystem tree: the subsystems of a description (or of a work tree derived from it) as
// nodes whose shape follows "Parent", with a flat list of every node of the tree that answers
// the questions about numbers and the view hierarchy ("ViewParent").
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kor {

class TIDFTextFile;
class TIDFSection;
class TSysNode;
class TSysTree;

// The attributes of one subsystem.
struct TSubsystemInfo {
    bool FullyMarked = false;
    std::string Archive;
    std::string Dependents;
    bool Marked = false;
    std::string CheckFile;
    std::string Depend;
    std::string FullName;
    bool SavedMark = false;
    std::string Library;
    std::string Links;
    std::string Parameter;
    std::int32_t Parent = 0;
    std::string ReqFile;
    std::string SectionName;
    std::string ShortName;
    std::int32_t Number = 0;
    std::int32_t ViewParent = 0;
    bool ViewOnly = false;
};

// Base of nodes and trees: owns the children; every question about numbers and the view
// hierarchy goes up the Owner chain to the tree at its root.
class TCustomSysNode {
public:
    TCustomSysNode() = default;
    virtual ~TCustomSysNode() = default;
    TCustomSysNode(const TCustomSysNode&) = delete;
    TCustomSysNode& operator=(const TCustomSysNode&) = delete;

    // The node or tree that holds this node in its children; null until added. Not owning.
    TCustomSysNode* Owner = nullptr;

    // Appends the node, makes this its Owner and registers it with the tree; returns it.
    virtual TSysNode* AddChild(std::unique_ptr<TSysNode> node);
    virtual void RegisterNode(TSysNode* node) = 0;
    // Unregisters the child and destroys it with everything below it.
    virtual void DeleteChild(int index);
    // Removes the node's entry from the tree's list. Takes the node itself, not its number:
    // with two nodes of one number, removing "the first entry of that number" would leave
    // the destroyed node in the list.
    virtual void UnregisterNode(const TSysNode* node) = 0;
    virtual TSysNode* FindByNumber(std::int32_t number) const = 0;
    // Numbers of the nodes whose ViewParent is the number, in list order, joined with ",".
    virtual std::string GetViewChildren(std::int32_t number) const = 0;
    virtual bool ViewChildrenFullyMarked(std::int32_t number) const = 0;
    virtual bool NoViewChildMarked(std::int32_t number) const = 0;

    int ChildCount() const { return static_cast<int>(children_.size()); }
    // Valid positions only.
    TSysNode* GetChild(int index) const { return children_.at(static_cast<std::size_t>(index)).get(); }
    // Deletes the last child until none is left.
    void DeleteChildren();
    // First descendant with the number, depth-first in child order (a walk, not the list).
    TSysNode* FindNode(std::int32_t number) const;
    // The tree at the root of the Owner chain, or null for a node not (yet) in a tree.
    virtual TSysTree* RootTree();

    // Null for a tree.
    virtual TSysNode* AsNode() { return nullptr; }
    const TSysNode* AsNode() const { return const_cast<TCustomSysNode*>(this)->AsNode(); }

private:
    std::vector<std::unique_ptr<TSysNode>> children_;
};

class TSysNode : public TCustomSysNode {
public:
    // A new node is Marked and FullyMarked.
    TSysNode();
    ~TSysNode() override;

    TSubsystemInfo Info;

    void RegisterNode(TSysNode* node) override;
    void UnregisterNode(const TSysNode* node) override;
    // Itself when its own number matches, otherwise the Owner's answer.
    TSysNode* FindByNumber(std::int32_t number) const override;
    std::string GetViewChildren(std::int32_t number) const override;
    bool ViewChildrenFullyMarked(std::int32_t number) const override;
    bool NoViewChildMarked(std::int32_t number) const override;
    TSysTree* RootTree() override;
    TSysNode* AsNode() override { return this; }

private:
    friend class TSysTree;
    // The tree this node is registered in, and where and under which keys it lists it.
    TSysTree* registeredIn_ = nullptr;
    std::int32_t indexedNumber_ = 0;
    std::int32_t indexedViewParent_ = 0;
    std::list<TSysNode*>::iterator allPos_;
    std::list<TSysNode*>::iterator numberPos_;
    std::list<TSysNode*>::iterator viewPos_;
};

class TSysTree : public TCustomSysNode {
public:
    TSysTree() = default;
    ~TSysTree() override;

    // Every node registered in this tree, in order of registration; not owning. Number and
    // ViewParent of a node are indexed when it is registered and must not change while it is.
    const std::list<TSysNode*>& AllNodes() const { return allNodes_; }

    void RegisterNode(TSysNode* node) override;
    void UnregisterNode(const TSysNode* node) override;
    TSysNode* FindByNumber(std::int32_t number) const override;
    std::string GetViewChildren(std::int32_t number) const override;
    bool ViewChildrenFullyMarked(std::int32_t number) const override;
    bool NoViewChildMarked(std::int32_t number) const override;
    TSysTree* RootTree() override { return this; }

    // The nodes whose ViewParent is the number, in list order; not owning.
    const std::list<TSysNode*>* ViewChildren(std::int32_t number) const;

    // Replaces the content with the subsystems of the description; false for duplicate
    // numbers (after the message) or no description. A "SubSystems" value that is not an
    // integer raises EConvertError.
    bool LoadFromIDF(const TIDFTextFile* description);
    // Adds section "SubSystems" and one section per node to the file; false on an error.
    bool SaveToIDF(TIDFTextFile& file) const;

private:
    std::list<TSysNode*> allNodes_;
    std::unordered_map<std::int32_t, std::list<TSysNode*>> byNumber_;
    std::unordered_map<std::int32_t, std::list<TSysNode*>> byViewParent_;
};

// Number lists ("Depend", "Dependents", view children): cut at ",", each piece trimmed and
// read as an integer, the rest after the last "," always read; an empty text holds nothing.
// The callback runs for each number before the next piece is read, so a bad piece raises
// EConvertError after the numbers before it were handled.
template <typename F>
void ForEachListNumber(std::string_view list, F&& callback);
std::int32_t ReadListPiece(std::string_view piece);

// Key readers of the description's subsystem sections.
std::int32_t ReadIntParam(const TIDFSection& section, std::string_view key);
std::string ReadStrParam(const TIDFSection& section, std::string_view key);
// Fills a node's attributes from its section (marks cleared). May raise EConvertError.
void LoadFromSection(TSysNode& node, const TIDFSection& section);

template <typename F>
void ForEachListNumber(std::string_view list, F&& callback) {
    if (list.empty()) return;
    for (;;) {
        std::size_t comma = list.find(',');
        callback(ReadListPiece(list.substr(0, comma)));
        if (comma == std::string_view::npos) return;
        list.remove_prefix(comma + 1);
    }
}

}  // namespace kor
