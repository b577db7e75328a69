// Tests of the language setting and the two message routines.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/InstTool.h"
#include "app/LogFiles.h"
#include "model/InstIDF.h"

namespace kor {
namespace {

TEST(ReadLanguage, OnlyAnEnglishValueInTheLanguageSectionChoosesEnglish) {
    struct { const char* body; std::uint8_t language; } cases[] = {
        {"", 0},
        {"[Params]\r\nLanguage=English\r\n", 0},
        {"[Language]\r\nLang=English\r\n", 0},
        {"[Language]\r\nLanguage=English\r\n", 1},
        {"[language]\r\nLANGUAGE=  eNgLiSh \t\r\n", 1},
        {"[Language]\r\nLanguage=Eng\r\n", 0},
        {"[Language]\r\nLanguage=Russian\r\n", 0},
        {"[Language]-tree\r\nLanguage=BOOLEAN=English\r\n", 0},   // normalised to "0"
        {"[Language]\r\nLanguage=Russian\r\n[Language]\r\nLanguage=English\r\n", 0},   // first section counts
        {"[Language]\r\nLanguage=English\r\nLanguage=Russian\r\n", 1},                  // first parameter counts
    };
    for (const auto& c : cases) {
        TIDFTextFile description;
        ASSERT_TRUE(description.LoadFromBytes(std::string("IDF-CPS-text\r\n\r\n") + c.body));
        EXPECT_EQ(ReadLanguage(description), c.language) << c.body;
    }
}

class MessagesTest : public testing::Test {
protected:
    void SetUp() override {
        AppLog = std::make_unique<TLogFile>();
        AppLog->WriteHeader = false;
        AppLog->FormatString = false;
        AppLog->SetFileName(dir_ / "korinst.log");
    }
    void TearDown() override {
        AppLog.reset();
        CurrentLanguage = 0;
    }
    std::string LogText() { return test::ReadFile(dir_ / "korinst.log"); }

    test::TScratchDir dir_;
};

TEST_F(MessagesTest, BilingualShowsTheCurrentLanguageAndAlwaysLogsEnglish) {
    test::TScriptedMessages boxes({kIdNo, kIdYes});
    CurrentLanguage = 0;
    EXPECT_EQ(ShowBilingualMessage("Отменить?", "Cancel?", MessageCaption, kMbTaskModal | kMbYesNo), kIdNo);
    CurrentLanguage = 1;
    EXPECT_EQ(ShowBilingualMessage("Отменить?", "Cancel?", "", kMbTaskModal | kMbYesNo), kIdYes);
    ASSERT_EQ(boxes.Shown.size(), 2u);
    EXPECT_EQ(boxes.Shown[0].Text, "Отменить?");
    EXPECT_EQ(boxes.Shown[0].Caption, "");
    EXPECT_EQ(boxes.Shown[0].Flags, 0x2004u);
    EXPECT_EQ(boxes.Shown[1].Text, "Cancel?");
    EXPECT_EQ(LogText(), " Cancel?\r\n Cancel?\r\n");
}

TEST_F(MessagesTest, PlainShowsAndLogsItsText) {
    test::TScriptedMessages boxes;
    EXPECT_EQ(ShowPlainMessage("EInOutError : disk full", "", kMbTaskModal | kMbIconError), kIdOk);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, "EInOutError : disk full");
    EXPECT_EQ(boxes.Shown[0].Flags, 0x2010u);
    EXPECT_EQ(LogText(), " EInOutError : disk full\r\n");
}

TEST_F(MessagesTest, ALogThatCannotBeWrittenStopsTheMessageBeforeItIsShown) {
    test::TScriptedMessages boxes;
    AppLog->SetFileName(dir_ / "no-such-dir/korinst.log");
    EXPECT_ANY_THROW(ShowPlainMessage("text", "", 0));
    EXPECT_TRUE(boxes.Shown.empty());
}

}  // namespace
}  // namespace kor
