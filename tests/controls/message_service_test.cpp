#include "core/MessageService.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

struct KindCase {
    std::uint8_t kind;
    std::uint8_t expectedKind;
    const char* caption;
    std::uint16_t buttons;
};

class InitMessage2InfoTest : public ::testing::TestWithParam<KindCase> { };

TEST_P(InitMessage2InfoTest, ResetsRecordForKind)
{
    const KindCase& c = GetParam();
    TMessage2InfoRec rec;
    rec.id = 99;
    rec.lines[4] = {"stale", 255, "http://example.invalid"};
    rec.agreeMode = 1;
    rec.agreeCaption = "同意する";
    rec.agreeChecked = true;
    InitMessage2Info(c.kind, rec);
    EXPECT_EQ(rec.id, 0);
    EXPECT_EQ(rec.kind, c.expectedKind);
    EXPECT_EQ(rec.caption, c.caption);
    EXPECT_EQ(rec.buttons, c.buttons);
    for (const auto& line : rec.lines) {
        EXPECT_TRUE(line.text.empty());
        EXPECT_EQ(line.colour, 0u);
        EXPECT_TRUE(line.link.empty());
    }
    EXPECT_EQ(rec.agreeMode, 0);
    EXPECT_TRUE(rec.agreeCaption.empty());
    EXPECT_FALSE(rec.agreeChecked);
}

INSTANTIATE_TEST_SUITE_P(Kinds, InitMessage2InfoTest,
    ::testing::Values(KindCase {0, 0, "警告", msgbtn::OK}, KindCase {1, 1, "エラー", msgbtn::OK},
        KindCase {2, 2, "情報", msgbtn::OK}, KindCase {3, 3, "確認", msgbtn::OK | msgbtn::Cancel},
        KindCase {7, 4, "", msgbtn::OK}));

TEST(MessageService, ButtonBitsGiveModalResults)
{
    const int expected[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
    for (int bit = 0; bit < msgbtn::Count; ++bit) {
        EXPECT_EQ(core::messageButtonResult(bit), expected[bit]) << "bit " << bit;
    }
    EXPECT_EQ(core::messageButtonResult(11), modal::None);
}

TEST(MessageService, DefaultResultIsFirstButton)
{
    EXPECT_EQ(core::defaultMessageResult(msgbtn::OK | msgbtn::Cancel), modal::Ok);
    EXPECT_EQ(core::defaultMessageResult(msgbtn::Yes | msgbtn::No), modal::Yes);
    EXPECT_EQ(core::defaultMessageResult(msgbtn::Cancel), modal::Cancel);
    EXPECT_EQ(core::defaultMessageResult(0), modal::Ok);
    EXPECT_EQ(core::defaultMessageResult(msgbtn::Help), modal::Ok);
}

TEST(MessageService, WithoutHandlerAnswersDefaultOnStderr)
{
    const auto previous = core::setMessageHandler({});
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Confirmation, rec);
    rec.buttons = msgbtn::Yes | msgbtn::No;
    rec.lines[0].text = "続行しますか？";
    testing::internal::CaptureStderr();
    const int result = ShowMessage2(rec);
    const std::string err = testing::internal::GetCapturedStderr();
    core::setMessageHandler(previous);
    EXPECT_EQ(result, modal::Yes);
    EXPECT_NE(err.find("確認"), std::string::npos);
    EXPECT_NE(err.find("続行しますか？"), std::string::npos);
}

TEST(MessageService, ScriptedHandlerRecordsAndAnswersInOrder)
{
    ScriptedMessages messages({modal::No, modal::Cancel});
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Warning, rec);
    rec.lines[0].text = "一つ目";
    EXPECT_EQ(ShowMessage2(rec), modal::No);
    rec.lines[0].text = "二つ目";
    EXPECT_EQ(ShowMessage2(rec), modal::Cancel);
    // Script used up: the default button answers.
    EXPECT_EQ(ShowMessage2(rec), modal::Ok);
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.firstLine(0), "一つ目");
    EXPECT_EQ(messages.firstLine(1), "二つ目");
    EXPECT_EQ(messages.pending(), 0u);
}

TEST(MessageService, ScriptedHandlerWritesAgreeTickAndRestoresPrevious)
{
    int outerCalls = 0;
    const auto before = core::setMessageHandler([&](TMessage2InfoRec&) {
        ++outerCalls;
        return modal::Ignore;
    });
    {
        ScriptedMessages messages(std::vector<ScriptedMessages::Answer> {{modal::Ok, 1}});
        TMessage2InfoRec rec;
        InitMessage2Info(msgkind::Information, rec);
        rec.agreeMode = 1;
        rec.agreeCaption = "同意する";
        EXPECT_EQ(ShowMessage2(rec), modal::Ok);
        EXPECT_TRUE(rec.agreeChecked);
    }
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    EXPECT_EQ(ShowMessage2(rec), modal::Ignore);
    EXPECT_EQ(outerCalls, 1);
    core::setMessageHandler(before);
}

TEST(MessageService, TextFormHasRuleCaptionAndTenLines)
{
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Warning, rec);
    rec.lines[0].text = "行1";
    const std::string rule(27, '-');
    std::string expected = rule + "\r\n警告\r\n" + rule + "\r\n行1\r\n";
    for (int i = 0; i < 9; ++i)
        expected += "\r\n";
    EXPECT_EQ(core::messageAsText(rec), expected);
}

} // namespace
