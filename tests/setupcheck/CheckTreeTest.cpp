// setupcheck tree and lint: their output is an interface, so the tests compare it whole.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "Commands.h"
#include "TestSupport.h"

namespace kor::check {

namespace {
std::map<std::string, TCommand>& Commands() {
    static std::map<std::string, TCommand> commands;
    return commands;
}
}  // namespace

// The tests stand in for main.cpp's dispatcher and keep what CheckTree.cpp registers.
TCommandRegistration::TCommandRegistration(std::string word, std::string, TCommand command) {
    Commands()[std::move(word)] = std::move(command);
}

namespace {

using kor::test::TScratchDir;
using kor::test::WriteFile;

struct TRun {
    int Code;
    std::string Output;
};

TRun RunCommand(const std::string& word, const std::vector<std::string>& args) {
    std::ostringstream out;
    const int code = Commands().at(word)(args, out);
    return {code, out.str()};
}

std::string Idf(const std::vector<std::string>& lines) {
    std::string text = "IDF-CPS-text\r\n\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

const std::vector<std::string> kProduct = {
    "[SubSystems]", "Base=1", "Docs=2", "Tools=3", "Group=10", "Extra=11",
    "[Base]", "Short name=Base",
    "[Docs]", "Short name=Docs", "Parent=1",
    "[Tools]", "Short name=Tools", "Depend=2",
    "[Group]", "Short name=Group", "ViewOnly=true",
    "[Extra]", "Short name=Extra", "ViewParent=10",
};

TEST(SetupCheckTree, PrintsTheNodesAfterTheOperations) {
    TScratchDir dir;
    const std::string file = dir / "setup.idf";
    WriteFile(file, Idf(kProduct));
    struct TCase {
        std::vector<std::string> Ops;
        int Code;
        const char* Output;
    };
    const std::vector<TCase> cases = {
        {{}, 0, "1 0 0 Base\n  2 0 0 Docs\n3 0 0 Tools\n10 0 0 Group\n11 0 0 Extra\n"},
        {{"markall", "unmark:2"}, 0, "1 1 0 Base\n  2 0 0 Docs\n3 0 0 Tools\n10 1 1 Group\n11 1 1 Extra\n"},
        {{"fill", "notinstalled:base,TOOLS,Docs"}, 0, "1 1 1 Base\n  2 1 1 Docs\n3 1 1 Tools\n10 0 0 Group\n11 0 0 Extra\n"},
        {{"mark:3"}, 0, "1 1 1 Base\n  2 1 1 Docs\n3 1 1 Tools\n10 0 0 Group\n11 0 0 Extra\n"},
        {{"markall", "unmarkall", "mark:11"}, 0, "1 0 0 Base\n  2 0 0 Docs\n3 0 0 Tools\n10 1 1 Group\n11 1 1 Extra\n"},
        {{"mark:99", "markall"}, 1, "error: no subsystem 99\n1 0 0 Base\n  2 0 0 Docs\n3 0 0 Tools\n10 0 0 Group\n11 0 0 Extra\n"},
        {{"paint"}, 1, "error: unknown operation paint\n1 0 0 Base\n  2 0 0 Docs\n3 0 0 Tools\n10 0 0 Group\n11 0 0 Extra\n"},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args{file};
        args.insert(args.end(), c.Ops.begin(), c.Ops.end());
        TRun run = RunCommand("tree", args);
        EXPECT_EQ(run.Output, c.Output) << c.Ops.size();
        EXPECT_EQ(run.Code, c.Code);
    }
}

TEST(SetupCheckTree, PrintsTheLoadersMessagesAndErrors) {
    TScratchDir dir;
    struct TCase {
        std::vector<std::string> Lines;
        std::vector<std::string> Ops;
        int Code;
        const char* Output;
    };
    const std::vector<TCase> cases = {
        {{"[SubSystems]", "A=1", "B=01"}, {}, 1, "message: Найдены системы с одинаковыми номерами\n"},
        {{"[SubSystems]", "A=1", "B=x"}, {}, 1, "error: EConvertError : 'x' is not a valid integer value\n"},
        {{"[SubSystems]", "A=1", "B=2", "[A]", "Short name=A", "[B]", "Short name=B", "Depend=x"}, {}, 0,
         "message: Invalid 'depend' string in setup.idf. Section - B\n1 0 0 A\n2 0 0 B\n"},
        {{"[SubSystems]", "A=1", "B=2", "[A]", "Short name=A", "[B]", "Short name=B", "Depend=1,"}, {"mark:2"}, 1,
         "error: EConvertError : '' is not a valid integer value\n1 1 1 A\n2 1 1 B\n"},
    };
    for (const TCase& c : cases) {
        const std::string file = dir / "setup.idf";
        WriteFile(file, Idf(c.Lines));
        std::vector<std::string> args{file};
        args.insert(args.end(), c.Ops.begin(), c.Ops.end());
        TRun run = RunCommand("tree", args);
        EXPECT_EQ(run.Output, c.Output);
        EXPECT_EQ(run.Code, c.Code);
    }
    WriteFile(dir / "bad.idf", "not a description");
    EXPECT_EQ(RunCommand("tree", {dir / "bad.idf"}).Output, "error: " + (dir / "bad.idf") + " is not a description file\n");
    EXPECT_EQ(RunCommand("tree", {}).Code, 2);
}

TEST(SetupCheckLint, ReportsWhatWouldSurpriseAMaker) {
    TScratchDir dir;
    WriteFile(dir / "base.zip", "");
    WriteFile(dir / "setup.idf", Idf({
        "[SubSystems]", "Base=1", "Docs=2", "Again=2", "Bad=x", "Lost=4", "Orphan=5", "Zero=0", "NoSection=6",
        "Loop1=7", "Loop2=8", "child=12", "Tools=13", "Dep=14", "Arch=15", "Shown=16", "Group=17",
        "Group2=18",
        "[Base]", "Short name=Base", "Archive=base.zip",
        "[Docs]", "Short name=Docs", "Parent=1",
        "[Again]", "Short name=Again",
        "[Bad]", "Short name=Bad",
        "[Lost]", "Short name=Lost", "Parent=9",
        "[Orphan]", "Short name=Orphan", "Parent=4",
        "[Zero]", "Short name=Zero",
        "[Loop1]", "Short name=Loop1", "ViewParent=8",
        "[Loop2]", "Short name=Loop2", "ViewParent=7",
        "[Child]", "Short name=Child", "Parent=1",
        "[Tools]", "Short name=DOCS",
        "[Dep]", "Short name=Dep", "Depend=1,x,99",
        "[Arch]", "Short name=Arch", "Archive=base.zip, missing.zip,,",
        "[Shown]", "Short name=Shown", "ViewParent=77",
        "[Group]", "Short name=Base", "ViewOnly=true",                 // no record: no collision
        "[Group2]", "Short name=Group2", "ViewOnly= True ",
    }));
    TRun run = RunCommand("lint", {dir / "setup.idf"});
    EXPECT_EQ(run.Output,
              "Again: number 2 is also the number of Docs: the installer loads nothing\n"
              "Bad: number \"x\" is not an integer: the installer stops\n"
              "Lost: \"Parent\" names 9, which is no subsystem: never loaded\n"
              "Orphan: its parent Lost is never loaded: never loaded\n"
              "Zero: number 0 without a \"Parent\": never loaded\n"
              "NoSection: no section [NoSection]: never loaded\n"
              "Loop1: \"ViewParent\" loops (7 -> 8 -> 7): never shown\n"
              "Loop2: \"ViewParent\" loops (8 -> 7 -> 8): never shown\n"
              "child: no entry is named exactly like its section [Child]: loaded with number 0\n"
              "Tools: short name \"DOCS\" is also the short name of Docs (the installed records do not tell them apart)\n"
              "Dep: \"Depend\" item \"x\" is not an integer\n"
              "Dep: \"Depend\" names 99, which is no subsystem\n"
              "Arch: archive \"missing.zip\" is missing\n"
              "Arch: \"Archive\" holds an empty name\n"
              "Shown: \"ViewParent\" names 77, which is no subsystem: never shown\n");
    EXPECT_EQ(run.Code, 1);
}

TEST(SetupCheckLint, CleanDescriptionsPassQuietly) {
    TScratchDir dir;
    WriteFile(dir / "base.zip", "");
    WriteFile(dir / "setup.idf", Idf({"[SubSystems]", "Base=1", "Docs=2", "[Base]", "Short name=Base",
                                      "Archive=base.zip,", "[Docs]", "Short name=Docs", "Parent=1", "Depend=1"}));
    TRun run = RunCommand("lint", {dir / "setup.idf"});
    EXPECT_EQ(run.Output, "");
    EXPECT_EQ(run.Code, 0);

    // A child entry of value 0 loads, but numbered 0 (two such entries would be duplicates).
    WriteFile(dir / "zero.idf", Idf({"[SubSystems]", "Base=1", "Nil=0", "[Base]", "Short name=Base", "[Nil]",
                                     "Short name=Nil", "Parent=1"}));
    EXPECT_EQ(RunCommand("lint", {dir / "zero.idf"}).Output, "Nil: number 0: loaded as a child without a number\n");

    WriteFile(dir / "empty.idf", Idf({"[Params]"}));
    EXPECT_EQ(RunCommand("lint", {dir / "empty.idf"}).Output, "SubSystems: no such section: the installer installs nothing\n");
}

}  // namespace
}  // namespace kor::check
