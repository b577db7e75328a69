// The append-only log: one open-append-close per line, with a retry while another writer
// holds the file.
#include "app/LogFiles.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/Errors.h"
#include "platform/FileIO.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/time.h>
#include <ctime>
#endif

namespace kor {

std::unique_ptr<TLogFile> AppLog;

void Log(std::string_view text) {
    if (AppLog) AppLog->Write(text);
}

namespace {

constexpr int kOpenAttempts = 51;   // 50 pauses of 100 ms between them
constexpr auto kOpenPause = std::chrono::milliseconds(100);

std::string ZeroFill(long value, int width) {
    std::string text = std::to_string(value);
    while (static_cast<int>(text.size()) < width) text.insert(text.begin(), '0');
    return text;
}

}  // namespace

TLocalTime CurrentLocalTime() {
#ifdef _WIN32
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
#else
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm tm{};
    localtime_r(&tv.tv_sec, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
            static_cast<int>(tv.tv_usec / 1000)};
#endif
}

std::string FormatTimeStamp(const TLocalTime& time) {
    // The time of day in units of 1/10000 s, split into fields as the log format defines.
    long t = ((time.Hour * 60L + time.Minute) * 60L + time.Second) * 10000L + time.Millisecond * 10L;
    return ZeroFill(time.Day, 2) + "." + ZeroFill(time.Month, 2) + "." + ZeroFill(time.Year, 4) + " " +
           ZeroFill(t / 36000000, 2) + ":" + ZeroFill((t % 36000000) / 600000, 2) + ":" +
           ZeroFill((t % 600000) / 10000, 2) + "." + ZeroFill(t % 10000, 4);
}

TLogFile::TLogFile(void* /*owner*/) {}

void TLogFile::SetFileName(const std::string& name) {
    if (name != fileName_) headerPending_ = true;
    fileName_ = name;
}

void TLogFile::SetHeader(const std::string& header) {
    header_ = header;
    headerPending_ = true;
}

std::string TLogFile::TimeStamp() const { return FormatTimeStamp(CurrentLocalTime()); }

std::string TLogFile::HeaderLine() const {
    if (FormatHeader) return header_ + "-----------[" + TimeStamp() + "]";
    return header_;
}

std::string TLogFile::FormatLine(std::string_view text) const {
    if (FormatString) return "[" + TimeStamp() + "]:" + std::string(text);
    return std::string(text);
}

TFile TLogFile::OpenStream() const {
    std::string lastError;
    for (int failures = 0;;) {
        TFile file;
        bool exists = FileExists(fileName_);
        if (file.Open(fileName_, exists ? TOpenMode::ReadWriteDenyWrite : TOpenMode::Create) &&
            file.Seek(0, TSeekOrigin::End) >= 0)
            return file;
        lastError = file.ErrorText();
        if (++failures >= kOpenAttempts) break;
        std::this_thread::sleep_for(kOpenPause);
    }
    throw EFOpenError("Cannot open file \"" + fileName_ + "\". " + lastError);
}

void TLogFile::Write(std::string_view text) {
    if (fileName_.empty()) return;
    TFile file = OpenStream();
    std::string bytes;
    if (headerPending_ && WriteHeader) bytes = HeaderLine() + "\r\n";
    bytes += FormatLine(text) + "\r\n";
    file.WriteAll(bytes);
    headerPending_ = false;
}

}  // namespace kor
