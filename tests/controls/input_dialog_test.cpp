// The input dialog: required entries, key filters on typed and pasted text,
// the password mask, amounts and lists, and the dialog as the real answer
// to core's input-dialog service.

#include "controls/TolvanEdit.h"
#include "controls/input_answers.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "controls/z5InputDlg.h"
#include "core/InputDlgService.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs step on the dialog once it is the modal window, then shows it.
int runWith(TInputDlgBox& box, std::function<void(TInputDlgBox&)> step)
{
    QTimer::singleShot(0, &box, [&box, step] { step(box); });
    return box.ShowModal();
}

void clickOK(TInputDlgBox& box)
{
    box.btnOK->Click();
}

TEST(InputDialog, PasswordIsRequiredAndReturnedUntrimmed)
{
    ScriptedMessages messages;
    TInputDlgBox box;
    box.InputKind = inputkind::Password;
    box.InputCaption = QStringLiteral("データパスワード");
    box.InputMessage = QStringLiteral("パスワードを入力して下さい。");
    box.InitDialog(true);
    EXPECT_TRUE(box.InputRequired);
    const int result = runWith(box, [](TInputDlgBox& b) {
        clickOK(b); // empty
        b.txtInput->setText(QStringLiteral("　　"));
        clickOK(b); // full-width blanks only
        EXPECT_TRUE(b.isVisible());
        b.txtInput->setText(QStringLiteral(" pa ss "));
        clickOK(b);
    });
    EXPECT_EQ(result, modal::Ok);
    EXPECT_EQ(box.InputValue, QStringLiteral(" pa ss "));
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.firstLine(0), "入力してから[OK]ボタンを押して下さい。");
    EXPECT_EQ(messages.firstLine(1), "入力してから[OK]ボタンを押して下さい。");
}

TEST(InputDialog, PasswordMaskFollowsTheTick)
{
    TInputDlgBox box;
    box.InputKind = inputkind::Password;
    box.InitDialog(true);
    EXPECT_EQ(box.txtInput->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(box.btnFuseji->isHidden());
    box.btnFuseji->setChecked(true);
    EXPECT_EQ(box.txtInput->echoMode(), QLineEdit::Normal);
    box.btnFuseji->setChecked(false);
    EXPECT_EQ(box.txtInput->echoMode(), QLineEdit::Password);

    TInputDlgBox text;
    text.InitDialog(true);
    EXPECT_TRUE(text.btnFuseji->isHidden());
    EXPECT_EQ(text.txtInput->echoMode(), QLineEdit::Normal);
}

TEST(InputDialog, FilterTable)
{
    struct Case {
        int filter;
        QString accepted, refused;
    } cases[] = {
        {inputfilter::Digits, "0129-.", "a+ /"},
        {inputfilter::Letters, "azAZ", "09-_ あ"},
        {inputfilter::LettersDigits, "az09AZ", "-_ ."},
        {inputfilter::PathName, "aZ09 -_.()[]あ", "\"*,/:;<>?\\|"},
        {inputfilter::None, "\\:?あ", ""},
    };
    for (const auto& c : cases) {
        for (const QChar ch : c.accepted)
            EXPECT_TRUE(TInputDlgBox::FilterAccepts(c.filter, ch)) << c.filter << " " << QString(ch).toStdString();
        for (const QChar ch : c.refused)
            EXPECT_FALSE(TInputDlgBox::FilterAccepts(c.filter, ch)) << c.filter << " " << QString(ch).toStdString();
    }
}

TEST(InputDialog, TypedCharactersOutsideTheFilterAreNotEntered)
{
    TInputDlgBox box;
    box.KeyFilter = inputfilter::LettersDigits;
    box.InitDialog(true);
    box.show();
    box.txtInput->setFocus();
    QTest::keyClicks(box.txtInput, QStringLiteral("ab-1?c"));
    EXPECT_EQ(box.txtInput->text(), QStringLiteral("ab1c"));
    box.hide();
}

TEST(InputDialog, PastedFolderNameWithForbiddenCharactersIsRefusedAtOK)
{
    ScriptedMessages messages;
    TInputDlgBox box;
    box.InputCaption = QStringLiteral("フォルダ名");
    box.KeyFilter = inputfilter::PathName;
    box.InputRequired = true;
    box.InitDialog(true);
    const int result = runWith(box, [](TInputDlgBox& b) {
        b.txtInput->setFocus();
        b.txtInput->setText(QStringLiteral("決算"));
        QTest::keyClicks(b.txtInput, QStringLiteral(":2024?\\"));
        EXPECT_EQ(b.txtInput->text(), QStringLiteral("決算2024")) << "typed ones are not entered";
        b.txtInput->clear();
        QApplication::clipboard()->setText(QStringLiteral("決算\\2024"));
        QTest::keyClick(b.txtInput, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(b.txtInput->text(), QStringLiteral("決算\\2024")) << "the paste itself goes through";
        clickOK(b);
        EXPECT_TRUE(b.isVisible()) << "refused at OK";
        b.txtInput->setText(QStringLiteral("C:決算"));
        clickOK(b);
        EXPECT_TRUE(b.isVisible());
        b.txtInput->setText(QStringLiteral("決算 2024"));
        clickOK(b);
    });
    EXPECT_EQ(result, modal::Ok);
    EXPECT_EQ(box.InputValue, QStringLiteral("決算 2024"));
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.firstLine(0), "次の文字は使用できません。\r\" * , / : ; < > ? \\ |");
}

TEST(InputDialog, PasteLockedWhileTheInputMethodIsDisabled)
{
    TInputDlgBox box;
    box.InputImeMode = imDisable;
    box.InitDialog(true);
    box.show();
    box.txtInput->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("secret"));
    QTest::keyClick(box.txtInput, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box.txtInput->text(), QString());
    QTest::keyClicks(box.txtInput, QStringLiteral("typed"));
    EXPECT_EQ(box.txtInput->text(), QStringLiteral("typed"));
    box.hide();
}

TEST(InputDialog, EmptyAmountIsZeroAndEmptyOptionalChoiceIsAccepted)
{
    TInputDlgBox amount;
    amount.InputKind = inputkind::Amount;
    amount.InitDialog(true);
    EXPECT_EQ(runWith(amount, clickOK), modal::Ok);
    EXPECT_EQ(amount.InputValue, QStringLiteral("0"));

    TInputDlgBox list;
    list.InputKind = inputkind::List;
    list.ComboItems = {QStringLiteral("01:本社"), QStringLiteral("02:大阪")};
    list.InitDialog(true);
    EXPECT_FALSE(list.pnlCombo->isHidden());
    EXPECT_TRUE(list.pnlText->isHidden());
    EXPECT_EQ(runWith(list, clickOK), modal::Ok);
    EXPECT_EQ(list.InputValue, QString());
}

TEST(InputDialog, RequiredChoiceAsksAgain)
{
    ScriptedMessages messages;
    TInputDlgBox list;
    list.InputKind = inputkind::List;
    list.InputRequired = true;
    list.ComboItems = {QStringLiteral("01:本社"), QStringLiteral("02:大阪")};
    list.InitDialog(true);
    const int result = runWith(list, [](TInputDlgBox& b) {
        clickOK(b);
        b.cmbInput->setCurrentIndex(1);
        clickOK(b);
    });
    EXPECT_EQ(result, modal::Ok);
    EXPECT_EQ(list.InputValue, QStringLiteral("02:大阪"));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.firstLine(0), "入力または選択してから[OK]ボタンを押して下さい。");
}

TEST(InputDialog, FailedInitialisationIsReportedOnceAndCloses)
{
    ScriptedMessages messages;
    TInputDlgBox box;
    box.InputCaption = QStringLiteral("フォルダ名");
    box.InitDialog(true);
    box.InitOK = false;
    EXPECT_EQ(box.ShowModal(), modal::Cancel);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.firstLine(0), "フォルダ名画面の初期化に失敗しました。");
    EXPECT_EQ(messages.shown()[0].lines[1].text, "処理を終了します。");
}

TEST(InputDialog, EscCancels)
{
    TInputDlgBox box;
    box.InitDialog(true);
    const int result = runWith(box, [](TInputDlgBox& b) {
        b.txtInput->setText(QStringLiteral("x"));
        QTest::keyClick(b.txtInput, Qt::Key_Escape);
    });
    EXPECT_EQ(result, modal::Cancel);
}

// The service of core reaches the real dialog: the data-password prompt is
// answered by typing into it.
TEST(InputDialog, CoreServiceShowsTheRealDialog)
{
    const auto previous = controls::installInputDlgHandler();
    ScriptedMessages messages;
    TInputDlgRequest request;
    request.inputKind = inputkind::Password;
    request.caption = "データパスワードの確認";
    request.prompt = "データパスワードを入力して下さい。";
    InputAnswers answers({QStringLiteral("wrong"), QStringLiteral("tolvan")});
    EXPECT_TRUE(AskPasswordThreeTimes(request, "tolvan"));
    EXPECT_EQ(answers.captions(),
        (QStringList {QStringLiteral("データパスワードの確認"), QStringLiteral("データパスワードの確認")}));
    core::setInputDlgHandler(previous);
}

} // namespace
