// Helpers shared by the unit tests.
#include "TestSupport.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

std::string TScratchDir::operator/(const std::string& name) const { return (fs::path(path_) / name).string(); }

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot create " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
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
