// Member names and their place under the destination directory.
#include "archive/ZipNames.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "model/InstIDF.h"

namespace kor {

std::string AsciiLowerCase(std::string text) {
    for (char& c : text) c = AsciiLower(c);
    return text;
}

std::string StripRoot(const std::string& dirPart) {
    std::string::size_type start = 0;
    if (dirPart.size() >= 2 && dirPart[0] != '\\' && dirPart[1] == ':') start = 2;
    while (start < dirPart.size() && dirPart[start] == '\\') ++start;
    return dirPart.substr(start);
}

namespace {

bool IsDeviceName(std::string_view component) {
    std::string base = UpperAscii(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const std::array<std::string_view, 6> kNames = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::find(kNames.begin(), kNames.end(), base) != kNames.end()) return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' && base[3] <= '9';
}

bool IsSafeComponent(std::string_view component) {
    if (component.find_first_of(std::string_view(":\0", 2)) != std::string_view::npos) return false;
    bool onlyDotsAndBlanks = component.find_first_not_of(". ") == std::string_view::npos;
    if (onlyDotsAndBlanks && std::count(component.begin(), component.end(), '.') >= 2) return false;
    return !IsDeviceName(component);
}

}  // namespace

bool IsSafeRelativeName(const std::string& name) {
    std::string_view rest(name);
    for (;;) {
        std::string_view::size_type slash = rest.find('\\');
        if (!IsSafeComponent(rest.substr(0, slash))) return false;
        if (slash == std::string_view::npos) return true;
        rest.remove_prefix(slash + 1);
    }
}

bool MatchesMask(const std::string& name, const std::string& mask) {
    if (mask == "*.*") return true;
    // Iterative wildcard match with one backtracking point for the last "*".
    std::size_t n = 0, m = 0, starMask = std::string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

std::string SystemPath(std::string path) {
#ifndef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return path;
}

}  // namespace kor
