// Archives of a subsystem tree and their sizes.
#include "archive/Archives.h"

#include <algorithm>

#include "archive/ZipReader.h"
#include "model/InstIDF.h"
#include "model/SysTree.h"
#include "platform/FileIO.h"

namespace kor {
namespace {

bool SameTrimmedName(const std::string& a, const std::string& b) {
    return SameNameAsciiCase(TrimControl(a), TrimControl(b));
}

void CollectNode(const TSysNode& node, TArchiveList& list, bool marked) {
    if (node.Info.Marked == marked) {
        ForEachArchiveName(node.Info.Archive, [&](std::string_view name) {
            list.AddArchive(std::string(name), const_cast<TSysNode*>(&node));
        });
    }
    for (int i = 0; i < node.ChildCount(); ++i) CollectNode(*node.GetChild(i), list, marked);
}

}  // namespace

TSysNode* TArchive::GetNode(int index) const {
    return index >= 0 && index < Count() ? nodes_[static_cast<std::size_t>(index)] : nullptr;
}

TArchive* TArchiveList::GetArchive(int index) const {
    return index >= 0 && index < Count() ? archives_[static_cast<std::size_t>(index)].get() : nullptr;
}

void TArchiveList::AddArchive(const std::string& name, TSysNode* node) {
    auto it = std::find_if(archives_.begin(), archives_.end(),
                           [&](const auto& archive) { return SameNameAsciiCase(archive->Name, name); });
    if (it == archives_.end()) it = archives_.insert(archives_.end(), std::make_unique<TArchive>(name));
    (*it)->AddNode(node);
}

void TArchiveList::RemoveDuplicates() {
    for (std::size_t i = archives_.size(); i-- > 1;) {
        bool earlier = std::any_of(archives_.begin(), archives_.begin() + static_cast<std::ptrdiff_t>(i),
                                   [&](const auto& archive) { return SameTrimmedName(archive->Name, archives_[i]->Name); });
        if (earlier) archives_.erase(archives_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void TArchiveSize::AddName(const std::string& name) {
    bool known = std::any_of(entries_.begin(), entries_.end(),
                             [&](const auto& entry) { return SameTrimmedName(entry->Name, name); });
    if (!known) entries_.push_back(std::make_unique<TArcSize>(TArcSize{name, 0}));
}

void TArchiveSize::ReadSizes() {
    std::string prefix = Directory.empty() ? std::string() : IncludeTrailingBackslash(Directory);
    TZipReader reader;
    for (auto& entry : entries_) {
        std::int64_t total = 0;
        std::string path = prefix + entry->Name;
        if (FileExists(path)) {
            reader.SetZipName(path);
            reader.ReadDirectory();
            for (int i = 0; i < reader.MemberCount(); ++i) total += reader.MemberUncompressedSize(i);
        }
        entry->Size = total;
    }
}

std::int64_t TArchiveSize::SumSizes(const TArchiveList& list) const {
    std::int64_t sum = 0;
    for (int i = 0; i < list.Count(); ++i) {
        const std::string& name = list.GetArchive(i)->Name;
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const auto& entry) { return SameTrimmedName(entry->Name, name); });
        if (it != entries_.end()) sum += (*it)->Size;
    }
    return sum;
}

void CollectArchives(const TSysTree& tree, TArchiveList& list, bool marked) {
    for (int i = 0; i < tree.ChildCount(); ++i) CollectNode(*tree.GetChild(i), list, marked);
}

void ComputeArchiveSizes(const TSysTree& tree, TArchiveSize& sizes) {
    TArchiveList archives;
    CollectArchives(tree, archives, false);
    CollectArchives(tree, archives, true);
    archives.RemoveDuplicates();
    for (int i = 0; i < archives.Count(); ++i) sizes.AddName(archives.GetArchive(i)->Name);
    sizes.ReadSizes();
}

std::int64_t RoundHalfToEven(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t quotient = numerator / denominator, remainder = numerator % denominator;
    if (remainder < 0) {
        --quotient;
        remainder += denominator;
    }
    if (remainder * 2 > denominator || (remainder * 2 == denominator && quotient % 2 != 0)) ++quotient;
    return quotient;
}

std::int64_t RequiredSpace(const TSysTree& tree, const TArchiveSize& sizes) {
    TArchiveList archives;
    CollectArchives(tree, archives, true);
    archives.RemoveDuplicates();
    // total * 1.1 / 1024 in exact arithmetic, so that halves are halves.
    return RoundHalfToEven(sizes.SumSizes(archives) * 11, 10240);
}

std::string RequiredSpaceText(std::int64_t required, std::int64_t baseline) {
    return std::to_string(std::max<std::int64_t>(0, required - baseline));
}

}  // namespace kor
