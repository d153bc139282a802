// The journal check on the sample company: each refusal in both wordings,
// in the order the check runs, and what it completes on the way.

#include "z5SiwakeIO_fixture.h"

#include "accounting/uAccTaxCmp.h"

#include <gtest/gtest.h>

#include <functional>

using namespace siwake_fixture;
using tb_fixture::yen;

namespace {

class SiwakeCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { c_ = new WriterCompany(); }
    static void TearDownTestSuite()
    {
        delete c_;
        c_ = nullptr;
        ResetProcessState();
    }
    void SetUp() override
    {
        // Every case starts from the company as opened.
        ASSERT_TRUE(core::fnGetAccInfo());
        SysDef.OpCode = kOperator;
        SysDef.IsAdmin = 0;
        SysDef.JobLevel = 0;
        SysDef.ClosingRecalc = 0;
        c_->writer.MessageSet = 0;
        c_->writer.CostCodes.clear();
    }

    bool check(TSWKREC& e, int& code, std::string& message)
    {
        c_->writer.AutoCommit = true;
        return c_->writer.TestSiwake(e, code, message);
    }

    static WriterCompany* c_;
};

WriterCompany* SiwakeCheckTest::c_ = nullptr;

struct RefusalCase {
    const char* name;
    std::function<void()> settings;
    std::function<void(TSWKREC&)> change;
    int code;
    const char* screen; // nullptr: the tax check's own text
    const char* import;
};

TEST_F(SiwakeCheckTest, EveryRefusalInBothWordings)
{
    const TDateTime kimatu = AccInf.KIMATU;
    const RefusalCase cases[] = {
        {"date after the year", {}, [&](TSWKREC& e) { e.HIZUKE = kimatu + 1; }, 1,
            "日付が会計期間外または、決算区分の指定が不正です。", "日付が会計期間外または、決算区分の設定が不正です。"},
        {"audited entry", [] { AccInf.KANSA_LOCK = 1; }, [](TSWKREC& e) { e.CTIME = 45000; }, 2,
            "監査済みの仕訳は訂正できません。", "監査済みの仕訳が設定されました。"},
        {"audited date",
            [] {
                AccInf.KANSA_LOCK = 1;
                AccInf.KANSA_DATE = EncodeDate(2024, 6, 1);
                AccInf.KANSA_FIXDATE = EncodeDate(2024, 5, 31);
            },
            {}, 3, "監査済みの日付は入力できません。", "日付に監査済みの日付が設定されました。"},
        {"approved entry", {}, [](TSWKREC& e) { e.SHONIN_HIZUKE = 45000; }, 40, "承認済みの仕訳は訂正できません。",
            "承認済みの仕訳が設定されました。"},
        {"unknown cost code",
            [] {
                AccInf.KobetuGenkaUse = 1;
                AccInf.KobetuGenkaName = "工事";
            },
            [](TSWKREC& e) { e.SNUM = 13; }, 4, "工事コードが見つかりません。", "工事コードの設定が不正です。"},
        {"branch missing", [] { AccInf.SITEN = 1; }, [](TSWKREC& e) { e.SCODE = " "; }, 5,
            "本・支店コードが不正です。データを選択し直してください。", "本・支店コードが不正です。"},
        {"facility missing",
            [] {
                AccInf.SITEN = 1;
                AccInf.DATATYPE = 3;
            },
            [](TSWKREC& e) { e.SCODE = ""; }, 5, "施設コードが不正です。データを選択し直してください。",
            "施設コードが不正です。"},
        {"debit account", {}, [](TSWKREC& e) { e.Debit.KCODE = "998"; }, 11, "借方の科目コードが見つかりません。",
            "借方の科目コードの設定が不正です。"},
        {"debit sub-account", {}, [](TSWKREC& e) { e.Debit.HCODE = ""; }, 11, "借方の補助コードを入力してください。",
            "借方の補助コードの設定が不正です。"},
        {"debit department", {},
            [](TSWKREC& e) {
                std::swap(e.Debit, e.Credit);
                e.Debit.BCODE = "";
            },
            11, "借方の部門コードが見つかりません。", "借方の部門コードの設定が不正です。"},
        {"debit tax code", {}, [](TSWKREC& e) { e.Debit.TAXCODE = 999; }, 12, "借方の消費税コードを確認してください。",
            "借方の消費税コードの設定が不正です。"},
        {"debit 仮受 with a sales code", {},
            [](TSWKREC& e) {
                e.Debit.KCODE = "651";
                e.Debit.HCODE = "";
                e.Debit.TAXCODE = 110;
            },
            13, nullptr, nullptr},
        {"debit 仮払 against a taxed credit", {},
            [](TSWKREC& e) {
                e.Debit.KCODE = "511";
                e.Debit.HCODE = "";
                e.Debit.TAXCODE = 711;
            },
            14, nullptr, nullptr},
        {"debit 諸口 with a tax code", {},
            [](TSWKREC& e) {
                e.Debit.KCODE = "999";
                e.Debit.HCODE = "";
                e.Debit.TAXCODE = 511;
                e.Credit.TAXCODE = 910;
            },
            15, nullptr, nullptr},
        {"debit specified purchase at reduced rate", {},
            [](TSWKREC& e) {
                e.Debit.TAXCODE = 551;
                e.OLDRATE = 4;
            },
            16, nullptr, nullptr},
        {"credit account", {}, [](TSWKREC& e) { e.Credit.KCODE = "998"; }, 21, "貸方の科目コードが見つかりません。",
            "貸方の科目コードの設定が不正です。"},
        {"credit sub-account", {},
            [](TSWKREC& e) {
                std::swap(e.Debit, e.Credit);
                e.Debit.BCODE = "01";
                e.Credit.HCODE = "";
            },
            21, "貸方の補助コードを入力してください。", "貸方の補助コードの設定が不正です。"},
        {"credit department", {}, [](TSWKREC& e) { e.Credit.BCODE = ""; }, 21, "貸方の部門コードが見つかりません。",
            "貸方の部門コードの設定が不正です。"},
        {"credit tax code", {}, [](TSWKREC& e) { e.Credit.TAXCODE = 998; }, 22,
            "貸方の消費税コードを確認してください。", "貸方の消費税コードの設定が不正です。"},
        {"two rates", {},
            [](TSWKREC& e) {
                e.Debit.RIT = yen(8);
                e.Credit.RIT = yen(8);
                e.Debit.SideRateNo = 3;
                e.Credit.SideRateNo = 4;
            },
            41, "借方と貸方の消費税率が違います。", "借方と貸方の消費税率が違います。"},
        {"half a yen", {}, [](TSWKREC& e) { e.KINGAKU = 5000; }, 31, "金額を入力してください。",
            "金額の設定が不正です。（０円 または null）"},
        {"negative", {}, [](TSWKREC& e) { e.KINGAKU = yen(-5); }, 31, "マイナス金額は入力できません。",
            "金額にマイナス値が設定されました。"},
        {"eleven digits", {}, [](TSWKREC& e) { e.KINGAKU = yen(10'000'000'000LL); }, 31,
            "金額桁数がオーバーしています。", "金額の設定が不正です。（桁数オーバー）"},
    };
    for (const RefusalCase& rc : cases) {
        for (std::uint8_t set : {0, 1}) {
            SCOPED_TRACE(std::string(rc.name) + (set ? " (import)" : " (screen)"));
            SetUp();
            if (rc.settings)
                rc.settings();
            c_->writer.MessageSet = set;
            TSWKREC e = c_->sale(10800);
            if (rc.change)
                rc.change(e);
            int code = -1;
            std::string message;
            EXPECT_FALSE(check(e, code, message));
            EXPECT_EQ(code, rc.code);
            if (rc.screen)
                EXPECT_EQ(message, set ? rc.import : rc.screen);
            else
                EXPECT_FALSE(message.empty());
            EXPECT_FALSE(c_->tx.inTransaction());
        }
    }
}

TEST_F(SiwakeCheckTest, APassingEntryIsCompleted)
{
    TSWKREC e = c_->sale(10800);
    e.Debit.KGROUP = "?";
    e.TEKTEXT = "売上\t本店\r\n分";
    e.TORTEXT = "髙橋\n";
    int code = -1;
    std::string message = "left over";
    ASSERT_TRUE(check(e, code, message)) << message;
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(message.empty());
    EXPECT_EQ(e.MNUM, 2);
    EXPECT_EQ(e.Debit.KGROUP, "1210");
    EXPECT_EQ(e.Debit.KNAME, "売掛金");
    EXPECT_EQ(e.Debit.HNAME, "株式会社高橋商店");
    EXPECT_EQ(e.Credit.KNAME, "売上高");
    EXPECT_EQ(e.Credit.BNAME, "営業部");
    EXPECT_EQ(e.Credit.TAXUH, 1);
    EXPECT_EQ(e.Credit.TAXDC, 3);
    EXPECT_EQ(e.TEKTEXT, "売上本店分");
    EXPECT_EQ(e.TORTEXT, "髙橋");
}

TEST_F(SiwakeCheckTest, ClosingDateAndPeriods)
{
    struct Case {
        TDateTime date;
        int kessan;
        int recalc;
        int period; // -1 refused
    };
    const Case cases[] = {
        {AccInf.KIMATU, 1, 0, 16},
        {AccInf.KIMATU, 0, 0, 15},
        {AccInf.KIMATU, 0, 1, 31},
        {AccInf.KISHU, 0, 0, 1},
        {AccInf.KIMATU + 1, 0, 0, -1},
        {AccInf.KISHU - 1, 0, 0, -1},
    };
    for (const Case& k : cases) {
        SetUp();
        SysDef.ClosingRecalc = k.recalc;
        TSWKREC e = c_->sale(100);
        e.HIZUKE = k.date;
        e.KESSAN = k.kessan;
        int code = 0;
        std::string message;
        const bool ok = check(e, code, message);
        EXPECT_EQ(ok, k.period >= 0) << k.date << " " << k.kessan;
        if (ok)
            EXPECT_EQ(e.MNUM, k.period);
        else
            EXPECT_EQ(code, 1);
    }
}

TEST_F(SiwakeCheckTest, AuditorsMayChangeAuditedEntries)
{
    AccInf.KANSA_LOCK = 1;
    SysDef.JobLevel = 9;
    TSWKREC e = c_->sale(100);
    e.CTIME = 45000;
    int code = 0;
    std::string message;
    EXPECT_TRUE(check(e, code, message)) << message;
}

TEST_F(SiwakeCheckTest, TheCostCodesAreReadWhenFirstNeeded)
{
    c_->company.exec("INSERT INTO KOBETUGENKAMST (GCODE, GVALUE, GNAME) VALUES ('0012', 12, 'A')");
    AccInf.KobetuGenkaUse = 1;
    AccInf.KobetuGenkaDigits = 1; // four digits
    TSWKREC e = c_->sale(100);
    e.SNUM = 12;
    int code = 0;
    std::string message;
    EXPECT_TRUE(check(e, code, message)) << message;
    EXPECT_EQ(c_->writer.CostCodeIndex, 0);
    c_->company.exec("DELETE FROM KOBETUGENKAMST");
}

TEST_F(SiwakeCheckTest, SideEffectsOfTheTaxChecks)
{
    // 仮払 against a taxed credit: the credit code becomes 810.
    TSWKREC e = c_->sale(800);
    e.Debit.KCODE = "511";
    e.Debit.HCODE = "";
    e.Debit.TAXCODE = 711;
    int code = 0;
    std::string message;
    EXPECT_FALSE(check(e, code, message));
    EXPECT_EQ(code, 14);
    EXPECT_EQ(e.Credit.TAXCODE, 810);

    // Neither side taxed: the entry takes the rate number of its date.
    SetUp();
    TSWKREC plain = c_->sale(800);
    plain.Credit.TAXCODE = 910;
    plain.OLDRATE = 3;
    EXPECT_TRUE(check(plain, code, message)) << message;
    EXPECT_EQ(plain.OLDRATE, GetZeiRituNo(0, plain.HIZUKE));
}

TEST_F(SiwakeCheckTest, AStoredEntryKeepsItsNamesUnlessTheirCodesChanged)
{
    TSWKREC e = c_->sale(100);
    int code = 0;
    std::string message;
    ASSERT_TRUE(check(e, code, message)) << message;
    e.Debit.HNAME = "手書きの名前";
    c_->writer.AutoCommit = true;
    ASSERT_GT(c_->writer.PutSiwake(e), 0);

    // Same codes: the stored names stay.
    TSWKREC again = e;
    again.Debit.HNAME = "手書きの名前";
    EXPECT_TRUE(check(again, code, message)) << message;
    EXPECT_EQ(again.Debit.HNAME, "株式会社高橋商店") << "the master's name differs from the stored one";

    // Another sub-account: its own name.
    TSWKREC other = e;
    other.Debit.HCODE = "02";
    EXPECT_TRUE(check(other, code, message)) << message;
    EXPECT_EQ(other.Debit.HNAME, "ｶﾌﾞｼｷｶﾞｲｼｬ ﾐﾙｻﾞ");
}

} // namespace
