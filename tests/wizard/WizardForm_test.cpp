// The wizard form: its pages, the result code and what a calling program
// receives, under the offscreen platform.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/codec.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "core/AppInfo.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "test_caller.h"
#include "wizard/gui/FrameworkHooks.h"
#include "wizard/gui/WizardForm.h"
#include "wizard/gui/xWizard.h"
#include "wizard_test_util.h"

namespace {

struct FormFixture {
    test_support::TempDir dir;
    test_support::ScopedEnv runtime {"XDG_RUNTIME_DIR", dir.makeDir("run")};
    test_support::ScopedEnv home {"MIRUZA_HOME", dir.makeDir("home")};
    platform::Registry registry {dir.file("registry.ini")};
    TExportSources sources;
    bool withFigures = true;

    explicit FormFixture(const std::string& version = "13.0.0")
    {
        if (!version.empty()) {
            registry.writeString(
                platform::RegRoot::LocalMachine, "\\SOFTWARE\\BRIMTO\\ROZIVORADUZ13", "Product", "トルバン財務");
            registry.writeString(
                platform::RegRoot::LocalMachine, "\\SOFTWARE\\BRIMTO\\ROZIVORADUZ13", "Version", version);
        }
        sources.AppDataDir = dir.file("appdata");
        sources.HomeDir = "home";
        sources.AppRegKey = "\\SOFTWARE\\BRIMTO";
        sources.VarovRegKey = "ROZIVORADUZ";
        sources.Registry = &registry;
        dir.write("bin/AppInfo.ini", wizard_test::readBytes(wizard_test::sourceFile("src/wizard/app/AppInfo.ini")));
        // The connection settings the data-server settings dialog leaves.
        dir.write("home/data/brimto/rozivoraduz/tnzaimu.ini",
            "[LOCAL]\r\nHOSTNAME=\r\nGOGLOBAL=NO\r\nGROUP=no\r\nSYSDIR=/srv/sys\r\nUSER=tolvan\r\n"
            "PASSWORD=VulMok\r\n");
    }

    TForm1::TStart start(const std::vector<std::string>& params)
    {
        TForm1::TStart s;
        s.CommandLine = ParseCommandLine(params);
        s.ProgramPath = dir.file("bin/miruza_rendo");
        s.Framework = wizard::MakeFramework();
        s.ExportFactory = [this](std::int32_t value, const std::string& file, bool caller) {
            auto e = std::make_unique<TGaikyosyoDataExport>("", value, file, caller, sources);
            if (withFigures)
                e->SetFiguresSource([](const TGaikyosyoDataExport&) {
                    TGaikyosyoFigures f;
                    f.Main[0] = 1000 * CurrencyScale;
                    return f;
                });
            e->ClientName = "顧問先";
            e->FiscalStart = 45017;
            e->FiscalEnd = 45382;
            return e;
        };
        return s;
    }
};

} // namespace

TEST(WizardForm, StandAlonePagesAndDataPageRefusesWithoutData)
{
    // The form is not shown here: its first show would log in. Buttons are
    // clicked through their click slot.
    FormFixture fx;
    ScriptedMessages messages;
    TForm1 form(fx.start({}));
    ASSERT_TRUE(form.InitWizard());
    EXPECT_EQ(form.Wizard1->pageNames(), (QStringList {"page1", "page2", "page3", "page10", "page4", "page5"}));
    EXPECT_EQ(
        form.windowTitle(), QString::fromUtf8("内訳概況書のミルザ（平成16年度以降用） from トルバン財務（概況書）"));
    EXPECT_EQ(form.ActivePageId(), TWizardPageId::Intro);
    EXPECT_EQ(form.page1->Memo1a->text(),
        QString::fromUtf8("『トルバン財務』から『内訳概況書のミルザ（概況書）』へデータを連動させるための中間ファイルを"
                          "作成します。"));
    EXPECT_EQ(form.page4->Label4a->text(),
        QString::fromUtf8("連動先となる『内訳概況書のミルザ（概況書）』で使用する中間ファイルを指定します。"));
    EXPECT_EQ(form.Page(TWizardPageId::MainItems), nullptr);
    EXPECT_EQ(form.Page(TWizardPageId::EquityNotes), nullptr);
    form.btnNext->click();
    EXPECT_EQ(form.ActivePageId(), TWizardPageId::DataChoice);
    form.btnNext->click(); // nothing chosen
    EXPECT_EQ(form.ActivePageId(), TWizardPageId::DataChoice);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Warning);
    EXPECT_EQ(messages.firstLine(0), "会計データの選択が行われていません。");
    EXPECT_EQ(messages.shown()[0].lines[1].text, "「データ選択を開く」ボタンを押して選択して下さい。");
    EXPECT_EQ(form.ResultCode, ResultFailed);
}

TEST(WizardForm, ConnectionSettingsAreReadAndNormalised)
{
    FormFixture fx;
    ScriptedMessages messages;
    TForm1 form(fx.start({}));
    ASSERT_TRUE(form.InitWizard());
    EXPECT_EQ(SysDef.SysDir, "/srv/sys");
    EXPECT_EQ(SysDef.DBUser, "TOLVAN");
    EXPECT_EQ(SysDef.DBPassword, "vulmok");
    EXPECT_EQ(SysDef.UseGroup, 0);
    EXPECT_EQ(SysDef.HostName, ""); // stand-alone until the login
    EXPECT_EQ(SysDef.GroupID, 10000);
    EXPECT_EQ(SysDef.ServerIniFile, fx.dir.file("home/data/brimto/rozivoraduz/tnzaimu.ini"));
    EXPECT_EQ(messages.count(), 0u);
}

TEST(WizardForm, MissingConnectionSettingsEndTheGateVisibly)
{
    // When no fresh file can be written the gate fails with its message
    // instead of running on defaults.
    for (const char* content : {"", "[LOCAL]\r\n   \r\n[SERVER]\r\nX=1\r\n"}) {
        FormFixture fx;
        const std::string ini = fx.dir.file("home/data/brimto/rozivoraduz/tnzaimu.ini");
        if (*content == 0)
            std::filesystem::remove(ini);
        else
            fx.dir.write("home/data/brimto/rozivoraduz/tnzaimu.ini", content);
        ScriptedMessages messages;
        auto s = fx.start({});
        s.Framework.WriteConnectionFile = [] { return false; };
        TForm1 form(std::move(s));
        EXPECT_FALSE(form.InitWizard());
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.firstLine(0), "アプリケーションの初期設定がおこなわれていないため");
        EXPECT_EQ(messages.shown()[0].lines[1].text, "ミルザ連動コンポーネントを終了します。");
        EXPECT_EQ(messages.shown()[0].buttons, msgbtn::Yes);
    }
}

TEST(WizardForm, FreshConnectionFileIsWrittenThenRead)
{
    // The data-server settings dialog's fresh file, from the values the
    // start-up has just set.
    FormFixture fx;
    const std::string ini = fx.dir.file("home/data/brimto/rozivoraduz/tnzaimu.ini");
    std::filesystem::remove(ini);
    ScriptedMessages messages;
    TForm1 form(fx.start({}));
    ASSERT_TRUE(form.InitWizard());
    EXPECT_TRUE(std::filesystem::exists(ini));
    EXPECT_EQ(SysDef.SysDir, fx.dir.file("home/data/brimto/rozivoraduz/data"));
    EXPECT_EQ(SysDef.DBUser, "TOLVAN");
    EXPECT_EQ(SysDef.DBPassword, "vulmok");
    EXPECT_EQ(platform::IniFile(ini).readString("LOCAL", "SYSDIR", "?"), SysDef.SysDir);
    EXPECT_EQ(messages.count(), 0u);
}
TEST(WizardForm, CallerGetsDisableThenCancelledOnWindowClose)
{
    FormFixture fx;
    ScriptedMessages messages;
    wizard_test::TestCaller caller(1234);
    {
        TForm1 form(fx.start({"1234,1025,7," + fx.dir.file("out.xml")}));
        ASSERT_TRUE(form.InitWizard());
        EXPECT_EQ(form.Wizard1->pageNames(), (QStringList {"page1", "page2", "page3", "page10", "page5"}));
        EXPECT_EQ(form.page4, nullptr);
        EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable"}));
        form.close(); // the title-bar button
        EXPECT_EQ(form.ResultCode, ResultCancelled);
    }
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable", "enable", "result 1025 7 1"}));
    EXPECT_EQ(messages.count(), 0u);
}

TEST(WizardForm, ACallerWithoutAWindowKeepsTheFileNameItPassed)
{
    FormFixture fx;
    // A remembered stand-alone file must not replace the caller's.
    fx.dir.write(
        "appdata/home/ini/Miruza.ini", platform::codec::toSjis("[GAIKYOUSYO]\r\nEXPORTFILE=/remembered.xml\r\n"));
    ScriptedMessages messages;
    for (const std::string value : {"7", "0"}) {
        TForm1 form(fx.start({"0,1025," + value + "," + fx.dir.file("caller.xml")}));
        ASSERT_TRUE(form.InitWizard());
        EXPECT_EQ(form.Export()->OutputFileName, fx.dir.file("caller.xml")) << "value " << value;
        EXPECT_EQ(form.Export()->FunctionID, value == "0" ? 2 : 7);
    }
    // Nor is the caller's name remembered as the stand-alone one.
    EXPECT_EQ(platform::IniFile(fx.dir.file("appdata/home/ini/Miruza.ini")).readString("GAIKYOUSYO", "EXPORTFILE", ""),
        "/remembered.xml");
    EXPECT_EQ(messages.count(), 0u);
}

TEST(WizardForm, CancelButtonAsksAndYesEndsAsCancelled)
{
    FormFixture fx;
    ScriptedMessages messages({modal::No, modal::Yes});
    wizard_test::TestCaller caller(55);
    {
        TForm1 form(fx.start({"55,2000,0,x.xml"}));
        ASSERT_TRUE(form.InitWizard());
        form.btnCancel->click(); // No: nothing changes
        EXPECT_EQ(form.ResultCode, ResultFailed);
        form.btnCancel->click(); // Yes
        EXPECT_EQ(form.ResultCode, ResultCancelled);
    }
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(0), "[キャンセル]ボタンが押されました。");
    EXPECT_EQ(messages.shown()[0].lines[1].text, "連動データの作成ウィザードを終了してもよろしいですか？");
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable", "enable", "result 2000 0 1"}));
}

TEST(WizardForm, OldOrMissingProductEndsWithTheVersionMessage)
{
    for (const char* version : {"12.9.99", ""}) {
        FormFixture fx(version);
        ScriptedMessages messages;
        wizard_test::TestCaller caller(31);
        {
            TForm1 form(fx.start({"31,400,0,a.xml"}));
            EXPECT_FALSE(form.InitWizard());
        }
        ASSERT_EQ(messages.count(), 1u) << version;
        const auto& rec = messages.shown()[0];
        EXPECT_EQ(rec.kind, msgkind::Error);
        EXPECT_EQ(rec.lines[0].text,
            "このアプリケーションはインストールされている「トルバン財務」のバージョンに対応していません。");
        EXPECT_EQ(rec.lines[1].text, "バージョン:13.0.0以降をインストールしてください。");
        EXPECT_EQ(rec.lines[2].text, "");
        EXPECT_EQ(rec.lines[3].text, "アプリケーションを強制終了します。");
        EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable", "enable", "result 400 0 2"}));
    }
}

TEST(WizardForm, BadFieldShowsTheErrorThenTheGateFailsAndTheCallerGetsFailure)
{
    FormFixture fx;
    ScriptedMessages messages;
    wizard_test::TestCaller caller(1234);
    {
        TForm1 form(fx.start({"1234,1025"}));
        EXPECT_FALSE(form.EndAtOnce());
        EXPECT_FALSE(form.InitWizard());
        EXPECT_EQ(form.Contract.CallerWnd, 1234u);
        EXPECT_EQ(form.Contract.CallerMsg, 1025);
    }
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(0), "'' は有効な整数値ではありません。");
    EXPECT_EQ(messages.firstLine(1), "アプリケーションの初期化に失敗しました。");
    EXPECT_EQ(messages.shown()[1].lines[1].text, "ミルザ連動コンポーネントを終了します。");
    EXPECT_EQ(messages.shown()[1].buttons, msgbtn::Yes);
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"enable", "result 1025 0 2"}));
}

TEST(WizardForm, TwoParametersEndAtOnceWithoutAnswer)
{
    FormFixture fx;
    ScriptedMessages messages;
    TForm1 form(fx.start({"1234,1025,7,a", "b.xml"}));
    EXPECT_TRUE(form.EndAtOnce());
    EXPECT_FALSE(form.InitWizard());
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "不正な引数が渡されました。");
    EXPECT_EQ(form.Contract.CallerWnd, 0u);
}

TEST(WizardForm, MissingApplicationInformationEndsTheProgram)
{
    FormFixture fx;
    std::filesystem::remove(fx.dir.file("bin/AppInfo.ini"));
    ScriptedMessages messages;
    wizard_test::TestCaller caller(8);
    {
        TForm1 form(fx.start({"8,9,0,a.xml"}));
        EXPECT_FALSE(form.InitWizard());
    }
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "アプリケーションの設定ファイル(AppInfo.ini)が見つかりませんでした。");
    EXPECT_EQ(messages.shown()[0].lines[1].text, "アプリケーションを強制終了します。");
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable", "enable", "result 9 0 2"}));
}

TEST(WizardForm, ShippedApplicationInformationNamesTheProduct)
{
    FormFixture fx;
    ScriptedMessages messages;
    TForm1 form(fx.start({}));
    ASSERT_TRUE(form.InitWizard());
    EXPECT_EQ(AppInfo.Varov.AppTitle, "トルバン財務");
    const TExportSources s = DefaultExportSources();
    EXPECT_EQ(s.AppRegKey, "\\SOFTWARE\\BRIMTO");
    EXPECT_EQ(s.VarovRegKey, "ROZIVORADUZ");
    EXPECT_EQ(s.HomeDir, "brimto\\rozivoraduz");
}

TEST(WizardForm, OnlyTheExactEditionNameSetsTheDistribution)
{
    const std::string shipped = wizard_test::readBytes(wizard_test::sourceFile("src/wizard/app/AppInfo.ini"));
    for (const auto& [oem, dist] : std::vector<std::pair<std::string, int>> {
             {"Harbenworks", 1}, {"harbenworks", 0}, {"HARBENWORKS", 0}, {"-", 0}}) {
        FormFixture fx;
        std::string text = shipped;
        text.replace(text.find("OEM=-"), 5, "OEM=" + oem);
        fx.dir.write("bin/AppInfo.ini", text);
        ScriptedMessages messages;
        ResetProcessState();
        TForm1 form(fx.start({}));
        EXPECT_EQ(DistKind, dist) << oem;
    }
    ResetProcessState();
}

TEST(WizardForm, OutputFileDialogFillsThePage)
{
    FormFixture fx;
    ScriptedMessages messages;
    auto s = fx.start({});
    std::vector<std::string> asked;
    s.Framework.SaveDialog = [&](const std::string& title, const std::string& folder, const std::string& file) {
        asked = {title, folder, file};
        return std::optional<std::string>(folder + "/chosen.xml");
    };
    TForm1 form(std::move(s));
    ASSERT_TRUE(form.InitWizard());
    // An existing file is offered again; a name of no file is not.
    form.page4->Edit4a->setText("not-there.xml");
    form.page4->BitBtn4a->click();
    EXPECT_EQ(asked, (std::vector<std::string> {"中間ﾌｧｲﾙの指定", form.DocumentsDir, ""}));
    EXPECT_EQ(form.page4->Edit4a->text().toStdString(), form.DocumentsDir + "/chosen.xml");
    fx.dir.write("existing.xml", "x");
    form.page4->Edit4a->setText(QString::fromStdString(fx.dir.file("existing.xml")));
    form.page4->BitBtn4a->click();
    EXPECT_EQ(asked.at(2), fx.dir.file("existing.xml"));
}
