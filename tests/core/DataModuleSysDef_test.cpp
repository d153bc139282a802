// The operator's settings in the system database: first login, save and
// load of SYSDEF, the typed SYSREG store, menu control, eras, versions and
// the smaller tables.

#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/DateTimeUtil.h"
#include "core/TolvanWarekiLib.h"
#include "core/uAccRecord.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace {

namespace fb = platform::firebird;

constexpr int kOperator = 100000010;

class SysDefTest : public test_support::SampleRootSuite {
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
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        ASSERT_TRUE(dm->fnAccDefConnected("", 1));
    }
    void TearDown() override
    {
        dm.reset();
        ResetProcessState();
    }

    // Statements on the system database outside the operations under test.
    void exec(const std::string& sql)
    {
        fb::Transaction tr(&dm->IBDatabaseDEF);
        tr.addParam("write");
        tr.addParam("read_committed");
        tr.addParam("rec_version");
        tr.addParam("nowait");
        tr.startTransaction();
        fb::Query q(&dm->IBDatabaseDEF, &tr);
        q.sql().add(sql);
        q.execSQL();
        tr.commit();
    }
    std::string value(const std::string& sql)
    {
        fb::Transaction tr(&dm->IBDatabaseDEF);
        tr.addParam("read_committed");
        tr.addParam("rec_version");
        tr.addParam("nowait");
        tr.startTransaction();
        fb::Query q(&dm->IBDatabaseDEF, &tr);
        q.sql().add(sql);
        q.open();
        const std::string v = q.eof() ? "<none>" : (q.field(0).isNull() ? "<null>" : q.field(0).asString());
        q.close();
        tr.commit();
        return v;
    }
    int count(int opCode)
    {
        return std::stoi(value("SELECT COUNT(*) FROM SYSREG WHERE OPCODE=" + std::to_string(opCode)));
    }

    // Loads as a fresh process would for that operator.
    void login(int opCode)
    {
        SysDef.OpCode = opCode;
        ScriptedMessages messages;
        ASSERT_TRUE(core::fnGetSysDef());
        ASSERT_EQ(messages.count(), 0u) << messages.firstLine(0);
    }

    std::unique_ptr<core::TDM> dm;
};

TEST_F(SysDefTest, FirstLoginCreatesTheOperatorsRowAndSettings)
{
    ASSERT_EQ(value("SELECT OPCODE FROM SYSDEF WHERE OPCODE=100000010"), "<none>");
    login(kOperator);
    auto column = [&](const std::string& c) { return value("SELECT " + c + " FROM SYSDEF WHERE OPCODE=100000010"); };
    EXPECT_EQ(column("SANKAKUPLUS"), "1");
    EXPECT_EQ(column("COLHEADERCOLOR"), std::to_string(0xDBDBDB));
    EXPECT_EQ(column("COLHEADERGRADCOLOR1"), std::to_string(0xFFFFFF));
    EXPECT_EQ(column("COLHEADERGRADCOLOR2"), std::to_string(0xDBDBDB));
    EXPECT_EQ(column("CLIENTCOLOR2"), std::to_string(0xE1F0FF));
    EXPECT_EQ(column("TOTALCOLOR"), std::to_string(0x8EC7FF));
    EXPECT_EQ(column("ACTIVECOLOR"), std::to_string(0x246BFF));
    EXPECT_EQ(column("NETCOLOR2"), std::to_string(0xD7FFD7));
    EXPECT_EQ(column("PLINECOLOR1"), std::to_string(0x7900));
    EXPECT_EQ(column("DICSWITCH") + column("DICTEKAUTO") + column("DICTORAUTO"), "011");

    EXPECT_EQ(SysDef.SankakuPlus, 1);
    EXPECT_EQ(SysDef.ColHeaderGradColor2, 0xDBDBDB);
    EXPECT_EQ(SysDef.ClientColor2, 0xE1F0FF);
    EXPECT_EQ(SysDef.DicTekAuto, 1);
    // The new operator's dictionary flags are written, then read back as
    // such, in the order 摘要/取引先 辞書, 連想, 自動, 入力なし.
    EXPECT_EQ(SysDef.DicOpenFlags, (std::array<int, 8> {1, 1, 0, 0, 1, 1, 0, 0}));
    EXPECT_EQ(SysDef.DicFlagsValid, 1);
    EXPECT_EQ(value("SELECT STEXT FROM SYSREG WHERE OPCODE=100000010 AND SCODE='取引先＿自動開く区分'"), "1");

    // Office, rights, group switch and versions from the system database.
    EXPECT_EQ(SysDef.OfficeName, "トルバン会計事務所");
    EXPECT_EQ(SysDef.OfficeAddress, "東京都千代田区丸の内１－１－１");
    EXPECT_EQ(SysDef.OfficeTel, "03-0000-0000");
    EXPECT_EQ(SysDef.OfficeReserve1, 1);
    EXPECT_EQ(SysDef.OfficeReserve2, 63);
    EXPECT_EQ(SysDef.AllDataRight, 1);
    EXPECT_EQ(SysDef.DataDamageCheck, 1);
    EXPECT_EQ(SysDef.SysVerMajor, 12);
    EXPECT_EQ(SysDef.SysVerMinor1, 0);

    // Defaults of the maker's edition.
    EXPECT_EQ(SysDef.SwkDateFocus, 2);
    EXPECT_EQ(SysDef.SisanBsPageBreak, 1);
    EXPECT_EQ(SysDef.MotoTitleOut, 0);
    EXPECT_EQ(SysDef.TaxCodePrint, 1);
    EXPECT_EQ(SysDef.SisanTitle, "試　算　表");
    EXPECT_EQ(SysDef.HanbaiTitle[1], "販売費・一般管理費");
    EXPECT_EQ(SysDef.PlTitle[2], "損益");
    EXPECT_EQ(SysDef.HanbaiTitle[0], "");
    EXPECT_EQ(SysDef.BsTitle[1], "");

    // Every setting read has its row now; a second login adds none.
    const int rows = count(kOperator);
    EXPECT_EQ(rows, 38);
    login(kOperator);
    EXPECT_EQ(count(kOperator), rows);
    EXPECT_EQ(value("SELECT COUNT(*) FROM SYSDEF WHERE OPCODE=100000010"), "1");
}

TEST_F(SysDefTest, FederationEditionDefaults)
{
    DistKind = 1;
    ApplyDistThemeColors(1);
    login(100000020);
    auto column = [&](const std::string& c) { return value("SELECT " + c + " FROM SYSDEF WHERE OPCODE=100000020"); };
    EXPECT_EQ(column("CLIENTCOLOR2"), std::to_string(0xF2FFEE));
    EXPECT_EQ(column("TOTALCOLOR"), std::to_string(0xD6FFC8));
    EXPECT_EQ(column("ACTIVECOLOR"), std::to_string(0x8000));
    EXPECT_EQ(column("DICSWITCH") + column("DICTEKAUTO") + column("DICTORAUTO"), "220");
    // 摘要 0, 1, 1, 0 and 取引先 1, 0, 0, 0, interleaved.
    EXPECT_EQ(SysDef.DicOpenFlags, (std::array<int, 8> {0, 1, 1, 0, 1, 0, 0, 0}));
    EXPECT_EQ(value("SELECT STEXT FROM SYSREG WHERE OPCODE=100000020 AND SCODE='摘要＿連想開く区分'"), "1");
    EXPECT_EQ(value("SELECT STEXT FROM SYSREG WHERE OPCODE=100000020 AND SCODE='取引先＿辞書開く区分'"), "1");
    EXPECT_EQ(SysDef.NextItemMove, 1);
    EXPECT_EQ(SysDef.BumonCodeDigits, 1);
    EXPECT_EQ(SysDef.SwkDateFocus, 1);
    EXPECT_EQ(SysDef.Reserve4Bit7, 1);
    EXPECT_EQ(SysDef.SisanSyukeiOut, 1);
    EXPECT_EQ(SysDef.RensoFilter, 1);
    EXPECT_EQ(SysDef.MotoTitleOut, 1);
    EXPECT_EQ(SysDef.SisanBsPageBreak, 0);
}

TEST_F(SysDefTest, StoredZeroGradientColoursLoadAsTheirDefaults)
{
    login(100000040);
    exec("UPDATE SYSDEF SET COLHEADERGRADCOLOR1=0, COLHEADERGRADCOLOR2=0 WHERE OPCODE=100000040");
    login(100000040);
    EXPECT_EQ(SysDef.ColHeaderGradColor1, 0xFFFFFF);
    EXPECT_EQ(SysDef.ColHeaderGradColor2, 0xBBBBBB);
}

struct IntColumn {
    const char* name;
    int TSystemDef::*field;
};

TEST_F(SysDefTest, SaveAndLoadRoundTripEveryColumnAndKeepUnknownBits)
{
    constexpr int op = 100000030;
    login(op);
    // Bits another program keeps: bit 3 of RESERVE2, bit 12 of RESERVE4;
    // SHOUHYOU is not this program's to write.
    exec("UPDATE SYSDEF SET RESERVE2=5, RESERVE4=" + std::to_string((1 << 11) | (1 << 4))
        + ", SHOUHYOU=7 WHERE OPCODE=" + std::to_string(op));
    login(op);
    ASSERT_EQ(SysDef.Reserve2Bit1, 1);
    ASSERT_EQ(SysDef.Reserve4Bit5, 1);

    static const IntColumn ints[] = {
        {"FONTSIZE", &TSystemDef::FontSize},
        {"FONTSTYLE", &TSystemDef::FontStyle},
        {"FONTCHARSET", &TSystemDef::FontCharSet},
        {"FONTHEIGHT", &TSystemDef::FontHeight},
        {"GRIDRESIZE", &TSystemDef::GridResize},
        {"SHOWHINT", &TSystemDef::ShowHint},
        {"GRIDMAXROW", &TSystemDef::GridMaxRow},
        {"GRIDRSIZ", &TSystemDef::GridRsiz},
        {"PANELCOLOR", &TSystemDef::PanelColor},
        {"PANELBACKCOLOR", &TSystemDef::PanelBackColor},
        {"MENUPRINTSW", &TSystemDef::MenuPrintSw},
        {"COLHEADERCOLOR", &TSystemDef::ColHeaderColor},
        {"FIXEDTOPCOLOR", &TSystemDef::FixedTopColor},
        {"ROWHEADERCOLOR", &TSystemDef::RowHeaderColor},
        {"FIXEDLEFTCOLOR", &TSystemDef::FixedLeftColor},
        {"ACTIVECOLOR", &TSystemDef::ActiveColor},
        {"CLIENTCOLOR", &TSystemDef::ClientColor},
        {"CLIENTCOLOR1", &TSystemDef::ClientColor1},
        {"CLIENTCOLOR2", &TSystemDef::ClientColor2},
        {"CLIENTCOLOR3", &TSystemDef::ClientColor3},
        {"TOTALCOLOR", &TSystemDef::TotalColor},
        {"COLHEADERGRADCOLOR1", &TSystemDef::ColHeaderGradColor1},
        {"COLHEADERGRADCOLOR2", &TSystemDef::ColHeaderGradColor2},
        {"FORECOLOR", &TSystemDef::ForeColor},
        {"BORDERCOLOR", &TSystemDef::BorderColor},
        {"THRUBORDERCOLOR", &TSystemDef::ThruBorderColor},
        {"PREVIEWZOOM", &TSystemDef::PreviewZOOM},
        {"NETCOLOR1", &TSystemDef::NetColor1},
        {"NETCOLOR2", &TSystemDef::NetColor2},
        {"PLINECOLOR1", &TSystemDef::PLineColor1},
        {"PLINECOLOR2", &TSystemDef::PLineColor2},
        {"HOJWAIT", &TSystemDef::HojWait},
        {"DICSWITCH", &TSystemDef::DicSwitch},
        {"DICTEKAUTO", &TSystemDef::DicTekAuto},
        {"DICTORAUTO", &TSystemDef::DicTorAuto},
        {"DICUSEDNT", &TSystemDef::DicUsednt},
        {"DICTYPE", &TSystemDef::DicType},
        {"DICNUM1", &TSystemDef::DicNum1},
        {"DICNUM2", &TSystemDef::DicNum2},
        {"DICSORTTYPE", &TSystemDef::DicSortType},
        {"TEK_AUTOUP", &TSystemDef::TEK_AUTOUP},
        {"TOR_AUTOUP", &TSystemDef::TOR_AUTOUP},
        {"USERPRINT", &TSystemDef::UserPrint},
        {"SWKTOTAL", &TSystemDef::SwkTotal},
        {"SWKLINE", &TSystemDef::SwkLine},
        {"RESERVE1", &TSystemDef::Reserve1},
        {"RESERVE3", &TSystemDef::Reserve3},
        {"RESERVE5", &TSystemDef::Reserve5},
        {"KINGAKUPLUS", &TSystemDef::KingakuPlus},
        {"ZEROPRINT", &TSystemDef::ZeroPrint},
        {"SANKAKUPLUS", &TSystemDef::SankakuPlus},
        {"MFTOP", &TSystemDef::MFTop},
        {"MFLEFT", &TSystemDef::MFLeft},
        {"MFWIDTH", &TSystemDef::MFWidth},
        {"MFHEIGHT", &TSystemDef::MFHeight},
        {"SHOWDATASENTAKU", &TSystemDef::ShowDataSentaku},
        {"LASTMENU", &TSystemDef::LastMenu},
    };
    int n = 100;
    for (const auto& c : ints)
        SysDef.*c.field = n++;
    SysDef.DataDir = "/home/user/データ/0001";
    SysDef.PrinterName = "事務所プリンタ";
    SysDef.FontName = "IPAゴシック";
    SysDef.ZenkaiDrive = "/mnt/前回";
    SysDef.SSTR = "A=1\r\nB=2";
    SysDef.Reserve2Bit1 = 0;
    SysDef.Reserve2Bit2 = 1;
    SysDef.Reserve4Bit5 = 2; // bit 6, and bit 5 cleared
    SysDef.Reserve4Bit10 = 1;
    // Operator settings kept in SYSREG.
    SysDef.SisanTitle = "月次試算表";
    SysDef.PlTitle[1] = "損益計算";
    SysDef.TegataSousai = 1;
    SysDef.ServerDataPlace = 2;
    SysDef.DicOpenFlags = {0, 0, 1, 1, 0, 0, 1, 1};
    SysDef.SisanLineAdjust = 5; // never written back

    {
        ScriptedMessages messages;
        ASSERT_TRUE(core::fnPutSysDef());
        EXPECT_EQ(messages.count(), 0u);
    }
    EXPECT_EQ(value("SELECT SHOUHYOU FROM SYSDEF WHERE OPCODE=100000030"), "7");
    EXPECT_EQ(value("SELECT RESERVE2 FROM SYSDEF WHERE OPCODE=100000030"), std::to_string(4 | 2));
    EXPECT_EQ(
        value("SELECT RESERVE4 FROM SYSDEF WHERE OPCODE=100000030"), std::to_string((1 << 11) | (1 << 9) | (1 << 5)));

    const TSystemDef saved = SysDef;
    SysDef = TSystemDef {};
    SysDef.GroupID = saved.GroupID;
    login(op);
    for (const auto& c : ints)
        EXPECT_EQ(SysDef.*c.field, saved.*c.field) << c.name;
    EXPECT_EQ(SysDef.DataDir, saved.DataDir);
    EXPECT_EQ(SysDef.PrinterName, saved.PrinterName);
    EXPECT_EQ(SysDef.FontName, saved.FontName);
    EXPECT_EQ(SysDef.ZenkaiDrive, saved.ZenkaiDrive);
    EXPECT_EQ(SysDef.SSTR, saved.SSTR);
    EXPECT_EQ(SysDef.Reserve2Bit1, 0);
    EXPECT_EQ(SysDef.Reserve2Bit2, 1);
    EXPECT_EQ(SysDef.Reserve4Bit5, 2);
    EXPECT_EQ(SysDef.Reserve4Bit10, 1);
    EXPECT_EQ(SysDef.Reserve2, 4 | 2);
    EXPECT_EQ(SysDef.Reserve4, (1 << 11) | (1 << 9) | (1 << 5));
    EXPECT_EQ(SysDef.SisanTitle, "月次試算表");
    EXPECT_EQ(SysDef.PlTitle[1], "損益計算");
    EXPECT_EQ(SysDef.TegataSousai, 1);
    EXPECT_EQ(SysDef.ServerDataPlace, 2);
    EXPECT_EQ(SysDef.DicOpenFlags, (std::array<int, 8> {0, 0, 1, 1, 0, 0, 1, 1}));
    // Element 2 is the description's association flag, element 3 the partner's.
    EXPECT_EQ(value("SELECT STEXT FROM SYSREG WHERE OPCODE=100000030 AND SCODE='摘要＿連想開く区分'"), "1");
    EXPECT_EQ(value("SELECT STEXT FROM SYSREG WHERE OPCODE=100000030 AND SCODE='取引先＿連想開く区分'"), "1");
    EXPECT_EQ(value("SELECT STEXT FROM SYSREG WHERE OPCODE=100000030 AND SCODE='摘要＿自動開く区分'"), "0");
    EXPECT_EQ(SysDef.SisanLineAdjust, 0);
}

TEST_F(SysDefTest, SaveLeavesTheCallersTransactionToTheCaller)
{
    constexpr int op = 100000050;
    login(op);
    dm->IBTransactionDEF.startTransaction();
    SysDef.MFTop = 4321;
    EXPECT_TRUE(core::fnPutSysDef());
    EXPECT_TRUE(dm->IBTransactionDEF.inTransaction());
    dm->IBTransactionDEF.rollback();
    EXPECT_EQ(value("SELECT MFTOP FROM SYSDEF WHERE OPCODE=100000050"), "0");
}

TEST_F(SysDefTest, SavingWithoutTheOperatorsRowIsAFailure)
{
    SysDef.OpCode = 100000098;
    ScriptedMessages messages;
    EXPECT_FALSE(core::fnPutSysDef());
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "システム情報の書き込みに失敗しました。");
    EXPECT_EQ(value("SELECT COUNT(*) FROM SYSDEF WHERE OPCODE=100000098"), "0");
}

// The automatic-share switch alone: its bit follows SysDef, every other bit
// of the word and every other column stays as stored.
TEST_F(SysDefTest, AutomaticShareSwitchIsWrittenAlone)
{
    constexpr int op = 100000060;
    login(op);
    const std::string where = " FROM SYSDEF WHERE OPCODE=" + std::to_string(op);
    exec("UPDATE SYSDEF SET RESERVE4=" + std::to_string((1 << 11) | (1 << 1) | 1) + ", MFTOP=11 WHERE OPCODE="
        + std::to_string(op));
    SysDef.MFTop = 999;
    for (const int flag : {0, 1}) {
        SysDef.Reserve4Bit1 = flag;
        EXPECT_TRUE(core::fnPutKyoyuAutoFlag());
        EXPECT_EQ(value("SELECT RESERVE4" + where), std::to_string((1 << 11) | (1 << 1) | flag));
        EXPECT_EQ(SysDef.Reserve4 & 1, flag);
    }
    EXPECT_EQ(value("SELECT MFTOP" + where), "11");

    SysDef.OpCode = 100000098;
    ScriptedMessages messages;
    EXPECT_FALSE(core::fnPutKyoyuAutoFlag()) << "no row of the operator";
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "システム情報の書き込みに失敗しました。");
}

TEST(SysRegText, ConversionByTypeName)
{
    using core::SysRegTextToValue;
    EXPECT_EQ(SysRegTextToValue("文字", " ").asString(), " ");
    EXPECT_TRUE(SysRegTextToValue("論理", "TRUE").asBoolean());
    EXPECT_FALSE(SysRegTextToValue("論理", "true").asBoolean()); // case-sensitive here
    EXPECT_FALSE(SysRegTextToValue("論理", " TRUE").asBoolean());
    EXPECT_EQ(SysRegTextToValue("日付", "2024/02/29").asDate(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(SysRegTextToValue("日付", "2023/02/29").asDate(), 0);
    EXPECT_EQ(SysRegTextToValue("整数", "-12").asInteger(), -12);
    EXPECT_EQ(SysRegTextToValue("整数", "12x").asInteger(), 0);
    EXPECT_EQ(SysRegTextToValue("金額", "-1234.5").asCurrency(), -12345000);
    EXPECT_EQ(SysRegTextToValue("金額", "abc").asCurrency(), 0);
    EXPECT_EQ(SysRegTextToValue("実数", "1.5").asString(), "Data Type Error");

    bool has = false;
    EXPECT_EQ(core::SysRegValueToText("論理", core::TRegValue::boolean(true), has), "TRUE");
    EXPECT_EQ(core::SysRegValueToText("日付", core::TRegValue::date(0), has), "");
    EXPECT_EQ(core::SysRegValueToText("日付", core::TRegValue::date(EncodeDate(2024, 4, 1)), has), "2024/04/01");
    EXPECT_EQ(core::SysRegValueToText("金額", core::TRegValue::currency(-12345000), has), "-1234.5");
    EXPECT_TRUE(has);
    core::SysRegValueToText("日時", core::TRegValue::text("x"), has);
    EXPECT_FALSE(has);
}

TEST_F(SysDefTest, SysRegReadCreatesMissingRowsAndWriteUpdatesOrInserts)
{
    constexpr int op = 100000060;
    EXPECT_EQ(core::funcGetSysReg("テスト文字", "文字", "", op).asString(), " ");
    EXPECT_EQ(value("SELECT STYPE || '|' || STEXT FROM SYSREG WHERE OPCODE=100000060 AND SCODE='テスト文字'"), "文字|");
    EXPECT_EQ(core::funcGetSysReg("テスト整数", "整数", "7", op).asInteger(), 7);
    EXPECT_EQ(core::funcGetSysReg("テスト整数", "整数", "9", op).asInteger(), 7); // the stored value wins
    EXPECT_EQ(core::funcGetSysReg("テスト型", "実数", "1", op).asString(), "Data Type Error");

    EXPECT_TRUE(core::funcPutSysReg("テスト整数", "整数", core::TRegValue::integer(-3), op));
    EXPECT_EQ(core::funcGetSysReg("テスト整数", "整数", "9", op).asInteger(), -3);
    EXPECT_TRUE(core::funcPutSysReg("テスト論理", "論理", core::TRegValue::boolean(true), op));
    EXPECT_EQ(value("SELECT STEXT FROM SYSREG WHERE OPCODE=100000060 AND SCODE='テスト論理'"), "TRUE");
    exec("UPDATE SYSREG SET STEXT='true' WHERE OPCODE=100000060 AND SCODE='テスト論理'");
    EXPECT_FALSE(core::funcGetSysReg("テスト論理", "論理", "TRUE", op).asBoolean());
    EXPECT_TRUE(core::funcPutSysReg("テスト型", "実数", core::TRegValue::real(1.5), op));
    EXPECT_EQ(value("SELECT STEXT FROM SYSREG WHERE OPCODE=100000060 AND SCODE='テスト型'"), "<null>");

    SysDef.OpCode = op;
    EXPECT_TRUE(core::PutSysRegOp("テスト日付", "日付", core::TRegValue::date(EncodeDate(2024, 2, 29))));
    EXPECT_EQ(core::GetSysRegOp("テスト日付", "日付", "").asDate(), EncodeDate(2024, 2, 29));
}

TEST_F(SysDefTest, SysRegFailureIsReportedAndAnswersTheDefault)
{
    dm->IBDatabaseDEF.disconnect();
    ScriptedMessages messages;
    EXPECT_EQ(core::funcGetSysReg("x", "整数", "5", 1).asInteger(), 5);
    EXPECT_FALSE(core::funcPutSysReg("x", "整数", core::TRegValue::integer(1), 1));
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(0), "システム共通変数の取得に失敗しました。");
    EXPECT_EQ(messages.firstLine(1), "システム共通変数の保存に失敗しました。");
}

TEST_F(SysDefTest, MenuControlByLevel)
{
    exec("INSERT INTO JOBCONTROL2 (LEVELNO, PROC_ID, PROC_OPTION) VALUES (5, 'QzDataSenkaku', 'A,B')");
    exec("INSERT INTO JOBCONTROL2 (LEVELNO, PROC_ID, PROC_OPTION) VALUES (1005, 'WebMenuL', '')");
    struct Case {
        int dataKind;
        int level;
        const char* proc;
        const char* option;
        bool allowed;
    };
    const Case cases[] = {
        {0, 3, "Anything", "", true}, // a level without rows is not restricted
        {0, 5, "QzDataSenkaku", "", true},
        {0, 5, "QzDataSenkaku", "B", true},
        {0, 5, "QzDataSenkaku", "C", false},
        {0, 5, "WebMenuL", "", false},
        {1, 5, "WebMenuL", "", true}, // the medical layout has levels of its own
        {1, 5, "QzDataSenkaku", " ", false},
    };
    for (const auto& c : cases) {
        AccInf.DataKind = static_cast<std::uint8_t>(c.dataKind);
        SysDef.JobLevel = c.level;
        EXPECT_EQ(core::SetJobControl(c.proc, c.option), c.allowed) << c.level << " " << c.proc << " " << c.option;
    }
    exec("DELETE FROM JOBCONTROL2");
}

TEST_F(SysDefTest, DataListRecordOfAPath)
{
    int rec = -1, child = -1;
    struct Case {
        const char* path;
        int rec;
        int child;
    };
    const Case cases[] = {
        {"/srv/Data/123/2", 123, 2},
        {"/srv/CB_DATA/7", 7, 0},
        {"/srv/data/abc/1", 0, 1},
        {"/srv/nodata/1", 0, 0},
        {"  ", 0, 0},
    };
    for (const auto& c : cases) {
        core::GetDataListRec(c.path, rec, child);
        EXPECT_EQ(rec, c.rec) << c.path;
        EXPECT_EQ(child, c.child) << c.path;
    }
    ConnectMode = 1;
    for (const auto& company : root().info().companies) {
        core::GetDataListRec(company.folder, rec, child);
        EXPECT_EQ(rec, company.rec) << company.folder;
        EXPECT_EQ(child, 0);
    }
    core::GetDataListRec(root().info().sysDir + "/0999", rec, child);
    EXPECT_EQ(rec, 0);
}

TEST_F(SysDefTest, EraTableFromTheSystemDatabaseOrBuiltIn)
{
    core::LoadGengoTable();
    ASSERT_EQ(GengoTable.size(), 5u);
    EXPECT_EQ(GengoTable[0].Name, "令和");
    EXPECT_EQ(GengoTable[0].Letter, "R");
    EXPECT_EQ(GengoTable[0].StartDate, EncodeDate(2019, 5, 1));
    EXPECT_EQ(GengoTable[0].StartYear, 2019);
    EXPECT_EQ(GengoTable[4].Letter, "M");

    // Without rows (seen inside a transaction that is then undone) the
    // built-in eras take over.
    dm->IBTransactionDEF.startTransaction();
    {
        fb::Query q(&dm->IBDatabaseDEF, &dm->IBTransactionDEF);
        q.sql().add("DELETE FROM GENGO");
        q.execSQL();
    }
    GengoTable.clear();
    core::LoadGengoTable();
    EXPECT_TRUE(dm->IBTransactionDEF.inTransaction());
    dm->IBTransactionDEF.rollback();
    ASSERT_EQ(GengoTable.size(), GengoTable2.size());
    EXPECT_EQ(GengoTable[0].Name, GengoTable2[0].Name);
}

TEST_F(SysDefTest, ProgramVersionIsTheNewestRowOrZeros)
{
    core::GetProgramVersion();
    EXPECT_EQ(SysDef.SysVerMajor, 12);
    EXPECT_EQ(SysDef.SysVerMinor1, 0);
    EXPECT_EQ(SysDef.SysVerMinor2, 0);
    dm->IBDatabaseDEF.disconnect();
    ScriptedMessages messages;
    core::GetProgramVersion();
    EXPECT_EQ(SysDef.SysVerMajor, 0);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(SysDefTest, SystemIniRowsStyleTextsAndLogonRow)
{
    TSystemIniRec rec;
    rec.REC = 77;
    ASSERT_TRUE(core::GetSysIni(rec));
    EXPECT_EQ(rec.RESERVE1, 0);
    EXPECT_EQ(rec.SSTR, "");
    rec.RESERVE1 = 1;
    rec.RESERVE5 = -5;
    rec.SSTR = "NAME=事務所";
    ASSERT_TRUE(core::SetSysIni(rec));
    rec.SSTR = "NAME=新事務所";
    ASSERT_TRUE(core::SetSysIni(rec));
    TSystemIniRec back;
    back.REC = 77;
    ASSERT_TRUE(core::GetSysIni(back));
    EXPECT_EQ(back.RESERVE1, 1);
    EXPECT_EQ(back.RESERVE5, -5);
    EXPECT_EQ(back.SSTR, "NAME=新事務所");

    std::string text = "x";
    core::GetStyleColorStr(kOperator, "020-仕訳入力", text);
    EXPECT_EQ(text, "");
    core::PutStyleColorStr(kOperator, "020-仕訳入力", "W=10,20");
    core::PutStyleColorStr(kOperator, "020-仕訳入力", "W=30,40");
    core::GetStyleColorStr(kOperator, "020-仕訳入力", text);
    EXPECT_EQ(text, "W=30,40");
    EXPECT_EQ(value("SELECT LINECOLOR3 FROM STYLECOLOR WHERE OPCODE=100000010"), "-1");

    exec("INSERT INTO LOGONUSERLIST (OPCODE, GROUPID, OPERATORCODE) VALUES (100000010, 10000, 10)");
    exec("INSERT INTO LOGONUSERLIST (OPCODE, GROUPID, OPERATORCODE) VALUES (100000002, 10000, 2)");
    core::DeleteLogonInfo();
    EXPECT_EQ(value("SELECT COUNT(*) FROM LOGONUSERLIST WHERE OPCODE=100000010"), "0");
    AppKind = 3; // the cash book logs on under the group's code 2
    core::DeleteLogonInfo();
    EXPECT_EQ(value("SELECT COUNT(*) FROM LOGONUSERLIST"), "0");
}

TEST_F(SysDefTest, GridFontOnlyFromAnInstalledFont)
{
    constexpr int op = 100000070;
    login(op);
    exec("UPDATE SYSDEF SET FONTNAME='IPAゴシック', FONTSIZE=11, FONTSTYLE=1, FONTCHARSET=128 WHERE OPCODE=100000070");
    core::SetFontInstalledProc([](const std::string& family) { return family == "IPAゴシック"; });
    SysDef.GridFont = TFontSpec {"Form", 9, 0, 1};
    login(op);
    EXPECT_EQ(SysDef.GridFont.Name, "IPAゴシック");
    EXPECT_EQ(SysDef.GridFont.Size, 11);
    EXPECT_EQ(SysDef.GridFont.Style, 1);
    EXPECT_EQ(SysDef.GridFont.CharSet, 128);
    core::SetFontInstalledProc([](const std::string&) { return false; });
    SysDef.GridFont = TFontSpec {"Form", 9, 0, 1};
    login(op);
    EXPECT_EQ(SysDef.GridFont.Name, "Form");
    EXPECT_EQ(SysDef.GridFont.Size, 9);
    core::SetFontInstalledProc({});
}

TEST_F(SysDefTest, FailuresOfTheSmallTablesAreReported)
{
    dm->IBDatabaseDEF.disconnect();
    ScriptedMessages messages;
    TSystemIniRec rec;
    rec.REC = 10;
    EXPECT_FALSE(core::GetSysIni(rec));
    EXPECT_FALSE(core::SetSysIni(rec));
    SysDef.JobLevel = 5;
    EXPECT_FALSE(core::SetJobControl("QzDataSenkaku", ""));
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.firstLine(0), "システム情報の取得に失敗しました。");
    EXPECT_EQ(messages.firstLine(1), "システム情報の書き込みに失敗しました。");
    EXPECT_EQ(messages.firstLine(2), "メニュー制御情報の取得に失敗しました。");
}

} // namespace
