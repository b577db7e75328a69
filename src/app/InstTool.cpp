// Bilingual messages, the message route and the language setting.
#include "app/InstTool.h"

#include <iostream>

#include "app/LogFiles.h"
#include "model/InstIDF.h"
#include "platform/TextConv.h"

#ifdef _WIN32
#include <windows.h>
#include "app/AppWindow.h"
#endif

namespace kor {

std::uint8_t CurrentLanguage = 0;
std::string MessageCaption;

namespace {

int DefaultRoute(const TMessageRequest& request) {
#ifdef _WIN32
    return MessageBoxW(ApplicationWindow(), Utf8ToWide(request.Text).c_str(), Utf8ToWide(request.Caption).c_str(),
                       request.Flags);
#else
    std::cerr << request.Text << "\n";
    return kIdOk;
#endif
}

TMessageRoute& CurrentRoute() {
    static TMessageRoute route = DefaultRoute;
    return route;
}

}  // namespace

TMessageRoute SetMessageRoute(TMessageRoute route) {
    TMessageRoute previous = std::move(CurrentRoute());
    CurrentRoute() = route ? std::move(route) : TMessageRoute(DefaultRoute);
    return previous;
}

int RouteMessage(const TMessageRequest& request) { return CurrentRoute()(request); }

int ShowBilingualMessage(std::string_view russian, std::string_view english, std::string_view caption, unsigned flags) {
    Log(" " + Utf8ToAnsi(english));
    return RouteMessage({std::string(CurrentLanguage == 0 ? russian : english), std::string(caption), flags});
}

int ShowPlainMessage(std::string_view text, std::string_view caption, unsigned flags) {
    Log(" " + Utf8ToAnsi(text));
    return RouteMessage({std::string(text), std::string(caption), flags});
}

std::uint8_t ReadLanguage(const TIDFTextFile& description) {
    try {
        const TIDFSection* section = description.SectionByName("Language");
        if (!section) return 0;
        const TIDFParam* param = section->ParamByName("Language");
        if (!param) return 0;
        return TrimControl(UpperAscii(param->AsString())) == "ENGLISH" ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace kor
