// Tests of setup.exe's start-up sequence, run in-process with a scripted message route, a
// scratch current directory and a scratch temporary directory (TMP) that receives the log.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <regex>

#include "TestSupport.h"
#include "app/LogFiles.h"
#include "app/SETUP.h"
#include "platform/FileIO.h"
#include "platform/Registry.h"
#include "platform/TextConv.h"

namespace kor {
namespace {

const std::string kLine = R"(\[\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{4}\]:)";
constexpr char kGoodDescription[] =
    "IDF-CPS-text\r\n\r\n[Language]\r\nLanguage=English\r\n[Params]\r\nSystem name=Demo System\r\n";

TEST(CommandLine, SplitsLikeWindowsProgramsAndJoinsWithSingleBlanks) {
    struct { const char* line; std::vector<std::string> params; std::string joined; } cases[] = {
        {"setup.exe", {}, ""},
        {"\"C:\\Inst Dir\\setup.exe\"  UNINSTALL", {"UNINSTALL"}, "UNINSTALL"},
        {"setup C:\\Program Files\\state.inf", {"C:\\Program", "Files\\state.inf"}, "C:\\Program Files\\state.inf"},
        {"setup \"C:\\Program Files\\state.inf\"", {"C:\\Program Files\\state.inf"}, "C:\\Program Files\\state.inf"},
        {"setup \"\" x", {"", "x"}, "x"},                         // nothing before x: no blank
        {"setup a\"b c\"d\t e", {"ab cd", "e"}, "ab cd e"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.params) << c.line;
        EXPECT_EQ(JoinedCommandLine(c.params), c.joined) << c.line;
    }
    EXPECT_EQ(JoinedCommandLine({" ", "a", "b"}), " a b");        // a blank start is no separator
}

class StartupTest : public testing::Test {
protected:
    void SetUp() override {
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, cwd);
        savedDir_ = cwd;
        ASSERT_TRUE(CreateDirectoryA((dir_ / "temp").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((dir_ / "work").c_str(), nullptr));
        SetEnvironmentVariableA("TMP", (dir_ / "temp").c_str());
        ASSERT_TRUE(SetCurrentDirectoryA((dir_ / "work").c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryA(savedDir_.c_str());
        SetEnvironmentVariableA("TMP", nullptr);
    }

    int Run(std::vector<std::string> params = {}) {
        TStartupStages stages;
        stages.RemoveContinuationShortcut = [this] { ++shortcutRemovals_; };
        stages.RunWindows = [this] {
            ++windowRuns_;
            languageSeen_ = CurrentLanguage;
            systemNameSeen_ = SystemName;
            descriptionLoaded_ = SetupDescription != nullptr;
        };
        return RunSetup(params, stages);
    }
    std::string LogText() { return test::ReadFile(dir_ / "temp/korinst.log"); }
    void WriteWork(const std::string& name, const std::string& bytes) { test::WriteFile(dir_ / ("work/" + name), bytes); }

    test::TScratchDir dir_;
    std::string savedDir_;
    int shortcutRemovals_ = 0, windowRuns_ = 0;
    int languageSeen_ = -1;
    std::string systemNameSeen_;
    bool descriptionLoaded_ = false;
};

TEST_F(StartupTest, MissingDescriptionIsReportedInRussianAfterTheSeparatorLines) {
    test::TScriptedMessages boxes;
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, "setup.idf не найден");
    EXPECT_EQ(boxes.Shown[0].Caption, "");
    EXPECT_EQ(boxes.Shown[0].Flags, 0x2010u);
    EXPECT_EQ(windowRuns_, 0);
    EXPECT_TRUE(std::regex_match(LogText(), std::regex(kLine + "\r\n" + kLine + "\r\n" + kLine +
                                                       " setup.idf does not exist\r\n")));
}

TEST_F(StartupTest, MalformedDescriptionIsReportedInRussianEvenWhenItAsksForEnglish) {
    for (const std::string& bytes : {std::string(""), std::string("IDF-CPS-text\r\nLanguage=English\r\n"),
                                     std::string("\x89PNG\r\n\x1a\n\0\0\0", 11)}) {
        test::TScriptedMessages boxes;
        WriteWork("setup.idf", bytes);
        EXPECT_EQ(Run(), 0);
        ASSERT_EQ(boxes.Shown.size(), 1u);
        EXPECT_EQ(boxes.Shown[0].Text, "неверный формат файла setup.idf");
        EXPECT_EQ(boxes.Shown[0].Flags, 0x2010u);
        EXPECT_TRUE(LogText().ends_with(" Load IDF file setup.idf\r\n" + std::string("[") +
                                        LogText().substr(LogText().rfind('[') + 1, 24) +
                                        "]: Invalid file format setup.idf\r\n"));
    }
    EXPECT_EQ(windowRuns_, 0);
}

TEST_F(StartupTest, ADirectoryNamedLikeTheDescriptionIsNotADescription) {
    ASSERT_TRUE(CreateDirectoryA((dir_ / "work/setup.idf").c_str(), nullptr));
    test::TScriptedMessages boxes;
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, "setup.idf не найден");
}

TEST_F(StartupTest, AGoodDescriptionSetsLanguageAndSystemNameBeforeTheWindows) {
    WriteWork("setup.idf", kGoodDescription);
    test::TScriptedMessages boxes;
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(boxes.Shown.empty());
    EXPECT_EQ(windowRuns_, 1);
    EXPECT_EQ(languageSeen_, 1);
    EXPECT_EQ(systemNameSeen_, "Demo System");
    EXPECT_TRUE(descriptionLoaded_);
    EXPECT_EQ(SetupDescription, nullptr);   // released after the windows
    EXPECT_FALSE(ContinueMode);
    EXPECT_FALSE(UninstallRequested);
    EXPECT_TRUE(LogText().ends_with("]: Load IDF file setup.idf\r\n"));
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    EXPECT_EQ(StartDir, cwd);
    EXPECT_EQ(IncludeTrailingBackslash(TempDir), dir_ / "temp\\");
}

TEST_F(StartupTest, CommandLineChoosesUninstallOrContinuation) {
    WriteWork("setup.idf", kGoodDescription);
    WriteWork("state.inf", "IDF-CPS-text\r\n\r\n[Params]\r\nSystem name=Saved\r\n");
    struct {
        std::vector<std::string> params;
        bool uninstall, continuation;
        std::string file;
        std::string message;
    } cases[] = {
        {{"uninstall"}, true, false, "setup.idf", ""},
        {{"UnInstall"}, true, false, "setup.idf", ""},
        {{"UNINSTALL", "now"}, false, true, "UNINSTALL now", "UNINSTALL now не найден"},
        {{"state.inf"}, false, true, "state.inf", ""},
    };
    for (const auto& c : cases) {
        shortcutRemovals_ = 0;
        test::TScriptedMessages boxes;
        EXPECT_EQ(Run(c.params), 0);
        EXPECT_EQ(UninstallRequested, c.uninstall) << c.file;
        EXPECT_EQ(ContinueMode, c.continuation) << c.file;
        EXPECT_EQ(DescriptionFileName, c.file);
        EXPECT_EQ(shortcutRemovals_, c.continuation ? 1 : 0) << c.file;
        EXPECT_EQ(boxes.Shown.size(), c.message.empty() ? 0u : 1u) << c.file;
        if (!c.message.empty() && !boxes.Shown.empty()) {
            EXPECT_EQ(boxes.Shown[0].Text, c.message);
        }
        if (c.continuation) {
            EXPECT_NE(LogText().find("]: command line parameter : " + c.file + "\r\n"), std::string::npos);
        }
    }
    EXPECT_EQ(systemNameSeen_, "Saved");
}

TEST_F(StartupTest, DeletesTheUninstallersHandOverKey) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\VIZUVIROZIDO\\Inner", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    test::TScriptedMessages boxes;
    Run();
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, "\\SOFTWARE\\VIZUVIROZIDO"));
}

TEST_F(StartupTest, ALogThatCannotBeWrittenEndsInTheLastResortMessage) {
    SetEnvironmentVariableA("TMP", (dir_ / "no-such-dir").c_str());
    test::TScriptedMessages boxes;
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_TRUE(boxes.Shown[0].Text.starts_with("EFOpenErrorCannot open file")) << boxes.Shown[0].Text;
    EXPECT_EQ(boxes.Shown[0].Flags, 0x2000u);
    EXPECT_EQ(AppLog, nullptr);
}

// File names are bytes in the ANSI code page: shown converted, logged unchanged.
TEST_F(StartupTest, NonAsciiNamesShowCorrectlyAndLogAsAnsiBytes) {
    const char* expectedAcp = std::getenv("KOR_EXPECT_ACP");
    if (expectedAcp) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expectedAcp)));
    }
    std::string utf8Name = GetACP() == 1251 ? "состояние.inf" : "état.inf";
    std::string ansiName = Utf8ToAnsi(utf8Name);
    ASSERT_EQ(AnsiToUtf8(ansiName), utf8Name) << "code page " << GetACP() << " lacks the test name";
    test::TScriptedMessages boxes;
    Run({ansiName});
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, utf8Name + " не найден");
    EXPECT_TRUE(LogText().ends_with("]: " + ansiName + " does not exist\r\n"));

    WriteWork(ansiName, kGoodDescription);   // the same bytes name a real file
    test::TScriptedMessages none;
    Run({ansiName});
    EXPECT_TRUE(none.Shown.empty()) << (none.Shown.empty() ? "" : none.Shown[0].Text);
    EXPECT_EQ(windowRuns_, 1);
}

// Redirects HKLM and HKCU to fresh scratch keys for its lifetime.
class TScratchRegistry {
public:
    TScratchRegistry() {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KorTest\\HKLM", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &machine_, nullptr);
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KorTest\\HKCU", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user_, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
        RegOverridePredefKey(HKEY_CURRENT_USER, user_);
    }
    ~TScratchRegistry() {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(machine_);
        RegCloseKey(user_);
        DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\KorTest");
    }
    static void SetString(HKEY root, const char* value, const char* data) {
        HKEY key;
        RegCreateKeyExA(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr);
        RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(strlen(data) + 1));
        RegCloseKey(key);
    }

private:
    HKEY machine_ = nullptr, user_ = nullptr;
};

TEST(StartupFolder, PrefersTheMachineFolderAndKeepsOnlyItsLastName) {
    {
        TScratchRegistry registry;
        EXPECT_EQ(StartupFolderName(), "");
        TScratchRegistry::SetString(HKEY_CURRENT_USER, "Startup", "C:\\users\\me\\Start Menu\\Programs\\Autostart");
        EXPECT_EQ(StartupFolderName(), "Autostart");
        TScratchRegistry::SetString(HKEY_LOCAL_MACHINE, "Common Startup", "C:\\ProgramData\\Programs\\StartUp");
        EXPECT_EQ(StartupFolderName(), "StartUp");
        TScratchRegistry::SetString(HKEY_LOCAL_MACHINE, "Common Startup", "NoBackslash");
        EXPECT_EQ(StartupFolderName(), "NoBackslash");
    }
    EXPECT_FALSE(StartupFolderName().empty());   // the real registry is back
}

}  // namespace
}  // namespace kor
