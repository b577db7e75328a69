// Method 1, shrink: LZW with codes of 9 to 13 bits. The code size grows only when the
// compressor says so (256 followed by 1), and 256 followed by 2 frees every leaf of the code
// tree for reuse, lowest code first.
#include <array>
#include <memory>
#include <vector>

#include "archive/ZipBits.h"

namespace kor {
namespace {

constexpr int kInitialBits = 9, kMaxBits = 13;
constexpr unsigned kCodes = 1u << kMaxBits, kControl = 256, kFirstFree = 257;

class TShrinkTable {
public:
    TShrinkTable() {
        for (unsigned c = 0; c < 256; ++c) value_[c] = static_cast<std::uint8_t>(c);
    }
    bool InUse(unsigned code) const { return code < kControl || (code >= kFirstFree && inUse_[code]); }
    unsigned NextFree() const { return nextFree_; }

    void Add(unsigned prefix, std::uint8_t value) {
        if (nextFree_ >= kCodes) return;
        prefix_[nextFree_] = static_cast<std::uint16_t>(prefix);
        value_[nextFree_] = value;
        inUse_[nextFree_] = true;
        Advance();
    }

    // Frees every code that is no other code's prefix.
    void PartialClear() {
        std::array<bool, kCodes> isPrefix{};
        for (unsigned c = kFirstFree; c < kCodes; ++c)
            if (inUse_[c]) isPrefix[prefix_[c]] = true;
        for (unsigned c = kFirstFree; c < kCodes; ++c)
            if (!isPrefix[c]) inUse_[c] = false;
        nextFree_ = kFirstFree - 1;
        Advance();
    }

    // Appends the bytes of code to out (which is used as a stack, so they come reversed);
    // false for a chain that does not end in a byte, which only damaged data makes.
    bool Expand(unsigned code, std::vector<std::uint8_t>& out) const {
        out.clear();
        while (code >= kFirstFree) {
            if (!inUse_[code] || out.size() >= kCodes) return false;
            out.push_back(value_[code]);
            code = prefix_[code];
        }
        if (code == kControl) return false;
        out.push_back(value_[code]);
        return true;
    }

private:
    void Advance() {
        do ++nextFree_;
        while (nextFree_ < kCodes && inUse_[nextFree_]);
    }

    std::array<std::uint16_t, kCodes> prefix_{};
    std::array<std::uint8_t, kCodes> value_{};
    std::array<bool, kCodes> inUse_{};
    unsigned nextFree_ = kFirstFree;
};

}  // namespace

void Unshrink(TCompressedInput& input, TDecodedOutput& output) {
    TBitReader bits(input);
    TOutputWindow window(output);
    auto table = std::make_unique<TShrinkTable>();
    std::vector<std::uint8_t> text, previousText;
    int codeBits = kInitialBits;
    int previous = -1;
    for (;;) {
        unsigned code = bits.Bits(codeBits);
        if (bits.Exhausted()) break;
        if (code == kControl) {
            unsigned command = bits.Bits(codeBits);
            if (bits.Exhausted()) break;
            if (command == 1 && codeBits < kMaxBits) ++codeBits;
            else if (command == 2) table->PartialClear();
            else break;   // not a command of this method
            continue;
        }
        if (table->InUse(code)) {
            if (!table->Expand(code, text)) break;
        } else if (code == table->NextFree() && previous >= 0) {
            // The code being defined by this very step: the previous text plus its first byte.
            if (!table->Expand(static_cast<unsigned>(previous), text)) break;
            text.insert(text.begin(), text.back());
        } else {
            break;
        }
        for (auto it = text.rbegin(); it != text.rend(); ++it) window.Put(*it);
        if (previous >= 0) table->Add(static_cast<unsigned>(previous), text.back());
        previous = static_cast<int>(code);
    }
    window.Flush();
}

}  // namespace kor
