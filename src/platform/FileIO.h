// A small file layer with a Win32 and a POSIX side, so the portable core (log, description
// reader, ZIP reader) builds both into setup.exe and natively. Paths are byte strings in the
// system's ANSI code page, passed to the system unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kor {

enum class TOpenMode {
    Read,                 // read only; others may read and write
    ReadDenyWrite,        // read only; others may read but not write
    ReadWriteDenyWrite,   // existing file, read and write; others may read but not write
    Create,               // create or truncate, write; others may read but not write
};

enum class TSeekOrigin { Begin, Current, End };

// An open file. Owns its handle; closing happens in the destructor or in Close.
class TFile {
public:
    TFile() = default;
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    TFile(TFile&& other) noexcept;
    TFile& operator=(TFile&& other) noexcept;
    ~TFile() { Close(); }

    // Opens the file; false (with the system's error text in ErrorText) when it cannot.
    bool Open(const std::string& path, TOpenMode mode);
    // Opens or throws EFOpenError / EFCreateError naming the file.
    static TFile OpenOrThrow(const std::string& path, TOpenMode mode);

    bool IsOpen() const;
    void Close();

    // Bytes actually read; 0 at the end of the file or on an error.
    std::size_t Read(void* buffer, std::size_t count);
    // Bytes actually written.
    std::size_t Write(const void* buffer, std::size_t count);
    // Writes everything or throws EWriteError.
    void WriteAll(std::string_view bytes);
    // New position, or -1 when the seek failed.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin);
    std::int64_t Size();
    // Last-write time of the open file in the system's own units; only compared for equality.
    std::int64_t TimeStamp();
    // Sets the last-write time from an MS-DOS date (high word) and time (low word) taken as
    // local time. Needs a file opened for writing; false when the system refuses.
    bool SetDosDateTime(std::uint32_t dosDateTime);

    const std::string& ErrorText() const { return errorText_; }

private:
#ifdef _WIN32
    void* handle_ = reinterpret_cast<void*>(-1);   // INVALID_HANDLE_VALUE
#else
    int fd_ = -1;
#endif
    std::string errorText_;
};

// True for an existing file that is not a directory.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the directory with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& dir);
// Deletes a file, also one marked read-only; false when it cannot.
bool RemoveFile(const std::string& path);
// Gives a file the stored attributes (read-only, hidden, system, archive; other bits are not
// file attributes and are ignored). The POSIX side honours only read-only. False on failure.
bool SetFileAttributesTo(const std::string& path, std::uint32_t attributes);
// True when the drive of this letter is a removable drive (never on the POSIX side).
bool IsRemovableDrive(char letter);
// The volume label of the drive of this letter; empty when there is none or it is unknown.
std::string VolumeLabel(char letter);
// Whole contents of a file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& contents);
// Directory with a trailing path delimiter.
std::string IncludeTrailingBackslash(const std::string& dir);
// The platform's path delimiter: '\\' on Windows, '/' natively.
char PathDelimiter();

}  // namespace kor
