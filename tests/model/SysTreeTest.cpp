// The subsystem tree: loading descriptions, the tree's answers, saving and reading back.
#include <gtest/gtest.h>

#include "ModelFixtures.h"
#include "TestSupport.h"
#include "platform/Errors.h"

namespace kor::test {
namespace {

struct TLoadCase {
    const char* Name;
    std::vector<TSub> Subs;
    const char* Shape;
    const char* AllNodes;
};

// Which subsystems load and where they hang, for descriptions of one shape each.
TEST(SysTreeLoad, BuildsTheTreeFromParentKeys) {
    const std::vector<TLoadCase> cases = {
        {"parent chain, missing parent",
         {{"A", "1", {}}, {"B", "2", {"Parent=1"}}, {"C", "3", {"Parent=2"}}, {"D", "4", {"Parent=9"}}},
         "A(B(C))", "A B C"},
        {"entries out of order register top-down",
         {{"C", "3", {"Parent=2"}}, {"A", "1", {}}, {"B", "2", {"Parent=1"}}},
         "A(B(C))", "A B C"},
        {"children in entry order", {{"A", "1", {}}, {"C", "3", {"Parent=1"}}, {"B", "2", {"Parent=1"}}}, "A(C,B)", "A C B"},
        {"number 0 is never top-level", {{"A", "0", {}}, {"B", "2", {}}}, "B", "B"},
        {"empty Parent is top-level", {{"A", "1", {"Parent="}}}, "A", "A"},
        {"bad top-level Parent drops only that entry", {{"A", "1", {"Parent=x"}}, {"B", "2", {}}}, "B", "B"},
        {"bad Parent ends building where it is reached",
         {{"A", "1", {}}, {"B", "2", {"Parent=1"}}, {"X", "5", {"Parent=x"}}, {"C", "3", {"Parent=1"}},
          {"D", "4", {}}, {"E", "6", {"Parent=4"}}},
         "A(B) D", "A B D"},
        {"bad ViewParent drops the subsystem and ends its top-level's building",
         {{"A", "1", {}}, {"B", "2", {"Parent=1", "ViewParent=x"}}, {"C", "3", {"Parent=1"}}, {"D", "4", {"ViewParent=?"}},
          {"E", "5", {}}},
         "A E", "A E"},
    };
    for (const TLoadCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto loaded = Load(DescriptionText(c.Subs));
        EXPECT_TRUE(loaded->Result);
        EXPECT_EQ(Shape(loaded->Tree, false), c.Shape);
        EXPECT_EQ(AllNodeNames(loaded->Tree), c.AllNodes);
    }
}

TEST(SysTreeLoad, SectionsMissingOrWithoutSubsystemsLoadEmpty) {
    TScriptedMessages messages;
    auto noSubsystems = Load(IdfText({"[Params]", "Name=x"}));
    EXPECT_TRUE(noSubsystems->Result);
    EXPECT_EQ(noSubsystems->Tree.ChildCount(), 0);

    auto missingSection = Load(IdfText({"[SubSystems]", "A=1", "B=2", "[B]", "Short name=B"}));
    EXPECT_EQ(Shape(missingSection->Tree, false), "B");

    TSysTree tree;
    EXPECT_FALSE(tree.LoadFromIDF(nullptr));
    EXPECT_TRUE(messages.Shown.empty());
}

// The duplicate check compares each entry with every later one and reads values as it goes:
// a duplicate of the first entry is found before a later bad value is read.
TEST(SysTreeLoad, DuplicateNumbersAndBadValues) {
    struct TCase {
        std::vector<std::string> Entries;
        bool Throws;
    };
    const std::vector<TCase> cases = {
        {{"A=1", "B=1"}, false},
        {{"A=1", "B=01"}, false},
        {{"A=1", "B=2", "C=2"}, false},
        {{"A=1", "B=1", "C=x"}, false},
        {{"A=1", "B=x", "C=1"}, true},
        {{"A=x"}, true},
        {{"A=1", "B=2", "C=z"}, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Entries.back());
        std::vector<std::string> lines{"[SubSystems]"};
        lines.insert(lines.end(), c.Entries.begin(), c.Entries.end());
        for (const char* name : {"A", "B", "C"}) {
            lines.push_back(std::string("[") + name + "]");
            lines.push_back(std::string("Short name=") + name);
        }
        TIDFTextFile description;
        ASSERT_TRUE(description.LoadFromBytes(IdfText(lines)));
        TSysTree tree;
        auto earlier = Load(DescriptionText({{"Old", "7", {}}}));
        TScriptedMessages messages;
        if (c.Throws) {
            EXPECT_THROW(tree.LoadFromIDF(&description), EConvertError);
            EXPECT_TRUE(messages.Shown.empty());
        } else {
            EXPECT_FALSE(earlier->Tree.LoadFromIDF(&description));
            EXPECT_EQ(earlier->Tree.ChildCount(), 0);
            EXPECT_TRUE(earlier->Tree.AllNodes().empty());
            ASSERT_EQ(messages.Shown.size(), 1u);
            EXPECT_EQ(messages.Shown[0].Text, "Найдены системы с одинаковыми номерами");
            EXPECT_EQ(messages.Shown[0].Flags, unsigned(kMbOk | kMbIconError));
        }
    }
}

TEST(SysTreeLoad, ChildNumberComesFromTheExactlyNamedEntry) {
    auto loaded = Load(IdfText({"[SubSystems]", "A=1", "b=2", "[A]", "Short name=A", "[B]", "Short name=B", "Parent=1"}));
    EXPECT_EQ(Shape(loaded->Tree, false), "A(B)");
    EXPECT_EQ(loaded->Node("B").Info.Number, 0);
    EXPECT_EQ(loaded->Node("B").Info.SectionName, "B");
}

TEST(SysTreeLoad, DependentsListTheEntriesAsWritten) {
    TScriptedMessages messages;
    auto loaded = Load(DescriptionText({{"A", "1", {}}, {"B", "02", {"Depend=1"}}, {"C", "3", {"Depend= 1 , 2"}}}));
    EXPECT_EQ(loaded->Node("A").Info.Dependents, "02,3");
    EXPECT_EQ(loaded->Node("B").Info.Dependents, "3");
    EXPECT_EQ(loaded->Node("C").Info.Dependents, "");
    EXPECT_TRUE(messages.Shown.empty());
}

// A bad "Depend" is reported each time dependents are computed, unless the items before the
// bad one already name the subsystem (or the section is the subsystem's own).
TEST(SysTreeLoad, BadDependIsReportedPerSubsystem) {
    TScriptedMessages messages;
    auto loaded = Load(DescriptionText({{"A", "1", {}}, {"B", "2", {"Depend=x"}}, {"C", "3", {"Depend=1,y"}}}));
    EXPECT_EQ(loaded->Node("A").Info.Dependents, "3");
    EXPECT_EQ(loaded->Node("B").Info.Dependents, "");
    std::vector<std::string> texts;
    for (const auto& shown : messages.Shown) {
        texts.push_back(shown.Text);
        EXPECT_EQ(shown.Flags, unsigned(kMbOk | kMbTaskModal));
        EXPECT_EQ(shown.Caption, "");
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Invalid 'depend' string in setup.idf. Section - B",
                                               "Invalid 'depend' string in setup.idf. Section - C",
                                               "Invalid 'depend' string in setup.idf. Section - B"}));
}

TEST(SysTreeLoad, ReadsTheSubsystemKeys) {
    auto loaded = Load(DescriptionText({
        {"A", "1",
         {"Library=a.dll", "Parameter=p q", "Archive=a.zip, b.zip", "Full name=All of A", "ViewParent=-1",
          "ViewOnly= true", "MenuLink1=x", "CheckFile1=a.dll", "DesktopLink1=y", "REQFILE1=r1", "MENULINK2=z",
          "CheckFile2=b.dll", "reqfile2=r2", "Depend=3"}},
        {"B", "3", {"ViewOnly=yes", "MenuLink1=m", "MenuLink1=other", "Menu Link3=no"}},
    }));
    const TSubsystemInfo& a = loaded->Node("A").Info;
    EXPECT_EQ(a.Library, "a.dll");
    EXPECT_EQ(a.Parameter, "p q");
    EXPECT_EQ(a.Archive, "a.zip, b.zip");
    EXPECT_EQ(a.FullName, "All of A");
    EXPECT_EQ(a.ViewParent, -1);
    EXPECT_TRUE(a.ViewOnly);
    EXPECT_EQ(a.Links, "x?menu*y?desktop*z?menu");
    EXPECT_EQ(a.CheckFile, "a.dll,b.dll");
    EXPECT_EQ(a.ReqFile, "r1,r2");
    EXPECT_EQ(a.SectionName, "A");
    EXPECT_FALSE(a.Marked);
    EXPECT_FALSE(a.FullyMarked);
    const TSubsystemInfo& b = loaded->Node("B").Info;
    EXPECT_FALSE(b.ViewOnly);
    EXPECT_EQ(b.Links, "m?menu*m?menu");   // a repeated key contributes the first one's value
    EXPECT_EQ(b.Dependents, "1");
}

std::string DescribeNodes(const TSysTree& tree) {
    std::string text;
    for (const TSysNode* node : tree.AllNodes()) {
        const TSubsystemInfo& i = node->Info;
        text += i.SectionName + "#" + std::to_string(i.Number) + " p" + std::to_string(i.Parent) + " v" +
                std::to_string(i.ViewParent) + (i.ViewOnly ? " viewonly" : "") + (i.Marked ? " marked" : "") + " [" +
                i.Depend + "|" + i.Dependents + "|" + i.Library + "|" + i.Parameter + "|" + i.Archive + "|" +
                i.ShortName + "|" + i.FullName + "|" + i.CheckFile + "|" + i.ReqFile + "|" + i.Links + "]\n";
    }
    return text;
}

TEST(SysTreeSave, ReadsBackTheSameTree) {
    const std::string text = DescriptionText({
        {"Base", "1", {"Library=base.dll", "Parameter=-q", "Archive=base.zip", "Full name=The base", "CheckFile1=c1",
                       "CheckFile2=c2", "ReqFile1=r1", "MenuLink1=m1", "DesktopLink2=d2", "MenuLink3=m3",
                       "ViewOnly=true", "ViewParent=0"}},
        {"Docs", "2", {"Parent=1", "Depend=1", "ViewParent=1"}},
        {"Tools", "3", {"Depend=2"}},
    });
    auto loaded = Load(text);
    MarkAll(loaded->Tree);
    TIDFTextFile saved;
    ASSERT_TRUE(loaded->Tree.SaveToIDF(saved));
    TIDFTextFile reread;
    ASSERT_TRUE(reread.LoadFromBytes(saved.SaveToBytes()));
    TSysTree back;
    ASSERT_TRUE(back.LoadFromIDF(&reread));

    for (TSysNode* node : loaded->Tree.AllNodes()) {   // what the saved form drops
        node->Info.ViewParent = 0;
        node->Info.ViewOnly = false;
        node->Info.Marked = false;
    }
    EXPECT_EQ(DescribeNodes(back), DescribeNodes(loaded->Tree));
    EXPECT_EQ(Shape(back), "-Base(-Docs) -Tools");
    const TIDFSection* base = reread.SectionByName("Base");
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->GetParam(9)->Name, "MenuLink1");
    EXPECT_EQ(base->GetParam(10)->Name, "DesktopLink2");
    EXPECT_EQ(base->GetParam(11)->Name, "MenuLink3");
}

// Hand-built trees: the tree's answers and its list while nodes come and go.
TSysNode* AddNode(TCustomSysNode& holder, const std::string& name, std::int32_t number, std::int32_t viewParent = 0) {
    auto node = std::make_unique<TSysNode>();
    node->Info.ShortName = name;
    node->Info.Number = number;
    node->Info.ViewParent = viewParent;
    return holder.AddChild(std::move(node));
}

TEST(SysTreeNodes, AnswersComeFromTheNodeChainThenTheList) {
    TSysTree tree;
    TSysNode* a = AddNode(tree, "A", 1);
    TSysNode* b = AddNode(*a, "B", 2, 1);
    TSysNode* c = AddNode(*b, "C", 1, 1);   // a second number 1
    TSysNode* d = AddNode(tree, "D", 4, 1);
    EXPECT_EQ(c->FindByNumber(1), c);
    EXPECT_EQ(b->FindByNumber(1), a);
    EXPECT_EQ(d->FindByNumber(1), a);
    EXPECT_EQ(d->FindByNumber(2), b);
    EXPECT_EQ(tree.FindByNumber(9), nullptr);
    EXPECT_EQ(tree.FindNode(1), a);
    EXPECT_EQ(a->FindNode(1), c);
    EXPECT_EQ(c->GetViewChildren(1), "2,1,4");
    EXPECT_TRUE(tree.ViewChildrenFullyMarked(1));
    c->Info.FullyMarked = false;
    EXPECT_FALSE(d->ViewChildrenFullyMarked(1));
    EXPECT_FALSE(tree.NoViewChildMarked(1));
    EXPECT_TRUE(tree.NoViewChildMarked(3));

    TSysNode loose;
    loose.Info.Number = 5;
    EXPECT_EQ(loose.FindByNumber(5), &loose);
    EXPECT_EQ(loose.FindByNumber(6), nullptr);
}

TEST(SysTreeNodes, DeletingANodeOfADuplicateNumberKeepsTheOthersListed) {
    TSysTree tree;
    TSysNode* first = AddNode(tree, "First", 0);
    TSysNode* second = AddNode(tree, "Second", 0);
    AddNode(*second, "Below", 3);
    AddNode(*first, "Kept", 4);
    tree.DeleteChild(1);
    EXPECT_EQ(AllNodeNames(tree), "First Kept");
    EXPECT_EQ(tree.FindByNumber(0), first);
    EXPECT_EQ(tree.FindByNumber(3), nullptr);
    first->DeleteChildren();
    EXPECT_EQ(AllNodeNames(tree), "First");
    tree.DeleteChildren();
    EXPECT_TRUE(tree.AllNodes().empty());
    EXPECT_EQ(tree.FindByNumber(0), nullptr);
}

}  // namespace
}  // namespace kor::test
