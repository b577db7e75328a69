// Archives of a subsystem tree and the space a selection needs.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ZipTestTools.h"
#include "archive/Archives.h"
#include "archive/ZipReader.h"
#include "model/SysTree.h"

namespace kor::test {
namespace {

TSysNode* AddNode(TCustomSysNode& parent, std::int32_t number, const std::string& archive, bool marked) {
    auto node = std::make_unique<TSysNode>();
    node->Info.Number = number;
    node->Info.Archive = archive;
    node->Info.Marked = marked;
    return parent.AddChild(std::move(node));
}

std::vector<std::string> Describe(const TArchiveList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) {
        std::string text = "'" + list.GetArchive(i)->Name + "':";
        for (int j = 0; j < list.GetArchive(i)->Count(); ++j) text += " " + std::to_string(list.GetArchive(i)->GetNode(j)->Info.Number);
        out.push_back(text);
    }
    return out;
}

TEST(Archives, CollectGroupsMarkedNodesByArchiveDepthFirst) {
    TSysTree tree;
    TSysNode* a = AddNode(tree, 1, "base.zip, doc.zip", true);
    AddNode(*a, 2, "BASE.ZIP", true);
    AddNode(*a, 3, "skip.zip", false);
    AddNode(tree, 4, "a.zip,", true);
    AddNode(tree, 5, "a.zip,,b.zip", true);
    AddNode(tree, 6, "   ", true);
    AddNode(tree, 7, "", true);
    TArchiveList list;
    CollectArchives(tree, list, true);
    EXPECT_EQ(Describe(list), (std::vector<std::string>{"'base.zip': 1 2", "'doc.zip': 1", "'a.zip': 4 5", "'': 5 6",
                                                         "'b.zip': 5"}));
    EXPECT_EQ(list.GetArchive(5), nullptr);
    EXPECT_EQ(list.GetArchive(0)->GetNode(2), nullptr);
    list.Clear();
    CollectArchives(tree, list, false);
    EXPECT_EQ(Describe(list), std::vector<std::string>{"'skip.zip': 3"});
}

TEST(Archives, RemoveDuplicatesKeepsTheFirstOfEachTrimmedName) {
    TSysTree tree;
    TSysNode* node = AddNode(tree, 1, "", true);
    TArchiveList list;
    for (const char* name : {"x.zip", " X.ZIP", "y.zip", "Y.zip "}) list.AddArchive(name, node);
    list.RemoveDuplicates();
    EXPECT_EQ(Describe(list), (std::vector<std::string>{"'x.zip': 1", "'y.zip': 1"}));
}

TEST(Archives, SizesAreTheMembersUncompressedSizesIn64Bits) {
    TScratchDir dir;
    WriteFile(dir / "three.zip", BuildZip({Stored("a", std::string(1000, 'a')), Stored("b", std::string(2000, 'b')),
                                          Stored("c", std::string(3000, 'c'))}));
    // A directory that claims 4,000,000,000 bytes per member: too much for 32 bits, and no
    // need to extract anything to measure it.
    std::vector<TMemberSpec> huge(3, Stored("h", "x"));
    for (std::size_t i = 0; i < huge.size(); ++i) {
        huge[i].Name = "h" + std::to_string(i);
        huge[i].OverrideSize = true;
        huge[i].UncompressedSize = 4000000000u;
    }
    WriteFile(dir / "huge.zip", BuildZip(huge));
    WriteFile(dir / "bad.zip", "not an archive at all");
    TArchiveSize sizes;
    sizes.Directory = dir.Path();
    for (const char* name : {"three.zip", "missing.zip", "huge.zip", "HUGE.ZIP "}) sizes.AddName(name);
    ASSERT_EQ(sizes.Count(), 3);
    sizes.ReadSizes();
    EXPECT_EQ(sizes[0].Size, 6000);
    EXPECT_EQ(sizes[1].Size, 0);
    EXPECT_EQ(sizes[2].Size, 12000000000);

    sizes.AddName("bad.zip");
    sizes.AddName("three.zip2");
    sizes[4].Size = 77;
    EXPECT_THROW(sizes.ReadSizes(), EIncompleteZip);
    EXPECT_EQ(sizes[4].Size, 77) << "the archives after a bad one are not measured";
}

TEST(Archives, RequiredSpaceHasTheReserveRoundsHalvesToEvenAndNeverGoesBelowZero) {
    TSysTree tree;
    AddNode(tree, 1, "m.zip", true);
    AddNode(tree, 2, "k.zip, M.ZIP", true);
    AddNode(tree, 3, "big.zip", false);
    TArchiveSize sizes;
    for (const char* name : {"m.zip", "k.zip", "big.zip"}) sizes.AddName(name);
    sizes[0].Size = 1000000;
    sizes[1].Size = 500000;
    sizes[2].Size = 9000000000;
    EXPECT_EQ(RequiredSpace(tree, sizes), 1611);   // 1,500,000 x 1.1 / 1024 = 1611.33
    tree.GetChild(2)->Info.Marked = true;
    EXPECT_EQ(RequiredSpace(tree, sizes), 9669580);   // 9,001,500,000 x 1.1 / 1024 = 9669580.08
    for (auto [total, k] : std::vector<std::pair<std::int64_t, std::int64_t>>{{5120, 6}, {15360, 16}, {0, 0}})
        EXPECT_EQ(RoundHalfToEven(total * 11, 10240), k) << total;
    EXPECT_EQ(RequiredSpaceText(1611, 0), "1611");
    EXPECT_EQ(RequiredSpaceText(1611, 1611), "0");
    EXPECT_EQ(RequiredSpaceText(100, 1611), "0");
}

TEST(Archives, ComputeMeasuresEveryArchiveOfTheTreeOnce) {
    TScratchDir dir;
    WriteFile(dir / "a.zip", BuildZip({Stored("x", std::string(300, 'x'))}));
    WriteFile(dir / "b.zip", BuildZip({Stored("y", std::string(50, 'y'))}));
    TSysTree tree;
    AddNode(tree, 1, "a.zip", false);
    AddNode(tree, 2, "b.zip, A.ZIP", true);
    TArchiveSize sizes;
    sizes.Directory = dir.Path();
    ComputeArchiveSizes(tree, sizes);
    ASSERT_EQ(sizes.Count(), 2);
    EXPECT_EQ(sizes[0].Name, "a.zip");
    EXPECT_EQ(sizes[0].Size, 300);
    EXPECT_EQ(sizes[1].Size, 50);
    EXPECT_EQ(RequiredSpace(tree, sizes), 0);   // 350 x 1.1 / 1024 = 0.38
}

}  // namespace
}  // namespace kor::test
