// Helpers shared by the unit tests.
#include "TestSupport.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "platform/FileIO.h"

namespace fs = std::filesystem;

namespace kor::test {

TScratchDir::TScratchDir() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path dir = fs::temp_directory_path() /
                   ("kortest-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(dir);
    path_ = dir.string();
}

TScratchDir::~TScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

// Names are joined as bytes (std::filesystem would reinterpret non-ASCII names on Windows).
std::string TScratchDir::operator/(const std::string& name) const {
    std::string joined = IncludeTrailingBackslash(path_) + name;
    for (char& c : joined)
        if (c == '/') c = PathDelimiter();
    return joined;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    TFile::OpenOrThrow(path, TOpenMode::Create).WriteAll(bytes);
}

std::string ReadFile(const std::string& path) {
    std::string contents;
    if (!ReadWholeFile(path, contents)) throw std::runtime_error("cannot read " + path);
    return contents;
}

TScriptedMessages::TScriptedMessages(std::vector<int> answers) : answers_(std::move(answers)) {
    previous_ = SetMessageRoute([this](const TMessageRequest& request) {
        Shown.push_back(request);
        if (answers_.empty()) return static_cast<int>(kIdOk);
        int answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    });
}

TScriptedMessages::~TScriptedMessages() { SetMessageRoute(previous_); }

}  // namespace kor::test
