// Methods 2 to 5, reduce: a byte stream coded against follower sets (the bytes that tend to
// follow each byte), which is then expanded by a run-length and back-reference stage whose
// escape byte is DLE (144).
#include <array>
#include <memory>

#include "archive/ZipBits.h"

namespace kor {
namespace {

constexpr std::uint8_t kDle = 144;

struct TFollowerSets {
    std::array<std::array<std::uint8_t, 32>, 256> Followers{};
    std::array<std::uint8_t, 256> Count{};
    std::array<std::uint8_t, 256> IndexBits{};   // bits of an index into the set
};

void ReadFollowerSets(TBitReader& bits, TFollowerSets& sets) {
    for (int j = 255; j >= 0; --j) {
        unsigned count = bits.Bits(6);
        if (count > 32) count = 32;   // six bits can say 63; a set never holds more than 32
        sets.Count[j] = static_cast<std::uint8_t>(count);
        for (unsigned i = 0; i < count; ++i) sets.Followers[j][i] = static_cast<std::uint8_t>(bits.Bits(8));
        // A one-member set is still addressed with one bit.
        int needed = 1;
        while ((1u << needed) < count) ++needed;
        sets.IndexBits[j] = static_cast<std::uint8_t>(needed);
    }
}

}  // namespace

void Unreduce(TCompressedInput& input, TDecodedOutput& output, int factor, std::uint64_t size) {
    TBitReader bits(input);
    TOutputWindow window(output);
    auto sets = std::make_unique<TFollowerSets>();
    ReadFollowerSets(bits, *sets);
    const unsigned lengthMask = 0xFFu >> factor;
    std::uint8_t last = 0;
    int state = 0;
    unsigned length = 0, v = 0;
    while (window.Total() < size && !bits.Exhausted()) {
        std::uint8_t c;
        unsigned count = sets->Count[last];
        if (count == 0 || bits.Bits(1)) {
            c = static_cast<std::uint8_t>(bits.Bits(8));
        } else {
            unsigned index = bits.Bits(sets->IndexBits[last]);
            c = sets->Followers[last][index < count ? index : count - 1];
        }
        last = c;
        if (bits.Exhausted()) break;
        switch (state) {
        case 0:
            if (c != kDle) window.Put(c);
            else state = 1;
            break;
        case 1:
            if (c != 0) {
                v = c;
                length = v & lengthMask;
                state = length == lengthMask ? 2 : 3;
            } else {
                window.Put(kDle);
                state = 0;
            }
            break;
        case 2:
            length += c;
            state = 3;
            break;
        default: {
            unsigned distance = ((v >> (8 - factor)) << 8) + c + 1;
            std::uint64_t copy = length + 3;
            if (copy > size - window.Total()) copy = size - window.Total();
            window.Copy(distance, static_cast<std::uint32_t>(copy));
            state = 0;
            break;
        }
        }
    }
    window.Flush();
}

}  // namespace kor
