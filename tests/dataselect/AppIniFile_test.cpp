// The connection settings file: the fresh write byte for byte, and how each
// section reads into SysDef.
#include "dataselect/AppIniFile.h"

#include "core/AppInfo.h"
#include "core/uAccRecord.h"
#include "platform/codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string goldenPath(const std::string& name)
{
    std::string here = __FILE__;
    return here.substr(0, here.find_last_of('/')) + "/golden/" + name;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class AppIniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SysDef.ServerIniFile = dir.file("tnzaimu.ini");
    }
    void TearDown() override { ResetProcessState(); }

    // Writes the file from UTF-8 lines (CR LF, code page 932).
    void writeFile(const std::string& utf8) { dir.write("tnzaimu.ini", platform::codec::toSjis(utf8)); }

    test_support::TempDir dir;
};

TEST_F(AppIniFileTest, FreshWriteMatchesTheGoldenFile)
{
    writeFile("; 共通設定\r\n"
              "[APPLICATION]\r\n"
              "TOP=120\r\n"
              "CONNECT=1\r\n"
              "THEME=青\r\n"
              "[DATABASE]\r\n"
              "PATH=/old/tnacc.fdb\r\n"
              "[SBC]\r\n"
              "HOSTNAME=termserv\r\n"
              "GOGLOBAL=YES\r\n"
              "SYSDIR=/srv/共有/data\r\n"
              "[MAINFORM]\r\n"
              "LEFT=3\r\n"
              "[利用者]\r\n"
              "名前=髙橋　一郎\r\n");
    ConnectMode = 0;
    SysDef.HostName = "dataserver";
    SysDef.UseGoGlobal = 0;
    SysDef.UseGroup = 1;
    SysDef.SysDir = "/home/髙橋/rozivoraduz/data";
    SysDef.DBUser = "TOLVAN";
    SysDef.DBPassword = "vulmok";
    ASSERT_TRUE(dataselect::WriteIniFile(1));
    EXPECT_EQ(SysDef.HostName, "") << "stand-alone has no host";
    const std::string written = readBytes(SysDef.ServerIniFile);
    EXPECT_EQ(written, readBytes(goldenPath("tnzaimu_fresh.ini")));
    EXPECT_EQ(written.find(platform::codec::toSjis("[DATABASE]")), std::string::npos);
    EXPECT_EQ(written.find(platform::codec::toSjis("[MAINFORM]")), std::string::npos);
    EXPECT_NE(written.find(platform::codec::toSjis("SYSDIR=/srv/共有/data")), std::string::npos);
}

TEST_F(AppIniFileTest, OtherModesWriteTheSectionOfTheConnectionKind)
{
    writeFile("[LOCAL]\r\nHOSTNAME=\r\nSYSDIR=/a\r\n");
    ConnectMode = 1;
    SysDef.HostName = "dataserver/3050";
    SysDef.SysDir = "/srv/data";
    SysDef.DBUser = "TOLVAN";
    SysDef.DBPassword = "vulmok";
    ASSERT_TRUE(dataselect::WriteIniFile(0));
    EXPECT_EQ(readBytes(SysDef.ServerIniFile),
        "[LOCAL]\r\nHOSTNAME=\r\nSYSDIR=/a\r\n"
        "[SERVER]\r\nHOSTNAME=dataserver/3050\r\nGOGLOBAL=NO\r\nGROUP=NO\r\n"
        "SYSDIR=/srv/data\r\nUSER=TOLVAN\r\nPASSWORD=vulmok\r\n");
}

TEST_F(AppIniFileTest, ReadsTable)
{
    struct Case {
        const char* name;
        const char* file; // nullptr: no file
        int kind;
        std::string host;
        bool goGlobal;
        std::string sysDir;
        std::string user;
        std::string password;
        int connect;
    };
    const std::vector<Case> cases = {
        {"missing file gives the defaults", nullptr, 0, "", false, "", "TOLVAN", "vulmok", 0},
        {"GOGLOBAL in lower case is false", "[LOCAL]\r\nGOGLOBAL=yes\r\n", 0, "", false, "", "TOLVAN", "vulmok", 0},
        {"GOGLOBAL YES exactly", "[local]\r\ngoglobal=YES\r\n", 0, "", true, "", "TOLVAN", "vulmok", 0},
        {"user upper, password lower, folder kept",
            "[LOCAL]\r\nSYSDIR=/Home/Data\r\nUSER=tolvan\r\nPASSWORD=VulMok\r\n", 0, "", false, "/Home/Data", "TOLVAN",
            "vulmok", 0},
        {"kind 1 reads SERVER", "[LOCAL]\r\nHOSTNAME=x\r\n[SERVER]\r\nHOSTNAME=srv/3050\r\nSYSDIR=/d\r\n", 1,
            "srv/3050", false, "/d", "TOLVAN", "vulmok", 0},
        {"kind 2 reads SBC", "[SBC]\r\nHOSTNAME=ts\r\n[SERVER]\r\nHOSTNAME=srv\r\n", 2, "ts", false, "", "TOLVAN",
            "vulmok", 0},
        {"another kind reads LOCAL", "[LOCAL]\r\nHOSTNAME=loc\r\n", 7, "loc", false, "", "TOLVAN", "vulmok", 0},
        {"CONNECT not a number", "[APPLICATION]\r\nCONNECT=abc\r\n", 0, "", false, "", "TOLVAN", "vulmok", 0},
        {"CONNECT 2", "[APPLICATION]\r\nCONNECT=2\r\n", 0, "", false, "", "TOLVAN", "vulmok", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(SysDef.ServerIniFile.c_str());
        if (c.file != nullptr)
            writeFile(c.file);
        SysDef.UseGroup = 1;
        EXPECT_EQ(dataselect::ReadIniFile(c.kind), 1);
        EXPECT_EQ(SysDef.HostName, c.host);
        EXPECT_EQ(SysDef.UseGoGlobal != 0, c.goGlobal);
        EXPECT_EQ(SysDef.SysDir, c.sysDir);
        EXPECT_EQ(SysDef.DBUser, c.user);
        EXPECT_EQ(SysDef.DBPassword, c.password);
        EXPECT_EQ(SysDef.UseGroup, 0) << "GROUP is never read";
        EXPECT_EQ(dataselect::ReadConnectKind(), c.connect);
    }
}

TEST_F(AppIniFileTest, GroupYesDoesNotSwitchGroupLoginOn)
{
    writeFile("[LOCAL]\r\nGROUP=YES\r\n[SERVER]\r\nGROUP=YES\r\n[SBC]\r\nGROUP=YES\r\n");
    for (int kind : {0, 1, 2}) {
        dataselect::ReadIniFile(kind);
        EXPECT_EQ(SysDef.UseGroup, 0) << kind;
    }
}

TEST_F(AppIniFileTest, ConnectKindIsStoredOnlyForTheAccountingProgramAndKnownKinds)
{
    dataselect::WriteConnectKind(1);
    EXPECT_EQ(dataselect::ReadConnectKind(), 1);
    dataselect::WriteConnectKind(3);
    EXPECT_EQ(dataselect::ReadConnectKind(), 1);
    AppKind = 1;
    dataselect::WriteConnectKind(2);
    EXPECT_EQ(dataselect::ReadConnectKind(), 0) << "other program kinds read 0";
    AppKind = 0;
    EXPECT_EQ(dataselect::ReadConnectKind(), 1);
}

TEST_F(AppIniFileTest, LoadConnectSettingsByProgramKind)
{
    writeFile("[LOCAL]\r\nHOSTNAME=h\r\nSYSDIR=/from/file\r\nUSER=u\r\nPASSWORD=P\r\n");
    SysDef.ParentDir = "/opt/product";
    SysDef.DataRoot = "/home/u/rozivoraduz";
    AppInfo.Ridovaro.DataDir = "cb_data";
    struct Case {
        int appKind;
        int result;
        std::string sysDir;
        std::string user;
    };
    for (const Case& c :
        {Case {0, 1, "/from/file", "U"}, Case {2, 1, "/from/file", "U"}, Case {1, 1, "/opt/product/data", "TOLVAN"},
            Case {3, 1, "/home/u/rozivoraduz/cb_data", "TOLVAN"}, Case {4, 0, "unchanged", "unchanged"}}) {
        SCOPED_TRACE(c.appKind);
        AppKind = static_cast<std::uint8_t>(c.appKind);
        SysDef.SysDir = "unchanged";
        SysDef.DBUser = "unchanged";
        EXPECT_EQ(dataselect::LoadConnectSettings(0), c.result);
        EXPECT_EQ(SysDef.SysDir, c.sysDir);
        EXPECT_EQ(SysDef.DBUser, c.user);
    }
}

} // namespace
