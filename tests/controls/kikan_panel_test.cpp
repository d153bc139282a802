// The period panels: cell layout for a fiscal year and selection by mouse
// and keyboard.
#include "controls/xKikanPanel.h"
#include "core/DateTimeUtil.h"
#include "form_fixture.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

TDateTime d(int y, int m, int day)
{
    return EncodeDate(y, m, day);
}

// ------------------------------------------------------------ set-up table

struct SetupCase {
    const char* name;
    int closingDay;
    TDateTime start, end, firstUsable;
    const char* texts;
    int lastNo;
    int stno;
    int edno;
    int firstEnabled;
    int lastEnabled;
};

void PrintTo(const SetupCase& c, std::ostream* os)
{
    *os << c.name;
}

class KikanSetupTest : public ::testing::TestWithParam<SetupCase> { };

TEST_P(KikanSetupTest, LaysOutTheFiscalYear)
{
    const auto& c = GetParam();
    TxKikanPanel16 panel;
    panel.SetKikanInfo(c.closingDay, c.start, c.end, c.firstUsable);
    EXPECT_EQ(panel.CellTexts(), QString::fromUtf8(c.texts));
    EXPECT_EQ(panel.LastNo(), c.lastNo);
    EXPECT_EQ(panel.GetLastNo(), c.lastNo);
    EXPECT_EQ(panel.Stno(), c.stno);
    EXPECT_EQ(panel.Edno(), c.edno);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(panel.CellAt(i).enabled, i >= c.firstEnabled && i <= c.lastEnabled) << "cell " << i;
    }
    EXPECT_LE(panel.LastNo(), 15);
}

INSTANTIATE_TEST_SUITE_P(Years, KikanSetupTest,
    ::testing::Values(SetupCase {"April month end", 99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 4, 1),
                          "4 5 6 ・ 7 8 9 ・ 10 11 12 ・ 1 2 3 決", 15, 0, 15, 0, 15},
        SetupCase {"closing day 20", 20, d(2024, 4, 21), d(2025, 4, 20), d(2024, 4, 21),
            "5 6 7 ・ 8 9 10 ・ 11 12 1 ・ 2 3 4 決", 15, 0, 15, 0, 15},
        SetupCase {"six-month first year", 99, d(2024, 4, 1), d(2024, 9, 30), d(2024, 4, 1),
            "4 5 6 ・ 7 8 9 決 _ _ _ _ _ _ _ _", 7, 0, 7, 0, 7},
        SetupCase {"entries from the fifth month", 99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 8, 1),
            "4 5 6 ・ 7 8 9 ・ 10 11 12 ・ 1 2 3 決", 15, 5, 15, 5, 15},
        SetupCase {"February leap year end", 99, d(2023, 3, 1), d(2024, 2, 29), d(2023, 3, 1),
            "3 4 5 ・ 6 7 8 ・ 9 10 11 ・ 12 1 2 決", 15, 0, 15, 0, 15},
        // Mended: a year longer than twelve periods keeps its closing cell
        // inside the strip (the 13th partial month has no cell).
        SetupCase {"thirteen periods", 20, d(2024, 4, 1), d(2025, 3, 31), d(2024, 4, 1),
            "4 5 6 ・ 7 8 9 ・ 10 11 12 ・ 1 2 3 決", 15, 0, 15, 0, 15},
        // A first usable date before the fiscal start (negative distance)
        // maps to cell 15: only the closing cell can be chosen.
        SetupCase {"entries before the start", 99, d(2024, 4, 1), d(2025, 3, 31), d(2023, 12, 1),
            "4 5 6 ・ 7 8 9 ・ 10 11 12 ・ 1 2 3 決", 15, 15, 15, 15, 15},
        SetupCase {"entries after the end", 99, d(2024, 4, 1), d(2024, 9, 30), d(2025, 6, 1),
            "4 5 6 ・ 7 8 9 決 _ _ _ _ _ _ _ _", 7, 7, 7, 7, 7}));

TEST(KikanPanel16, FreshPanelShowsTheCalendarYear)
{
    TxKikanPanel16 panel;
    EXPECT_EQ(panel.CellTexts(), QStringLiteral("1 2 3 ・ 4 5 6 ・ 7 8 9 ・ 10 11 12 決"));
    EXPECT_EQ(panel.Stno(), 0);
    EXPECT_EQ(panel.Edno(), 15);
    EXPECT_EQ(panel.LastNo(), 15);
    EXPECT_EQ(panel.CellName(0), QStringLiteral("No1"));
    EXPECT_EQ(panel.CellName(15), QStringLiteral("No16"));
    EXPECT_EQ(panel.size(), QSize(242, 22));
}

TEST(KikanPanel16, ClosingDayArithmetic)
{
    using controls::kikan::periodClosingDate;
    EXPECT_EQ(periodClosingDate(99, 0, d(2024, 2, 10)), d(2024, 2, 29));
    EXPECT_EQ(periodClosingDate(20, 0, d(2024, 4, 21)), d(2024, 5, 20));
    EXPECT_EQ(periodClosingDate(20, 0, d(2024, 4, 20)), d(2024, 4, 20));
    EXPECT_EQ(periodClosingDate(20, 9, d(2024, 4, 21)), d(2025, 2, 20));
    EXPECT_EQ(periodClosingDate(99, 11, d(2024, 1, 31)), d(2024, 12, 31));
    EXPECT_EQ(periodClosingDate(25, -1, d(2024, 1, 5)), d(2023, 12, 25));
    bool invalid = false;
    EXPECT_EQ(periodClosingDate(31, 3, d(2024, 4, 1), &invalid), d(2024, 4, 1));
    EXPECT_TRUE(invalid);
    EXPECT_EQ(controls::kikan::cellOfDistance16(5), 6);
    EXPECT_EQ(controls::kikan::cellOfDistance16(11), 14);
    EXPECT_EQ(controls::kikan::cellOfDistance16(12), 15);
    EXPECT_EQ(controls::kikan::cellOfDistance16(-1), 15);
}

TEST(KikanPanel16, SettersAndMonthNumbers)
{
    TxKikanPanel16 panel;
    panel.SetKikanInfo(99, d(2024, 4, 1), d(2024, 9, 30), d(2024, 4, 1));
    panel.SetEdno(15);
    EXPECT_EQ(panel.Edno(), 7); // capped at LastNo
    panel.SetStno(12);
    EXPECT_EQ(panel.Stno(), 12); // stored unchanged
    panel.SetStno(4);
    EXPECT_EQ(panel.StMonthNo(), 4);
    EXPECT_EQ(panel.EdMonthNo(), 15);
    panel.SetStno(20);
    EXPECT_EQ(panel.StMonthNo(), 20);
    panel.SetStno(2);
    panel.SetKikanMove(false);
    EXPECT_EQ(panel.Edno(), 2);
}

TEST(KikanPanel16, KessanOffBlanksTheClosingCell)
{
    TxKikanPanel16 panel;
    panel.SetKikanInfo(99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 4, 1));
    panel.SetKESSAN(false);
    EXPECT_FALSE(panel.CellAt(15).enabled);
    EXPECT_TRUE(panel.CellAt(15).text.isEmpty());
    EXPECT_EQ(panel.LastNo(), 15);
    EXPECT_EQ(panel.LastSelectable(), 14);
    panel.SetKikanInfo(99, d(2024, 4, 1), d(2024, 9, 30), d(2024, 4, 1));
    EXPECT_EQ(panel.LastNo(), 7);
    EXPECT_FALSE(panel.CellAt(7).enabled);
    EXPECT_TRUE(panel.CellAt(7).text.isEmpty());
    EXPECT_EQ(panel.Edno(), 6);
    panel.SetKESSAN(true);
    EXPECT_TRUE(panel.CellAt(7).enabled);
    EXPECT_EQ(panel.CellAt(7).text, QStringLiteral("決"));
}

TEST(KikanPanel16, CellColours)
{
    using namespace controls;
    TxKikanPanel16 panel;
    panel.SetStno(4);
    panel.SetEdno(6);
    panel.SetKakuteiMode(true);
    panel.SetKakuteiMNo(3);
    EXPECT_EQ(panel.CellColors(0), std::make_pair(TColorValue {0x4080FF}, clWhite));
    EXPECT_EQ(panel.CellColors(3), std::make_pair(clBtnFace, clWindowText));
    EXPECT_EQ(panel.CellColors(5), std::make_pair(clNavy, clWhite));
    panel.setEnabled(false);
    EXPECT_EQ(panel.CellColors(5), std::make_pair(clSilver, clGray));
    EXPECT_EQ(panel.CellColors(8), std::make_pair(clBtnFace, clGray));
    panel.setEnabled(true);
    // Painted as the rule says.
    const QImage img = panel.grab().toImage();
    EXPECT_EQ(img.pixelColor(panel.CellRect(5).topLeft() + QPoint(1, 1)), toQColor(clNavy));
    EXPECT_EQ(img.pixelColor(panel.CellRect(1).topLeft() + QPoint(1, 1)), QColor(0xFF, 0x80, 0x40));
}

TEST(KikanPanel16, CellGeometryFollowsWidth)
{
    TxKikanPanel16 panel;
    // 242 wide: w = 14, ten pixels left over go one each to the first cells.
    EXPECT_EQ(panel.CellRect(0), QRect(4, 3, 15, 16));
    EXPECT_EQ(panel.CellRect(9), QRect(4 + 9 * 14 + 9, 3, 15, 16));
    EXPECT_EQ(panel.CellRect(10), QRect(4 + 140 + 10, 3, 14, 16));
    panel.show();
    panel.resize(300, 30);
    QApplication::processEvents();
    EXPECT_EQ(panel.width(), 16 * 18 + 8); // snapped
    EXPECT_EQ(panel.CellRect(15), QRect(4 + 15 * 18, 3, 18, 24));
}

// ------------------------------------------------------------ interaction

class KikanInteraction : public ::testing::Test {
protected:
    void SetUp() override
    {
        before = form.add<QLineEdit>();
        panel = form.add<TxKikanPanel16>();
        after = form.add<QLineEdit>();
        panel->SetKikanInfo(99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 4, 1));
        ASSERT_TRUE(form.show());
    }
    QPoint centre(int cell) const { return panel->CellRect(cell).center(); }

    TestForm form;
    QLineEdit* before = nullptr;
    TxKikanPanel16* panel = nullptr;
    QLineEdit* after = nullptr;
};

TEST_F(KikanInteraction, PressDragReleaseSelectsRange)
{
    QSignalSpy ups(panel, &TxKikanPanelBase::OnMouseUp);
    QSignalSpy downs(panel, &TxKikanPanelBase::OnMouseDown);
    QTest::mousePress(panel, Qt::LeftButton, {}, centre(2));
    EXPECT_TRUE(panel->hasFocus());
    QTest::mouseMove(panel, centre(4));
    QTest::mouseMove(panel, centre(6));
    EXPECT_EQ(panel->CellColors(5).first, controls::clNavy); // painted while dragging
    QTest::mouseRelease(panel, Qt::LeftButton, {}, centre(6));
    EXPECT_EQ(panel->Stno(), 2);
    EXPECT_EQ(panel->Edno(), 6);
    EXPECT_EQ(ups.count(), 1);
    EXPECT_EQ(downs.count(), 1);
    // Dragging backwards orders the ends.
    QTest::mousePress(panel, Qt::LeftButton, {}, centre(9));
    QTest::mouseMove(panel, centre(5));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, centre(5));
    EXPECT_EQ(panel->Stno(), 5);
    EXPECT_EQ(panel->Edno(), 9);
}

TEST_F(KikanInteraction, SingleCellModeIgnoresDrag)
{
    panel->SetKikanMove(false);
    QTest::mousePress(panel, Qt::LeftButton, {}, centre(3));
    QTest::mouseMove(panel, centre(8));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, centre(8));
    EXPECT_EQ(panel->Stno(), 3);
    EXPECT_EQ(panel->Edno(), 3);
}

TEST_F(KikanInteraction, RightButtonAndDisabledCellsChangeNothing)
{
    QSignalSpy ups(panel, &TxKikanPanelBase::OnMouseUp);
    QTest::mouseClick(panel, Qt::RightButton, {}, centre(5));
    EXPECT_EQ(panel->Stno(), 0);
    EXPECT_EQ(panel->Edno(), 15);
    EXPECT_EQ(ups.count(), 0);
    panel->SetKikanInfo(99, d(2024, 4, 1), d(2024, 9, 30), d(2024, 6, 1));
    QTest::mouseClick(panel, Qt::LeftButton, {}, centre(0)); // before the start of entries
    QTest::mouseClick(panel, Qt::LeftButton, {}, centre(10)); // after the closing cell
    EXPECT_EQ(panel->Stno(), 2);
    EXPECT_EQ(panel->Edno(), 7);
    EXPECT_EQ(ups.count(), 0);
}

TEST_F(KikanInteraction, ArrowsMoveOneCellWithinSelectableRange)
{
    panel->SetKikanInfo(99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 8, 1));
    panel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(panel, Qt::Key_Right);
    EXPECT_EQ(panel->Stno(), 6);
    EXPECT_EQ(panel->Edno(), 6);
    QTest::keyClick(panel, Qt::Key_Left);
    QTest::keyClick(panel, Qt::Key_Left);
    QTest::keyClick(panel, Qt::Key_Left);
    EXPECT_EQ(panel->Stno(), 5); // never below the first usable cell
    EXPECT_EQ(panel->Edno(), 5);
    EXPECT_TRUE(panel->KBDMOUSE());
}

// Arrow with Shift held, without the Shift press and release QTest would add.
void shiftArrow(QWidget* w, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::ShiftModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::ShiftModifier);
    QApplication::sendEvent(w, &release);
}

TEST_F(KikanInteraction, ShiftExtendsAndReleaseOrders)
{
    panel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(panel, Qt::Key_Right);
    QTest::keyClick(panel, Qt::Key_Right);
    QTest::keyClick(panel, Qt::Key_Right); // anchor at cell 3
    shiftArrow(panel, Qt::Key_Left);
    shiftArrow(panel, Qt::Key_Left);
    EXPECT_EQ(panel->Stno(), 3); // gesture order while Shift is held
    EXPECT_EQ(panel->Edno(), 1);
    QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(panel, &shiftUp);
    EXPECT_EQ(panel->Stno(), 1);
    EXPECT_EQ(panel->Edno(), 3);
}

TEST_F(KikanInteraction, ShiftInSingleCellModeMovesOneCell)
{
    panel->SetKikanMove(false);
    panel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(panel, Qt::Key_Right);
    shiftArrow(panel, Qt::Key_Right);
    EXPECT_EQ(panel->Stno(), 2);
    EXPECT_EQ(panel->Edno(), 2);
}

TEST_F(KikanInteraction, LeavingAfterArrowReportsOnce)
{
    QSignalSpy ups(panel, &TxKikanPanelBase::OnMouseUp);
    panel->setFocus(Qt::TabFocusReason);
    after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(ups.count(), 0); // no arrow, nothing to report
    panel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(panel, Qt::Key_Left); // moves nothing at cell 0, still a change
    QTest::keyClick(panel, Qt::Key_Tab);
    EXPECT_EQ(TestForm::focused(), after);
    ASSERT_EQ(ups.count(), 1);
    EXPECT_EQ(ups.at(0).at(3).toPoint(), QPoint(0, 0));
    EXPECT_FALSE(panel->KBDMOUSE());
}

TEST_F(KikanInteraction, EnterReportsAndMovesOnUpGoesBack)
{
    QSignalSpy ups(panel, &TxKikanPanelBase::OnMouseUp);
    panel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(panel, Qt::Key_Right);
    QTest::keyClick(panel, Qt::Key_Return);
    EXPECT_EQ(ups.count(), 1); // Enter cleared the pending change: leaving adds none
    EXPECT_EQ(TestForm::focused(), after);
    panel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(panel, Qt::Key_Up);
    EXPECT_EQ(TestForm::focused(), before);
    EXPECT_EQ(ups.count(), 1);
}

// ------------------------------------------------------------- variants

TEST(KikanPanel12, MonthsOnly)
{
    TxKikanPanel12 panel;
    EXPECT_EQ(panel.CellTexts(), QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12"));
    panel.SetKikanInfo(20, d(2024, 4, 21), d(2025, 4, 20), d(2024, 6, 21));
    EXPECT_EQ(panel.CellTexts(), QStringLiteral("5 6 7 8 9 10 11 12 1 2 3 4"));
    EXPECT_EQ(panel.Stno(), 2);
    EXPECT_EQ(panel.Edno(), 11);
    EXPECT_FALSE(panel.CellAt(1).enabled);
    EXPECT_EQ(panel.StMonNo(), 2);
    EXPECT_EQ(panel.EdMonNo(), 14);
    panel.SetEdno(20);
    EXPECT_EQ(panel.Edno(), 11);
    panel.SetStno(-3);
    EXPECT_EQ(panel.Stno(), 0);
    panel.SetKikanInfo(99, d(2024, 4, 1), d(2024, 9, 30), d(2024, 4, 1));
    EXPECT_EQ(panel.LastNo(), 5);
    EXPECT_EQ(panel.CellTexts(), QStringLiteral("4 5 6 7 8 9 _ _ _ _ _ _"));
    panel.SetStno(9);
    panel.SetEdno(1);
    EXPECT_EQ(panel.Stno(), 1); // clamped and ordered
    EXPECT_EQ(panel.Edno(), 5);
    // A first usable date before the fiscal start: the last cell.
    panel.SetKikanInfo(99, d(2024, 4, 1), d(2025, 3, 31), d(2023, 12, 1));
    EXPECT_EQ(panel.Stno(), 11);
    EXPECT_FALSE(panel.CellAt(10).enabled);
    EXPECT_TRUE(panel.CellAt(11).enabled);
}

TEST(KikanPanel4, QuartersAndHalves)
{
    TxKikanPanel4 panel;
    EXPECT_EQ(panel.CellTexts(), QStringLiteral("1 2 3 4"));
    panel.SetKikanInfo(99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 7, 1));
    EXPECT_EQ(panel.Stno(), 1);
    EXPECT_EQ(panel.Edno(), 3);
    EXPECT_FALSE(panel.CellAt(0).enabled);
    EXPECT_TRUE(panel.CellAt(3).enabled);
    panel.SetBtnCnt(2);
    EXPECT_EQ(panel.CellTexts(), QStringLiteral("上 下 _ _"));
    EXPECT_EQ(panel.Stno(), 0);
    EXPECT_EQ(panel.Edno(), 1);
    panel.SetKikanInfo(99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 11, 1));
    EXPECT_EQ(panel.Stno(), 1);
    EXPECT_EQ(panel.Edno(), 1);
    panel.SetBtnCnt(3); // ignored
    EXPECT_EQ(panel.BtnCnt(), 2);
}

} // namespace
