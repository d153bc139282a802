// The rules of the data-selection screen: start parameters, the list
// filter, the function keys and the checks of a chosen folder.

#include "dataselect/z5DataSentakuRules.h"

#include "core/DataInfomation.h"
#include "core/uAccRecord.h"
#include "platform/ini_file.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

TEST(DataSentakuParams, WizardStartAndKeyRules)
{
    TDataKensakuRec initial;
    initial.OpCode = 7;
    TDataSentakuParams p;
    ParseDataSentakuParams("SyoriType=3\rJyokenSet=1\rDataType=-13\rCodeType=0\rDataVerMajor=13", initial, p);
    EXPECT_EQ(p.SyoriType, 3);
    EXPECT_TRUE(p.JyokenSet);
    EXPECT_EQ(p.Condition.OpCode, 7);
    EXPECT_EQ(p.Condition.JyokenUse, 1);
    EXPECT_EQ(p.Condition.DataType, -13);
    EXPECT_EQ(p.Condition.VerMode, 1);
    EXPECT_EQ(p.Condition.DataVer, "13");

    TDataSentakuParams later;
    ParseDataSentakuParams(
        "JyokenSet=\r\nDataVerMajor=13\r\nDataVer=12.0\r\nFormStyle=2\r\nManualFree=1", initial, later);
    EXPECT_EQ(later.Condition.VerMode, 1) << "DataVerMajor wins over DataVer whatever the line order";
    EXPECT_EQ(later.FormStyle, 2);
    EXPECT_TRUE(later.ManualFree);
    EXPECT_EQ(later.SyoriType, 0);

    TDataSentakuParams plain;
    ParseDataSentakuParams("ManualFree=1\nDataType=1", initial, plain);
    EXPECT_FALSE(plain.ManualFree) << "only read with JyokenSet";
    EXPECT_EQ(plain.Condition.DataType, 0);

    TDataSentakuParams takeOut;
    ParseDataSentakuParams("SyoriType=5\rOnlySA_Syori=Restore\rOnlySA_BackupPath=/media/usb", initial, takeOut);
    EXPECT_EQ(takeOut.OnlySAMode, 1);
    EXPECT_EQ(takeOut.OnlySABackupPath, "/media/usb");

    EXPECT_THROW(ParseDataSentakuParams("SyoriType=6", initial, p), std::invalid_argument);
}

TEST(DataSentakuFilter, EachTestOfTheCondition)
{
    auto row = [](int type, int code, int major, int minor, const char* name, const char* dataCode, int tanto = 0) {
        TDataListRec r;
        r.DATATYPE = type;
        r.CODETYPE = code;
        r.VER_MAJOR = major;
        r.VER_MINOR1 = minor;
        r.ENTTEXT = name;
        r.DATACODE = dataCode;
        r.TANTOU = tanto;
        return r;
    };
    struct Case {
        const char* what;
        TDataKensakuRec filter;
        TDataListRec row;
        bool passes;
    };
    auto f = [](auto change) {
        TDataKensakuRec r;
        change(r);
        return r;
    };
    const Case cases[] = {
        {"kind 1 of -13", f([](auto& c) { c.DataType = -13; }), row(1, 1, 13, 0, "A", "X"), true},
        {"kind 3 of -13", f([](auto& c) { c.DataType = -13; }), row(3, 1, 13, 0, "A", "X"), true},
        {"kind 2 not -13", f([](auto& c) { c.DataType = -13; }), row(2, 1, 13, 0, "A", "X"), false},
        {"kind and code kind", f([](auto& c) {
             c.DataType = 2;
             c.CodeType = 3;
         }),
            row(2, 3, 13, 0, "A", "X"), true},
        {"other code kind", f([](auto& c) {
             c.DataType = 2;
             c.CodeType = 3;
         }),
            row(2, 1, 13, 0, "A", "X"), false},
        {"kind only", f([](auto& c) { c.DataType = 2; }), row(2, 4, 13, 0, "A", "X"), true},
        {"major 13", f([](auto& c) {
             c.DataVer = "13";
             c.VerMode = 1;
         }),
            row(1, 1, 13, 2, "A", "X"), true},
        {"major 12", f([](auto& c) {
             c.DataVer = "13";
             c.VerMode = 1;
         }),
            row(1, 1, 12, 9, "A", "X"), false},
        {"13.0 or newer: 14.1", f([](auto& c) {
             c.DataVer = "13.0";
             c.VerMode = 2;
         }),
            row(1, 1, 14, 1, "A", "X"), true},
        {"13.0 or newer: 13.0", f([](auto& c) {
             c.DataVer = "13.0";
             c.VerMode = 2;
         }),
            row(1, 1, 13, 0, "A", "X"), true},
        {"13.0 or newer: 12.9", f([](auto& c) {
             c.DataVer = "13.0";
             c.VerMode = 2;
         }),
            row(1, 1, 12, 9, "A", "X"), false},
        {"exactly 12.0", f([](auto& c) { c.DataVer = "12.0"; }), row(1, 1, 12, 0, "A", "X"), true},
        {"exactly 12.0: 12.1", f([](auto& c) { c.DataVer = "12.0"; }), row(1, 1, 12, 1, "A", "X"), false},
        {"name in full width", f([](auto& c) { c.ListName = "abc"; }), row(1, 1, 13, 0, "株式会社ＡＢＣ商事", "X"),
            true},
        {"name missing", f([](auto& c) { c.ListName = "xyz"; }), row(1, 1, 13, 0, "ABC", "X"), false},
        {"person in charge", f([](auto& c) { c.Tanto = 4; }), row(1, 1, 13, 0, "A", "X", 4), true},
        {"other person", f([](auto& c) { c.Tanto = 4; }), row(1, 1, 13, 0, "A", "X", 5), false},
        {"code prefix any case", f([](auto& c) { c.DataCode = "c0"; }), row(1, 1, 13, 0, "A", "C001"), true},
        {"code prefix differs", f([](auto& c) { c.DataCode = "D"; }), row(1, 1, 13, 0, "A", "C001"), false},
        {"code longer than the row's", f([](auto& c) { c.DataCode = "C0012"; }), row(1, 1, 13, 0, "A", "C001"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RowPassesFilter(c.filter, c.row), c.passes) << c.what;
    EXPECT_EQ(SortKindOfColumn(1), 7);
    EXPECT_EQ(SortKindOfColumn(3), 2);
    EXPECT_EQ(SortKindOfColumn(7), 6);
    EXPECT_EQ(SortKindOfColumn(0), 1);
}

namespace {

std::string blanks(const TFunctionKeyState& s)
{
    static const char* const names[] = {"ESC", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F12"};
    std::string out;
    for (int k = 0; k < fkey::Count; ++k)
        if (s.IsBlank(k))
            out += std::string(out.empty() ? "" : " ") + names[k];
    return out;
}

} // namespace

TEST(DataSentakuFunctionKeys, CaseTableOfRowKindConnectionKindAndProcessingType)
{
    TDataListRec empty;
    TDataListRec data;
    data.ENTTEXT = "高橋商事";
    data.VER_MAJOR = 13;
    TDataListRec consolidated = data;
    consolidated.GASSAN = 1;
    TDataListRec child = data;
    child.GASSAN = 10;
    TDataListRec sharedFree = data;
    sharedFree.NETDRIVE = 1;
    TDataListRec sharedTaken = sharedFree;
    sharedTaken.KYOYULOCK = 1;
    TDataListRec takenArea = sharedTaken;
    takenArea.ENTTEXT = kFreeAreaName;
    TDataListRec damaged = data;
    damaged.DATA_STATUS = 1;

    struct Case {
        const char* what;
        const TDataListRec* row;
        std::uint8_t connect, type;
        bool autoShare;
        const char* blanks;
        const char* f3; // expected F3 caption ("" = not checked)
        const char* f4;
    };
    const Case cases[] = {
        {"no row", nullptr, 0, 0, false, "F2 F3 F4 F5 F6 F7", "", ""},
        {"empty local row", &empty, 0, 0, false, "F2 F4 F5 F6", "F3:新規作成", ""},
        {"data local row", &data, 0, 0, false, "F3 F4", "", ""},
        {"consolidated", &consolidated, 0, 0, false, "F4", "F3:分散追加", ""},
        {"shared not taken, automatic off", &sharedFree, 0, 0, false, "F2 F3 F5 F7 F12", "", ""},
        {"shared not taken, automatic on", &sharedFree, 0, 0, true, "F2 F3 F5 F7", "", ""},
        {"shared taken", &sharedTaken, 0, 0, false, "F3 F4 F5", "", ""},
        {"taken free area", &takenArea, 0, 0, false, "F5", "F3:新規作成", "F4:割当解除"},
        {"damaged row", &damaged, 0, 0, false, "F2 F3 F4 F6 F12", "", ""},
        {"server, data", &data, 1, 0, false, "", "F3:持ち出し", "F4:領域追加"},
        {"server-based, data", &data, 2, 0, false, "F3", "", "F4:領域追加"},
        {"server, empty", &empty, 1, 0, false, "F2 F5 F6", "F3:新規作成", ""},
        {"wizard: data", &data, 0, 3, false, "F1 F2 F3 F4 F5 F6 F7 F8", "", ""},
        {"wizard: shared not taken", &sharedFree, 0, 3, false, "F1 F2 F3 F4 F5 F6 F7 F8 F12", "", ""},
        {"wizard: server", &data, 1, 3, false, "F1 F2 F3 F4 F5 F6 F7 F8", "", ""},
        {"destination, empty", &empty, 0, 2, false, "F2 F3 F4 F5 F6", "", ""},
        {"second destination", &empty, 0, 4, false, "F1 F2 F3 F4 F5 F6 F7 F8", "", ""},
        {"take-out step", &data, 0, 5, false, "F1 F2 F3 F4 F5 F6 F7 F8", "", ""},
        {"child of a branch consolidation", &child, 0, 0, false, "F3 F4 F5", "", ""},
    };
    for (const auto& c : cases) {
        TFunctionKeyInput in;
        in.ConnectKind = c.connect;
        in.SyoriType = c.type;
        in.GridActive = true;
        in.Row = c.row;
        in.ParentGassan = c.row == &child ? 2 : 0;
        in.AutoShareOn = c.autoShare;
        const auto s = UpdateFunctionKeys(in);
        EXPECT_EQ(blanks(s), c.blanks) << c.what;
        if (*c.f3) {
            EXPECT_EQ(s.Captions[fkey::F3], c.f3) << c.what;
        }
        if (*c.f4) {
            EXPECT_EQ(s.Captions[fkey::F4], c.f4) << c.what;
        }
        EXPECT_EQ(s.SearchEnabled, c.type != 3) << c.what;
    }

    // Buttons of the shared data and the paste mode.
    TFunctionKeyInput in;
    in.GridActive = true;
    in.Row = &sharedFree;
    auto s = UpdateFunctionKeys(in);
    EXPECT_TRUE(s.KyoyuDownEnabled);
    EXPECT_FALSE(s.KyoyuUpEnabled);
    in.Row = &sharedTaken;
    s = UpdateFunctionKeys(in);
    EXPECT_FALSE(s.KyoyuDownEnabled);
    EXPECT_TRUE(s.KyoyuUpEnabled);
    in.Row = &empty;
    in.CopyPending = true;
    s = UpdateFunctionKeys(in);
    EXPECT_EQ(s.KeyState, 2);
    EXPECT_EQ(s.Captions[fkey::F2], "F2:貼り付け");
    EXPECT_TRUE(s.PasteHint);
    in.GridEnabled = false;
    s = UpdateFunctionKeys(in);
    EXPECT_TRUE(s.IsBlank(fkey::F12));
    EXPECT_TRUE(s.IsBlank(fkey::F8));
    in = {};
    in.ProgramKind = 3;
    in.GridActive = true;
    in.Row = &consolidated;
    s = UpdateFunctionKeys(in);
    EXPECT_TRUE(s.SearchButtonsHidden);
    EXPECT_TRUE(s.IsBlank(fkey::F3));
}

namespace {

class FolderCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SysDef.GroupID = 10000;
        SysDef.OpCode = 100000001;
    }
    void TearDown() override { ResetProcessState(); }

    // A data folder with a database file and the given status.
    std::string folder(const std::string& name, int status, bool database = true, int holder = 100000005)
    {
        const std::string f = dir.makeDir(name);
        if (database)
            dir.write(name + "/tnacc.fdb", "x");
        platform::IniFile ini(TDataInfomation::IniPath(f));
        ini.writeInteger("DATASTS", "STATUS", status);
        ini.writeInteger("DATASTS", "OPCODE", holder);
        ini.writeString("DATASTS", "OPERATOR", "佐藤");
        return f;
    }

    test_support::TempDir dir;
};

} // namespace

TEST_F(FolderCheck, RefusalsOfTheChosenFolder)
{
    struct Case {
        const char* what;
        std::uint8_t connect, type;
        int status;
        bool database;
        int damaged;
        int result;
        const char* message; // first line, "" none
    };
    const Case cases[] = {
        {"status 1 with data", 0, 3, 1, true, 0, 1, ""},
        {"no database", 0, 3, 1, false, 0, -1, "このフォルダには財務データがありません。\r"},
        {"in use", 0, 3, 2, true, 0, -1,
            "このデータは使用中のため処理が行えません。\r前回、異常終了した場合は情報ボタンを押してデータの状態を回復し"
            "て下さい。"},
        {"data lock", 0, 0, 3, true, 0, -1, "このデータはデータロック中のため処理が行えません。"},
        {"no status", 0, 3, 0, true, 0, -1, ""},
        {"damaged", 0, 3, 10, true, 0, -1, ""},
        {"damage mark set", 0, 3, 10, true, 1, -3, ""},
        {"destination, empty place", 0, 2, 1, false, 0, 0, ""},
        {"destination, data there", 0, 2, 1, true, 0, 1, ""},
        {"server: in use may be chosen", 1, 3, 2, true, 0, 1, ""},
        {"take-out step", 0, 5, 4, true, 0, 1, ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        SysDef.DataDamaged = c.damaged;
        const std::string f = folder("case" + std::to_string(n++), c.status, c.database);
        ScriptedMessages messages;
        TDataFolderCheck check;
        check.ConnectKind = c.connect;
        check.SyoriType = c.type;
        EXPECT_EQ(check.CheckDataFolder(f), c.result) << c.what;
        if (*c.message) {
            ASSERT_EQ(messages.count(), 1u) << c.what;
            EXPECT_EQ(messages.firstLine(0), c.message) << c.what;
        } else {
            EXPECT_EQ(messages.count(), 0u) << c.what;
        }
    }

    ScriptedMessages messages;
    TDataFolderCheck check;
    check.SyoriType = 0;
    check.CheckFolderStatus(folder("held", 2), true, true);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].caption, "選択データの状態");
    EXPECT_EQ(messages.shown()[0].lines[5].text, "　5");
    EXPECT_EQ(messages.shown()[0].lines[8].text, "　佐藤");

    check.SyoriType = 3;
    EXPECT_EQ(check.CheckDataFolder("  "), -2) << "an empty row in the wizard's type is refused silently";
    check.SyoriType = 0;
    EXPECT_THROW(check.CheckDataFolder(""), std::runtime_error);
}
