// Conformance over the shared corpus of real archives (beside the checkout, never copied
// into it): every member extracts to the bytes independent extractors agreed on, or fails its
// check where the manifest says a reader with these rules must.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <variant>

#include "TestSupport.h"
#include "archive/ZipNames.h"
#include "archive/ZipReader.h"

namespace fs = std::filesystem;

namespace kor::test {
namespace {

// Just enough JSON for the manifest.
struct TJson {
    std::variant<std::nullptr_t, bool, double, std::string, std::vector<TJson>, std::map<std::string, TJson>> Value;
    const TJson& operator[](const std::string& key) const {
        static const TJson kNull;
        const auto* object = std::get_if<std::map<std::string, TJson>>(&Value);
        if (!object) return kNull;
        auto it = object->find(key);
        return it == object->end() ? kNull : it->second;
    }
    const std::vector<TJson>& Items() const { return std::get<std::vector<TJson>>(Value); }
    std::string Text() const { return std::holds_alternative<std::string>(Value) ? std::get<std::string>(Value) : ""; }
    double Number() const { return std::holds_alternative<double>(Value) ? std::get<double>(Value) : -1; }
    bool Flag() const { return std::holds_alternative<bool>(Value) && std::get<bool>(Value); }
    bool IsNull() const { return std::holds_alternative<std::nullptr_t>(Value); }
};

class TJsonParser {
public:
    explicit TJsonParser(const std::string& text) : s_(text) {}
    TJson Parse() {
        Skip();
        char c = s_.at(p_);
        if (c == '{') {
            std::map<std::string, TJson> object;
            ++p_;
            for (Skip(); s_.at(p_) != '}'; Skip()) {
                std::string key = String();
                Skip();
                ++p_;   // ':'
                object[key] = Parse();
                Skip();
                if (s_.at(p_) == ',') ++p_;
                Skip();
            }
            ++p_;
            return {std::move(object)};
        }
        if (c == '[') {
            std::vector<TJson> array;
            ++p_;
            for (Skip(); s_.at(p_) != ']'; Skip()) {
                array.push_back(Parse());
                Skip();
                if (s_.at(p_) == ',') ++p_;
            }
            ++p_;
            return {std::move(array)};
        }
        if (c == '"') return {String()};
        if (s_.compare(p_, 4, "true") == 0) return p_ += 4, TJson{true};
        if (s_.compare(p_, 5, "false") == 0) return p_ += 5, TJson{false};
        if (s_.compare(p_, 4, "null") == 0) return p_ += 4, TJson{nullptr};
        std::size_t used = 0;
        double number = std::stod(s_.substr(p_, 32), &used);
        p_ += used;
        return {number};
    }

private:
    void Skip() {
        while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_]))) ++p_;
    }
    std::string String() {
        std::string out;
        for (++p_; s_.at(p_) != '"'; ++p_) {
            if (s_[p_] != '\\') {
                out += s_[p_];
                continue;
            }
            char e = s_.at(++p_);
            if (e == 'u') {   // the manifest's escapes are all in the basic plane
                unsigned code = static_cast<unsigned>(std::stoul(s_.substr(p_ + 1, 4), nullptr, 16));
                p_ += 4;
                if (code < 0x80) out += static_cast<char>(code);
                else if (code < 0x800) out += {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
                else
                    out += {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
                            static_cast<char>(0x80 | (code & 0x3F))};
            } else {
                out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 'b' ? '\b' : e == 'f' ? '\f' : e;
            }
        }
        ++p_;
        return out;
    }
    const std::string& s_;
    std::size_t p_ = 0;
};

std::string Sha256(const std::string& data) {
    static const std::uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5, 0xd807aa98,
        0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786,
        0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8,
        0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13,
        0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819,
        0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a,
        0x5b9cca4f, 0x682e6ff3, 0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
        0xc67178f2};
    std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::string m = data + '\x80';
    while (m.size() % 64 != 56) m += '\0';
    std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
    for (int i = 7; i >= 0; --i) m += static_cast<char>((bits >> (i * 8)) & 0xFF);
    auto rotr = [](std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
    for (std::size_t block = 0; block < m.size(); block += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = (static_cast<std::uint32_t>(static_cast<std::uint8_t>(m[block + i * 4])) << 24) |
                   (static_cast<std::uint32_t>(static_cast<std::uint8_t>(m[block + i * 4 + 1])) << 16) |
                   (static_cast<std::uint32_t>(static_cast<std::uint8_t>(m[block + i * 4 + 2])) << 8) |
                   static_cast<std::uint8_t>(m[block + i * 4 + 3]);
        for (int i = 16; i < 64; ++i) {
            std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int i = 0; i < 64; ++i) {
            std::uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += hh;
    }
    char hex[65];
    for (int i = 0; i < 8; ++i) std::snprintf(hex + i * 8, 9, "%08x", h[i]);
    return hex;
}

struct TOutcome {
    std::map<int, std::string> Done;   // file index -> path
    std::vector<int> BadCrc;
    std::string Error;
};

TOutcome ExtractAll(const std::string& archive, const std::string& destDir) {
    TScriptedMessages messages;   // the unknown-method box
    TZipReader reader;
    TOutcome outcome;
    reader.SetZipName(archive);
    reader.SetDestDir(destDir);
    reader.RecreateDirs = true;
    reader.OverwriteMode = TOverwriteMode::Always;
    reader.DoAll = true;
    reader.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
    reader.OnEndUnZip = [&](TZipReader&, int index, const std::string& name) { outcome.Done[index] = name; };
    reader.OnBadCRC = [&](TZipReader&, std::uint32_t, std::uint32_t, int index) { outcome.BadCrc.push_back(index); };
    try {
        reader.Extract();
    } catch (const Exception& e) {
        outcome.Error = std::string(e.ClassName()) + ": " + e.what();
    }
    return outcome;
}

TEST(ZipCorpus, EveryMemberExtractsAsTheIndependentExtractorsAgree) {
    fs::path corpus = KOR_ZIP_CORPUS_DIR;
    if (!fs::exists(corpus / "manifest.json")) GTEST_SKIP() << "no ZIP corpus at " << corpus.string();
    TJson manifest = TJsonParser(ReadFile((corpus / "manifest.json").string())).Parse();
    int checked = 0;
    for (const TJson& archive : manifest["archives"].Items()) {
        std::string file = archive["file"].Text();
        std::string extension = AsciiLowerCase(fs::path(file).extension().string());
        if (extension != ".zip") continue;   // the pieces of the volume set: below
        TScratchDir dir;
        TOutcome outcome = ExtractAll((corpus / file).string(), dir / "out");
        EXPECT_EQ(outcome.Error, "") << file;
        for (const TJson& member : archive["members"].Items()) {
            int index = static_cast<int>(member["file_index"].Number());
            std::string label = file + " member " + std::to_string(index) + " " + member["name"].Text();
            const TJson& expected = member["expected"];
            bool badCrc = std::find(outcome.BadCrc.begin(), outcome.BadCrc.end(), index) != outcome.BadCrc.end();
            int method = static_cast<int>(member["method"].Number());
            bool decodable = method <= 6 || method == 8;
            if (member["is_directory"].Flag()) {
                EXPECT_FALSE(outcome.Done.count(index) || badCrc) << label;
            } else if (!decodable || (expected["sha256"].IsNull() && !expected["crc32_of_first_uncompressed_size_bytes"].IsNull())) {
                EXPECT_TRUE(badCrc) << label;   // unknown method, or data longer than its stated size
            } else if (!expected["sha256"].Text().empty()) {
                ASSERT_TRUE(outcome.Done.count(index)) << label;
                std::string data = ReadFile(outcome.Done[index]);
                EXPECT_EQ(static_cast<double>(data.size()), expected["size"].Number()) << label;
                EXPECT_EQ(Sha256(data), expected["sha256"].Text()) << label;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 150);

    // One ordinary archive cut into pieces: its first piece holds local headers only, and the
    // member that runs past it is data cut short; its last piece holds one whole member.
    fs::path pieces = corpus / "sharpcompress";
    if (fs::exists(pieces / "Zip.deflate.split.001")) {
        TScratchDir dir;
        EXPECT_EQ(ExtractAll((pieces / "Zip.deflate.split.001").string(), dir / "a").Error,
                  "EFatalUnzipError: Premature end of file reached");
        TOutcome last = ExtractAll((pieces / "Zip.deflate.split.006").string(), dir / "b");
        EXPECT_EQ(last.Error, "");
        EXPECT_EQ(last.Done.size(), 1u);
        EXPECT_TRUE(last.BadCrc.empty());
    }
}

}  // namespace
}  // namespace kor::test
