// Thin RAII access to the Windows registry (ANSI: names and values are bytes as stored).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kor {

// An open registry key, closed by the destructor.
class TRegKey {
public:
    TRegKey() = default;
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;
    TRegKey(TRegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    TRegKey& operator=(TRegKey&& other) noexcept;
    ~TRegKey() { Close(); }

    // Opens root\path for reading (a leading backslash in path is ignored).
    bool Open(HKEY root, const std::string& path, REGSAM access = KEY_READ);
    bool IsOpen() const { return key_ != nullptr; }
    void Close();
    HKEY Get() const { return key_; }

    // A string value, or nothing when it is missing or not a string.
    std::optional<std::string> ReadString(const std::string& name) const;

private:
    HKEY key_ = nullptr;
};

// Registry paths are written with a leading backslash by convention; the API wants none.
std::string RegistryPath(const std::string& path);
bool RegistryKeyExists(HKEY root, const std::string& path);
// Deletes the key with all its subkeys; false when it could not.
bool DeleteRegistryTree(HKEY root, const std::string& path);

}  // namespace kor
