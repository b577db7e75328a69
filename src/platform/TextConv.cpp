// Code-page conversions (Win32: MultiByteToWideChar/WideCharToMultiByte).
#include "platform/TextConv.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kor {

#ifdef _WIN32
namespace {

std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string FromWide(std::wstring_view wide, UINT codePage) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
    return text;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) { return FromWide(ToWide(ansi, CP_ACP), CP_UTF8); }
std::string Utf8ToAnsi(std::string_view utf8) { return FromWide(ToWide(utf8, CP_UTF8), CP_ACP); }
std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(utf8, CP_UTF8); }
std::string ConvertOemToAnsi(std::string_view oem) { return FromWide(ToWide(oem, CP_OEMCP), CP_ACP); }
std::string WideToUtf8(std::wstring_view wide) { return FromWide(wide, CP_UTF8); }
#else
std::string AnsiToUtf8(std::string_view ansi) { return std::string(ansi); }
std::string Utf8ToAnsi(std::string_view utf8) { return std::string(utf8); }
std::string ConvertOemToAnsi(std::string_view oem) { return std::string(oem); }
#endif

}  // namespace kor
