// The wizard as the user walks it, on a fresh sample data root under the
// offscreen platform: start-up folders and connection settings, the first
// show, the data choice, the period panel, the tax option, the output page,
// the summary, the finish and the closing.
//
// The login dialog and the data-selection screen are played by the
// functions below (the framework entry points of TForm1::TFramework): the
// login connects the system database as the sample operator and writes its
// logged-on row, the selection answers from a script and leaves the chosen
// folder in SysDef.DataDir, as those screens do.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <deque>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "accounting/OpenCompanyTables.h"
#include "accounting/uAccZanCmp1.h"
#include "controls/xKikanPanel.h"
#include "core/DataModule.h"
#include "core/DataInfomation.h"
#include "core/uAccRecord.h"
#include "platform/codec.h"
#include "platform/ini_file.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "test_caller.h"
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
        root = std::make_unique<test_support::SampleRoot>();
        home = std::make_unique<test_support::ScopedEnv>("MIRUZA_HOME", root->folder());
        runtime = std::make_unique<test_support::ScopedEnv>("XDG_RUNTIME_DIR", bin.makeDir("run"));
        bin.write("bin/AppInfo.ini",
                  wizard_test::readBytes(wizard_test::sourceFile("src/wizard/app/AppInfo.ini")));
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
        s.Framework.ShowLogin = [this](QWidget*) { return login(); };
        s.Framework.ExecProc = [this](const std::string& id, std::uint8_t modal, const std::string& params) {
            selections.push_back(id + "|" + std::to_string(modal) + "|" + params);
            const int answer = selectionAnswers.empty() ? 1 : selectionAnswers.front();
            if (!selectionAnswers.empty())
                selectionAnswers.pop_front();
            if (answer == 1)
                SysDef.DataDir = company().folder;
            return answer;
        };
        return s;
    }

    // What the login dialog does on OK for the sample operator.
    bool login()
    {
        ++logins;
        if (!core::DM->fnAccDefConnected())
            return false;
        SysDef.GroupID = info().groupId;
        SysDef.OpCode = info().groupId + info().operatorCode;
        SysDef.LoginCode = info().operatorCode;
        SysDef.OpName = info().operatorName;
        execSys("INSERT INTO LOGONUSERLIST (OPCODE, GROUPID, OPERATORCODE, PCNAME, LOGONTIME) VALUES (" +
                std::to_string(SysDef.OpCode) + ", " + std::to_string(SysDef.GroupID) + ", " +
                std::to_string(SysDef.LoginCode) + ", 'test', CURRENT_TIMESTAMP)");
        return true;
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
    int dataStatus() const
    {
        return platform::IniFile(company().iniFile).readInteger("DATASTS", "STATUS", -1);
    }

    // Start-up as the program body runs it, then the first show.
    std::unique_ptr<TForm1> started(const std::vector<std::string>& params = {})
    {
        auto form = std::make_unique<TForm1>(start(params));
        if (!form->InitWizard())
            return nullptr;
        form->show();
        QCoreApplication::processEvents();
        return form;
    }

    static void next(TForm1& form) { QTest::mouseClick(form.btnNext, Qt::LeftButton); }

    // Page 1 to page 3 with the sample company chosen.
    static void chooseSampleCompany(TForm1& form)
    {
        next(form);
        ASSERT_EQ(form.ActivePageId(), TWizardPageId::DataChoice);
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
};

} // namespace

TEST_F(WizardRun, StartUpSetsTheFoldersBeforeAnythingIsWritten)
{
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
    ScriptedMessages messages;
    const std::string out = bin.file("gaikyosyo.xml");
    {
        auto form = started();
        ASSERT_TRUE(form);
        EXPECT_EQ(form->Wizard1->count(), 6);
        chooseSampleCompany(*form);
        ASSERT_EQ(selections.size(), 1u);
        EXPECT_EQ(selections[0], "QzDataSenkaku|1|SyoriType=3\rJyokenSet=1\rDataType=-13\rCodeType=0\rDataVerMajor=13");
        EXPECT_EQ(form->page2->DataInfoValue("会社名"), company().name);
        EXPECT_EQ(form->page2->DataInfoValue("会計年度"), "10期");
        EXPECT_EQ(dataStatus(), 2); // in use while the wizard holds it

        // The last month of the year takes the closing period in.
        clickPeriodCell(*form, 14);
        EXPECT_EQ(form->page3->xKikanPanel3a->Edno(), 15);
        QTest::mouseClick(form->page3->RadioButton3a, Qt::LeftButton);
        next(*form);
        ASSERT_EQ(form->ActivePageId(), TWizardPageId::StatementForm);
        EXPECT_TRUE(form->page10->GroupBox10->isHidden());
        next(*form);
        ASSERT_EQ(form->ActivePageId(), TWizardPageId::OutputFile);
        form->page4->Edit4a->setText(QString::fromStdString(out));
        next(*form);
        ASSERT_EQ(form->ActivePageId(), TWizardPageId::Summary);
        const auto lines = form->page5->Lines();
        EXPECT_EQ(lines, (std::vector<std::string>{
                             "【連動元情報】", " 会社名        : " + company().name, " 会計年度      : 10 期",
                             " 会計期間      : 2024年 4月 1日 ～ 2025年 3月31日", "", "【計算条件】",
                             " 計算対象期間  : 2024年7月 ～ 25年3月", " 消費税計算区分: 税込み", "",
                             "【中間ファイル】", " " + out}));
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
