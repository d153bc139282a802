// The logged-in operators screen on the sample system database, started
// through the process registry as the program starts it.
#include "dataselect/gui/WebMenuL.h"

#include "controls/ProcRegistry.h"
#include "controls/xPlButton.h"
#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <QCoreApplication>
#include <QEvent>

#include <memory>

namespace {

class WebMenuLTest : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        ResetProcessState();
        ClearProcRegistry();
        dataselect::RegisterDataSelectProcs();
        const auto& info = root().info();
        SysDef.SysDir = info.sysDir;
        SysDef.LogDir = info.logDir;
        SysDef.DBUser = "TOLVAN";
        SysDef.GroupID = 10000;
        SysDef.OpCode = 100000010;
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        ASSERT_TRUE(dm->fnAccDefConnected({}, 1));
        exec("DELETE FROM LOGONUSERLIST");
        addRow(10, "PC-OWN"); // the operator's own row is never listed
    }
    void TearDown() override
    {
        // Forms closed with deleteLater go now, while the data module their
        // statements belong to still exists.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        exec("DELETE FROM LOGONUSERLIST");
        dm->IBDatabaseDEF.disconnect();
        dm.reset();
        ClearProcRegistry();
        ResetProcessState();
    }
    void exec(const std::string& sql)
    {
        core::TOwnTransaction tr(dm->IBTransactionDEF);
        platform::firebird::Query q(&dm->IBDatabaseDEF, &dm->IBTransactionDEF);
        q.sql().add(sql);
        q.execSQL();
        tr.commit();
    }
    void addRow(int code, const std::string& pc)
    {
        exec("INSERT INTO LOGONUSERLIST (OPCODE, GROUPID, OPERATORCODE, PCNAME) VALUES ("
            + std::to_string(100000000 + code) + ", 10000, " + std::to_string(code) + ", '" + pc + "')");
    }
    // Runs check on the modal screen once it shows (inside its own loop).
    static void whenShown(std::function<void(TfmWebMenuL*)> check)
    {
        QTimer::singleShot(0, [check] {
            auto* screen = qobject_cast<TfmWebMenuL*>(QApplication::activeModalWidget());
            ASSERT_NE(screen, nullptr);
            check(screen);
        });
    }

    std::unique_ptr<core::TDM> dm;
};

TEST_F(WebMenuLTest, OnlyTheOwnRowClosesAtOnceAndAnswersZero)
{
    ScriptedMessages messages;
    EXPECT_EQ(ExecProc("WebMenuL", 1, ""), 0);
    EXPECT_EQ(TfmWebMenuL::EntryCount(), 0);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(WebMenuLTest, OtherOperatorsAreListedEscStaysF12Closes)
{
    addRow(1, "PC-A"); // the built-in operator
    addRow(77, "PC-B"); // no OPERATOR row: listed without a name
    ScriptedMessages messages;
    bool checked = false;
    whenShown([&](TfmWebMenuL* screen) {
        QTableWidget* grid = screen->PerfectGrid1;
        ASSERT_EQ(grid->rowCount(), 2);
        EXPECT_EQ(grid->item(0, 0)->text(), "1");
        EXPECT_EQ(grid->item(1, 0)->text(), "2");
        QStringList codes {grid->item(0, 1)->text(), grid->item(1, 1)->text()};
        codes.sort();
        EXPECT_EQ(codes, (QStringList {"1", "77"}));
        const int unnamed = grid->item(0, 1)->text() == "77" ? 0 : 1;
        EXPECT_EQ(grid->item(unnamed, 2)->text(), "");
        EXPECT_EQ(grid->item(1 - unnamed, 2)->text(), "システムユーザー");
        EXPECT_EQ(screen->FormStyle(), TfmWebMenuL::TFormStyle::Normal);
        QTest::keyClick(screen, Qt::Key_Escape);
        EXPECT_TRUE(screen->isVisible());
        checked = true;
        QTest::keyClick(screen, Qt::Key_F12);
    });
    EXPECT_EQ(ExecProc("WebMenuL", 1, "SyoriType=0"), 1);
    EXPECT_TRUE(checked);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(WebMenuLTest, AnyNumberOfOperatorsIsListed)
{
    for (int code = 100; code < 260; ++code)
        addRow(code, "PC");
    whenShown([](TfmWebMenuL* screen) {
        EXPECT_EQ(screen->PerfectGrid1->rowCount(), 160);
        EXPECT_EQ(screen->PerfectGrid1->item(159, 0)->text(), "160");
        screen->F12->Click();
    });
    EXPECT_EQ(ExecProc("WebMenuL", 1, ""), 1);
    EXPECT_EQ(TfmWebMenuL::EntryCount(), 160);
}

TEST_F(WebMenuLTest, AnotherOpenProcessGivesOnlyTheWarning)
{
    addRow(1, "PC-A");
    OnHostMenu = [](int command, const std::string&) { return command == 10 ? 1 : 0; };
    ScriptedMessages messages;
    EXPECT_EQ(ExecProc("WebMenuL", 1, ""), 1) << "the count found at creation";
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Warning);
    EXPECT_EQ(messages.shown()[0].buttons, msgbtn::Yes);
    EXPECT_EQ(messages.firstLine(0), "メニュー以外の処理が開いています。");
}

TEST_F(WebMenuLTest, DatabaseErrorGivesTheSetUpFailure)
{
    dm->IBDatabaseDEF.disconnect();
    ScriptedMessages messages;
    EXPECT_EQ(ExecProc("WebMenuL", 1, ""), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
    EXPECT_EQ(messages.firstLine(0), "ログインユーザー画面の初期化に失敗しました。");
    EXPECT_EQ(messages.shown()[0].lines[1].text, "処理を終了します。");
    ASSERT_TRUE(dm->fnAccDefConnected({}, 1));
}

TEST_F(WebMenuLTest, FormStyleParameter)
{
    struct Case {
        std::vector<std::string> params;
        TfmWebMenuL::TFormStyle style;
    };
    for (const Case& c :
        {Case {{}, TfmWebMenuL::TFormStyle::MdiChild}, Case {{"FormStyle=0"}, TfmWebMenuL::TFormStyle::MdiChild},
            Case {{"FormStyle=1"}, TfmWebMenuL::TFormStyle::MdiForm},
            Case {{"FormStyle=2"}, TfmWebMenuL::TFormStyle::Normal},
            Case {{"FormStyle=5"}, TfmWebMenuL::TFormStyle::StayOnTop}}) {
        TfmWebMenuL screen;
        screen.SetParams(c.params);
        EXPECT_EQ(screen.FormStyle(), c.style);
    }
    TfmWebMenuL screen;
    screen.SetParams({"SyoriType=-4"});
    EXPECT_EQ(screen.SyoriType(), -1);
    screen.SetParams({"SyoriType=3"});
    EXPECT_EQ(screen.SyoriType(), 3);
}

} // namespace
