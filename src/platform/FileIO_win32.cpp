// The Win32 side of the file layer (ANSI APIs: paths are bytes in the ANSI code page).
#include <windows.h>

#include "platform/Errors.h"
#include "platform/FileIO.h"

namespace kor {

TFile::TFile(TFile&& other) noexcept : handle_(other.handle_), errorText_(std::move(other.errorText_)) {
    other.handle_ = INVALID_HANDLE_VALUE;
}

TFile& TFile::operator=(TFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        errorText_ = std::move(other.errorText_);
        other.handle_ = INVALID_HANDLE_VALUE;
    }
    return *this;
}

bool TFile::Open(const std::string& path, TOpenMode mode) {
    Close();
    errorText_.clear();
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
    switch (mode) {
    case TOpenMode::Read: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    case TOpenMode::ReadDenyWrite: break;
    case TOpenMode::ReadWriteDenyWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    case TOpenMode::Create: access = GENERIC_READ | GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    }
    handle_ = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE && mode == TOpenMode::Create && GetLastError() == ERROR_ACCESS_DENIED) {
        // Windows refuses to replace a hidden or system file with a normal one; a file that
        // is being replaced anyway loses those attributes first (read-only still refuses).
        DWORD attributes = GetFileAttributesA(path.c_str());
        constexpr DWORD kBlocking = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            (attributes & kBlocking) && SetFileAttributesA(path.c_str(), attributes & ~kBlocking))
            handle_ = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle_ == INVALID_HANDLE_VALUE) {
        errorText_ = LastSystemErrorText();
        return false;
    }
    return true;
}

bool TFile::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

void TFile::Close() {
    if (handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
}

std::size_t TFile::Read(void* buffer, std::size_t count) {
    DWORD done = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) {
        errorText_ = LastSystemErrorText();
        return 0;
    }
    return done;
}

std::size_t TFile::Write(const void* buffer, std::size_t count) {
    DWORD done = 0;
    if (!WriteFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) {
        errorText_ = LastSystemErrorText();
        return done;
    }
    return done;
}

std::int64_t TFile::Seek(std::int64_t offset, TSeekOrigin origin) {
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    DWORD method = origin == TSeekOrigin::Begin ? FILE_BEGIN : origin == TSeekOrigin::Current ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(handle_, distance, &result, method)) {
        errorText_ = LastSystemErrorText();
        return -1;
    }
    return result.QuadPart;
}

std::int64_t TFile::Size() {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) {
        errorText_ = LastSystemErrorText();
        return -1;
    }
    return size.QuadPart;
}

std::int64_t TFile::TimeStamp() {
    FILETIME written;
    if (!GetFileTime(handle_, nullptr, nullptr, &written)) {
        errorText_ = LastSystemErrorText();
        return -1;
    }
    return (static_cast<std::int64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

bool TFile::SetDosDateTime(std::uint32_t dosDateTime) {
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16), static_cast<WORD>(dosDateTime), &local) ||
        !LocalFileTimeToFileTime(&local, &utc) || !SetFileTime(handle_, nullptr, nullptr, &utc)) {
        errorText_ = LastSystemErrorText();
        return false;
    }
    return true;
}

bool ForceDirectories(const std::string& dir) {
    std::string path = dir;
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    if (path.empty()) return false;
    if (DirectoryExists(path)) return true;
    std::string::size_type slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':') ForceDirectories(path.substr(0, slash));
    if (CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return DirectoryExists(path);
    return false;
}

bool RemoveFile(const std::string& path) {
    if (DeleteFileA(path.c_str())) return true;
    // A member stored read-only has already been given its attributes when its check fails.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileA(path.c_str()) != 0;
}

bool SetFileAttributesTo(const std::string& path, std::uint32_t attributes) {
    DWORD settable = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE);
    return SetFileAttributesA(path.c_str(), settable ? settable : FILE_ATTRIBUTE_NORMAL) != 0;
}

bool IsRemovableDrive(char letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    return GetDriveTypeA(root) == DRIVE_REMOVABLE;
}

std::string VolumeLabel(char letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    char label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0)) return {};
    return label;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace kor
