// The base form: switches, keys on key-up, long hints in the help memo,
// the first show (run log, scaling, size memory) on a sample data root,
// placement, period panels and grid colours.

#include "controls/SDI.h"
#include "controls/xKikanPanel.h"
#include "controls/xPlButton.h"
#include "core/DataModule.h"
#include "core/DateTimeUtil.h"
#include "core/dataset_fixture.h"
#include "core/uAccRecord.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// A screen as the later screens build theirs: switches set after the base
// constructor, a help memo, an OK button and two edits with hints.
class TSampleForm : public TBSDI {
public:
    explicit TSampleForm(TFormBorderStyle style = TFormBorderStyle::bsDialog)
        : TBSDI(nullptr, style)
    {
        setWindowTitle(QStringLiteral("基本画面の確認"));
        resize(360, 220);
        edit1 = new QLineEdit(this);
        edit1->setGeometry(10, 10, 200, 24);
        controls::SetHint(edit1, QStringLiteral("会社名|会社の正式な名称を入力します。"));
        edit2 = new QLineEdit(this);
        edit2->setGeometry(10, 40, 200, 24);
        controls::SetHint(edit2, QStringLiteral("ヒントに区切りなし"));
        edit3 = new QLineEdit(this);
        edit3->setGeometry(10, 70, 200, 24);
        memo = new QPlainTextEdit(this);
        memo->setGeometry(10, 100, 340, 60);
        ok = new TxPlButton(this);
        ok->setGeometry(250, 180, 90, 28);
        ok->CaptionA().SetCaption(QStringLiteral("F12:OK"));
        connect(ok, &TxPlButton::OnClick, this, [this] { ++okClicks; });
        HelpMemo = memo;
        DefaultButton = ok;
        KeepOnClose = true;
        InitOK = true;
    }
    QLineEdit* edit1;
    QLineEdit* edit2;
    QLineEdit* edit3;
    QPlainTextEdit* memo;
    TxPlButton* ok;
    int okClicks = 0;
};

bool showActive(QWidget* w)
{
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

TEST(BaseForm, SwitchesFollowTheBorderStyle)
{
    ResetProcessState();
    TSampleForm dialog;
    EXPECT_FALSE(dialog.RunLog);
    EXPECT_FALSE(dialog.SizeMemory);
    EXPECT_FALSE(dialog.SkipProcCheck);
    EXPECT_FALSE(dialog.ReloadAccInfo);
    EXPECT_FALSE(dialog.ActivateFlag);
    EXPECT_TRUE(dialog.AlwaysPlace);
    EXPECT_TRUE(dialog.FocusDefaultButton);
    EXPECT_FALSE(dialog.Shown);
    TSampleForm sizeable(TFormBorderStyle::bsSizeable);
    EXPECT_TRUE(sizeable.RunLog);
    EXPECT_TRUE(sizeable.SizeMemory);
    EXPECT_TRUE(sizeable.SkipProcCheck);
    EXPECT_TRUE(sizeable.ReloadAccInfo);
    EXPECT_TRUE(sizeable.ActivateFlag);
}

TEST(BaseForm, LongHintOfTheFocusedControlGoesToTheHelpMemo)
{
    ResetProcessState();
    TSampleForm form;
    ASSERT_TRUE(showActive(&form));
    form.edit1->setFocus();
    EXPECT_EQ(form.memo->toPlainText(), QStringLiteral("会社の正式な名称を入力します。"));
    EXPECT_EQ(form.edit1->toolTip(), QStringLiteral("会社名"));
    form.edit2->setFocus();
    EXPECT_EQ(form.memo->toPlainText(), QStringLiteral("ヒントに区切りなし"));
    form.edit3->setFocus();
    EXPECT_EQ(form.memo->toPlainText(), QString());

    // Without a memo nothing is written anywhere.
    form.memo->setPlainText(QStringLiteral("前の文"));
    form.HelpMemo = nullptr;
    form.edit1->setFocus();
    EXPECT_EQ(form.memo->toPlainText(), QStringLiteral("前の文"));
}

TEST(BaseForm, LongHintRules)
{
    struct Case {
        QString hint, expected;
    } cases[] = {{"a|b", "b"}, {"a|b|c", "b|c"}, {"whole", "whole"}, {"", ""}, {"|long", "long"}};
    for (const auto& c : cases)
        EXPECT_EQ(controls::LongHint(c.hint), c.expected) << c.hint.toStdString();
}

enum class ButtonState { Enabled, Disabled, Hidden };

struct KeyCase {
    int key;
    TFormBorderStyle style;
    Qt::KeyboardModifiers modifiers;
    ButtonState button;
    bool closes;
    bool clicks;
};

class BaseFormKeys : public ::testing::TestWithParam<KeyCase> { };

TEST_P(BaseFormKeys, ActOnKeyUpWithoutModifiers)
{
    ResetProcessState();
    const KeyCase c = GetParam();
    TSampleForm form(c.style);
    form.ok->setEnabled(c.button != ButtonState::Disabled);
    form.ok->setVisible(c.button != ButtonState::Hidden);
    ASSERT_TRUE(showActive(&form));
    form.edit1->setFocus();
    QTest::keyPress(form.edit1, static_cast<Qt::Key>(c.key), c.modifiers);
    EXPECT_TRUE(form.isVisible()) << "nothing happens on the press";
    QTest::keyRelease(form.edit1, static_cast<Qt::Key>(c.key), c.modifiers);
    EXPECT_EQ(!form.isVisible(), c.closes);
    EXPECT_EQ(form.okClicks, c.clicks ? 1 : 0);
    if (c.clicks) {
        EXPECT_EQ(QApplication::focusWidget(), form.ok);
    }
}

constexpr auto Dialog = TFormBorderStyle::bsDialog;
constexpr auto Sizeable = TFormBorderStyle::bsSizeable;
constexpr auto None = Qt::NoModifier;

INSTANTIATE_TEST_SUITE_P(Table, BaseFormKeys,
    ::testing::Values(KeyCase {Qt::Key_Escape, Dialog, None, ButtonState::Enabled, true, false},
        KeyCase {Qt::Key_Escape, Sizeable, None, ButtonState::Enabled, false, false},
        KeyCase {Qt::Key_Escape, Dialog, Qt::ControlModifier, ButtonState::Enabled, false, false},
        KeyCase {Qt::Key_F12, Dialog, None, ButtonState::Enabled, false, true},
        KeyCase {Qt::Key_F12, Dialog, None, ButtonState::Disabled, false, false},
        KeyCase {Qt::Key_F12, Dialog, None, ButtonState::Hidden, false, false},
        KeyCase {Qt::Key_F12, Dialog, Qt::ControlModifier, ButtonState::Enabled, false, false},
        KeyCase {Qt::Key_F12, Dialog, Qt::ShiftModifier, ButtonState::Enabled, false, false},
        KeyCase {Qt::Key_F12, Sizeable, None, ButtonState::Enabled, true, false},
        KeyCase {Qt::Key_F1, Dialog, None, ButtonState::Enabled, false, false},
        KeyCase {Qt::Key_F5, Dialog, None, ButtonState::Enabled, false, false},
        KeyCase {Qt::Key_F11, Sizeable, None, ButtonState::Enabled, false, false}));

// The key the base form consumed does not reach a descendant's own
// handling; a key it left alone does.
class TKeyRecordingForm : public TSampleForm {
public:
    std::vector<int> seen;

protected:
    void FormKeyUp(int& key, Qt::KeyboardModifiers shift) override
    {
        TBSDI::FormKeyUp(key, shift);
        seen.push_back(key);
    }
};

TEST(BaseForm, F12ClearsTheKeyOnlyWhenItPressedTheButton)
{
    ResetProcessState();
    TKeyRecordingForm form;
    ASSERT_TRUE(showActive(&form));
    form.edit1->setFocus();
    QTest::keyClick(form.edit1, Qt::Key_F12);
    form.ok->setEnabled(false);
    form.edit1->setFocus();
    QTest::keyClick(form.edit1, Qt::Key_F12);
    ASSERT_EQ(form.seen.size(), 2u);
    EXPECT_EQ(form.seen[0], 0);
    EXPECT_EQ(form.seen[1], Qt::Key_F12);
}

TEST(BaseForm, EscWhileAMouseButtonIsHeldDoesNothing)
{
    ResetProcessState();
    TSampleForm form;
    ASSERT_TRUE(showActive(&form));
    form.edit1->setFocus();
    QTest::mousePress(form.edit3, Qt::LeftButton);
    if (QGuiApplication::mouseButtons() == Qt::NoButton)
        GTEST_SKIP() << "this platform does not report held buttons";
    QTest::keyClick(form.edit3, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    QTest::mouseRelease(form.edit3, Qt::LeftButton);
}

TEST(BaseForm, ModalEscGivesCancel)
{
    ResetProcessState();
    TSampleForm form;
    QTimer::singleShot(0, &form, [&form] {
        form.edit1->setFocus();
        QTest::keyClick(form.edit1, Qt::Key_Escape);
    });
    EXPECT_EQ(form.ShowModal(), modal::Cancel);
    EXPECT_FALSE(form.isVisible());
}

TEST(BaseForm, ModelessCloseFreesTheFormUnlessKeptOnClose)
{
    ResetProcessState();
    QPointer<TSampleForm> freed = new TSampleForm;
    freed->KeepOnClose = false;
    freed->show();
    freed->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(freed.isNull());

    auto kept = std::make_unique<TSampleForm>();
    QPointer<TSampleForm> guard = kept.get();
    kept->show();
    kept->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(guard.isNull());
}

TEST(BaseForm, ShowingNotifiesTheHostMenu)
{
    ResetProcessState();
    std::vector<std::pair<int, std::string>> calls;
    OnHostMenu = [&calls](int command, const std::string& text) {
        calls.emplace_back(command, text);
        return 0;
    };
    TSampleForm form;
    form.HostMenuNotify = true;
    form.show();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], std::make_pair(10, std::string()));
    EXPECT_EQ(calls[1], std::make_pair(11, std::string("SaffrinMenu")));
    EXPECT_EQ(calls[2], std::make_pair(4, std::string()));
    form.hide();
    calls.clear();
    OnHostMenu = [&calls](int command, const std::string& text) {
        calls.emplace_back(command, text);
        return 1; // other processes are open
    };
    form.show();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(form.HostMenuNotify);
    ResetProcessState();
}

TEST(BaseForm, ScalingArithmetic)
{
    struct Case {
        int screen, base, ppi, percent, n;
    } cases[] = {{10, 10, 96, 100, 96}, {12, 10, 96, 120, 115}, {9, 10, 96, 90, 86}, {12, 10, 120, 115, 138},
        {12, 9, 96, 133, 128}};
    for (const auto& c : cases) {
        EXPECT_EQ(controls::FontScalePercent(c.screen, c.base, c.ppi), c.percent) << c.screen << "/" << c.base;
        EXPECT_EQ(controls::ScaledPixelsPerInch(c.ppi, c.base, c.percent), c.n) << c.screen << "/" << c.base;
    }
    EXPECT_EQ(controls::MulDiv(100, 115, 96), 120);
    EXPECT_EQ(controls::MulDiv(-7, 1, 2), -4);
    EXPECT_EQ(controls::FrameShift(4), 0);
    EXPECT_EQ(controls::FrameShift(8), 8);
    EXPECT_EQ(controls::FacilityCaption("本・支店の選択"), "施設の選択");
    EXPECT_EQ(controls::FacilityCaption("支店コード・支店名"), "施設コード・施設名");
}

TEST(BaseForm, FirstShowScalesToTheOperatorFontOnce)
{
    ResetProcessState();
    SysDef.ScreenFont.Size = 10;
    SysDef.GridFont.Size = 12;
    TSampleForm form;
    auto* table = new QTableWidget(3, 2, &form);
    table->setGeometry(10, 100, 200, 80);
    table->setColumnWidth(0, 100);
    const int ppi = 96;
    const int before = form.edit1->width();
    form.show();
    if (form.logicalDpiX() != ppi)
        GTEST_SKIP() << "the screen is not at 96 dots per inch";
    EXPECT_EQ(form.PixelsPerInch(), 115);
    EXPECT_EQ(form.edit1->width(), controls::MulDiv(before, 115, 96));
    EXPECT_EQ(table->columnWidth(0), 119) << "recorded 100 at 115 pixels per inch";
    EXPECT_EQ(form.font().pointSize(), 12);
    EXPECT_GE(form.edit1->height(), form.edit1->sizeHint().height()) << "text fits the real font";
    const QSize shown = form.size();
    form.hide();
    form.show();
    EXPECT_EQ(form.size(), shown) << "a second show scales nothing";
    ResetProcessState();
}

TEST(BaseForm, FacilityWordingOnFirstShow)
{
    ResetProcessState();
    AccInf.SisetuLabel = true;
    TSampleForm form;
    auto* label = new QLabel(QStringLiteral("本・支店"), &form);
    form.show();
    EXPECT_EQ(label->text(), QStringLiteral("施設"));
    ResetProcessState();
}

TEST(BaseForm, Placement)
{
    using controls::PlaceForm;
    controls::TPlacement p;
    p.workArea = QRect(0, 0, 1000, 700);
    p.form = QRect(50, 50, 400, 300);
    p.kind = 3;
    EXPECT_EQ(*PlaceForm(p), QPoint(300, 200)) << "screen centre";
    p.alwaysPlace = false;
    EXPECT_FALSE(PlaceForm(p).has_value()) << "already on screen stays";
    p.form.moveTo(0, 50);
    EXPECT_TRUE(PlaceForm(p).has_value()) << "left 0 is not strictly inside";
    p.alwaysPlace = true;
    p.kind = 2;
    p.mainShowing = true;
    p.mainForm = QRect(700, 500, 400, 200);
    EXPECT_EQ(*PlaceForm(p), QPoint(600, 400)) << "centred over the main form, kept inside";
    p.mainShowing = false;
    EXPECT_EQ(*PlaceForm(p), QPoint(300, 200)) << "no main form: screen centre";
    p.form = QRect(0, 0, 1200, 800);
    p.kind = 3;
    EXPECT_EQ(*PlaceForm(p), QPoint(0, 0)) << "a dialog larger than the screen keeps its corner on it";
}

TEST(BaseForm, PeriodPanelsFromTheOpenCompany)
{
    struct Case {
        int kaisino;
        bool range;
        int st, ed;
    } cases[] = {{4, false, 4, 4}, {4, true, 4, 15}, {12, false, 14, 14}, {1, false, 0, 0}, {9, false, 10, 10}};
    for (const auto& c : cases) {
        ResetProcessState();
        AccInf.SIME = 99;
        AccInf.KISHU = EncodeDate(2024, 4, 1);
        AccInf.KIMATU = EncodeDate(2025, 3, 31);
        AccInf.KAISI = EncodeDate(2024, 4, 1);
        AccInf.KAISINO = c.kaisino;
        TSampleForm form;
        auto* panel = new TxKikanPanel16(&form);
        panel->setObjectName(QStringLiteral("KikanPanel16"));
        panel->SetKikanMove(c.range);
        form.SetupPeriodControls();
        EXPECT_EQ(panel->Stno(), c.st) << c.kaisino;
        EXPECT_EQ(panel->Edno(), c.ed) << c.kaisino;
    }
    ResetProcessState();
}

TEST(BaseForm, GridColoursFromTheOperatorSettings)
{
    ResetProcessState();
    SysDef.ColHeaderColor = 0x112233;
    SysDef.ClientColor = 0xFFFFFF;
    SysDef.ClientColor1 = 0xEEEEEE;
    SysDef.ClientColor2 = 0xDDDDDD;
    SysDef.ActiveColor = 0x0000FF;
    auto one = controls::GridColors(1);
    EXPECT_EQ(one.BackColor, 0xFFFFFFu);
    EXPECT_EQ(one.OddRowBackColor, 0xFFFFFFu);
    EXPECT_EQ(one.ThruBorderColor, 0x8000u);
    EXPECT_EQ(one.FixedBackColor, 0x112233u);
    auto rows = controls::GridColors(0);
    EXPECT_EQ(rows.BackColor, 0xEEEEEEu);
    EXPECT_EQ(rows.OddRowBackColor, 0xDDDDDDu);
    DistKind = 1;
    EXPECT_EQ(controls::GridColors(0).ThruBorderColor, 0x246BFFu);
    ResetProcessState();
}

// --- run log and size memory on the sample data root ---------------------------------

class BaseFormDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::make_unique<dataset_fixture::Root>();
        ASSERT_TRUE(core::DM->fnAccDatConnected({}, root->company, 0));
    }
    void TearDown() override
    {
        core::DM->fnAccDatDisConnected();
        root.reset();
    }
    std::string company(const std::string& sql) { return dataset_fixture::Root::scalar(root->companyDb, sql); }
    std::string system(const std::string& sql)
    {
        return dataset_fixture::Root::scalar(root->root->info().systemDatabase, sql);
    }
    std::unique_ptr<dataset_fixture::Root> root;
};

TEST_F(BaseFormDatabase, RunLogRowOpensAtFirstShowAndEndsAtClose)
{
    ScriptedMessages messages;
    {
        TSampleForm form;
        form.RunLog = true;
        form.show();
        EXPECT_EQ(company("SELECT COUNT(*) FROM OPINF WHERE JOBNAME = '基本画面の確認'"), "1");
        EXPECT_EQ(company("SELECT PCNAME FROM OPINF"), "TESTPC");
        EXPECT_EQ(company("SELECT OPCODE FROM OPINF"), std::to_string(SysDef.OpCode));
        form.hide();
        form.show();
        EXPECT_EQ(company("SELECT COUNT(*) FROM OPINF"), "1") << "a second show writes nothing";
        form.close();
        EXPECT_EQ(company("SELECT COUNT(*) FROM OPINF"), "0") << "a normal close ends the row";
    }
    // A run that never closed leaves its row; the next opening ends it and
    // opens its own.
    dataset_fixture::Root::exec(root->companyDb,
        "INSERT INTO OPINF (OPCODE, JOBNAME, PCNAME) VALUES (" + std::to_string(SysDef.OpCode)
            + ", '基本画面の確認', 'OLD')");
    {
        TSampleForm form;
        form.RunLog = true;
        form.show();
        EXPECT_EQ(company("SELECT COUNT(*) FROM OPINF"), "1");
        EXPECT_EQ(company("SELECT PCNAME FROM OPINF"), "TESTPC");
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(BaseFormDatabase, RunLogWithoutACompanyIsAReportedDatabaseError)
{
    core::DM->fnAccDatDisConnected();
    ScriptedMessages messages;
    TSampleForm form;
    form.RunLog = true;
    form.show(); // reported, not a crash
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].lines[0].text, "実行履歴の記録に失敗しました。");
    form.hide();
}

TEST_F(BaseFormDatabase, SizeMemoryRestoresTheLastSizeAndPlace)
{
    ScriptedMessages messages;
    QSize first;
    {
        TSampleForm form(Sizeable);
        form.setObjectName(QStringLiteral("SampleForm"));
        form.RunLog = false;
        form.ReloadAccInfo = false;
        form.show();
        first = form.size();
        // 1012 x 648 at 96 dots per inch, within the screen's size.
        EXPECT_EQ(first, QSize(1012, 648).boundedTo(form.maximumSize()));
        EXPECT_EQ(system("SELECT FMWIDTH || 'x' || FMHEIGHT || ' ' || DEFWIDTH || 'x' || DEFHEIGHT FROM FORMRSIZE "
                         "WHERE FMNAME = 'SampleForm'"),
            "1012x648 1012x648");
        form.resize(700, 450);
        form.move(40, 30);
        form.close();
        EXPECT_EQ(system("SELECT FMLEFT || ',' || FMTOP || ' ' || FMWIDTH || 'x' || FMHEIGHT FROM FORMRSIZE "
                         "WHERE FMNAME = 'SampleForm'"),
            "40,30 700x450");
    }
    {
        TSampleForm form(Sizeable);
        form.setObjectName(QStringLiteral("SampleForm"));
        form.RunLog = false;
        form.ReloadAccInfo = false;
        form.show();
        EXPECT_EQ(form.size(), QSize(700, 450));
        EXPECT_EQ(form.pos(), QPoint(40, 30));
        EXPECT_GE(form.minimumWidth(), 0);
        form.move(-20, -5);
        form.close();
        EXPECT_EQ(system("SELECT FMLEFT || ',' || FMTOP FROM FORMRSIZE WHERE FMNAME = 'SampleForm'"), "0,0")
            << "off the left or top edge is stored as 0";
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(BaseFormDatabase, ScreenValueRoundTrip)
{
    {
        TSampleForm form;
        form.setObjectName(QStringLiteral("PrintDlg"));
        form.ScreenValue = "1,0,2";
        form.SaveScreenValue();
    }
    TSampleForm form;
    form.setObjectName(QStringLiteral("PrintDlg"));
    form.RestoreScreenValue();
    EXPECT_EQ(form.ScreenValue, "1,0,2");
}

} // namespace

namespace {

// Without any database the first show and the close report their database
// errors (missing statements are database errors, not null dereferences)
// and the form still opens and closes.
TEST(BaseFormWithoutDatabases, MissingComponentsAreReportedDatabaseErrors)
{
    ResetProcessState();
    ASSERT_EQ(core::DM, nullptr);
    ScriptedMessages messages;
    {
        TSampleForm form(Sizeable);
        form.ReloadAccInfo = false;
        form.show();
        EXPECT_TRUE(form.isVisible());
        form.close();
        EXPECT_FALSE(form.isVisible());
    }
    std::vector<std::string> lines;
    for (const auto& m : messages.shown())
        lines.push_back(m.lines[0].text);
    // The run log's failure ends the first show's steps (it is raised to
    // the show); the close runs both of its steps whatever happens.
    EXPECT_EQ(lines,
        (std::vector<std::string> {
            "実行履歴の記録に失敗しました。", "画面サイズの保存に失敗しました。", "実行履歴の記録に失敗しました。"}));
    ResetProcessState();
}

} // namespace
