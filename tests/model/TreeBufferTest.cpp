// The subsystem tree buffer: its exact layout, finding child records, reading marks back, and
// blocks a library left damaged (run under ASan natively, so a read past a block fails).
#include <gtest/gtest.h>

#include <random>

#include "ModelFixtures.h"
#include "TestSupport.h"
#include "app/LogFiles.h"

namespace kor::test {
namespace {

// Takes the program's log for the test and keeps its lines.
class TLogLines {
public:
    TLogLines() { previous_ = std::exchange(AppLog, std::make_unique<TRecorder>(Lines)); }
    ~TLogLines() { AppLog = std::move(previous_); }
    TLogLines(const TLogLines&) = delete;
    TLogLines& operator=(const TLogLines&) = delete;
    std::vector<std::string> Lines;

private:
    struct TRecorder : TLogFile {
        explicit TRecorder(std::vector<std::string>& lines) : Lines(lines) {}
        void Write(std::string_view text) override { Lines.emplace_back(text); }
        std::vector<std::string>& Lines;   // the TLogLines' own, which outlives the recorder
    };
    std::unique_ptr<TLogFile> previous_;
};

std::vector<std::uint8_t> Buffer(const TSysNode& node) {
    std::vector<std::uint8_t> block(TreeBufferSize(node));
    EXPECT_EQ(WriteTreeBuffer(node, block), block.size());
    return block;
}

std::int32_t At(const std::vector<std::uint8_t>& block, std::size_t offset) {
    return static_cast<std::int32_t>(block[offset] | block[offset + 1] << 8 | block[offset + 2] << 16 |
                                     static_cast<std::uint32_t>(block[offset + 3]) << 24);
}

void Put(std::vector<std::uint8_t>& block, std::size_t offset, std::int32_t value) {
    for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
}

// Top-level "Base" with children "One" and "Two"; "Two" has "Deep" below it.
const std::string kFamily = DescriptionText({{"Base", "1", {"Library=a.dll"}},
                                             {"One", "2", {"Parent=1", "Parameter=-x"}},
                                             {"Two", "3", {"Parent=1"}},
                                             {"Deep", "4", {"Parent=3"}}});

TEST(TreeBuffer, LeafRecordLayout) {
    auto loaded = Load(DescriptionText({{"Base", "1", {"Library=a.dll"}}}));
    TSysNode& base = loaded->Node("Base");
    base.Info.Marked = true;
    EXPECT_EQ(TreeBufferSize(base), 35u);
    std::vector<std::uint8_t> expected = {31, 0, 0, 0, 23, 0, 0, 0, 1, 1, 5, 0, 0, 0};
    for (char c : std::string("a.dll")) expected.push_back(static_cast<std::uint8_t>(c));
    expected.insert(expected.end(), {0, 0, 0, 0, 4, 0, 0, 0, 'B', 'a', 's', 'e', 0, 0, 0, 0});
    EXPECT_EQ(Buffer(base), expected);

    std::vector<std::uint8_t> small(34);
    EXPECT_EQ(WriteTreeBuffer(base, small), 0u);
}

TEST(TreeBuffer, NestedRecordsAndChildPointers) {
    auto loaded = Load(kFamily);
    TSysNode& base = loaded->Node("Base");
    std::vector<std::uint8_t> block = Buffer(base);
    const std::size_t one = 26 + 2 + 3, two = 26 + 3, deep = 26 + 4;   // record lengths
    ASSERT_EQ(block.size(), 26 + 5 + 4 + one + two + deep);
    EXPECT_EQ(At(block, 0), static_cast<std::int32_t>(block.size() - 4));
    EXPECT_EQ(block[8], 0);   // loaded nodes are unmarked
    const std::size_t countAt = 8 + At(block, 4);
    EXPECT_EQ(At(block, countAt), 2);

    TLogLines log;
    auto second = ChildRecord(block, 1);
    EXPECT_EQ(second.data(), block.data() + countAt + 4 + one);
    EXPECT_EQ(second.size(), two + deep);
    EXPECT_EQ(ChildRecord(second, 0).size(), deep);
    EXPECT_TRUE(ChildRecord(block, 2).empty());
    EXPECT_TRUE(ChildRecord(block, -1).empty());
    EXPECT_TRUE(log.Lines.empty());
}

TEST(TreeBuffer, ReadsBackTheMarksALibraryLeft) {
    auto loaded = Load(kFamily);
    MarkAll(loaded->Tree);
    TSysNode& base = loaded->Node("Base");
    std::vector<std::uint8_t> block = Buffer(base);
    block[8] = 0;   // the top-level node keeps its own mark
    auto clear = [&](std::span<const std::uint8_t> record) {
        block[static_cast<std::size_t>(record.data() - block.data()) + 8] = 0;
    };
    clear(ChildRecord(block, 0));
    clear(ChildRecord(ChildRecord(block, 1), 0));
    loaded->Node("Deep").Info.SavedMark = true;   // a saved mark cannot be taken away

    EXPECT_FALSE(ReadTreeBuffer(base, block));
    EXPECT_EQ(MarkedNames(loaded->Tree), "Base Two Deep");
    EXPECT_EQ(FullyMarkedNames(loaded->Tree), "Two Deep");

    clear(ChildRecord(block, 1));
    loaded->Node("Deep").Info.SavedMark = false;
    EXPECT_FALSE(ReadTreeBuffer(loaded->Node("Two"), ChildRecord(block, 1)));
    EXPECT_EQ(MarkedNames(loaded->Tree), "Base");

    loaded->Node("One").Info.FullyMarked = true;   // no record: nothing changes
    EXPECT_TRUE(ReadTreeBuffer(loaded->Node("One"), {}));
    EXPECT_FALSE(loaded->Node("One").Info.Marked);
}

TEST(TreeBuffer, ChildrenAreNotReadWhenTheChildCountDiffers) {
    auto loaded = Load(kFamily);
    MarkAll(loaded->Tree);
    TSysNode& base = loaded->Node("Base");
    std::vector<std::uint8_t> block = Buffer(base);
    for (int k = 0; k < 2; ++k) {
        std::span<const std::uint8_t> child = ChildRecord(block, k);
        block[static_cast<std::size_t>(child.data() - block.data()) + 8] = 0;   // the library unmarked it
    }
    const std::size_t countAt = 8 + At(block, 4);
    for (std::int32_t count : {1, 3}) {
        Put(block, countAt, count);
        ReadTreeBuffer(base, block);
        EXPECT_EQ(MarkedNames(loaded->Tree), "Base One Two Deep") << count;
    }
    Put(block, countAt, 2);
    ReadTreeBuffer(base, block);
    EXPECT_EQ(MarkedNames(loaded->Tree), "Base Deep");
}

// What a library may leave in a block; the reading stays inside the block and says why it
// stopped in the log.
TEST(TreeBuffer, DamagedBlocksAreReadOnlyInside) {
    auto loaded = Load(kFamily);
    MarkAll(loaded->Tree);
    TSysNode& base = loaded->Node("Base");
    const std::vector<std::uint8_t> good = Buffer(base);
    const std::size_t countAt = 8 + At(good, 4);
    struct TCase {
        const char* Name;
        std::size_t Offset;
        std::int32_t Value;
        bool Logs;
    };
    const std::vector<TCase> cases = {
        {"InfoLength far past the block", 4, 0x7fffff00, false},
        {"negative InfoLength", 4, -20, false},
        {"child count too large", countAt, 1000, false},
        {"first child's length past the block", countAt + 4, 0x7ffffff0, true},
        {"negative child length", countAt + 4, -8, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::uint8_t> block = good;
        Put(block, c.Offset, c.Value);
        TLogLines log;
        const bool result = ReadTreeBuffer(base, block);
        EXPECT_EQ(result, base.Info.FullyMarked);
        EXPECT_EQ(!log.Lines.empty(), c.Logs);
        for (const std::string& line : log.Lines) EXPECT_EQ(line, " error getting pointer");
        if (c.Offset == 4) {
            log.Lines.clear();
            EXPECT_TRUE(ChildRecord(block, 0).empty());
            EXPECT_EQ(log.Lines, std::vector<std::string>{" error getting pointer"});
        }
    }
}

TEST(TreeBuffer, TruncatedAndScrambledBlocksNeverReadOutside) {
    auto loaded = Load(kFamily);
    MarkAll(loaded->Tree);
    TSysNode& base = loaded->Node("Base");
    const std::vector<std::uint8_t> good = Buffer(base);
    TLogLines log;
    for (std::size_t size = 0; size < good.size(); ++size) {
        std::vector<std::uint8_t> truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(ReadTreeBuffer(base, truncated), base.Info.FullyMarked);
        ChildRecord(truncated, 1);
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> block = good;
        for (int flips = 0; flips < 3; ++flips)
            block[random() % block.size()] = static_cast<std::uint8_t>(random());
        EXPECT_EQ(ReadTreeBuffer(base, block), base.Info.FullyMarked);
        ChildRecord(block, static_cast<int>(random() % 3));
    }
}

}  // namespace
}  // namespace kor::test
