// Work trees: copying and shaping, collecting, and the wizard's recipes on real descriptions.
#include <gtest/gtest.h>

#include <set>

#include "ModelFixtures.h"
#include "TestSupport.h"
#include "platform/Errors.h"

namespace kor::test {
namespace {

// Marks exactly the named nodes (no rules), and recomputes FullyMarked.
void MarkOnly(TSysTree& tree, const std::set<std::string>& names) {
    for (TSysNode* node : tree.AllNodes()) node->Info.Marked = names.count(node->Info.ShortName) > 0;
    UpdateFullyMarked(tree);
}

const std::vector<TSub> kFamily = {{"A", "1", {}},
                                   {"B", "2", {"Parent=1"}},
                                   {"B1", "21", {"Parent=2"}},
                                   {"C", "3", {"Parent=1"}},
                                   {"C1", "31", {"Parent=3"}},
                                   {"D", "4", {"Parent=1", "ViewOnly=true"}},
                                   {"E", "5", {"Parent=4"}}};

TEST(WorkTrees, CopyMarkedLeavesOutUnmarkedAndViewOnlySubtrees) {
    auto loaded = Load(DescriptionText(kFamily));
    MarkOnly(loaded->Tree, {"A", "B", "B1", "D", "E"});
    loaded->Node("B").Info.SavedMark = true;
    TSysTree target;
    target.AddChild(std::make_unique<TSysNode>());
    CopyMarked(target, loaded->Tree);
    EXPECT_EQ(Shape(target), "A(B(B1))");
    EXPECT_EQ(AllNodeNames(target), "A B B1");
    EXPECT_EQ(FullyMarkedNames(target), "A B B1");
    EXPECT_FALSE(target.FindByNumber(2)->Info.SavedMark);
    EXPECT_EQ(target.FindByNumber(2)->Info.SectionName, "B");
}

TEST(WorkTrees, CopyUnmarkedLiftsTopmostUnmarkedSubtrees) {
    auto loaded = Load(DescriptionText(kFamily));
    MarkOnly(loaded->Tree, {"A", "B1", "C", "D", "E"});
    TSysTree target;
    CopyUnmarked(loaded->Tree, target);
    EXPECT_EQ(Shape(target), "-B(B1) -C1");
}

TEST(WorkTrees, CopyWithAncestorsCopiesOneChain) {
    auto loaded = Load(DescriptionText(kFamily));
    TSysTree target;
    TSysNode* copy = CopyWithAncestors(loaded->Node("B"), target);
    EXPECT_EQ(copy, target.FindByNumber(2));
    EXPECT_EQ(Shape(target), "A(B(B1))");
    EXPECT_EQ(AllNodeNames(target), "A B B1");
}

TEST(WorkTrees, MergeIntoMatchesByNumberAlongThePath) {
    auto loaded = Load(DescriptionText(kFamily));
    TSysTree target;
    MarkAll(loaded->Tree);
    CopyWithAncestors(loaded->Node("B"), target);
    TSysTree source;
    CopyWithAncestors(loaded->Node("C1"), source);
    source.GetChild(0)->Info.Marked = false;                   // A
    source.GetChild(0)->GetChild(0)->Info.Marked = false;      // C
    MergeInto(source, &target);
    EXPECT_EQ(Shape(target), "-A(B(B1),-C(C1))");
    EXPECT_EQ(AllNodeNames(target), "A B B1 C C1");
    MergeInto(source, nullptr);
}

TEST(WorkTrees, MarkCommonPruneAndRemove) {
    auto loaded = Load(DescriptionText(kFamily));
    MarkAll(loaded->Tree);
    TSysTree tree;
    CopyMarked(tree, loaded->Tree);   // A(B(B1),C(C1),...) without the ViewOnly D
    TSysTree other;
    CopyWithAncestors(loaded->Node("B1"), other);
    EXPECT_FALSE(MarkCommon(tree, nullptr));
    EXPECT_TRUE(MarkCommon(tree, &other));
    EXPECT_EQ(Shape(tree), "A(B(B1),-C(-C1))");
    EXPECT_EQ(FullyMarkedNames(tree), "B B1");

    TSysTree pruned;
    CopyMarked(pruned, loaded->Tree);
    MarkCommon(pruned, &other);
    PruneFullyMarked(pruned);
    EXPECT_EQ(Shape(pruned), "A(-C(-C1))");

    loaded->Node("C1").Info.Marked = false;
    TSysTree top;
    CopyUnmarked(loaded->Tree, top);
    CopyMarked(*top.AddChild(std::make_unique<TSysNode>()), loaded->Tree);   // a marked holder with A below
    top.GetChild(1)->Info.ShortName = "H";
    EXPECT_EQ(Shape(top), "-C1 H(A(B(B1),C))");
    top.GetChild(1)->GetChild(0)->GetChild(0)->Info.Marked = false;   // B
    RemoveUnmarked(top, false);
    EXPECT_EQ(Shape(top), "H(A(-B(B1),C))");
    RemoveUnmarked(top, true);
    EXPECT_EQ(Shape(top), "H(A(C))");
    EXPECT_EQ(AllNodeNames(top), "H A C");
}

TEST(WorkTrees, PruneDependenciesKeepsNumbersOfTheTree) {
    TScriptedMessages messages;
    auto loaded = Load(DescriptionText({{"P", "1", {"Depend= 3, 7 ,5"}}, {"Q", "3", {}}, {"R", "5", {"Depend=1"}},
                                        {"S", "7", {"Depend=1"}}}));
    MarkOnly(loaded->Tree, {"P", "Q", "R"});
    TSysTree tree;
    CopyMarked(tree, loaded->Tree);
    PruneDependencies(tree);
    EXPECT_EQ(tree.FindByNumber(1)->Info.Depend, "3,5");
    EXPECT_EQ(tree.FindByNumber(1)->Info.Dependents, "5");
    EXPECT_EQ(tree.FindByNumber(3)->Info.Depend, "");

    tree.FindByNumber(3)->Info.Depend = "1,x";
    EXPECT_THROW(PruneDependencies(tree), EConvertError);
}

TEST(WorkTrees, CollectorsTakeTheUnmarkedNodesInTreeOrder) {
    auto loaded = Load(DescriptionText({
        {"A", "1", {"MenuLink1=a.exe|App", "DesktopLink2=a.exe|App", "CheckFile1=x.dll", "ReqFile1= r.cfg "}},
        {"B", "2", {"Parent=1", "MenuLink1=b.exe", "CheckFile1=y.dll,,x.dll", "ReqFile1=,"}},
        {"C", "3", {"MenuLink1=c.exe", "DesktopLink1=c.exe"}},
        {"D", "4", {}},
    }));
    MarkOnly(loaded->Tree, {"C"});
    std::vector<std::string> names, menu, desktop, checks, reqs;
    ListUnmarkedNames(loaded->Tree, names);
    CollectLinks(loaded->Tree, menu, lkMenu);
    CollectLinks(loaded->Tree, desktop, lkDesktop);
    CollectCheckFiles(loaded->Tree, checks);
    CollectReqFiles(loaded->Tree, reqs);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "D"}));
    EXPECT_EQ(menu, (std::vector<std::string>{"a.exe|App", "b.exe"}));
    EXPECT_EQ(desktop, (std::vector<std::string>{"a.exe|App"}));   // nothing for nodes without links
    EXPECT_EQ(checks, (std::vector<std::string>{"x.dll", "y.dll", "x.dll"}));
    EXPECT_EQ(reqs, (std::vector<std::string>{"r.cfg"}));

    SaveMarks(loaded->Tree);
    EXPECT_TRUE(loaded->Node("C").Info.SavedMark);
    EXPECT_FALSE(loaded->Node("A").Info.SavedMark);
}

TEST(WorkTrees, ListItemReadsOneItem) {
    struct TCase {
        const char* List;
        int K;
        std::int32_t Item;
    };
    const std::vector<TCase> cases = {
        {"3,5", 1, 3},  {"3,5", 2, 5},  {"3,5", 3, -1}, {"3,", 2, -1}, {" 4,x", 1, 4},
        {" 4,x", 2, -1}, {"4 ,5", 1, -1}, {"", 1, -1},   {"3,5", 0, -1},
    };
    for (const TCase& c : cases) EXPECT_EQ(ListItem(c.List, c.K), c.Item) << c.List << " " << c.K;
}

// The thread's follow-up after failed library runs: the dependents of the failed subsystems,
// and of every one the user agrees to remove, are asked about once each.
TEST(WorkTrees, DependentsOfFailedSubsystemsReachDependentsOfDependents) {
    auto loaded = Load(DescriptionText({{"A", "1", {}},
                                        {"B", "2", {"Depend=1"}},
                                        {"C", "3", {"Depend=2"}},
                                        {"D", "4", {"Parent=3", "Depend=1,2"}}}));
    MarkAll(loaded->Tree);
    TSysTree install, noRemoval;
    BuildInstallTrees(loaded->Tree, install, noRemoval);
    MarkAll(install);
    install.FindByNumber(1)->Info.Marked = false;   // A's library failed

    TSysTree failed, remove;
    CopyUnmarked(install, failed);
    RemoveUnmarked(install, false);
    std::string list;
    CollectDependents(failed, list);
    EXPECT_EQ(list, "2,4");
    std::vector<std::int32_t> asked;
    for (int k = 1; ListItem(list, k) != -1; ++k) {
        TSysNode* node = install.FindNode(ListItem(list, k));
        if (!node || !node->Info.Marked) continue;
        asked.push_back(node->Info.Number);
        TSysTree chain;
        CollectDependents(*CopyWithAncestors(*node, chain), list);
        MergeInto(chain, &remove);
    }
    EXPECT_EQ(asked, (std::vector<std::int32_t>{2, 4, 3}));
    EXPECT_EQ(list, "2,4,3");
    EXPECT_EQ(Shape(remove), "B C(D)");
}

struct TAddRemoveCase {
    const char* Name;
    std::vector<std::string> Installed;
    std::vector<std::string> Clicks;
    const char* Install;
    const char* Remove;
    std::vector<std::string> ToInstall;
    std::vector<std::string> ToRemove;
};

// Recipes 3 to 5: the description shown and reduced to the installed set, the user's clicks,
// the trees of what to add and what to remove, the summary, and stepping back.
TEST(WorkTreesRecipes, AddingAndDeletingSubsystems) {
    const std::vector<TAddRemoveCase> cases = {
        {"swap a child", {"A", "B"}, {"-B", "+C"}, "A(-C)", "A(-B)", {"C"}, {"B"}},
        {"nothing changed", {"A", "B"}, {}, "", "", {}, {}},
        {"everything removed", {"A", "B"}, {"-A"}, "", "-A(-B)", {}, {"A", "B"}},
        {"a new top-level subsystem", {"A"}, {"+D"}, "-D", "", {"D"}, {}},
    };
    for (const TAddRemoveCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto loaded = Load(DescriptionText({{"A", "1", {}}, {"B", "2", {"Parent=1"}}, {"C", "3", {"Parent=1"}},
                                            {"D", "4", {"Depend=1"}}}));
        TRecordingTreeView view;
        ASSERT_TRUE(ShowInstalledSet(loaded->Tree, view, c.Installed));
        TSysTree install, remove, backup;
        KeepInstalledSet(loaded->Tree, remove, backup);
        const std::string installedShape = Shape(remove);
        for (const std::string& click : c.Clicks) {
            TSysNode& node = loaded->Node(click.substr(1));
            click[0] == '+' ? Mark(node) : Unmark(node);
        }
        BuildAddRemoveTrees(loaded->Tree, install, remove);
        EXPECT_EQ(Shape(install), c.Install);
        EXPECT_EQ(Shape(remove), c.Remove);
        TSummaryNames summary = SummaryNames(install, remove);
        EXPECT_EQ(summary.ToInstall, c.ToInstall);
        EXPECT_EQ(summary.ToRemove, c.ToRemove);
        RestoreInstalledSet(backup, remove);
        EXPECT_EQ(Shape(remove), installedShape);
        EXPECT_EQ(FullyMarkedNames(remove), AllNodeNames(remove));
    }
}

TEST(WorkTreesRecipes, NewInstallationAndRemoval) {
    auto loaded = Load(DescriptionText({{"A", "1", {}}, {"B", "2", {"Parent=1", "Depend=9,3"}},
                                        {"G", "9", {"ViewOnly=true"}}, {"C", "3", {"ViewParent=9"}}}));
    MarkAll(loaded->Tree);
    TSysTree install, remove;
    remove.AddChild(std::make_unique<TSysNode>());
    BuildInstallTrees(loaded->Tree, install, remove);   // recipe 1: the full installation
    EXPECT_EQ(Shape(install), "-A(-B) -C");
    EXPECT_EQ(install.FindByNumber(2)->Info.Depend, "3");
    EXPECT_EQ(remove.ChildCount(), 0);
    EXPECT_EQ(SummaryNames(install, remove).ToInstall, (std::vector<std::string>{"A", "B", "C"}));

    TRecordingTreeView view;   // recipe 3: removal of the installed set {A, C}
    ASSERT_TRUE(ShowInstalledSet(loaded->Tree, view, {"A", "C"}));
    BuildUninstallTree(loaded->Tree, remove);
    EXPECT_EQ(Shape(remove), "-A -C");
    EXPECT_EQ(SummaryNames(install, remove).ToRemove, (std::vector<std::string>{"A", "C"}));
}

}  // namespace
}  // namespace kor::test
