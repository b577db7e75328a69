// Start-up of setup.exe: the process-wide values, the command line and the start-up
// sequence that loads the description and hands over to the windows.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/InstIDF.h"

namespace kor {

// Process-wide values of a run.
extern std::string DescriptionFileName;   // "setup.idf", or the state file of a continuation
extern std::string LicenceFileName;       // "licence.txt"
extern std::string UninstInfName;         // "uninst.inf"
extern std::string TempDir;               // the Windows temporary directory; holds the log
extern std::string StartDir;              // the current directory at start
extern std::unique_ptr<TIDFTextFile> SetupDescription;
extern bool ContinueMode;                 // the command line carried a state file
extern bool UninstallRequested;           // the command line was UNINSTALL
extern bool RestartRequested;             // set by the engine: restart Windows at the end
extern std::string SystemName;            // "System name" of section "Params"

// The parts of the run that belong to later stages of the program. Each is optional: an
// empty one is skipped.
struct TStartupStages {
    // Removes the Startup-folder shortcut that started a continuation; errors are ignored.
    std::function<void()> RemoveContinuationShortcut;
    // Creates the backdrop and the wizard, runs the message loop, destroys the wizard.
    std::function<void()> RunWindows;
    // Restarts Windows (asked for by the engine through RestartRequested).
    std::function<void()> RestartWindows;
};

// Splits a Windows command line into parameters: blanks separate them, double quotes group
// and are dropped. The program name (the first parameter) is not included.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// Joins the parameters with one blank each, skipping the blank while the text so far is blank.
std::string JoinedCommandLine(const std::vector<std::string>& params);

// The Startup folder's own name (e.g. "Startup"): the last component of the "Common Startup"
// shell folder of the machine, or else of the user's "Startup" folder; empty when neither is set.
std::string StartupFolderName();

// Deletes HKEY_CURRENT_USER\SOFTWARE\VIZUVIROZIDO, the uninstaller's hand-over key.
void DeleteUninstallKey();

// The whole start-up sequence; returns the process exit code (always 0).
int RunSetup(const std::vector<std::string>& params, const TStartupStages& stages);

}  // namespace kor
