// Tests of the log: time stamp format, line and header layout, append-only writing, and the
// retry while another writer holds the file.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "TestSupport.h"
#include "app/LogFiles.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"

namespace kor {
namespace {

const std::string kStamp = R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{4})";

TEST(LogTimeStamp, PadsEveryField) {
    struct { TLocalTime time; const char* text; } cases[] = {
        {{2001, 3, 5, 14, 7, 9, 123}, "05.03.2001 14:07:09.1230"},
        {{99, 1, 1, 0, 0, 0, 0}, "01.01.0099 00:00:00.0000"},
        {{2026, 12, 31, 23, 59, 59, 999}, "31.12.2026 23:59:59.9990"},
        {{12345, 10, 10, 10, 10, 10, 10}, "10.10.12345 10:10:10.0100"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTimeStamp(c.time), c.text);
    EXPECT_TRUE(std::regex_match(TLogFile().TimeStamp(), std::regex(kStamp)));
}

TEST(LogWrite, AppendsStampedLinesAndNeverTruncates) {
    test::TScratchDir dir;
    std::string path = dir / "korinst.log";
    test::WriteFile(path, "earlier run\r\n");
    TLogFile log;
    log.WriteHeader = false;
    log.SetFileName(path);
    log.Write("");
    log.Write(" IN procedure INSTALL");
    EXPECT_TRUE(std::regex_match(test::ReadFile(path),
                                 std::regex("earlier run\r\n\\[" + kStamp + "\\]:\r\n\\[" + kStamp +
                                            "\\]: IN procedure INSTALL\r\n")));
    log.FormatString = false;
    log.Write("plain");
    EXPECT_TRUE(test::ReadFile(path).ends_with("INSTALL\r\nplain\r\n"));
}

TEST(LogWrite, WithoutFileNameDoesNothing) {
    TLogFile log;
    EXPECT_NO_THROW(log.Write("nowhere"));
    AppLog.reset();
    EXPECT_NO_THROW(Log("nowhere either"));
}

TEST(LogWrite, CreatesAMissingFileAndReportsAnUnwritableOne) {
    test::TScratchDir dir;
    TLogFile log;
    log.WriteHeader = false;
    log.FormatString = false;
    log.SetFileName(dir / "new.log");
    log.Write("x");
    EXPECT_EQ(test::ReadFile(dir / "new.log"), "x\r\n");
    log.SetFileName(dir / "missing-dir/new.log");
    EXPECT_THROW(log.Write("x"), EFOpenError);
}

TEST(LogHeader, IsWrittenOnceAfterEachChange) {
    test::TScratchDir dir;
    std::string path = dir / "h.log";
    TLogFile log;
    log.FormatString = false;
    log.SetFileName(path);
    log.Write("a");                      // pending since construction: empty header, stamped
    log.SetFileName(path);               // the same name: nothing due
    log.Write("b");
    log.SetHeader("H");
    log.Write("c");
    log.FormatHeader = false;
    log.SetHeader("H");                  // the same text again still makes it due
    log.Write("d");
    log.SetFileName(dir / "other.log");
    log.SetFileName(path);               // a different name in between: due again
    log.WriteHeader = false;
    log.Write("e");
    EXPECT_TRUE(std::regex_match(test::ReadFile(path),
                                 std::regex("-----------\\[" + kStamp + "\\]\r\na\r\nb\r\nH-----------\\[" + kStamp +
                                            "\\]\r\nc\r\nH\r\nd\r\ne\r\n")));
    EXPECT_TRUE(log.HeaderPending() == false);
}

// Holds the log open for writing, as another writer would, for the given time.
class THolder {
public:
    THolder(const std::string& path, std::chrono::milliseconds hold) {
        file_ = TFile::OpenOrThrow(path, TOpenMode::ReadWriteDenyWrite);
        thread_ = std::thread([this, hold] {
            std::this_thread::sleep_for(hold);
            file_.Close();
        });
    }
    ~THolder() { thread_.join(); }

private:
    TFile file_;
    std::thread thread_;
};

TEST(LogRetry, WaitsForAWriterThatLetsGoAndGivesUpOnOneThatDoesNot) {
    test::TScratchDir dir;
    std::string path = dir / "busy.log";
    test::WriteFile(path, "");
    TLogFile log;
    log.WriteHeader = false;
    log.FormatString = false;
    log.SetFileName(path);
    using Clock = std::chrono::steady_clock;
    {
        THolder holder(path, std::chrono::milliseconds(1000));
        auto start = Clock::now();
        EXPECT_NO_THROW(log.Write("after the other writer"));
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(700));
    }
    EXPECT_EQ(test::ReadFile(path), "after the other writer\r\n");
    {
        THolder holder(path, std::chrono::milliseconds(9000));
        auto start = Clock::now();
        EXPECT_THROW(log.Write("lost"), EFOpenError);
        auto waited = Clock::now() - start;
        // 50 pauses of 100 ms: it gave up on its own, well before the holder let go.
        EXPECT_GE(waited, std::chrono::milliseconds(4500));
        EXPECT_LT(waited, std::chrono::milliseconds(8500));
    }
    EXPECT_EQ(test::ReadFile(path), "after the other writer\r\n");
}

}  // namespace
}  // namespace kor
