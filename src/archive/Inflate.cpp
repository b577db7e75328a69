// Method 8: raw deflate through zlib.
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <new>

#include "archive/ZipDecoders.h"

namespace kor {
namespace {

struct TInflateStream {
    z_stream Stream{};
    bool Ready = false;
    TInflateStream() { Ready = inflateInit2(&Stream, -MAX_WBITS) == Z_OK; }
    ~TInflateStream() {
        if (Ready) inflateEnd(&Stream);
    }
};

}  // namespace

void Inflate(TCompressedInput& input, TDecodedOutput& output, std::uint64_t sizeHint) {
    TInflateStream inflater;
    if (!inflater.Ready) throw std::bad_alloc();
    z_stream& stream = inflater.Stream;
    constexpr std::size_t kInputSize = 16000;
    // Large members are written a megabyte at a time; small ones need no such buffer.
    const std::size_t kOutputSize = static_cast<std::size_t>(std::clamp<std::uint64_t>(sizeHint + 1, 4096, 1 << 20));
    auto in = std::make_unique_for_overwrite<std::uint8_t[]>(kInputSize);
    auto out = std::make_unique_for_overwrite<std::uint8_t[]>(kOutputSize);
    // A full output block may leave decoded bytes inside zlib (the rest of a match, the end
    // of a block): inflate again before asking for input, or the member would be cut short.
    bool outputFull = false;
    for (;;) {
        if (stream.avail_in == 0 && !outputFull) {
            stream.avail_in = static_cast<uInt>(input.ReadBlock(in.get(), kInputSize));
            stream.next_in = in.get();
            if (stream.avail_in == 0) return;   // the member's data ends before the stream does
        }
        stream.next_out = out.get();
        stream.avail_out = static_cast<uInt>(kOutputSize);
        int status = inflate(&stream, Z_NO_FLUSH);
        std::size_t produced = kOutputSize - stream.avail_out;
        if (produced) output.Write(out.get(), produced);
        outputFull = stream.avail_out == 0;
        if (status == Z_STREAM_END) return;
        if (status != Z_OK && status != Z_BUF_ERROR) return;   // damaged data: the CRC check decides
    }
}

}  // namespace kor
