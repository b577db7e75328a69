// Text conversion at the edges. Inside the program, texts from files and the registry are
// bytes in the ANSI code page and are kept unchanged; the program's own message texts are
// UTF-8. Conversion happens only where text is shown (wide APIs) or where a file name is
// put into a message.
#pragma once

#include <string>
#include <string_view>

namespace kor {

// ANSI-code-page bytes to UTF-8 (identity on the native build, where names are UTF-8).
std::string AnsiToUtf8(std::string_view ansi);
// UTF-8 to ANSI-code-page bytes; characters the code page lacks become '?'.
std::string Utf8ToAnsi(std::string_view utf8);
// OEM-code-page bytes (names in ZIP archives) to ANSI-code-page bytes (identity natively).
std::string ConvertOemToAnsi(std::string_view oem);
#ifdef _WIN32
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
#endif

}  // namespace kor
