// The marking rules, the filling of the selection view and the reduction to the installed set.
#include <gtest/gtest.h>

#include "ModelFixtures.h"
#include "TestSupport.h"
#include "platform/Errors.h"

namespace kor::test {
namespace {

const std::vector<TSub> kParentsAndDepends = {
    {"A", "1", {}}, {"B", "2", {"Parent=1"}}, {"C", "3", {"Parent=1"}}, {"D", "4", {"Depend=2"}}};
const std::vector<TSub> kViewGroup = {
    {"G", "10", {"ViewOnly=true"}}, {"X", "11", {"ViewParent=10"}}, {"Y", "12", {"ViewParent=10"}}};
const std::vector<TSub> kViewGroupWithLibrary = {
    {"G", "10", {"ViewOnly=true", "Library=g.dll"}}, {"X", "11", {"ViewParent=10"}}, {"Y", "12", {"ViewParent=10"}}};

struct TRuleCase {
    const char* Name;
    const std::vector<TSub>* Subs;
    bool StartMarked;          // MarkAll before the clicks, otherwise as loaded (all unmarked)
    std::vector<std::string> Clicks;   // "+N" marks, "-N" unmarks the node of short name N
    const char* Marked;
    const char* FullyMarked;
};

void Click(TLoaded& loaded, const std::string& click) {
    TSysNode& node = loaded.Node(click.substr(1));
    if (click[0] == '+')
        Mark(node);
    else
        Unmark(node);
}

TEST(Selection, ClicksCarryParentsDependenciesAndGroups) {
    const std::vector<TSub> mutual = {{"P", "1", {"Depend=2"}}, {"Q", "2", {"Depend=1"}}};
    const std::vector<TSub> unknownDepend = {{"P", "1", {"Depend=2,99"}}, {"Q", "2", {}}, {"R", "3", {}}};
    const std::vector<TSub> viewLoop = {{"P", "1", {"ViewParent=2"}}, {"Q", "2", {"ViewParent=1"}}};
    const std::vector<TRuleCase> cases = {
        {"mark a child marks its parent", &kParentsAndDepends, false, {"+B"}, "A B", "B"},
        {"mark brings dependency and its parent", &kParentsAndDepends, false, {"+D"}, "A B D", "B D"},
        {"unmark takes dependents along", &kParentsAndDepends, true, {"-B"}, "A C", "C"},
        {"unmark takes children along", &kParentsAndDepends, true, {"-A"}, "", ""},
        {"remark completes the parent", &kParentsAndDepends, true, {"-B", "+B"}, "A B C", "A B C"},
        {"mutual dependencies end", &mutual, false, {"+P"}, "P Q", "P Q"},
        {"unknown numbers are ignored", &unknownDepend, false, {"+P"}, "P Q", "P Q"},
        {"group stays while a member is left", &kViewGroup, true, {"-X"}, "G Y", "Y"},
        {"group goes with its last member", &kViewGroup, true, {"-X", "-Y"}, "", ""},
        {"group with a library stays", &kViewGroupWithLibrary, true, {"-X", "-Y"}, "G", ""},
        {"member marks its group", &kViewGroup, false, {"+X"}, "G X", "X"},
        {"group marks its members", &kViewGroup, false, {"+G"}, "G X Y", "G X Y"},
        {"unmarking the group unmarks its members", &kViewGroup, true, {"-G"}, "", ""},
        {"a view loop ends", &viewLoop, false, {"+P"}, "P Q", "P Q"},
        {"a view loop ends on unmark", &viewLoop, true, {"-P"}, "", ""},
    };
    for (const TRuleCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto loaded = Load(DescriptionText(*c.Subs));
        if (c.StartMarked) MarkAll(loaded->Tree);
        for (const std::string& click : c.Clicks) Click(*loaded, click);
        EXPECT_EQ(MarkedNames(loaded->Tree), c.Marked);
        EXPECT_EQ(FullyMarkedNames(loaded->Tree), c.FullyMarked);
    }
}

TEST(Selection, BadDependItemRaisesAfterTheItemsBeforeIt) {
    TScriptedMessages messages;   // the loader reports the bad "Depend" once per subsystem
    auto loaded = Load(DescriptionText({{"P", "1", {"Depend=2,"}}, {"Q", "2", {}}}));
    EXPECT_THROW(Mark(loaded->Node("P")), EConvertError);
    EXPECT_EQ(MarkedNames(loaded->Tree), "P Q");
}

TEST(Selection, MarkAllAndUnmarkAllLeaveTheGivenNode) {
    auto loaded = Load(DescriptionText(kParentsAndDepends));
    MarkAll(loaded->Node("A"));
    EXPECT_EQ(MarkedNames(loaded->Tree), "B C");
    MarkAll(loaded->Tree);
    UnmarkAll(loaded->Node("A"));
    EXPECT_EQ(FullyMarkedNames(loaded->Tree), "A D");
}

// The view as a picture: one line per item, indented by depth, "+" when its node is marked.
std::string ViewPicture(const TRecordingTreeView& view) {
    std::string text;
    for (const auto& item : view.Items)
        text += std::string(2 * item.Depth, ' ') + item.Text + (item.Node->Info.Marked ? "+" : "") + "\n";
    return text;
}

struct TFillCase {
    const char* Name;
    std::string Description;
    const char* View;
    const char* Marked;
};

TEST(Selection, FillTreeViewFollowsTheViewHierarchy) {
    const std::vector<TFillCase> cases = {
        {"group with members", DescriptionText(kViewGroup), "G+\n  X+\n  Y+\n", "G X Y"},
        {"view ignores the tree; hidden and orphaned items",
         DescriptionText({{"A", "1", {}}, {"B", "2", {"Parent=1"}}, {"H", "3", {"ViewParent=-1"}},
                          {"O", "4", {"ViewParent=77"}}, {"S", "5", {"ViewParent=2"}}}),
         "A+\nB+\n  S+\n", "A B H S"},
        {"members in list order under a later group",
         DescriptionText({{"X", "11", {"ViewParent=10"}}, {"G", "10", {}}, {"Y", "12", {"ViewParent=10"}}}),
         "G+\n  X+\n  Y+\n", "X G Y"},
        // A child whose key differs in case from its header is numbered 0: it must not list the
        // top items (ViewParent 0) below itself, which would contain itself without end.
        {"a node numbered 0 lists no view children",
         IdfText({"[SubSystems]", "A=1", "b=2", "[A]", "Short name=A", "[B]", "Short name=B", "Parent=1"}),
         "A+\nB+\n", "A B"},
    };
    for (const TFillCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto loaded = Load(c.Description);
        TRecordingTreeView view;
        EXPECT_TRUE(FillTreeView(loaded->Tree, view));
        EXPECT_EQ(ViewPicture(view), c.View);
        EXPECT_EQ(MarkedNames(loaded->Tree), c.Marked);
        EXPECT_EQ(view.UpdateCount, 1);
        EXPECT_EQ(view.UpdateDepth, 0);
    }
}

TEST(Selection, FillTreeViewCutsALoopOfDuplicateNumbers) {
    TSysTree tree;
    auto add = [&](const std::string& name, std::int32_t number, std::int32_t viewParent) {
        auto node = std::make_unique<TSysNode>();
        node->Info.Number = number;
        node->Info.ViewParent = viewParent;
        node->Info.ShortName = name;
        tree.AddChild(std::move(node));
    };
    add("A", 1, 0);
    add("A2", 1, 1);   // a view child of every node numbered 1, itself included
    add("C", 2, 1);
    TRecordingTreeView view;
    EXPECT_TRUE(FillTreeView(tree, view));
    EXPECT_EQ(ViewPicture(view), "A+\n  A2+\n    C+\n  C+\n");
}

TEST(Selection, FillTreeViewReportsAFailingView) {
    struct TFailingView : TRecordingTreeView {
        TViewItem AddChildObject(TViewItem parent, const std::string& text, TSysNode* node) override {
            if (Items.size() == 2) throw EOSError("no more items");
            return TRecordingTreeView::AddChildObject(parent, text, node);
        }
    };
    auto loaded = Load(DescriptionText(kViewGroup));
    TFailingView view;
    EXPECT_FALSE(FillTreeView(loaded->Tree, view));
    EXPECT_EQ(view.Items.size(), 2u);
    EXPECT_EQ(view.UpdateDepth, 0);

    TSysTree empty;
    EXPECT_TRUE(FillTreeView(empty, view));
    EXPECT_EQ(view.UpdateCount, 1);
}

TEST(Selection, UnmarkNotInstalledKeepsTheInstalledAndGroups) {
    auto loaded = Load(DescriptionText({{"G", "10", {"ViewOnly=true"}},
                                        {"X", "11", {"ViewParent=10", "Short name=X-Name"}},
                                        {"Y", "12", {"ViewParent=10"}},
                                        {"Z", "13", {"Depend=11"}}}));
    TRecordingTreeView view;
    ASSERT_TRUE(FillTreeView(loaded->Tree, view));
    UnmarkNotInstalled(loaded->Tree, {"x-name", "z"});
    EXPECT_EQ(MarkedNames(loaded->Tree), "G X-Name Z");
    UnmarkNotInstalled(loaded->Tree, {"z"});
    EXPECT_EQ(MarkedNames(loaded->Tree), "");   // X takes its dependent Z along, and then its group
}

}  // namespace
}  // namespace kor::test
