// Each control moves the focus exactly as its key styles say.
#include "controls/TolvanEdit.h"
#include "controls/xEdit.h"
#include "form_fixture.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListView>
#include <QTest>

namespace {

enum class Kind { Edit, Combo, Check, Radio, Mask, Tolvan };
enum class Setup { CaretEnd, CaretStart, CaretMiddle, SelectAll, Empty };
enum Move { Prev = -1, Stay = 0, Next = 1 };

struct NavCase {
    const char* name;
    Kind kind;
    TKeyStyles styles;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    Setup setup;
    Move expected;
};

void PrintTo(const NavCase& c, std::ostream* os)
{
    *os << c.name;
}

class KeyNavigationTest : public ::testing::TestWithParam<NavCase> { };

void prepareLineEdit(QLineEdit* e, Setup setup)
{
    e->setText(setup == Setup::Empty ? QString() : QStringLiteral("123"));
    switch (setup) {
    case Setup::CaretEnd:
        e->deselect();
        e->setCursorPosition(3);
        break;
    case Setup::CaretStart:
        e->deselect();
        e->setCursorPosition(0);
        break;
    case Setup::CaretMiddle:
        e->deselect();
        e->setCursorPosition(1);
        break;
    case Setup::SelectAll:
        e->selectAll();
        break;
    case Setup::Empty:
        break;
    }
}

TEST_P(KeyNavigationTest, MovesFocusByKeyStyle)
{
    const NavCase& c = GetParam();
    TestForm form;
    auto* before = form.add<QLineEdit>();
    QWidget* control = nullptr;
    TxRadioButton* partner = nullptr;
    switch (c.kind) {
    case Kind::Edit: {
        auto* e = form.add<TxEdit>();
        e->SetKeyStyles(c.styles);
        control = e;
        break;
    }
    case Kind::Combo: {
        auto* cb = form.add<TxComboBox>();
        cb->addItems({QStringLiteral("01:現金"), QStringLiteral("02:預金"), QStringLiteral("03:売掛金")});
        cb->SetKeyStyles(c.styles);
        control = cb;
        break;
    }
    case Kind::Check: {
        auto* cb = form.add<TxCheckBox>();
        cb->setText(QStringLiteral("印刷する"));
        cb->SetKeyStyles(c.styles);
        control = cb;
        break;
    }
    case Kind::Radio: {
        auto* rb = form.add<TxRadioButton>();
        rb->setText(QStringLiteral("税込"));
        rb->SetKeyStyles(c.styles);
        rb->setChecked(true);
        partner = form.add<TxRadioButton>();
        partner->setText(QStringLiteral("税抜"));
        control = rb;
        break;
    }
    case Kind::Mask: {
        auto* m = form.add<TxMaskEdit>();
        m->SetKeyStyles(c.styles);
        control = m;
        break;
    }
    case Kind::Tolvan: {
        auto* t = form.add<TTolvanEdit>();
        t->SetKeyStyles(c.styles);
        control = t;
        break;
    }
    }
    auto* after = form.add<QLineEdit>();
    ASSERT_TRUE(form.show());
    control->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(TestForm::focused(), control);
    if (auto* le = qobject_cast<QLineEdit*>(control)) {
        prepareLineEdit(le, c.setup);
    }

    QTest::keyClick(control, c.key, c.mods);

    QWidget* expected = c.expected == Next ? static_cast<QWidget*>(after)
        : c.expected == Prev               ? static_cast<QWidget*>(before)
                                           : control;
    EXPECT_EQ(TestForm::focused(), expected) << c.name;
    if (c.kind == Kind::Radio) {
        // A claimed arrow never moves the group's check.
        EXPECT_TRUE(static_cast<TxRadioButton*>(control)->isChecked());
        EXPECT_FALSE(partner->isChecked());
    }
}

const TKeyStyles Def = ksEnter | ksUp;
const auto None = Qt::NoModifier;
const auto Shift = Qt::ShiftModifier;

INSTANTIATE_TEST_SUITE_P(Controls, KeyNavigationTest,
    ::testing::Values(
        // TxEdit: default styles.
        NavCase {"edit default Enter", Kind::Edit, Def, Qt::Key_Return, None, Setup::CaretEnd, Next},
        NavCase {
            "edit default keypad Enter", Kind::Edit, Def, Qt::Key_Enter, Qt::KeypadModifier, Setup::CaretEnd, Next},
        NavCase {"edit default Up", Kind::Edit, Def, Qt::Key_Up, None, Setup::CaretEnd, Prev},
        NavCase {"edit default Down stays", Kind::Edit, Def, Qt::Key_Down, None, Setup::CaretEnd, Stay},
        NavCase {"edit default Left stays", Kind::Edit, Def, Qt::Key_Left, None, Setup::CaretStart, Stay},
        NavCase {"edit default Right stays", Kind::Edit, Def, Qt::Key_Right, None, Setup::SelectAll, Stay},
        NavCase {"edit Shift+Up stays", Kind::Edit, Def, Qt::Key_Up, Shift, Setup::CaretEnd, Stay},
        NavCase {"edit no Enter style", Kind::Edit, ksUp, Qt::Key_Return, None, Setup::CaretEnd, Stay},
        // TxEdit: caret conditions.
        NavCase {
            "edit Right caret at end stays", Kind::Edit, ksLeft | ksRight, Qt::Key_Right, None, Setup::CaretEnd, Stay},
        NavCase {"edit Right all selected", Kind::Edit, ksLeft | ksRight, Qt::Key_Right, None, Setup::SelectAll, Next},
        NavCase {"edit Right empty", Kind::Edit, ksRight, Qt::Key_Right, None, Setup::Empty, Next},
        NavCase {"edit Left caret at start", Kind::Edit, ksLeft | ksRight, Qt::Key_Left, None, Setup::CaretStart, Prev},
        NavCase {"edit Left all selected", Kind::Edit, ksLeft, Qt::Key_Left, None, Setup::SelectAll, Prev},
        NavCase {"edit Left caret inside stays", Kind::Edit, ksLeft, Qt::Key_Left, None, Setup::CaretMiddle, Stay},
        NavCase {"edit Down with style", Kind::Edit, ksDown, Qt::Key_Down, None, Setup::CaretMiddle, Next},
        NavCase {
            "edit Ctrl+Down stays", Kind::Edit, ksDown, Qt::Key_Down, Qt::ControlModifier, Setup::CaretMiddle, Stay},
        // TxComboBox (list closed).
        NavCase {"combo default Enter", Kind::Combo, Def, Qt::Key_Return, None, Setup::CaretEnd, Next},
        NavCase {"combo default Up", Kind::Combo, Def, Qt::Key_Up, None, Setup::CaretEnd, Prev},
        NavCase {"combo default Down stays", Kind::Combo, Def, Qt::Key_Down, None, Setup::CaretEnd, Stay},
        NavCase {"combo Enter only: Up stays", Kind::Combo, ksEnter, Qt::Key_Up, None, Setup::CaretEnd, Stay},
        NavCase {"combo Shift+Up stays", Kind::Combo, Def, Qt::Key_Up, Shift, Setup::CaretEnd, Stay},
        // TxCheckBox.
        NavCase {"check default Enter", Kind::Check, Def, Qt::Key_Return, None, Setup::CaretEnd, Next},
        NavCase {"check default Up", Kind::Check, Def, Qt::Key_Up, None, Setup::CaretEnd, Prev},
        NavCase {"check Down with style", Kind::Check, ksDown, Qt::Key_Down, None, Setup::CaretEnd, Next},
        NavCase {"check Shift+Up stays", Kind::Check, Def, Qt::Key_Up, Shift, Setup::CaretEnd, Stay},
        // TxRadioButton: claimed arrows leave the group alone.
        NavCase {"radio Down with style", Kind::Radio, ksDown, Qt::Key_Down, None, Setup::CaretEnd, Next},
        NavCase {"radio Right with style", Kind::Radio, ksRight, Qt::Key_Right, None, Setup::CaretEnd, Next},
        NavCase {"radio Shift+Down claimed stays", Kind::Radio, ksDown, Qt::Key_Down, Shift, Setup::CaretEnd, Stay},
        NavCase {"radio Enter", Kind::Radio, Def, Qt::Key_Return, None, Setup::CaretEnd, Next},
        // TxMaskEdit: its own caret handling runs first, then the focus leaves.
        NavCase {"mask Left with style", Kind::Mask, ksLeft, Qt::Key_Left, None, Setup::CaretMiddle, Prev},
        NavCase {"mask Right with style", Kind::Mask, ksRight, Qt::Key_Right, None, Setup::CaretMiddle, Next},
        NavCase {"mask default Right stays", Kind::Mask, Def, Qt::Key_Right, None, Setup::CaretMiddle, Stay},
        // TTolvanEdit: default ksEnter only; caret at either end.
        NavCase {"tolvan default Enter", Kind::Tolvan, ksEnter, Qt::Key_Return, None, Setup::CaretEnd, Next},
        NavCase {"tolvan default Up stays", Kind::Tolvan, ksEnter, Qt::Key_Up, None, Setup::CaretEnd, Stay},
        NavCase {"tolvan Up with style", Kind::Tolvan, ksEnter | ksUp, Qt::Key_Up, None, Setup::CaretEnd, Prev},
        NavCase {"tolvan Right at end", Kind::Tolvan, ksRight, Qt::Key_Right, None, Setup::CaretEnd, Next},
        NavCase {"tolvan Right inside stays", Kind::Tolvan, ksRight, Qt::Key_Right, None, Setup::CaretMiddle, Stay},
        NavCase {
            "tolvan Right with selection stays", Kind::Tolvan, ksRight, Qt::Key_Right, None, Setup::SelectAll, Stay},
        NavCase {"tolvan Left at start", Kind::Tolvan, ksLeft, Qt::Key_Left, None, Setup::CaretStart, Prev},
        NavCase {"tolvan Left inside stays", Kind::Tolvan, ksLeft, Qt::Key_Left, None, Setup::CaretMiddle, Stay},
        NavCase {"tolvan Tab", Kind::Tolvan, ksEnter, Qt::Key_Tab, None, Setup::CaretMiddle, Next},
        NavCase {"tolvan Shift+Tab", Kind::Tolvan, ksEnter, Qt::Key_Backtab, Shift, Setup::CaretMiddle, Prev},
        NavCase {"tolvan Down with style", Kind::Tolvan, ksDown, Qt::Key_Down, None, Setup::CaretMiddle, Next}));

TEST(TxEditTest, CursorPosOnEntering)
{
    TestForm form;
    auto* first = form.add<QLineEdit>();
    auto* edit = form.add<TxEdit>();
    edit->setText(QStringLiteral("12345"));
    ASSERT_TRUE(form.show());
    const std::pair<TCursorPos, int> cases[] = {{cpLeft, 0}, {cpRight, 5}};
    for (const auto& [pos, caret] : cases) {
        first->setFocus();
        edit->SetCursorPos(pos);
        edit->setFocus(Qt::TabFocusReason);
        EXPECT_FALSE(edit->hasSelectedText());
        EXPECT_EQ(edit->cursorPosition(), caret);
    }
    first->setFocus();
    edit->SetCursorPos(cpAllSel);
    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("12345"));
}

TEST(TxEditTest, CurrAndLongLeaveTextOnZero)
{
    TxEdit edit;
    edit.setText(QStringLiteral("1234.5"));
    EXPECT_EQ(edit.Curr(), 12345000);
    edit.SetCurr(0);
    EXPECT_EQ(edit.text(), QStringLiteral("1234.5"));
    edit.SetCurr(-25000);
    EXPECT_EQ(edit.text(), QStringLiteral("-2.5"));
    edit.setText(QStringLiteral("abc"));
    EXPECT_EQ(edit.Curr(), 0);
    EXPECT_EQ(edit.Long(), 0);
    edit.SetLong(0);
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    edit.SetLong(42);
    EXPECT_EQ(edit.Long(), 42);
}

TEST(TxEditTest, KanaGatheredWhileTypingAsHalfWidth)
{
    TestForm form;
    auto* first = form.add<QLineEdit>();
    auto* edit = form.add<TxEdit>();
    edit->SetKanaSw(true);
    ASSERT_TRUE(form.show());
    edit->setFocus(Qt::TabFocusReason);
    // A composition: the kana preedit stands for the reading of the kanji.
    QInputMethodEvent pre(QStringLiteral("かぶしき"), {});
    QApplication::sendEvent(edit, &pre);
    QInputMethodEvent conv(QStringLiteral("株式"), {});
    QApplication::sendEvent(edit, &conv);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("株式"));
    QApplication::sendEvent(edit, &commit);
    QTest::keyClicks(edit, QStringLiteral("A1"));
    EXPECT_EQ(edit->text(), QStringLiteral("株式A1"));
    EXPECT_EQ(edit->kana(), QStringLiteral("ｶﾌﾞｼｷA1"));
    edit->SetKana(QString());
    EXPECT_EQ(edit->kana(), QStringLiteral("ｶﾌﾞｼｷA1"));
    // Entering again starts a new reading.
    first->setFocus(Qt::TabFocusReason);
    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->kana(), QString());
}

TEST(TxEditTest, PasteLockedOnlyWithInputMethodDisabled)
{
    TestForm form;
    auto* edit = form.add<TxEdit>();
    ASSERT_TRUE(form.show());
    edit->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("999"));
    edit->SetImeMode(imDisable);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QString());
    edit->SetKillPaste(false);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("999"));
}

class ComboFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        before = form.add<QLineEdit>();
        combo = form.add<TxComboBox>();
        combo->setEditable(true);
        combo->addItems({QStringLiteral("01:現金"), QStringLiteral("02:預金")});
        combo->SetKeyLen(2);
        combo->setCurrentIndex(0);
        after = form.add<QLineEdit>();
        ASSERT_TRUE(form.show());
        combo->setFocus(Qt::TabFocusReason);
    }
    TestForm form;
    QLineEdit* before = nullptr;
    TxComboBox* combo = nullptr;
    QLineEdit* after = nullptr;
};

TEST_F(ComboFixture, CodePrefixChoosesWithoutMovingSelectionUntilLeaving)
{
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("02"));
    EXPECT_EQ(combo->ChosenIndex(), 1);
    EXPECT_EQ(combo->currentIndex(), 0); // the visible selection stays
    after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("02:預金"));
}

TEST(ListStyleCombo, TypedCodePrefixChoosesWithoutMovingSelectionUntilLeaving)
{
    TestForm form;
    form.add<QLineEdit>();
    auto* combo = form.add<TxComboBox>(); // list style: not editable
    combo->addItems({QStringLiteral("01:現金"), QStringLiteral("02:預金"), QStringLiteral("12:売掛金")});
    combo->SetKeyLen(2);
    combo->setCurrentIndex(0);
    auto* after = form.add<QLineEdit>();
    ASSERT_TRUE(form.show());
    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(combo, QStringLiteral("02"));
    EXPECT_EQ(combo->ChosenIndex(), 1);
    EXPECT_EQ(combo->currentIndex(), 0); // the visible selection stays
    QTest::keyClicks(combo, QStringLiteral("12")); // a new prefix once one is complete
    EXPECT_EQ(combo->ChosenIndex(), 2);
    after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(combo->currentIndex(), 2);
    EXPECT_EQ(combo->currentText(), QStringLiteral("12:売掛金"));
}

TEST_F(ComboFixture, UnknownCodeClearsSelectionAndKeepsKey)
{
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("9"));
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("9"));
    EXPECT_EQ(combo->lineEdit()->cursorPosition(), 1);
}

TEST_F(ComboFixture, DeleteAtStartSelectsFirstItem)
{
    combo->setCurrentIndex(1);
    combo->lineEdit()->setCursorPosition(0);
    QTest::keyClick(combo, Qt::Key_Delete);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->ChosenIndex(), 0);
    EXPECT_EQ(combo->currentText(), QStringLiteral("01:現金"));
}

TEST(TxComboBoxTest, DeleteInListStyleSelectsFirstItem)
{
    TestForm form;
    auto* combo = form.add<TxComboBox>();
    combo->addItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    combo->setCurrentIndex(2);
    ASSERT_TRUE(form.show());
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Delete);
    EXPECT_EQ(combo->currentIndex(), 0);
}

TEST(TxComboBoxTest, KeysActOnOpenListNotOnFocus)
{
    TestForm form;
    auto* combo = form.add<TxComboBox>();
    combo->addItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    combo->SetKeyStyles(ksEnter | ksUp | ksDown);
    combo->SetDropDownWidth(300);
    form.add<QLineEdit>();
    ASSERT_TRUE(form.show());
    combo->setFocus();
    combo->showPopup();
    ASSERT_TRUE(combo->isPopupShown());
    EXPECT_GE(combo->view()->width(), 300);
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    EXPECT_FALSE(combo->isPopupShown());
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(TestForm::focused(), combo);
}

TEST(TxMaskEditTest, MaskOfCommunicationIdentifier)
{
    EXPECT_EQ(controls::toQtInputMask(QStringLiteral("aaaa-aaaa-aaaa"), QLatin1Char('_')),
        QStringLiteral("nnnn-nnnn-nnnn;_"));
    EXPECT_EQ(controls::toQtInputMask(QStringLiteral("!>LL00\\a"), QLatin1Char(' ')), QStringLiteral(">AA99\\a; "));
    TxMaskEdit edit;
    edit.SetEditMask(QStringLiteral("aaaa-aaaa-aaaa;1;_"));
    QTest::keyClicks(&edit, QStringLiteral("AB12CD34EF56"));
    EXPECT_EQ(edit.EditText(), QStringLiteral("AB12-CD34-EF56"));
    edit.SetEditMask(QStringLiteral("aaaa-aaaa-aaaa;0;_"));
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("AB12CD34EF56"));
    EXPECT_EQ(edit.EditText(), QStringLiteral("AB12CD34EF56"));
}

} // namespace
