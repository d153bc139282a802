// The whole intermediate file from the sample general company: SYSTEM,
// BASIC and DATA, for the tax-included and tax-excluded modes, compared
// byte for byte with golden files whose figures were worked out from the
// sample journal (fixtures/overview/README.md explains each of them); and
// the month columns of a short first year, a calendar year and a year under
// a closing day.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "accounting/OpenCompanyTables.h"
#include "accounting/uAccZanCmp1.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/uAccRecord.h"
#include "platform/codec.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "wizard/ug16.h"
#include "wizard/ug16Figures.h"
#include "export_fixture.h"
#include "wizard_test_util.h"

namespace {

class SampleExport : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        ResetProcessState();
        wizard_test::useSampleCompany(root().info(), work.path());
        InstallOpenCompanyTables();
        InstallGeneralTrialBalanceEngine();
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 0));
        original = companyMaster();
    }
    void TearDown() override
    {
        if (dm && dm->IBDatabaseDAT.connected()) {
            restoreCompany();
            exec("DELETE FROM GAIKYOSYO_ITEM");
            sample::runSqlScript(dm->IBDatabaseDAT, sample::defaultSqlDir() + "/company_090_gaikyosyo_items.sql");
        }
        dm.reset();
        core::DM = nullptr;
        ResetProcessState();
    }
    void exec(const std::string& sql) { dm->IBDatabaseDAT.executeImmediate(sql); }

    struct Master {
        std::string kishu, kimatu, kaisi;
        int sime = 0;
        int kaisino = 1;
    };
    Master companyMaster()
    {
        Master m;
        auto& q = dm->IBQACC2;
        core::TOwnTransaction tr(dm->IBTransactionDAT);
        q.sql().clear();
        q.sql().add("SELECT CAST(KISHU AS VARCHAR(10)) K1, CAST(KIMATU AS VARCHAR(10)) K2,");
        q.sql().add("CAST(KAISI AS VARCHAR(10)) K3, SIME, KAISINO FROM ACCDEF1 WHERE REC = 1");
        q.open();
        m.kishu = q.fieldByName("K1").asString();
        m.kimatu = q.fieldByName("K2").asString();
        m.kaisi = q.fieldByName("K3").asString();
        m.sime = q.fieldByName("SIME").asInteger();
        m.kaisino = q.fieldByName("KAISINO").asInteger();
        q.close();
        tr.commit();
        return m;
    }
    void setCompany(const Master& m)
    {
        exec("UPDATE ACCDEF1 SET KISHU = '" + m.kishu + "', KIMATU = '" + m.kimatu + "', KAISI = '" + m.kaisi
            + "', SIME = " + std::to_string(m.sime) + ", KAISINO = " + std::to_string(m.kaisino) + " WHERE REC = 1");
    }
    void restoreCompany() { setCompany(original); }

    // The export object as the wizard leaves it before the finish.
    std::unique_ptr<TGaikyosyoDataExport> exporter(int taxMode, int endIndex, int lastIndex)
    {
        return overview.make(root().info(), work.file("out.xml"), iniFile(), taxMode, endIndex, lastIndex);
    }
    static std::string exportFile(TGaikyosyoDataExport& e) { return wizard_test::OverviewExport::exportFile(e); }
    static void expectGolden(const std::string& bytes, const std::string& name)
    {
        wizard_test::OverviewExport::expectGolden(bytes, name);
    }
    std::string iniFile() const { return work.file("VzRendo.ini"); }
    void settingsFixture() const
    {
        std::filesystem::copy_file(wizard_test::testDataFile("fixtures/overview/VzRendo.ini"), iniFile(),
            std::filesystem::copy_options::overwrite_existing);
    }
    void markedSettings() const
    {
        work.write("VzRendo.ini", platform::codec::toSjis("[UG_データ移行]\r\nIKOUZUMI=1\r\n"));
    }

    test_support::TempDir work;
    wizard_test::OverviewExport overview;
    std::unique_ptr<core::TDM> dm;
    Master original;
};

} // namespace

TEST_F(SampleExport, TaxIncludedFileFromTheCompanyTable)
{
    markedSettings();
    ASSERT_TRUE(core::fnGetAccInfo());
    auto e = exporter(0, 15, 15);
    expectGolden(exportFile(*e), "sample_tax_included.xml");
}

TEST_F(SampleExport, TaxExcludedFileFromTheCompanyTable)
{
    markedSettings();
    ASSERT_TRUE(core::fnGetAccInfo());
    auto e = exporter(1, 15, 15);
    expectGolden(exportFile(*e), "sample_tax_excluded.xml");
}

TEST_F(SampleExport, OldSettingsAreMigratedOnceAndGiveTheSameFile)
{
    settingsFixture();
    ASSERT_TRUE(core::fnGetAccInfo());
    exec("DELETE FROM GAIKYOSYO_ITEM WHERE FORMVER = 1");
    const std::string before2 = [&] {
        auto& q = dm->IBQACC2;
        core::TOwnTransaction tr(dm->IBTransactionDAT);
        q.sql().clear();
        q.sql().add("SELECT LIST(ID || ITEMNO || KCODE || HCODE, ',') L FROM GAIKYOSYO_ITEM WHERE FORMVER = 2");
        q.open();
        std::string l = q.fieldByName("L").asString();
        q.close();
        tr.commit();
        return l;
    }();
    ScriptedMessages messages;
    auto e = exporter(0, 15, 15);
    expectGolden(exportFile(*e), "sample_tax_included.xml");
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(platform::IniFile(iniFile()).readInteger("UG_データ移行", "IKOUZUMI", -1), 1);
    // The second export reads the table the first one filled.
    expectGolden(exportFile(*e), "sample_tax_included.xml");
    auto& q = dm->IBQACC2;
    core::TOwnTransaction tr(dm->IBTransactionDAT);
    q.sql().clear();
    q.sql().add("SELECT LIST(ID || ITEMNO || KCODE || HCODE, ',') L FROM GAIKYOSYO_ITEM WHERE FORMVER = 2");
    q.open();
    EXPECT_EQ(q.fieldByName("L").asString(), before2);
    q.close();
    tr.commit();
}

TEST_F(SampleExport, FailedBalanceProcedureEndsTheExportWithoutAFile)
{
    markedSettings();
    ASSERT_TRUE(core::fnGetAccInfo());
    exec("ALTER PROCEDURE SP_KANENDO_ZANDAKA (F INTEGER, SCODE VARCHAR(6)) RETURNS (KCODE VARCHAR(6)) AS "
         "BEGIN EXCEPTION; END");
    ScriptedMessages messages;
    auto e = exporter(0, 15, 15);
    try {
        exportFile(*e);
        ADD_FAILURE() << "a file was written from a failed load";
    } catch (const EDataExportError& x) {
        EXPECT_EQ(x.Code, 1);
        EXPECT_STREQ(x.what(), "科目の集計処理に失敗しました。");
    }
    EXPECT_FALSE(std::filesystem::exists(e->OutputFileName));
    // Restore the procedure for the other tests of the suite.
    sample::runSqlScript(dm->IBDatabaseDAT, sample::defaultSqlDir() + "/company_041_balance_procedures.sql");
}

namespace {

struct MonthCase {
    const char* what;
    const char* kishu;
    const char* kimatu;
    const char* kaisi;
    int sime;
    int kaisino;
    int endIndex, lastIndex;
    int monthsUsed;
    std::vector<int> labels;
    // Sales (010) and other (080: travel, with movements in the adjustment
    // periods 4, 8, 12 and in the closing period 16) of the months used.
    std::vector<Currency> sales, other;
};

} // namespace

TEST_F(SampleExport, MonthsLandInTheirColumns)
{
    // Net movements of the sample journal by period (tax included):
    //   4111 売上高   p1..p3 1,100,000 1,155,000 1,210,000; p5..p7 1,265,000
    //                 1,320,000 1,375,000; p9..p11 1,430,000 1,485,000
    //                 1,540,000; p13..p15 1,595,000 1,650,000 1,705,000
    //   6311 旅費交通費 p1..p3 20,000 21,000 22,000; p5..p7 23,000 24,000
    //                 25,000; p9..p11 26,000 27,000 28,000; p13..p15 29,000
    //                 30,000 31,000; and 12,000 in each of p4, p8, p12, p16
    const MonthCase cases[] = {
        {"calendar year", "2024-01-01", "2024-12-31", "2024-01-01", 99, 1, 15, 15, 12,
            {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
            {1'100'000, 1'155'000, 1'210'000, 1'265'000, 1'320'000, 1'375'000, 1'430'000, 1'485'000, 1'540'000,
                1'595'000, 1'650'000, 1'705'000},
            {20'000, 21'000, 34'000, 23'000, 24'000, 37'000, 26'000, 27'000, 40'000, 29'000, 30'000, 43'000}},
        {"closing day 20", "2024-03-21", "2025-03-20", "2024-03-21", 20, 1, 15, 15, 12,
            {4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3},
            {1'100'000, 1'155'000, 1'210'000, 1'265'000, 1'320'000, 1'375'000, 1'430'000, 1'485'000, 1'540'000,
                1'595'000, 1'650'000, 1'705'000},
            {20'000, 21'000, 34'000, 23'000, 24'000, 37'000, 26'000, 27'000, 40'000, 29'000, 30'000, 43'000}},
        // A company's first year, October to March, with entries from
        // November: six months, the closing cell 7 chosen; the closing
        // period goes into month 6 with period 7 and the adjustment 8.
        {"short first year", "2024-10-01", "2025-03-31", "2024-11-01", 99, 2, 7, 7, 6, {10, 11, 12, 1, 2, 3},
            {1'100'000, 1'155'000, 1'210'000, 1'265'000, 1'320'000, 1'375'000},
            {20'000, 21'000, 34'000, 23'000, 24'000, 49'000}},
        // The same year taken up to its last month as cell 15: still six
        // months, never months the year does not have.
        {"short year, end as cell 15", "2024-10-01", "2025-03-31", "2024-11-01", 99, 2, 15, 7, 6, {10, 11, 12, 1, 2, 3},
            {1'100'000, 1'155'000, 1'210'000, 1'265'000, 1'320'000, 1'375'000},
            {20'000, 21'000, 34'000, 23'000, 24'000, 49'000}},
    };
    markedSettings();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setCompany({c.kishu, c.kimatu, c.kaisi, c.sime, c.kaisino});
        ASSERT_TRUE(core::fnGetAccInfo());
        auto e = exporter(0, c.endIndex, c.lastIndex);
        const TGaikyosyoFigures f = MakeGaikyosyoFigures(*e, iniFile());
        ASSERT_EQ(f.MonthsUsed, c.monthsUsed);
        for (int m = 0; m < c.monthsUsed; ++m) {
            const auto mi = static_cast<std::size_t>(m);
            EXPECT_EQ(f.MonthLabel[mi], c.labels[mi]) << "month " << m + 1;
            EXPECT_EQ(f.Month[mi][0], c.sales[mi] * CurrencyScale) << "month " << m + 1;
            EXPECT_EQ(f.Month[mi][7], c.other[mi] * CurrencyScale) << "month " << m + 1;
        }
    }
}
