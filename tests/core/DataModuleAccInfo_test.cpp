// Opening a data set: the open-company record filled from the sample
// companies (general and medical corporation), the tables that follow it,
// the data-password prompt and the open-company questions.

#include "accounting/OpenCompanyTables.h"
#include "accounting/uAccSikinguriCmp.h"
#include "accounting/uAccSisanhyou.h"
#include "accounting/uAccTaxCmp.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/DateTimeUtil.h"
#include "core/EasyEncode.h"
#include "core/dataset_fixture.h"
#include "core/uAccRecord.h"
#include "support/sample_root.h"
#include "support/scripted_input.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

namespace fb = platform::firebird;

TDateTime ymd(int y, int m, int d)
{
    return EncodeDate(y, m, d);
}
Currency yen(int v)
{
    return static_cast<Currency>(v) * CurrencyScale;
}

// Runs statements on the connected company database, committed at once.
void execCompany(const std::string& sql)
{
    fb::Transaction tr(&core::DM->IBDatabaseDAT);
    tr.addParam("write");
    tr.addParam("read_committed");
    tr.addParam("rec_version");
    tr.addParam("nowait");
    tr.startTransaction();
    fb::Query q(&core::DM->IBDatabaseDAT, &tr);
    q.sql().add(sql);
    q.execSQL();
    tr.commit();
}

void putAccReg(const std::string& code, const std::string& type, const std::string& text)
{
    fb::Transaction tr(&core::DM->IBDatabaseDAT);
    tr.addParam("write");
    tr.addParam("read_committed");
    tr.addParam("rec_version");
    tr.addParam("nowait");
    tr.startTransaction();
    fb::Query q(&core::DM->IBDatabaseDAT, &tr);
    q.sql().add("UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', :C, :T, :V)");
    q.paramByName("C").setString(code);
    q.paramByName("T").setString(type);
    q.paramByName("V").setString(text);
    q.execSQL();
    tr.commit();
}

// Every field the load fills, compared one by one (named on failure).
void expectSameAccInf(const TACCINF& e, const TACCINF& a)
{
#define F(x) EXPECT_EQ(e.x, a.x) << #x
#define D(x) EXPECT_NEAR(e.x, a.x, 1e-6) << #x
    F(GROUPID);
    F(ENTTEXT);
    F(SERIAL);
    F(TANTOU);
    F(GYOUSHU);
    F(DATATYPE);
    F(DataTypeName);
    F(CODETYPE);
    F(CodeTypeName);
    F(BumonCount);
    F(SCODE1);
    F(SCODE2);
    F(SKANA);
    F(SHOUGOU);
    F(POST);
    F(ADD1);
    F(ADD2);
    F(TEL);
    F(AO_ADD1);
    F(AO_ADD2);
    F(AO_KANA);
    F(AO_SIMEI);
    F(AO_GYOUSHU);
    F(AO_YAGO);
    F(AO_KANYU);
    F(AO_TEL);
    F(AO_SHOKUGYO1);
    F(AO_SHOKUGYO2);
    F(MAIL);
    D(zzKISHU);
    D(zKISHU);
    F(NENDO);
    D(KISHU);
    D(KIMATU);
    D(KAISI);
    F(SIME);
    F(KAISINO);
    F(KaisiKikanIndex);
    F(LastKikanNo);
    F(KaisiMonthCount);
    F(YearMonthCount);
    F(GENGOU_FLG);
    F(GENGOU_HOSEI);
    F(GENGOU_NAME);
    F(YAKUMEI);
    F(OLD_TAX_RATE1);
    F(OLD_TAX_RATE2);
    F(OLD_TAX_RATE3);
    F(OLD_TAX_RATE4);
    F(OLD_TAX_RATE5);
    F(NEW_TAX_RATE1);
    F(NEW_TAX_RATE2);
    F(NEW_TAX_RATE3);
    F(NEW_TAX_RATE4);
    F(NEW_TAX_RATE5);
    D(CHG_DAYS1);
    D(CHG_DAYS2);
    D(CHG_DAYS3);
    D(CHG_DAYS4);
    D(CHG_DAYS5);
    D(KANSA_FIXDATE);
    D(KANSA_DATE);
    F(CALCU);
    F(TAXU_HASUU);
    F(TAXH_HASUU);
    F(TAXDEFUH);
    F(TAXKANNI);
    F(TAXJIGYOU);
    F(GENKAPRINT);
    F(KANSA_LOCK);
    F(TEGATADICSW);
    F(KESSAN_KIKAN);
    F(CASHFLOW_KIKAN1);
    F(CASHFLOW_KIKAN2);
    F(CASHFLOWSW);
    F(SDAI_HASUU1);
    F(SDAI_HASUU2);
    F(SDAI_HASUU3);
    F(CONVERT);
    F(SHOUHYOU);
    F(SITEN);
    F(BUMON);
    F(DATALOCK);
    F(GENKA_USE);
    F(GENKA_HWORD);
    F(PlusName5880);
    F(PlusName5580);
    F(PlusName5680);
    F(PlusName5780);
    F(PlusName5790);
    F(PASWORD);
    F(WEB_HOLDER);
    F(TusinPassword);
    F(TusinHolder);
    F(SysKCode);
    F(SysUserCode);
    F(FUMEI_KCODE);
    F(FumeiUserCode);
    F(DataKind);
    F(KakoMeisai);
    F(GassanKbn);
    F(GassanCount);
    F(KamokuDigits);
    F(HojoDigits);
    F(BumonDigits);
    F(IkkatuZeinuki);
    F(DataPassword);
    F(PrintKikanUse);
    D(PrintKikanFrom);
    D(PrintKikanTo);
    F(TegataKCode);
    F(TegataUserCode);
    F(KurikosiTax);
    F(KURIKOSI1);
    F(KURIKOSI2);
    F(GENKA_HWORD6);
    F(PlusName5688);
    F(DataVerMajor);
    F(DataVerMinor1);
    F(DataVerMinor2);
    F(KobetuGenkaUse);
    F(KobetuGenkaName);
    F(KobetuGenkaDigits);
    F(MyNumberUse);
    F(MyNumberKey);
    F(MyNumberValue);
    F(CloudKbn);
    F(CLOUD_LINE);
    D(CLOUD_TIME);
    F(TaxRateUse);
    F(READ_ONLY);
    F(DataPasswordInvalid);
#undef F
#undef D
}

TACCINF expectedGeneral()
{
    TACCINF a;
    a.GROUPID = 10000;
    a.ENTTEXT = "㈱トルバン商事";
    a.SERIAL = "S0001";
    a.TANTOU = 1;
    a.GYOUSHU = 52;
    a.DATATYPE = 1;
    a.DataTypeName = "法人";
    a.CODETYPE = 1;
    a.BumonCount = 3;
    a.SCODE1 = "000001";
    a.SKANA = "ｶﾌﾞｼｷｶﾞｲｼｬ ﾄﾙﾊﾞﾝｼｮｳｼﾞ";
    a.SHOUGOU = "㈱トルバン商事";
    a.POST = "100-0005";
    a.ADD1 = "東京都千代田区丸の内１－２－３";
    a.ADD2 = "髙橋ビル５Ｆ";
    a.TEL = "03-0000-1234";
    a.MAIL = "info@example.jp";
    a.zzKISHU = ymd(2022, 4, 1);
    a.zKISHU = ymd(2023, 4, 1);
    a.NENDO = 10;
    a.KISHU = ymd(2024, 4, 1);
    a.KIMATU = ymd(2025, 3, 31);
    a.KAISI = ymd(2024, 4, 1);
    a.SIME = 99;
    a.KAISINO = 1;
    a.KaisiKikanIndex = 0;
    a.LastKikanNo = 15;
    a.KaisiMonthCount = 0;
    a.YearMonthCount = 11;
    a.YAKUMEI = {"代表取締役", "", ""};
    a.OLD_TAX_RATE1 = yen(8);
    a.NEW_TAX_RATE1 = yen(10);
    a.NEW_TAX_RATE2 = yen(8);
    a.CHG_DAYS1 = ymd(2019, 10, 1);
    a.SITEN = 1;
    a.BUMON = 1;
    // Total lines of the general layout (the trial-balance sample's).
    a.PlusName5580 = "材料費";
    a.PlusName5680 = "労務費";
    a.PlusName5688 = "外注費";
    a.PlusName5780 = "製造経費";
    a.PlusName5790 = "当期製品製造原価";
    a.PlusName5880 = "売上総利益";
    a.SysKCode = {"1111", "1511", "2511", "9111", "3311", "", "", "", "", "", "", ""};
    a.SysUserCode = {"111", "511", "651", "999", "731", "", "", "", "", "", "", ""};
    a.FUMEI_KCODE = "9111";
    a.FumeiUserCode = "999";
    a.DataKind = 0;
    a.KamokuDigits = 4;
    a.HojoDigits = 2;
    a.BumonDigits = 2;
    a.DataVerMajor = 13;
    a.KobetuGenkaName = "個別原価";
    a.TaxRateUse = {0, 0, 1, 1, 1};
    return a;
}

TACCINF expectedMedical()
{
    TACCINF a;
    a.GROUPID = 10000;
    a.ENTTEXT = "医療法人社団ミルザ会";
    a.SERIAL = "M0002";
    a.TANTOU = 2;
    a.GYOUSHU = 83;
    a.DATATYPE = 3;
    a.DataTypeName = "医療法人";
    a.CODETYPE = 1;
    a.BumonCount = 2;
    a.SCODE1 = "000002";
    a.SCODE2 = "M02";
    a.SKANA = "ｲﾘｮｳﾎｳｼﾞﾝｼｬﾀﾞﾝ ﾐﾙｻﾞｶｲ";
    a.SHOUGOU = "医療法人社団ミルザ会";
    a.POST = "060-0001";
    a.ADD1 = "北海道札幌市中央区北一条西２－１";
    a.ADD2 = "ミルザ会館３階";
    a.TEL = "011-000-5678";
    a.AO_ADD1 = "札幌市北区";
    a.AO_ADD2 = "北二条";
    a.AO_KANA = "ﾐﾙｻﾞ ﾀﾛｳ";
    a.AO_SIMEI = "見留座　太郎";
    a.AO_GYOUSHU = "医業";
    a.AO_YAGO = "ミルザ病院";
    a.AO_KANYU = "札幌医師会";
    a.AO_TEL = "011-000-9999";
    a.AO_SHOKUGYO1 = "理事長";
    a.AO_SHOKUGYO2 = "医師";
    a.MAIL = "office@example.jp";
    a.zzKISHU = ymd(2022, 1, 1);
    a.zKISHU = ymd(2023, 1, 1);
    a.NENDO = 5;
    a.KISHU = ymd(2024, 1, 1);
    a.KIMATU = ymd(2024, 12, 31);
    a.KAISI = ymd(2024, 7, 1);
    a.SIME = 99;
    a.KAISINO = 7;
    a.KaisiKikanIndex = 8;
    a.LastKikanNo = 15;
    a.KaisiMonthCount = 6;
    a.YearMonthCount = 11;
    a.GENGOU_FLG = 1;
    a.GENGOU_HOSEI = 2;
    a.GENGOU_NAME = "令和";
    a.YAKUMEI = {"理事長", "常務理事", "監事"};
    a.OLD_TAX_RATE1 = yen(3);
    a.OLD_TAX_RATE2 = yen(5);
    a.OLD_TAX_RATE3 = yen(8);
    a.OLD_TAX_RATE4 = yen(8);
    a.OLD_TAX_RATE5 = yen(10);
    a.NEW_TAX_RATE1 = yen(5);
    a.NEW_TAX_RATE2 = yen(8);
    a.NEW_TAX_RATE3 = yen(10);
    a.NEW_TAX_RATE4 = yen(10);
    a.NEW_TAX_RATE5 = yen(10);
    a.CHG_DAYS1 = ymd(1989, 4, 1);
    a.CHG_DAYS2 = ymd(1997, 4, 1);
    a.CHG_DAYS3 = ymd(2014, 4, 1);
    a.CHG_DAYS4 = ymd(2019, 10, 1);
    a.CHG_DAYS5 = ymd(2019, 10, 1);
    a.KANSA_FIXDATE = ymd(2025, 2, 28);
    a.KANSA_DATE = ymd(2025, 3, 15);
    a.CALCU = 1;
    a.TAXU_HASUU = 1;
    a.TAXH_HASUU = 2;
    a.TAXDEFUH = 1;
    a.TAXJIGYOU = 4;
    a.GENKAPRINT = 1;
    a.KESSAN_KIKAN = 1;
    a.CASHFLOW_KIKAN1 = 3;
    a.CASHFLOW_KIKAN2 = 4;
    a.CASHFLOWSW = 1;
    a.SDAI_HASUU1 = 1;
    a.SDAI_HASUU2 = 2;
    a.SDAI_HASUU3 = 2;
    a.SITEN = 1;
    a.BUMON = 1;
    a.GENKA_USE = 1;
    a.GENKA_HWORD = {"材料費", "労務費", "経費", "委託費", "設備費"};
    a.GENKA_HWORD6 = "研究費";
    a.PlusName5580 = "医業利益";
    a.PlusName5680 = "事業利益";
    a.PlusName5688 = "事業外損益";
    a.PlusName5780 = "経常利益";
    a.PlusName5790 = "税引前当期純利益";
    a.PlusName5880 = "当期純利益";
    a.PASWORD = "TUSIN0";
    a.WEB_HOLDER = "WEBHOLDER2";
    a.TusinHolder = {"WEBHOLDER2", "TUSINHOLDER1", "", "", "", ""};
    a.TusinPassword = {"TUSIN0", "tusinpw1", "", "", "", ""};
    // Index 4 is the medical carry-forward account, 8-11 the personnel ones.
    a.SysKCode = {"1111", "1511", "2511", "9111", "3311", "", "", "", "6111", "6112", "6113", "6114"};
    a.SysUserCode = {"111", "511", "651", "999", "731", "", "", "", "931", "932", "933", "934"};
    a.FUMEI_KCODE = "9111";
    a.FumeiUserCode = "999";
    a.DataKind = 1;
    a.KakoMeisai = 1;
    a.KamokuDigits = 4;
    a.HojoDigits = 3;
    a.BumonDigits = 2;
    a.IkkatuZeinuki = 0; // stored 1: this program takes the tax mode from its caller
    a.PrintKikanUse = 1;
    a.PrintKikanFrom = ymd(2024, 1, 1);
    a.PrintKikanTo = ymd(2024, 6, 30);
    a.KurikosiTax = 1;
    a.KURIKOSI1 = 0;
    a.KURIKOSI2 = 1;
    a.DataVerMajor = 13;
    a.KobetuGenkaUse = 1;
    a.KobetuGenkaName = "施設別原価";
    a.KobetuGenkaDigits = 1;
    a.CloudKbn = 1;
    a.CLOUD_LINE = 1;
    a.CLOUD_TIME = ymd(2024, 6, 30) + EncodeTime(18, 30, 0, 0);
    a.TaxRateUse = {0, 1, 0, 1, 1};
    return a;
}

// A data module on the suite's sample root, logged on as the sample
// operator, with the accounting tables installed.
class OpenCompanyBase : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        ResetProcessState();
        InstallOpenCompanyTables();
        const auto& info = root().info();
        SysDef.SysDir = info.sysDir;
        SysDef.WorkDir = info.tempDir;
        SysDef.LogDir = info.logDir;
        SysDef.DBUser = "TOLVAN";
        SysDef.DBPassword = "vulmok";
        SysDef.GroupID = info.groupId;
        SysDef.OpCode = info.groupId * 10000 + info.operatorCode;
        SysDef.JobLevel = 9;
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
    }
    void TearDown() override
    {
        dm.reset();
        core::SetOpenCompanyTables({});
        ResetProcessState();
    }

    const sample::SampleCompany& company(int rec) const
    {
        for (const auto& c : root().info().companies)
            if (c.rec == rec)
                return c;
        throw std::runtime_error("no sample company " + std::to_string(rec));
    }

    // Connects the company and loads it; messages shown on the way fail the
    // test.
    void open(int rec)
    {
        ScriptedMessages messages;
        ASSERT_TRUE(dm->fnAccDatConnected("", company(rec).folder, 0));
        ASSERT_TRUE(core::fnGetAccInfo());
        ASSERT_EQ(messages.count(), 0u) << messages.firstLine(0);
    }

    void connect(int rec) { ASSERT_TRUE(dm->fnAccDatConnected("", company(rec).folder, 0)); }

    std::unique_ptr<core::TDM> dm;
};

class OpenCompany : public OpenCompanyBase { };

TEST_F(OpenCompany, GeneralCompanyFillsTheRecordFromTheSample)
{
    open(1);
    expectSameAccInf(expectedGeneral(), AccInf);
    EXPECT_EQ(ReadOnlyData, 0);
}

TEST_F(OpenCompany, MedicalCompanyFillsTheRecordFromTheSample)
{
    open(2);
    expectSameAccInf(expectedMedical(), AccInf);
}

TEST_F(OpenCompany, TheLayoutTablesFollowTheDataKind)
{
    // Values the export reads from the layout table: general vs medical.
    open(2);
    EXPECT_EQ(AccInf.DataKind, 1);
    EXPECT_EQ(SikinguriTable.size(), 38u);
    EXPECT_EQ(SummaryRowTable, MedicalSummaryRows());
    open(1);
    EXPECT_EQ(AccInf.DataKind, 0);
    EXPECT_EQ(SikinguriTable.size(), 39u);
    EXPECT_EQ(SummaryRowTable, GeneralSummaryRows());
}

TEST_F(OpenCompany, OpeningAnotherCompanyLeavesNothingOfTheFirst)
{
    open(2);
    open(1);
    expectSameAccInf(expectedGeneral(), AccInf);
}

TEST_F(OpenCompany, TaxRatesAnswerTheRateInForceAcrossTheChanges)
{
    open(1);
    // rate number 0 asks for the standard rate in force on the date
    struct Case {
        int asked;
        TDateTime date;
        int rateNo;
    };
    const Case cases[] = {
        {0, ymd(1989, 3, 31), 0}, // before consumption tax: nothing older in the table
        {0, ymd(1989, 4, 1), 1},
        {0, ymd(1997, 3, 31), 1},
        {0, ymd(1997, 4, 1), 2},
        {0, ymd(2014, 3, 31), 2},
        {0, ymd(2014, 4, 1), 3},
        {0, ymd(2019, 9, 30), 3},
        {0, ymd(2019, 10, 1), 0},
        {4, ymd(2010, 1, 1), 4},
        {3, ymd(2020, 1, 1), 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetZeiRituNo(c.asked, c.date), c.rateNo) << FormatDateTime("yyyy/mm/dd", c.date);
    EXPECT_EQ(GetZeiRitu(0, ymd(2024, 4, 1)), yen(10));
    EXPECT_EQ(GetZeiRitu(4, ymd(2024, 4, 1)), yen(8));
    EXPECT_EQ(GetZeiRitu(2, ymd(2024, 4, 1)), yen(5));
}

TEST_F(OpenCompany, RoundingModesOfTheOpenCompanyHoldForNegativeAmounts)
{
    open(2); // TAXU_HASUU 1 (round), TAXH_HASUU 2 (up); the general sample truncates (0)
    struct Case {
        int mode;
        Currency amount;
        Currency rounded;
    };
    const Case cases[] = {
        {AccInf.TAXU_HASUU, -12345000, -12350000},
        {AccInf.TAXU_HASUU, -12344999, -12340000},
        {AccInf.TAXH_HASUU, -12340001, -12350000},
        {AccInf.TAXH_HASUU, 12340001, 12350000},
        {0, -12349999, -12340000},
        {0, 12349999, 12340000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasuSyori(c.mode, c.amount), c.rounded) << "mode " << c.mode << " amount " << c.amount;
}

TEST_F(OpenCompany, DefaultBranchByRightsAndDataKind)
{
    std::string name;
    // All rights, general data with branches: the lowest branch code.
    open(1);
    core::GetOpeDefSisetu(name);
    EXPECT_EQ(SysDef.DefSisetuCode, "01");
    EXPECT_EQ(SysDef.SisetuCode, "01");
    EXPECT_EQ(SysDef.JigyoKbn, 1);
    EXPECT_EQ(SysDef.SisetuColor, 16777215);
    EXPECT_EQ(name, "本店");
    EXPECT_TRUE(core::fnGetExistsOpeDefSisetu());

    // All rights, medical: the lowest facility other than the head office.
    open(2);
    core::GetOpeDefSisetu(name);
    EXPECT_EQ(SysDef.DefSisetuCode, "01");
    EXPECT_EQ(SysDef.JigyoKbn, 2);
    EXPECT_EQ(SysDef.SisetuColor, 12632256);
    EXPECT_EQ(name, "ミルザ病院");

    // Per-data rights: the operator's own default facility ("abc" is no colour).
    SysDef.JobLevel = 5;
    SysDef.AllDataRight = 0;
    ASSERT_FALSE(core::IsAllDataKengen());
    core::GetOpeDefSisetu(name);
    EXPECT_EQ(SysDef.DefSisetuCode, "02");
    EXPECT_EQ(SysDef.JigyoKbn, 4);
    EXPECT_EQ(SysDef.SisetuColor, 0xFFAF80);
    EXPECT_EQ(name, "ミルザ老健");
    EXPECT_TRUE(core::fnGetExistsOpeDefSisetu());

    // An operator without a default facility falls back to the head office.
    SysDef.OpCode = 100000077;
    core::GetOpeDefSisetu(name);
    EXPECT_EQ(SysDef.DefSisetuCode, "00");
    EXPECT_EQ(name, "法人本部");
    EXPECT_FALSE(core::fnGetExistsOpeDefSisetu());
}

TEST_F(OpenCompany, DatabaseVersionAndTotalNames)
{
    connect(1);
    std::string version;
    core::fnGetDataBaseVer(version);
    EXPECT_EQ(version, "13.0.0");
    EXPECT_EQ(core::fnGetAccTotalName("5880", "MINUSNAME"), "売上総損失");
    EXPECT_EQ(core::fnGetAccTotalName("9999", "PLUSNAME"), "");

    // Only a column name may stand for the column.
    ScriptedMessages messages;
    EXPECT_EQ(core::fnGetAccTotalName("5580", "PLUSNAME FROM ACCTOTALNAME UNION SELECT PASWORD"), "");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "集計名称の取得に失敗しました。");
}

TEST_F(OpenCompany, LoadWithoutTheAccountingTablesFailsLoudly)
{
    connect(1);
    core::SetOpenCompanyTables({});
    ScriptedMessages messages;
    EXPECT_FALSE(core::fnGetAccInfo());
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "基本情報の取得に失敗しました。");
}

// --- tests that change the sample data (a root of their own) -----------------

class OpenCompanyChanged : public OpenCompanyBase {
protected:
    // These tests change the company databases (dropped columns, written
    // passwords): each starts from a root of its own, so none sees
    // another's changes whatever the order.
    void SetUp() override
    {
        TearDownTestSuite();
        SetUpTestSuite();
        OpenCompanyBase::SetUp();
    }
    void setV2Password(const std::string& plain) { dataset_fixture::setDataPassword(plain); }
};

TEST_F(OpenCompanyChanged, MissingOptionalColumnsTakeEmptyValuesNotThePreviousDataSets)
{
    connect(1);
    for (const char* column : {"KESSAN_KIKAN", "CASHFLOW_KIKAN1", "CASHFLOW_KIKAN2", "SDAI_HASUU3", "GENKA_HWORD6",
             "WEB_HOLDER", "KURIKOSI1", "KURIKOSI2", "CLOUD_LINE", "CLOUD_TIME", "READ_ONLY"})
        execCompany(std::string("ALTER TABLE ACCDEF1 DROP ") + column);
    execCompany("UPDATE ACCDEF1 SET TAXDEFUH = 1");
    open(2);
    ASSERT_EQ(AccInf.KESSAN_KIKAN, 1);
    open(1);
    TACCINF e = expectedGeneral();
    e.TAXDEFUH = 1;
    e.KurikosiTax = 1;
    e.KURIKOSI1 = 1; // a missing carry-over column takes TAXDEFUH
    e.KURIKOSI2 = 1;
    expectSameAccInf(e, AccInf);
}

TEST_F(OpenCompanyChanged, ADamagedCompanyShowsOneBoxForTheFailedLoad)
{
    connect(1);
    // The total-line names and the system accounts cannot be read.
    execCompany("ALTER TABLE ACCTOTALNAME DROP PLUSNAME");
    {
        ScriptedMessages messages;
        EXPECT_FALSE(core::fnGetAccInfo());
        ASSERT_EQ(messages.count(), 1u) << messages.firstLine(0) << " / " << messages.firstLine(1);
        EXPECT_EQ(messages.firstLine(0), "基本情報の取得に失敗しました。");
    }
    // On its own the total-line name read still reports its own failure.
    ScriptedMessages messages;
    EXPECT_EQ(core::fnGetAccTotalName("5880", "PLUSNAME"), "");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "集計名称の取得に失敗しました。");
}

TEST_F(OpenCompanyChanged, ReadOnlyMarkOfTheDataSet)
{
    connect(2);
    execCompany("UPDATE ACCDEF1 SET READ_ONLY = 1");
    open(2);
    EXPECT_EQ(AccInf.READ_ONLY, 1);
    EXPECT_EQ(ReadOnlyData, 1);
    execCompany("UPDATE ACCDEF1 SET READ_ONLY = 0");
    AppKind = 2;
    open(2);
    EXPECT_EQ(ReadOnlyData, 1);
    AppKind = 0;
    open(2);
    EXPECT_EQ(ReadOnlyData, 0);
}

TEST_F(OpenCompanyChanged, UnknownDataAndCodeTypesFailWithTheirValue)
{
    struct Case {
        int dataType;
        int codeType;
        const char* detail;
    };
    const Case cases[] = {
        {4, 1, "このプログラムでは、該当のデータタイプを処理することが出来ません。(DataType=4)"},
        {1, 2, "このプログラムでは、該当のデータタイプを処理することが出来ません。(CodeType=2)"},
        {3, 2, "このプログラムでは、該当のコードタイプを処理することが出来ません。(CodeType=2)"},
        {1, 0, "このプログラムでは、該当のデータタイプを処理することが出来ません。(CodeType=0)"},
    };
    connect(2);
    for (const auto& c : cases) {
        execCompany("UPDATE ACCDEF1 SET DATATYPE = " + std::to_string(c.dataType)
            + ", CODETYPE = " + std::to_string(c.codeType));
        ScriptedMessages messages;
        EXPECT_FALSE(core::fnGetAccInfo());
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.shown()[0].lines[0].text, "基本情報の取得に失敗しました。");
        bool found = false;
        for (const auto& line : messages.shown()[0].lines)
            found = found || line.text.find(c.detail) != std::string::npos;
        EXPECT_TRUE(found) << c.detail;
    }
    execCompany("UPDATE ACCDEF1 SET DATATYPE = 3, CODETYPE = 1");
}

TEST_F(OpenCompanyChanged, MedicalDataWithoutFacilitiesIsReportedAsDamaged)
{
    connect(2);
    execCompany("UPDATE ACCDEF1 SET SITEN = 0");
    open(2);
    std::string name = "x";
    ScriptedMessages messages;
    core::GetOpeDefSisetu(name);
    execCompany("UPDATE ACCDEF1 SET SITEN = 1");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "通常使用するデータ（本・支店）の取得に失敗しました。");
    EXPECT_NE(core::messageAsText(messages.shown()[0]).find("施設管理がおこなわれていません"), std::string::npos);
    EXPECT_EQ(name, "");
}

TEST_F(OpenCompanyChanged, DataPasswordAcceptsBlanksAroundButNotAnotherCase)
{
    connect(1);
    setV2Password("abc123");
    open(1);
    ASSERT_EQ(AccInf.DataPassword, "abc123");
    {
        ScriptedInput input({{modal::Ok, "  abc123　"}});
        EXPECT_TRUE(core::CheckDataPassword());
        ASSERT_EQ(input.count(), 1u);
        const auto& r = input.shown()[0];
        EXPECT_EQ(r.caption, "パスワードの確認");
        EXPECT_EQ(r.prompt, "パスワードを入力して下さい。");
        EXPECT_EQ(r.inputKind, inputkind::Password);
        EXPECT_EQ(r.maxLength, 8);
        EXPECT_EQ(r.keyFilter, inputfilter::LettersDigits);
        EXPECT_EQ(r.promptColour, 0u);
    }
    {
        ScriptedInput input({{modal::Ok, "ABC123"}, {modal::Ok, "Abc123"}, {modal::Ok, "abc123"}});
        EXPECT_TRUE(core::CheckDataPassword()); // the third try is still allowed
        ASSERT_EQ(input.count(), 3u);
        EXPECT_EQ(input.shown()[1].prompt, "正しいパスワードを入力して下さい。");
        EXPECT_EQ(input.shown()[1].promptColour, 0x0000FFu);
        EXPECT_EQ(input.shown()[1].text, "");
    }
    {
        ScriptedInput input({{modal::Ok, "x"}, {modal::Ok, "y"}, {modal::Ok, "z"}, {modal::Ok, "abc123"}});
        EXPECT_FALSE(core::CheckDataPassword());
        EXPECT_EQ(input.count(), 3u);
        EXPECT_EQ(input.pending(), 1u);
    }
    {
        ScriptedInput input({{modal::Cancel, ""}, {modal::Ok, "abc123"}});
        EXPECT_FALSE(core::CheckDataPassword());
        EXPECT_EQ(input.count(), 1u);
    }
    {
        AppKind = 3; // the cash book does not use data passwords
        ScriptedInput input({});
        EXPECT_TRUE(core::CheckDataPassword());
        EXPECT_EQ(input.count(), 0u);
        AppKind = 0;
    }
    putAccReg("データパスワードV2", "文字", "");
}

TEST_F(OpenCompanyChanged, OldDataSetsUseThePlainPassword)
{
    connect(1);
    putAccReg("データパスワード", "文字", " old6 ");
    setV2Password("new13");
    open(1);
    EXPECT_EQ(AccInf.DataPassword, "new13");
    execCompany("UPDATE ACCVERSION SET MAJOR = 6");
    open(1);
    EXPECT_EQ(AccInf.DataPassword, "old6");
    execCompany("UPDATE ACCVERSION SET MAJOR = 13");
    putAccReg("データパスワード", "文字", "");
    putAccReg("データパスワードV2", "文字", "");
    open(1);
    EXPECT_EQ(AccInf.DataPassword, "");
    ScriptedInput input({});
    EXPECT_TRUE(core::CheckDataPassword());
    EXPECT_EQ(input.count(), 0u);
}

TEST_F(OpenCompanyChanged, AStoredPasswordThatCannotBeUnscrambledRefusesTheDataSet)
{
    connect(1);
    for (const std::string stored : {"ab#$%", "ABCDEFGHIJK"}) {
        putAccReg("データパスワードV2", "文字", stored);
        open(1);
        EXPECT_EQ(AccInf.DataPasswordInvalid, 1) << stored;
        ScriptedInput input({{modal::Ok, ""}});
        ScriptedMessages messages;
        EXPECT_FALSE(core::CheckDataPassword()) << stored;
        EXPECT_EQ(input.count(), 0u);
        EXPECT_EQ(messages.count(), 1u);
    }
    putAccReg("データパスワードV2", "文字", "");
    open(1);
    EXPECT_EQ(AccInf.DataPasswordInvalid, 0);
}

TEST_F(OpenCompanyChanged, SystemAccountsByDataType)
{
    connect(1);
    execCompany("INSERT INTO ACCDEF2 (KNAME, KCODE) VALUES ('受取手形', '1211')");
    execCompany("INSERT INTO ACCDEF2 (KNAME, KCODE) VALUES ('事業主貸', '1121')");
    execCompany("INSERT INTO ACCDEF2 (KNAME, KCODE) VALUES ('元入金', '3111')");
    open(1);
    EXPECT_EQ(AccInf.TegataKCode, (std::array<std::string, 3> {"1211", "", ""}));
    EXPECT_EQ(AccInf.TegataUserCode, (std::array<std::string, 3> {"211", "", ""}));
    EXPECT_EQ(AccInf.SysKCode[5], ""); // owner's accounts only for individuals
    EXPECT_EQ(AccInf.SysKCode[8], ""); // 給料 is in ACCDEF2, but only medical data read it

    // An individual (code type 3, clinic): the owner's accounts, no notes.
    execCompany("UPDATE ACCDEF1 SET DATATYPE = 2, CODETYPE = 3");
    open(1);
    EXPECT_EQ(AccInf.DataTypeName, "個人");
    EXPECT_EQ(AccInf.CodeTypeName, "クリニック");
    EXPECT_EQ(AccInf.DataKind, 0);
    EXPECT_EQ(AccInf.TegataKCode, (std::array<std::string, 3> {}));
    EXPECT_EQ(AccInf.SysKCode[5], "1121");
    EXPECT_EQ(AccInf.SysUserCode[5], "121");
    EXPECT_EQ(AccInf.SysKCode[6], "");
    EXPECT_EQ(AccInf.SysKCode[7], "3111");
    EXPECT_EQ(AccInf.SysKCode[8], "");
    EXPECT_EQ(AccInf.SysKCode[4], "3311");
    execCompany("UPDATE ACCDEF1 SET DATATYPE = 1, CODETYPE = 1");
    execCompany("DELETE FROM ACCDEF2 WHERE KNAME IN ('受取手形', '事業主貸', '元入金')");
}

TEST_F(OpenCompanyChanged, MissingSettingsRowsAreCreatedWithTheirDefaults)
{
    connect(1);
    execCompany("DELETE FROM ACCREG WHERE ACODE IN ('個別原価別名', '使用税率8%', 'クラウド区分')");
    open(1);
    fb::Transaction tr(&core::DM->IBDatabaseDAT);
    tr.startTransaction();
    fb::Query q(&core::DM->IBDatabaseDAT, &tr);
    q.sql().add("SELECT AGROUP, ATYPE, ATEXT FROM ACCREG WHERE ACODE = :C");
    struct Case {
        const char* code;
        const char* group;
        const char* type;
        const char* text;
    };
    const Case cases[] = {
        {"個別原価別名", "基本設定", "文字", "個別原価"},
        {"使用税率8%", "基本設定", "論理", "TRUE"},
        {"クラウド区分", "通信設定", "整数", "0"},
        {"250%定率法で償却する経過措置", "減価償却設定", "整数", "0"},
        {"データパスワードV2", "基本設定", "文字", ""},
    };
    for (const auto& c : cases) {
        q.paramByName("C").setString(c.code);
        q.open();
        ASSERT_FALSE(q.eof()) << c.code;
        EXPECT_EQ(q.fieldByName("AGROUP").asString(), c.group) << c.code;
        EXPECT_EQ(q.fieldByName("ATYPE").asString(), c.type) << c.code;
        EXPECT_EQ(q.fieldByName("ATEXT").asString(), c.text) << c.code;
        q.close();
    }
    tr.commit();
}

TEST(OpenCompanyEmptyMaster, AnEmptyCompanyMasterFailsWithTheMissingRowMessage)
{
    ResetProcessState();
    InstallOpenCompanyTables();
    test_support::TempDir dir;
    const std::string folder = dir.makeDir("DATA/0009");
    // The schema without its rows: ACCDEF1 is empty.
    test_support::databaseFromScripts(folder + "/" + DataFile, {"company_010_schema.sql"});
    SysDef.DBUser = "SYSDBA";
    core::TDM dm;
    core::DM = &dm;
    ASSERT_TRUE(dm.fnAccDatConnected("", folder, 0));
    ScriptedMessages messages;
    EXPECT_FALSE(core::fnGetAccInfo());
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_NE(core::messageAsText(messages.shown()[0]).find("基本設定(ACCDEF1)のレコードが見つかりませんでした。"),
        std::string::npos);
    EXPECT_FALSE(dm.IBTransactionDAT.inTransaction());
    core::SetOpenCompanyTables({});
    ResetProcessState();
}

// --- rules without a database ---------------------------------------------------

TEST(OpenCompanyRules, DataAndCodeTypeNames)
{
    EXPECT_EQ(core::GetDataTypeName(1), "法人");
    EXPECT_EQ(core::GetDataTypeName(2), "個人");
    EXPECT_EQ(core::GetDataTypeName(3), "医療法人");
    EXPECT_THROW(core::GetDataTypeName(0), core::EAccInfoError);
    EXPECT_EQ(core::GetCodeTypeName(2, 3, false), "クリニック");
    EXPECT_EQ(core::GetCodeTypeName(2, 4, true), "個人／農業");
    EXPECT_EQ(core::GetCodeTypeName(3, 1, true), "医療法人");
    EXPECT_EQ(core::GetCodeTypeName(1, 1, true), "法人");
    EXPECT_THROW(core::GetCodeTypeName(2, 5, false), core::EAccInfoError);
    try {
        core::GetCodeTypeName(1, 2, false);
        FAIL();
    } catch (const core::EAccInfoError& e) {
        EXPECT_STREQ(e.what(), "このプログラムでは、該当のデータタイプを処理することが出来ません。(CodeType=2)");
    }
}

TEST(OpenCompanyRules, SplitDataPath)
{
    struct Case {
        const char* path;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"/c/Data/123/2", "123", "2"},
        {"/c/CB_DATA/7", "7", ""},
        {"/home/x/data/0001/", "0001", ""},
        {"/home/x/my data/0001", "", ""}, // blanks go first: "mydata" is no data folder
        {"/srv/DATA/ 12 /3", "12", "3"},
        {"/srv/nothing/here", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        std::string a = "x", b = "y";
        core::SplitDataPath(c.path, a, b);
        EXPECT_EQ(a, c.first) << c.path;
        EXPECT_EQ(b, c.second) << c.path;
    }
}

TEST(OpenCompanyRules, NameValuesAndBranchColours)
{
    const std::string x = "NOTE=a=b\r\ncolor=255\nEMPTY=";
    EXPECT_EQ(core::GetNameValue(x, "note"), "a=b");
    EXPECT_EQ(core::GetNameValue(x, "COLOR"), "255");
    EXPECT_EQ(core::GetNameValue(x, "MISSING"), "");
    EXPECT_EQ(core::GetXstrValue(x, "color").asInteger(), 255);
    EXPECT_EQ(core::GetXstrValue(x, "note").asString(), "a=b");
    for (const char* bad : {"COLOR=0", "COLOR=-5", "COLOR=abc", "COLOR=", ""})
        EXPECT_EQ(core::GetXstrValue(bad, "COLOR").asInteger(), 0xFFAF80) << bad;
}

TEST(OpenCompanyRules, SwitchesOfTheEditionAndMode)
{
    ResetProcessState();
    struct Case {
        int dist;
        int app;
        int mode;
        int flag;
        bool enabled;
    };
    const Case cases[] = {
        {0, 0, 0, 0, true},
        {0, 0, 1, 1, true},
        {0, 2, 0, 0, true},
        {0, 2, 0, 1, false},
        {1, 0, 0, 0, false},
        {0, 0, 2, 0, false},
        {0, 1, 0, 0, false},
        {0, 3, 0, 0, false},
    };
    for (const auto& c : cases) {
        DistKind = static_cast<std::uint8_t>(c.dist);
        AppKind = static_cast<std::uint8_t>(c.app);
        ConnectMode = static_cast<std::uint8_t>(c.mode);
        EXPECT_EQ(core::IsCloudShareEnabled(static_cast<std::uint8_t>(c.flag)), c.enabled)
            << c.dist << "/" << c.app << "/" << c.mode << "/" << c.flag;
    }
    ResetProcessState();
    EXPECT_EQ(core::GetCalcTaxMode(1, 0), 1);
    EXPECT_EQ(core::GetDispTaxMode(0, 1), 0);
    SysDef.JobLevel = 9;
    EXPECT_TRUE(core::IsAllDataKengen());
    SysDef.JobLevel = 5;
    EXPECT_FALSE(core::IsAllDataKengen());
    SysDef.IsAdmin = 1;
    EXPECT_TRUE(core::IsAllDataKengen());
    ResetProcessState();
}

} // namespace
