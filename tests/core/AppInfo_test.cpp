#include "core/AppInfo.h"

#include <gtest/gtest.h>

#include "platform/codec.h"
#include "support/temp_dir.h"

namespace {

// LoadAppInfo on a folder holding the given AppInfo.ini bytes (none when
// bytes is null).
struct Fixture {
    test_support::TempDir dir;
    std::string program() const { return dir.file("miruza_rendo"); }
    void write(const std::string& utf8) { dir.write("AppInfo.ini", platform::codec::toSjis(utf8)); }
};

TAppInfoRec defaults()
{
    TAppInfoRec rec;
    SetDefaultAppInfo(rec);
    return rec;
}

} // namespace

TEST(AppInfo, BuiltInDefaults)
{
    const TAppInfoRec rec = defaults();
    EXPECT_EQ(rec.Application.OEM, "-");
    EXPECT_EQ(rec.Application.RegKey, "\\SOFTWARE\\BRIMTO");
    EXPECT_EQ(rec.Application.Quv, "Ｑｕｖキーステーション");
    EXPECT_EQ(rec.Varov.AppName, "tnzaimu");
    EXPECT_EQ(rec.Varov.DataDefFile, "tnaccdef.fdb");
    EXPECT_EQ(rec.Varov.DataFile, "tnacc.fdb");
    EXPECT_EQ(rec.Varov.DataInitFile, "acc%d.gbk");
    EXPECT_EQ(rec.Varov.HomeDir, "brimto/rozivoraduz");
    EXPECT_EQ(rec.Varov.DataListCnt, 120);
    EXPECT_EQ(rec.ZEvave.WriteDirFmt, "tnz%.2dcd");
    EXPECT_EQ(rec.Ridovaro.DataBackupFile, "tncashbook.fbk");
    EXPECT_EQ(rec.Menu.DataConQuv02, "Ｑｕｖ復元");
    EXPECT_FALSE(rec.Company.Name.empty());
    EXPECT_FALSE(rec.Application.WebOrbiscaServer.empty());
}

TEST(AppInfo, NoFileLeavesTheRecordUntouched)
{
    Fixture f;
    TAppInfoRec rec;
    rec.Application.OEM = "mine";
    EXPECT_EQ(LoadAppInfo(f.program(), rec), 0);
    EXPECT_EQ(rec.Application.OEM, "mine");
}

TEST(AppInfo, EmptyOemGivesTheDefaults)
{
    for (const char* content : {"[Application]\r\nOEM=\r\n[Varov]\r\nAppName=other\r\n", "[Varov]\r\nAppName=x\r\n"}) {
        Fixture f;
        f.write(content);
        TAppInfoRec rec;
        EXPECT_EQ(LoadAppInfo(f.program(), rec), -1) << content;
        EXPECT_EQ(rec.Application.OEM, "-");
        EXPECT_EQ(rec.Varov.AppName, "tnzaimu");
        EXPECT_EQ(rec.Company.URL, defaults().Company.URL);
    }
}

TEST(AppInfo, CompleteFileWithCaseFreeNames)
{
    Fixture f;
    f.write(
        "[menu]\r\ndatacon=通信メニュー\r\n"
        "[APPLICATION]\r\n"
        "oem=Harbenworks\r\nSince=2010-2026\r\nVerMajorDiff=-1\r\nOptionBlind=1\r\nVerTest=T\r\n"
        "webOrbiscaServer=web.example\r\n"
        "[Varov]\r\nAppName=tnzaimu\r\nAppTitle=トルバン財務\r\nAppTitle_CL=顧問先版\r\nHomeDir=brimto/rozivoraduz\r\n"
        "DataDefFile=tnaccdef.fdb\r\nDataFile=tnacc.fdb\r\nDataIniFile=tnacc.ini\r\nDataListCnt=300\r\n"
        "[Company]\r\nName=株式会社テスト\r\nTEL=03-0000-0000\r\n"
        "[Orbisca]\r\nAppTitle=経営オルビスカ\r\n");
    TAppInfoRec rec;
    ASSERT_EQ(LoadAppInfo(f.program(), rec), 1);
    EXPECT_EQ(rec.Application.OEM, kOemHarbenworks);
    EXPECT_EQ(rec.Application.Since, "2010-2026");
    EXPECT_EQ(rec.Application.VerMajorDiff, -1);
    EXPECT_EQ(rec.Application.OptionBlind, 1);
    EXPECT_EQ(rec.Application.VerTest, "T");
    EXPECT_EQ(rec.Application.WebOrbiscaServer, "web.example");
    EXPECT_EQ(rec.Varov.AppTitle, "トルバン財務");
    EXPECT_EQ(rec.Varov.DataListCnt, 300);
    EXPECT_EQ(rec.Company.Name, "株式会社テスト");
    EXPECT_EQ(rec.Orbisca.AppTitle, "経営オルビスカ");
    EXPECT_EQ(rec.Menu.DataCon, "通信メニュー");
    // A missing key is empty, not its built-in default.
    EXPECT_EQ(rec.Application.RegKey, "");
    EXPECT_EQ(rec.Varov.DataBackupFile, "");
    EXPECT_EQ(rec.Menu.DataCon01, "");
}

TEST(AppInfo, IncompleteFileGivesEmptyNamesNotDefaults)
{
    Fixture f;
    f.write("[Application]\r\nOEM=-\r\nOptionBlind=abc\r\nRidovaroBlind=\r\n");
    TAppInfoRec rec = defaults();
    ASSERT_EQ(LoadAppInfo(f.program(), rec), 1);
    EXPECT_EQ(rec.Varov.AppName, "");
    EXPECT_EQ(rec.Varov.DataFile, "");
    EXPECT_EQ(rec.Varov.DataDefFile, "");
    EXPECT_EQ(rec.Varov.DataListCnt, 120);
    EXPECT_EQ(rec.Application.OptionBlind, 0);
    EXPECT_EQ(rec.Application.RidovaroBlind, 0);
}

TEST(AppInfo, NonNumericCount)
{
    Fixture f;
    f.write("[Application]\r\nOEM=x\r\n[Varov]\r\nDataListCnt=abc\r\n");
    TAppInfoRec rec;
    ASSERT_EQ(LoadAppInfo(f.program(), rec), 1);
    EXPECT_EQ(rec.Varov.DataListCnt, 120);
}

TEST(AppInfo, UnreadableFileIsMinusTen)
{
    Fixture f;
    // A lead byte with no second byte: the value read cannot be decoded.
    f.dir.write("AppInfo.ini", std::string("[Application]\r\nOEM=") + '\x82');
    TAppInfoRec rec;
    EXPECT_EQ(LoadAppInfo(f.program(), rec), -10);
}
