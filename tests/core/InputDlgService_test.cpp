#include "core/InputDlgService.h"

#include "support/scripted_input.h"

#include <gtest/gtest.h>

namespace {

TInputDlgRequest passwordRequest()
{
    TInputDlgRequest r;
    r.inputKind = inputkind::Password;
    r.prompt = "パスワードを入力して下さい。";
    r.text = "left over";
    return r;
}

} // namespace

TEST(AskPasswordThreeTimes, RightEntryAfterAWrongOneAsksForTheRightOneInRed)
{
    ScriptedInput input({{modal::Ok, "wrong"}, {modal::Ok, " pass1 "}});
    auto r = passwordRequest();
    EXPECT_TRUE(AskPasswordThreeTimes(r, "pass1"));
    ASSERT_EQ(input.count(), 2u);
    EXPECT_EQ(input.shown()[0].prompt, "パスワードを入力して下さい。");
    EXPECT_EQ(input.shown()[0].text, "") << "never shows an earlier text";
    EXPECT_EQ(input.shown()[1].prompt, "正しいパスワードを入力して下さい。");
    EXPECT_EQ(input.shown()[1].promptColour, 0x0000FF);
    EXPECT_EQ(input.shown()[1].text, "");
}

TEST(AskPasswordThreeTimes, ThreeWrongEntriesOrCancelFail)
{
    {
        ScriptedInput input({{modal::Ok, "a"}, {modal::Ok, "b"}, {modal::Ok, "c"}, {modal::Ok, "pass1"}});
        auto r = passwordRequest();
        EXPECT_FALSE(AskPasswordThreeTimes(r, "pass1"));
        EXPECT_EQ(input.count(), 3u);
    }
    {
        ScriptedInput input({{modal::Cancel, ""}});
        auto r = passwordRequest();
        EXPECT_FALSE(AskPasswordThreeTimes(r, ""));
        EXPECT_EQ(input.count(), 1u);
    }
}
