// The drop-down check list: what the closed control shows, single and
// multiple ticking, select all, replacing items, the lines dropped down
// and where the list opens.

#include "controls/xCheckedComboBox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList operators(int n)
{
    QStringList items;
    for (int i = 1; i <= n; ++i)
        items << QStringLiteral("%1:担当者%2").arg(i, 3, 10, QLatin1Char('0')).arg(i);
    return items;
}

TEST(CheckedCombo, CountDisplay)
{
    TxCheckedComboBox box;
    box.SetItems({QStringLiteral("001:山田"), QStringLiteral("002:佐藤"), QStringLiteral("003:鈴木")});
    QSignalSpy changes(&box, &TxCheckedComboBox::OnChange);
    EXPECT_EQ(box.DisplayText(), QStringLiteral("未選択"));
    box.SetChecked(1, true);
    EXPECT_EQ(box.DisplayText(), QStringLiteral("002:佐藤"));
    box.SetChecked(0, true);
    EXPECT_EQ(box.DisplayText(), QStringLiteral("2件選択"));
    EXPECT_EQ(box.CheckedText(), QStringLiteral("002:佐藤,001:山田")) << "in ticking order";
    box.SetDispStyle(TCHBDispStyle::dsItems);
    EXPECT_EQ(box.DisplayText(), QStringLiteral("002:佐藤,001:山田"));
    box.SortDisplay = true;
    EXPECT_EQ(box.DisplayText(), QStringLiteral("001:山田,002:佐藤"));
    box.SetChecked(0, false);
    box.SetChecked(1, false);
    EXPECT_EQ(box.DisplayText(), QStringLiteral("未選択"));
    EXPECT_EQ(changes.count(), 4);
}

TEST(CheckedCombo, SingleSelectionUnticksTheOthers)
{
    TxCheckedComboBox box;
    box.SetMultiSelect(false);
    box.SetItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    box.SetChecked(0, true);
    box.SetChecked(2, true);
    EXPECT_FALSE(box.IsChecked(0));
    EXPECT_TRUE(box.IsChecked(2));
    EXPECT_EQ(box.CheckedCount(), 1);
    EXPECT_EQ(box.DisplayText(), QStringLiteral("C"));
    EXPECT_FALSE(box.DropDownForm()->SelectAll->isEnabled());
    box.CheckAll();
    EXPECT_EQ(box.CheckedCount(), 1) << "select all is off without multiple selection";
}

TEST(CheckedCombo, SelectAllAndReplacingItems)
{
    TxCheckedComboBox box;
    box.SetItems(operators(3));
    box.DropDownForm()->SelectAll->trigger();
    EXPECT_EQ(box.CheckedCount(), 3);
    EXPECT_EQ(box.DisplayText(), QStringLiteral("3件選択"));
    box.SetItems(operators(5));
    EXPECT_EQ(box.DisplayText(), QStringLiteral("未選択"));
    EXPECT_EQ(box.CheckedCount(), 0);
    box.SetChecked(4, true);
    box.DropDownForm()->DeSelectAll->trigger();
    EXPECT_EQ(box.CheckedCount(), 0);
    EXPECT_FALSE(box.IsChecked(4));
}

TEST(CheckedCombo, LinesDroppedDown)
{
    TxCheckedComboBox box;
    box.SetItems(operators(40));
    EXPECT_EQ(box.DropLines(), 15);
    box.SetColumns(3);
    EXPECT_EQ(box.DropLines(), 14);
    box.SetColumns(0);
    box.SetDropDownLines(25); // refused
    EXPECT_EQ(box.DropDownLines(), 15);
    box.SetDropDownLines(20);
    EXPECT_EQ(box.DropLines(), 20);
    box.SetItems(operators(3));
    EXPECT_EQ(box.DropLines(), 3);
}

TEST(CheckedCombo, OpensBelowOrAboveAndCloses)
{
    QWidget form;
    form.resize(300, 200);
    auto* box = new TxCheckedComboBox(&form);
    box->move(10, 10);
    box->SetItems(operators(5));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    box->DropDown();
    ASSERT_TRUE(box->IsDroppedDown());
    EXPECT_EQ(box->DropDownForm()->geometry().topLeft(), box->mapToGlobal(QPoint(0, box->height())));
    EXPECT_GE(box->DropDownForm()->width(), box->DropDownWidth);
    QTest::keyClick(box->DropDownForm()->List, Qt::Key_Escape);
    EXPECT_FALSE(box->IsDroppedDown());

    const int screenHeight = form.screen()->geometry().height();
    form.move(0, screenHeight - 60);
    box->DropDown();
    ASSERT_TRUE(box->IsDroppedDown());
    EXPECT_LT(box->DropDownForm()->geometry().bottom(), box->mapToGlobal(QPoint(0, 0)).y() + 1) << "opens above";
    box->CloseUp();
}

TEST(CheckedCombo, DisabledLooksGray)
{
    TxCheckedComboBox box;
    box.setEnabled(false);
    EXPECT_EQ(box.ButtonLook(), TDropDownLook::Gray);
    box.setEnabled(true);
    EXPECT_EQ(box.ButtonLook(), TDropDownLook::Normal);
}

} // namespace
