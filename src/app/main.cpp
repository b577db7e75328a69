// Entry point of setup.exe.
#include <windows.h>

#include "app/SETUP.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    kor::TStartupStages stages;   // the windows, the shortcut removal and the restart join as they are built
    return kor::RunSetup(kor::SplitCommandLine(GetCommandLineA()), stages);
}
