// Tests of the IDF text file reader and writer: line ends, trimming, comments, sections,
// kind words, root parameters, look-ups, edits and byte-exact round trips.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/InstIDF.h"
#include "platform/Errors.h"

namespace kor {
namespace {

constexpr char kHead[] = "IDF-CPS-text\r\n\r\n";

// One line per parameter: "section|name|kind|value" (root parameters have an empty section).
std::string Dump(const TIDFTextFile& file) {
    std::string out;
    auto dumpSection = [&](const TIDFSection& section, const std::string& label) {
        for (int i = 0; i < section.ParamCount(); ++i) {
            const TIDFParam* p = section.GetParam(i);
            out += label + "|" + p->Name + "|" + std::to_string(p->Kind) + "|" + p->Value + "\n";
        }
    };
    dumpSection(file, "");
    for (int i = 0; i < file.SectionCount(); ++i) {
        const TIDFSection* s = file.GetSection(i);
        out += "[" + s->Name + (s->IsTree ? "]-tree\n" : "]\n");
        dumpSection(*s, s->Name);
    }
    return out;
}

struct ParseCase {
    const char* what;
    std::string bytes;
    std::string dump;
    friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.what; }
};

class IdfParse : public testing::TestWithParam<ParseCase> {};

TEST_P(IdfParse, ReadsBodyAsTheFormatSays) {
    TIDFTextFile file;
    ASSERT_TRUE(file.LoadFromBytes(GetParam().bytes)) << GetParam().what;
    EXPECT_EQ(Dump(file), GetParam().dump) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdfParse,
    testing::Values(
        ParseCase{"empty body", kHead, ""},
        ParseCase{"header text after the twelfth character", "IDF-CPS-text (copy)\r\n\r\n[A]\r\n", "[A]\n"},
        ParseCase{"FPS header", "IDF-FPS-text\r\n\r\nk=v\r\n", "|k|0|v\n"},
        ParseCase{"CR, CR LF and an unterminated last line read alike",
                  std::string(kHead) + "[S]\ra=1\r\nb=2\rc=3", "[S]\nS|a|0|1\nS|b|0|2\nS|c|0|3\n"},
        ParseCase{"a lone LF is an ordinary character", std::string(kHead) + "[S]\r\na=1\nb=2\r\n",
                  "[S]\nS|a|0|1\nb=2\n"},
        ParseCase{"trimming keeps inner blanks of name and value", std::string(kHead) + "[S]\r\n  key = value  \r\n",
                  "[S]\nS|key |0| value\n"},
        ParseCase{"blank lines and whole-line comments are skipped",
                  std::string(kHead) + "\r\n// c=1\r\n[S]\r\n\r\n  // x\r\nv=a//b\r\n", "[S]\nS|v|0|a//b\n"},
        ParseCase{"value keeps later '=' in a plain section", std::string(kHead) + "[S]\r\na=b=c\r\n",
                  "[S]\nS|a|0|b=c\n"},
        ParseCase{"kind word split in a tree section", std::string(kHead) + "[T]-tree\r\na=b=c\r\n",
                  "[T]-tree\nT|a|0|c\n"},
        ParseCase{"booleans normalised and kind carried over",
                  std::string(kHead) + "[T]-tree\r\nx=BOOLEAN=true\r\ny=yes\r\nz=INTEGER=5\r\nw=7\r\n",
                  "[T]-tree\nT|x|2|1\nT|y|2|0\nT|z|1|5\nT|w|1|7\n"},
        ParseCase{"kind word compared without case, carried into the next tree section",
                  std::string(kHead) + "[A]-tree\r\nb=Boolean=TrUe\r\n[B]-tree\r\nc=TRUE\r\nd\r\n",
                  "[A]-tree\nA|b|2|1\n[B]-tree\nB|c|2|1\nB|d|2|0\n"},
        ParseCase{"a plain section between keeps plain values",
                  std::string(kHead) + "[A]-tree\r\nb=DOUBLE=1.5\r\n[P]\r\nc=BINARY=x\r\n",
                  "[A]-tree\nA|b|3|1.5\n[P]\nP|c|0|BINARY=x\n"},
        ParseCase{"kind words only by a-z case: Cyrillic or blanks give strings",
                  std::string(kHead) + "[T]-tree\r\na= INTEGER=1\r\nb=2\r\n", "[T]-tree\nT|a|0|1\nT|b|0|2\n"},
        ParseCase{"section headers and look-alikes",
                  std::string(kHead) + "[abc]-tree\r\n[abc]\r\n[abc\r\n[]\r\n[]-tree\r\n",
                  "[abc]-tree\n[abc]\nabc|[abc|0|\n[]\n[]-tree\n"},
        ParseCase{"root parameters before the first header, a line without '='",
                  std::string(kHead) + "Mode=fast\r\nflag\r\n[S]\r\n", "|Mode|0|fast\n|flag|0|\n[S]\n"},
        ParseCase{"duplicates kept in order", std::string(kHead) + "[A]\r\nk=1\r\nk=2\r\n[A]\r\n",
                  "[A]\nA|k|0|1\nA|k|0|2\n[A]\n"}),
    [](const testing::TestParamInfo<ParseCase>& info) { return "case" + std::to_string(info.index); });

TEST(IdfLoad, RejectsBadHeadersAndKeepsPreviousContent) {
    const std::string bad[] = {
        "",                                     // empty file
        "IDF-CPS-text",                          // no second line
        "IDF-CPS-text\r\n",                      // no second line either
        "IDF-CPS-text\r\nx\r\n",                 // second line not empty
        "IDF-CPS-text\n\n[S]\n",                 // LF-only: one single line
        "idf-cps-text\r\n\r\n",                  // header case matters
        "IDF-XPS-text\r\n\r\n",
        std::string("\x7f" "ELF\x01\x01\x01\0\0\0\0\0\0\0\0\0", 16),   // binary data
    };
    for (const std::string& bytes : bad) {
        TIDFTextFile file;
        ASSERT_TRUE(file.LoadFromBytes(std::string(kHead) + "[Keep]\r\nk=v\r\n"));
        EXPECT_FALSE(file.LoadFromBytes(bytes)) << bytes;
        EXPECT_EQ(Dump(file), "[Keep]\nKeep|k|0|v\n") << bytes;
    }
}

TEST(IdfLoad, ASecondLoadReplacesEverything) {
    TIDFTextFile file;
    ASSERT_TRUE(file.LoadFromBytes(std::string(kHead) + "r=1\r\n[A]\r\nk=v\r\n"));
    ASSERT_TRUE(file.LoadFromBytes(std::string(kHead) + "[B]-tree\r\nn=5\r\n"));
    EXPECT_EQ(Dump(file), "[B]-tree\nB|n|0|5\n");
}

TEST(IdfLoad, FromFileLogsAndReportsMissingFilesAndDirectories) {
    test::TScratchDir dir;
    TIDFTextFile file;
    EXPECT_FALSE(file.LoadFromFile(dir / "missing.idf"));
    EXPECT_FALSE(file.LoadFromFile(dir.Path()));
    test::WriteFile(dir / "ok.idf", std::string(kHead) + "[S]\r\na=1\r\n");
    ASSERT_TRUE(file.LoadFromFile(dir / "ok.idf"));
    EXPECT_EQ(file.SectionByName("s")->ParamByName("A")->AsString(), "1");
}

TEST(IdfLookup, ComparesOnlyLatinLettersWithoutCase) {
    TIDFTextFile file;
    ASSERT_TRUE(file.LoadFromBytes(std::string(kHead) +
                                   "[A]\r\nMenuLink=1\r\n\xc8\xec\xff=cyr\r\nkey =x\r\n[a]\r\nk=2\r\n"));
    ASSERT_NE(file.SectionByName("a"), nullptr);
    EXPECT_EQ(file.SectionByName("a"), file.GetSection(0));            // first match
    TIDFSection* a = file.GetSection(0);
    EXPECT_EQ(a->ParamByName("menulink"), a->GetParam(0));
    EXPECT_EQ(a->ParamByName("\xc8\xec\xff"), a->GetParam(1));          // CP1251 bytes match exactly
    EXPECT_EQ(a->ParamByName("\xe8\xec\xff"), nullptr);                // differs only in Cyrillic case
    EXPECT_EQ(a->ParamByName("key"), nullptr);                         // names are not trimmed
    file.DeleteSectionByName("a");                                      // exact case: deletes the second
    ASSERT_EQ(file.SectionCount(), 1);
    EXPECT_EQ(file.GetSection(0)->Name, "A");
    file.DeleteSectionByName("b");
    EXPECT_EQ(file.SectionCount(), 1);
}

TEST(IdfEdit, ParamPositionsAndRanges) {
    TIDFSection s("S");
    s.AddParam("b");
    TIDFParam* first = s.InsertParam("a", 0);
    EXPECT_EQ(first, s.GetParam(0));
    TIDFParam* last = s.InsertParam("c", 2);
    EXPECT_EQ(last, s.GetParam(2));
    EXPECT_EQ(s.InsertParam("x", 4), nullptr);
    EXPECT_EQ(s.InsertParam("x", -1), nullptr);
    EXPECT_EQ(s.GetParam(3), nullptr);
    EXPECT_EQ(s.GetParam(-1), nullptr);
    s.DeleteParam(7);
    s.DeleteParam(1);
    ASSERT_EQ(s.ParamCount(), 2);
    EXPECT_EQ(s.GetParam(0)->Name + s.GetParam(1)->Name, "ac");
    s.ClearParams();
    EXPECT_EQ(s.ParamCount(), 0);
}

TEST(IdfParam, ValuesAndConversions) {
    TIDFParam p("n");
    p.Kind = pkInteger;
    p.SetInteger(-42);
    EXPECT_EQ(p.AsString(), "-42");
    EXPECT_EQ(p.AsInteger(), -42);
    p.SetBoolean(true);
    EXPECT_EQ(p.AsString(), "1");
    EXPECT_EQ(p.Kind, pkInteger);   // setters never change the kind

    struct { const char* text; bool ok; std::int32_t value; } cases[] = {
        {"0", true, 0}, {"  17", true, 17}, {"+5", true, 5}, {"-2147483648", true, INT32_MIN},
        {"2147483647", true, INT32_MAX}, {"2147483648", false, 0}, {"12 ", false, 0}, {"", false, 0},
        {"-", false, 0}, {"1x", false, 0}, {"0x10", false, 0}, {"\t1", false, 0}, {"99999999999999999999", false, 0},
    };
    for (const auto& c : cases) {
        p.SetString(c.text);
        if (c.ok) {
            EXPECT_EQ(p.AsInteger(), c.value) << c.text;
        } else {
            EXPECT_THROW(p.AsInteger(), EConvertError) << c.text;
        }
    }
}

TEST(IdfSave, WritesTheLayoutAndRoundTripsBytes) {
    TIDFTextFile file;
    file.AddSection("Plain")->AddParam("k")->SetString("v=w");
    TIDFSection* tree = file.AddSection("T");
    tree->IsTree = true;
    tree->AddParam("n")->SetInteger(5);
    TIDFParam* blob = tree->AddParam("blob");
    blob->Kind = pkBinary;
    EXPECT_EQ(file.SaveToBytes(), "IDF-CPS-text\r\n\r\n[Plain]\r\nk=v=w\r\n[T]-tree\r\nn=5\r\n");

    file.InsertParam("Mode", 0)->SetString("fast");
    EXPECT_EQ(file.SaveToBytes().substr(0, 27), "IDF-FPS-text\r\n\r\nMode=fast\r\n");

    // Plain sections and root parameters survive a save and a load byte for byte, whatever
    // the bytes of the texts (ANSI Cyrillic here).
    const std::string original =
        "IDF-FPS-text\r\n\r\nr=\xcf\xf0\xe8\xe2\xe5\xf2\r\n[\xd1\xe5\xea\xf6\xe8\xff]\r\na=b=c\r\nempty=\r\n[]\r\nx=1\r\n";
    TIDFTextFile reread;
    ASSERT_TRUE(reread.LoadFromBytes(original));
    EXPECT_EQ(reread.SaveToBytes(), original);

    test::TScratchDir dir;
    ASSERT_TRUE(reread.SaveToFile(dir / "out.idf"));
    EXPECT_EQ(test::ReadFile(dir / "out.idf"), original);
    EXPECT_FALSE(reread.SaveToFile(dir / "no-such-dir/out.idf"));
}

}  // namespace
}  // namespace kor
