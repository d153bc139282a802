// The business-overview item settings: the layouts and keys of the two
// blocks, VzRendo.ini, and the one-time migration of its assignments into
// the company table GAIKYOSYO_ITEM of a sample company database.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <tuple>

#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "platform/codec.h"
#include "platform/ini_file.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "wizard/IntermediateFile.h"
#include "platform/registry.h"
#include "wizard/ug16.h"
#include "wizard/ug16Figures.h"
#include "wizard/ug16Settings.h"
#include "wizard_test_util.h"

namespace {

void writeIni(const test_support::TempDir& dir, const std::string& utf8)
{
    dir.write("VzRendo.ini", platform::codec::toSjis(utf8));
}

} // namespace

// --- layouts ----------------------------------------------------------------

TEST(SyuyouKamokuLayout, RowsBecomeCoordinatesAndItemsTakeTheFirst35Keys)
{
    EXPECT_EQ(ug16_layout::MainLines().size(), 46u);
    EXPECT_EQ(ug16_layout::MainHeadings().size(), 4u);
    for (int dataType : {1, 3}) {
        TSyuyouKamoku k;
        k.LoadLayout(dataType);
        ASSERT_EQ(k.Lines.size(), 46u);
        ASSERT_EQ(k.Headings.size(), 4u);
        ASSERT_EQ(k.Items.size(), 35u);
        for (std::size_t i = 0; i < 35; ++i)
            EXPECT_EQ(k.Items[i].Key, MainItemKeys[i].Element) << i;
        // 期首棚卸高: row 3 of the left half.
        const auto& opening = k.Items[3];
        EXPECT_EQ(opening.Caption, "期首棚卸高");
        EXPECT_EQ(std::tie(opening.X1, opening.X2, opening.Y1, opening.Y2), std::make_tuple(20, 160, 60, 80));
        EXPECT_EQ(std::tie(opening.VX1, opening.VX2), std::make_tuple(160, 210));
        EXPECT_EQ(opening.ItemKind, 1);
        // The right half is moved by 210.
        const auto& assets = k.Items[19];
        EXPECT_EQ(assets.Caption, "資産の部合計");
        EXPECT_EQ(std::tie(assets.X1, assets.VX2, assets.Y1), std::make_tuple(210, 420, 0));
        EXPECT_EQ(assets.ItemKind, 9);
        EXPECT_EQ(k.Headings[0].VX2, 0);
        EXPECT_EQ(k.Lines[0].X2, 420);
    }
    TSyuyouKamoku general, medical;
    general.LoadLayout(1);
    medical.LoadLayout(3);
    EXPECT_EQ(general.Items[3].Filter, "GROUPM0='5100' OR GROUPM0='5510' OR GROUPM0='5810'");
    EXPECT_EQ(medical.Items[1].Filter, "GROUPM0>='4110' AND GROUPM0<='4430'");

    TSyuyouKamoku individual;
    individual.LoadLayout(2);
    ASSERT_EQ(individual.Items.size(), 35u);
    EXPECT_TRUE(std::all_of(
        individual.Items.begin(), individual.Items.end(), [](const TUG_G_IMAGEITEM& i) { return i.Key.empty(); }));
}

TEST(TukibetuUriageLayout, CellsBindToTheKeysOfTheirForm)
{
    TTukibetuUriage t; // old-form cells, new-form binding until LoadLayout
    ASSERT_EQ(t.Items.size(), 11u);
    EXPECT_EQ(t.Items[9].Caption, "予備１");
    EXPECT_EQ(t.Items[9].Key, "GENSENTYOUSYUUZEIGAKU");

    const std::vector<std::string> oldKeys = {"TUKIBETU", "", "URIAGESYUUNYUUKINGAKU1", "URIAGESYUUNYUUKINGAKU2", "",
        "SIIREKINGAKU1", "SIIREKINGAKU2", "GAICHUUHI", "JINKENHI", "YOBI1", "YOBI2"};
    t.FormType = 0;
    t.LoadLayout(1);
    ASSERT_EQ(t.Lines.size(), 14u);
    for (std::size_t i = 0; i < 11; ++i)
        EXPECT_EQ(t.Items[i].Key, oldKeys[i]) << i;

    t.FormType = 1;
    t.LoadLayout(1);
    EXPECT_EQ(t.Items[9].Caption, "源泉徴収税額");
    EXPECT_EQ(t.Items[9].Key, "GENSENTYOUSYUUZEIGAKU");
    EXPECT_EQ(t.Items[9].ItemKind, 0);
    EXPECT_EQ(t.Items[10].Key, "YOBI1");
    const std::string generalFilter = t.Items[2].Filter;
    t.LoadLayout(3);
    EXPECT_NE(t.Items[2].Filter, generalFilter);
    EXPECT_EQ(t.Items[2].Key, "URIAGESYUUNYUUKINGAKU1");
}

TEST(VzRendoIni, FormTypeReadsAsNewUnlessItIsZero)
{
    test_support::TempDir dir;
    const std::pair<const char*, int> cases[] = {
        {"", 1},
        {"[UG_事業概況書の様式]\r\nSYURUI=0\r\n", 0},
        {"[UG_事業概況書の様式]\r\nSYURUI=1\r\n", 1},
        {"[UG_事業概況書の様式]\r\nSYURUI=x\r\n", 1},
        {"[UG_事業概況書の様式]\r\nSYURUI=\r\n", 1},
    };
    for (const auto& [text, form] : cases) {
        writeIni(dir, text);
        TTukibetuUriage t;
        t.FormType = 7;
        t.ReadFormType(platform::IniFile(dir.file("VzRendo.ini")));
        EXPECT_EQ(t.FormType, form) << text;
    }
}

TEST(VzRendoIni, SettingsRoundTripWithCommasInTheFileAndLinesInMemory)
{
    test_support::TempDir dir;
    writeIni(dir,
        "[UG_データ移行]\r\nIKOUZUMI=1\r\n"
        "[UG_主要科目]\r\nURIAGE_SYUUNYUUDAKA=4111,4112\r\nURIKAKEKIN=1211\t01,1211\t02\r\n"
        "KAIKAKEKIN=2111\r\nSIHONNOBU=3111\r\n"
        "[UG_月別売上高等の状況]\r\nJINKENHI=6111,6411\r\nYOBI2=9\r\n");
    platform::IniFile ini(dir.file("VzRendo.ini"));

    TSyuyouKamoku k;
    k.LoadLayout(1);
    k.ReadSettings(ini);
    EXPECT_EQ(k.Migrated, 1);
    EXPECT_EQ(k.Items[0].List, "4111\r4112");
    EXPECT_EQ(k.Items[26].List, "1211\t01\r1211\t02");
    TTukibetuUriage t;
    t.FormType = 0;
    t.LoadLayout(1);
    t.ReadSettings(ini);
    EXPECT_EQ(t.Items[8].List, "6111\r6411");
    EXPECT_EQ(t.Items[10].List, "9");

    k.Items[0].List = "4111";
    k.Migrated = 0;
    k.WriteSettings(ini);
    t.Items[8].List = "6111";
    t.WriteSettings(ini);
    EXPECT_EQ(ini.readString("UG_データ移行", "IKOUZUMI", ""), "0");
    EXPECT_EQ(ini.readString("UG_主要科目", "URIAGE_SYUUNYUUDAKA", ""), "4111");
    EXPECT_EQ(ini.readString("UG_主要科目", "URIKAKEKIN", ""), "1211\t01,1211\t02");
    EXPECT_TRUE(ini.valueExists("UG_主要科目", "KENGYOUURIAGE_SYUUNYUUDAKA")); // empty lists are written
    // The last four keys have no layout cell: left as they are.
    EXPECT_EQ(ini.readString("UG_主要科目", "KAIKAKEKIN", ""), "2111");
    EXPECT_EQ(ini.readString("UG_主要科目", "SIHONNOBU", ""), "3111");
    EXPECT_EQ(ini.readString("UG_月別売上高等の状況", "JINKENHI", ""), "6111");
    EXPECT_EQ(ini.readString("UG_月別売上高等の状況", "YOBI2", ""), "9");
    EXPECT_EQ(ini.readString("UG_事業概況書の様式", "SYURUI", ""), "0");

    // Data type 2 has no keyed items: only the migration mark is written.
    test_support::TempDir other;
    platform::IniFile fresh(other.file("VzRendo.ini"));
    TSyuyouKamoku individual;
    individual.LoadLayout(2);
    individual.Migrated = 1;
    individual.WriteSettings(fresh);
    EXPECT_EQ(fresh.readSections(), std::vector<std::string> {"UG_データ移行"});
}

namespace {

// An exporter over its own folder and registry stand-in.
struct ExporterFixture {
    test_support::TempDir dir;
    platform::Registry registry {dir.file("registry.ini")};
    TExportSources sources = [this] {
        TExportSources s;
        s.AppDataDir = dir.file("appdata");
        s.Registry = &registry;
        return s;
    }();
    TGaikyosyoDataExport exporter {"", 0, "", true, sources};
};

} // namespace

TEST(ExporterItems, InitItemsCreatesBothOnceAndFreeItemsEmptiesThem)
{
    ExporterFixture fx;
    TGaikyosyoDataExport& e = fx.exporter;
    EXPECT_THROW(e.SyuyouKamoku(), std::logic_error);
    e.InitItems();
    TSyuyouKamoku* main = &e.SyuyouKamoku();
    TTukibetuUriage* month = &e.TukibetuUriage();
    EXPECT_EQ(month->FormType, 1);
    main->Migrated = 1; // what the wizard has read
    e.InitItems(); // only when missing: what was read stays
    EXPECT_EQ(&e.SyuyouKamoku(), main);
    EXPECT_EQ(&e.TukibetuUriage(), month);
    EXPECT_EQ(e.SyuyouKamoku().Migrated, 1);
    e.FreeItems();
    EXPECT_THROW(e.SyuyouKamoku(), std::logic_error);
    EXPECT_THROW(e.TukibetuUriage(), std::logic_error);
}

TEST(ExporterItems, WithoutAFiguresSourceTheExportFailsAsAFailedLoad)
{
    ExporterFixture fx;
    TGaikyosyoDataExport& e = fx.exporter;
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    try {
        e.WriteData(doc);
        ADD_FAILURE() << "no error";
    } catch (const EDataExportError& err) {
        EXPECT_STREQ(err.what(), "科目の集計処理に失敗しました。");
        EXPECT_EQ(err.Detail, "") << "a failed load carries no detail";
        EXPECT_EQ(err.Code, 1);
    }
}

// --- the company table ------------------------------------------------------

namespace {

using Row = std::tuple<int, int, std::string, std::string, std::string>; // FORMVER, ID, ITEMNO, KCODE, HCODE

class ItemTable : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        ResetProcessState();
        wizard_test::useSampleCompany(root().info(), work.path());
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 0));
        // The sample's assignments, as the sample scripts made them.
        exec("DELETE FROM GAIKYOSYO_ITEM");
        sample::runSqlScript(dm->IBDatabaseDAT, sample::defaultSqlDir() + "/company_090_gaikyosyo_items.sql");
    }
    void TearDown() override
    {
        dm.reset();
        core::DM = nullptr;
        ResetProcessState();
    }
    void exec(const std::string& sql) { dm->IBDatabaseDAT.executeImmediate(sql); }

    std::set<Row> rows(int formVer)
    {
        std::set<Row> out;
        auto& q = dm->IBQACC2;
        core::TOwnTransaction tr(dm->IBTransactionDAT);
        q.sql().clear();
        q.sql().add("SELECT FORMVER, ID, ITEMNO, KCODE, HCODE FROM GAIKYOSYO_ITEM WHERE FORMVER = :F");
        q.paramByName("F").setInteger(formVer);
        q.open();
        while (!q.eof()) {
            out.emplace(q.fieldByName("FORMVER").asInteger(), q.fieldByName("ID").asInteger(),
                q.fieldByName("ITEMNO").asString(), q.fieldByName("KCODE").asString(),
                q.fieldByName("HCODE").asString());
            q.next();
        }
        q.close();
        tr.commit();
        return out;
    }
    std::set<Row> itemRows(int formVer, int id, const std::string& item)
    {
        std::set<Row> out;
        for (const auto& r : rows(formVer))
            if (std::get<1>(r) == id && std::get<2>(r) == item)
                out.insert(r);
        return out;
    }
    std::string iniFile() const { return work.file("VzRendo.ini"); }
    void settings(const std::string& utf8) { writeIni(work, utf8); }
    int mark() const { return int(platform::IniFile(iniFile()).readInteger("UG_データ移行", "IKOUZUMI", -1)); }

    test_support::TempDir work;
    std::unique_ptr<core::TDM> dm;
};

} // namespace

TEST_F(ItemTable, EmptySettingsSetTheMarkAndLeaveTheTable)
{
    const auto before1 = rows(1), before2 = rows(2);
    settings("[UG_主要科目]\r\nURIAGE_SYUUNYUUDAKA= \r\nKAIKAKEKIN=\r\n");
    ScriptedMessages messages;
    TGaikyousyoDataMake make(iniFile());
    EXPECT_EQ(mark(), 1);
    EXPECT_EQ(rows(1), before1);
    EXPECT_EQ(rows(2), before2);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ItemTable, SalesOnlyFillsFormVersion1WithTheDefaultAccounts)
{
    const auto before2 = rows(2);
    ASSERT_FALSE(before2.empty());
    exec("DELETE FROM GAIKYOSYO_ITEM WHERE FORMVER = 1");
    settings("[UG_データ移行]\r\nIKOUZUMI=0\r\n[UG_主要科目]\r\nURIAGE_SYUUNYUUDAKA=4111\r\n");
    ScriptedMessages messages;
    TGaikyousyoDataMake make(iniFile());
    EXPECT_EQ(mark(), 1);
    // 010: every account in use of groups 4000..4999; 210: cash and
    // deposits (group 1100), each as a whole.
    const std::set<Row> expected = {
        {1, 7, "010", "4111", " "},
        {1, 7, "210", "1111", " "},
        {1, 7, "210", "1121", " "},
    };
    EXPECT_EQ(rows(1), expected);
    // Another form version's assignments survive.
    EXPECT_EQ(rows(2), before2);
    EXPECT_TRUE(make.FailedItems.empty());
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ItemTable, EntriesBecomeAccountAndSubAccountRows)
{
    exec("DELETE FROM GAIKYOSYO_ITEM WHERE FORMVER = 1");
    settings("[UG_主要科目]\r\nURIKAKEKIN=1211\t01,1211\t ,1121\r\n"
             "TIDAIYATIN_SOZEIKOUKA_URIAGEGENKA=6211\r\nTIDAIYATIN_URIAGEGENKA=6311\r\n"
             "TIDAIYATIN_SOZEIKOUKA_HANKANHI=6211\r\nTIDAIYATIN_HANKANHI=\r\n"
             "[UG_月別売上高等の状況]\r\nGENSENTYOUSYUUZEIGAKU=2321\r\nTUKIBETU=4111\r\nYOBI2=4111\r\n");
    TGaikyousyoDataMake make(iniFile());
    EXPECT_EQ(itemRows(1, 7, "230"),
        (std::set<Row> {{1, 7, "230", "1211", "01"}, {1, 7, "230", "1211", " "}, {1, 7, "230", "1121", " "}}));
    // Two keys share 100 and two share 160: both keys' entries are kept,
    // also when the later key of the pair is empty.
    EXPECT_EQ(itemRows(1, 7, "100"), (std::set<Row> {{1, 7, "100", "6211", " "}, {1, 7, "100", "6311", " "}}));
    EXPECT_EQ(itemRows(1, 7, "160"), (std::set<Row> {{1, 7, "160", "6211", " "}}));
    EXPECT_EQ(itemRows(1, 17, "070"), (std::set<Row> {{1, 17, "070", "2321", " "}}));
    // The month label and the spare column have no item code.
    for (const auto& r : rows(1))
        EXPECT_TRUE(std::get<1>(r) == 7 || std::get<2>(r) == "070") << std::get<2>(r);
}

TEST_F(ItemTable, ItemWhoseRowsCannotBeSavedIsReportedAndTheOthersAreSaved)
{
    exec("DELETE FROM GAIKYOSYO_ITEM WHERE FORMVER = 1");
    settings("[UG_主要科目]\r\nKOUSAIHI=6311,9999\r\nKAIKAKEKIN=2111\r\n");
    ScriptedMessages messages;
    TGaikyousyoDataMake make(iniFile());
    EXPECT_EQ(make.FailedItems, std::vector<std::string> {"7-140"});
    EXPECT_TRUE(itemRows(1, 7, "140").empty()); // rolled back as a whole
    EXPECT_EQ(itemRows(1, 7, "320"), (std::set<Row> {{1, 7, "320", "2111", " "}}));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Warning);
    EXPECT_NE(messages.firstLine(0).find("7-140"), std::string::npos);
    EXPECT_FALSE(messages.shown()[0].lines[1].text.empty()); // the database's reason
    EXPECT_EQ(mark(), 1);
}

TEST_F(ItemTable, RowsTheAccountingProductMaintainsAreNeverReplaced)
{
    // The sample company has its own assignment set of form version 1.
    const auto before = rows(1);
    ASSERT_FALSE(before.empty());
    settings("[UG_データ移行]\r\nIKOUZUMI=0\r\n[UG_主要科目]\r\nKOUSAIHI=6311\r\n");
    TGaikyousyoDataMake make(iniFile());
    EXPECT_EQ(rows(1), before);
    // Not migrated here: the mark stays off, so a company without rows
    // still receives the settings later.
    EXPECT_EQ(mark(), 0);
    exec("DELETE FROM GAIKYOSYO_ITEM WHERE FORMVER = 1");
    TGaikyousyoDataMake later(iniFile());
    EXPECT_EQ(itemRows(1, 7, "140"), (std::set<Row> {{1, 7, "140", "6311", " "}}));
    EXPECT_EQ(mark(), 1);
}

TEST_F(ItemTable, AFailedMigrationLeavesTheMarkOffAndIsTriedAgain)
{
    exec("DELETE FROM GAIKYOSYO_ITEM WHERE FORMVER = 1");
    settings("[UG_データ移行]\r\nIKOUZUMI=0\r\n[UG_主要科目]\r\nKOUSAIHI=6311\r\n");
    dm->IBDatabaseDAT.disconnect(); // every statement of the migration fails
    {
        ScriptedMessages messages;
        EXPECT_ANY_THROW(TGaikyousyoDataMake failing(iniFile()));
    }
    EXPECT_EQ(mark(), 0) << "the mark was written before the migration";
    ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 0));
    TGaikyousyoDataMake retried(iniFile());
    EXPECT_EQ(itemRows(1, 7, "140"), (std::set<Row> {{1, 7, "140", "6311", " "}}));
    EXPECT_EQ(mark(), 1);
}

TEST_F(ItemTable, MarkedSettingsFileMigratesNothing)
{
    const auto before = rows(1);
    settings("[UG_データ移行]\r\nIKOUZUMI=1\r\n[UG_主要科目]\r\nKOUSAIHI=6311\r\n");
    TGaikyousyoDataMake make(iniFile());
    EXPECT_EQ(rows(1), before);
    EXPECT_EQ(make.Migrated, 1);
}

TEST_F(ItemTable, LoadReadsFormVersion1OfBothBlocksOnly)
{
    exec("INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 9, '010', '4111', ' ')");
    settings("[UG_データ移行]\r\nIKOUZUMI=1\r\n");
    TGaikyousyoDataMake make(iniFile());
    make.LoadItemAccounts();
    EXPECT_EQ(make.MainAssignments.size(), 11u);
    EXPECT_EQ(make.MonthAssignments.size(), 6u);
    EXPECT_EQ(make.MainAssignments.front(), (TAssignmentLine {"010", "4111\t "}));
    EXPECT_TRUE(std::is_sorted(make.MainAssignments.begin(), make.MainAssignments.end(),
        [](const auto& a, const auto& b) { return a.first < b.first; }));
}

TEST_F(ItemTable, DatabaseErrorWhileLoadingIsShownAndPassedOn)
{
    settings("[UG_データ移行]\r\nIKOUZUMI=1\r\n");
    TGaikyousyoDataMake make(iniFile());
    dm->IBDatabaseDAT.disconnect();
    ScriptedMessages messages;
    EXPECT_THROW(make.LoadItemAccounts(), platform::firebird::EIBError);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
    // Each line of the text in its own line of the box.
    EXPECT_EQ(messages.firstLine(0), "ﾃﾞｰﾀﾍﾞｰｽ ｴﾗｰ");
    EXPECT_FALSE(messages.shown()[0].lines[1].text.empty()) << "the database's message";
    for (const auto& line : messages.shown()[0].lines)
        EXPECT_EQ(line.text.find_first_of("\r\n"), std::string::npos) << line.text;
}

TEST_F(ItemTable, DefaultAccountsOfSalesAndCash)
{
    settings("[UG_データ移行]\r\nIKOUZUMI=1\r\n");
    TGaikyousyoDataMake make(iniFile());
    EXPECT_EQ(make.DefaultAccountList("010"), std::vector<std::string> {"4111"});
    EXPECT_EQ(make.DefaultAccountList("210"), (std::vector<std::string> {"1111", "1121"}));
    exec("UPDATE KAMOKUMST SET USE = 0 WHERE KCODE = '1121'");
    EXPECT_EQ(make.DefaultAccountList("210"), std::vector<std::string> {"1111"});
    exec("UPDATE KAMOKUMST SET USE = 1 WHERE KCODE = '1121'");
    EXPECT_TRUE(make.DefaultAccountList("230").empty());
}
