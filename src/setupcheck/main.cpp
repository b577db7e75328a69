// setupcheck: runs a registered command (see Commands.h) on a description or an archive.
#include <iostream>
#include <map>

#include "Commands.h"

namespace kor::check {
namespace {

struct TEntry {
    std::string Usage;
    TCommand Command;
};

std::map<std::string, TEntry>& Registry() {
    static std::map<std::string, TEntry> registry;
    return registry;
}

}  // namespace

TCommandRegistration::TCommandRegistration(std::string word, std::string usage, TCommand command) {
    Registry()[std::move(word)] = TEntry{std::move(usage), std::move(command)};
}

}  // namespace kor::check

int main(int argc, char** argv) {
    using namespace kor::check;
    if (argc >= 2) {
        auto it = Registry().find(argv[1]);
        if (it != Registry().end()) {
            std::vector<std::string> args(argv + 2, argv + argc);
            return it->second.Command(args, std::cout);
        }
    }
    std::cerr << "usage:\n";
    for (const auto& [word, entry] : Registry()) std::cerr << "  setupcheck " << entry.Usage << "\n";
    return 2;
}
