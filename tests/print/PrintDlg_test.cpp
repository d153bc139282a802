// The data list's print options dialog over the sample system database:
// the orientation is kept per operator in STYLECOLOR, the record carries the
// choices, and F8's path prints the list.
#include "print/z5PrintDlg.h"
#include "print/z5PrnColorSet.h"
#include "support/scripted_messages.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"
#include "support/sample_root.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

namespace fb = platform::firebird;
constexpr int kOperator = 100000010;

class RecordingRunner : public print::JobRunner {
public:
    int runPreview(print::TP808DEF& job) override
    {
        previews.push_back(job);
        return 1;
    }
    int runPrint(print::TP808DEF& job) override
    {
        prints.push_back(job);
        return -1;
    }
    int selectedPrinter() const override { return -1; }
    int selectedCopies() const override { return 1; }
    std::vector<print::TP808DEF> previews, prints;
};

class PrintDlg : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        ResetProcessState();
        const auto& info = root().info();
        SysDef.SysDir = info.sysDir;
        SysDef.DBUser = "TOLVAN";
        SysDef.DBPassword = "vulmok";
        SysDef.GroupID = info.groupId;
        SysDef.OpCode = kOperator;
        SysDef.WorkDir = work.path();
        SysDef.NetColor1 = 0x00C0C0C0;
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        ASSERT_TRUE(dm->fnAccDefConnected("", 1));
        exec("DELETE FROM STYLECOLOR WHERE STYLENAME='020-DATASENTAKULIST'");
    }
    void TearDown() override
    {
        core::DM = nullptr;
        dm.reset();
        ResetProcessState();
    }
    void exec(const std::string& sql)
    {
        fb::Transaction tr(&dm->IBDatabaseDEF);
        tr.startTransaction();
        fb::Query q(&dm->IBDatabaseDEF, &tr);
        q.sql().add(sql);
        q.execSQL();
        tr.commit();
    }
    std::string value(const std::string& sql, int columns = 1)
    {
        fb::Transaction tr(&dm->IBDatabaseDEF);
        tr.startTransaction();
        fb::Query q(&dm->IBDatabaseDEF, &tr);
        q.sql().add(sql);
        q.open();
        std::string v = q.eof() ? "<none>" : q.field(0).asString();
        for (int i = 1; !q.eof() && i < columns; ++i)
            v += "," + q.field(i).asString();
        q.close();
        tr.commit();
        return v;
    }
    // Presses a button of the dialog as soon as it is shown (polled by the
    // event loop of its modal run).
    void pressLater(TDataSentakuPrintDlg*& slot, const char* button, bool landscape)
    {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, &slot, button, landscape] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = qobject_cast<TDataSentakuPrintDlg*>(w); d && d->isVisible()) {
                    timer->stop();
                    timer->deleteLater();
                    slot = d;
                    if (landscape)
                        d->btnYousiYoko->setChecked(true);
                    d->findChild<TxPlButton*>(button)->Click();
                    return;
                }
            }
        });
        timer->start(5);
    }

    test_support::TempDir work;
    std::unique_ptr<core::TDM> dm;
};

TDataSentakuRecArray rows(int n)
{
    TDataSentakuRecArray out;
    for (int i = 0; i < n; ++i) {
        TDataSentakuRec r;
        r.Data.REC = i + 1;
        r.Data.DispName = "会社" + std::to_string(i + 1);
        out.push_back(r);
    }
    return out;
}

} // namespace

TEST_F(PrintDlg, OrientationIsKeptPerOperatorAndTheListPrints)
{
    RecordingRunner runner;
    TDataSentakuPrintDlg* shown = nullptr;
    pressLater(shown, "btnOK", true);
    EXPECT_TRUE(PrintDisplayedList(nullptr, 0, rows(3), {0, 1, 2}, &runner));
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(runner.prints.size(), 1u);
    EXPECT_EQ(runner.prints[0].Orientation, 1);
    EXPECT_EQ(value("SELECT LINECOLOR1,LINECOLOR2,NETCOLOR1,NETCOLOR2,SSTR FROM STYLECOLOR WHERE OPCODE="
                      + std::to_string(kOperator) + " AND STYLENAME='020-DATASENTAKULIST'",
                  5),
        "-1,-1,-1,-1,P010=1\r\n");

    // the next time the dialog opens landscape; the preview button previews
    pressLater(shown, "btnPreview", false);
    EXPECT_TRUE(PrintDisplayedList(nullptr, 0, rows(2), {1, 0}, &runner));
    ASSERT_EQ(runner.previews.size(), 1u);
    EXPECT_EQ(runner.previews[0].Orientation, 1);

    // Cancel prints nothing and still writes the row back
    exec("UPDATE STYLECOLOR SET SSTR='P010=0' WHERE STYLENAME='020-DATASENTAKULIST'");
    pressLater(shown, "btnCancel", true);
    EXPECT_FALSE(PrintDisplayedList(nullptr, 0, rows(1), {0}, &runner));
    EXPECT_EQ(runner.prints.size(), 1u);
    EXPECT_EQ(value("SELECT SSTR FROM STYLECOLOR WHERE STYLENAME='020-DATASENTAKULIST'"), "P010=0");
}

TEST_F(PrintDlg, OwnColoursAreStoredAndDefaultsFollowTheOperator)
{
    SysDef.PLineColor1 = 0x000000FF;
    TDefaultPrintRec rec;
    TPrintDlgBox::InitDefaultPrintRec(rec);
    rec.StyleName = "DataSentakuList";
    rec.LineColor2 = 0x00123456;
    TPrintDlgBox dlg;
    dlg.UseStyleColor = true;
    dlg.PrintRec = &rec;
    dlg.PutStyleColorRec();
    EXPECT_EQ(
        value("SELECT LINECOLOR1,LINECOLOR2,NETCOLOR1,LINECOLOR3 FROM STYLECOLOR WHERE STYLENAME='020-DATASENTAKULIST'",
            4),
        "-1," + std::to_string(0x00123456) + ",-1,-1");
    TDefaultPrintRec back;
    TPrintDlgBox::InitDefaultPrintRec(back);
    back.StyleName = "DataSentakuList";
    dlg.PrintRec = &back;
    dlg.GetStyleColorRec();
    EXPECT_EQ(back.LineColor1, 0x000000FF);
    EXPECT_EQ(back.LineColor2, 0x00123456);
}

TEST_F(PrintDlg, RecordFromTheControls)
{
    TDefaultPrintRec rec;
    TPrintDlgBox::InitDefaultPrintRec(rec);
    EXPECT_EQ(rec.NetColor1, 0x00C0C0C0);
    EXPECT_EQ(rec.TitleSize, 16);
    rec.StyleName = "DataSentakuList";
    TPrintDlgBox dlg;
    dlg.PrintRec = &rec;
    dlg.ColorVisible = dlg.StartPageVisible = dlg.BothVisible = true;
    dlg.InitDialog(true);
    EXPECT_EQ(dlg.StyleName(), "020-DATASENTAKULIST");
    dlg.btnColor->setChecked(true);
    dlg.txtStartPage->setText("0");
    dlg.chkBoth->setChecked(true);
    dlg.btnOK->Click();
    EXPECT_EQ(dlg.PressedButton, 1);
    EXPECT_EQ(rec.ColorMode, 1);
    EXPECT_EQ(rec.StartPage, 1); // 0 prints from page 1
    EXPECT_TRUE(rec.BothSides);
    EXPECT_EQ(rec.ScreenValues, "C010=1\r\nC020=1\r\n");
    dlg.txtStartPage->setText("x");
    dlg.btnCopy->Click();
    EXPECT_EQ(dlg.PressedButton, 3);
    EXPECT_EQ(rec.StartPage, 1);
}

TEST_F(PrintDlg, ColourChoiceForAStyle)
{
    ScriptedMessages messages({modal::Yes});
    exec("DELETE FROM STYLECOLOR WHERE STYLENAME='Pallet_CustomColor'");
    SysDef.PLineColor1 = 0x000000FF;
    TDefaultPrintRec rec;
    TPrintDlgBox::InitDefaultPrintRec(rec);
    rec.StyleName = "DataSentakuList";
    TDataSentakuPrintDlg dlg;
    dlg.PrintRec = &rec;
    dlg.InitDialog(true);
    bool perStyle = false, linkShown = false;
    std::array<TColorValue, 16> customAtOpen {};
    dlg.ColourBoxHook = [&](TPrnColorSetBox& box) {
        box.PickColour = [](TColorValue) -> std::optional<TColorValue> { return 0x00112233; };
        QTimer::singleShot(0, [&box, &perStyle, &linkShown, &customAtOpen] {
            perStyle = box.PerStyle;
            linkShown = box.lblKankyoColor->isVisibleTo(&box);
            customAtOpen = box.CustomColors;
            box.CustomColors[0] = 0x00ABCDEF;
            box.btnLineColor1Click(1); // ruled lines
            box.btnOK->Click();
        });
    };
    dlg.btnColorSelect->Click();
    EXPECT_TRUE(perStyle);
    EXPECT_TRUE(linkShown);
    EXPECT_EQ(customAtOpen[0], 0xFFFFFFu); // first use: sixteen white
    EXPECT_EQ(rec.LineColor2, 0x00112233);
    EXPECT_EQ(
        value("SELECT LINECOLOR2 FROM STYLECOLOR WHERE STYLENAME='020-DATASENTAKULIST'"), std::to_string(0x00112233));
    EXPECT_EQ(SysDef.PLineColor2, 0); // the operator's defaults are untouched
    const std::string custom = value("SELECT SSTR FROM STYLECOLOR WHERE STYLENAME='Pallet_CustomColor'");
    EXPECT_EQ(custom.substr(0, 14), "ColorA=ABCDEF\r");

    // Cancel after a change leaves the fields; the link restores the defaults
    TPrnColorSetBox box;
    box.PerStyle = true;
    box.SetLineColor1(0x00445566);
    box.InitDialog(true);
    EXPECT_EQ(box.CustomColors[0], 0x00ABCDEFu); // kept for the operator
    box.PickColour = [](TColorValue) -> std::optional<TColorValue> { return 0x00000001; };
    box.btnLineColor1Click(0);
    EXPECT_EQ(box.PanelColor(0), 0x00000001u);
    box.lblKankyoColorClick();
    EXPECT_EQ(box.PanelColor(0), 0x000000FFu);
    EXPECT_EQ(box.LineColor1, 0x00445566u);
}

// The dialog names the list it prints: the data list or the shared-server
// list.
TEST_F(PrintDlg, DialogNamesTheListItPrints)
{
    struct Case {
        std::uint8_t kind;
        const char* caption;
        const char* message;
        bool ownHint;
    };
    const Case cases[] = {
        {0, "データリストの印刷", "データリストを印刷します。", true},
        {1, "共有データリストの印刷", "共有データリストを印刷します。", false},
    };
    for (const Case& c : cases) {
        RecordingRunner runner;
        QString caption, message, memo;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = qobject_cast<TDataSentakuPrintDlg*>(w); d && d->isVisible()) {
                    caption = d->windowTitle();
                    message = d->lblMain->text();
                    memo = d->HintArea->toPlainText();
                    d->btnCancel->Click();
                    return;
                }
            }
        });
        EXPECT_FALSE(PrintDisplayedList(nullptr, c.kind, rows(1), {0}, &runner));
        EXPECT_EQ(caption.toStdString(), c.caption);
        EXPECT_EQ(message.toStdString(), c.message);
        EXPECT_EQ(memo.startsWith(QStringLiteral("［OK］を押すとﾃﾞｰﾀ選択ﾘｽﾄの印刷を実行します。")), c.ownHint)
            << memo.toStdString();
    }
}
