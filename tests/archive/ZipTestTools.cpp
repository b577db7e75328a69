// Archive builder and encoders for the reader's tests. The encoders aim at valid streams that
// reach every branch of the decoders, not at good compression.
#include "ZipTestTools.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>

#include "TestSupport.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kor::test {
namespace {

class TBitWriter {
public:
    void Put(std::uint32_t value, int count) {
        bits_ |= static_cast<std::uint64_t>(value & ((1ull << count) - 1)) << count_;
        count_ += count;
        while (count_ >= 8) {
            out_ += static_cast<char>(bits_ & 0xFF);
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    // A code given most significant bit first.
    void PutCode(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) Put((code >> i) & 1, 1);
    }
    std::string Finish() {
        if (count_ > 0) out_ += static_cast<char>(bits_ & 0xFF);
        count_ = 0;
        bits_ = 0;
        return out_;
    }

private:
    std::string out_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

// Longest earlier match for pos in text (positions before window bytes of zeros count, as the
// decoders assume), by brute force over a bounded window: the test data are small.
struct TMatch {
    std::size_t Length = 0, Distance = 0;
};
TMatch FindMatch(const std::string& text, std::size_t pos, std::size_t window, std::size_t maxLength) {
    TMatch best;
    auto at = [&](std::int64_t i) { return i < 0 ? '\0' : text[static_cast<std::size_t>(i)]; };
    std::size_t limit = std::min(maxLength, text.size() - pos);
    for (std::size_t distance = 1; distance <= window; ++distance) {
        std::int64_t from = static_cast<std::int64_t>(pos) - static_cast<std::int64_t>(distance);
        if (at(from) != text[pos]) continue;
        std::size_t length = 0;
        while (length < limit && at(from + static_cast<std::int64_t>(length)) == text[pos + length]) ++length;
        if (length > best.Length) best = {length, distance};
        if (length == limit) break;
    }
    return best;
}

void Put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

std::uint32_t Crc32Of(const std::string& data) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string Deflate(const std::string& data) {
    z_stream s{};
    if (deflateInit2(&s, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflate");
    std::string out(deflateBound(&s, data.size()), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

// LZW whose table is kept exactly as the decoder keeps it: the encoder adds the decoder's
// entry (previous code + first byte of the current one) after each code, raises the code
// size (256, 1) before a code that needs it, and frees the leaves (256, 2) when the table
// is full. It also uses the code being defined (the "KwKwK" case) when the text allows.
std::string Shrink(const std::string& data) {
    constexpr unsigned kCodes = 8192;
    std::vector<int> prefix(kCodes, -1);
    std::vector<std::uint8_t> value(kCodes);
    std::vector<bool> inUse(kCodes, false);
    std::map<std::uint32_t, unsigned> children;   // (prefix << 8 | byte) -> code
    std::vector<std::string> text(kCodes);
    for (unsigned c = 0; c < 256; ++c) text[c] = std::string(1, static_cast<char>(c));
    unsigned nextFree = 257;
    int codeBits = 9;
    int previous = -1;
    TBitWriter out;
    auto advance = [&] {
        while (nextFree < kCodes && inUse[nextFree]) ++nextFree;
    };
    auto emit = [&](unsigned code) {
        while (code >= (1u << codeBits)) {
            out.Put(256, codeBits);
            out.Put(1, codeBits);
            ++codeBits;
        }
        out.Put(code, codeBits);
        if (previous >= 0 && nextFree < kCodes) {
            prefix[nextFree] = previous;
            value[nextFree] = static_cast<std::uint8_t>(text[code][0]);
            text[nextFree] = text[static_cast<unsigned>(previous)] + text[code][0];
            inUse[nextFree] = true;
            children[(static_cast<std::uint32_t>(previous) << 8) | value[nextFree]] = nextFree;
            ++nextFree;
            advance();
        }
        previous = static_cast<int>(code);
    };
    auto partialClear = [&] {
        std::vector<bool> isPrefix(kCodes, false);
        for (unsigned c = 257; c < kCodes; ++c)
            if (inUse[c] && prefix[c] >= 0) isPrefix[static_cast<unsigned>(prefix[c])] = true;
        for (unsigned c = 257; c < kCodes; ++c)
            if (inUse[c] && !isPrefix[c]) {
                inUse[c] = false;
                children.erase((static_cast<std::uint32_t>(prefix[c]) << 8) | value[c]);
            }
        nextFree = 257;
        advance();
        out.Put(256, codeBits);
        out.Put(2, codeBits);
    };
    std::size_t pos = 0;
    while (pos < data.size()) {
        unsigned code = static_cast<std::uint8_t>(data[pos]);
        std::size_t length = 1;
        while (pos + length < data.size()) {
            auto it = children.find((code << 8) | static_cast<std::uint8_t>(data[pos + length]));
            if (it == children.end()) break;
            code = it->second;
            ++length;
        }
        if (previous >= 0 && nextFree < kCodes) {
            const std::string& last = text[static_cast<unsigned>(previous)];
            std::string pending = last + last[0];
            if (pending.size() > length && data.compare(pos, pending.size(), pending) == 0) {
                text[nextFree] = pending;
                code = nextFree;
                length = pending.size();
            }
        }
        emit(code);
        pos += length;
        if (nextFree >= kCodes) partialClear();
    }
    return out.Finish();
}

// Reduce: run-length and back-reference stage with DLE escapes, then follower sets built
// from the intermediate stream's statistics.
std::string Reduce(const std::string& data, int factor) {
    const unsigned lengthMask = 0xFFu >> factor;
    const std::size_t window = static_cast<std::size_t>(1) << (8 + factor);
    std::string middle;
    for (std::size_t pos = 0; pos < data.size();) {
        TMatch match = FindMatch(data, pos, window, lengthMask + 255 + 3);
        unsigned high = match.Length ? static_cast<unsigned>((match.Distance - 1) >> 8) : 0;
        unsigned extra = match.Length >= 3 ? static_cast<unsigned>(match.Length - 3) : 0;
        // V must not be 0, which stands for a literal DLE.
        if (match.Length >= 3 && (high != 0 || extra != 0)) {
            unsigned v = (high << (8 - factor)) | std::min(extra, lengthMask);
            middle += static_cast<char>(144);
            middle += static_cast<char>(v);
            if (extra >= lengthMask) middle += static_cast<char>(extra - lengthMask);
            middle += static_cast<char>((match.Distance - 1) & 0xFF);
            pos += match.Length;
        } else {
            middle += data[pos];
            if (static_cast<std::uint8_t>(data[pos]) == 144) middle += '\0';
            ++pos;
        }
    }
    // Follower sets: up to 32 most frequent followers of each byte.
    std::array<std::array<unsigned, 256>, 256> counts{};
    std::uint8_t last = 0;
    for (char ch : middle) {
        ++counts[last][static_cast<std::uint8_t>(ch)];
        last = static_cast<std::uint8_t>(ch);
    }
    std::array<std::vector<std::uint8_t>, 256> sets;
    for (unsigned j = 0; j < 256; ++j) {
        std::vector<std::uint8_t> followers;
        for (unsigned c = 0; c < 256; ++c)
            if (counts[j][c] > 1) followers.push_back(static_cast<std::uint8_t>(c));
        std::stable_sort(followers.begin(), followers.end(),
                         [&](auto a, auto b) { return counts[j][a] > counts[j][b]; });
        if (followers.size() > 32) followers.resize(32);
        sets[j] = followers;
    }
    TBitWriter out;
    for (int j = 255; j >= 0; --j) {
        out.Put(static_cast<std::uint32_t>(sets[j].size()), 6);
        for (std::uint8_t c : sets[j]) out.Put(c, 8);
    }
    last = 0;
    for (char ch : middle) {
        std::uint8_t c = static_cast<std::uint8_t>(ch);
        const auto& set = sets[last];
        if (!set.empty()) {
            auto it = std::find(set.begin(), set.end(), c);
            if (it == set.end()) {
                out.Put(1, 1);
                out.Put(c, 8);
            } else {
                int bits = 1;
                while ((1u << bits) < set.size()) ++bits;
                out.Put(0, 1);
                out.Put(static_cast<std::uint32_t>(it - set.begin()), bits);
            }
        } else {
            out.Put(c, 8);
        }
        last = c;
    }
    return out.Finish();
}

namespace {

// Shannon-Fano codes from lengths, built the way the application note describes.
struct TCodes {
    std::vector<std::uint8_t> Lengths;
    std::vector<std::uint32_t> Codes;   // the top Lengths[i] bits, most significant first
};

TCodes MakeCodes(std::vector<std::uint8_t> lengths) {
    TCodes codes{lengths, std::vector<std::uint32_t>(lengths.size())};
    std::vector<std::size_t> order(lengths.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](auto a, auto b) { return lengths[a] < lengths[b]; });
    unsigned code = 0, increment = 0, lastLength = 0;
    for (std::size_t i = order.size(); i-- > 0;) {
        code = (code + increment) & 0xFFFF;
        if (lengths[order[i]] != lastLength) {
            lastLength = lengths[order[i]];
            increment = 1u << (16 - lastLength);
        }
        codes.Codes[order[i]] = code >> (16 - lastLength);
    }
    return codes;
}

void PutTree(TBitWriter& out, const std::vector<std::uint8_t>& lengths) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < lengths.size();) {
        std::size_t run = 1;
        while (i + run < lengths.size() && run < 16 && lengths[i + run] == lengths[i]) ++run;
        bytes.push_back(static_cast<std::uint8_t>(((run - 1) << 4) | (lengths[i] - 1)));
        i += run;
    }
    out.Put(static_cast<std::uint32_t>(bytes.size() - 1), 8);
    for (std::uint8_t b : bytes) out.Put(b, 8);
}

// Complete prefix codes with mixed lengths, spread over the values so that the stable sort
// of the construction matters.
std::vector<std::uint8_t> SpreadLengths(std::size_t count, const std::vector<std::pair<int, int>>& groups) {
    std::vector<std::uint8_t> lengths;
    for (auto [n, length] : groups) lengths.insert(lengths.end(), static_cast<std::size_t>(n), static_cast<std::uint8_t>(length));
    std::vector<std::uint8_t> spread(count);
    for (std::size_t i = 0; i < count; ++i) spread[(i * 37) % count] = lengths[i];
    return spread;
}

}  // namespace

std::string Implode(const std::string& data, std::uint16_t flags) {
    const bool literalTree = flags & 4;
    const int lowBits = (flags & 2) ? 7 : 6;
    const std::size_t minMatch = literalTree ? 3 : 2, window = static_cast<std::size_t>(64) << lowBits;
    TCodes literals = MakeCodes(SpreadLengths(256, {{64, 7}, {64, 8}, {128, 9}}));
    TCodes lengths = MakeCodes(SpreadLengths(64, {{16, 5}, {16, 6}, {32, 7}}));
    TCodes distances = MakeCodes(SpreadLengths(64, {{8, 4}, {8, 6}, {48, 7}}));
    TBitWriter out;
    if (literalTree) PutTree(out, literals.Lengths);
    PutTree(out, lengths.Lengths);
    PutTree(out, distances.Lengths);
    for (std::size_t pos = 0; pos < data.size();) {
        TMatch match = FindMatch(data, pos, window, minMatch + 63 + 255);
        if (match.Length >= minMatch) {
            std::size_t distance = match.Distance - 1, length = match.Length - minMatch;
            out.Put(0, 1);
            out.Put(static_cast<std::uint32_t>(distance & ((1u << lowBits) - 1)), lowBits);
            std::size_t high = distance >> lowBits;
            out.PutCode(distances.Codes[high], distances.Lengths[high]);
            std::size_t code = std::min<std::size_t>(length, 63);
            out.PutCode(lengths.Codes[code], lengths.Lengths[code]);
            if (code == 63) out.Put(static_cast<std::uint32_t>(length - 63), 8);
            pos += match.Length;
        } else {
            std::uint8_t c = static_cast<std::uint8_t>(data[pos++]);
            out.Put(1, 1);
            if (literalTree) out.PutCode(literals.Codes[c], literals.Lengths[c]);
            else out.Put(c, 8);
        }
    }
    return out.Finish();
}

std::string MixedData(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    static const char* kWords[] = {"installer ", "archive ", "member ", "subsystem ", "\x90\x90", "zip ", "\n"};
    std::string data(5, '\0');   // a zero run at the start reaches before the output
    while (data.size() < size) {
        switch (random() % 4) {
        case 0: data += kWords[random() % 7]; break;
        case 1: data.append(random() % 300, static_cast<char>(random() % 256)); break;
        case 2:
            for (int i = 0; i < 40; ++i) data += static_cast<char>(random() % 256);
            break;
        default:
            if (data.size() > 10) {
                std::size_t from = random() % data.size(), length = 3 + random() % 400;
                data += data.substr(from, std::min(length, data.size() - from));
            }
        }
    }
    data.resize(size);
    return data;
}

TMemberSpec Stored(std::string name, std::string data) {
    TMemberSpec m;
    m.Name = std::move(name);
    m.Data = std::move(data);
    return m;
}

std::string BuildZip(const std::vector<TMemberSpec>& members, const TBuildOptions& options) {
    std::string out = options.Prefix, central;
    std::vector<std::string> records;
    for (const TMemberSpec& m : members) {
        std::string compressed = m.UseCompressed ? m.Compressed : m.Method == 8 ? Deflate(m.Data) : m.Data;
        std::uint32_t crc = m.OverrideCrc ? m.Crc : Crc32Of(m.Data);
        std::uint32_t size = m.OverrideSize ? m.UncompressedSize : static_cast<std::uint32_t>(m.Data.size());
        std::uint32_t offset = static_cast<std::uint32_t>(out.size() - options.Prefix.size());
        // From "version needed" to the extra field's length, both records are alike.
        std::string shared;
        Put16(shared, 20);
        Put16(shared, m.Flags);
        Put16(shared, m.Method);
        Put32(shared, m.DosDateTime);
        Put32(shared, crc);
        Put32(shared, static_cast<std::uint32_t>(compressed.size()));
        Put32(shared, size);
        Put16(shared, static_cast<std::uint32_t>(m.Name.size()));
        Put16(shared, 0);
        out += "PK\x03\x04" + shared + m.Name + compressed;
        std::string r = "PK\x01\x02";
        Put16(r, 20);
        r += shared;
        Put16(r, 0);
        Put16(r, 0);
        Put16(r, 0);
        Put32(r, m.Attributes);
        Put32(r, offset);
        records.push_back(r + m.Name);
    }
    if (options.DuplicateCentral >= 0) records.push_back(records[static_cast<std::size_t>(options.DuplicateCentral)]);
    if (options.ReverseCentral) std::reverse(records.begin(), records.end());
    for (const std::string& r : records) central += r;
    std::int64_t centralOffset = static_cast<std::int64_t>(out.size() - options.Prefix.size()) + options.CentralOffsetDelta;
    out += central;
    out += "PK\x05\x06";
    Put16(out, options.ThisDisk);
    Put16(out, options.CentralStartDisk);
    Put16(out, static_cast<std::uint32_t>(records.size()));
    Put16(out, static_cast<std::uint32_t>(records.size()));
    Put32(out, static_cast<std::uint32_t>(central.size()));
    Put32(out, static_cast<std::uint32_t>(centralOffset));
    Put16(out, static_cast<std::uint32_t>(options.Comment.size()));
    return out + options.Comment;
}

std::string UnixPath(const std::string& path) {
#ifdef _WIN32
    using TGetUnixName = char*(__cdecl*)(const WCHAR*);
    auto convert = reinterpret_cast<TGetUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) throw std::runtime_error("not running under Wine");
    std::wstring wide(path.begin(), path.end());
    char* unix = convert(wide.c_str());
    if (!unix) throw std::runtime_error("no Unix name for " + path);
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
#else
    return path;
#endif
}

int RunShell(const std::string& script, const std::string& scratchDir) {
#ifdef _WIN32
    // Wine starts a Unix program without waiting for it: the script leaves its exit code in a
    // file, renamed into place when complete, and this side waits for that file.
    std::string done = scratchDir + "\\run.done";
    std::remove(done.c_str());
    WriteFile(scratchDir + "\\run.sh", "(\n" + script + ")\necho $? > '" + UnixPath(scratchDir) + "/run.tmp' && mv '" +
                                          UnixPath(scratchDir) + "/run.tmp' '" + UnixPath(scratchDir) + "/run.done'\n");
    std::string command = "start /unix /bin/sh " + UnixPath(scratchDir + "\\run.sh");
    if (std::system(command.c_str()) != 0) return -1;
    for (int waited = 0; waited < 120000; waited += 20) {
        std::ifstream in(done);
        int code = -1;
        if (in >> code) return code;
        Sleep(20);
    }
    return -1;
#else
    WriteFile(scratchDir + "/run.sh", script);
    return std::system(("/bin/sh '" + scratchDir + "/run.sh'").c_str());
#endif
}

}  // namespace kor::test
