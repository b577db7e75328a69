// The reader's directory, extraction rules, events and errors, on archives made here: by the
// test builder where a layout must be exact or hostile, by the zip tool where a real archiver's
// output matters (directory entries, data descriptors, split archives).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "ZipTestTools.h"
#include "archive/ZipReader.h"
#include "platform/FileIO.h"

namespace fs = std::filesystem;

namespace kor::test {
namespace {

// A reader on an archive in a scratch directory, extracting into "out" with the installer's
// settings, and recording its events.
struct TReaderFixture {
    TScratchDir Dir;
    TZipReader Reader;
    std::vector<std::string> Events;
    int LastPercent = -1;

    explicit TReaderFixture(const std::string& archive = {}, const std::string& name = "a.zip") {
        if (!archive.empty()) WriteFile(Dir / name, archive);
        Reader.SetZipName(Dir / name);
        Reader.SetDestDir(Dir / "out");
        Reader.RecreateDirs = true;
        Reader.OverwriteMode = TOverwriteMode::Always;
        Reader.DoAll = true;
        Reader.FilesList.push_back("*.*");
        Reader.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
        Reader.OnEndUnZip = [this](TZipReader&, int i, const std::string& name) {
            Events.push_back("done " + std::to_string(i) + " " + fs::path(name).lexically_relative(Dir.Path()).generic_string());
        };
        Reader.OnBadCRC = [this](TZipReader&, std::uint32_t, std::uint32_t, int i) {
            Events.push_back("badcrc " + std::to_string(i));
        };
        Reader.OnUnsafeName = [this](TZipReader&, int i, const std::string& name) {
            Events.push_back("refused " + std::to_string(i) + " " + name);
        };
        Reader.OnTotalPercentDone = [this](TZipReader&, int percent) { LastPercent = percent; };
    }
    std::string Out(const std::string& relative) const { return Dir / ("out/" + relative); }
};

template <class E>
std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return std::string(e.ClassName()) + ": " + e.what();
    }
    return "no error";
}

bool ZipToolAvailable() {
    TScratchDir dir;
    return RunShell("command -v zip >/dev/null\n", dir.Path()) == 0;
}

// A tree of files zipped by the zip tool; returns the archive's path.
std::string ZipTree(const TScratchDir& dir, const std::string& options) {
    fs::create_directories(dir / "tree/sub/deeper");
    fs::create_directories(dir / "tree/empty");
    WriteFile(dir / "tree/readme.txt", "hello\n");
    WriteFile(dir / "tree/sub/data.bin", MixedData(300000, 7));
    WriteFile(dir / "tree/sub/deeper/zero.txt", "");
    std::string script = "cd '" + UnixPath(dir / "tree") + "' && touch -t 200102030405.06 readme.txt && zip -q -X -r " +
                         options + " ../t.zip .\n";
    if (RunShell(script, dir.Path()) != 0) throw std::runtime_error("zip failed");
    return dir / "t.zip";
}

TEST(ZipReader, ExtractsWhatTheZipToolMadeWithDirectoriesTimesAndProgress) {
    if (!ZipToolAvailable()) GTEST_SKIP() << "the zip tool is not installed";
    for (std::string options : {"-0", "-9"}) {
        TReaderFixture f;
        f.Reader.SetZipName(ZipTree(f.Dir, options));
        f.Reader.Extract();
        EXPECT_EQ(ReadFile(f.Out("readme.txt")), "hello\n") << options;
        EXPECT_EQ(ReadFile(f.Out("sub/data.bin")), MixedData(300000, 7)) << options;
        EXPECT_EQ(ReadFile(f.Out("sub/deeper/zero.txt")), "") << options;
        EXPECT_TRUE(fs::is_directory(f.Out("empty"))) << options;
        EXPECT_EQ(f.Events.size(), 3u) << options;   // files only
        EXPECT_EQ(f.LastPercent, 100);
        TFile file;
        ASSERT_TRUE(file.Open(f.Out("readme.txt"), TOpenMode::Read));
        TFile expected;
        WriteFile(f.Dir / "stamp", "");
        ASSERT_TRUE(expected.Open(f.Dir / "stamp", TOpenMode::ReadWriteDenyWrite));
        ASSERT_TRUE(expected.SetDosDateTime((21u << 25) | (2u << 21) | (3u << 16) | (4u << 11) | (5u << 5) | 3u));
        EXPECT_EQ(file.TimeStamp(), expected.TimeStamp()) << "the member's time, 03.02.2001 04:05:06";
    }
    // Streamed input makes the tool write data descriptors (flag bit 3).
    TReaderFixture f;
    fs::create_directories(f.Dir / "tree");
    WriteFile(f.Dir / "tree/in.txt", "streamed\n");
    ASSERT_EQ(RunShell("cd '" + UnixPath(f.Dir / "tree") + "' && cat in.txt | zip -q - - | cat > ../t.zip\n", f.Dir.Path()), 0);
    f.Reader.SetZipName(f.Dir / "t.zip");
    f.Reader.Extract();
    EXPECT_NE(f.Reader.Member(0).Flags & 8, 0);
    EXPECT_EQ(ReadFile(f.Out("-")), "streamed\n");
}

TEST(ZipReader, ListsMembersInDataOrderWithConvertedNamesAndClampedDates) {
    std::vector<TMemberSpec> members = {Stored("dir/a.txt", "a"), Stored("b.txt", "bb"), Stored("dir/sub/", ""),
                                        Stored("c.txt", "ccc")};
    members[1].DosDateTime = 0;                                        // day and month 0
    members[2].DosDateTime = (45u << 25) | (13u << 21) | (31u << 16) | (25u << 11) | (61u << 5) | 31u;
    members[3].DosDateTime = (44u << 25) | (2u << 21) | (30u << 16);   // 30 February
    TBuildOptions options;
    options.ReverseCentral = true;
    TReaderFixture f(BuildZip(members, options));
    f.Reader.ReadDirectory();
    ASSERT_EQ(f.Reader.MemberCount(), 4);
    EXPECT_EQ(f.Reader.MemberPathName(0), "dir\\");
    EXPECT_EQ(f.Reader.MemberFileName(0), "a.txt");
    EXPECT_EQ(f.Reader.MemberFileName(1), "b.txt");
    EXPECT_EQ(f.Reader.MemberPathName(2), "dir\\sub\\");
    EXPECT_EQ(f.Reader.MemberFileName(2), "");
    EXPECT_EQ(f.Reader.MemberUncompressedSize(3), 3u);
    EXPECT_EQ(f.Reader.MemberAttributes(3), 0x20u);
    EXPECT_EQ(f.Reader.Member(1).DosDateTime, 0x00210000u);
    TLocalTime clamped = f.Reader.MemberDateTime(2);
    EXPECT_EQ(std::vector<int>({clamped.Year, clamped.Month, clamped.Day, clamped.Hour, clamped.Minute, clamped.Second}),
              std::vector<int>({2025, 12, 31, 23, 59, 58}));
    EXPECT_EQ(f.Reader.Member(3).DosDateTime, members[3].DosDateTime) << "in-range fields are kept bit for bit";
    EXPECT_EQ(f.Reader.MemberDateTime(3).Year, CurrentLocalTime().Year) << "no valid date: the current time";
    EXPECT_EQ(ErrorOf<EListError>([&] { f.Reader.MemberFileName(4); }), "EListError: Index 4 is out of range");
    EXPECT_EQ(ErrorOf<EListError>([&] { f.Reader.MemberAttributes(-1); }), "EListError: Index -1 is out of range");
}

TEST(ZipReader, RereadsTheDirectoryOnlyWhenTheArchiveChanges) {
    TReaderFixture f(BuildZip({Stored("one", "1")}));
    std::string path = f.Dir / "a.zip";
    // Whole seconds, which every file system and the Windows build's file clock keep exactly.
    auto stamp = fs::file_time_type(std::chrono::floor<std::chrono::seconds>(fs::last_write_time(path) - std::chrono::hours(1)));
    fs::last_write_time(path, stamp);
    f.Reader.ReadDirectory();
    WriteFile(path, BuildZip({Stored("one", "1"), Stored("two", "2")}));
    fs::last_write_time(path, stamp);
    f.Reader.ReadDirectory();
    EXPECT_EQ(f.Reader.MemberCount(), 1) << "same time stamp: the list is kept";
    fs::last_write_time(path, stamp + std::chrono::seconds(10));
    f.Reader.ReadDirectory();
    EXPECT_EQ(f.Reader.MemberCount(), 2);
    f.Reader.SetZipName(f.Dir / "A.ZIP");
    EXPECT_EQ(f.Reader.MemberCount(), 2) << "a name differing only in case keeps the list";
    f.Reader.SetZipName(f.Dir / "b.zip");
    EXPECT_EQ(f.Reader.MemberCount(), 0);
}

TEST(ZipReader, FailuresGiveTheirErrors) {
    std::string good = BuildZip({Stored("one", "1"), Stored("two", "22")});
    TBuildOptions duplicate;
    duplicate.DuplicateCentral = 0;
    TMemberSpec truncated = Stored("big", MixedData(50000, 4));
    std::string cut = BuildZip({truncated});
    cut = cut.substr(0, 30000);
    struct TCase {
        std::string Label, Archive;
        TIncompleteZipMode Mode;
        std::string Expected;
        int MembersAfter;   // a failed directory read leaves no list behind
    } cases[] = {
        {"short file, assume bad", "PK\x05\x06", TIncompleteZipMode::izAssumeBad, "EBadZipFile: Not a valid zip file!", 0},
        {"short file, assume multi", "PK\x05\x06", TIncompleteZipMode::izAssumeMulti, "EIncompleteZip: Incomplete Zip File", 0},
        {"no header anywhere", std::string(100000, 'x'), TIncompleteZipMode::izAssumeBad, "EBadZipFile: Not a valid zip file!", 0},
        {"two records, one header", BuildZip({Stored("one", "1")}, duplicate), TIncompleteZipMode::izAssumeBad,
         "EListError: Duplicate Object index", 0},
        {"data cut short", cut, TIncompleteZipMode::izAssumeBad, "EFatalUnzipError: Premature end of file reached", 1},
    };
    for (const TCase& c : cases) {
        TReaderFixture f(c.Archive);
        f.Reader.IncompleteZipMode = c.Mode;
        EXPECT_EQ(ErrorOf<Exception>([&] { f.Reader.Extract(); }), c.Expected) << c.Label;
        EXPECT_EQ(f.Reader.MemberCount(), c.MembersAfter) << c.Label;
    }
    TReaderFixture missing;
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { missing.Reader.ReadDirectory(); }).rfind("EFOpenError: Cannot open file", 0), 0u);

    // The incomplete-archive event may change the mode before it is consulted.
    TReaderFixture f(std::string(100, 'x') + good.substr(0, good.size() - 22));
    f.Reader.IncompleteZipMode = TIncompleteZipMode::izAssumeMulti;
    f.Reader.OnInCompleteZip = [](TZipReader&, TIncompleteZipMode& mode) { mode = TIncompleteZipMode::izAssumeBad; };
    f.Reader.Extract();
    EXPECT_EQ(ReadFile(f.Out("two")), "22");
}

TEST(ZipReader, DamagedMembersAreReportedDeletedAndTheRestExtracted) {
    TMemberSpec badCrc = Stored("bad.txt", "data");
    badCrc.OverrideCrc = true;
    badCrc.Crc = 1;
    badCrc.Attributes = 0x21;   // read-only: must still be deleted
    TMemberSpec longer = Stored("long.txt", "0123456789abcdefghij");
    longer.OverrideSize = true;
    longer.UncompressedSize = 10;
    longer.OverrideCrc = true;
    longer.Crc = Crc32Of("0123456789");
    TMemberSpec unknown = Stored("m9.txt", "");
    unknown.Method = 9;
    unknown.UseCompressed = true;
    unknown.Compressed = "xyz";
    TMemberSpec unknownBad = unknown;
    unknownBad.Name = "m9bad.txt";
    unknownBad.OverrideCrc = true;
    unknownBad.Crc = 7;
    TMemberSpec encrypted = Stored("secret.txt", "s");
    encrypted.Flags = 1;
    TScriptedMessages messages;
    TReaderFixture f(BuildZip({badCrc, longer, unknown, unknownBad, encrypted, Stored("ok.txt", "ok")}));
    EXPECT_EQ(f.Reader.Extract(), 3);
    EXPECT_EQ(f.Events, (std::vector<std::string>{"badcrc 0", "done 1 out/long.txt", "done 2 out/m9.txt", "badcrc 3",
                                                   "done 5 out/ok.txt"}));
    EXPECT_FALSE(fs::exists(f.Out("bad.txt")));
    EXPECT_EQ(ReadFile(f.Out("long.txt")), "0123456789") << "cut at the stored size";
    EXPECT_EQ(ReadFile(f.Out("m9.txt")), "");
    EXPECT_FALSE(fs::exists(f.Out("m9bad.txt")));
    EXPECT_FALSE(fs::exists(f.Out("secret.txt")));
    ASSERT_EQ(messages.Shown.size(), 2u);
    EXPECT_EQ(messages.Shown[0].Text, "Unknown Compression Method");
    EXPECT_EQ(messages.Shown[0].Caption, "Zip Error");
}

TEST(ZipReader, RefusesNamesThatLeadOutsideTheDestination) {
    std::vector<TMemberSpec> members;
    for (const char* name : {"../escape1.txt", "a/../../escape2.txt", "C:../escape3.txt", "..\\escape4.txt",
                             "sub/.. ./escape5.txt", "a/...", "CON", "lpt1.txt", "a/b:escape6.txt", "../", "fine/../../"})
        members.push_back(Stored(name, "evil"));
    for (const char* name : {"/abs/x.txt", "C:/x/y.txt", "\\\\server\\share\\z.txt"}) members.push_back(Stored(name, name));
    TReaderFixture f(BuildZip(members));
    fs::create_directories(f.Out(""));
    int result = f.Reader.Extract();
    int refused = 0;
    for (const std::string& e : f.Events) refused += e.rfind("refused ", 0) == 0;
    EXPECT_EQ(refused, 11);
    EXPECT_EQ(result, static_cast<int>(members.size()) - 11);
    EXPECT_EQ(ReadFile(f.Out("abs/x.txt")), "/abs/x.txt");
    EXPECT_EQ(ReadFile(f.Out("x/y.txt")), "C:/x/y.txt");
    EXPECT_EQ(ReadFile(f.Out("server/share/z.txt")), "\\\\server\\share\\z.txt");
    for (const auto& entry : fs::recursive_directory_iterator(f.Dir.Path())) {
        std::string relative = entry.path().lexically_relative(f.Dir.Path()).generic_string();
        EXPECT_TRUE(relative == "a.zip" || relative.rfind("out", 0) == 0) << relative;
        EXPECT_EQ(relative.find("escape"), std::string::npos) << relative;
    }
}

// Without a destination the current directory receives the members, rooted names included;
// nothing goes to the root of the drive.
TEST(ZipReader, AnEmptyDestinationMeansTheCurrentDirectory) {
    TReaderFixture f(BuildZip({Stored("rel/a.txt", "a"), Stored("/rooted/b.txt", "b")}));
    f.Reader.SetDestDir("");
    fs::create_directories(f.Dir / "cwd");
    const fs::path saved = fs::current_path();
    fs::current_path(f.Dir / "cwd");
    const int extracted = f.Reader.Extract();
    fs::current_path(saved);
    EXPECT_EQ(extracted, 2);
    EXPECT_EQ(ReadFile(f.Dir / "cwd/rel/a.txt"), "a");
    EXPECT_EQ(ReadFile(f.Dir / "cwd/rooted/b.txt"), "b");
}

TEST(ZipReader, OverwriteModesAndPrompt) {
    std::string archive = BuildZip({Stored("f.txt", "new")});
    struct TCase {
        TOverwriteMode Mode;
        int Answer;   // -1: no handler
        std::string Expected;
    } cases[] = {{TOverwriteMode::Always, -1, "new"}, {TOverwriteMode::Never, -1, "old"},
                 {TOverwriteMode::Prompt, -1, "old"}, {TOverwriteMode::Prompt, 0, "old"},
                 {TOverwriteMode::Prompt, 1, "new"}};
    for (const TCase& c : cases) {
        TReaderFixture f(archive);
        fs::create_directories(f.Out(""));
        WriteFile(f.Out("f.txt"), "old");
        f.Reader.OverwriteMode = c.Mode;
        int asked = 0;
        if (c.Answer >= 0)
            f.Reader.OnPromptForOverwrite = [&](TZipReader&, bool& overwrite, int index, std::string& name) {
                ++asked;
                EXPECT_EQ(index, 0);
                EXPECT_FALSE(overwrite);
                overwrite = c.Answer == 1;
            };
        f.Reader.Extract();
        EXPECT_EQ(ReadFile(f.Out("f.txt")), c.Expected);
        EXPECT_EQ(asked, c.Answer >= 0 ? 1 : 0);
    }
}

TEST(ZipReader, SelectsByMaskWithoutDoAll) {
    TReaderFixture f(BuildZip({Stored("a.txt", "a"), Stored("b.dat", "b"), Stored("d/", ""), Stored("D/C.TXT", "c")}));
    f.Reader.DoAll = false;
    f.Reader.FilesList = {"*.txt"};
    EXPECT_EQ(f.Reader.Extract(), 2);
    EXPECT_EQ(f.Events, (std::vector<std::string>{"done 0 out/a.txt", "done 3 out/D/C.TXT"}));
    f.Reader.RecreateDirs = false;
    f.Reader.FilesList = {"d*"};
    f.Events.clear();
    EXPECT_EQ(f.Reader.Extract(), 1) << "a directory member is not selected without RecreateDirs";
    EXPECT_EQ(f.Events, (std::vector<std::string>{"done 3 out/C.TXT"}));
}

TEST(ZipReader, AttributesAreRetainedOnRequest) {
    TMemberSpec readOnly = Stored("ro.txt", "r");
    readOnly.Attributes = 0x21;
    for (bool retain : {true, false}) {
        TReaderFixture f(BuildZip({readOnly}));
        f.Reader.RetainAttributes = retain;
        f.Reader.Extract();
        bool writable = (fs::status(f.Out("ro.txt")).permissions() & fs::perms::owner_write) != fs::perms::none;
        EXPECT_EQ(writable, !retain);
        fs::permissions(f.Out("ro.txt"), fs::perms::owner_write, fs::perm_options::add);
    }
}

TEST(ZipReader, CancelStopsAtTheNextInputBlockAndLeavesThePartialFile) {
    TReaderFixture f(BuildZip({Stored("big.bin", MixedData(200000, 5)), Stored("after.txt", "x")}));
    f.Reader.OnTotalPercentDone = [](TZipReader& reader, int) { reader.Cancel(); };
    EXPECT_EQ(ErrorOf<EUserCanceled>([&] { f.Reader.Extract(); }), "EUserCanceled: Операция прервана пользователем.");
    EXPECT_EQ(ReadFile(f.Out("big.bin")).size(), 16000u);
    EXPECT_FALSE(fs::exists(f.Out("after.txt")));
    f.Reader.OnTotalPercentDone = nullptr;
    f.Reader.Extract();   // the flag was cleared: the next extraction runs through
    EXPECT_EQ(ReadFile(f.Out("after.txt")), "x");
}

TEST(ZipReader, ReadsBehindAPrefixThroughTheLocalHeaders) {
    std::vector<TMemberSpec> members = {Stored("one.txt", "1"), Stored("two.txt", "22")};
    members[1].Attributes = 0x01;
    std::string inner = BuildZip(members);
    // A program in front whose first 14000 bytes hold a false local header signature.
    std::string prefix = "MZ" + std::string(100, 'p') + "PK\x03\x04" + std::string(20000, 'q');
    TBuildOptions options;
    options.Prefix = prefix;
    std::string unadjusted = BuildZip(members, options);
    for (const char* name : {"SETUP.EXE", "setup.exe"}) {
        TReaderFixture f(unadjusted, name);
        if (std::string(name) == "setup.exe") {
            // The scan starts at 0, meets the false signature and finds nothing after it.
            EXPECT_EQ(ErrorOf<Exception>([&] { f.Reader.ReadDirectory(); }), "no error");
            EXPECT_EQ(f.Reader.MemberCount(), 0);
            continue;
        }
        f.Reader.Extract();
        ASSERT_EQ(f.Reader.MemberCount(), 2);
        EXPECT_EQ(ReadFile(f.Out("two.txt")), "22");
        EXPECT_EQ(f.Reader.MemberAttributes(1), 0u) << "local header fields only: offsets do not match";
    }
    // Local header offsets that match the file (a prefix whose offsets were adjusted) while
    // the end record's central offset does not: the central records complete the members.
    std::string adjusted = std::string(15000, 'p') + inner;
    for (std::size_t i = 0; i < inner.size(); ++i)
        if (inner.compare(i, 4, "PK\x01\x02") == 0) {
            std::uint32_t offset = static_cast<std::uint8_t>(adjusted[15000 + i + 42]) |
                                   (static_cast<std::uint8_t>(adjusted[15000 + i + 43]) << 8);
            offset += 15000;
            adjusted[15000 + i + 42] = static_cast<char>(offset & 0xFF);
            adjusted[15000 + i + 43] = static_cast<char>(offset >> 8);
        }
    TReaderFixture f(adjusted, "SETUP.EXE");
    f.Reader.ReadDirectory();
    ASSERT_EQ(f.Reader.MemberCount(), 2);
    EXPECT_EQ(f.Reader.Member(1).LocalHeaderOffset, 15000u + 31 + 7);
    EXPECT_EQ(f.Reader.MemberAttributes(1), 0x01u);
    EXPECT_EQ(f.Reader.Member(1).VersionMadeBy, 20u);
}

TEST(ZipReader, SplitArchivesAreReadAcrossPartsAndMissingPartsEndTheRead) {
    if (!ZipToolAvailable()) GTEST_SKIP() << "the zip tool is not installed";
    TScratchDir dir;
    fs::create_directories(dir / "tree");
    WriteFile(dir / "tree/big.bin", MixedData(200000, 9));
    WriteFile(dir / "tree/small.txt", "small");
    ASSERT_EQ(RunShell("cd '" + UnixPath(dir / "tree") + "' && zip -q -0 -s 64k ../s.zip big.bin small.txt\n", dir.Path()), 0);
    ASSERT_TRUE(fs::exists(dir / "s.z01"));

    // As the zip tool names the parts, the default handler asks for s.001 and gives up.
    {
        TZipReader reader;
        reader.SetZipName(dir / "s.zip");
        reader.SetDestDir(dir / "out0");
        reader.DoAll = true;
        std::string error = ErrorOf<EFOpenError>([&] { reader.Extract(); });
        EXPECT_NE(error.find("s.001"), std::string::npos) << error;
    }
    // Named by part number, every part is found.
    std::vector<std::string> parts;
    for (int n = 1; fs::exists(dir / ("s.z0" + std::to_string(n))); ++n) {
        fs::copy_file(dir / ("s.z0" + std::to_string(n)), dir / ("s.00" + std::to_string(n)));
        parts.push_back(dir / ("s.00" + std::to_string(n)));
    }
    fs::copy_file(dir / "s.zip", dir / ("s.00" + std::to_string(parts.size() + 1)));
    {
        TZipReader reader;
        reader.SetZipName(dir / "s.zip");
        reader.SetDestDir(dir / "out1");
        reader.DoAll = true;
        EXPECT_EQ(reader.Extract(), 2);
        EXPECT_EQ(ReadFile(dir / "out1/big.bin"), MixedData(200000, 9));
        EXPECT_EQ(ReadFile(dir / "out1/small.txt"), "small");
    }
    // A handler that names no part cancels.
    {
        TZipReader reader;
        reader.SetZipName(dir / "s.zip");
        reader.SetDestDir(dir / "out2");
        reader.DoAll = true;
        std::vector<int> asked;
        reader.OnGetNextDisk = [&](TZipReader&, int disk, std::string& name) {
            asked.push_back(disk);
            name.clear();
        };
        EXPECT_EQ(ErrorOf<EUserCanceled>([&] { reader.Extract(); }), "EUserCanceled: User canceled loading new disk.");
        EXPECT_EQ(asked, std::vector<int>{1});
    }
}

TEST(ZipReader, AnEndSignatureInTheCommentDoesNotMakeTheReaderWaitForParts) {
    // The comment quotes an end record: it reads as disk 8303 with its directory on part 28531.
    TBuildOptions options;
    options.Comment = std::string("see PK\x05\x06") + "o " + "ro" + std::string(20, ' ');
    TReaderFixture f(BuildZip({Stored("a", "a")}, options));
    std::string error = ErrorOf<EFOpenError>([&] { f.Reader.ReadDirectory(); });
    EXPECT_NE(error.find("a.28531"), std::string::npos) << error;
}

}  // namespace
}  // namespace kor::test
