// Helpers shared by the decoders of the older ZIP methods: a reader of bits, least
// significant first, and an output window that serves back references and flushes in blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/ZipDecoders.h"

namespace kor {

class TBitReader {
public:
    explicit TBitReader(TCompressedInput& input) : input_(input) {}

    // The next count (at most 24) bits, first bit lowest. Beyond the end of the input the
    // bits are 0 and Exhausted turns true, so a decoder can stop instead of running on.
    std::uint32_t Bits(int count) {
        while (bitCount_ < count) {
            bits_ |= static_cast<std::uint32_t>(NextByte()) << bitCount_;
            bitCount_ += 8;
        }
        std::uint32_t value = bits_ & ((1u << count) - 1);
        bits_ >>= count;
        bitCount_ -= count;
        return value;
    }
    bool Exhausted() const { return exhausted_; }

private:
    std::uint8_t NextByte() {
        if (position_ == length_) {
            length_ = exhausted_ ? 0 : input_.ReadBlock(buffer_, sizeof buffer_);
            position_ = 0;
            if (length_ == 0) {
                exhausted_ = true;
                return 0;
            }
        }
        return buffer_[position_++];
    }

    TCompressedInput& input_;
    std::uint8_t buffer_[16000];
    std::size_t position_ = 0, length_ = 0;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
    bool exhausted_ = false;
};

class TOutputWindow {
public:
    explicit TOutputWindow(TDecodedOutput& output) : output_(output), buffer_(kSize) {}

    void Put(std::uint8_t byte) {
        buffer_[total_ & kMask] = byte;
        if ((++total_ & kMask) == 0) Flush();
    }
    // Copies length bytes starting distance bytes back; before the start of the output the
    // data counts as zeros.
    void Copy(std::uint32_t distance, std::uint32_t length) {
        for (std::uint32_t i = 0; i < length; ++i)
            Put(distance > total_ ? 0 : buffer_[(total_ - distance) & kMask]);
    }
    std::uint64_t Total() const { return total_; }
    void Flush() {
        std::size_t start = flushed_ & kMask, end = ((total_ - 1) & kMask) + 1;
        if (total_ > flushed_) output_.Write(buffer_.data() + start, end - start);
        flushed_ = total_;
    }

private:
    static constexpr std::uint64_t kSize = 65536, kMask = kSize - 1;   // above every method's window
    TDecodedOutput& output_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t total_ = 0, flushed_ = 0;
};

}  // namespace kor
