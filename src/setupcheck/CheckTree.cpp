// setupcheck's description commands:
//   tree FILE [OPS...]  loads the description as the installer does, applies the operations
//                       and prints the loader's messages and one line per node;
//   lint FILE           reports, one line per finding with the section's name, what would
//                       surprise a maker at install time.
// Both outputs are read by people and scripts: keep their wording and layout stable.
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "Commands.h"
#include "app/InstTool.h"
#include "archive/Archives.h"
#include "model/InstIDF.h"
#include "model/InstList.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"

namespace kor::check {
namespace {

// Sends every message box to a function for the command's lifetime.
class TMessageSink {
public:
    explicit TMessageSink(std::function<void(const std::string&)> sink)
        : previous_(SetMessageRoute([sink = std::move(sink)](const TMessageRequest& request) {
              sink(request.Text);
              return static_cast<int>(kIdOk);
          })) {}
    ~TMessageSink() { SetMessageRoute(std::move(previous_)); }
    TMessageSink(const TMessageSink&) = delete;
    TMessageSink& operator=(const TMessageSink&) = delete;

private:
    TMessageRoute previous_;
};

std::optional<std::int32_t> ToInt(std::string_view text) {
    try {
        return StrToInt(text);
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

std::string ErrorLine(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return std::string("error: ") + own->ClassName() + " : " + own->Message();
    return std::string("error: ") + error.what();
}

int Depth(const TSysNode& node) {
    int depth = 0;
    for (const TCustomSysNode* holder = node.Owner; holder && holder->AsNode(); holder = holder->Owner) ++depth;
    return depth;
}

// Applies one operation word; false (after a line saying why) when it cannot.
bool ApplyOperation(TSysTree& tree, const std::string& op, std::ostream& out) {
    const std::size_t colon = op.find(':');
    const std::string word = op.substr(0, colon);
    const std::string argument = colon == std::string::npos ? std::string() : op.substr(colon + 1);
    if (op == "markall") {
        MarkAll(tree);
    } else if (op == "unmarkall") {
        UnmarkAll(tree);
    } else if (op == "fill") {
        TRecordingTreeView view;
        if (!FillTreeView(tree, view)) out << "error: the view could not be filled\n";
    } else if ((word == "mark" || word == "unmark") && colon != std::string::npos) {
        std::optional<std::int32_t> number = ToInt(argument);
        TSysNode* node = number ? tree.FindByNumber(*number) : nullptr;
        if (!node) {
            out << "error: no subsystem " << argument << "\n";
            return false;
        }
        word == "mark" ? Mark(*node) : Unmark(*node);
    } else if (word == "notinstalled" && colon != std::string::npos) {
        std::vector<std::string> names;
        std::istringstream list(argument);
        for (std::string name; std::getline(list, name, ',');) names.push_back(name);
        UnmarkNotInstalled(tree, names);
    } else {
        out << "error: unknown operation " << op << "\n";
        return false;
    }
    return true;
}

int TreeCommand(const std::vector<std::string>& args, std::ostream& out) {
    if (args.empty()) {
        out << "usage: setupcheck tree FILE [OPS...]\n";
        return 2;
    }
    TIDFTextFile description;
    if (!description.LoadFromFile(args[0])) {
        out << "error: " << args[0] << " is not a description file\n";
        return 1;
    }
    TMessageSink messages([&out](const std::string& text) { out << "message: " << text << "\n"; });
    TSysTree tree;
    bool clean = false;
    try {
        clean = tree.LoadFromIDF(&description);
        for (std::size_t i = 1; clean && i < args.size(); ++i) clean = ApplyOperation(tree, args[i], out);
    } catch (const std::exception& error) {
        out << ErrorLine(error) << "\n";
        clean = false;
    }
    for (const TSysNode* node : tree.AllNodes()) {
        const TSubsystemInfo& info = node->Info;
        out << std::string(2 * static_cast<std::size_t>(Depth(*node)), ' ') << info.Number << ' ' << (info.Marked ? 1 : 0)
            << ' ' << (info.FullyMarked ? 1 : 0) << ' ' << info.ShortName << "\n";
    }
    return clean ? 0 : 1;
}

// --- lint ---

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// One "SubSystems" entry and what lint learns about it.
struct TLintEntry {
    std::string Name;
    std::string ValueText;
    std::optional<std::int32_t> Value;
    const TIDFSection* Section = nullptr;
    std::optional<std::int32_t> Parent;
    std::optional<std::int32_t> ViewParent;
    bool Dropped = false;      // left out of the load copy (bad or duplicate number)
    bool Explained = false;    // a finding already says why it never loads
    std::vector<std::string> Findings;
};

class TLinter {
public:
    TLinter(const std::string& fileName, const TIDFTextFile& description, const TIDFSection& subsystems)
        : fileName_(fileName), description_(description) {
        for (int i = 0; i < subsystems.ParamCount(); ++i) {
            const TIDFParam& param = *subsystems.GetParam(i);
            TLintEntry entry;
            entry.Name = param.Name;
            entry.ValueText = param.Value;
            entry.Value = ToInt(param.Value);
            entry.Section = description.SectionByName(param.Name);
            if (entry.Section) {
                const TIDFParam* parent = entry.Section->ParamByName("Parent");
                const TIDFParam* viewParent = entry.Section->ParamByName("ViewParent");
                entry.Parent = !parent || parent->Value.empty() ? 0 : ToInt(parent->Value);
                entry.ViewParent = !viewParent || viewParent->Value.empty() ? 0 : ToInt(viewParent->Value);
            }
            entries_.push_back(std::move(entry));
        }
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].Value) byNumber_.emplace(*entries_[i].Value, i);   // the first of a number
    }

    int Run(std::ostream& out) {
        CheckNumbers();
        CheckSections();
        CheckLoading();
        CheckViewParents();
        CheckShortNames();
        CheckArchives();
        int findings = 0;
        for (const TLintEntry& entry : entries_)
            for (const std::string& finding : entry.Findings) {
                out << entry.Name << ": " << finding << "\n";
                ++findings;
            }
        return findings == 0 ? 0 : 1;
    }

private:
    const TLintEntry* EntryOfNumber(std::int32_t number) const {
        auto found = byNumber_.find(number);
        return found == byNumber_.end() ? nullptr : &entries_[found->second];
    }

    void CheckNumbers() {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            TLintEntry& entry = entries_[i];
            if (!entry.Value) {
                entry.Findings.push_back("number \"" + entry.ValueText + "\" is not an integer: the installer stops");
                entry.Dropped = entry.Explained = true;
            } else if (const TLintEntry* first = EntryOfNumber(*entry.Value); first != &entry) {
                entry.Findings.push_back("number " + std::to_string(*entry.Value) + " is also the number of " + first->Name +
                                         ": the installer loads nothing");
                entry.Dropped = entry.Explained = true;
            }
        }
    }

    void CheckSections() {
        std::map<const TIDFSection*, const TLintEntry*> users;
        for (TLintEntry& entry : entries_) {
            if (!entry.Section) {
                entry.Findings.push_back("no section [" + entry.Name + "]: never loaded");
                entry.Explained = true;
                continue;
            }
            auto [user, first] = users.emplace(entry.Section, &entry);
            if (!first) entry.Findings.push_back("uses the same section [" + entry.Section->Name + "] as " + user->second->Name);
            if (!entry.Parent) {
                entry.Findings.push_back("\"Parent\" value \"" + entry.Section->ParamByName("Parent")->Value +
                                         "\" is not an integer: never loaded");
                entry.Explained = true;
            } else if (*entry.Parent != 0 && !EntryOfNumber(*entry.Parent)) {
                entry.Findings.push_back("\"Parent\" names " + std::to_string(*entry.Parent) +
                                         ", which is no subsystem: never loaded");
                entry.Explained = true;
            } else if (*entry.Parent == 0 && entry.Value == 0) {
                entry.Findings.push_back("number 0 without a \"Parent\": never loaded");
                entry.Explained = true;
            }
            if (!entry.ViewParent) {
                entry.Findings.push_back("\"ViewParent\" value \"" + entry.Section->ParamByName("ViewParent")->Value +
                                         "\" is not an integer: never loaded");
                entry.Explained = true;
            }
            CheckDepend(entry);
        }
    }

    void CheckDepend(TLintEntry& entry) {
        std::string_view depend = ReadStrParamView(*entry.Section, "Depend");
        if (depend.empty()) return;
        for (;;) {
            const std::size_t comma = depend.find(',');
            const std::string_view piece = TrimControl(depend.substr(0, comma));
            if (std::optional<std::int32_t> number = ToInt(piece); !number)
                entry.Findings.push_back("\"Depend\" item \"" + std::string(piece) + "\" is not an integer");
            else if (!EntryOfNumber(*number))
                entry.Findings.push_back("\"Depend\" names " + std::to_string(*number) + ", which is no subsystem");
            if (comma == std::string_view::npos) break;
            depend.remove_prefix(comma + 1);
        }
    }

    static std::string_view ReadStrParamView(const TIDFSection& section, std::string_view key) {
        const TIDFParam* param = section.ParamByName(key);
        return param ? std::string_view(param->Value) : std::string_view();
    }

    // Loads a copy without the entries the installer would stop at, and explains the entries
    // that are not in the tree and were not explained yet.
    void CheckLoading() {
        TIDFTextFile copy;
        if (!copy.LoadFromFile(fileName_)) return;
        TIDFSection* subsystems = copy.SectionByName("SubSystems");
        if (!subsystems) return;
        for (int i = static_cast<int>(entries_.size()) - 1; i >= 0; --i)
            if (entries_[static_cast<std::size_t>(i)].Dropped) subsystems->DeleteParam(i);
        TSysTree tree;
        {
            TMessageSink quiet([](const std::string&) {});
            tree.LoadFromIDF(&copy);
        }
        std::set<const TIDFSection*> loaded;
        for (const TSysNode* node : tree.AllNodes()) {
            loaded.insert(description_.SectionByName(node->Info.SectionName));
            if (node->Info.Number == 0 && node->Info.Parent != 0) ReportNumberZero(*node);
        }
        for (TLintEntry& entry : entries_) {
            if (entry.Explained || loaded.count(entry.Section)) continue;
            const TLintEntry* parent = *entry.Parent != 0 ? EntryOfNumber(*entry.Parent) : nullptr;
            if (parent && !loaded.count(parent->Section))
                entry.Findings.push_back("its parent " + parent->Name + " is never loaded: never loaded");
            else
                entry.Findings.push_back("never loaded: a bad \"Parent\" or \"ViewParent\" elsewhere ends its branch");
        }
        for (const TLintEntry& entry : entries_)
            if (loaded.count(entry.Section)) loadedNames_.insert(entry.Name);
    }

    void ReportNumberZero(const TSysNode& node) {
        for (TLintEntry& entry : entries_)
            if (entry.Section && entry.Section->Name == node.Info.SectionName) {
                entry.Findings.push_back(entry.Value == 0 ? std::string("number 0: loaded as a child without a number")
                                                          : "no entry is named exactly like its section [" +
                                                                node.Info.SectionName + "]: loaded with number 0");
                return;
            }
    }

    void CheckViewParents() {
        for (TLintEntry& entry : entries_) {
            if (!entry.Section || !entry.ViewParent || *entry.ViewParent <= 0) continue;
            if (!EntryOfNumber(*entry.ViewParent)) {
                entry.Findings.push_back("\"ViewParent\" names " + std::to_string(*entry.ViewParent) +
                                         ", which is no subsystem: never shown");
                continue;
            }
            // Follow the chain of view parents; a chain that comes back to this entry loops.
            std::string chain = entry.Value ? std::to_string(*entry.Value) : entry.ValueText;
            std::set<const TLintEntry*> seen{&entry};
            for (const TLintEntry* at = &entry; at->ViewParent && *at->ViewParent > 0;) {
                at = EntryOfNumber(*at->ViewParent);
                if (!at || !at->Section) break;
                chain += " -> " + std::to_string(*at->Value);
                if (at == &entry) {
                    entry.Findings.push_back("\"ViewParent\" loops (" + chain + "): never shown");
                    break;
                }
                if (!seen.insert(at).second) break;   // a loop further up, reported by its members
            }
        }
    }

    // Only subsystems that get an installed record count: grouping items (ViewOnly) get none,
    // and an entry sharing another's section is reported as such already.
    void CheckShortNames() {
        std::map<std::string, const TLintEntry*> first;
        std::set<const TIDFSection*> seen;
        for (TLintEntry& entry : entries_) {
            if (!entry.Section || !loadedNames_.count(entry.Name)) continue;
            if (!seen.insert(entry.Section).second) continue;
            if (UpperAscii(std::string(TrimControl(ReadStrParam(*entry.Section, "ViewOnly")))) == "TRUE") continue;
            const std::string name = ReadStrParam(*entry.Section, "Short name");
            auto [user, added] = first.emplace(UpperAscii(name), &entry);
            if (!added)
                entry.Findings.push_back("short name \"" + name + "\" is also the short name of " + user->second->Name +
                                         " (the installed records do not tell them apart)");
        }
    }

    void CheckArchives() {
        const std::string directory = DirectoryOf(fileName_);
        for (TLintEntry& entry : entries_) {
            if (!entry.Section) continue;
            // The names as the installer collects them.
            ForEachArchiveName(ReadStrParamView(*entry.Section, "Archive"), [&](std::string_view name) {
                if (name.empty())
                    entry.Findings.push_back("\"Archive\" holds an empty name");
                else if (!FileExists(directory + std::string(name)))
                    entry.Findings.push_back("archive \"" + std::string(name) + "\" is missing");
            });
        }
    }

    std::string fileName_;
    const TIDFTextFile& description_;
    std::vector<TLintEntry> entries_;
    std::unordered_map<std::int32_t, std::size_t> byNumber_;
    std::set<std::string> loadedNames_;
};

int LintCommand(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 1) {
        out << "usage: setupcheck lint FILE\n";
        return 2;
    }
    TIDFTextFile description;
    if (!description.LoadFromFile(args[0])) {
        out << args[0] << ": not a description file\n";
        return 1;
    }
    const TIDFSection* subsystems = description.SectionByName("SubSystems");
    if (!subsystems) {
        out << "SubSystems: no such section: the installer installs nothing\n";
        return 1;
    }
    return TLinter(args[0], description, *subsystems).Run(out);
}

const TCommandRegistration kTree("tree", "tree FILE [markall|unmarkall|fill|mark:N|unmark:N|notinstalled:NAME,...]...",
                                 TreeCommand);
const TCommandRegistration kLint("lint", "lint FILE", LintCommand);

}  // namespace
}  // namespace kor::check
