// The margin dialog under the offscreen platform, its key filter, the text
// routines, and the dialog reached from the preview.
#include "print/MarginDialog.h"
#include "print/PreviewWindow.h"

#include "controls/xEdit.h"
#include "platform/codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>

using namespace print;

TEST(NumericKeys, FilterTable)
{
    struct Case {
        const char16_t* text;
        char16_t key;
        int kind;
        bool whole;
        bool accepted;
    };
    const Case cases[] = {
        {u"", u'5', 0, false, true},
        {u"0", u'0', 0, false, false},
        {u"", u'0', 0, false, false},
        {u"1", u'0', 0, false, true},
        {u"1", 8, 0, false, false},
        {u"1", 8, 1, false, true},
        {u"0", u'0', 2, false, false},
        {u"0", u'0', 2, true, true},
        {u"1", u'.', 2, false, true},
        {u"1.", u'.', 2, false, false},
        {u"", u'.', 2, false, false},
        {u"", u'-', 3, false, true},
        {u"-", u'-', 3, false, false},
        {u"12", u'-', 3, true, true},
        {u"-", u'0', 3, false, false},
        {u"0", u'0', 3, false, false},
        {u"-", u'5', 3, false, true},
        {u"1", u'.', 3, false, false},
        {u"1", u'.', 4, false, true},
        {u"1.", u'0', 4, false, false},
        {u"1", u'a', 4, false, false},
        {u"1", u'5', 9, false, false},
    };
    for (const Case& c : cases) {
        const char16_t got = FilterNumericKey(c.text, c.key, c.kind, c.whole);
        EXPECT_EQ(got != 0, c.accepted) << "kind " << c.kind << " key " << static_cast<int>(c.key);
    }
}

TEST(PrintTextRoutines, SplitAndNthField)
{
    std::vector<std::string> pieces;
    EXPECT_EQ(SplitFields("A;B // c;d", ';', pieces), 1);
    EXPECT_EQ(pieces, (std::vector<std::string> {"A", "B "}));
    EXPECT_EQ(SplitFields("", ';', pieces), 0);
    EXPECT_TRUE(pieces.empty());
    EXPECT_EQ(SplitFields(";x", ';', pieces), 1);
    EXPECT_EQ(pieces[0], "");
    EXPECT_EQ(NthField("FORM;a.80F;TRUE;10;20;", ';', 3), "10");
    EXPECT_EQ(NthField("FORM;a.80F;TRUE;10;20;", ';', 9), "");
    EXPECT_EQ(NthField("A; b ;C", ';', 1), "b");
    EXPECT_EQ(SplitFields(std::string(150, ';'), ';', pieces), 100); // bounded
    EXPECT_EQ(pieces.size(), 101u);
    EXPECT_EQ(SafeStrToFloat("1.5"), 1.5);
    EXPECT_EQ(SafeStrToFloat("x"), 0.0);
}

TEST(MarginDialog, KeysClampAndOk)
{
    Tfmyohaku dlg;
    dlg.show();
    QApplication::processEvents();
    dlg.edtTop->clear();
    dlg.edtTop->setFocus();
    QTest::keyClicks(dlg.edtTop, "--5");
    EXPECT_EQ(dlg.edtTop->text(), "-5"); // one "-" only
    dlg.edtLeft->setText("0");
    dlg.edtLeft->setCursorPosition(1);
    dlg.edtLeft->deselect();
    QTest::keyClick(dlg.edtLeft, Qt::Key_0);
    EXPECT_EQ(dlg.edtLeft->text(), "0");
    dlg.edtVCorr->setFocus();
    dlg.edtVCorr->setText("-70");
    dlg.edtHCorr->setFocus(); // leaving the field clamps it
    QApplication::processEvents();
    EXPECT_EQ(dlg.edtVCorr->text(), "-50");
    dlg.OkClick();
    EXPECT_EQ(dlg.TopMargin, -5);
    EXPECT_EQ(dlg.LeftMargin, 0);
    EXPECT_EQ(dlg.VRatio, 950);
    EXPECT_EQ(dlg.HRatio, 1000);

    Tfmyohaku zeros;
    zeros.OkClick();
    EXPECT_EQ(zeros.VRatio, 1000);
    EXPECT_EQ(zeros.HRatio, 1000);
    EXPECT_EQ(zeros.TopMargin, 0);

    Tfmyohaku wide; // a margin beyond 10 mm comes back unchanged
    wide.setTopMargin(250);
    wide.setVRatio(1020);
    wide.setHRatio(2000);
    EXPECT_EQ(wide.edtVCorr->text(), "20");
    EXPECT_EQ(wide.edtHCorr->text(), "0");
    wide.OkClick();
    EXPECT_EQ(wide.TopMargin, 250);
    EXPECT_EQ(wide.VRatio, 1020);
}

TEST(MarginDialog, FromThePreview)
{
    test_support::TempDir dir;
    TP808DEF job;
    job.PaperSize = 9;
    job.DataFile = dir.write("d.TMP", "*LUMEN808*\r\nTEXT;100;100;a;\r\n");
    PreviewServices services;
    bool spacingShown = false;
    services.marginDialog = [&](Tfmyohaku& d) {
        spacingShown = d.findChild<QWidget*>("edtVCorr")->isVisibleTo(&d);
        d.edtTop->setText("30");
        d.edtVCorr->setText("10");
        d.OkClick();
        return true;
    };
    TImageDispForm form(job, services);
    form.findChild<QToolButton*>("SB_MARGIN")->click();
    EXPECT_TRUE(spacingShown);
    EXPECT_EQ(job.TopMargin, 30);
    EXPECT_EQ(job.VRATIO, 1010);
    job.PaperSize = 8; // the printer's paper differs: spacing hidden and kept
    form.findChild<QToolButton*>("SB_MARGIN")->click();
    EXPECT_FALSE(spacingShown);
    EXPECT_EQ(job.VRATIO, 1010);
}
