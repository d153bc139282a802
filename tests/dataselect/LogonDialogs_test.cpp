// The login, data-server settings and password dialogs under the offscreen
// platform: keys, the choice of connection kind, what OK writes and what it
// refuses.
#include "dataselect/gui/AppIniCreateBox.h"
#include "dataselect/gui/LogonBox.h"
#include "dataselect/gui/UpPasswordBox.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "platform/ini_file.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include <filesystem>
#include <memory>

namespace {

bool showActive(QWidget* w)
{
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

class LogonBoxTest : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        ResetProcessState();
        ini = dir.file("tnzaimu.ini");
        std::filesystem::copy_file(root().info().connectionIni, ini);
        SysDef.ServerIniFile = ini;
        SysDef.GroupID = 10000;
        SysDef.PCName = "PC-DIALOG";
        SysDef.ProgramName = "ミルザ連動コンポーネント";
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
    }
    void TearDown() override
    {
        if (dm->IBDatabaseDEF.connected()) {
            // Leave no logged-on row for the next test of the suite.
            dm->IBDatabaseDEF.executeImmediate("DELETE FROM LOGONUSERLIST");
            dm->IBDatabaseDEF.disconnect();
        }
        dm.reset();
        ResetProcessState();
    }

    test_support::TempDir dir;
    std::string ini;
    std::unique_ptr<core::TDM> dm;
};

TEST_F(LogonBoxTest, SetUpFollowsTheStoredConnectionKind)
{
    ScriptedMessages messages;
    {
        TLogonBox box;
        ASSERT_TRUE(box.InitOK());
        EXPECT_EQ(box.windowTitle(), "ログイン");
        EXPECT_EQ(box.Label1->text(), "ミルザ連動コンポーネント を利用するには、");
        EXPECT_EQ(box.Label2->text(), "オペレータコードとパスワードを入力して下さい。");
        EXPECT_TRUE(box.btnSA->isChecked());
        EXPECT_FALSE(box.txtGroupID->isVisibleTo(&box));
        EXPECT_EQ(ConnectMode, 0);
    }
    platform::IniFile(ini).writeString("APPLICATION", "CONNECT", "2");
    {
        TLogonBox box;
        EXPECT_TRUE(box.btnCS->isChecked());
        EXPECT_EQ(ConnectMode, 1);
        ASSERT_TRUE(showActive(&box));
        EXPECT_TRUE(box.btnServerSettei->isEnabled());
        box.btnSA->click();
        EXPECT_EQ(ConnectMode, 0);
        EXPECT_FALSE(box.btnServerSettei->isEnabled());
    }
    ConnectMode = 2;
    {
        TLogonBox box;
        EXPECT_TRUE(box.btnSA->isChecked());
        EXPECT_FALSE(box.grpConnect->isVisibleTo(&box));
        EXPECT_EQ(ConnectMode, 2) << "the hidden choice does not change the kind";
        EXPECT_EQ(box.height(), static_cast<int>(228 * 0.7) + 72);
    }
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(LogonBoxTest, KeysEnterMovesOnEscDoesNotCloseF12OnlyWhileOkIsEnabled)
{
    ScriptedMessages messages;
    TLogonBox box;
    ASSERT_TRUE(showActive(&box));
    EXPECT_EQ(QApplication::focusWidget(), box.txtOpCode);
    QTest::keyClicks(box.txtOpCode, "1a0");
    EXPECT_EQ(box.txtOpCode->text(), "10") << "digits only";
    QTest::keyClick(box.txtOpCode, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), box.txtPassword);
    QTest::keyClicks(box.txtPassword, "tolvan");
    QTest::keyClick(box.txtPassword, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), box.txtOpCode) << "Up moves back";
    box.txtPassword->setFocus();
    QTest::keyClick(box.txtPassword, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), box.OKBtn);
    EXPECT_TRUE(box.isVisible()) << "Enter only moves to OK";
    EXPECT_EQ(messages.count(), 0u);

    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.result(), 0);

    box.txtOpCode->setText("9");
    box.OKBtn->setEnabled(false);
    QTest::keyClick(&box, Qt::Key_F12);
    EXPECT_EQ(messages.count(), 0u);
    box.OKBtn->setEnabled(true);
    QTest::keyClick(&box, Qt::Key_F12);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "コードまたはパスワードが違います。");
    EXPECT_EQ(QApplication::focusWidget(), box.txtOpCode);
    EXPECT_FALSE(dm->IBDatabaseDEF.connected());
}

TEST_F(LogonBoxTest, LoggingInThroughTheDialog)
{
    ScriptedMessages messages;
    TLogonBox box;
    ASSERT_TRUE(showActive(&box));
    QTest::keyClicks(box.txtOpCode, "10");
    QTest::keyClicks(box.txtPassword, "tolvan");
    box.OKBtn->Click();
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(box.result(), 1);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(SysDef.OpCode, 100000010);
    EXPECT_EQ(SysDef.OpName, root().info().operatorName);
}

class SettingsBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SysDef.ServerIniFile = dir.file("tnzaimu.ini");
        SysDef.DBUser = "TOLVAN";
        SysDef.DBPassword = "vulmok";
    }
    void TearDown() override { ResetProcessState(); }
    std::string read(const char* section, const char* key)
    {
        return platform::IniFile(SysDef.ServerIniFile).readString(section, key, "<none>");
    }
    test_support::TempDir dir;
};

TEST_F(SettingsBoxTest, ShowingReadsTheServerSectionAndPicksTheDrive)
{
    struct Case {
        const char* sysDir;
        QString drive;
    };
    for (const Case& c : {Case {"c:\\rozivoraduz\\data", "C:"}, Case {"Z:/x", "Z:"},
             Case {"/srv/rozivoraduz/data", "/"}, Case {"", "/"}, Case {"relative", "/"}}) {
        SCOPED_TRACE(c.sysDir);
        platform::IniFile(SysDef.ServerIniFile)
            .writeSection(
                "SERVER", {"HOSTNAME=dataserver", std::string("SYSDIR=") + c.sysDir, "USER=tolvan", "PASSWORD=VulMok"});
        TAppIniCreateBox box;
        ASSERT_TRUE(box.InitOK);
        ASSERT_TRUE(showActive(&box));
        EXPECT_EQ(box.cmbDrive->currentText(), c.drive);
        EXPECT_EQ(box.txtHostName->text(), "dataserver");
        EXPECT_EQ(box.txtUserName->text(), "TOLVAN");
        EXPECT_EQ(box.txtPassWord->text(), "vulmok");
        EXPECT_FALSE(box.txtUserName->isEnabled());
        EXPECT_EQ(box.txtDataPath->text(), QString::fromStdString(ServerDir));
    }
    EXPECT_EQ(TAppIniCreateBox::DriveItems().size(), 25);
}

TEST_F(SettingsBoxTest, OkByConnectionKind)
{
    ScriptedMessages messages;
    // Stand-alone: the host is never written.
    ConnectMode = 0;
    {
        TAppIniCreateBox box;
        ASSERT_TRUE(showActive(&box));
        box.txtHostName->setText("SomeHost");
        box.OKBtnClick();
        EXPECT_EQ(box.result(), 1);
        EXPECT_EQ(read("LOCAL", "HOSTNAME"), "");
        EXPECT_EQ(read("LOCAL", "SYSDIR"), ServerDir);
    }
    // Client/server: a blank host is refused with a Yes-only error box.
    ConnectMode = 1;
    {
        TAppIniCreateBox box;
        ASSERT_TRUE(showActive(&box));
        box.txtHostName->setText("   ");
        box.OKBtnClick();
        EXPECT_TRUE(box.isVisible());
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
        EXPECT_EQ(messages.shown()[0].buttons, msgbtn::Yes);
        EXPECT_EQ(messages.firstLine(0), "コンピュータ名が指定されていません。");
        EXPECT_EQ(messages.shown()[0].lines[1].text, "入力してください。");
        EXPECT_EQ(read("SERVER", "HOSTNAME"), "<none>") << "nothing written";
        box.txtHostName->setText("DataServer/3050");
        box.cmbDrive->setCurrentIndex(TAppIniCreateBox::DriveIndexOf("d:"));
        QTest::keyClick(&box, Qt::Key_F12);
        EXPECT_EQ(box.result(), 1);
        EXPECT_EQ(read("SERVER", "HOSTNAME"), "dataserver/3050");
        EXPECT_EQ(read("SERVER", "SYSDIR"), "D:" + ServerDir);
        EXPECT_EQ(read("SERVER", "GOGLOBAL"), "NO");
    }
    // Shared terminal server: the one-line text, and GO-Global on.
    ConnectMode = 2;
    messages.clear();
    {
        TAppIniCreateBox box;
        ASSERT_TRUE(showActive(&box));
        box.txtHostName->clear();
        box.OKBtnClick();
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.firstLine(0), "コンピュータ名が指定されていません。");
        EXPECT_EQ(messages.shown()[0].lines[1].text, "");
        box.txtHostName->setText("ts");
        box.OKBtnClick();
        EXPECT_EQ(read("SBC", "GOGLOBAL"), "YES");
    }
    // A blank database account in SysDef is refused.
    ConnectMode = 0;
    SysDef.DBPassword.clear();
    platform::IniFile(SysDef.ServerIniFile).writeString("SERVER", "PASSWORD", "");
    messages.clear();
    {
        TAppIniCreateBox box;
        ASSERT_TRUE(showActive(&box));
        box.OKBtnClick();
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.firstLine(0), "データベースのパスワードが指定されていません。");
    }
    // Esc closes the settings with Cancel.
    {
        TAppIniCreateBox box;
        ASSERT_TRUE(showActive(&box));
        QTest::keyClick(&box, Qt::Key_Escape);
        EXPECT_FALSE(box.isVisible());
        EXPECT_EQ(box.result(), 2);
    }
}

TEST(UpPasswordBoxTest, ChecksInOrder)
{
    struct Case {
        const char* name;
        std::string current;
        QString now, new1, new2;
        const char* message; // nullptr: accepted
        bool focusNow;
    };
    const std::vector<Case> cases = {
        {"empty current", "abc1", "", "x1", "x1", "現在のパスワードが入力されていません。", true},
        {"wrong current", "abc1", "abc2", "x1", "x1", "現在のパスワードが入力されたパスワードと一致しません。", true},
        {"new fields differ", "abc1", "abc1", "x1", "x2", "入力されたパスワードは一致しません。", false},
        {"only full-width blanks", "abc1", "abc1", "　　", "x2",
            "新しいパスワードが入力されていません。両方のボックスに入力して下さい。", false},
        {"change accepted", "abc1", "abc1", "New2", "New2", nullptr, false},
        {"setting mode skips the current password", "", "ignored", "first1", "first1", nullptr, false},
        {"setting mode, second field empty", "", "", "first1", "",
            "新しいパスワードが入力されていません。両方のボックスに入力して下さい。", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedMessages messages;
        TUpPasswordBox box;
        box.Prepare(c.current);
        ASSERT_TRUE(showActive(&box));
        EXPECT_EQ(box.windowTitle(), c.current.empty() ? "パスワードの設定" : "パスワードの変更");
        EXPECT_EQ(box.txtPasswordNow->isVisible(), !c.current.empty());
        box.txtPasswordNow->setText(c.now);
        box.txtPasswordNew1->setText(c.new1);
        box.txtPasswordNew2->setText(c.new2);
        box.btnOkClick();
        if (c.message == nullptr) {
            EXPECT_EQ(messages.count(), 0u);
            EXPECT_EQ(box.result(), 1);
            EXPECT_EQ(box.NewPassword(), c.new1.toStdString());
        } else {
            ASSERT_EQ(messages.count(), 1u);
            EXPECT_EQ(messages.firstLine(0), c.message);
            EXPECT_TRUE(box.isVisible());
            EXPECT_EQ(box.NewPassword(), "");
            EXPECT_EQ(QApplication::focusWidget(), c.focusNow ? box.txtPasswordNow : box.txtPasswordNew1);
        }
    }
}

TEST(UpPasswordBoxTest, OnlyLettersAndDigitsGetInTypedOrPasted)
{
    TUpPasswordBox box;
    box.Prepare("old1");
    ASSERT_TRUE(showActive(&box));
    EXPECT_EQ(QApplication::focusWidget(), box.txtPasswordNow);
    QTest::keyClicks(box.txtPasswordNow, "ab c-1!Z");
    EXPECT_EQ(box.txtPasswordNow->text(), "abc1Z");
    QApplication::clipboard()->setText("x y＿z　9ｱ");
    box.txtPasswordNew1->setFocus();
    box.txtPasswordNew1->paste();
    EXPECT_EQ(box.txtPasswordNew1->text(), "xyz9");
    EXPECT_EQ(TUpPasswordBox::FilterPasswordText("A-z_0 ９"), "Az0");
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_EQ(box.result(), 2);
}

} // namespace
