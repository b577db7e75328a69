// Runs the real setup.exe under the test's eyes: a scratch working directory and temporary
// directory, its message boxes read (wide text, as shown on screen) and answered by clicking
// their button, its exit code and its log checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <regex>
#include <thread>

#include "TestSupport.h"
#include "platform/TextConv.h"

namespace kor {
namespace {

// The build passes the program's Unix path; Wine maps the Unix root to drive Z:.
std::string SetupExePath() {
    std::string path = KOR_SETUP_EXE;
    if (!path.empty() && path.front() == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

struct TBoxSeen {
    std::string Text;    // UTF-8, read from the box's static control
    std::string Caption;
};

struct TRunResult {
    DWORD ExitCode = 0xFFFFFFFF;
    std::vector<TBoxSeen> Boxes;
};

struct TFindBox {
    DWORD ProcessId;
    HWND Found;
};

BOOL CALLBACK FindDialogOfProcess(HWND hwnd, LPARAM param) {
    auto* find = reinterpret_cast<TFindBox*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    if (pid == find->ProcessId && IsWindowVisible(hwnd) && std::wstring(className) == L"#32770") {
        find->Found = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::string WindowTextUtf8(HWND hwnd) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(hwnd, buffer, 1024);
    return WideToUtf8(buffer);
}

// Starts setup.exe with the arguments in workDir, TMP pointing at tempDir; answers every
// message box with its default button until the program ends (60 s at most).
TRunResult RunSetupExe(const std::string& args, const std::string& workDir, const std::string& tempDir) {
    TRunResult result;
    std::string commandLine = "\"" + SetupExePath() + "\"" + (args.empty() ? "" : " " + args);
    SetEnvironmentVariableA("TMP", tempDir.c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(),
                                  &si, &pi);
    SetEnvironmentVariableA("TMP", nullptr);
    if (!started) {
        ADD_FAILURE() << "cannot start " << commandLine;
        return result;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "setup.exe did not end";
            TerminateProcess(pi.hProcess, 1);
            break;
        }
        TFindBox find{pi.dwProcessId, nullptr};
        EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&find));
        if (!find.Found) continue;
        result.Boxes.push_back({WindowTextUtf8(GetDlgItem(find.Found, 0xFFFF)), WindowTextUtf8(find.Found)});
        // Press the box's default button, as Enter would.
        LRESULT def = SendMessageW(find.Found, DM_GETDEFID, 0, 0);
        WORD id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        PostMessageW(find.Found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(find.Found, id)));
        // Wait until this box is gone before looking for the next.
        for (int i = 0; i < 100 && IsWindow(find.Found); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    WaitForSingleObject(pi.hProcess, 5000);
    GetExitCodeProcess(pi.hProcess, &result.ExitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

class SetupExe : public testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryA(Temp().c_str(), nullptr);
        CreateDirectoryA(Work().c_str(), nullptr);
    }
    std::string Temp() const { return dir_ / "temp"; }
    std::string Work() const { return dir_ / "work"; }
    std::string LogText() const { return test::ReadFile(dir_ / "temp/korinst.log"); }

    test::TScratchDir dir_;
};

const std::string kLine = R"(\[\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{4}\]:)";

TEST_F(SetupExe, WithoutADescriptionShowsTheRussianErrorAndExitsZero) {
    TRunResult run = RunSetupExe("", Work(), Temp());
    EXPECT_EQ(run.ExitCode, 0u);
    ASSERT_EQ(run.Boxes.size(), 1u);
    EXPECT_EQ(run.Boxes[0].Text, "setup.idf не найден");
    EXPECT_EQ(run.Boxes[0].Caption, "");
    EXPECT_TRUE(std::regex_match(LogText(), std::regex(kLine + "\r\n" + kLine + "\r\n" + kLine +
                                                       " setup.idf does not exist\r\n")))
        << LogText();
}

TEST_F(SetupExe, WithAMalformedDescriptionShowsTheFormatError) {
    test::WriteFile(dir_ / "work/setup.idf", "IDF-CPS-text\r\nnot empty\r\n");
    TRunResult run = RunSetupExe("", Work(), Temp());
    EXPECT_EQ(run.ExitCode, 0u);
    ASSERT_EQ(run.Boxes.size(), 1u);
    EXPECT_EQ(run.Boxes[0].Text, "неверный формат файла setup.idf");
    EXPECT_NE(LogText().find("]: Invalid file format setup.idf\r\n"), std::string::npos);
}

TEST_F(SetupExe, WithAGoodDescriptionLoadsItQuietlyAndAppendsToTheLog) {
    test::WriteFile(dir_ / "work/setup.idf", "IDF-CPS-text\r\n\r\n[Language]\r\nLanguage=English\r\n");
    test::WriteFile(dir_ / "temp/korinst.log", "previous run\r\n");
    TRunResult run = RunSetupExe("", Work(), Temp());
    EXPECT_EQ(run.ExitCode, 0u);
    EXPECT_TRUE(run.Boxes.empty());
    EXPECT_TRUE(std::regex_match(LogText(), std::regex("previous run\r\n" + kLine + "\r\n" + kLine + "\r\n" + kLine +
                                                       " Load IDF file setup.idf\r\n")))
        << LogText();
}

TEST_F(SetupExe, AQuotedContinuationPathWithBlanksArrivesWhole) {
    TRunResult run = RunSetupExe("\"C:\\No Such Dir\\temp.inf\"", Work(), Temp());
    EXPECT_EQ(run.ExitCode, 0u);
    ASSERT_EQ(run.Boxes.size(), 1u);
    EXPECT_EQ(run.Boxes[0].Text, "C:\\No Such Dir\\temp.inf не найден");
    EXPECT_NE(LogText().find("]: command line parameter : C:\\No Such Dir\\temp.inf\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kor
