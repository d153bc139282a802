#include "controls/xPlButton.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

TEST(TxPlButtonTest, DefaultsOfANewButton)
{
    TxPlButton b;
    EXPECT_EQ(b.size(), QSize(75, 26));
    EXPECT_EQ(b.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(b.Gradation());
    EXPECT_EQ(b.GradBeginColor(), 0xFFFFFFu);
    EXPECT_EQ(b.GradEndColor(), 0xC0C0C0u);
    EXPECT_EQ(b.CaptionLineSpace(), 4);
    EXPECT_TRUE(b.CaptionVertCenter());
    EXPECT_EQ(b.Image().Left(), 10);
}

// Runs a dialog holding the button and clicks the button once it shows.
int runDialogAndClick(int modalResult, int* clicks)
{
    QDialog dialog;
    dialog.resize(200, 100);
    auto* button = new TxPlButton(&dialog);
    button->CaptionA().SetCaption(QStringLiteral("ｷｬﾝｾﾙ"));
    button->SetModalResult(modalResult);
    QObject::connect(button, &TxPlButton::OnClick, [clicks] { ++*clicks; });
    bool clicked = false;
    QTimer::singleShot(0, button, [button, &dialog, &clicked] {
        QTest::mouseClick(button, Qt::LeftButton);
        clicked = true;
        if (dialog.isVisible())
            dialog.done(99); // the button left it open
    });
    const int result = dialog.exec();
    EXPECT_TRUE(clicked) << "the click inside the running dialog never happened";
    return result;
}

TEST(TxPlButtonTest, ModalResultClosesItsDialog)
{
    int clicks = 0;
    EXPECT_EQ(runDialogAndClick(2, &clicks), 2);
    EXPECT_EQ(clicks, 1);
    clicks = 0;
    EXPECT_EQ(runDialogAndClick(0, &clicks), 99);
    EXPECT_EQ(clicks, 1);
}

TEST(TxPlButtonTest, EnterClicksAndCancelAnswersEsc)
{
    QWidget form;
    form.resize(300, 100);
    auto* edit = new QLineEdit(&form);
    auto* button = new TxPlButton(&form);
    button->move(10, 40);
    button->SetCancel(true);
    QSignalSpy spy(button, &TxPlButton::OnClick);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(spy.count(), 1);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_FALSE(button->IsPressed());
    // Without HasFocus the button answers no key.
    button->SetHasFocus(false);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(spy.count(), 2);
    // A disabled button does not click.
    button->SetHasFocus(true);
    button->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(spy.count(), 2);
}

TEST(TxPlButtonTest, GradationRowsFromBeginToEnd)
{
    TxPlButton b;
    b.SetButtonStyle(TxPlButtonStyle::bsFlatNoFrame);
    b.SetGradEndColor(0xB6B6B6);
    b.CaptionA().SetCaption(QString());
    b.resize(75, 26);
    const QImage img = b.grab().toImage();
    EXPECT_EQ(img.pixelColor(30, 0), QColor(255, 255, 255));
    EXPECT_EQ(img.pixelColor(30, 25), QColor(0xB6, 0xB6, 0xB6));
    EXPECT_EQ(img.pixelColor(30, 12), controls::gradationRow(0xFFFFFF, 0xB6B6B6, 12, 26));
    EXPECT_EQ(controls::gradationRow(0xFFFFFF, 0x000000, 0, 1), QColor(255, 255, 255));
    // Each channel on its own, with integer steps.
    EXPECT_EQ(controls::gradationRow(0x0000FF, 0xFF0000, 1, 3), QColor(128, 0, 127));
    TxPlButton thin;
    thin.SetButtonStyle(TxPlButtonStyle::bsFlatNoFrame);
    thin.resize(20, 1);
    EXPECT_EQ(thin.grab().toImage().pixelColor(10, 0), QColor(255, 255, 255));
}

TEST(TxPlButtonTest, RaisedFrameAndRoundRegion)
{
    TxPlButton b;
    b.CaptionA().SetCaption(QString());
    const QImage img = b.grab().toImage();
    EXPECT_EQ(img.pixelColor(0, 10), controls::toQColor(controls::cl3DLight));
    EXPECT_EQ(img.pixelColor(74, 10), controls::toQColor(controls::cl3DDkShadow));
    b.SetButtonStyle(TxPlButtonStyle::bsRoundRect);
    EXPECT_FALSE(b.mask().isEmpty());
    EXPECT_FALSE(b.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(b.mask().contains(QPoint(37, 13)));
    b.SetButtonStyle(TxPlButtonStyle::bsNormal);
    EXPECT_TRUE(b.mask().isEmpty());
}

TEST(TxPlButtonTest, EvenCaptionPositions)
{
    // One character is centred in the span.
    EXPECT_EQ(controls::evenCharPositions({10}, 2, 72), std::vector<int>({32}));
    // Two characters sit at the ends of the span.
    EXPECT_EQ(controls::evenCharPositions({10, 10}, 2, 72), std::vector<int>({2, 62}));
    // Remainder pixels go to the first gaps: 70 - 30 = 40 over 3 gaps = 13 r 1.
    EXPECT_EQ(controls::evenCharPositions({10, 10, 10, 0}, 2, 72), std::vector<int>({2, 26, 49, 72}));
    // Too narrow a span: negative gaps, the remainder taken from the first ones.
    EXPECT_EQ(controls::evenCharPositions({10, 10, 10}, 0, 25), std::vector<int>({0, 7, 15}));
    EXPECT_TRUE(controls::evenCharPositions({}, 0, 10).empty());
}

TEST(TxPlButtonTest, AcceleratorMarkIsNotShown)
{
    EXPECT_EQ(controls::stripMnemonic(QStringLiteral("OK(&O)")), QStringLiteral("OK(O)"));
    EXPECT_EQ(controls::stripMnemonic(QStringLiteral("A&&B")), QStringLiteral("A&B"));
    EXPECT_EQ(controls::stripMnemonic(QStringLiteral("末尾&")), QStringLiteral("末尾&"));
}

TEST(TxPlButtonTest, CaptionTopAndCentring)
{
    TxPlButton b;
    b.SetCaptionTop(6);
    EXPECT_FALSE(b.CaptionVertCenter());
    b.SetCaptionVertCenter(true);
    b.CaptionA().SetCaption(QStringLiteral("OK"));
    b.grab();
    const int lineHeight = QFontMetrics(b.font()).height();
    EXPECT_EQ(b.CaptionTop(), (26 - lineHeight) / 2 + 1);
}

TEST(TxPlButtonTest, OnlyBitmapsAndIconsAreKept)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Qt::red);
    const QString png = dir.filePath(QStringLiteral("a.png"));
    const QString bmp = dir.filePath(QStringLiteral("a.bmp"));
    ASSERT_TRUE(img.save(png));
    ASSERT_TRUE(img.save(bmp));
    TxPlButton b;
    EXPECT_FALSE(b.Image().LoadFromFile(png));
    EXPECT_FALSE(b.Image().HasPicture());
    EXPECT_TRUE(b.Image().LoadFromFile(bmp));
    EXPECT_TRUE(b.Image().HasPicture());
    EXPECT_FALSE(b.Image().SetPicture(QPixmap::fromImage(img), TxPlBtnImage::pkOther));
    EXPECT_FALSE(b.Image().HasPicture());
}

TEST(TxPlButtonTest, ShowsItsNameUntilCaptioned)
{
    QWidget form;
    auto* b = new TxPlButton(&form);
    b->setObjectName(QStringLiteral("btnOK"));
    form.show();
    EXPECT_EQ(b->CaptionA().Caption(), QStringLiteral("btnOK"));
}

} // namespace
