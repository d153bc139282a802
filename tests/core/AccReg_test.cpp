#include "core/AccReg.h"

#include "DataModule_fixture.h"
#include "platform/codec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace core;

namespace {

class AccRegTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 0)); }

    // The stored row as text: "ATYPE|ATEXT", "" when there is none.
    std::string storedRow(const std::string& group, const std::string& code)
    {
        auto q = CreateAccQuery("ACCDAT", false);
        TOwnTransaction tr(fx.dm->IBTransactionDAT);
        q->sql().add("SELECT ATYPE,ATEXT FROM ACCREG WHERE AGROUP=:G AND ACODE=:C");
        q->paramByName("G").setString(group);
        q->paramByName("C").setString(code);
        q->open();
        std::string r;
        if (!q->eof())
            r = q->fieldByName("ATYPE").asString() + "|"
                + (q->fieldByName("ATEXT").isNull() ? std::string("<null>") : q->fieldByName("ATEXT").asString());
        q->close();
        tr.commit();
        return r;
    }

    dm_fixture::Fixture fx;
};

} // namespace

TEST_F(AccRegTest, EveryTypeRoundTripsThroughItsStoredText)
{
    struct Case {
        const char* type;
        TRegValue value;
        const char* stored;
        TRegValue readBack;
    };
    const TDateTime d = EncodeRegDate(2025, 3, 31);
    const Case cases[] = {
        {"文字", TRegValue::text("個別原価①"), "個別原価①", TRegValue::text("個別原価①")},
        {"論理", TRegValue::boolean(true), "TRUE", TRegValue::boolean(true)},
        {"論理", TRegValue::boolean(false), "FALSE", TRegValue::boolean(false)},
        {"日付", TRegValue::date(d), "2025/03/31", TRegValue::date(d)},
        {"日付", TRegValue::date(0), "", TRegValue::date(0)},
        {"整数", TRegValue::integer(-42), "-42", TRegValue::integer(-42)},
        {"金額", TRegValue::currency(-12345678), "-1234.5678", TRegValue::currency(-12345678)},
        {"金額", TRegValue::currency(1000000), "100", TRegValue::currency(1000000)},
        {"実数", TRegValue::real(0.1), "0.1", TRegValue::real(0.1)},
        {"日時", TRegValue::date(d + 0.5), "2025/03/31 12:00:00", TRegValue::date(d + 0.5)},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string code = "k" + std::to_string(n++);
        funcPutAccReg("基本設定", code, c.type, c.value);
        EXPECT_EQ(storedRow("基本設定", code), std::string(c.type) + "|" + c.stored) << code;
        EXPECT_EQ(funcGetAccReg("基本設定", code, c.type, "x"), c.readBack) << code << " " << c.type;
    }
}

TEST_F(AccRegTest, StoredTextsReadByTheGivenType)
{
    struct Case {
        const char* type;
        const char* stored;
        TRegValue value;
    };
    const Case cases[] = {
        {"論理", "true", TRegValue::boolean(true)},
        {"論理", "True", TRegValue::boolean(true)},
        {"論理", "1", TRegValue::boolean(false)},
        {"整数", "abc", TRegValue::integer(0)},
        {"日付", "2025/13/01", TRegValue::date(0)},
        {"金額", "12.5", TRegValue::currency(125000)},
        {"実数", "x1", TRegValue::real(0)},
        {"文字", "", TRegValue::text(" ")},
        {"画像", "whatever", TRegValue::text("Data Type Error")},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string code = "s" + std::to_string(n++);
        dm_fixture::exec(fx.companyDb, "INSERT INTO ACCREG VALUES ('G', '" + code + "', 'X', '" + c.stored + "')");
        EXPECT_EQ(funcGetAccReg("G", code, c.type, "9"), c.value) << c.type << " " << c.stored;
    }
}

TEST_F(AccRegTest, MissingSettingIsCreatedWithItsDefaultAndReadsTheSameAgain)
{
    EXPECT_EQ(funcGetAccReg("基本設定", "個別原価別名", "文字", "個別原価"), TRegValue::text("個別原価"));
    EXPECT_EQ(storedRow("基本設定", "個別原価別名"), "文字|個別原価");
    EXPECT_EQ(funcGetAccReg("基本設定", "個別原価別名", "文字", "別の既定"), TRegValue::text("個別原価"));
    EXPECT_EQ(funcGetAccReg("基本設定", "使用税率8%", "論理", "TRUE"), TRegValue::boolean(true));
    EXPECT_EQ(funcGetAccReg("基本設定", "＃KEY", "文字", ""), TRegValue::text(" "));
}

TEST_F(AccRegTest, WritingWithAnotherTypeKeepsTheStoredType)
{
    funcPutAccReg("G", "mixed", "整数", TRegValue::integer(5));
    funcPutAccReg("G", "mixed", "論理", TRegValue::boolean(true));
    EXPECT_EQ(storedRow("G", "mixed"), "整数|TRUE");
    funcPutAccReg("G", "odd", "不明型", TRegValue::text("v"));
    EXPECT_EQ(storedRow("G", "odd"), "不明型|<null>");
    DeleteAccReg("G", "mixed");
    DeleteAccReg("G", "never-there");
    EXPECT_EQ(storedRow("G", "mixed"), "");
}

TEST_F(AccRegTest, AValueIsBoundNotPastedIntoTheStatement)
{
    const std::string tricky = "O'Brien'); DELETE FROM ACCREG; --";
    funcPutAccReg("G", "quote", "文字", TRegValue::text(tricky));
    funcPutAccReg("G", tricky, "文字", TRegValue::text("key with quote"));
    EXPECT_EQ(funcGetAccReg("G", "quote", "文字", ""), TRegValue::text(tricky));
    EXPECT_EQ(funcGetAccReg("G", tricky, "文字", ""), TRegValue::text("key with quote"));
}

TEST_F(AccRegTest, PutLeavesTheCallersTransactionOpenAndARollbackUndoesIt)
{
    fx.dm->IBTransactionDAT.startTransaction();
    funcPutAccReg("G", "pending", "整数", TRegValue::integer(7));
    EXPECT_TRUE(fx.dm->IBTransactionDAT.inTransaction());
    fx.dm->IBTransactionDAT.rollback();
    EXPECT_EQ(storedRow("G", "pending"), "");
}

TEST_F(AccRegTest, MsdHoukokuFinishesOnlyWhatItStarted)
{
    fx.dm->IBTransactionDAT.startTransaction();
    funcPutAccReg("G", "callers-work", "整数", TRegValue::integer(1));
    EXPECT_FALSE(IsKikinAri());
    EXPECT_TRUE(fx.dm->IBTransactionDAT.inTransaction()) << "the caller's transaction stays open";
    fx.dm->IBTransactionDAT.rollback();
    EXPECT_EQ(storedRow("G", "callers-work"), "") << "the caller's uncommitted work was not committed";

    // Without an open transaction the row it creates is kept.
    EXPECT_FALSE(IsKikinAri());
    auto q = CreateAccQuery("ACCDAT", false);
    TOwnTransaction tr(fx.dm->IBTransactionDAT);
    q->sql().add("SELECT MDTYPE,MDTEXT1 FROM MSD_HOUKOKU WHERE MDGROUP='法人概要' AND MDCODE='基金'");
    q->open();
    ASSERT_FALSE(q->eof());
    EXPECT_EQ(q->fieldByName("MDTYPE").asString(), "文字");
    EXPECT_EQ(q->fieldByName("MDTEXT1").asString(), "無");
}

TEST_F(AccRegTest, CorporationKindTests)
{
    EXPECT_FALSE(IsZaidanSyakaiTokutei());
    dm_fixture::exec(fx.companyDb, "UPDATE MSD_HOUKOKU SET MDTEXT1='特定' WHERE MDCODE='医療法人'");
    EXPECT_TRUE(IsZaidanSyakaiTokutei());
    EXPECT_FALSE(IsKikinAri()) << "creates the row with its default 無";
    dm_fixture::exec(fx.companyDb, "UPDATE MSD_HOUKOKU SET MDTEXT1='有' WHERE MDCODE='基金'");
    EXPECT_TRUE(IsKikinAri());
    EXPECT_EQ(funcGetMsdHoukoku("法人概要", "別", "実数", "1.5"), TRegValue::text("Data Type Error"));
}

TEST_F(AccRegTest, PictureAndMemoBlobsRoundTrip)
{
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += static_cast<char>(i * 7);
    const std::string src = fx.dir.write("pic.jpg", bytes);
    funcPutAccRegBlob("画面", "ロゴ", "JPG", TRegValue::text(src));
    const TRegValue first = funcGetAccRegBlob("画面", "ロゴ");
    const TRegValue second = funcGetAccRegBlob("画面", "ロゴ");
    ASSERT_EQ(first.kind(), TRegValue::Kind::Text);
    EXPECT_NE(first.asString(), second.asString()) << "two extractions get files of their own";
    EXPECT_EQ(std::filesystem::path(first.asString()).extension(), ".jpg");
    EXPECT_EQ(std::filesystem::path(first.asString()).parent_path(), SysDef.WorkDir);
    EXPECT_EQ(std::filesystem::path(first.asString()).filename().string().rfind("accreg-", 0), 0u);
    std::ifstream f(first.asString(), std::ios::binary);
    const std::string back((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(back, bytes);

    funcPutAccRegBlob("画面", "ﾒﾓ", "メモ", TRegValue::text("一行目\n二行目①"));
    EXPECT_EQ(funcGetAccRegBlob("画面", "ﾒﾓ"), TRegValue::text("一行目\r\n二行目①\r\n"));
    funcPutAccRegBlob("画面", "other", "PDF", TRegValue::text("x"));
    EXPECT_TRUE(funcGetAccRegBlob("画面", "other").isEmpty());
    EXPECT_TRUE(funcGetAccRegBlob("画面", "missing").isEmpty());
}

TEST_F(AccRegTest, StatementFactoryBindsDatabaseAndTransaction)
{
    auto sys = CreateAccQuery("ACCDEF", true);
    EXPECT_EQ(sys->database(), &fx.dm->IBDatabaseDEF);
    EXPECT_EQ(sys->transaction(), &fx.dm->IBTransactionDEF);
    auto snap = CreateAccQuery("ACCDAT", true);
    EXPECT_EQ(snap->transaction(), &fx.dm->IBTransactionDATSS);
    EXPECT_EQ(CreateAccSQL("ACCDAT", 2)->transaction(), &fx.dm->IBTransactionDAT);
    EXPECT_EQ(CreateAccSQL("ACCDAT", 1)->transaction(), &fx.dm->IBTransactionDATSS);
    EXPECT_TRUE(CreateAccQuery("ACCDAT", false)->sql().empty());
}

TEST(RegConversions, DatesCurrencyAndFloats)
{
    EXPECT_EQ(FormatRegDate(4, 0), "");
    const TDateTime d = EncodeRegDate(2019, 5, 1) + 13.5 / 24;
    EXPECT_EQ(FormatRegDate(2, d), "19/05/01");
    EXPECT_EQ(FormatRegDate(4, d), "2019/05/01");
    EXPECT_EQ(FormatRegDate(1, d), "2019/05/01 13:30");
    EXPECT_EQ(EncodeRegDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeRegDate(1900, 1, 1), 2);
    EXPECT_EQ(SafeStrToDate("2024/2/29"), EncodeRegDate(2024, 2, 29));
    EXPECT_EQ(SafeStrToDate("2023/2/29"), 0);
    EXPECT_EQ(SafeStrToDate("令和1年"), 0);
    EXPECT_EQ(SafeStrToCurr("-0.00005"), -1);
    EXPECT_EQ(SafeStrToCurr("1,000"), 0);
    EXPECT_EQ(SafeStrToCurr(" 42 "), 420000);
    for (Currency c : {Currency {0}, Currency {1}, Currency {-1}, Currency {123456789012345}, Currency {-50000}})
        EXPECT_EQ(SafeStrToCurr(RegCurrToStr(c)), c) << c;
    for (double v : {0.0, 1.0 / 3.0, -2.5e-8, 12345.678})
        EXPECT_EQ(TRegValue::text(RegFloatToStr(v)).asDouble(), v);
}
