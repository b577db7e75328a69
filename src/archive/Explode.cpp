// Method 6, implode: a sliding dictionary of 4K or 8K whose literals, lengths and distances
// are coded with Shannon-Fano trees stored at the start of the member's data.
#include <algorithm>
#include <array>
#include <vector>

#include "archive/ZipBits.h"

namespace kor {
namespace {

constexpr int kMaxCodeBits = 16;

class TShannonFanoTree {
public:
    // Reads a tree of symbolCount lengths; false when the stored tree does not describe
    // exactly that many symbols with lengths that fit in 16 bits.
    bool Read(TBitReader& bits, int symbolCount) {
        std::vector<std::uint8_t> lengths;
        unsigned bytes = bits.Bits(8) + 1;
        for (unsigned i = 0; i < bytes; ++i) {
            unsigned byte = bits.Bits(8);
            unsigned count = (byte >> 4) + 1, length = (byte & 15) + 1;
            if (lengths.size() + count > static_cast<std::size_t>(symbolCount)) return false;
            lengths.insert(lengths.end(), count, static_cast<std::uint8_t>(length));
        }
        if (bits.Exhausted() || lengths.size() != static_cast<std::size_t>(symbolCount)) return false;
        Build(lengths);
        return true;
    }

    // The next symbol, or -1 for a bit sequence that is no code of the tree.
    int Decode(TBitReader& bits) const {
        unsigned code = 0;
        for (int length = 1; length <= kMaxCodeBits; ++length) {
            code = (code << 1) | bits.Bits(1);
            const TGroup& group = groups_[length];
            if (code >= group.First && code - group.First < group.Symbols.size()) return group.Symbols[code - group.First];
        }
        return -1;
    }

private:
    struct TGroup {
        unsigned First = 0;                 // lowest code of this length
        std::vector<std::uint16_t> Symbols;  // by ascending code
    };

    // The construction of the application note: lengths sorted ascending (stably), codes given
    // from the last entry to the first, each length's step being 1 << (16 - length).
    void Build(const std::vector<std::uint8_t>& lengths) {
        std::vector<std::uint16_t> order(lengths.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint16_t>(i);
        std::stable_sort(order.begin(), order.end(), [&](auto a, auto b) { return lengths[a] < lengths[b]; });
        unsigned code = 0, increment = 0, lastLength = 0;
        for (std::size_t i = order.size(); i-- > 0;) {
            code = (code + increment) & 0xFFFF;
            unsigned length = lengths[order[i]];
            if (length != lastLength) {
                lastLength = length;
                increment = 1u << (16 - length);
            }
            TGroup& group = groups_[length];
            // Codes of one length come in ascending order as i falls.
            if (group.Symbols.empty()) group.First = code >> (16 - length);
            group.Symbols.push_back(order[i]);
        }
    }

    std::array<TGroup, kMaxCodeBits + 1> groups_;
};

}  // namespace

void Explode(TCompressedInput& input, TDecodedOutput& output, std::uint16_t flags, std::uint64_t size) {
    TBitReader bits(input);
    TOutputWindow window(output);
    const bool literalTree = (flags & 4) != 0;
    const int lowBits = (flags & 2) ? 7 : 6;
    const unsigned minMatch = literalTree ? 3 : 2;
    TShannonFanoTree literals, lengths, distances;
    if ((literalTree && !literals.Read(bits, 256)) || !lengths.Read(bits, 64) || !distances.Read(bits, 64)) return;
    while (window.Total() < size) {
        if (bits.Bits(1)) {
            int literal = literalTree ? literals.Decode(bits) : static_cast<int>(bits.Bits(8));
            if (literal < 0 || bits.Exhausted()) break;
            window.Put(static_cast<std::uint8_t>(literal));
        } else {
            unsigned low = bits.Bits(lowBits);
            int high = distances.Decode(bits);
            int length = lengths.Decode(bits);
            if (high < 0 || length < 0) break;
            unsigned copy = static_cast<unsigned>(length);
            if (copy == 63) copy += bits.Bits(8);
            copy += minMatch;
            if (bits.Exhausted()) break;
            std::uint32_t distance = ((static_cast<unsigned>(high) << lowBits) | low) + 1;
            window.Copy(distance, static_cast<std::uint32_t>(std::min<std::uint64_t>(copy, size - window.Total())));
        }
    }
    window.Flush();
}

}  // namespace kor
