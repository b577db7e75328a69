// Archives and their sizes: the subsystems of a tree grouped by the archives their "Archive"
// key names (the extraction and the removal walk these groups), and the archives measured by
// the uncompressed size of their members, from which the wizard computes the disk space a
// selection needs. Sizes are 64-bit, so selections of several gigabytes are measured right.
// This sits beside the reader, which it drives, rather than in the model it reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/InstIDF.h"

namespace kor {

class TSysNode;
class TSysTree;

// One archive and the nodes that use it, in the order they were met; the nodes are not owned.
class TArchive {
public:
    explicit TArchive(std::string name) : Name(std::move(name)) {}
    std::string Name;   // as written in the "Archive" key, trimmed

    void AddNode(TSysNode* node) { nodes_.push_back(node); }
    // Null when the index is out of range.
    TSysNode* GetNode(int index) const;
    int Count() const { return static_cast<int>(nodes_.size()); }

private:
    std::vector<TSysNode*> nodes_;
};

// Owns its archives (not their nodes).
class TArchiveList {
public:
    // Null when the index is out of range.
    TArchive* GetArchive(int index) const;
    int Count() const { return static_cast<int>(archives_.size()); }
    // Adds the node to the first archive of that name (letters a-z without regard to case),
    // appending an archive carrying the name as passed when there is none.
    void AddArchive(const std::string& name, TSysNode* node);
    void Clear() { archives_.clear(); }
    // Removes every archive whose trimmed name an earlier one already carries.
    void RemoveDuplicates();

private:
    std::vector<std::unique_ptr<TArchive>> archives_;
};

struct TArcSize {
    std::string Name;
    std::int64_t Size = 0;   // bytes, uncompressed; 0 for a missing archive
};

class TArchiveSize {
public:
    std::string Directory;   // where the archives lie; empty: the current directory

    // Appends a name unless an entry carries it already (trimmed, a-z without regard to case).
    void AddName(const std::string& name);
    // Measures every entry; the reader's errors pass through (later entries keep 0).
    void ReadSizes();
    // The sizes of the list's archives, each taken from the first entry of its name.
    std::int64_t SumSizes(const TArchiveList& list) const;
    void Clear() { entries_.clear(); }
    int Count() const { return static_cast<int>(entries_.size()); }
    TArcSize& operator[](int index) { return *entries_.at(static_cast<std::size_t>(index)); }

private:
    std::vector<std::unique_ptr<TArcSize>> entries_;
};

// Calls fn with every archive name of an "Archive" key, trimmed, in order: the piece before
// each "," counts (even when empty), the rest after the last "," only when it is not empty,
// so "a.zip," names one archive.
template <typename F>
void ForEachArchiveName(std::string_view archiveKey, F&& fn) {
    for (std::size_t comma; (comma = archiveKey.find(',')) != std::string_view::npos; archiveKey.remove_prefix(comma + 1))
        fn(TrimControl(archiveKey.substr(0, comma)));
    if (!archiveKey.empty()) fn(TrimControl(archiveKey));
}

// Walks the tree depth-first (a node before its children) and adds every node whose mark
// equals the given one to the archives its "Archive" key names.
void CollectArchives(const TSysTree& tree, TArchiveList& list, bool marked);
// Fills an empty size list with every archive named anywhere in the tree and measures them.
void ComputeArchiveSizes(const TSysTree& tree, TArchiveSize& sizes);

// The space the marked subsystems of the tree need, in K (1024 bytes): their archives'
// uncompressed sizes plus a reserve of 10 %, rounded to the nearest K, halves to even.
std::int64_t RequiredSpace(const TSysTree& tree, const TArchiveSize& sizes);
// numerator / denominator rounded to the nearest integer, halves to the even neighbour.
std::int64_t RoundHalfToEven(std::int64_t numerator, std::int64_t denominator);
// The figure the wizard shows: the requirement above the baseline, never below 0.
std::string RequiredSpaceText(std::int64_t required, std::int64_t baseline);

}  // namespace kor
