// The application window: the hidden top-level window that owns every window and message
// box of the program (Win32 only).
#pragma once

#include <windows.h>

namespace kor {

// The current application window, or null before start-up created it.
HWND ApplicationWindow();

// Creates the hidden application window for its lifetime and makes it ApplicationWindow().
class TApplicationWindow {
public:
    TApplicationWindow();
    ~TApplicationWindow();
    TApplicationWindow(const TApplicationWindow&) = delete;
    TApplicationWindow& operator=(const TApplicationWindow&) = delete;
    HWND Handle() const { return handle_; }

private:
    HWND handle_ = nullptr;
    HWND previous_ = nullptr;
};

}  // namespace kor
