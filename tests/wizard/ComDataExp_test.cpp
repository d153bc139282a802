// The export base: identity, the installed product from the registry,
// Miruza.ini and the BASIC node.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/codec.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "wizard/ComDataExp.h"
#include "wizard_test_util.h"

namespace {

class NoData : public TComDataExport {
public:
    using TComDataExport::TComDataExport;
    void WriteData(TXmlSaveDoc&) override { }
};

struct Fixture {
    test_support::TempDir dir;
    platform::Registry registry {dir.file("registry.ini")};
    TExportSources sources;

    Fixture()
    {
        sources.AppDataDir = dir.file("appdata");
        sources.HomeDir = "brimto\\rozivoraduz";
        sources.AppRegKey = "\\SOFTWARE\\BRIMTO";
        sources.VarovRegKey = "RoziVoraduz";
        sources.Registry = &registry;
    }
    void product(const std::string& subkey, const std::string& name, const std::string& version)
    {
        registry.writeString(platform::RegRoot::LocalMachine, "\\SOFTWARE\\BRIMTO\\" + subkey, "Product", name);
        registry.writeString(platform::RegRoot::LocalMachine, "\\SOFTWARE\\BRIMTO\\" + subkey, "Version", version);
    }
    std::string miruzaIni() const { return dir.file("appdata/brimto/rozivoraduz/ini/Miruza.ini"); }
    void seedMiruzaIni(const std::string& utf8) const
    {
        dir.write("appdata/brimto/rozivoraduz/ini/Miruza.ini", platform::codec::toSjis(utf8));
    }
};

const char* const kMiruzaIni
    = "; shared with the other exporters\r\n"
      "[HOJINZEI]\r\nDATA=/d/x\r\nKOMONSAKI=他社\r\nEXPORTFILE=/o/h.xml\r\n"
      "\r\n[GAIKYOUSYO]\r\nDATA=/data/co1\r\nKOMONSAKI=前回の顧問先\r\nEXPORTFILE=/out/last.xml\r\n"
      "[SYOUHIZEI]\r\nX = 1 \r\n";

} // namespace

TEST(ComDataExport, IdentityAndTheInstalledProduct)
{
    Fixture fx;
    fx.product("ROZIVORADUZ13", "トルバン財務", "13.1.0");
    NoData e("ignored.exe", 0, "", false, fx.sources);
    EXPECT_EQ(e.DataRoot, fx.dir.file("appdata/brimto/rozivoraduz"));
    EXPECT_TRUE(std::filesystem::is_directory(e.SettingsDir));
    EXPECT_EQ(e.InstalledProductName, "トルバン財務");
    EXPECT_EQ(e.InstalledProductVersion, "13.1.0");
    EXPECT_EQ(e.WindowTitle, "内訳概況書のミルザ（平成16年度以降用） from トルバン財務（概況書）");
    EXPECT_EQ(e.TargetProgramName, "内訳概況書のミルザ（概況書）");
    EXPECT_EQ(e.DataKind, "UG_G");
    EXPECT_EQ(e.BusinessPrefix, "UG16");
    EXPECT_EQ(e.FormatVersion, 1);
    EXPECT_EQ(e.FunctionID, 2);
    EXPECT_EQ(e.RequiredProductVersion, "13.0.0");
    EXPECT_EQ(e.MinimumVersion, "13.0.0");
    EXPECT_EQ(e.ClosingDay, 99);
    EXPECT_FALSE(e.ProgramFileName.empty());
    for (char c : e.ProgramFileName)
        EXPECT_FALSE(c >= 'a' && c <= 'z') << e.ProgramFileName;
}

TEST(ComDataExport, RegistryLookupTable)
{
    struct Case {
        std::vector<std::pair<std::string, std::string>> subkeys; // name, product
        const char* product;
    } cases[] = {
        {{{"ROZIVORADUZ12", "old"}, {"ROZIVORADUZ13", "thirteen"}}, "thirteen"},
        // The walk runs from the last name: the later of two matches wins.
        {{{"ROZIVORADUZ13", "first"}, {"rozivoraduz13b", "second"}}, "second"},
        // Containment: "…130" matches too, in any letter case.
        {{{"xRoZiVoRaDuZ130", "contained"}}, "contained"},
        {{{"ROZIVORADUZ12", "old"}, {"OTHER13", "other"}}, ""},
        {{}, ""},
    };
    for (const auto& c : cases) {
        Fixture fx;
        for (const auto& [key, name] : c.subkeys)
            fx.product(key, name, "13.0.0");
        NoData e("x", 0, "", false, fx.sources);
        EXPECT_EQ(e.InstalledProductName, c.product);
        if (std::string(c.product).empty()) {
            EXPECT_EQ(e.InstalledProductVersion, "");
            EXPECT_EQ(e.WindowTitle, "内訳概況書のミルザ（平成16年度以降用） from （概況書）");
        }
    }
}

TEST(ComDataExport, RootDirValueGetsTheProductFolder)
{
    Fixture fx;
    fx.registry.writeString(
        platform::RegRoot::LocalMachine, "\\SOFTWARE\\BRIMTO\\ROZIVORADUZ13", "RootDir", "/opt/brimto/");
    NoData e("x", 0, "", false, fx.sources);
    std::string r;
    e.ReadProductRegValue(13, 1, "RootDir", r);
    EXPECT_EQ(r, "/opt/brimto/rozivoraduz21b");
}

TEST(ComDataExport, StandAloneRemembersTheOutputFileAndKeepsOtherSections)
{
    Fixture fx;
    fx.seedMiruzaIni(kMiruzaIni);
    {
        NoData e("x", 0, "/ignored.xml", false, fx.sources);
        EXPECT_EQ(e.LastDataPath, "/data/co1");
        EXPECT_EQ(e.ClientName, "前回の顧問先");
        EXPECT_EQ(e.OutputFileName, "/out/last.xml");
        e.ClientName = "新しい顧問先";
        e.LastDataPath = "/data/other"; // not written back: DATA stays as read
        e.OutputFileName = "/out/new.xml";
        e.DataFolder = "/data/other";
    }
    std::string expected = kMiruzaIni;
    expected.replace(expected.find("前回の顧問先"), std::string("前回の顧問先").size(), "新しい顧問先");
    expected.replace(expected.find("/out/last.xml"), std::string("/out/last.xml").size(), "/out/new.xml");
    expected.replace(expected.find("DATA=/data/co1"), std::string("DATA=/data/co1").size(), "DATA=/data/other");
    EXPECT_EQ(platform::codec::fromSjis(wizard_test::readBytes(fx.miruzaIni())), expected);
}

TEST(ComDataExport, DataIsWrittenBackAsRead)
{
    Fixture fx;
    fx.seedMiruzaIni(kMiruzaIni);
    {
        NoData e("x", 0, "", false, fx.sources);
        e.DataFolder = "/data/connected-later";
    }
    EXPECT_EQ(platform::codec::fromSjis(wizard_test::readBytes(fx.miruzaIni())), kMiruzaIni);
}

TEST(ComDataExport, MissingExportFileEmptiesTheStandAloneName)
{
    Fixture fx;
    NoData e("x", 0, "/given.xml", false, fx.sources);
    EXPECT_EQ(e.OutputFileName, "");
    EXPECT_EQ(e.ClientName, "");
}

TEST(ComDataExport, CallerKeepsItsFileNameWhateverItsValue)
{
    for (std::int32_t value : {7, 0}) {
        Fixture fx;
        fx.seedMiruzaIni(kMiruzaIni);
        {
            NoData e("x", value, "/caller/out.xml", true, fx.sources);
            EXPECT_EQ(e.OutputFileName, "/caller/out.xml") << value;
            EXPECT_EQ(e.FunctionID, value != 0 ? value : 2);
            EXPECT_EQ(e.CallerValue, value);
        }
        // EXPORTFILE neither read nor written.
        EXPECT_EQ(platform::codec::fromSjis(wizard_test::readBytes(fx.miruzaIni())), kMiruzaIni) << value;
    }
}

TEST(ComDataExport, SettingsCreatedWhenMissing)
{
    Fixture fx;
    {
        NoData e("x", 0, "", false, fx.sources);
        e.ClientName = "A&B";
        e.OutputFileName = "/o.xml";
    }
    platform::IniFile ini(fx.miruzaIni());
    EXPECT_EQ(ini.readString("GAIKYOUSYO", "KOMONSAKI", "?"), "A&B");
    EXPECT_EQ(ini.readString("GAIKYOUSYO", "EXPORTFILE", "?"), "/o.xml");
    EXPECT_EQ(ini.readString("GAIKYOUSYO", "DATA", "?"), "");
}

TEST(ComDataExport, SectionTable)
{
    EXPECT_EQ(ExportSectionOfKind("UG_G"), "GAIKYOUSYO");
    EXPECT_EQ(ExportSectionOfKind("HJ"), "HOJINZEI");
    EXPECT_EQ(ExportSectionOfKind("RC_G"), "RENKETUNOUZEI_G");
    EXPECT_EQ(ExportSectionOfKind("ug_g"), "");
    EXPECT_EQ(ExportSectionOfKind("XX"), "");
}

TEST(ComDataExport, BasicNodeOfAnUnknownPrefixFailsWithCode256)
{
    Fixture fx;
    NoData e("x", 0, "", false, fx.sources);
    e.BusinessPrefix = "HJ99";
    e.ClientName = "顧問先";
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    e.SetSystemNode(doc);
    try {
        e.SetBasicNode(doc);
        FAIL() << "no error";
    } catch (const EDataExportError& err) {
        EXPECT_STREQ(err.what(), "業務Prefixが条件に加えられていません。");
        EXPECT_EQ(err.Detail, "SetBasicNode(BASICﾉｰﾄﾞを作成)");
        EXPECT_EQ(err.Code, 256);
    }
    // BASIC and its client name were added before the failure.
    EXPECT_NE(platform::codec::fromSjis(doc.SaveToBytes()).find("<BASIC><KOMONSAKINAME>顧問先</KOMONSAKINAME></BASIC>"),
        std::string::npos);
}

TEST(ComDataExport, BasicNodeRefusesControlCharactersAndABadFiscalYearBeforeAddingAnything)
{
    Fixture fx;
    struct Case {
        std::string client;
        TDateTime start, end;
        const char* refusal; // part of the message, or nullptr when accepted
    };
    const Case cases[] = {
        {"株式会社\r\n改行", 45017, 45382, "制御文字"}, {std::string("A\x01B"), 45017, 45382, "制御文字"},
        {"タブ\t入り", 45017, 45382, "制御文字"}, {"顧問先", 0, 45382, "会計期間"}, // missing start: would be 18991230
        {"顧問先", 45017, 0, "会計期間"}, {"顧問先", 45382, 45017, "会計期間"}, // reversed
        {"顧問先", 45017, 45017, nullptr}, // a one-day year is still a year
    };
    for (const auto& c : cases) {
        NoData e("x", 0, "", false, fx.sources);
        e.ClientName = c.client;
        e.FiscalStart = c.start;
        e.FiscalEnd = c.end;
        TXmlSaveDoc doc("1.0", "Shift_JIS", "");
        e.SetSystemNode(doc);
        if (c.refusal == nullptr) {
            EXPECT_NO_THROW(e.SetBasicNode(doc));
            continue;
        }
        try {
            e.SetBasicNode(doc);
            ADD_FAILURE() << c.client << " " << c.start << "-" << c.end << " was accepted";
        } catch (const std::runtime_error& err) {
            EXPECT_NE(std::string(err.what()).find(c.refusal), std::string::npos) << err.what();
        }
        EXPECT_EQ(platform::codec::fromSjis(doc.SaveToBytes()).find("<BASIC>"), std::string::npos);
    }
}

TEST(ComDataExport, VersionCheckTable)
{
    struct Case {
        const char* actual;
        bool ok;
    } cases[] = {
        {"13.0.0", true},
        {"12.9.99", false},
        {"13", true},
        {"13.0.0.1", false},
        {"", false},
        {"13.1", true},
        {"14.0.0", true},
        {"0.0.0", false},
        {"x.y.z", false},
        {"13.0.x", true},
        // Numbers compare one by one: a minor of 100 does not spill into the major.
        {"12.100.0", false},
        {"13.100.0", true},
        {"12.99.100", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckVersion(c.actual, "13.0.0"), c.ok) << c.actual;
}
