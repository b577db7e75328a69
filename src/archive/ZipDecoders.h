// The member decoders of the ZIP reader: stored data needs none; deflated data goes through
// zlib's raw inflate; shrunk, reduced and imploded data (the older methods of the ZIP
// application note) are decoded here. Each decoder pulls compressed blocks from its input and
// pushes decoded blocks to its output; damaged data ends the decoding early and leaves the
// verdict to the member's CRC check.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kor {

// Where a decoder gets compressed data: ReadBlock fills at most capacity bytes and returns 0
// when the member's data is used up.
class TCompressedInput {
public:
    virtual ~TCompressedInput() = default;
    virtual std::size_t ReadBlock(std::uint8_t* buffer, std::size_t capacity) = 0;
};

// Where a decoder puts decoded data.
class TDecodedOutput {
public:
    virtual ~TDecodedOutput() = default;
    virtual void Write(const std::uint8_t* data, std::size_t count) = 0;
};

// Method 8: raw deflate data (RFC 1951), decoded until its last block. sizeHint (the stated
// uncompressed size) only sizes the output blocks.
void Inflate(TCompressedInput& input, TDecodedOutput& output, std::uint64_t sizeHint);
// Method 1: dynamic LZW with partial clearing, decoded until the input is used up.
void Unshrink(TCompressedInput& input, TDecodedOutput& output);
// Methods 2 to 5: compression factor 1 to 4; decodes size bytes.
void Unreduce(TCompressedInput& input, TDecodedOutput& output, int factor, std::uint64_t size);
// Method 6: flags are the member's general purpose flags (bit 1: 8K window, bit 2: literal
// tree); decodes size bytes.
void Explode(TCompressedInput& input, TDecodedOutput& output, std::uint16_t flags, std::uint64_t size);

}  // namespace kor
