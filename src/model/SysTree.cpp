// The subsystem tree: nodes, the tree's indexed list of all nodes, and reading and writing
// the subsystem description. The description is indexed once per load (sections by name,
// children by parent, dependents by number) so that a load stays linear in the number of
// subsystems while every result is the one of walking the "SubSystems" entries in order.
#include "model/SysTree.h"

#include <algorithm>
#include <unordered_set>

#include "app/InstTool.h"
#include "model/InstIDF.h"
#include "platform/Errors.h"
#include "platform/TextConv.h"

namespace kor {

// --- TCustomSysNode ---

TSysNode* TCustomSysNode::AddChild(std::unique_ptr<TSysNode> node) {
    TSysNode* added = node.get();
    added->Owner = this;
    children_.push_back(std::move(node));
    RegisterNode(added);
    return added;
}

void TCustomSysNode::DeleteChild(int index) {
    if (index < 0 || index >= ChildCount()) return;
    auto position = children_.begin() + index;
    std::unique_ptr<TSysNode> child = std::move(*position);
    children_.erase(position);
    UnregisterNode(child.get());
    child.reset();   // its destructor deletes its own children first, each unregistering itself
}

void TCustomSysNode::DeleteChildren() {
    while (!children_.empty()) DeleteChild(ChildCount() - 1);
}

TSysNode* TCustomSysNode::FindNode(std::int32_t number) const {
    for (const auto& child : children_) {
        if (child->Info.Number == number) return child.get();
        if (TSysNode* found = child->FindNode(number)) return found;
    }
    return nullptr;
}

TSysTree* TCustomSysNode::RootTree() { return nullptr; }

// --- TSysNode ---

TSysNode::TSysNode() {
    Info.Marked = true;
    Info.FullyMarked = true;
}

TSysNode::~TSysNode() { DeleteChildren(); }

TSysTree* TSysNode::RootTree() {
    TCustomSysNode* holder = Owner;
    while (holder && holder->AsNode()) holder = holder->Owner;
    return holder ? holder->RootTree() : nullptr;
}

void TSysNode::RegisterNode(TSysNode* node) {
    if (Owner) Owner->RegisterNode(node);
}

void TSysNode::UnregisterNode(const TSysNode* node) {
    if (Owner) Owner->UnregisterNode(node);
}

TSysNode* TSysNode::FindByNumber(std::int32_t number) const {
    // Every node on the way up answers for itself before the tree is asked.
    for (const TCustomSysNode* holder = this; holder; holder = holder->Owner) {
        const TSysNode* node = holder->AsNode();
        if (!node) return holder->FindByNumber(number);
        if (node->Info.Number == number) return const_cast<TSysNode*>(node);
    }
    return nullptr;
}

std::string TSysNode::GetViewChildren(std::int32_t number) const {
    const TSysTree* tree = const_cast<TSysNode*>(this)->RootTree();
    return tree ? tree->GetViewChildren(number) : std::string();
}

bool TSysNode::ViewChildrenFullyMarked(std::int32_t number) const {
    const TSysTree* tree = const_cast<TSysNode*>(this)->RootTree();
    return tree ? tree->ViewChildrenFullyMarked(number) : true;
}

bool TSysNode::NoViewChildMarked(std::int32_t number) const {
    const TSysTree* tree = const_cast<TSysNode*>(this)->RootTree();
    return tree ? tree->NoViewChildMarked(number) : true;
}

// --- TSysTree ---

TSysTree::~TSysTree() { DeleteChildren(); }

void TSysTree::RegisterNode(TSysNode* node) {
    if (node->registeredIn_) return;
    node->registeredIn_ = this;
    node->allPos_ = allNodes_.insert(allNodes_.end(), node);
    auto& sameNumber = byNumber_[node->Info.Number];
    node->numberPos_ = sameNumber.insert(sameNumber.end(), node);
    auto& sameViewParent = byViewParent_[node->Info.ViewParent];
    node->viewPos_ = sameViewParent.insert(sameViewParent.end(), node);
    node->indexedNumber_ = node->Info.Number;
    node->indexedViewParent_ = node->Info.ViewParent;
}

void TSysTree::UnregisterNode(const TSysNode* node) {
    if (node->registeredIn_ != this) return;
    TSysNode* entry = *node->allPos_;
    entry->registeredIn_ = nullptr;
    allNodes_.erase(node->allPos_);
    auto eraseFrom = [entry](auto& buckets, std::int32_t key, std::list<TSysNode*>::iterator position) {
        auto bucket = buckets.find(key);
        bucket->second.erase(position);
        if (bucket->second.empty()) buckets.erase(bucket);
    };
    eraseFrom(byNumber_, entry->indexedNumber_, entry->numberPos_);
    eraseFrom(byViewParent_, entry->indexedViewParent_, entry->viewPos_);
}

TSysNode* TSysTree::FindByNumber(std::int32_t number) const {
    auto bucket = byNumber_.find(number);
    return bucket == byNumber_.end() ? nullptr : bucket->second.front();
}

const std::list<TSysNode*>* TSysTree::ViewChildren(std::int32_t number) const {
    auto bucket = byViewParent_.find(number);
    return bucket == byViewParent_.end() ? nullptr : &bucket->second;
}

std::string TSysTree::GetViewChildren(std::int32_t number) const {
    std::string result;
    if (const auto* children = ViewChildren(number)) {
        for (const TSysNode* child : *children) {
            if (!result.empty()) result += ',';
            result += std::to_string(child->Info.Number);
        }
    }
    return result;
}

bool TSysTree::ViewChildrenFullyMarked(std::int32_t number) const {
    if (const auto* children = ViewChildren(number))
        for (const TSysNode* child : *children)
            if (!child->Info.FullyMarked) return false;
    return true;
}

bool TSysTree::NoViewChildMarked(std::int32_t number) const {
    if (const auto* children = ViewChildren(number))
        for (const TSysNode* child : *children)
            if (child->Info.Marked) return false;
    return true;
}

// --- Reading the description ---

std::int32_t ReadListPiece(std::string_view piece) { return StrToInt(TrimControl(piece)); }

std::int32_t ReadIntParam(const TIDFSection& section, std::string_view key) {
    const TIDFParam* param = section.ParamByName(key);
    if (!param || param->Value.empty()) return 0;
    return param->AsInteger();
}

std::string ReadStrParam(const TIDFSection& section, std::string_view key) {
    const TIDFParam* param = section.ParamByName(key);
    return param ? param->Value : std::string();
}

namespace {

// Whether the first `length` characters of a key's name, trimmed and upper-cased, are the prefix.
bool KeyHasPrefix(std::string_view name, std::string_view prefix) {
    return UpperAscii(TrimControl(name.substr(0, prefix.size()))) == prefix;
}

void AppendItem(std::string& list, std::string_view separator, std::string_view item) {
    if (!list.empty()) list += separator;
    list += item;
}

// One "SubSystems" entry with what the loader asks of it, read once.
struct TEntry {
    const TIDFParam* Param = nullptr;
    const TIDFSection* Section = nullptr;   // null when the description has no such section
    bool ValueIsInteger = false;
    std::int32_t Value = 0;
};

// The description indexed for one load. Every answer equals the one of walking the
// entries in order, as the loader's steps are defined.
class TDescriptionIndex {
public:
    TDescriptionIndex(const TIDFTextFile& description, const TIDFSection& subsystems) {
        for (int i = 0; i < description.SectionCount(); ++i) {
            const TIDFSection* section = description.GetSection(i);
            sections_.emplace(UpperAscii(section->Name), section);   // the first of a name wins
        }
        entries_.resize(static_cast<std::size_t>(subsystems.ParamCount()));
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            TEntry& entry = entries_[i];
            entry.Param = subsystems.GetParam(static_cast<int>(i));
            entry.Section = SectionByName(entry.Param->Name);
            try {
                entry.Value = entry.Param->AsInteger();
                entry.ValueIsInteger = true;
                numberOf_.emplace(entry.Param->Name, entry.Value);
            } catch (const EConvertError&) {
            }
        }
    }

    const std::vector<TEntry>& Entries() const { return entries_; }

    const TIDFSection* SectionByName(std::string_view name) const {
        auto found = sections_.find(UpperAscii(name));
        return found == sections_.end() ? nullptr : found->second;
    }

    // NumberOf: the value of the first entry named exactly so whose value is an integer.
    std::int32_t NumberOf(const std::string& name) const {
        auto found = numberOf_.find(name);
        return found == numberOf_.end() ? 0 : found->second;
    }

    // Indexes "Parent" and "Depend" of every entry; the entries' values are integers by now.
    void IndexRelations() {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const TIDFSection* section = entries_[i].Section;
            if (!section) continue;
            try {
                std::int32_t parent = ReadIntParam(*section, "Parent");
                if (parent != 0) childEntries_[parent].push_back(i);
            } catch (const EConvertError&) {
                if (firstBadParent_ == kNone) firstBadParent_ = i;
            }
            IndexDepend(i, ReadStrParam(*section, "Depend"));
        }
    }

    // The entries LoadChildren adds below a node of the number, in order. When some entry's
    // "Parent" is not an integer, LoadChildren raises when it reaches that entry: only the
    // entries before it are returned and `raises` is set.
    std::vector<std::size_t> ChildEntries(std::int32_t number, bool& raises) const {
        raises = firstBadParent_ != kNone;
        std::vector<std::size_t> result;
        auto found = childEntries_.find(number);
        if (found != childEntries_.end())
            for (std::size_t i : found->second)
                if (i < firstBadParent_) result.push_back(i);
        return result;
    }

    // Raises the conversion error of the first entry whose "Parent" is not an integer.
    [[noreturn]] void RaiseBadParent() const {
        ReadIntParam(*entries_[firstBadParent_].Section, "Parent");
        throw EConvertError("'Parent' is not a valid integer value");
    }

    // FindDependents: the entries whose "Depend" names the number, with the message for
    // every bad "Depend" that does not name it before its bad item.
    std::string FindDependents(std::int32_t number) const {
        std::string result;
        auto found = dependents_.find(number);
        if (found != dependents_.end())
            for (std::size_t i : found->second)
                if (entries_[i].Value != number) AppendItem(result, ",", entries_[i].Param->Value);
        for (const TBadDepend& bad : badDepends_) {
            const TEntry& entry = entries_[bad.Entry];
            if (entry.Value == number || bad.ItemsBefore.count(number)) continue;
            ShowPlainMessage("Invalid 'depend' string in setup.idf. Section - " + AnsiToUtf8(entry.Section->Name),
                             MessageCaption, kMbOk | kMbTaskModal);
        }
        return result;
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    struct TBadDepend {
        std::size_t Entry;
        std::unordered_set<std::int32_t> ItemsBefore;   // the items read before the bad one
    };

    void IndexDepend(std::size_t entry, std::string_view depend) {
        std::unordered_set<std::int32_t> seen;
        try {
            ForEachListNumber(depend, [&](std::int32_t item) {
                if (seen.insert(item).second) dependents_[item].push_back(entry);
            });
        } catch (const EConvertError&) {
            badDepends_.push_back({entry, std::move(seen)});
        }
    }

    std::vector<TEntry> entries_;
    std::unordered_map<std::string, const TIDFSection*> sections_;
    std::unordered_map<std::string, std::int32_t> numberOf_;
    std::unordered_map<std::int32_t, std::vector<std::size_t>> childEntries_;
    std::size_t firstBadParent_ = kNone;
    std::unordered_map<std::int32_t, std::vector<std::size_t>> dependents_;
    std::vector<TBadDepend> badDepends_;
};

// The duplicate check compares every entry with every later one, reading the values as it
// goes. Its first row reads each value in order and raises at the first non-integer one;
// once that row has passed, every value is an integer and a set finds any later pair.
bool HasDuplicateNumbers(const TIDFSection& subsystems) {
    const int count = subsystems.ParamCount();
    if (count < 2) return false;
    const std::int32_t first = subsystems.GetParam(0)->AsInteger();
    std::unordered_set<std::int32_t> seen{first};
    bool duplicate = false;
    for (int j = 1; j < count; ++j) {
        std::int32_t value = subsystems.GetParam(j)->AsInteger();
        if (value == first) return true;
        if (!seen.insert(value).second) duplicate = true;
    }
    return duplicate;
}

void LoadChildren(TSysNode& node, const TDescriptionIndex& index) {
    bool raises = false;
    for (std::size_t i : index.ChildEntries(node.Info.Number, raises)) {
        const TIDFSection& section = *index.Entries()[i].Section;
        auto child = std::make_unique<TSysNode>();
        child->Info.Number = index.NumberOf(section.Name);
        LoadFromSection(*child, section);
        child->Info.Dependents = index.FindDependents(child->Info.Number);
        LoadChildren(*node.AddChild(std::move(child)), index);
    }
    if (raises) index.RaiseBadParent();
}

void SaveNode(const TSysNode& node, TIDFSection& subsystems, TIDFTextFile& file) {
    const TSubsystemInfo& info = node.Info;
    subsystems.AddParam(info.SectionName)->SetInteger(info.Number);
    TIDFSection& section = *file.AddSection(info.SectionName);
    section.AddParam("Parent")->SetInteger(info.Parent);
    section.AddParam("Depend")->SetString(info.Depend);
    section.AddParam("Library")->SetString(info.Library);
    section.AddParam("Parameter")->SetString(info.Parameter);
    section.AddParam("Archive")->SetString(info.Archive);
    section.AddParam("Short Name")->SetString(info.ShortName);
    section.AddParam("Full Name")->SetString(info.FullName);
    section.AddParam("CheckFile")->SetString(info.CheckFile);
    section.AddParam("ReqFile")->SetString(info.ReqFile);
    // One counter over all items, so menu and desktop numbers interleave.
    if (!info.Links.empty()) {
        std::string_view links = info.Links;
        for (int k = 1;; ++k) {
            std::size_t star = links.find('*');
            std::string_view item = links.substr(0, star);
            if (item.ends_with("?menu"))
                section.AddParam("MenuLink" + std::to_string(k))->SetString(std::string(item.substr(0, item.size() - 5)));
            else if (item.ends_with("?desktop"))
                section.AddParam("DesktopLink" + std::to_string(k))->SetString(std::string(item.substr(0, item.size() - 8)));
            if (star == std::string_view::npos) break;
            links.remove_prefix(star + 1);
        }
    }
    for (int i = 0; i < node.ChildCount(); ++i) SaveNode(*node.GetChild(i), subsystems, file);
}

}  // namespace

void LoadFromSection(TSysNode& node, const TIDFSection& section) {
    TSubsystemInfo& info = node.Info;
    info.SectionName = section.Name;
    info.Marked = false;
    info.FullyMarked = false;
    info.Parent = ReadIntParam(section, "Parent");
    info.Depend = ReadStrParam(section, "Depend");
    info.Library = ReadStrParam(section, "Library");
    info.Parameter = ReadStrParam(section, "Parameter");
    info.Archive = ReadStrParam(section, "Archive");
    info.ShortName = ReadStrParam(section, "Short name");
    info.FullName = ReadStrParam(section, "Full name");
    info.ViewParent = ReadIntParam(section, "ViewParent");
    info.ViewOnly = UpperAscii(TrimControl(ReadStrParam(section, "ViewOnly"))) == "TRUE";
    // A prefixed key contributes the value of the first key of its name.
    auto valueOf = [&](const TIDFParam& param) -> const std::string& { return section.ParamByName(param.Name)->Value; };
    for (int i = 0; i < section.ParamCount(); ++i) {
        const TIDFParam& param = *section.GetParam(i);
        if (KeyHasPrefix(param.Name, "MENULINK"))
            AppendItem(info.Links, "*", valueOf(param) + "?menu");
        else if (KeyHasPrefix(param.Name, "DESKTOPLINK"))
            AppendItem(info.Links, "*", valueOf(param) + "?desktop");
    }
    for (int i = 0; i < section.ParamCount(); ++i)
        if (KeyHasPrefix(section.GetParam(i)->Name, "CHECKFILE")) AppendItem(info.CheckFile, ",", valueOf(*section.GetParam(i)));
    for (int i = 0; i < section.ParamCount(); ++i)
        if (KeyHasPrefix(section.GetParam(i)->Name, "REQFILE")) AppendItem(info.ReqFile, ",", valueOf(*section.GetParam(i)));
}

bool TSysTree::LoadFromIDF(const TIDFTextFile* description) {
    DeleteChildren();
    if (!description) return false;
    const TIDFSection* subsystems = description->SectionByName("SubSystems");
    if (!subsystems) return true;
    if (HasDuplicateNumbers(*subsystems)) {
        RouteMessage({"Найдены системы с одинаковыми номерами", MessageCaption, kMbOk | kMbIconError});
        return false;
    }
    TDescriptionIndex index(*description, *subsystems);
    index.IndexRelations();
    for (const TEntry& entry : index.Entries()) {
        const std::int32_t number = entry.Param->AsInteger();
        if (number == 0 || !entry.Section) continue;
        try {
            if (ReadIntParam(*entry.Section, "Parent") != 0) continue;
            auto node = std::make_unique<TSysNode>();
            node->Owner = this;
            node->Info.Number = number;
            LoadFromSection(*node, *entry.Section);
            node->Info.Dependents = index.FindDependents(number);
            LoadChildren(*AddChild(std::move(node)), index);
        } catch (const Exception&) {
            // An entry that cannot be read is left out; what was built of it stays.
        }
    }
    return true;
}

bool TSysTree::SaveToIDF(TIDFTextFile& file) const {
    try {
        TIDFSection& subsystems = *file.AddSection("SubSystems");
        for (int i = 0; i < ChildCount(); ++i) SaveNode(*GetChild(i), subsystems, file);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kor
