// Bilingual messages and the language setting. Every plain message box of the program goes
// through ShowBilingualMessage or ShowPlainMessage, and from there through one replaceable
// route, so tests can answer any box and see its text and flags.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kor {

class TIDFTextFile;

// 0 Russian, 1 English; set once at start-up from the description.
extern std::uint8_t CurrentLanguage;
// The caption passed by the program's callers: nothing assigns it, so every box has an empty title.
extern std::string MessageCaption;

// Standard message-box flags and answers the program uses (values as in the Windows API).
enum : unsigned {
    kMbOk = 0x0, kMbYesNo = 0x4, kMbIconError = 0x10, kMbIconQuestion = 0x20, kMbIconExclamation = 0x30,
    kMbSystemModal = 0x1000, kMbTaskModal = 0x2000,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// What a message box shows: texts are UTF-8 (convert names from files with AnsiToUtf8).
struct TMessageRequest {
    std::string Text;
    std::string Caption;
    unsigned Flags = 0;
};
using TMessageRoute = std::function<int(const TMessageRequest&)>;

// Replaces the route and returns the previous one. The default shows a message box owned by
// the application window (Win32) or prints to standard error and answers IDOK (native).
TMessageRoute SetMessageRoute(TMessageRoute route);
// Shows a message through the current route without logging.
int RouteMessage(const TMessageRequest& request);

// Logs " " + English text, then shows the text of CurrentLanguage. Texts are UTF-8.
int ShowBilingualMessage(std::string_view russian, std::string_view english, std::string_view caption, unsigned flags);
// Logs " " + text, then shows it.
int ShowPlainMessage(std::string_view text, std::string_view caption, unsigned flags);

// 1 when section "Language" holds parameter "Language" whose value, upper-cased and trimmed,
// is "ENGLISH"; 0 otherwise, also on any error.
std::uint8_t ReadLanguage(const TIDFTextFile& description);

}  // namespace kor
