#include "dataselect/gui/WhichDataSetBox.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

TEST(WhichDataSet, TakenOutDataCanOnlyBeBroughtBack)
{
    TWhichDataSetBox box;
    box.Mochidashi = 1;
    box.ShowChoice(0);
    EXPECT_FALSE(box.btnMochidashi->isEnabled());
    EXPECT_TRUE(box.btnMochikaeri->isChecked());
    QTimer::singleShot(0, [&] { box.btnOKClick(); });
    EXPECT_EQ(box.ShowModal(), 1);
    EXPECT_TRUE(box.Mochikaeri);
}

TEST(WhichDataSet, ChoiceOfNotTakenOutDataAndCancel)
{
    TWhichDataSetBox box;
    box.ShowChoice(0);
    EXPECT_TRUE(box.btnMochidashi->isEnabled());
    EXPECT_TRUE(box.btnMochidashi->isChecked());
    QTimer::singleShot(0, [&] {
        box.btnMochikaeri->setChecked(true);
        QTest::keyClick(&box, Qt::Key_F12); // no function keys here
        box.btnOKClick();
    });
    EXPECT_EQ(box.ShowModal(), 1);
    EXPECT_TRUE(box.Mochikaeri);

    TWhichDataSetBox again;
    again.ShowChoice(0);
    QTimer::singleShot(0, [&] { QTest::keyClick(&again, Qt::Key_Escape); });
    EXPECT_EQ(again.ShowModal(), 2);
    EXPECT_FALSE(again.Mochikaeri);
}
