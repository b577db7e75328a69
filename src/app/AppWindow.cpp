// The hidden application window.
#include "app/AppWindow.h"

#include "platform/Errors.h"

namespace kor {

namespace {

HWND gApplicationWindow = nullptr;
constexpr wchar_t kClassName[] = L"TKorApplication";

void RegisterWindowClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);   // fails harmlessly when already registered
}

}  // namespace

HWND ApplicationWindow() { return gApplicationWindow; }

TApplicationWindow::TApplicationWindow() : previous_(gApplicationWindow) {
    RegisterWindowClass();
    handle_ = CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    if (!handle_) throw EOSError("Cannot create the application window: " + LastSystemErrorText());
    gApplicationWindow = handle_;
}

TApplicationWindow::~TApplicationWindow() {
    gApplicationWindow = previous_;
    DestroyWindow(handle_);
}

}  // namespace kor
