// The data details dialog on a sample company: what it shows, who may
// clear a status, and the F7 rebuild, also when the worker fails half-way.

#include "dataselect/gui/DataSyosaiInfoBox.h"

#include "registry_fixture.h"

#include "controls/TolvanEdit.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/BackupRestoreThread.h"
#include "core/DataInfomation.h"
#include "platform/ini_file.h"
#include "support/scripted_messages.h"

#include <QLabel>
#include <QPlainTextEdit>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class DetailsDialog : public registry_fixture::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        row.REC = company.rec;
        row.SHOUGOU = company.name;
        SysDef.TempDir = root.info().tempDir;
    }

    void status(int value, int holder)
    {
        platform::IniFile ini(TDataInfomation::IniPath(company.folder));
        ini.writeInteger("DATASTS", "STATUS", value);
        ini.writeInteger("DATASTS", "OPCODE", holder);
    }

    void prepare(TDataSyosaiInfoBox& box)
    {
        box.Row = &row;
        box.DataFolder = company.folder;
        box.ListName = "";
        box.Prepare(true);
    }

    std::string count(const std::string& table)
    {
        return registry_fixture::scalarOf(company.database, "SELECT COUNT(*) FROM " + table);
    }

    TDataListRec row;
};

} // namespace

TEST_F(DetailsDialog, ShowsTheFactsAndWhoMayClearAStatus)
{
    ScriptedMessages messages;
    TDataSyosaiInfoBox box;
    prepare(box);
    EXPECT_EQ(box.lblStatus->text().toStdString(), "－");
    EXPECT_EQ(box.lblName->text().toStdString(), company.name);
    EXPECT_FALSE(box.StatusClearAllowed());
    EXPECT_TRUE(box.RebuildAllowed());
    EXPECT_EQ(box.FKeys[6]->CaptionA().Caption().toStdString(), "F7:再構築");
    EXPECT_TRUE(box.cboxDataReadOnly->isEnabled()) << "version 13 has the journal-input lock";

    struct Case {
        int status;
        int holderOffset; // 0 is the operator himself
        bool allowed;
    };
    const Case cases[] = {{2, 0, true}, {2, 4, false}, {3, 0, true}, {10, 0, true}, {1, 4, false}};
    for (const auto& c : cases) {
        status(c.status, SysDef.OpCode + c.holderOffset);
        prepare(box);
        EXPECT_EQ(box.StatusClearAllowed(), c.allowed) << c.status << " held by +" << c.holderOffset;
        EXPECT_EQ(box.cboxStatusClear->isVisibleTo(&box), c.allowed && c.status != 10) << c.status;
    }

    // A folder without its database shows nothing and cannot be changed.
    box.DataFolder = SysDef.SysDir + "/0099";
    box.Prepare(true);
    EXPECT_EQ(box.lblCode->text().toStdString(), "設定なし");
    EXPECT_FALSE(box.btnOK->isVisibleTo(&box));
}

TEST_F(DetailsDialog, AllDataRightClearsAnotherOperatorsStatusAndTheVersionGatesTheJournalLock)
{
    ScriptedMessages messages;
    TDataSyosaiInfoBox box;
    struct Case {
        int status;
        std::uint8_t allDataRight;
        bool allowed;
    };
    const Case cases[] = {{2, 1, true}, {2, 0, false}, {8, 1, true}, {8, 0, false}, {1, 1, false}};
    for (const auto& c : cases) {
        SysDef.AllDataRight = c.allDataRight;
        status(c.status, SysDef.OpCode + 4);
        prepare(box);
        EXPECT_EQ(box.StatusClearAllowed(), c.allowed) << c.status << " right " << int(c.allDataRight);
    }
    SysDef.AllDataRight = 0;

    struct Version {
        const char* text;
        bool journalLock;
    };
    for (const Version v : {Version {"11.9.9", false}, Version {"12.0.0", true}}) {
        status(1, SysDef.OpCode);
        platform::IniFile(TDataInfomation::IniPath(company.folder)).writeString("DATAINFO", "VERSION1", v.text);
        box.Editable = true; // as the caller sets it before every show
        prepare(box);
        EXPECT_EQ(box.cboxDataReadOnly->isEnabled(), v.journalLock) << v.text;
        EXPECT_TRUE(box.cboxDataUpdateLock->isEnabled()) << v.text;
    }
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(DetailsDialog, RebuildKeepsEveryRowAndSetsStatusOne)
{
    const std::string journals = count("SIWAKE");
    status(2, SysDef.OpCode);
    ScriptedMessages messages({modal::Ok});
    TDataSyosaiInfoBox box;
    prepare(box);
    box.F1Click(7);
    EXPECT_TRUE(box.Rebuilt) << (messages.count() > 1 ? core::messageAsText(messages.shown()[1]) : "");
    EXPECT_EQ(count("SIWAKE"), journals);
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniPath(company.folder)).readString("DATASTS", "STATUS", ""), "1");
    EXPECT_FALSE(fs::exists(company.folder + "/tnacc.fd_"));
    EXPECT_EQ(messages.firstLine(1), "データの再構築は適正に行われました。");
}

TEST_F(DetailsDialog, WorkerFailingHalfWayLeavesADatabaseThatOpensWithItsData)
{
    const std::string journals = count("SIWAKE");
    ScriptedMessages messages({modal::Ok});
    TDataSyosaiInfoBox box;
    prepare(box);
    // The worker stops after damaging the database, without raising.
    box.RunWorker = [&](TBackupRestoreThread& worker) {
        std::ofstream(worker.DataPath, std::ios::binary | std::ios::trunc) << "half";
        worker.Failed = true;
        worker.Success = false;
    };
    EXPECT_FALSE(box.RebuildData());
    EXPECT_EQ(count("SIWAKE"), journals);
    EXPECT_FALSE(fs::exists(company.folder + "/tnacc.fd_"));
    EXPECT_FALSE(box.Rebuilt);
}

TEST_F(DetailsDialog, WorkCopyThatCannotGoBackIsKeptAndNamed)
{
    ScriptedMessages messages({modal::Ok});
    TDataSyosaiInfoBox box;
    prepare(box);
    const std::string work = company.folder + "/tnacc.fd_";
    // The worker leaves something in the database's place that no copy can
    // overwrite: the copy taken before is then the only good one.
    box.RunWorker = [&](TBackupRestoreThread& worker) {
        fs::remove(worker.DataPath);
        fs::create_directory(worker.DataPath);
        worker.Failed = true;
        worker.Success = false;
    };
    EXPECT_FALSE(box.RebuildData());
    ASSERT_TRUE(fs::is_regular_file(work)) << "the only good copy is not deleted";
    EXPECT_GT(fs::file_size(work), 0u);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "データ再構築の処理に失敗しました。");
    EXPECT_NE(core::messageAsText(messages.shown()[0]).find(work), std::string::npos);
}

TEST_F(DetailsDialog, EmptyListNameOffersTheCompanyName)
{
    ScriptedMessages messages({modal::Ok});
    TDataSyosaiInfoBox box;
    prepare(box);
    box.txtListName->setText(QStringLiteral("　 "));
    box.btnOKClick();
    EXPECT_EQ(box.txtListName->text().toStdString(), company.name);
    ASSERT_EQ(messages.count(), 1u);
    box.cboxDataUpdateLock->setChecked(true);
    box.btnOKClick();
    EXPECT_EQ(box.result(), 1);
    EXPECT_EQ(box.ListName, company.name);
    EXPECT_EQ(box.UpdateLock, 1);
}

TEST_F(DetailsDialog, ShowsKanaPersonDepartmentsAndBranchesAndHidesThemWhenLocked)
{
    {
        platform::IniFile ini(TDataInfomation::IniPath(company.folder));
        ini.writeString("DATAINFO", "KANA", "ｻﾝﾌﾟﾙｼｮｳｼﾞ");
        ini.writeInteger("DATAINFO", "TANTO", 10003);
        ini.writeInteger("DATAINFO", "SITEN", 1);
        ini.writeInteger("DATAINFO", "SITENCNT", 4);
        ini.writeInteger("DATAINFO", "BUMONCNT", 7);
    }
    struct Case {
        int bumon;
        const char* shown;
    };
    const Case cases[] = {{0, "設定なし"}, {1, "損益のみに7部門設定"}, {2, "全科目に7部門設定"}, {3, "設定なし"}};
    ScriptedMessages messages;
    TDataSyosaiInfoBox box;
    for (const auto& c : cases) {
        platform::IniFile(TDataInfomation::IniPath(company.folder)).writeInteger("DATAINFO", "BUMON", c.bumon);
        prepare(box);
        EXPECT_EQ(box.lblBumonKanri->text().toStdString(), c.shown) << c.bumon;
    }
    EXPECT_EQ(box.lblKana->text().toStdString(), "ｻﾝﾌﾟﾙｼｮｳｼﾞ");
    EXPECT_EQ(box.lblTanto->text().toStdString(), "10003");
    EXPECT_EQ(box.lblSitenKanri->text().toStdString(), "4支店設定");

    platform::IniFile(TDataInfomation::IniPath(company.folder)).writeInteger("DATAINFO", "SITEN", 0);
    platform::IniFile(TDataInfomation::IniPath(company.folder)).writeInteger("DATAINFO", "TANTO", 0);
    prepare(box);
    EXPECT_EQ(box.lblSitenKanri->text().toStdString(), "設定なし");
    EXPECT_EQ(box.lblTanto->text().toStdString(), "設定なし");

    status(3, SysDef.OpCode);
    prepare(box);
    for (QLabel* dashed : {box.lblKana, box.lblBumonKanri, box.lblSitenKanri})
        EXPECT_EQ(dashed->text().toStdString(), "-");
    EXPECT_EQ(box.lblSiwakeKensu->text().toStdString(), "-件");
}

TEST_F(DetailsDialog, HintsAndTheUnrestrictedSelectionMessage)
{
    ScriptedMessages messages;
    SysDef.DataRoot = root.info().dataRoot;
    AppInfo.Varov.AppTitle = "トルバン財務";
    TDataSyosaiInfoBox box;
    SysDef.AllDataRight = 0;
    prepare(box);
    EXPECT_FALSE(box.lblDataSeigenMessage->isVisibleTo(&box));
    EXPECT_FALSE(box.Image1->isVisibleTo(&box));
    EXPECT_EQ(controls::Hint(box.txtDataPath).toStdString(),
        company.folder + "|データの場所です。\n\n[トルバン財務のデータ]は、\"" + SysDef.DataRoot + "\"です。");
    EXPECT_EQ(box.txtDataPath->toPlainText().toStdString().rfind("[トルバン財務のデータ]", 0), 0u)
        << "the data root is shown by its name";
    for (QWidget* w : std::initializer_list<QWidget*> {box.cboxStatusClear, box.cboxDataUpdateLock,
             box.cboxDataReadOnly, box.txtListName, box.btnOK, box.btnCancel})
        EXPECT_TRUE(controls::Hint(w).contains(QLatin1Char('|'))) << w->metaObject()->className();
    EXPECT_EQ(controls::Hint(box.btnOK).toStdString(), "内容を登録して画面を閉じます。|内容を登録して画面を閉じます。");
    const QString editableHint = controls::Hint(box.txtListName);

    SysDef.AllDataRight = 1;
    box.Editable = false;
    prepare(box);
    EXPECT_TRUE(box.lblDataSeigenMessage->isVisibleTo(&box));
    EXPECT_EQ(box.lblDataSeigenMessage->text().toStdString(), "現在、オペレータ毎のデータ選択は制限されていません。");
    EXPECT_TRUE(box.txtListName->isReadOnly());
    EXPECT_FALSE(box.cboxDataUpdateLock->isEnabled());
    EXPECT_NE(controls::Hint(box.txtListName), editableHint) << "a read-only name has its own hint";
    SysDef.AllDataRight = 0;
}
