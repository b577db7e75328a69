// Registration of setupcheck's commands: each Check*.cpp adds its command words with a
// static TCommandRegistration, and main.cpp dispatches on the first argument.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace kor::check {

// args holds the words after the command word; the result is the process exit code.
using TCommand = std::function<int(const std::vector<std::string>& args, std::ostream& out)>;

struct TCommandRegistration {
    TCommandRegistration(std::string word, std::string usage, TCommand command);
};

}  // namespace kor::check
