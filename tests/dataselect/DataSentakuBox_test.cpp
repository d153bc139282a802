// The data-selection screen started as the wizard starts it, under the
// offscreen platform, on a sample root with mixed rows; and a picture of it
// when DATASELECT_SCREENSHOT names the file (run under xvfb-run).

#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/gui/DataListKensakuBox.h"
#include "dataselect/gui/DataSyosaiInfoBox.h"

#include "mixed_rows_fixture.h"
#include "search_dialog_answer.h"

#include "controls/ProcRegistry.h"
#include "controls/TolvanEdit.h"
#include "controls/xPlButton.h"
#include "core/DataModuleSysDef.h"
#include "support/scripted_messages.h"

#include "controls/xAnimeProgressDialog.h"
#include "core/DataModule.h"
#include "platform/plain_text.h"
#include "platform/share_roots.h"

#include <functional>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

constexpr const char* kWizardStart = "SyoriType=3\rJyokenSet=1\rDataType=-13\rCodeType=0\rDataVerMajor=13";

class DataSelectionScreen : public DataSelectionList {
protected:
    void SetUp() override
    {
        DataSelectionList::SetUp();
        // As after a login: the operator's settings row exists.
        const std::string chosen = SysDef.DataDir;
        ASSERT_TRUE(core::fnGetSysDef());
        SysDef.DataDir = chosen;
        RegisterDataSentakuBox();
    }

    // Runs check on the screen once it shows modally.
    template <typename Check> void whenShown(Check check)
    {
        QTimer::singleShot(0, [check] {
            auto* box = qobject_cast<TDataSentakuBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            check(*box);
        });
    }

    static void chooseRowOf(TDataSentakuBox& box, const std::string& folder)
    {
        const int row = box.Model().FindRowOfFolder(folder);
        ASSERT_GE(row, 0) << folder;
        box.Grid()->setCurrentCell(row, 0);
        QTest::keyClick(box.Grid(), Qt::Key_Return);
    }
};

} // namespace

TEST_F(DataSelectionScreen, WizardStartListsTheKeptRowsAndChoosesAStatusOneRow)
{
    ScriptedMessages messages;
    std::vector<int> shown;
    std::vector<std::string> blanks;
    bool searchEnabled = true;
    whenShown([&](TDataSentakuBox& box) {
        for (int r = 0; r < box.Grid()->rowCount(); ++r)
            shown.push_back(box.Grid()->item(r, 0)->text().toInt());
        for (int k = fkey::F1; k <= fkey::F8; ++k)
            if (box.Keys().IsBlank(k))
                blanks.push_back(box.KeyButton(k)->CaptionA().Caption().toStdString());
        searchEnabled = box.SearchButton()->isEnabled() || box.SearchCancelButton()->isEnabled();
        // A refused row keeps the screen open; the status-1 row is chosen.
        chooseRowOf(box, folderOf(5));
        chooseRowOf(box, folderOf(2));
    });
    const int result = ExecProc("QzDataSenkaku", 1, kWizardStart);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, (std::vector<int> {1, 2, 5, 6, 7, 8}));
    EXPECT_EQ(blanks, (std::vector<std::string> {"F1:", "F2:", "F3:", "F4:", "F5:", "F6:", "F7:", "F8:"}));
    EXPECT_FALSE(searchEnabled);
    std::string all;
    for (const auto& m : messages.shown())
        all += core::messageAsText(m);
    ASSERT_EQ(messages.count(), 1u) << all;
    EXPECT_EQ(messages.firstLine(0).substr(0, 27), std::string("このデータは使用中のため").substr(0, 27));
    EXPECT_EQ(SysDef.DataDir, folderOf(2));
    EXPECT_EQ(SysDef.DataListPath, folderOf(2));
}

TEST_F(DataSelectionScreen, EscapeAfterTheStartFolderWasDeletedKeepsTheFolderAndCancels)
{
    // The window's close box cancels as ESC does.
    for (const bool closeBox : {false, true}) {
        SysDef.DataDir = folderOf(2);
        std::filesystem::copy_file(company.database, folderOf(2) + "/tnacc.fdb",
            std::filesystem::copy_options::overwrite_existing);
        ScriptedMessages messages;
        whenShown([&](TDataSentakuBox& box) {
            std::filesystem::remove(folderOf(2) + "/tnacc.fdb");
            if (closeBox)
                box.close();
            else
                QTest::keyClick(box.Grid(), Qt::Key_Escape);
        });
        EXPECT_EQ(ExecProc("QzDataSenkaku", 1, kWizardStart), 2) << closeBox;
        ASSERT_EQ(messages.count(), 1u) << closeBox;
        EXPECT_EQ(messages.firstLine(0), "前回、選択したデータは削除されています。\r");
        EXPECT_EQ(SysDef.DataDir, folderOf(2)) << "the system definition keeps its folder";
    }
}

TEST_F(DataSelectionScreen, ProcessingTypeAboveFiveIsRefused)
{
    TDataSentakuBox box;
    EXPECT_THROW(box.SetParams({"SyoriType=6"}), std::invalid_argument);
}

// Pictures of the screen and its dialogs on the sample data root, written
// into the folder DATASELECT_SCREENSHOTS names.
TEST_F(DataSelectionScreen, WritesPicturesWhenAsked)
{
    const QString folder = qEnvironmentVariable("DATASELECT_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DATASELECT_SCREENSHOTS to a folder to write the pictures";
    auto save = [&](QWidget& w, const char* name) {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QApplication::processEvents();
        ASSERT_TRUE(w.grab().save(folder + "/" + QString::fromUtf8(name)));
        w.hide();
    };
    SysDef.DataRoot = root.info().dataRoot;
    SysDef.DataDir = folderOf(2);
    AppInfo.Varov.AppTitle = "トルバン財務";
    TDataSentakuBox box;
    box.SetParams({"SyoriType=3", "JyokenSet=1", "DataType=-13", "CodeType=0", "DataVerMajor=13"});
    box.PrepareShow();
    box.Grid()->setFocus();
    box.Grid()->setCurrentCell(1, 0);
    save(box, "data-selection.png");

    TDataListRec row = box.Model().Record(0);
    TDataSyosaiInfoBox details;
    details.Row = &row;
    details.DataFolder = box.Model().GetRowDataPath(0);
    details.ListName = row.ENTTEXT;
    details.Prepare(true);
    save(details, "data-details.png");

    TDataListKensakuBox search;
    search.Rec.DataType = 1;
    search.Rec.JyokenUse = 1;
    search.Prepare(true);
    save(search, "data-search.png");
}

TEST_F(DataSelectionScreen, InformationButtonRenamesTheRow)
{
    ScriptedMessages messages;
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=3", "JyokenSet=1", "DataType=-13", "CodeType=0", "DataVerMajor=13"});
    screen.PrepareShow();
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(2)), 0);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TDataSyosaiInfoBox*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->txtListName->setText(QStringLiteral("医療法人 改名"));
        dialog->btnOKClick();
    });
    screen.btnDataInfoClick();
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=2"), "医療法人 改名");
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniPath(folderOf(2))).readString("DATAINFO", "DATALISTNAME", ""),
        "医療法人 改名");
    EXPECT_EQ(messages.count(), 0u) << core::messageAsText(messages.shown().at(0));
}

TEST_F(DataSelectionScreen, F8PrintsTheRowsAsShown)
{
    std::vector<std::size_t> printed;
    SetDataListPrinter(
        [&](QWidget*, std::uint8_t kind, const TDataSentakuRecArray& rows, const TDataSentakuRecDispArray& disp) {
            EXPECT_EQ(kind, 0);
            printed.push_back(disp.size());
            EXPECT_LE(disp.size(), rows.size());
            return true;
        });
    ScriptedMessages messages;
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=0"});
    screen.PrepareShow();
    screen.UpdateFunctionKeys();
    ASSERT_FALSE(screen.Keys().IsBlank(fkey::F8));
    screen.KeyButton(fkey::F8)->Click();
    SetDataListPrinter(nullptr);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0], screen.Model().Disp.size());
    EXPECT_GT(printed[0], 0u);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(DataSelectionScreen, CloseBoxOfTheHostsStartAsksBeforeEndingTheProgram)
{
    SysDef.ProgramName = "トルバン財務";
    ScriptedMessages messages({modal::Cancel, modal::Ok});
    bool stillOpen = false;
    int resultAfterCancel = -1;
    whenShown([&](TDataSentakuBox& box) {
        box.close();
        stillOpen = box.isVisible();
        resultAfterCancel = box.result();
        box.close();
    });
    EXPECT_EQ(ExecProc("QzDataSenkaku", 1, "SyoriType=1"), 3);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(resultAfterCancel, 0);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(0), "トルバン財務を終了します。よろしいですか？");
}

// Choosing a destination (type 2) stand-alone suspends automatic share
// while the screen runs. However the screen closes, the operator's own
// switch comes back and is what the database holds, even when an operation
// of the screen stored the system definition meanwhile; the rest of the
// system definition is not written back, and the company database is
// connected again. The other types write the system definition back.
TEST_F(DataSelectionScreen, DestinationChoiceSuspendsAutomaticShareUntilItCloses)
{
    const std::string opCode = "OPCODE=" + std::to_string(SysDef.OpCode);
    enum class Close { Escape, CloseBox, Choose };
    struct Case {
        int type;
        Close how;
        int result;
        int flagWhileShown;
        bool restWritten;
    };
    const Case cases[] = {
        {2, Close::Escape, 2, 0, false},
        {2, Close::CloseBox, 2, 0, false},
        {2, Close::Choose, 1, 0, false},
        {0, Close::Escape, 2, 1, true},
    };
    for (const Case& c : cases) {
        const std::string label = "type " + std::to_string(c.type) + " close " + std::to_string(static_cast<int>(c.how));
        if (dm->IBDatabaseDAT.connected())
            dm->fnAccDatDisConnected();
        SysDef.DataDir = folderOf(1);
        SysDef.PrinterName = "before";
        SysDef.Reserve4Bit1 = 1;
        ASSERT_TRUE(core::fnPutSysDef());
        ScriptedMessages messages;
        int flagWhileShown = -1;
        bool boxChecked = true;
        whenShown([&](TDataSentakuBox& box) {
            flagWhileShown = SysDef.Reserve4Bit1;
            boxChecked = box.findChild<QCheckBox*>()->isChecked();
            // An operation of the screen stores the system definition (as
            // the shared take does), then the screen's state changes.
            ASSERT_TRUE(core::fnPutSysDef());
            SysDef.PrinterName = "after";
            switch (c.how) {
            case Close::Escape:
                QTest::keyClick(box.Grid(), Qt::Key_Escape);
                break;
            case Close::CloseBox:
                box.close();
                break;
            case Close::Choose:
                box.Grid()->setCurrentCell(box.Model().FindRowOfFolder(folderOf(20)), 0);
                QTest::keyClick(box.Grid(), Qt::Key_Return);
                break;
            }
        });
        EXPECT_EQ(ExecProc("QzDataSenkaku", 1, "SyoriType=" + std::to_string(c.type)), c.result)
            << label << core::messageAsText(messages.shown().empty() ? TMessage2InfoRec {} : messages.shown().at(0));
        EXPECT_EQ(flagWhileShown, c.flagWhileShown) << label;
        EXPECT_EQ(boxChecked, c.flagWhileShown == 1) << label;
        EXPECT_EQ(SysDef.Reserve4Bit1, 1) << label;
        EXPECT_EQ(std::stoi(value("SYSDEF", "RESERVE4", opCode).value_or("0")) & 1, 1) << label;
        EXPECT_EQ(value("SYSDEF", "PrinterName", opCode), c.restWritten ? "after" : "before") << label;
        if (c.type == 2) {
            EXPECT_TRUE(dm->IBDatabaseDAT.connected()) << label << ": the company database is connected again";
            if (c.how == Close::Choose) {
                EXPECT_EQ(SysDef.DestinationText, "PATH1=" + folderOf(20) + "\rPATH2=" + folderOf(20)) << label;
            }
        }
    }
    if (dm->IBDatabaseDAT.connected())
        dm->fnAccDatDisConnected();
}

TEST_F(DataSelectionScreen, TypingACodeGoesToTheRowAfterThePause)
{
    sql({"UPDATE DATALIST SET DATACODE='AB12' WHERE REC=2", "UPDATE DATALIST SET DATACODE='X9' WHERE REC=4"});
    ScriptedMessages messages;
    std::vector<int> intervals;
    std::string shownText, typed;
    bool editShown = false, editHiddenAfter = false;
    int currentAfter = -1, expected = -2, currentAfterMiss = -1;
    whenShown([&](TDataSentakuBox& box) {
        QApplication::setActiveWindow(&box);
        box.Grid()->setFocus();
        EXPECT_TRUE(box.Grid()->hasFocus());
        box.Grid()->setCurrentCell(0, 0);
        QTest::keyClick(box.Grid(), Qt::Key_A);
        intervals.push_back(box.IncSearchTimer()->interval());
        QTest::keyClick(box.Grid(), Qt::Key_B, Qt::ShiftModifier); // the key counts, not the case
        intervals.push_back(box.IncSearchTimer()->interval());
        QTest::keyClick(box.Grid(), Qt::Key_F5); // no search key
        QTest::keyClicks(box.Grid(), "1234567");
        intervals.push_back(box.IncSearchTimer()->interval());
        typed = box.IncSearchText();
        shownText = box.IncSearchEdit()->text().toStdString();
        editShown = box.IncSearchEdit()->isVisible();
        box.IncSerchTimerTimer();
        // "AB1234567" is nobody's code: the row stays.
        currentAfterMiss = box.Grid()->currentRow();

        QTest::keyClicks(box.Grid(), "ab");
        box.IncSerchTimerTimer();
        currentAfter = box.Grid()->currentRow();
        expected = box.Model().FindRowOfFolder(folderOf(2));
        editHiddenAfter = !box.IncSearchEdit()->isVisible() && box.IncSearchText().empty();
        QTest::keyClick(box.Grid(), Qt::Key_Escape);
    });
    EXPECT_EQ(ExecProc("QzDataSenkaku", 1, "SyoriType=0"), 2);
    EXPECT_EQ(intervals, (std::vector<int> {500, 1000, 1000}));
    EXPECT_EQ(typed, "AB1234567");
    EXPECT_EQ(shownText, "AB123456") << "the edit shows the first eight characters";
    EXPECT_TRUE(editShown);
    EXPECT_EQ(currentAfterMiss, 0);
    EXPECT_EQ(currentAfter, expected);
    EXPECT_TRUE(editHiddenAfter);
}

TEST_F(DataSelectionScreen, ListRefreshRunsUnderTheProgressWindowAndStopsOnCancel)
{
    std::filesystem::create_directories(folderOf(30));
    std::filesystem::copy_file(company.database, folderOf(30) + "/tnacc.fdb");
    ScriptedMessages messages({modal::Yes});
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=0"});
    screen.PrepareShow();
    const int current = screen.Model().FindRowOfFolder(folderOf(5));
    screen.Grid()->setCurrentCell(current, 0);
    std::string caption, label;
    bool cancelShown = false;
    // Each row done lets events run: once the window names the first row,
    // press Cancel.
    std::function<void()> watch = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* form = qobject_cast<TxProgressForm*>(w);
            if (form == nullptr || !form->isVisible())
                continue;
            caption = form->windowTitle().toStdString();
            label = form->Label->text().toStdString();
            cancelShown = form->CancelButton != nullptr && form->CancelButton->isVisible();
            if (label.find("行目") != std::string::npos) {
                if (cancelShown)
                    form->CancelButton->Click();
                return;
            }
        }
        QTimer::singleShot(0, watch);
    };
    QTimer::singleShot(0, watch);
    screen.btnListUpdateClick();
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "データリストの更新を行います。\rよろしいですか？");
    EXPECT_EQ(caption, "更新中");
    EXPECT_EQ(label, "データリスト（1行目）の更新中…");
    EXPECT_TRUE(cancelShown);
    EXPECT_EQ(core::activeProgress(), nullptr) << "the window is gone";
    EXPECT_EQ(screen.Model().Record(screen.Model().FindRowOfFolder(folderOf(30))).ENTTEXT, "")
        << "the rows after the cancel were not refreshed";
    EXPECT_EQ(screen.Grid()->currentRow(), current) << "the current record stays current";
}

// The help memo shows the list's long hint, which depends on the
// connection kind, the processing type and the program kind.
TEST_F(DataSelectionScreen, ListHintByConnectionKindProcessingTypeAndProgramKind)
{
    struct Case {
        std::uint8_t connect;
        int type;
        std::uint8_t appKind;
        const char* firstAddedLine; // the memo's second line, "" when it has one line
        const char* lastLine;
    };
    const Case cases[] = {
        {0, 0, 0, "空白行は選択できません。［F3］で新規にﾃﾞｰﾀを作成するか、又は［F7］で作成済みのﾃﾞｰﾀを復元してください。",
            "共有ﾃﾞｰﾀを処理する場合は［共有取得］、取得した共有ﾃﾞｰﾀを他のｵﾍﾟﾚｰﾀが使えるようにする場合は［共有保管］をｸﾘｯｸします。"},
        {0, 2, 0, "［F7］で作成済みのﾃﾞｰﾀを復元してください。",
            "共有ﾃﾞｰﾀを処理する場合は［共有取得］、取得した共有ﾃﾞｰﾀを他のｵﾍﾟﾚｰﾀが使えるようにする場合は［共有保管］をｸﾘｯｸします。"},
        {0, 4, 0, "", ""},
        {1, 3, 0, "空白行は選択できません。", "空白行は選択できません。"},
        {1, 2, 0, "", ""},
        {2, 1, 0, "空白行は選択できません。［F3］で新規にﾃﾞｰﾀを作成するか、又は［F7］で作成済みのﾃﾞｰﾀを復元してください。",
            "選択ﾃﾞｰﾀを削除する場合は［F5］を、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。"},
        {2, 2, 0, "［F7］で作成済みのﾃﾞｰﾀを復元してください。",
            "選択ﾃﾞｰﾀを削除する場合は［F5］を、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。"},
        {0, 0, 2, "空白行は選択できません。［F3］で新規にﾃﾞｰﾀを作成してください。", "選択ﾃﾞｰﾀを削除する場合は［F5］を押します。"},
    };
    for (const Case& c : cases) {
        ConnectMode = c.connect;
        AppKind = c.appKind;
        TDataSentakuBox screen;
        screen.SetParams({"SyoriType=" + std::to_string(c.type)});
        screen.UpdateFunctionKeys();
        const QStringList lines = screen.findChild<QPlainTextEdit*>()->toPlainText().split(QLatin1Char('\n'));
        const std::string label = std::to_string(c.connect) + "/" + std::to_string(c.type) + "/" + std::to_string(c.appKind);
        ASSERT_FALSE(lines.isEmpty()) << label;
        EXPECT_EQ(lines.front().toStdString(), c.type == 4 ? "［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で空いている行を選択します。"
                                                           : "［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。")
            << label;
        const QString rest = lines.size() > 1 ? lines.at(1) : QString();
        EXPECT_EQ(rest.toStdString(), c.firstAddedLine) << label;
        const QString last = lines.size() > 1 ? lines.back() : QString();
        EXPECT_EQ(last.toStdString(), c.lastLine) << label;
    }
    ConnectMode = 0;
    AppKind = 0;
}

// Header clicks: "No" (the stored order of a new operator) turns the order
// round; another column sorts ascending; only the sort column carries a
// mark.
TEST_F(DataSelectionScreen, HeaderClicksSortAndMarkTheColumn)
{
    ScriptedMessages messages;
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=0"});
    screen.PrepareShow();
    auto header = [&](int c) { return screen.Grid()->horizontalHeaderItem(c)->text().toStdString(); };
    auto firstRec = [&] { return screen.Model().Record(0).REC; };
    struct Step {
        int click; // -1: none
        const char* no;
        const char* code;
        std::int32_t first;
    };
    const Step steps[] = {
        {-1, "No▲", "コード", 1},
        {0, "No▼", "コード", 120},
        {0, "No▲", "コード", 1},
        {2, "No▲", "コード", 1}, // not a sort column
        {1, "No", "コード▲", -1},
        {1, "No", "コード▼", -1},
    };
    for (const Step& s : steps) {
        if (s.click >= 0)
            screen.Grid()->horizontalHeader()->sectionClicked(s.click);
        EXPECT_EQ(header(0), s.no) << s.click;
        EXPECT_EQ(header(1), s.code) << s.click;
        if (s.first >= 0) {
            EXPECT_EQ(firstRec(), s.first) << s.click;
        }
        EXPECT_EQ(screen.Grid()->currentRow(), 0);
    }
}

TEST_F(DataSelectionScreen, FormStyleBeyondNormalKeepsTheScreenOnTop)
{
    const std::pair<const char*, bool> cases[] = {{"", false}, {"FormStyle=0", false}, {"FormStyle=2", false},
        {"FormStyle=3", true}, {"FormStyle=-1", true}};
    for (const auto& [line, onTop] : cases) {
        TDataSentakuBox box;
        box.SetParams({"SyoriType=0", line});
        EXPECT_EQ(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop) << line;
    }
}

// Shown, the screen makes the current data (its folder compared without
// case) the current row, seventh from the top where the list allows.
TEST_F(DataSelectionScreen, ShowingPositionsOnTheCurrentDataAsTheSeventhRow)
{
    SysDef.DataDir = platform::text::upperAscii(folderOf(30));
    ScriptedMessages messages;
    int current = -1, top = -1, expected = -2;
    whenShown([&](TDataSentakuBox& box) {
        current = box.Grid()->currentRow();
        top = box.Grid()->rowAt(0);
        expected = box.Model().FindRowOfFolder(folderOf(30));
        box.ESCClick();
    });
    EXPECT_EQ(ExecProc("QzDataSenkaku", 1, "SyoriType=0"), 2);
    ASSERT_GE(expected, 6);
    EXPECT_EQ(current, expected);
    EXPECT_EQ(top, expected - 6);
}

// The current row shows by the colour of its text: the list colour
// (stand-alone) or dark blue (server kinds), grey while its update is
// blocked, the plain colour when damaged; the row left goes back.
TEST_F(DataSelectionScreen, CurrentRowIsDrawnInTheCurrentRowColour)
{
    sql({"UPDATE DATALIST SET DATA_STATUS=1 WHERE REC=7"});
    const QColor listColour(0xFF, 0x6B, 0x24);
    const QColor serverColour(0x00, 0x40, 0x80);
    const QColor grey(0x80, 0x80, 0x80);
    struct Case {
        std::uint8_t connect;
        int rec;
        QColor current;
    };
    const Case cases[] = {{0, 2, listColour}, {0, 9, grey}, {0, 7, QColor()}, {1, 2, serverColour}};
    for (const Case& c : cases) {
        ConnectMode = c.connect;
        TDataSentakuBox screen;
        screen.SetParams({"SyoriType=3"});
        screen.Model().LoadDataList();
        screen.DisplayDataList();
        const QColor plain = screen.Grid()->palette().text().color();
        const int row = screen.Model().FindRowOfFolder(folderOf(c.rec));
        ASSERT_GT(row, 0);
        screen.Grid()->setCurrentCell(row, 3);
        const QColor expected = c.current.isValid() ? c.current : plain;
        for (const int column : {0, 3, 6})
            EXPECT_EQ(screen.Grid()->item(row, column)->foreground().color(), expected) << c.rec << "/" << column;
        EXPECT_EQ(screen.Grid()->item(0, 3)->foreground().color(), plain) << "the row left goes back";
        screen.Grid()->setCurrentCell(0, 3);
        EXPECT_EQ(screen.Grid()->item(row, 3)->foreground().color(), c.rec == 9 ? grey : plain) << c.rec;
    }
    ConnectMode = 0;
}

// While the data-place list is open (or changed by keys and not yet left)
// the list belongs to the old place: the grid, the search buttons and the
// keys that act on rows rest. Closing it up, or leaving it, shows the
// chosen place's list and gives everything back; the search-cancel button
// only when a filter is in use.
TEST_F(DataSelectionScreen, OpenPlaceListRestsTheListAndTheSearchButtons)
{
    struct Case {
        const char* label;
        std::vector<std::string> params;
        bool byKeys; // changed by keys, then left, instead of dropped down
        bool cancelAfter;
    };
    const Case cases[] = {
        {"no filter, dropped", {"SyoriType=0"}, false, false},
        {"caller's filter, dropped", {"SyoriType=0", "JyokenSet=1", "DataType=1", "CodeType=0"}, false, true},
        {"caller's filter, by keys", {"SyoriType=0", "JyokenSet=1", "DataType=1", "CodeType=0"}, true, true},
    };
    ScriptedMessages messages;
    ConnectMode = 1;
    for (const Case& c : cases) {
        TDataSentakuBox screen;
        screen.SetParams(c.params);
        screen.PrepareShow();
        ASSERT_GT(screen.DataPlaceCombo()->count(), 0) << c.label;
        ASSERT_GT(screen.Grid()->rowCount(), 0) << c.label;
        screen.Grid()->setCurrentCell(0, 0);
        screen.UpdateFunctionKeys();
        ASSERT_TRUE(screen.SearchButton()->isEnabled()) << c.label;
        ASSERT_FALSE(screen.Keys().IsBlank(fkey::F12)) << c.label;

        if (c.byKeys) {
            screen.cmbDataManChange();
        } else {
            screen.DataPlaceCombo()->showPopup();
        }
        EXPECT_FALSE(screen.Grid()->isEnabled()) << c.label;
        EXPECT_FALSE(screen.SearchButton()->isEnabled()) << c.label;
        EXPECT_FALSE(screen.SearchCancelButton()->isEnabled()) << c.label;
        EXPECT_TRUE(screen.Keys().IsBlank(fkey::F12)) << c.label;
        EXPECT_TRUE(screen.Keys().IsBlank(fkey::F8)) << c.label;
        // Nothing reached through the rested list acts meanwhile.
        screen.btnDataInfoClick();
        ASSERT_EQ(messages.count(), 1u) << c.label;
        EXPECT_EQ(messages.firstLine(0), "データリストが応答状態ではないので処理は行えません。") << c.label;
        messages.clear();

        if (c.byKeys) {
            QFocusEvent left(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(screen.DataPlaceCombo(), &left);
        } else {
            screen.DataPlaceCombo()->hidePopup();
            QCoreApplication::processEvents();
        }
        EXPECT_TRUE(screen.Grid()->isEnabled()) << c.label;
        EXPECT_TRUE(screen.SearchButton()->isEnabled()) << c.label;
        EXPECT_EQ(screen.SearchCancelButton()->isEnabled(), c.cancelAfter) << c.label;
        EXPECT_GT(screen.Grid()->rowCount(), 0) << c.label;
        EXPECT_FALSE(screen.Keys().IsBlank(fkey::F12)) << c.label;
        // A second close-up without a change reads nothing again.
        EXPECT_EQ(messages.count(), 0u) << c.label;
    }
    ConnectMode = 0;
}

// The search button is marked (shown pressed) while the list is narrowed
// by the caller's condition or by a search of this screen; the operator's
// own standing condition does not mark it, cancelling unmarks it, and a
// click alone never changes the mark.
TEST_F(DataSelectionScreen, SearchButtonMarkFollowsTheSearchOfThisScreen)
{
    ScriptedMessages messages;
    sql({"UPDATE OR INSERT INTO KENSAKUJYOKEN (OPCODE, LISTTYPE, JYOKENUSE, DATATYPE, CODETYPE, DATACODE, DATANAME, "
         "TANTO, DATAVER, SEIHINNAME, SORTCOL, SORTTYPE) VALUES ("
            + std::to_string(SysDef.OpCode) + ", 0, 1, 1, 0, '', '', 0, '', '', 0, 0) MATCHING (OPCODE, LISTTYPE)"});
    for (const bool callers : {false, true}) {
        TDataSentakuBox screen;
        screen.SetParams(callers ? std::vector<std::string> {"SyoriType=0", "JyokenSet=1", "DataType=3", "CodeType=0"}
                                 : std::vector<std::string> {"SyoriType=0"});
        screen.PrepareShow();
        EXPECT_TRUE(screen.Model().FilterActive) << callers;
        EXPECT_TRUE(screen.SearchCancelButton()->isEnabled()) << callers;
        EXPECT_EQ(screen.SearchMarked(), callers);
        EXPECT_EQ(screen.SearchButton()->isChecked(), callers);

        // The dialog cancelled: the click did not latch the button.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<TDataListKensakuBox*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->reject();
        });
        screen.SearchButton()->click();
        EXPECT_EQ(screen.SearchButton()->isChecked(), callers);

        screen.SearchCancelButton()->click();
        EXPECT_FALSE(screen.SearchMarked()) << callers;
        EXPECT_FALSE(screen.SearchButton()->isChecked()) << callers;
        EXPECT_FALSE(screen.SearchCancelButton()->isEnabled()) << callers;

        AnswerNextSearchWithDataKind(4); // 医療法人
        screen.SearchButton()->click();
        EXPECT_TRUE(screen.SearchMarked()) << callers;
        EXPECT_TRUE(screen.SearchButton()->isChecked()) << callers;
        EXPECT_TRUE(screen.SearchCancelButton()->isEnabled()) << callers;
        EXPECT_EQ(listed(screen.Model()), (std::vector<int> {2})) << callers;
    }
    EXPECT_EQ(messages.count(), 0u);
}

// The start's busy cursor ends once the screen is the user's, so what the
// screen starts itself (the take-out's local list) is not refused as a
// second start.
TEST_F(DataSelectionScreen, StartingGivesTheDefaultCursorBack)
{
    ScriptedMessages messages;
    bool busy = true;
    whenShown([&](TDataSentakuBox& box) {
        // The busy cursor is what marks a start under way.
        const QCursor* cursor = QGuiApplication::overrideCursor();
        busy = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        box.ESCClick();
    });
    EXPECT_EQ(ExecProc("QzDataSenkaku", 1, "SyoriType=0"), 2);
    EXPECT_FALSE(busy);
}

// F8 prints what the list shows; a list narrowed to nothing prints
// nothing and says why.
TEST_F(DataSelectionScreen, F8WithNothingShownSaysSoAndPrintsNothing)
{
    int printed = 0;
    SetDataListPrinter([&](QWidget*, std::uint8_t, const TDataSentakuRecArray&, const TDataSentakuRecDispArray&) {
        ++printed;
        return true;
    });
    ScriptedMessages messages;
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=0", "JyokenSet=1", "DataVer=99.9"});
    screen.PrepareShow();
    screen.UpdateFunctionKeys();
    ASSERT_EQ(screen.Grid()->rowCount(), 0);
    screen.F8Click();
    SetDataListPrinter(nullptr);
    EXPECT_EQ(printed, 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "データリストが絞り込みにより表示されていません。\r");
}

// The details dialog: a shared data set not taken by this computer is only
// looked at; a data set someone took while the dialog was open keeps its
// name; clearing the status frees the row's lock.
TEST_F(DataSelectionScreen, DetailsWriteOnlyWhatTheDataSetAllows)
{
    ScriptedMessages messages;
    // Row 3 becomes a shared data set whose working folder is its own
    // folder; this computer has not taken it.
    const std::string shareRoot = root.folder() + "/server";
    std::filesystem::create_directories(shareRoot + "/x/sv0001");
    platform::share_roots::save({{'X', shareRoot, true}});
    sql({"UPDATE DATALIST SET PASNAME=:P0, NETDRIVE=1, KYOYULOCK=0 WHERE REC=3"}, {shareRoot + "/x/sv0001"});
    {
        TDataSentakuBox screen;
        screen.SetParams({"SyoriType=0"});
        screen.PrepareShow();
        const int shared = screen.Model().FindRowOfFolder(folderOf(3));
        ASSERT_GE(shared, 0);
        EXPECT_EQ(screen.Model().Record(shared).NETDRIVE, 1);
        EXPECT_EQ(screen.Model().Record(shared).KYOYULOCK, 0);
        screen.Grid()->setCurrentCell(shared, 0);
        bool editable = true;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TDataSyosaiInfoBox*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            editable = dialog->Editable;
            dialog->reject();
        });
        screen.btnDataInfoClick();
        EXPECT_FALSE(editable) << "a shared row not taken is read-only";
    }
    {
        TDataSentakuBox screen;
        screen.SetParams({"SyoriType=0"});
        screen.PrepareShow();
        screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(2)), 0);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TDataSyosaiInfoBox*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(dialog->Editable);
            // Another operator starts on the data set meanwhile.
            ini(2, "DATASTS", "STATUS", "2");
            dialog->txtListName->setText(QStringLiteral("医療法人 改名"));
            dialog->btnOKClick();
        });
        screen.btnDataInfoClick();
        EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=2"), "医療法人 13");
        EXPECT_NE(platform::IniFile(TDataInfomation::IniPath(folderOf(2))).readString("DATAINFO", "DATALISTNAME", ""),
            "医療法人 改名");
        EXPECT_EQ(screen.Model().Record(screen.Model().FindRowOfFolder(folderOf(2))).ENTTEXT, "医療法人 13");
    }
    EXPECT_EQ(messages.count(), 0u) << core::messageAsText(messages.shown().at(0));
}

// Clearing the status of a data set left in use frees it on disk and in
// the list: status 1, no lock, and a copy waiting to be pasted is given up.
TEST_F(DataSelectionScreen, DetailsStatusClearFreesTheRowAndItsLock)
{
    ScriptedMessages messages;
    sql({"UPDATE DATALIST SET DATALOCK=" + std::to_string(SysDef.GroupID * 10000 + 4) + " WHERE REC=5"});
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=0"});
    screen.PrepareShow();
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(2)), 0);
    screen.UpdateFunctionKeys();
    screen.F2Click();
    ASSERT_TRUE(screen.Keys().PasteHint);
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(5)), 0);
    bool offered = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TDataSyosaiInfoBox*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        offered = dialog->cboxStatusClear->isVisible();
        dialog->cboxStatusClear->setChecked(true);
        dialog->btnOKClick();
    });
    screen.btnDataInfoClick();
    ASSERT_TRUE(offered);
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniPath(folderOf(5))).readString("DATASTS", "STATUS", ""), "1");
    EXPECT_EQ(value("DATALIST", "DATALOCK", "REC=5"), "0");
    const int row = screen.Model().FindRowOfFolder(folderOf(5));
    EXPECT_EQ(screen.Grid()->currentRow(), row);
    EXPECT_EQ(screen.Model().Record(row).DATALOCK, 0);
    EXPECT_FALSE(screen.Keys().PasteHint) << "the pending copy was given up";
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniPath(folderOf(2))).readString("DATASTS", "STATUS", ""), "1")
        << "the copy source is free again";
    EXPECT_EQ(messages.count(), 0u) << core::messageAsText(messages.shown().at(0));
}
