// Writing and reading the subsystem tree buffer. Offsets and lengths are checked against the
// block before every read, whatever the library left in it.
#include "model/TreeBuffer.h"

#include <limits>
#include <optional>
#include <string>

#include "app/LogFiles.h"

namespace kor {

namespace {

constexpr std::size_t kFixedPart = 26;   // length, InfoLength, two mark bytes, three text lengths, count
constexpr std::size_t kInt32Max = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

void PutInt32(std::span<std::uint8_t> block, std::size_t offset, std::size_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) block[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The 32-bit signed integer at the offset, or nothing when it does not lie inside the block.
std::optional<std::int32_t> GetInt32(std::span<const std::uint8_t> block, std::size_t offset) {
    if (offset > block.size() || block.size() - offset < 4) return std::nullopt;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | block[offset + static_cast<std::size_t>(i)];
    return static_cast<std::int32_t>(v);
}

std::size_t PutText(std::span<std::uint8_t> block, std::size_t offset, const std::string& text) {
    PutInt32(block, offset, text.size());
    std::copy(text.begin(), text.end(), block.begin() + static_cast<std::ptrdiff_t>(offset + 4));
    return offset + 4 + text.size();
}

// Offset of the child count: 8 + InfoLength, when InfoLength and the count lie inside.
std::optional<std::size_t> CountOffset(std::span<const std::uint8_t> record) {
    std::optional<std::int32_t> infoLength = GetInt32(record, 4);
    if (!infoLength || *infoLength < 0) return std::nullopt;
    const std::size_t offset = 8 + static_cast<std::size_t>(*infoLength);
    if (!GetInt32(record, offset)) return std::nullopt;
    return offset;
}

// Walks the children's records of one record in order, each bounded by the record.
class TChildRecords {
public:
    TChildRecords(std::span<const std::uint8_t> record, std::size_t countOffset)
        : record_(record), offset_(countOffset + 4) {}

    // The next child's record; empty, after the log line, when its length points outside.
    std::span<const std::uint8_t> Next() {
        if (!failed_) {
            std::optional<std::int32_t> length = GetInt32(record_, offset_);
            if (length && *length >= 0 && record_.size() - offset_ - 4 >= static_cast<std::size_t>(*length)) {
                std::span<const std::uint8_t> child = record_.subspan(offset_, 4 + static_cast<std::size_t>(*length));
                offset_ += child.size();
                return child;
            }
            failed_ = true;
        }
        Log(" error getting pointer");
        return {};
    }

private:
    std::span<const std::uint8_t> record_;
    std::size_t offset_;
    bool failed_ = false;
};

}  // namespace

std::size_t TreeBufferSize(const TSysNode& node) {
    std::size_t size = kFixedPart + node.Info.Library.size() + node.Info.Parameter.size() + node.Info.ShortName.size();
    for (int i = 0; i < node.ChildCount(); ++i) size += TreeBufferSize(*node.GetChild(i));
    return size;
}

std::size_t WriteTreeBuffer(const TSysNode& node, std::span<std::uint8_t> block) {
    const TSubsystemInfo& info = node.Info;
    const std::size_t infoLength = 14 + info.Library.size() + info.Parameter.size() + info.ShortName.size();
    if (infoLength > kInt32Max || block.size() < infoLength + 12) return 0;
    PutInt32(block, 4, infoLength);
    block[8] = info.Marked ? 1 : 0;
    block[9] = block[8];
    std::size_t offset = PutText(block, 10, info.Library);
    offset = PutText(block, offset, info.Parameter);
    offset = PutText(block, offset, info.ShortName);
    PutInt32(block, offset, static_cast<std::size_t>(node.ChildCount()));
    offset += 4;
    for (int i = 0; i < node.ChildCount(); ++i) {
        const std::size_t written = WriteTreeBuffer(*node.GetChild(i), block.subspan(offset));
        if (written == 0) return 0;
        offset += written;
    }
    if (offset - 4 > kInt32Max) return 0;
    PutInt32(block, 0, offset - 4);
    return offset;
}

std::span<const std::uint8_t> ChildRecord(std::span<const std::uint8_t> record, int k) {
    std::optional<std::size_t> countOffset = CountOffset(record);
    if (!countOffset) {
        Log(" error getting pointer");
        return {};
    }
    if (k < 0 || k >= *GetInt32(record, *countOffset)) return {};
    TChildRecords children(record, *countOffset);
    for (int i = 0; i < k; ++i)
        if (children.Next().empty()) return {};   // logged by Next
    return children.Next();
}

bool ReadTreeBuffer(TSysNode& node, std::span<const std::uint8_t> record) {
    TSubsystemInfo& info = node.Info;
    if (record.empty()) return info.FullyMarked;
    std::optional<std::size_t> countOffset = CountOffset(record);
    const bool topLevel = !(node.Owner && node.Owner->AsNode());
    if (!topLevel) {
        if (record.size() < 9) return info.FullyMarked;
        info.Marked = record[8] != 0;
    }
    if (!countOffset) return info.FullyMarked;
    const std::int32_t count = *GetInt32(record, *countOffset);
    if (info.SavedMark) info.Marked = true;
    info.FullyMarked = info.Marked;
    if (count == node.ChildCount()) {
        TChildRecords children(record, *countOffset);
        for (int i = 0; i < node.ChildCount(); ++i)
            if (!ReadTreeBuffer(*node.GetChild(i), children.Next())) info.FullyMarked = false;
    }
    return info.FullyMarked;
}

}  // namespace kor
