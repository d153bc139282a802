// The amount edit: live separators with the caret on its digit, the sign
// key, the zero keys, filters and moving on when full.
#include "controls/TolvanEdit.h"
#include "form_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

class TolvanFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        before = form.add<QLineEdit>();
        edit = form.add<TTolvanEdit>();
        after = form.add<QLineEdit>();
        // The input dialog's amount field.
        edit->SetAlignment(taRightJustify);
        edit->SetEditStyle(esNumericMinus);
        edit->SetOutputFormat(QStringLiteral("#,##0"));
        edit->SetComma(true);
        edit->SetZero3Key(zkDot);
        edit->SetMaxLength(11);
        edit->SetKeyStyles(ksEnter | ksUp);
        ASSERT_TRUE(form.show());
        edit->setFocus(Qt::TabFocusReason);
    }
    void type(const QString& keys) { QTest::keyClicks(edit, keys); }

    TestForm form;
    QLineEdit* before = nullptr;
    TTolvanEdit* edit = nullptr;
    QLineEdit* after = nullptr;
};

TEST_F(TolvanFixture, SeparatorsAppearWhileTypingWithCaretAfterDigit)
{
    const char* expected[] = {"1", "12", "123", "1,234", "12,345", "123,456", "1,234,567"};
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(edit, static_cast<char>('1' + i));
        EXPECT_EQ(edit->text(), QString::fromLatin1(expected[i]));
        EXPECT_EQ(edit->cursorPosition(), edit->text().size()) << expected[i];
    }
    type(QStringLiteral("-"));
    EXPECT_EQ(edit->text(), QStringLiteral("-1,234,567"));
    EXPECT_EQ(edit->cursorPosition(), edit->text().size());
    type(QStringLiteral("-"));
    EXPECT_EQ(edit->text(), QStringLiteral("1,234,567"));
}

TEST_F(TolvanFixture, CaretStaysOnItsDigitInTheMiddle)
{
    type(QStringLiteral("123456"));
    ASSERT_EQ(edit->text(), QStringLiteral("123,456"));
    edit->setCursorPosition(1); // after "1"
    type(QStringLiteral("9"));
    EXPECT_EQ(edit->text(), QStringLiteral("1,923,456"));
    EXPECT_EQ(edit->cursorPosition(), 3); // still right after the 9
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("123,456"));
    EXPECT_EQ(edit->cursorPosition(), 1);
}

TEST_F(TolvanFixture, DeletingEverythingShowsZeroWithCaretAfterIt)
{
    type(QStringLiteral("5"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    EXPECT_EQ(edit->cursorPosition(), 1);
}

TEST_F(TolvanFixture, MinusAtZeroIsTypedAndFormattedAway)
{
    type(QStringLiteral("-"));
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
}

TEST_F(TolvanFixture, ZeroKeyTypesThreeZeros)
{
    type(QStringLiteral("5."));
    EXPECT_EQ(edit->text(), QStringLiteral("5,000"));
    EXPECT_EQ(edit->cursorPosition(), 5);
    type(QStringLiteral("."));
    EXPECT_EQ(edit->text(), QStringLiteral("5,000,000"));
}

TEST_F(TolvanFixture, FilterSwallowsLetters)
{
    type(QStringLiteral("1a2b+3"));
    EXPECT_EQ(edit->text(), QStringLiteral("123"));
}

TEST_F(TolvanFixture, SeparatorsDoNotCountAgainstMaxLength)
{
    type(QStringLiteral("1234567890"));
    ASSERT_EQ(edit->text(), QStringLiteral("1,234,567,890"));
    type(QStringLiteral("1"));
    EXPECT_EQ(edit->text(), QStringLiteral("12,345,678,901"));
    type(QStringLiteral("2"));
    EXPECT_EQ(edit->text(), QStringLiteral("12,345,678,901"));
}

TEST_F(TolvanFixture, ZeroKeyIsCutToTheFieldLength)
{
    type(QStringLiteral("123456789"));
    type(QStringLiteral("."));
    EXPECT_EQ(edit->text(), QStringLiteral("12,345,678,900"));
}

TEST_F(TolvanFixture, EnterMovesOnAndLeavingFormats)
{
    edit->SetComma(false);
    type(QStringLiteral("1234"));
    EXPECT_EQ(edit->text(), QStringLiteral("1234"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(TestForm::focused(), after);
    EXPECT_EQ(edit->text(), QStringLiteral("1,234"));
    // Entering again without Comma shows the plain number, wholly selected.
    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->text(), QStringLiteral("1234"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("1234"));
}

TEST(TolvanEditKeys, EnterWithoutItsKeyStyleStaysInTheEdit)
{
    QDialog dialog;
    auto* edit = new TTolvanEdit(&dialog);
    edit->SetKeyStyles(ksUp); // no ksEnter, as on the login password
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    edit->move(10, 10);
    ok->move(10, 50);
    QSignalSpy clicked(ok, &QPushButton::clicked);
    QSignalSpy typed(edit, &TTolvanEdit::OnKeyPress);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 0) << "Enter reached the default button";
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit);
    ASSERT_EQ(typed.count(), 1); // the owner still sees the character
    EXPECT_EQ(typed.at(0).at(0).value<QChar>(), QChar(u'\r'));
}

TEST_F(TolvanFixture, EmptyAmountOnLeavingByAllowBlank)
{
    edit->clear();
    after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    edit->SetAllowBlank(true);
    edit->setFocus(Qt::TabFocusReason);
    edit->clear();
    after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->text(), QString());
}

TEST_F(TolvanFixture, LeftInsideMovesCaretNotFocus)
{
    edit->SetKeyStyles(ksEnter | ksLeft);
    type(QStringLiteral("123"));
    QTest::keyClick(edit, Qt::Key_Left);
    EXPECT_EQ(TestForm::focused(), edit);
    EXPECT_EQ(edit->cursorPosition(), 2);
}

TEST_F(TolvanFixture, FullFieldMovesOnWithoutSendEnter)
{
    edit->SetComma(false);
    edit->SetOutputFormat(QString());
    edit->SetMaxLength(3);
    edit->SetAutoNextCtls(acMaxLength);
    type(QStringLiteral("12"));
    EXPECT_EQ(TestForm::focused(), edit);
    type(QStringLiteral("3"));
    EXPECT_EQ(edit->text(), QStringLiteral("123"));
    EXPECT_EQ(TestForm::focused(), after);
}

TEST_F(TolvanFixture, FullFieldWithSendEnterLeavesTheMoveToTheOwner)
{
    edit->SetComma(false);
    edit->SetOutputFormat(QString());
    edit->SetMaxLength(3);
    edit->SetAutoNextCtls(acMaxLength | acSendEnter);
    type(QStringLiteral("123"));
    EXPECT_EQ(edit->text(), QStringLiteral("123"));
    EXPECT_EQ(TestForm::focused(), edit);
    EXPECT_EQ(edit->AutoNextCtls_Result(), acMaxLength | acSendEnter);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->AutoNextCtls_Result(), 0u);
}

TEST_F(TolvanFixture, TabAndDownHandedToOwnerWhenAsked)
{
    edit->SetAutoNextCtls(acTabKey | acDownKey);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(TestForm::focused(), edit);
    EXPECT_EQ(edit->AutoNextCtls_Result(), acTabKey | acSendEnter);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->AutoNextCtls_Result(), 0u);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(TestForm::focused(), edit);
    EXPECT_EQ(edit->AutoNextCtls_Result(), acDownKey | acSendEnter);
}

TEST(TolvanEditStyles, DecimalPointRules)
{
    TestForm form;
    auto* edit = form.add<TTolvanEdit>();
    edit->SetEditStyle(esFloat);
    edit->SetZero3Key(zkDot); // keeps its meaning as the decimal point here
    ASSERT_TRUE(form.show());
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral(".1.2.5-"));
    EXPECT_EQ(edit->text(), QStringLiteral("1.25"));
}

TEST(TolvanEditStyles, ZeroKeysOfOtherCharacters)
{
    TestForm form;
    auto* edit = form.add<TTolvanEdit>();
    edit->SetEditStyle(esNumeric);
    edit->SetZero2Key(zkAsterisk);
    edit->SetZero3Key(zkMinus); // a plain numeric style: "-" types zeros
    ASSERT_TRUE(form.show());
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("1*2-"));
    EXPECT_EQ(edit->text(), QStringLiteral("1002000"));
    edit->SetEditStyle(esNone);
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("a*-"));
    EXPECT_EQ(edit->text(), QStringLiteral("a*-"));
}

TEST(TolvanEditKana, CompositionStateAndReading)
{
    TestForm form;
    auto* edit = form.add<TTolvanEdit>();
    edit->SetKanaMode(kmHankaku);
    ASSERT_TRUE(form.show());
    edit->setFocus();
    QSignalSpy spy(edit, &TTolvanEdit::OnImeStatusChange);
    QInputMethodEvent pre(QStringLiteral("やまだ"), {});
    QApplication::sendEvent(edit, &pre);
    EXPECT_TRUE(edit->ImeOnFlg());
    QInputMethodEvent conv(QStringLiteral("山田"), {});
    QApplication::sendEvent(edit, &conv);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("山田"));
    QApplication::sendEvent(edit, &commit);
    EXPECT_FALSE(edit->ImeOnFlg());
    EXPECT_EQ(spy.count(), 2);
    QTest::keyClicks(edit, QStringLiteral("1"));
    EXPECT_EQ(edit->text(), QStringLiteral("山田1"));
    EXPECT_EQ(edit->Kana(), QStringLiteral("ﾔﾏﾀﾞ1"));
    edit->SetKanaMode(kmZenkaku);
    edit->SetKana(QString());
    QInputMethodEvent pre2(QStringLiteral("はな"), {});
    QApplication::sendEvent(edit, &pre2);
    QInputMethodEvent commit2;
    commit2.setCommitString(QStringLiteral("花"));
    QApplication::sendEvent(edit, &commit2);
    EXPECT_EQ(edit->Kana(), QStringLiteral("ハナ"));
}

} // namespace
