// Member names: where a member may be written under the destination, mask matching for the
// selection, and the step from the reader's "\"-separated names to the system's paths.
#pragma once

#include <string>

namespace kor {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string AsciiLowerCase(std::string text);

// The directory part of a member without its root: a leading drive ("C:") and leading "\".
std::string StripRoot(const std::string& dirPart);
// False for a "\"-separated relative name that could land outside the directory it is put
// under or on a device: a ".." component (also with extra dots or blanks, which Windows
// drops), a ":" (a drive or a stream), a NUL byte, or a device name such as CON or LPT1.
bool IsSafeRelativeName(const std::string& name);
// Wildcard match of a name against a mask ("*" any run, "?" one character); "*.*" matches
// every name, as it does for the system's own file masks.
bool MatchesMask(const std::string& name, const std::string& mask);
// A "\"-separated path as the file layer takes it ("/"-separated on the POSIX side).
std::string SystemPath(std::string path);

}  // namespace kor
