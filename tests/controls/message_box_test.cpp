// The Qt message box behind ShowMessage2.
#include "controls/UrlOpener.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "controls/z5MessageDlg2.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Installs the real box for one test and acts on it once it is modal.
class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { previous_ = controls::installMessageBoxHandler(); }
    void TearDown() override { core::setMessageHandler(previous_); }

    // The checks of `act` run inside the timer; the test also checks that
    // they ran at all (a box that never became modal would skip them).
    int show(TMessage2InfoRec& rec, std::function<void(TMessageBox2*)> act)
    {
        auto acted = std::make_shared<bool>(false);
        QTimer::singleShot(0, [act, acted] {
            auto* box = qobject_cast<TMessageBox2*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            box->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(box));
            act(box);
            *acted = true;
            if (box->isVisible())
                box->done(-1); // never leave a test waiting
        });
        const int result = ShowMessage2(rec);
        EXPECT_TRUE(*acted) << "the box was never shown modally: its checks did not run";
        return result;
    }

    static TMessage2InfoRec confirmation()
    {
        TMessage2InfoRec rec;
        InitMessage2Info(msgkind::Confirmation, rec);
        rec.lines[0].text = "データを更新します。";
        rec.lines[1].text = "よろしいですか？";
        return rec;
    }

    static QStringList visibleButtonCaptions(TMessageBox2* box)
    {
        QStringList out;
        for (int i = 0; i < 3; ++i) {
            if (box->Button(i)->isVisibleTo(box))
                out << box->Button(i)->CaptionA().Caption();
        }
        return out;
    }

private:
    core::MessageHandler previous_;
};

TEST_F(MessageBoxTest, ConfirmationShowsCaptionIconLinesAndButtons)
{
    TMessage2InfoRec rec = confirmation();
    const int result = show(rec, [](TMessageBox2* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("確認"));
        EXPECT_EQ(box->Image()->property("kindIcon").toInt(), static_cast<int>(QStyle::SP_MessageBoxQuestion));
        EXPECT_EQ(box->Label(0)->text(), QStringLiteral("データを更新します。"));
        EXPECT_EQ(box->Label(1)->text(), QStringLiteral("よろしいですか？"));
        EXPECT_EQ(visibleButtonCaptions(box), QStringList({QStringLiteral("OK(&O)"), QStringLiteral("ｷｬﾝｾﾙ(&C)")}));
        EXPECT_TRUE(box->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(QApplication::focusWidget(), box->Button(0));
        QTest::mouseClick(box->Button(0), Qt::LeftButton);
    });
    EXPECT_EQ(result, modal::Ok);
}

TEST_F(MessageBoxTest, CancelAndEscAnswerCancel)
{
    TMessage2InfoRec rec = confirmation();
    EXPECT_EQ(show(rec, [](TMessageBox2* box) { QTest::mouseClick(box->Button(1), Qt::LeftButton); }), modal::Cancel);
    EXPECT_EQ(show(rec, [](TMessageBox2* box) { QTest::keyClick(box->Button(0), Qt::Key_Escape); }), modal::Cancel);
    // Esc acts on its release: the press alone leaves the box open.
    EXPECT_EQ(show(rec,
                  [](TMessageBox2* box) {
                      QTest::keyPress(box->Button(0), Qt::Key_Escape);
                      EXPECT_TRUE(box->isVisible());
                      QTest::keyRelease(box->Button(0), Qt::Key_Escape);
                  }),
        modal::Cancel);
    EXPECT_EQ(show(rec, [](TMessageBox2* box) { QTest::keyClick(box->Button(0), Qt::Key_Return); }), modal::Ok);
}

TEST_F(MessageBoxTest, FourButtonBitsShowTheFirstThree)
{
    TMessage2InfoRec rec = confirmation();
    rec.buttons = msgbtn::Yes | msgbtn::No | msgbtn::OK | msgbtn::Cancel;
    const int result = show(rec, [](TMessageBox2* box) {
        EXPECT_EQ(visibleButtonCaptions(box),
            QStringList({QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"), QStringLiteral("OK(&O)")}));
        QTest::mouseClick(box->Button(1), Qt::LeftButton);
    });
    EXPECT_EQ(result, modal::No);
}

TEST_F(MessageBoxTest, AgreeBoxHoldsBackFirstButton)
{
    TMessage2InfoRec rec = confirmation();
    rec.agreeMode = 1;
    rec.agreeCaption = "同意する";
    const int result = show(rec, [](TMessageBox2* box) {
        EXPECT_TRUE(box->AgreePanel()->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), box->AgreeBox());
        EXPECT_FALSE(box->Button(0)->isEnabled());
        QTest::keyClick(box->AgreeBox(), Qt::Key_Space);
        EXPECT_TRUE(box->Button(0)->isEnabled());
        QTest::keyClick(box->AgreeBox(), Qt::Key_Space);
        EXPECT_FALSE(box->Button(0)->isEnabled());
        QTest::keyClick(box->AgreeBox(), Qt::Key_Space);
        QTest::mouseClick(box->Button(0), Qt::LeftButton);
    });
    EXPECT_EQ(result, modal::Ok);
    EXPECT_TRUE(rec.agreeChecked);
}

TEST_F(MessageBoxTest, BlankAgreeCaptionShowsNoAgreeBox)
{
    TMessage2InfoRec rec = confirmation();
    rec.agreeMode = 1;
    rec.agreeCaption = "   ";
    show(rec, [](TMessageBox2* box) {
        EXPECT_FALSE(box->AgreePanel()->isVisible());
        EXPECT_TRUE(box->Button(0)->isEnabled());
        EXPECT_EQ(box->AgreeMode(), 0);
        QTest::mouseClick(box->Button(0), Qt::LeftButton);
    });
}

TEST_F(MessageBoxTest, LinkLineOpensThroughOpenerAndTurnsPurple)
{
    std::vector<std::string> opened;
    const auto previousOpener = controls::setUrlOpener([&](const std::string& a) {
        opened.push_back(a);
        return 0;
    });
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    rec.lines[0].text = "詳しくはこちら";
    rec.lines[0].colour = 255;
    rec.lines[0].link = "https://example.invalid/help";
    rec.lines[1].text = "赤い行";
    rec.lines[1].colour = 255;
    show(rec, [&](TMessageBox2* box) {
        QLabel* link = box->Label(0);
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(box->Label(1)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QTest::mouseClick(link, Qt::LeftButton);
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0x80, 0, 0x80));
        EXPECT_TRUE(box->isVisible());
        QTest::mouseClick(box->Button(0), Qt::LeftButton);
    });
    controls::setUrlOpener(previousOpener);
    EXPECT_EQ(opened, std::vector<std::string>({"https://example.invalid/help"}));
}

TEST_F(MessageBoxTest, CtrlCCopiesTheMessage)
{
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Warning, rec);
    rec.lines[0].text = "保存できません。";
    show(rec, [](TMessageBox2* box) {
        QTest::keyClick(box->Button(0), Qt::Key_C, Qt::ControlModifier);
        EXPECT_TRUE(box->isVisible());
        QTest::mouseClick(box->Button(0), Qt::LeftButton);
    });
    const QString rule(27, QLatin1Char('-'));
    QString expected = rule + QStringLiteral("\r\n警告\r\n") + rule + QStringLiteral("\r\n保存できません。\r\n");
    for (int i = 0; i < 9; ++i)
        expected += QStringLiteral("\r\n");
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
}

TEST_F(MessageBoxTest, CatalogueNumberReplacesCallerLines)
{
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Error, rec);
    rec.id = 0x1011;
    rec.lines[0].text = "呼び出し側の行";
    rec.lines[6].text = "残らない行";
    show(rec, [](TMessageBox2* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("情報"));
        EXPECT_EQ(
            box->Label(0)->text(), QStringLiteral("このデータは「データの更新」処理を行うことが禁止されています。"));
        EXPECT_EQ(
            box->Label(3)->text(), QStringLiteral("または、過去バージョンのプログラムを起動し選択してください。"));
        EXPECT_TRUE(box->Label(6)->text().isEmpty());
        QTest::mouseClick(box->Button(0), Qt::LeftButton);
    });
    rec.id = 0x7777;
    show(rec, [](TMessageBox2* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("情報"));
        EXPECT_EQ(visibleButtonCaptions(box), QStringList({QStringLiteral("OK(&O)")}));
        for (int i = 0; i < 10; ++i)
            EXPECT_TRUE(box->Label(i)->text().isEmpty());
        QTest::mouseClick(box->Button(0), Qt::LeftButton);
    });
}

// Layout without showing: heights and button places.
struct HeightCase {
    std::vector<int> filled; // 1-based line numbers with text
    int textHeight;
};

class MessageBoxHeightTest : public ::testing::TestWithParam<HeightCase> { };

TEST_P(MessageBoxHeightTest, TextAreaEndsOneLineBelowTheLastText)
{
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    for (int n : GetParam().filled)
        rec.lines[static_cast<std::size_t>(n - 1)].text = "行";
    TMessageBox2 box;
    box.SetMessage(0, rec);
    EXPECT_EQ(box.ClientPanel()->height(), GetParam().textHeight);
    EXPECT_EQ(box.height(), GetParam().textHeight + 38);
    // Every line with text lies inside the text area.
    for (int n : GetParam().filled) {
        const QLabel* label = box.Label(n - 1);
        EXPECT_LE(label->y() + label->height(), box.ClientPanel()->height()) << "line " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, MessageBoxHeightTest,
    ::testing::Values(HeightCase {{}, 72}, HeightCase {{1}, 72}, HeightCase {{1, 2}, 96}, HeightCase {{1, 3}, 120},
        HeightCase {{1, 5}, 168}, HeightCase {{1, 2, 3, 4, 5, 6, 7, 8, 9}, 264},
        HeightCase {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 265}, HeightCase {{10}, 265}));

TEST(MessageBoxLayout, EachKindHasItsCaptionIconAndButtons)
{
    struct KindCase {
        std::uint8_t kind;
        const char* caption;
        int icon; // -1: none
        QStringList buttons;
    };
    const QString ok = QStringLiteral("OK(&O)");
    const QString cancel = QStringLiteral("ｷｬﾝｾﾙ(&C)");
    const KindCase cases[] = {
        {0, "警告", QStyle::SP_MessageBoxWarning, {ok}},
        {1, "エラー", QStyle::SP_MessageBoxCritical, {ok}},
        {2, "情報", QStyle::SP_MessageBoxInformation, {ok}},
        {3, "確認", QStyle::SP_MessageBoxQuestion, {ok, cancel}},
        {9, "", -1, {ok}},
    };
    for (const auto& c : cases) {
        TMessage2InfoRec rec;
        InitMessage2Info(c.kind, rec);
        TMessageBox2 box;
        box.SetMessage(0, rec);
        EXPECT_EQ(box.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(box.Image()->property("kindIcon").toInt(), c.icon) << int(c.kind);
        EXPECT_EQ(box.Image()->pixmap().isNull(), c.icon < 0);
        QStringList shown;
        for (int i = 0; i < 3; ++i) {
            if (!box.Button(i)->isHidden())
                shown << box.Button(i)->CaptionA().Caption();
        }
        EXPECT_EQ(shown, c.buttons) << int(c.kind);
    }
}

TEST(MessageBoxLayout, WidthFollowsTheWidestLine)
{
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    rec.lines[0].text = "短い";
    TMessageBox2 box;
    box.SetMessage(0, rec);
    EXPECT_EQ(box.width(), 530);
    rec.lines[1].text = std::string(200, 'W');
    box.SetMessage(0, rec);
    EXPECT_EQ(box.width(), box.Label(1)->x() + box.Label(1)->width() + 30);
    EXPECT_GT(box.width(), 530);
}

TEST(MessageBoxLayout, ButtonsAreCentred)
{
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    TMessageBox2 box;
    box.SetMessage(0, rec);
    const int w = box.width();
    EXPECT_EQ(box.Button(0)->x(), (w - 75) / 2);
    rec.buttons = msgbtn::OK | msgbtn::Cancel;
    box.SetMessage(0, rec);
    EXPECT_EQ(box.Button(0)->x(), w / 2 - 10 - 75);
    EXPECT_EQ(box.Button(1)->x(), w / 2 + 10);
    rec.buttons = msgbtn::Yes | msgbtn::No | msgbtn::Cancel;
    box.SetMessage(0, rec);
    EXPECT_EQ(box.Button(1)->x(), (w - 75) / 2);
    EXPECT_EQ(box.Button(0)->x(), box.Button(1)->x() - 10 - 75);
    EXPECT_EQ(box.Button(2)->x(), box.Button(1)->x() + 75 + 10);
    EXPECT_EQ(box.Button(2)->ModalResult(), modal::Cancel);
}

TEST(MessageBoxLayout, AgreePanelAddsItsHeight)
{
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    rec.lines[0].text = "行";
    rec.agreeMode = 2;
    rec.agreeCaption = "確認しました";
    rec.agreeChecked = true;
    TMessageBox2 box;
    box.SetMessage(0, rec);
    EXPECT_EQ(box.height(), 72 + 32 + 38);
    EXPECT_TRUE(box.AgreeBox()->isChecked());
    EXPECT_EQ(box.AgreeBox()->text(), QStringLiteral("確認しました"));
    EXPECT_TRUE(box.Button(0)->isEnabled()); // mode 2 holds nothing back
}

TEST(MessageCatalogue, HoldsTheFifteenEntries)
{
    const std::pair<std::uint32_t, std::uint8_t> entries[] = {{0x1010, 3}, {0x1011, 2}, {0x1012, 2}, {0x1020, 2},
        {0x1030, 3}, {0x2014, 2}, {0x10001010, 2}, {0x10001011, 2}, {0x10001012, 2}, {0x10002010, 3}, {0x10002011, 3},
        {0x10003010, 3}, {0x10003011, 3}, {0x10003012, 3}, {0x10004010, 2}};
    for (const auto& [number, kind] : entries) {
        TMessage2InfoRec rec;
        InitMessage2Info(msgkind::Information, rec);
        ASSERT_TRUE(controls::message2Catalogue(static_cast<std::int32_t>(number), rec)) << std::hex << number;
        EXPECT_EQ(rec.kind, kind) << std::hex << number;
        EXPECT_FALSE(rec.lines[0].text.empty());
    }
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    controls::message2Catalogue(0x10003011, rec);
    EXPECT_EQ(rec.caption, "内訳書の削除");
    EXPECT_EQ(rec.buttons, msgbtn::OK | msgbtn::Cancel);
    EXPECT_EQ(rec.lines[1].text,
        "注意）削除を行うと、内訳に記述してある金融機関名などの情報は科目情報を取り込んでも記述されません。");
    EXPECT_EQ(rec.lines[1].colour, 255u);
    EXPECT_EQ(rec.lines[3].text, "入れてください。");
    EXPECT_EQ(rec.lines[0].colour, 0u);
    EXPECT_FALSE(controls::message2Catalogue(0x1013, rec));
}

} // namespace
