// The portable half of the file layer.
#include "platform/FileIO.h"

#include "platform/Errors.h"

namespace kor {

TFile TFile::OpenOrThrow(const std::string& path, TOpenMode mode) {
    TFile file;
    if (!file.Open(path, mode)) {
        if (mode == TOpenMode::Create)
            throw EFCreateError("Cannot create file \"" + path + "\". " + file.ErrorText());
        throw EFOpenError("Cannot open file \"" + path + "\". " + file.ErrorText());
    }
    return file;
}

void TFile::WriteAll(std::string_view bytes) {
    if (Write(bytes.data(), bytes.size()) != bytes.size()) throw EWriteError("Stream write error");
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    TFile file;
    if (!file.Open(path, TOpenMode::Read)) return false;
    std::int64_t size = file.Size();
    if (size < 0) return false;
    contents.clear();
    contents.reserve(static_cast<std::size_t>(size));
    char buffer[65536];
    for (;;) {
        std::size_t n = file.Read(buffer, sizeof buffer);
        if (n == 0) break;
        contents.append(buffer, n);
    }
    return file.ErrorText().empty();
}

std::string IncludeTrailingBackslash(const std::string& dir) {
    if (!dir.empty() && (dir.back() == PathDelimiter() || dir.back() == '\\')) return dir;
    return dir + PathDelimiter();
}

char PathDelimiter() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

}  // namespace kor
