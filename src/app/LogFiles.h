// The program's append-only log. Every line is opened, appended and closed on its own, so
// everything written so far is on disk whatever happens to the process; a file another
// writer holds is retried for about five seconds.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kor {

class TFile;

class TLogFile {
public:
    // The owner is kept for symmetry with components dropped on a form; it is not used.
    explicit TLogFile(void* owner = nullptr);
    virtual ~TLogFile() = default;

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name);   // a different name makes a header due
    const std::string& Header() const { return header_; }
    void SetHeader(const std::string& header);   // any assignment makes a header due

    bool FormatHeader = true;   // decorate the header line with a time stamp
    bool FormatString = true;   // prefix every line with a time stamp
    bool WriteHeader = true;    // write the header before the first line after a change
    bool HeaderPending() const { return headerPending_; }

    // "dd.mm.yyyy hh:mm:ss.ffff", local time.
    virtual std::string TimeStamp() const;
    virtual std::string HeaderLine() const;
    virtual std::string FormatLine(std::string_view text) const;
    // Opens the file at its end (creating it), writers denied; retries 50 times 100 ms apart.
    virtual TFile OpenStream() const;
    // Appends one line; does nothing while FileName is empty. Errors reach the caller.
    virtual void Write(std::string_view text);

private:
    std::string fileName_;
    std::string header_;
    bool headerPending_ = true;
};

// Formats a local date and time as the log does; hundredths of a microsecond are ignored.
struct TLocalTime {
    int Year, Month, Day, Hour, Minute, Second, Millisecond;
};
std::string FormatTimeStamp(const TLocalTime& time);
TLocalTime CurrentLocalTime();

// The program's single log (created by start-up). Null outside a run, e.g. in unit tests.
extern std::unique_ptr<TLogFile> AppLog;

// Writes one line to AppLog when there is one.
void Log(std::string_view text);

}  // namespace kor
