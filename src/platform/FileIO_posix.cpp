// The POSIX side of the file layer. "Deny write" is emulated with an exclusive advisory
// lock, which is what the log's retry logic needs to see on a native build.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/time.h>

#include <cerrno>
#include <ctime>

#include "platform/Errors.h"
#include "platform/FileIO.h"

namespace kor {

TFile::TFile(TFile&& other) noexcept : fd_(other.fd_), errorText_(std::move(other.errorText_)) { other.fd_ = -1; }

TFile& TFile::operator=(TFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        errorText_ = std::move(other.errorText_);
        other.fd_ = -1;
    }
    return *this;
}

bool TFile::Open(const std::string& path, TOpenMode mode) {
    Close();
    errorText_.clear();
    int flags = O_RDONLY;
    bool lock = false;
    switch (mode) {
    case TOpenMode::Read: break;
    case TOpenMode::ReadDenyWrite: break;
    case TOpenMode::ReadWriteDenyWrite: flags = O_RDWR; lock = true; break;
    case TOpenMode::Create: flags = O_RDWR | O_CREAT | O_TRUNC; lock = true; break;
    }
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        errorText_ = LastSystemErrorText();
        return false;
    }
    struct stat st {};
    if (mode != TOpenMode::Create && fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        errorText_ = LastSystemErrorText();
        Close();
        return false;
    }
    if (lock && flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        errorText_ = LastSystemErrorText();
        Close();
        return false;
    }
    return true;
}

bool TFile::IsOpen() const { return fd_ >= 0; }

void TFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::size_t TFile::Read(void* buffer, std::size_t count) {
    for (;;) {
        ssize_t n = ::read(fd_, buffer, count);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        errorText_ = LastSystemErrorText();
        return 0;
    }
}

std::size_t TFile::Write(const void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            errorText_ = LastSystemErrorText();
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::int64_t TFile::Seek(std::int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::Begin ? SEEK_SET : origin == TSeekOrigin::Current ? SEEK_CUR : SEEK_END;
    off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (result < 0) errorText_ = LastSystemErrorText();
    return result;
}

std::int64_t TFile::Size() {
    struct stat st {};
    if (fstat(fd_, &st) != 0) {
        errorText_ = LastSystemErrorText();
        return -1;
    }
    return st.st_size;
}

std::int64_t TFile::TimeStamp() {
    struct stat st {};
    if (fstat(fd_, &st) != 0) {
        errorText_ = LastSystemErrorText();
        return -1;
    }
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool TFile::SetDosDateTime(std::uint32_t dosDateTime) {
    std::tm local{};
    local.tm_year = static_cast<int>((dosDateTime >> 25) & 0x7F) + 80;
    local.tm_mon = static_cast<int>((dosDateTime >> 21) & 0x0F) - 1;
    local.tm_mday = static_cast<int>((dosDateTime >> 16) & 0x1F);
    local.tm_hour = static_cast<int>((dosDateTime >> 11) & 0x1F);
    local.tm_min = static_cast<int>((dosDateTime >> 5) & 0x3F);
    local.tm_sec = static_cast<int>(dosDateTime & 0x1F) * 2;
    local.tm_isdst = -1;
    std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1)) return false;
    struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
    if (futimens(fd_, times) != 0) {
        errorText_ = LastSystemErrorText();
        return false;
    }
    return true;
}

bool ForceDirectories(const std::string& dir) {
    if (dir.empty()) return false;
    if (DirectoryExists(dir)) return true;
    std::string::size_type slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0) ForceDirectories(dir.substr(0, slash));
    if (::mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST) return DirectoryExists(dir);
    return false;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool SetFileAttributesTo(const std::string& path, std::uint32_t attributes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & 1) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
    return ::chmod(path.c_str(), mode) == 0;
}

bool IsRemovableDrive(char) { return false; }

std::string VolumeLabel(char) { return {}; }

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace kor
