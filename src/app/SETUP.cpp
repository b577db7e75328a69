// The start-up sequence of setup.exe.
#include "app/SETUP.h"

#include <windows.h>

#include "app/AppWindow.h"
#include "app/InstTool.h"
#include "app/LogFiles.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/Registry.h"
#include "platform/TextConv.h"

namespace kor {

std::string DescriptionFileName;
std::string LicenceFileName;
std::string UninstInfName;
std::string TempDir;
std::string StartDir;
std::unique_ptr<TIDFTextFile> SetupDescription;
bool ContinueMode = false;
bool UninstallRequested = false;
bool RestartRequested = false;
std::string SystemName;

namespace {

constexpr char kUninstallKey[] = "\\SOFTWARE\\VIZUVIROZIDO";

std::string SystemTempDir() {
    char buffer[261] = {};
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string CurrentDir() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

bool IsBlank(const std::string& text) { return TrimControl(text).empty(); }

void ReadCommandLine(const std::vector<std::string>& params, const TStartupStages& stages) {
    std::string joined = JoinedCommandLine(params);
    if (SameNameAsciiCase(joined, "UNINSTALL")) {
        UninstallRequested = true;
        return;
    }
    if (stages.RemoveContinuationShortcut) {
        try {
            stages.RemoveContinuationShortcut();
        } catch (...) {
            // A shortcut that cannot be removed must not stop the continuation.
        }
    }
    ContinueMode = true;
    DescriptionFileName = joined;
    Log(" command line parameter : " + joined);
}

// Steps 8 to 12; a missing or malformed description is reported and ends the run.
void LoadDescriptionAndRun(const TStartupStages& stages) {
    if (!FileExists(DescriptionFileName)) {
        std::string name = AnsiToUtf8(DescriptionFileName);
        ShowBilingualMessage(name + " не найден", name + " does not exist", MessageCaption, kMbTaskModal | kMbIconError);
        return;
    }
    SetupDescription = std::make_unique<TIDFTextFile>();
    if (!SetupDescription->LoadFromFile(DescriptionFileName)) {
        std::string name = AnsiToUtf8(DescriptionFileName);
        ShowBilingualMessage("неверный формат файла " + name, "Invalid file format " + name, MessageCaption,
                             kMbTaskModal | kMbIconError);
        SetupDescription.reset();
        return;
    }
    CurrentLanguage = ReadLanguage(*SetupDescription);
    if (const TIDFSection* params = SetupDescription->SectionByName("Params"))
        if (const TIDFParam* name = params->ParamByName("System name")) SystemName = name->AsString();

    if (stages.RunWindows) stages.RunWindows();
    if (RestartRequested && stages.RestartWindows) stages.RestartWindows();
    SetupDescription.reset();
}

void ResetProcessValues() {
    DescriptionFileName = "setup.idf";
    LicenceFileName = "licence.txt";
    UninstInfName = "uninst.inf";
    TempDir.clear();
    StartDir.clear();
    SetupDescription.reset();
    ContinueMode = false;
    UninstallRequested = false;
    RestartRequested = false;
    SystemName.clear();
    CurrentLanguage = 0;
}

void ShowLastResortError(const std::string& className, const std::string& message) {
    AppLog.reset();
    RouteMessage({className + AnsiToUtf8(message), "", kMbTaskModal});
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> params;
    std::size_t i = 0;
    bool first = true;
    while (true) {
        while (i < commandLine.size() && static_cast<unsigned char>(commandLine[i]) <= ' ') ++i;
        if (i >= commandLine.size()) break;
        std::string param;
        bool quoted = false;
        for (; i < commandLine.size(); ++i) {
            char c = commandLine[i];
            if (c == '"') {
                quoted = !quoted;
                continue;
            }
            if (!quoted && static_cast<unsigned char>(c) <= ' ') break;
            param += c;
        }
        if (!first) params.push_back(param);
        first = false;
    }
    return params;
}

std::string JoinedCommandLine(const std::vector<std::string>& params) {
    std::string joined;
    for (const std::string& param : params) {
        if (!IsBlank(joined)) joined += ' ';
        joined += param;
    }
    return joined;
}

std::string StartupFolderName() {
    constexpr char kShellFolders[] = "\\Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    std::optional<std::string> folder;
    TRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kShellFolders)) folder = key.ReadString("Common Startup");
    if (!folder && key.Open(HKEY_CURRENT_USER, kShellFolders)) folder = key.ReadString("Startup");
    if (!folder) return {};
    std::size_t slash = folder->rfind('\\');
    return slash == std::string::npos ? *folder : folder->substr(slash + 1);
}

void DeleteUninstallKey() {
    if (RegistryKeyExists(HKEY_CURRENT_USER, kUninstallKey)) DeleteRegistryTree(HKEY_CURRENT_USER, kUninstallKey);
}

int RunSetup(const std::vector<std::string>& params, const TStartupStages& stages) {
    ResetProcessValues();
    try {
        TApplicationWindow applicationWindow;
        try {
            TempDir = SystemTempDir();
            StartDir = CurrentDir();
            AppLog = std::make_unique<TLogFile>(nullptr);
            AppLog->SetFileName(IncludeTrailingBackslash(TempDir) + "korinst.log");
            AppLog->WriteHeader = false;
            Log("");
            Log("");
            DeleteUninstallKey();
            if (!params.empty()) ReadCommandLine(params, stages);
            LoadDescriptionAndRun(stages);
            AppLog.reset();
        } catch (const Exception& e) {
            ShowLastResortError(e.ClassName(), e.Message());
        } catch (const std::exception& e) {
            ShowLastResortError("Exception", e.what());
        }
    } catch (const Exception& e) {
        ShowLastResortError(e.ClassName(), e.Message());
    }
    SetupDescription.reset();
    return 0;
}

}  // namespace kor
