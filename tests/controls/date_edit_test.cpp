// The era-aware date edit: era boundaries, conversion between era and
// Gregorian years, the input check with its messages and focus, midnight,
// keys, layout and colours, and its set-up by the base form.

#include "controls/SDI.h"
#include "controls/TolvanExDateEdit.h"
#include "controls/z5InputDlg.h"
#include "controls/xPlButton.h"
#include "core/DateTimeUtil.h"
#include "core/TolvanWarekiLib.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

namespace {

using namespace exdate;

TDateTime ymd(int y, int m, int d)
{
    return EncodeDate(y, m, d);
}

TTexts tx(std::string era, std::string year = {}, std::string month = {}, std::string day = {}, std::string ampm = {},
    std::string hour = {}, std::string minute = {}, std::string second = {})
{
    return TTexts {era, year, month, day, ampm, hour, minute, second};
}

TSettings settings(TTolvanExRekiSet gengo = rsWareki)
{
    InitGengoTable();
    TSettings s;
    s.gengo = gengo;
    s.eras = KeptEras(GengoTable, kUnsetDate, kUnsetDate);
    s.today = ymd(2026, 12, 11);
    return s;
}

TEST(DateEditValue, EraBoundaries)
{
    InitGengoTable();
    struct Case {
        int y, m, d;
        const char* era;
        int year;
    } cases[] = {{1873, 1, 1, "明治", 6}, {1912, 7, 29, "明治", 45}, {1912, 7, 30, "大正", 1},
        {1926, 12, 24, "大正", 15}, {1926, 12, 25, "昭和", 1}, {1989, 1, 7, "昭和", 64}, {1989, 1, 8, "平成", 1},
        {2019, 4, 30, "平成", 31}, {2019, 5, 1, "令和", 1}, {2026, 12, 11, "令和", 8}};
    for (const auto& c : cases) {
        const TWarekiRec w = EraOf(GengoTable, ymd(c.y, c.m, c.d));
        EXPECT_EQ(w.Name, c.era) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(w.Year, c.year) << c.y << "-" << c.m << "-" << c.d;
        // And back: the era and year typed give the same day.
        TTexts t = tx(c.era, std::to_string(c.year), std::to_string(c.m), std::to_string(c.d));
        const TCheckResult r = CheckInput(settings(), t);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(r.value, ymd(c.y, c.m, c.d)) << c.era << c.year;
    }
}

TEST(DateEditValue, ShowValueInEraAndGregorianForms)
{
    auto s = settings(rsWareki);
    TTexts t = ShowValue(s, ymd(2019, 4, 30));
    EXPECT_EQ(t.era, "平成");
    EXPECT_EQ(t.year, "31");
    EXPECT_EQ(t.month, "4");
    EXPECT_EQ(t.day, "30");
    s = settings(rsSeireki);
    t = ShowValue(s, ymd(2019, 5, 1));
    EXPECT_EQ(t.era, "西暦");
    EXPECT_EQ(t.year, "2019");
    s.yeardigit = yddigit2;
    EXPECT_EQ(ShowValue(s, ymd(2019, 5, 1)).year, "19");
    EXPECT_EQ(EraItems(settings(rsWareki)).front(), "令和");
    EXPECT_EQ(EraItems(settings(rsBoth)).front(), "西暦");
}

TEST(DateEditValue, MidnightShowsZeroTime)
{
    auto s = settings();
    s.style = desYearMonthDayHMS;
    const TTexts t = ShowValue(s, ymd(2024, 4, 1));
    EXPECT_EQ(t.hour, "0");
    EXPECT_EQ(t.minute, "0");
    EXPECT_EQ(t.second, "0");
}

struct CheckCase {
    const char* name;
    TTolvanExRekiSet gengo;
    TTolvanExDateEditStyle style;
    bool ampm;
    TTexts texts;
    bool ok;
    TDateTime value;
    const char* message;
    TPart focus;
    unsigned error;
};

class DateEditCheck : public ::testing::TestWithParam<CheckCase> { };

TEST_P(DateEditCheck, Table)
{
    const CheckCase& c = GetParam();
    auto s = settings(c.gengo);
    s.style = c.style;
    s.editAmpm = c.ampm;
    if (c.gengo == rsBoth)
        s.yeardigit = yddigit2;
    const TCheckResult r = CheckInput(s, c.texts);
    EXPECT_EQ(r.ok, c.ok) << c.name;
    if (c.ok) {
        EXPECT_NEAR(r.value, c.value, 1e-7) << c.name;
    } else {
        EXPECT_EQ(r.message, c.message) << c.name;
        EXPECT_EQ(r.focus, c.focus) << c.name;
        EXPECT_EQ(r.error & c.error, c.error) << c.name;
    }
}

const TDateTime kElevenPm = EncodeTime(23, 0, 0, 0);

INSTANTIATE_TEST_SUITE_P(Cases, DateEditCheck,
    ::testing::Values(CheckCase {"heisei31", rsWareki, desYearMonthDay, false, tx("平成", "31", "4", "30"), true,
                          ymd(2019, 4, 30), "", pNone, 0},
        CheckCase {
            "reiwa1", rsWareki, desYearMonthDay, false, tx("令和", "1", "5", "1"), true, ymd(2019, 5, 1), "", pNone, 0},
        CheckCase {"two-digit western", rsBoth, desYearMonthDay, false, tx("西暦", "24", "2", "29"), true,
            ymd(2024, 2, 29), "", pNone, 0},
        CheckCase {"no 29 February", rsWareki, desYearMonthDay, false, tx("令和", "5", "2", "29"), false, 0,
            "日付が正しくありません（変換できません）．　　", pYear, err::DateInvalid},
        CheckCase {"month 13", rsWareki, desYearMonthDay, false, tx("令和", "5", "13", "1"), false, 0,
            "日付が正しくありません（変換できません）．　　", pYear, err::DateInvalid},
        CheckCase {"1872", rsSeireki, desYearMonthDay, false, tx("", "1872", "12", "31"), false, 0,
            "1873年01月01日(明治6年01月01日)より前の日付は処理できません．　　", pYear, err::Before1873},
        CheckCase {"2999 in eras", rsWareki, desYearMonthDay, false, tx("令和", "981", "1", "1"), false, 0,
            "2999年以降は元号に変換できません．　　", pYear, err::EraTooLate},
        CheckCase {"2999 western", rsSeireki, desYearMonthDay, false, tx("", "2999", "1", "1"), true, ymd(2999, 1, 1),
            "", pNone, 0},
        CheckCase {"blank day", rsWareki, desYearMonthDay, false, tx("令和", "5", "1", ""), false, 0,
            "空白の入力欄があります．　　", pDay, err::DayBlank},
        CheckCase {"blank era first", rsWareki, desYearMonthDay, false, tx("", "5", "", "1"), false, 0,
            "空白の入力欄があります．　　", pEra, err::MonthBlank},
        CheckCase {"all blank allowed", rsWareki, desYearMonthDay, false, {}, true, 0, "", pNone, 0},
        CheckCase {"12 in the morning", rsSeireki, desHour, true, tx("", "", "", "", "午前", "12"), false, 0,
            "時刻の入力可能な値は11時59分59秒までです．　　", pHour, err::TimeInvalid},
        CheckCase {"11 in the afternoon", rsSeireki, desHourMinute, true, tx("", "", "", "", "午後", "11", "0"), true,
            std::floor(ymd(2026, 12, 11)) + kElevenPm, "", pNone, 0},
        CheckCase {"minute 60", rsSeireki, desYearMonthDayHM, false, tx("", "2024", "4", "1", "", "23", "60"), false, 0,
            "時刻の入力可能な値は23時59分59秒までです．　　", pMinute, err::TimeInvalid},
        CheckCase {"hour 24", rsSeireki, desYearMonthDayHM, false, tx("", "2024", "4", "1", "", "24", "0"), false, 0,
            "時刻の入力可能な値は23時59分59秒までです．　　", pHour, err::TimeInvalid}));

TEST(DateEditValue, AllBlankRefusedWhenItMayNotBeEmptyAndLimitsClamp)
{
    auto s = settings();
    s.canEmpty = false;
    const TCheckResult blank = CheckInput(s, {});
    EXPECT_FALSE(blank.ok);
    EXPECT_EQ(blank.message, "入力欄が全て空白です．　　");
    EXPECT_EQ(blank.error, err::AllBlank);
    s.canEmpty = true;
    s.minDate = ymd(2024, 4, 1);
    const TCheckResult r = CheckInput(s, tx("令和", "6", "3", "1"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.value, ymd(2024, 4, 1));
}

TEST(DateEditValue, RangeKeepsOnlyTheErasItMeets)
{
    InitGengoTable();
    const TGengoArray kept = KeptEras(GengoTable, ymd(1990, 1, 1), ymd(2020, 1, 1));
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].Name, "令和");
    EXPECT_EQ(kept[1].Name, "平成");
    EXPECT_EQ(KeptEras(GengoTable, ymd(2020, 1, 1), ymd(1990, 1, 1)).size(), GengoTable.size()) << "crossed limits";
}

// --- the widget --------------------------------------------------------------------------------

TEST(DateEdit, EraSettingsDecideTheListAndTheYearLength)
{
    InitGengoTable();
    TTolvanExDateEdit edit;
    edit.SetGengo(rsWareki);
    EXPECT_EQ(edit.EraBox()->itemText(0), QStringLiteral("令和"));
    EXPECT_EQ(edit.EraBox()->findText(QStringLiteral("西暦")), -1);
    EXPECT_EQ(edit.Field(pYear)->maxLength(), 2);
    edit.SetGengo(rsBoth);
    EXPECT_EQ(edit.EraBox()->itemText(0), QStringLiteral("西暦"));
    EXPECT_EQ(edit.Field(pYear)->maxLength(), 4);
    edit.SetEditGengo(false);
    edit.SetGengo(rsWareki);
    EXPECT_EQ(edit.Gengo(), rsSeireki);
    EXPECT_TRUE(edit.EraBox()->isHidden());
}

TEST(DateEdit, AssigningShowsTheValueAndMidnightClearsTheOldTime)
{
    InitGengoTable();
    TTolvanExDateEdit edit;
    edit.SetEditStyle(desYearMonthDayHMS);
    edit.SetDateTime(ymd(2019, 4, 30) + EncodeTime(13, 45, 10, 0));
    EXPECT_EQ(edit.EraBox()->currentText(), QStringLiteral("平成"));
    EXPECT_EQ(edit.Field(pYear)->text(), QStringLiteral("31"));
    EXPECT_EQ(edit.Field(pHour)->text(), QStringLiteral("13"));
    edit.SetDateTime(ymd(2019, 5, 1));
    EXPECT_EQ(edit.EraBox()->currentText(), QStringLiteral("令和"));
    EXPECT_EQ(edit.Field(pYear)->text(), QStringLiteral("1"));
    EXPECT_EQ(edit.Field(pHour)->text(), QStringLiteral("0"));
    EXPECT_EQ(edit.Field(pMinute)->text(), QStringLiteral("0"));
    EXPECT_EQ(edit.Field(pSecond)->text(), QStringLiteral("0"));
    edit.SetDateTime(0);
    EXPECT_TRUE(edit.IsEmpty());
    EXPECT_EQ(edit.Field(pYear)->text(), QString());
    EXPECT_EQ(edit.DateTime(), 0.0);
}

TEST(DateEdit, RefusedDateIsReportedFocusedAndAbandonsTheRead)
{
    InitGengoTable();
    ScriptedMessages messages;
    QWidget form;
    auto* edit = new TTolvanExDateEdit(&form);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    edit->EraBox()->setCurrentIndex(edit->EraBox()->findText(QStringLiteral("令和")));
    edit->Field(pYear)->setText(QStringLiteral("5"));
    edit->Field(pMonth)->setText(QStringLiteral("2"));
    edit->Field(pDay)->setText(QStringLiteral("30"));
    EXPECT_THROW(edit->DateTime(), EAbort);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.firstLine(0), "日付が正しくありません（変換できません）．　　");
    EXPECT_EQ(messages.shown()[0].caption, "日付時刻入力");
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(pYear));
    EXPECT_EQ(edit->Field(pDay)->text(), QStringLiteral("30")) << "what was typed stays";
    edit->DisplayError = false;
    EXPECT_THROW(edit->DateTime(), EAbort);
    EXPECT_EQ(messages.shown().size(), 1u) << "no box without DisplayError";
}

TEST(DateEdit, OnlyDigitsAreTypedAndEnterMovesOnAsTab)
{
    InitGengoTable();
    QWidget form;
    auto* edit = new TTolvanExDateEdit(&form);
    auto* after = new QLineEdit(&form);
    after->move(0, 60);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    edit->Field(pYear)->setFocus();
    QTest::keyClicks(edit->Field(pYear), QStringLiteral("a1x2"));
    EXPECT_EQ(edit->Field(pYear)->text(), QStringLiteral("12"));
    QTest::keyClick(edit->Field(pYear), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(pMonth));
    EXPECT_EQ(edit->Field(pYear)->text(), QStringLiteral("12")) << "Enter inserts nothing";
    QTest::keyClick(edit->Field(pMonth), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(pDay));
    QTest::keyClick(edit->Field(pDay), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), after) << "Enter on the last part leaves the control";
    after->setFocus();
    QTest::keyClick(after, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(pDay));
}

TEST(DateEdit, PartsWithoutTabStopStillTabInsideOnceFocused)
{
    InitGengoTable();
    QWidget form;
    auto* before = new QLineEdit(&form);
    auto* edit = new TTolvanExDateEdit(&form);
    edit->move(0, 30);
    auto* after = new QLineEdit(&form);
    after->move(0, 70);
    edit->SetTabStop(false);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), after) << "the parts are no tab stops";
    edit->Field(pYear)->setFocus();
    QTest::keyClick(edit->Field(pYear), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(pMonth)) << "inside, Tab moves between the parts";
    after->setFocus();
    EXPECT_EQ(edit->Field(pMonth)->focusPolicy(), Qt::ClickFocus) << "no tab stops again after leaving";
}

TEST(DateEdit, TwoRowsWithNegativeSpaceAndDisabledColours)
{
    TTolvanExDateEdit edit;
    edit.SetEditStyle(desYearMonthDayHM);
    edit.SetSpaceWidth(-4);
    const int row = edit.Field(pYear)->height();
    EXPECT_EQ(edit.Field(pHour)->y(), row + 4);
    EXPECT_EQ(edit.AmpmBox()->isHidden(), true);
    EXPECT_EQ(edit.Field(pHour)->x(), 0);
    EXPECT_EQ(edit.height(), 2 * row + 4);
    edit.setEnabled(false);
    EXPECT_EQ(edit.Field(pYear)->palette().color(QPalette::Disabled, QPalette::Base),
        controls::toQColor(controls::clGrayText));
    edit.setEnabled(true);
    EXPECT_EQ(edit.Field(pYear)->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white));
}

// The base form switches every date edit to the operator's date display.
class TDateForm : public TBSDI {
public:
    TDateForm()
    {
        edit = new TTolvanExDateEdit(this);
        SetupPeriodControls();
    }
    TTolvanExDateEdit* edit;
};

TEST(DateEdit, BaseFormAppliesTheOperatorsDateDisplay)
{
    ResetProcessState();
    InitGengoTable();
    SysDef.Reserve4Bit10 = 0;
    TDateForm western;
    EXPECT_FALSE(western.edit->EditGengo());
    EXPECT_EQ(western.edit->Gengo(), rsSeireki);
    EXPECT_TRUE(western.edit->UseWarekiTable());
    SysDef.Reserve4Bit10 = 1;
    TDateForm era;
    EXPECT_TRUE(era.edit->EditGengo());
    EXPECT_EQ(era.edit->Gengo(), rsWareki);
    ResetProcessState();
}

TEST(DateEdit, InputDialogReturnsTwoDates)
{
    InitGengoTable();
    ScriptedMessages messages;
    TInputDlgBox box;
    box.InputKind = inputkind::TwoDates;
    box.Date1 = ymd(2024, 4, 1);
    box.Date2 = ymd(2025, 3, 31);
    box.InitDialog(true);
    EXPECT_EQ(box.txtHizuke1->EraBox()->currentText(), QStringLiteral("令和"));
    EXPECT_EQ(box.txtHizuke1->Field(pYear)->text(), QStringLiteral("6"));
    QTimer::singleShot(0, &box, [&box] {
        box.txtHizuke2->Field(pDay)->setText(QStringLiteral("32"));
        box.btnOK->Click(); // refused by the date edit: stays open
        EXPECT_TRUE(box.isVisible());
        box.txtHizuke2->Field(pDay)->setText(QStringLiteral("30"));
        box.btnOK->Click();
    });
    EXPECT_EQ(box.ShowModal(), modal::Ok);
    EXPECT_EQ(box.Date1, ymd(2024, 4, 1));
    EXPECT_EQ(box.Date2, ymd(2025, 3, 30));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.firstLine(0), "日付が正しくありません（変換できません）．　　");
}

} // namespace
