// The wizard as the user walks it, on a fresh sample data root under the
// offscreen platform: start-up folders and connection settings, the first
// show, the data choice, the period panel, the tax option, the output page,
// the summary, the finish and the closing.
//
// The login is the real dialog, filled in as the sample operator (code 10,
// password "tolvan"). The end-to-end runs choose the data set on the real
// data-selection screen ("QzDataSenkaku" through the process registry);
// the tests of the choice loop's odd answers (cancel, the same screen again
// and again) play that screen with a function that answers from a script
// and leaves the chosen folder in SysDef.DataDir, as the screen does.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "accounting/OpenCompanyTables.h"
#include "accounting/uAccMbZanCmp.h"
#include "accounting/uAccZanCmp1.h"
#include "controls/xAnimeProgressDialog.h"
#include "controls/xKikanPanel.h"
#include "core/ProgressService.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/gui/LogonBox.h"
#include "dataselect/gui/WebMenuL.h"
#include "dataselect/z5ComDataSentaku.h"
#include "core/DataModule.h"
#include "core/DataInfomation.h"
#include "core/uAccRecord.h"
#include "platform/codec.h"
#include "platform/ini_file.h"
#include "platform/share_roots.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "test_caller.h"
#include "wizard/gui/FrameworkHooks.h"
#include "wizard/gui/WizardForm.h"
#include "wizard/gui/xWizard.h"
#include "wizard/ug16Settings.h"
#include "wizard_test_util.h"

namespace {

namespace fs = std::filesystem;

class WizardRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        InstallOpenCompanyTables();
        InstallGeneralTrialBalanceEngine();
        InstallMedicalTrialBalanceEngine();
        InstallDataListUpdater(); // as the program body does
        dataselect::RegisterDataSelectProcs();
        root = std::make_unique<test_support::SampleRoot>();
        home = std::make_unique<test_support::ScopedEnv>("MIRUZA_HOME", root->folder());
        runtime = std::make_unique<test_support::ScopedEnv>("XDG_RUNTIME_DIR", bin.makeDir("run"));
        bin.write("bin/AppInfo.ini", wizard_test::readBytes(wizard_test::sourceFile("src/wizard/app/AppInfo.ini")));
    }
    void TearDown() override
    {
        runtime.reset();
        home.reset();
        root.reset();
        ResetProcessState();
    }

    const sample::SampleRootInfo& info() const { return root->info(); }
    const sample::SampleCompany& company() const { return info().companies.front(); }

    TForm1::TStart start(const std::vector<std::string>& params = {})
    {
        TForm1::TStart s;
        s.CommandLine = ParseCommandLine(params);
        s.ProgramPath = bin.file("bin/miruza_rendo");
        s.Framework = wizard::MakeFramework();
        if (!realSelection)
            s.Framework.ExecProc = [this](const std::string& id, std::uint8_t modal, const std::string& params) {
                selections.push_back(id + "|" + std::to_string(modal) + "|" + params);
                // A loop that keeps reopening the screen ends as cancelled.
                const int answer = selections.size() > 8 ? 2 : selectionAnswers.empty() ? 1 : selectionAnswers.front();
                if (!selectionAnswers.empty())
                    selectionAnswers.pop_front();
                if (answer == 1)
                    SysDef.DataDir = chosenFolder.empty() ? company().folder : chosenFolder;
                return answer;
            };
        return s;
    }

    // Chooses the folder's row on the data-selection screen as soon as it is
    // shown modally.
    void answerSelection(const std::string& folder)
    {
        QTimer::singleShot(0, [this, folder] {
            auto* box = qobject_cast<TDataSentakuBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                if (++selectionWaits < 1000)
                    answerSelection(folder);
                return;
            }
            selections.push_back("screen");
            const int row = box->Model().FindRowOfFolder(folder);
            ASSERT_GE(row, 0) << folder;
            box->Grid()->setCurrentCell(row, 0);
            snap(*box, "page2a-data-selection");
            QTest::keyClick(box->Grid(), Qt::Key_Return);
        });
    }

    // Fills in the login dialog as soon as it is shown modally.
    void answerLogin(const char* code = "10", const char* password = "tolvan")
    {
        QTimer::singleShot(0, [this, code, password] {
            auto* box = qobject_cast<TLogonBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                if (++loginWaits < 1000)
                    answerLogin(code, password);
                return;
            }
            ++logins;
            QTest::keyClicks(box->txtOpCode, code);
            QTest::keyClicks(box->txtPassword, password);
            snap(*box, "page0-login");
            box->OKBtn->Click();
        });
    }

    void execSys(const std::string& sql) { core::DM->IBDatabaseDEF.executeImmediate(sql); }

    // A statement on a database file of the root, outside the wizard's
    // connections.
    static void openOn(platform::firebird::Database& db, const std::string& database)
    {
        db.setDatabaseName(database);
        db.addParam("user_name=TOLVAN");
        db.addParam("password=vulmok");
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
    }
    static void execOn(const std::string& database, const std::string& sql)
    {
        platform::firebird::Database db;
        openOn(db, database);
        db.executeImmediate(sql);
        db.disconnect();
    }
    static int countOn(const std::string& database, const std::string& sql)
    {
        platform::firebird::Database db;
        openOn(db, database);
        platform::firebird::Transaction tr(&db);
        platform::firebird::Query q(&db, &tr);
        tr.startTransaction();
        q.sql().add(sql);
        q.open();
        const int n = q.field(0).asInteger();
        q.close();
        tr.commit();
        db.disconnect();
        return n;
    }
    int logonRows() const { return countOn(info().systemDatabase, "SELECT COUNT(*) FROM LOGONUSERLIST"); }
    int dataStatus() const { return platform::IniFile(company().iniFile).readInteger("DATASTS", "STATUS", -1); }

    // Start-up as the program body runs it, then the first show.
    std::unique_ptr<TForm1> started(const std::vector<std::string>& params = {})
    {
        auto form = std::make_unique<TForm1>(start(params));
        if (!form->InitWizard())
            return nullptr;
        answerLogin();
        form->show();
        QCoreApplication::processEvents();
        return form;
    }

    static void next(TForm1& form) { QTest::mouseClick(form.btnNext, Qt::LeftButton); }

    // Page 1 to page 3 with the sample company chosen.
    void chooseSampleCompany(TForm1& form)
    {
        next(form);
        ASSERT_EQ(form.ActivePageId(), TWizardPageId::DataChoice);
        if (realSelection)
            answerSelection(company().folder);
        QTest::mouseClick(form.page2->btnDataSentaku, Qt::LeftButton);
        ASSERT_TRUE(form.page2->HasDataInfo());
        next(form);
        ASSERT_EQ(form.ActivePageId(), TWizardPageId::Conditions);
    }

    // A click on a cell of the period panel.
    static void clickPeriodCell(TForm1& form, int cell)
    {
        TxKikanPanel16* panel = form.page3->xKikanPanel3a;
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->CellRect(cell).center());
    }

    // With MIRUZA_SCREENSHOTS=<folder> the end-to-end run saves a picture of
    // every page there (docs/screenshots is made this way).
    static void snap(QWidget& w, const char* name)
    {
        const char* dir = std::getenv("MIRUZA_SCREENSHOTS");
        if (dir == nullptr || *dir == 0)
            return;
        QCoreApplication::processEvents();
        w.grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
    }

    // Data-list row 7 stands for a data set kept on a shared server (share
    // root X, area returned) and not taken; this computer works on it in
    // the system folder's 0007, where a copy of an earlier take lies. The
    // selection screen chooses that folder.
    std::string makeSharedDataSet()
    {
        const std::string shareRoot = root->folder() + "/server";
        const std::string area = shareRoot + "/rozivoraduz/sv0001";
        chosenFolder = info().sysDir + "/0007";
        for (const std::string& folder : {area, chosenFolder}) {
            fs::create_directories(folder);
            for (const char* name : {"tnacc.fdb", "tnacc.ini"})
                fs::copy_file(company().folder + "/" + name, folder + "/" + name);
        }
        platform::share_roots::save({{'X', shareRoot, true}});
        execOn(info().systemDatabase,
            "UPDATE DATALIST SET ENTTEXT='SHARED', PASNAME='" + area + "', NETDRIVE=1, KYOYULOCK=0 WHERE REC=7");
        return area;
    }

    static std::string golden(const std::string& name)
    {
        return wizard_test::readBytes(wizard_test::testDataFile("fixtures/overview/" + name));
    }

    test_support::TempDir bin;
    std::unique_ptr<test_support::SampleRoot> root;
    std::unique_ptr<test_support::ScopedEnv> home;
    std::unique_ptr<test_support::ScopedEnv> runtime;
    std::vector<std::string> selections;
    std::deque<int> selectionAnswers;
    int logins = 0;
    int loginWaits = 0;
    int selectionWaits = 0;
    // The real data-selection screen instead of the scripted one.
    bool realSelection = false;
    std::string chosenFolder; // what the selection screen chooses; "" the sample company
};

} // namespace

TEST_F(WizardRun, StartUpSetsTheFoldersBeforeAnythingIsWritten)
{
    realSelection = true;
    // The work folder is the temporary-files folder of the tree, so the
    // wizard's settings file never lands in the current folder.
    test_support::TempDir cwd;
    const fs::path previous = fs::current_path();
    fs::current_path(cwd.path());
    ScriptedMessages messages;
    {
        auto form = started();
        ASSERT_TRUE(form);
        const std::string base = info().dataRoot;
        EXPECT_EQ(SysDef.DataRoot, base);
        EXPECT_EQ(SysDef.IniDir, base + "/ini");
        EXPECT_EQ(SysDef.LogDir, base + "/log");
        EXPECT_EQ(SysDef.TempDir, base + "/temp");
        EXPECT_EQ(SysDef.SysDir, info().sysDir);
        EXPECT_EQ(SysDef.WorkDir, root->folder() + "/tmp");
        EXPECT_EQ(SysDef.ServerIniFile, info().connectionIni);
        EXPECT_EQ(VzRendoIniFile(), root->folder() + "/tmp/VzRendo.ini");
        EXPECT_TRUE(fs::is_directory(SysDef.UserDir));
        EXPECT_EQ(logins, 1);
        EXPECT_TRUE(form->LoginDone);

        chooseSampleCompany(*form);
        form->page3->RadioButton3a->setChecked(true);
        next(*form);
        next(*form);
        form->page4->Edit4a->setText(QString::fromStdString(cwd.file("out.xml")));
        next(*form);
        next(*form); // 完了
    }
    fs::current_path(previous);
    EXPECT_TRUE(fs::exists(root->folder() + "/tmp/VzRendo.ini"));
    EXPECT_FALSE(fs::exists(cwd.file("VzRendo.ini")));
    EXPECT_TRUE(fs::exists(cwd.file("out.xml")));
}

TEST_F(WizardRun, EndToEndStandAloneWritesTheGoldenFile)
{
    realSelection = true;
    ScriptedMessages messages;
    const std::string out = root->folder() + "/documents/gaikyosyo.xml";
    {
        auto form = started();
        ASSERT_TRUE(form);
        EXPECT_EQ(form->Wizard1->count(), 6);
        snap(*form, "page1-intro");
        next(*form);
        answerSelection(company().folder);
        QTest::mouseClick(form->page2->btnDataSentaku, Qt::LeftButton);
        snap(*form, "page2-data");
        next(*form);
        ASSERT_EQ(form->ActivePageId(), TWizardPageId::Conditions);
        ASSERT_EQ(selections, (std::vector<std::string> {"screen"}));
        EXPECT_EQ(form->page2->DataInfoValue("会社名"), company().name);
        EXPECT_EQ(form->page2->DataInfoValue("会計年度"), "10期");
        EXPECT_EQ(dataStatus(), 2); // in use while the wizard holds it

        // The last month of the year takes the closing period in.
        clickPeriodCell(*form, 14);
        EXPECT_EQ(form->page3->xKikanPanel3a->Edno(), 15);
        QTest::mouseClick(form->page3->RadioButton3a, Qt::LeftButton);
        snap(*form, "page3-conditions");
        next(*form);
        ASSERT_EQ(form->ActivePageId(), TWizardPageId::StatementForm);
        EXPECT_TRUE(form->page10->GroupBox10->isHidden());
        snap(*form, "page4-statement-form");
        next(*form);
        ASSERT_EQ(form->ActivePageId(), TWizardPageId::OutputFile);
        form->page4->Edit4a->setText(QString::fromStdString(out));
        snap(*form, "page5-output-file");
        next(*form);
        ASSERT_EQ(form->ActivePageId(), TWizardPageId::Summary);
        snap(*form, "page6-summary");
        const auto lines = form->page5->Lines();
        EXPECT_EQ(lines,
            (std::vector<std::string> {"【連動元情報】", " 会社名        : " + company().name, " 会計年度      : 10 期",
                " 会計期間      : 2024年 4月 1日 ～ 2025年 3月31日", "", "【計算条件】",
                " 計算対象期間  : 2024年4月 ～ 25年3月", " 消費税計算区分: 税込み", "", "【中間ファイル】",
                " " + out}));
        next(*form); // 完了
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->ResultCode, ResultMade);
    }
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "中間ファイルが作成されました。");
    EXPECT_EQ(wizard_test::readBytes(out), golden("sample_tax_included.xml"));
    // Closing handed everything back.
    EXPECT_EQ(logonRows(), 0);
    EXPECT_EQ(dataStatus(), 1);
}

TEST_F(WizardRun, CallerRunPostsMadeWithoutTheSuccessBox)
{
    realSelection = true;
    ScriptedMessages messages;
    wizard_test::TestCaller caller(4321);
    const std::string out = bin.file("for-caller.xml");
    {
        auto form = started({"4321,1025,9," + out});
        ASSERT_TRUE(form);
        EXPECT_EQ(form->Wizard1->count(), 5);
        chooseSampleCompany(*form);
        QTest::mouseClick(form->page3->RadioButton3b, Qt::LeftButton); // 税抜き
        clickPeriodCell(*form, 14);
        next(*form); // the summary is built here: there is no output page
        next(*form);
        ASSERT_EQ(form->ActivePageId(), TWizardPageId::Summary);
        const auto lines = form->page5->Lines();
        EXPECT_EQ(lines.back(), " 消費税計算区分: 税抜き");
        next(*form); // 完了
        EXPECT_EQ(form->ResultCode, ResultMade);
    }
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable", "enable", "result 1025 9 0"}));
    // The caller's value goes into FUNCTIONID; everything else is the
    // tax-excluded golden file.
    std::string expected = golden("sample_tax_excluded.xml");
    const std::string from = "<FUNCTIONID>2</FUNCTIONID>";
    ASSERT_NE(expected.find(from), std::string::npos);
    expected.replace(expected.find(from), from.size(), "<FUNCTIONID>9</FUNCTIONID>");
    EXPECT_EQ(wizard_test::readBytes(out), expected);
}

TEST_F(WizardRun, CancelPostsCancelledAndHandsEverythingBack)
{
    realSelection = true;
    ScriptedMessages messages({modal::Yes});
    wizard_test::TestCaller caller(77);
    {
        auto form = started({"77,5,1," + bin.file("x.xml")});
        ASSERT_TRUE(form);
        chooseSampleCompany(*form);
        EXPECT_EQ(logonRows(), 1);
        QTest::mouseClick(form->btnCancel, Qt::LeftButton);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->ResultCode, ResultCancelled);
        EXPECT_EQ(logonRows(), 0);
        EXPECT_EQ(dataStatus(), 1);
    }
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable", "enable", "result 5 1 1"}));
    EXPECT_FALSE(fs::exists(bin.file("x.xml")));
}

TEST_F(WizardRun, FailedExportPostsFailureAndLeavesNoFile)
{
    realSelection = true;
    execOn(company().database,
        "ALTER PROCEDURE SP_KANENDO_ZANDAKA (F INTEGER, SCODE VARCHAR(6)) RETURNS "
        "(KCODE VARCHAR(6)) AS BEGIN EXCEPTION; END");
    ScriptedMessages messages;
    wizard_test::TestCaller caller(88);
    const std::string out = bin.file("never.xml");
    // The export's failure is shown over the progress window, its
    // animation stopped.
    std::string progressCaption;
    bool animating = true;
    core::MessageHandler previous;
    previous = core::setMessageHandler([&](TMessage2InfoRec& rec) {
        if (rec.lines[0].text == "科目の集計処理に失敗しました。") {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<TxProgressForm*>(w) != nullptr && w->isVisible())
                    progressCaption = w->windowTitle().toStdString();
            if (auto* p = dynamic_cast<TxAnimeProgressDialog*>(core::activeProgress()))
                animating = p->AnimeActive();
        }
        return previous(rec);
    });
    {
        auto form = started({"88,6,0," + out});
        ASSERT_TRUE(form);
        chooseSampleCompany(*form);
        next(*form);
        next(*form);
        next(*form); // 完了
        EXPECT_EQ(form->ResultCode, ResultFailed);
        EXPECT_FALSE(form->isVisible());
    }
    ASSERT_GE(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(messages.count() - 2), "科目の集計処理に失敗しました。");
    EXPECT_EQ(messages.firstLine(messages.count() - 1), "中間ファイルの作成に失敗しました。");
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable", "enable", "result 6 0 2"}));
    EXPECT_EQ(logonRows(), 0);
    core::setMessageHandler(previous);
    EXPECT_EQ(progressCaption, "連動データの作成中");
    EXPECT_FALSE(animating);
    EXPECT_EQ(core::activeProgress(), nullptr);
}

TEST_F(WizardRun, CancellingTheFirstSelectionKeepsPageTwo)
{
    selectionAnswers = {2};
    ScriptedMessages messages;
    auto form = started();
    ASSERT_TRUE(form);
    next(*form);
    QTest::mouseClick(form->page2->btnDataSentaku, Qt::LeftButton);
    ASSERT_EQ(selections.size(), 1u);
    EXPECT_EQ(selections[0], "QzDataSenkaku|1|SyoriType=3\rJyokenSet=1\rDataType=-13\rCodeType=0\rDataVerMajor=13");
    EXPECT_FALSE(form->page2->HasDataInfo());
    EXPECT_TRUE(SysDef.DataDir.empty());
    EXPECT_FALSE(form->DatConnected);
    next(*form);
    EXPECT_EQ(form->ActivePageId(), TWizardPageId::DataChoice);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "会計データの選択が行われていません。");
}

TEST_F(WizardRun, OlderDataVersionIsRefusedAndOkReopensTheSelection)
{
    execOn(company().database, "UPDATE ACCVERSION SET MAJOR = 12, MINOR1 = 9, MINOR2 = 0");
    // OK reopens the selection; the second round is cancelled on the
    // selection screen, the previous choice comes back and is refused
    // again; Cancel then ends the choice with no data set.
    selectionAnswers = {1, 2};
    ScriptedMessages messages({modal::Ok, modal::Cancel});
    auto form = started();
    ASSERT_TRUE(form);
    next(*form);
    QTest::mouseClick(form->page2->btnDataSentaku, Qt::LeftButton);
    EXPECT_EQ(selections.size(), 2u);
    ASSERT_EQ(messages.count(), 2u);
    for (const auto& rec : messages.shown()) {
        EXPECT_EQ(rec.kind, msgkind::Confirmation);
        EXPECT_EQ(rec.lines[0].text, "このプログラムで処理できるデータバージョンに達していません。");
        EXPECT_EQ(rec.lines[1].text, "データバージョン:13.0.0以降のデータを選択して下さい。");
        EXPECT_EQ(rec.lines[2].text, "データ選択画面を開き、別のデータを選択しますか？");
    }
    EXPECT_FALSE(form->page2->HasDataInfo());
    EXPECT_FALSE(form->DatConnected);
    EXPECT_FALSE(core::DM->IBDatabaseDAT.connected());
    EXPECT_EQ(dataStatus(), 1); // not left marked in use
    next(*form);
    EXPECT_EQ(form->ActivePageId(), TWizardPageId::DataChoice);
}

TEST_F(WizardRun, FailedCompanyLoadDisconnectsBeforeChoosingAgain)
{
    // A company master the program cannot open (no ACCDEF1 row): the first
    // connection works, the load fails; the data set must not stay
    // connected and marked in use behind the selection screen.
    execOn(company().database, "DELETE FROM ACCDEF1");
    selectionAnswers = {1};
    ScriptedMessages messages;
    auto form = started();
    ASSERT_TRUE(form);
    next(*form);
    bool checked = false;
    // The confirmation comes while the loop waits: look at the data set then.
    messages.push(modal::Cancel);
    core::MessageHandler previous;
    previous = core::setMessageHandler([&](TMessage2InfoRec& rec) {
        if (rec.kind == msgkind::Confirmation) {
            checked = true;
            EXPECT_FALSE(core::DM->IBDatabaseDAT.connected());
            EXPECT_EQ(dataStatus(), 1);
            EXPECT_EQ(rec.lines[0].text, "データの接続に失敗しました。");
            return modal::Cancel;
        }
        return modal::Ok;
    });
    QTest::mouseClick(form->page2->btnDataSentaku, Qt::LeftButton);
    core::setMessageHandler(previous);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(form->page2->HasDataInfo());
    EXPECT_FALSE(form->DatConnected);
}

namespace {

struct OutputCase {
    const char* what;
    std::string name; // "" empty; names with "DOCS" are under the documents folder
    bool accepted;
    const char* warning; // first line of the warning when refused
};

} // namespace

TEST_F(WizardRun, OutputPageChecks)
{
    ScriptedMessages messages;
    auto form = started();
    ASSERT_TRUE(form);
    chooseSampleCompany(*form);
    next(*form);
    next(*form);
    ASSERT_EQ(form->ActivePageId(), TWizardPageId::OutputFile);
    const std::string docs = form->DocumentsDir;
    const OutputCase cases[] = {
        {"empty", "", false, "中間ﾌｧｲﾙが指定されていません。"},
        {"a folder without a file", docs + "/", false, "中間ﾌｧｲﾙが指定されていません。"},
        {"root of the system volume", "/gaikyosyo.xml", false, "ｼｽﾃﾑﾄﾞﾗｲﾌﾞ(/)直下にﾌｧｲﾙは指定できません。"},
        {"root reached through ..", "/tmp/../gaikyosyo.xml", false, "ｼｽﾃﾑﾄﾞﾗｲﾌﾞ(/)直下にﾌｧｲﾙは指定できません。"},
        {"one folder deeper", "/tmp/gaikyosyo.xml", true, ""},
        {"bare name", "gaikyosyo.xml", true, ""},
    };
    for (const auto& c : cases) {
        messages.clear();
        form->page4->Edit4a->setText(QString::fromStdString(c.name));
        next(*form);
        if (c.accepted) {
            EXPECT_EQ(form->ActivePageId(), TWizardPageId::Summary) << c.what;
            EXPECT_EQ(messages.count(), 0u) << c.what;
            QTest::mouseClick(form->btnBack, Qt::LeftButton);
        } else {
            EXPECT_EQ(form->ActivePageId(), TWizardPageId::OutputFile) << c.what;
            ASSERT_EQ(messages.count(), 1u) << c.what;
            EXPECT_EQ(messages.shown()[0].kind, msgkind::Warning) << c.what;
            EXPECT_EQ(messages.firstLine(0), c.warning) << c.what;
            EXPECT_EQ(form->btnNext->text(), QString::fromUtf8("次へ(&N) >")) << c.what;
        }
    }
}

TEST_F(WizardRun, BareOutputNameIsWrittenWhereTheSummarySays)
{
    realSelection = true;
    ScriptedMessages messages;
    std::string shown;
    std::string docs;
    {
        auto form = started();
        ASSERT_TRUE(form);
        docs = form->DocumentsDir;
        chooseSampleCompany(*form);
        next(*form);
        next(*form);
        form->page4->Edit4a->setText("bare.xml");
        next(*form);
        shown = form->page5->Lines().back();
        next(*form); // 完了
        EXPECT_EQ(form->ResultCode, ResultMade);
    }
    EXPECT_EQ(shown, " " + docs + "/bare.xml");
    EXPECT_TRUE(fs::exists(docs + "/bare.xml"));
    EXPECT_FALSE(fs::exists("bare.xml"));
}

TEST_F(WizardRun, ClosingTwiceDoesTheWorkOnce)
{
    realSelection = true;
    // The company was renamed since the data list was written: closing
    // rewrites its data-list row from the database.
    execOn(company().database, "UPDATE ACCDEF1 SET SHOUGOU='RENAMED CO.'");
    ScriptedMessages messages;
    auto form = started();
    ASSERT_TRUE(form);
    chooseSampleCompany(*form);
    form->close();
    EXPECT_EQ(logonRows(), 0);
    EXPECT_EQ(dataStatus(), 1);
    EXPECT_EQ(countOn(info().systemDatabase,
                  "SELECT COUNT(*) FROM DATALIST WHERE SHOUGOU='RENAMED CO.' AND REC=" + std::to_string(company().rec)),
        1);
    EXPECT_FALSE(form->LoginDone);
    EXPECT_FALSE(form->DatConnected);
    // A second close request finds nothing to do: a logged-on row written
    // meanwhile stays, the data set is not marked again.
    execOn(info().systemDatabase,
        "INSERT INTO LOGONUSERLIST (OPCODE, GROUPID, OPERATORCODE, PCNAME) "
        "VALUES (99999, 10000, 9, 'other')");
    form->close();
    EXPECT_EQ(logonRows(), 1);
    EXPECT_EQ(dataStatus(), 1);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(WizardRun, FailedLoginEndsTheProgramWithFailure)
{
    ScriptedMessages messages;
    wizard_test::TestCaller caller(66);
    {
        auto s = start({"66,1,2,x.xml"});
        s.Framework.ShowLogin = [](QWidget*) { return false; };
        TForm1 form(std::move(s));
        ASSERT_TRUE(form.InitWizard());
        form.show();
        EXPECT_FALSE(form.FirstShow());
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.ResultCode, ResultFailed);
    }
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable", "enable", "result 1 2 2"}));
}

TEST(WizardPeriodRule, LastMonthTakesTheYearsLastCellAndQuarterEndsTheirAdjustment)
{
    struct Case {
        int edno, lastNo, expected;
    } cases[] = {
        {14, 15, 15}, // last month of a twelve-month year: the closing period
        {2, 15, 3}, // third month: its adjustment period
        {6, 15, 7}, {10, 15, 11}, {0, 15, 0}, {3, 15, 3}, // an adjustment cell stays
        {15, 15, 15}, {6, 7, 7}, // last month of a six-month year: the year's last cell
        {5, 7, 5}, {1, 2, 2}, // two-month year
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdjustPanelEnd(c.edno, c.lastNo), c.expected) << c.edno << "/" << c.lastNo;
}

TEST(WizardOutputFile, ResolvedAgainstTheDocumentsFolder)
{
    EXPECT_EQ(ResolveOutputFile("a.xml", "/home/u/Documents"), "/home/u/Documents/a.xml");
    EXPECT_EQ(ResolveOutputFile("sub/a.xml", "/home/u/Documents"), "/home/u/Documents/sub/a.xml");
    EXPECT_EQ(ResolveOutputFile("/srv/out/a.xml", "/home/u/Documents"), "/srv/out/a.xml");
    EXPECT_EQ(ResolveOutputFile("/srv/../a.xml", "/home/u/Documents"), "/a.xml");
}

TEST_F(WizardRun, SharedDataSetIsTakenOnChoiceAndStoredBackOnClosing)
{
    // The working copy of an earlier take is still here (stored back since);
    // the new take replaces it with the server's copy.
    const std::string area = makeSharedDataSet();
    execOn(area + "/tnacc.fdb", "CREATE TABLE ON_THE_SERVER (X INTEGER)");
    auto kyoyuLock = [&] { return countOn(info().systemDatabase, "SELECT KYOYULOCK FROM DATALIST WHERE REC=7"); };
    auto shareStatus = [&](const std::string& folder) {
        return platform::IniFile(folder + "/tnacc.ini").readInteger("DATASTS", "SHARE_STATUS", -1);
    };

    ScriptedMessages messages;
    {
        auto form = started();
        ASSERT_TRUE(form);
        SysDef.Reserve4Bit1 = 1; // the operator takes shared data automatically
        chooseSampleCompany(*form);
        EXPECT_EQ(form->page2->DataInfoValue("会社名"), company().name);
        EXPECT_EQ(countOn(chosenFolder + "/tnacc.fdb",
                      "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME='ON_THE_SERVER'"),
            1);
        EXPECT_EQ(kyoyuLock(), 1);
        EXPECT_EQ(shareStatus(area), 2);
        form->close();
        EXPECT_EQ(kyoyuLock(), 0);
        EXPECT_EQ(shareStatus(area), 1);
    }
    EXPECT_EQ(messages.count(), 0u) << (messages.count() ? messages.firstLine(0) : "");
}

TEST_F(WizardRun, SharedDataSetNotTakenWithoutAutomaticTakingGoesBackToTheSelection)
{
    // A stale working copy is there, but the set was never taken.
    makeSharedDataSet();
    selectionAnswers = {1, 2};
    ScriptedMessages messages;
    auto form = started();
    ASSERT_TRUE(form);
    SysDef.Reserve4Bit1 = 0;
    next(*form);
    QTest::mouseClick(form->page2->btnDataSentaku, Qt::LeftButton);
    EXPECT_EQ(selections.size(), 2u); // back to the selection screen
    ASSERT_GE(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "このデータは共有取得が行われていません。データ選択画面を開きます。");
    EXPECT_FALSE(form->page2->HasDataInfo());
    EXPECT_EQ(countOn(info().systemDatabase, "SELECT KYOYULOCK FROM DATALIST WHERE REC=7"), 0);
}

TEST_F(WizardRun, CancellingALaterSelectionKeepsTheChosenDataSet)
{
    selectionAnswers = {1, 2};
    ScriptedMessages messages;
    auto form = started();
    ASSERT_TRUE(form);
    chooseSampleCompany(*form);
    QTest::mouseClick(form->btnBack, Qt::LeftButton);
    QTest::mouseClick(form->page2->btnDataSentaku, Qt::LeftButton); // cancelled on the screen
    EXPECT_EQ(selections.size(), 2u);
    EXPECT_TRUE(form->page2->HasDataInfo());
    EXPECT_TRUE(form->DatConnected);
    EXPECT_EQ(SysDef.DataDir, company().folder);
    EXPECT_EQ(dataStatus(), 2);
    next(*form);
    EXPECT_EQ(form->ActivePageId(), TWizardPageId::Conditions);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(WizardRun, EndToEndMedicalCorporationWritesItsGoldenFile)
{
    // The sample medical corporation is tied to a cloud-share area: its
    // exchange is skipped (no communication screen) and the run goes on.
    realSelection = true;
    ScriptedMessages messages;
    const auto& medical = info().companies.at(1);
    const std::string out = root->folder() + "/documents/medical.xml";
    {
        auto form = started();
        ASSERT_TRUE(form);
        next(*form);
        answerSelection(medical.folder);
        QTest::mouseClick(form->page2->btnDataSentaku, Qt::LeftButton);
        ASSERT_TRUE(form->page2->HasDataInfo());
        EXPECT_GT(AccInf.CLOUD_LINE, 0);
        next(*form);
        ASSERT_EQ(form->ActivePageId(), TWizardPageId::Conditions);
        clickPeriodCell(*form, 14);
        QTest::mouseClick(form->page3->RadioButton3a, Qt::LeftButton);
        next(*form);
        next(*form);
        form->page4->Edit4a->setText(QString::fromStdString(out));
        next(*form);
        next(*form); // 完了
        EXPECT_EQ(form->ResultCode, ResultMade);
    }
    ASSERT_EQ(messages.count(), 1u) << messages.firstLine(0);
    EXPECT_EQ(wizard_test::readBytes(out), golden("medical_tax_included.xml"));
}
