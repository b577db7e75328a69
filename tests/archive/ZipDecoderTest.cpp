// Every method the reader decodes, through whole archives: streams from the test encoders
// (shrink, reduce with each factor, implode with each flag combination) and from zlib.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ZipTestTools.h"
#include "archive/ZipReader.h"

namespace kor::test {
namespace {

struct TMethodCase {
    const char* Label;
    std::uint16_t Method;
    std::uint16_t Flags;
};

void PrintTo(const TMethodCase& c, std::ostream* out) { *out << c.Label; }

class ZipMethodTest : public ::testing::TestWithParam<TMethodCase> {};

std::string Encode(const TMethodCase& c, const std::string& data) {
    switch (c.Method) {
    case 1: return Shrink(data);
    case 2: case 3: case 4: case 5: return Reduce(data, c.Method - 1);
    case 6: return Implode(data, c.Flags);
    case 8: return Deflate(data);
    default: return data;
    }
}

// Extracts the members into dir/out and checks that every one came out whole and byte for
// byte; member i of contents is named prefix + i + ".bin".
void ExpectExtractedWhole(const std::vector<TMemberSpec>& members, const std::vector<std::string>& contents,
                          const std::string& prefix) {
    TScratchDir dir;
    WriteFile(dir / "a.zip", BuildZip(members));
    TZipReader reader;
    reader.SetZipName(dir / "a.zip");
    reader.SetDestDir(dir / "out");
    reader.DoAll = true;
    int bad = 0;
    reader.OnBadCRC = [&](TZipReader&, std::uint32_t, std::uint32_t, int) { ++bad; };
    EXPECT_EQ(reader.Extract(), static_cast<int>(contents.size()));
    EXPECT_EQ(bad, 0);
    for (std::size_t i = 0; i < contents.size(); ++i)
        EXPECT_TRUE(ReadFile(dir / ("out/" + prefix + std::to_string(i) + ".bin")) == contents[i]) << "member " << i;
}

TEST_P(ZipMethodTest, DecodesWhatTheEncoderWrote) {
    const TMethodCase& c = GetParam();
    // Long enough for shrink to fill its table (partial clearing and 13-bit codes) and for
    // implode and reduce to use long matches and their whole window.
    std::vector<std::string> contents = {MixedData(70000, 1), std::string(1, '\x90'), "", MixedData(3000, 2)};
    std::vector<TMemberSpec> members;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        TMemberSpec m = Stored("m" + std::to_string(i) + ".bin", contents[i]);
        m.Method = c.Method;
        m.Flags = c.Flags;
        m.Compressed = Encode(c, contents[i]);
        m.UseCompressed = true;
        members.push_back(m);
    }
    ExpectExtractedWhole(members, contents, "m");
}

INSTANTIATE_TEST_SUITE_P(Methods, ZipMethodTest,
                         ::testing::Values(TMethodCase{"stored", 0, 0}, TMethodCase{"shrunk", 1, 0},
                                           TMethodCase{"reduced1", 2, 0}, TMethodCase{"reduced2", 3, 0},
                                           TMethodCase{"reduced3", 4, 0}, TMethodCase{"reduced4", 5, 0},
                                           TMethodCase{"imploded4K2trees", 6, 0}, TMethodCase{"imploded8K2trees", 6, 2},
                                           TMethodCase{"imploded4K3trees", 6, 4}, TMethodCase{"imploded8K3trees", 6, 6},
                                           TMethodCase{"deflated", 8, 0}),
                         [](const auto& info) { return std::string(info.param.Label); });

// Large, highly compressible members make zlib fill whole output blocks and hand over blocks
// big enough to bypass the write buffer: every byte must still land in its place.
TEST(ZipDeflate, LargeCompressibleMembersComeOutByteForByte) {
    const std::vector<std::string> contents = {
        MixedData(20000, 3) + std::string(880000, '\0'),   // a small block, then a huge one
        std::string(1048581, '\0'),                        // ends just past a full output block
        MixedData(1500000, 4) + std::string(2100000, 'x') + MixedData(700000, 5),
    };
    std::vector<TMemberSpec> members;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        TMemberSpec m = Stored("big" + std::to_string(i) + ".bin", contents[i]);
        m.Method = 8;
        members.push_back(m);
    }
    ExpectExtractedWhole(members, contents, "big");
}

// Damaged streams of every method end in a failed check or a reader error: never a crash or
// a runaway output (the member's declared size is large on purpose).
TEST(ZipMethodDamage, TruncatedAndGarbledStreamsFailTheirCheck) {
    std::string data = MixedData(20000, 3);
    for (std::uint16_t method : {1, 2, 5, 6, 8}) {
        std::string stream = Encode({"", method, 6}, data);
        for (std::string damaged : {stream.substr(0, stream.size() / 2), std::string(stream.size(), '\xA5')}) {
            TMemberSpec m = Stored("x", data);
            m.Method = method;
            m.Compressed = damaged;
            m.UseCompressed = true;
            m.Flags = 6;
            m.OverrideSize = true;
            m.UncompressedSize = 100000000;
            TScratchDir dir;
            WriteFile(dir / "a.zip", BuildZip({m}));
            TZipReader reader;
            reader.SetZipName(dir / "a.zip");
            reader.SetDestDir(dir.Path());
            reader.DoAll = true;
            int bad = 0;
            reader.OnBadCRC = [&](TZipReader&, std::uint32_t, std::uint32_t, int) { ++bad; };
            EXPECT_EQ(reader.Extract(), 0) << "method " << method;
            EXPECT_EQ(bad, 1) << "method " << method;
        }
    }
}

}  // namespace
}  // namespace kor::test
