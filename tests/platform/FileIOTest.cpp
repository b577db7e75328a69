// Tests of the file layer: open modes, the writer exclusion the log relies on, seeking.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kor {
namespace {

TEST(FileIO, CreateWriteSeekRead) {
    test::TScratchDir dir;
    std::string path = dir / "f.bin";
    {
        TFile file = TFile::OpenOrThrow(path, TOpenMode::Create);
        file.WriteAll("hello world");
        EXPECT_EQ(file.Size(), 11);
        EXPECT_EQ(file.Seek(6, TSeekOrigin::Begin), 6);
        char buf[16] = {};
        EXPECT_EQ(file.Read(buf, sizeof buf), 5u);
        EXPECT_EQ(std::string(buf), "world");
        EXPECT_EQ(file.Read(buf, sizeof buf), 0u);   // end of file
        EXPECT_EQ(file.Seek(-5, TSeekOrigin::End), 6);
    }
    TFile again = TFile::OpenOrThrow(path, TOpenMode::Create);   // Create truncates
    EXPECT_EQ(again.Size(), 0);
}

TEST(FileIO, ExistenceAndOpenErrors) {
    test::TScratchDir dir;
    EXPECT_TRUE(DirectoryExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir / "none"));
    TFile file;
    EXPECT_FALSE(file.Open(dir / "none", TOpenMode::Read));
    EXPECT_FALSE(file.ErrorText().empty());
    EXPECT_THROW(TFile::OpenOrThrow(dir / "none", TOpenMode::ReadDenyWrite), EFOpenError);
    EXPECT_THROW(TFile::OpenOrThrow(dir / "none/x", TOpenMode::Create), EFCreateError);
}

TEST(FileIO, AWriterWithWritersDeniedExcludesOtherWritersButNotReaders) {
    test::TScratchDir dir;
    std::string path = dir / "shared.log";
    test::WriteFile(path, "abc");
    TFile holder = TFile::OpenOrThrow(path, TOpenMode::ReadWriteDenyWrite);
    TFile second;
    EXPECT_FALSE(second.Open(path, TOpenMode::ReadWriteDenyWrite));
    EXPECT_EQ(test::ReadFile(path), "abc");
    holder.Close();
    EXPECT_TRUE(second.Open(path, TOpenMode::ReadWriteDenyWrite));
}

#ifdef _WIN32
// A reinstallation replaces files an earlier one left hidden or system (Windows refuses to
// create over them as they are).
TEST(FileIO, CreateReplacesHiddenAndSystemFiles) {
    test::TScratchDir dir;
    std::string path = dir / "kept.dll";
    test::WriteFile(path, "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    TFile::OpenOrThrow(path, TOpenMode::Create).WriteAll("new");
    EXPECT_EQ(test::ReadFile(path), "new");
}
#endif

}  // namespace
}  // namespace kor
