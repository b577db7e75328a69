// Thin RAII access to the Windows registry.
#include "platform/Registry.h"

#include <shlwapi.h>

namespace kor {

TRegKey& TRegKey::operator=(TRegKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

bool TRegKey::Open(HKEY root, const std::string& path, REGSAM access) {
    Close();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, RegistryPath(path).c_str(), 0, access, &key) != ERROR_SUCCESS) return false;
    key_ = key;
    return true;
}

void TRegKey::Close() {
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

std::optional<std::string> TRegKey::ReadString(const std::string& name) const {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::string value(size, '\0');
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.resize(size);
    while (!value.empty() && value.back() == '\0') value.pop_back();
    return value;
}

std::string RegistryPath(const std::string& path) {
    return !path.empty() && path.front() == '\\' ? path.substr(1) : path;
}

bool RegistryKeyExists(HKEY root, const std::string& path) {
    TRegKey key;
    return key.Open(root, path);
}

bool DeleteRegistryTree(HKEY root, const std::string& path) {
    return SHDeleteKeyA(root, RegistryPath(path).c_str()) == ERROR_SUCCESS;
}

}  // namespace kor
