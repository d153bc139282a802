// The message dialog with detail lines: modes 0-3, the agree box, the
// memo that disappears without lines, focus and keys.

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "controls/z5MessageDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

int runWith(TMessageBox& box, std::function<void(TMessageBox&)> step)
{
    QTimer::singleShot(0, &box, [&box, step] { step(box); });
    return box.ShowModal();
}

TEST(MessageDialog, ModeOneHasASingleOKAtTheCancelPlace)
{
    TMessageBox box;
    box.BoxMode = 1;
    box.InitDialog(true);
    EXPECT_TRUE(box.btnOK->isHidden());
    EXPECT_EQ(box.btnCancel->CaptionA().Caption(), QStringLiteral("OK"));
    EXPECT_EQ(runWith(box, [](TMessageBox& b) { b.btnCancel->Click(); }), modal::Ok);
    EXPECT_EQ(runWith(box, [](TMessageBox& b) { QTest::keyClick(b.btnCancel, Qt::Key_Escape); }), modal::Cancel);
    const int f12 = runWith(box, [](TMessageBox& b) {
        QTest::keyClick(b.btnCancel, Qt::Key_F12);
        EXPECT_TRUE(b.isVisible()) << "F12 does nothing: OK is hidden";
        b.close();
    });
    EXPECT_EQ(f12, modal::Cancel);
}

TEST(MessageDialog, ModeTwoStartsDisabledAndFollowsTheTick)
{
    TMessageBox box;
    box.BoxMode = 2;
    box.AgreeChecked = true;
    box.InitDialog(true);
    EXPECT_TRUE(box.AgreeVisible);
    EXPECT_TRUE(box.cboxAgree->isChecked());
    EXPECT_FALSE(box.btnOK->isEnabled()) << "kept: OK starts disabled even when ticked";
    box.cboxAgree->setChecked(false);
    EXPECT_FALSE(box.btnOK->isEnabled());
    box.cboxAgree->setChecked(true);
    EXPECT_TRUE(box.btnOK->isEnabled());
    box.cboxAgree->setChecked(false);
    EXPECT_FALSE(box.btnOK->isEnabled());
    EXPECT_TRUE(box.btnCancel->isEnabled());
}

TEST(MessageDialog, ModeThreeShowsTheBoxWithoutConsequence)
{
    TMessageBox box;
    box.BoxMode = 3;
    box.InitDialog(true);
    EXPECT_FALSE(box.cboxAgree->isHidden());
    EXPECT_TRUE(box.btnOK->isEnabled());
    box.cboxAgree->setChecked(true);
    box.cboxAgree->setChecked(false);
    EXPECT_TRUE(box.btnOK->isEnabled());
}

TEST(MessageDialog, NoLinesHideTheMemoAndShortenTheDialog)
{
    TMessageBox with;
    with.SetMessageLines({QStringLiteral("01 株式会社ミルザ商事"), QStringLiteral("02 高橋商事")});
    with.InitDialog(true);
    TMessageBox without;
    without.InitDialog(true);
    EXPECT_FALSE(with.MessageArea->isHidden());
    EXPECT_EQ(with.MessageArea->toPlainText(), QStringLiteral("01 株式会社ミルザ商事\n02 高橋商事"));
    EXPECT_TRUE(without.MessageArea->isHidden());
    EXPECT_EQ(with.height() - without.height(), with.MessageArea->height());
    EXPECT_TRUE(without.cboxAgree->isHidden());
    QWidget* focused = nullptr;
    runWith(without, [&focused](TMessageBox& b) {
        focused = b.focusWidget();
        b.btnOK->Click();
    });
    EXPECT_EQ(focused, without.btnCancel) << "the focus is on Cancel unless asked otherwise";
}

TEST(MessageDialog, OneCallFormCopiesTheRecord)
{
    TMessageInfoRec rec;
    InitMessageBoxInfo(rec);
    EXPECT_EQ(rec.colour, 255u);
    EXPECT_EQ(rec.position, boxpos::OwnerFormCenter);
    rec.caption = "データの削除";
    rec.message = "次のデータを削除します。";
    rec.lines = {"第12期 高橋商事", "第13期 高橋商事"};
    rec.mode = 2;
    rec.agreeCaption = "削除に同意する";
    QString caption, label, agree;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        label = box->lblMain->text();
        agree = box->cboxAgree->text();
        EXPECT_EQ(box->lblMain->palette().color(QPalette::WindowText), QColor(Qt::red));
        box->cboxAgree->setChecked(true);
        box->btnOK->Click();
    });
    EXPECT_EQ(ShowMessageBox(rec), modal::Ok);
    EXPECT_EQ(caption, QStringLiteral("データの削除"));
    EXPECT_EQ(label, QStringLiteral("次のデータを削除します。"));
    EXPECT_EQ(agree, QStringLiteral("削除に同意する"));
}

} // namespace
