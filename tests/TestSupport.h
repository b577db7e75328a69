// Helpers shared by the unit tests: scratch directories, file contents, and a scripted
// message answerer that records every message box the code under test shows.
#pragma once

#include <string>
#include <vector>

#include "app/InstTool.h"

namespace kor::test {

// A fresh directory removed with everything in it when the object goes away.
class TScratchDir {
public:
    TScratchDir();
    ~TScratchDir();
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    // Path of a name inside the directory.
    std::string operator/(const std::string& name) const;

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// Installs itself as the message route for its lifetime; answers with the queued answers
// (IDOK once they run out) and records what was shown.
class TScriptedMessages {
public:
    explicit TScriptedMessages(std::vector<int> answers = {});
    ~TScriptedMessages();
    std::vector<TMessageRequest> Shown;

private:
    std::vector<int> answers_;
    TMessageRoute previous_;
};

}  // namespace kor::test
