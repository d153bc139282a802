#include "core/AppInfo.h"
#include "core/SitenList.h"
#include "core/uAccRecord.h"
#include "dataset_fixture.h"
#include "platform/codec.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using dataset_fixture::Root;

class BranchList : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* sql : {
                 "DELETE FROM SISETUGROUPLIST",
                 "DELETE FROM SISETUGROUP",
                 "DELETE FROM OPLICENSE",
                 "DELETE FROM SISETUMST WHERE SCODE NOT IN ('', '01')",
                 "INSERT INTO OPLICENSE (OPCODE, SCODE) VALUES (100000010, '01')",
                 "UPDATE SISETUMST SET XSTR='COLOR=16777215', BUMEX=0 WHERE SCODE='01'",
                 "INSERT INTO SISETUMST (SCODE, SNAME, XSTR, MB_JIGYOU, BUMEX) VALUES ('02', '大阪支店', '', 4, 1)",
                 "INSERT INTO SISETUMST (SCODE, SNAME, XSTR, MB_JIGYOU, BUMEX) VALUES ('03', '福岡支店', '', 2, 0)",
                 "INSERT INTO SISETUMST (SCODE, SNAME, XSTR, MB_JIGYOU, BUMEX) VALUES ('04', '売店', '', 1, 0)",
                 "UPDATE SISETUMST SET MB_JIGYOU=8 WHERE SCODE='01'",
                 "INSERT INTO SISETUGROUP (GCODE, GNAME) VALUES ('G1', '西日本')",
                 "INSERT INTO SISETUGROUP (GCODE, GNAME) VALUES ('G2', '九州')",
                 "INSERT INTO SISETUGROUPLIST (GCODE, SCODE) VALUES ('G1', '01')",
                 "INSERT INTO SISETUGROUPLIST (GCODE, SCODE) VALUES ('G1', '02')",
                 "INSERT INTO SISETUGROUPLIST (GCODE, SCODE) VALUES ('G2', '03')",
                 "INSERT INTO OPLICENSE (OPCODE, SCODE) VALUES (100000010, '02')",
                 "INSERT INTO OPLICENSE (OPCODE, SCODE) VALUES (100000010, '04')",
             })
            Root::exec(r.companyDb, sql);
        ASSERT_TRUE(r.dm->fnAccDatConnected({}, r.company, 0));
        AccInf.SITEN = 1;
        AccInf.DATATYPE = 1;
        AccInf.SHOUGOU = "株式会社トルバン商事";
        AccInf.DataKind = 0;
        SysDef.JobLevel = 5;
        SysDef.IsAdmin = 0;
        SysDef.AllDataRight = 0;
    }
    Root r;
};

TEST_F(BranchList, OneOperatorMissingABranchGetsNoCaptionAndNoGroupWithIt)
{
    TSitenList list;
    list.Selection = sitensel::Caption | sitensel::Groups | sitensel::Branches;
    list.Execute(100000010);
    const std::vector<std::string> expected = {"(G1):西日本", "01:本店", "02:大阪支店", "04:売店"};
    EXPECT_EQ(list.Items, expected);
    EXPECT_EQ(list.Count, 4);
    EXPECT_EQ(list.Rows[1].Color, 16777215);
    EXPECT_EQ(list.GetSCode(2), "02");
    EXPECT_EQ(list.GetSCode(4), "");
}

TEST_F(BranchList, AllOperatorsWithCaptionQuotedItemsAndDepartmentBranches)
{
    TSitenList list;
    list.Selection = sitensel::Caption | sitensel::Groups | sitensel::BumonBranches;
    list.QuotedItems = true;
    list.Execute(-1);
    const std::vector<std::string> expected = {"\"法人全体\"\t\"\"\t\"\"", "\"(G1)\"\t\"G1\"\t\"西日本\"",
        "\"(G2)\"\t\"G2\"\t\"九州\"", "\"02\"\t\"\"\t\"大阪支店\""};
    EXPECT_EQ(list.Items, expected);
    EXPECT_EQ(list.Rows[3].Kind, 3);
}

TEST_F(BranchList, WithoutBranchesOneRowCarriesTheCompany)
{
    AccInf.SITEN = 0;
    AccInf.BUMON = 1;
    TSitenList list;
    list.Selection = sitensel::Branches;
    list.Execute(-1);
    ASSERT_EQ(list.Count, 1);
    EXPECT_EQ(list.Items[0], "株式会社トルバン商事");
    EXPECT_EQ(list.Rows[0].BumonKbn, 1);
}

TEST_F(BranchList, MedicalDivisionsComeInOrder8421)
{
    AccInf.DataKind = 1;
    AccInf.DATATYPE = 3;
    TSitenList list;
    list.Selection = sitensel::Groups;
    list.Execute(-1);
    ASSERT_GE(list.Count, 4);
    EXPECT_EQ(list.Items[0], "( ):病院・診療所");
    EXPECT_EQ(list.Rows[0].Jigyou, 8);
    EXPECT_EQ(list.Rows[1].Name, "老人保健施設");
    EXPECT_EQ(list.Rows[2].Name, "指定訪問看護");
    EXPECT_EQ(list.Rows[3].Name, "その他の事業");
    EXPECT_EQ(list.Rows[4].Kind, 5);

    // The operator lacks the one facility of division 2.
    list.Execute(100000010);
    std::vector<std::string> names;
    for (const auto& row : list.Rows)
        names.push_back(row.Name);
    EXPECT_EQ(std::count(names.begin(), names.end(), "指定訪問看護"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "病院・診療所"), 1);

    list.Selection = sitensel::Branches;
    list.JigyouFilter = 4;
    list.Execute(-1);
    ASSERT_EQ(list.Count, 1);
    EXPECT_EQ(list.Rows[0].Jigyou, 4);
}

class ScreenValues : public ::testing::Test {
protected:
    Root r;
};

TEST_F(ScreenValues, SaveCutsAt1024BytesWithoutSplittingAndRestores)
{
    TGamenKeyValue v;
    std::string value = "a";
    for (int i = 0; i < 1000; ++i)
        value += "あ";
    v.HozonValue("frmTest", "  " + value + "　");
    std::string back = "unchanged";
    TGamenKeyValue w;
    w.FukugenValue("frmTest", back);
    EXPECT_EQ(platform::codec::sjisWidth(back), 1023u);
    EXPECT_EQ(back, value.substr(0, 1 + 511 * 3));
    EXPECT_EQ(w.StyleName, "020-FRMTEST");

    v.HozonValue("frmTest", "second");
    w.FukugenValue("frmTest", back);
    EXPECT_EQ(back, "second");

    std::string untouched = "keep";
    w.FukugenValue("nothing-saved", untouched);
    EXPECT_EQ(untouched, "keep");
}

TEST_F(ScreenValues, LongStyleNameIsCutAt40BytesAndOperatorZeroDoesNothing)
{
    TGamenKeyValue v;
    v.SetKeyName(std::string(60, 'x'));
    EXPECT_EQ(v.StyleName, "020-" + std::string(36, 'X'));
    v.OpCode = 0;
    v.HozonValue("frm", "value");
    EXPECT_EQ(Root::scalar(r.systemDb(), "SELECT COUNT(*) FROM STYLECOLOR WHERE STYLENAME='020-FRM'"), "0");
}

class CodeSystems : public ::testing::Test {
protected:
    void SetUp() override { saved_ = AppInfo; }
    void TearDown() override { AppInfo = saved_; }
    std::string writeFile(const std::string& text) { return dir.write("code.txt", platform::codec::toSjis(text)); }
    Root r;
    test_support::TempDir dir;
    TAppInfoRec saved_;
};

TEST_F(CodeSystems, LinesAreRoutedByKindAndStored)
{
    DistKind = 0;
    const auto file = writeFile("1,建設業,1,2,x,\r\n2,a\r\n21,b\r\n31,c\r\n9,dropped\r\n40,dropped\r\n71,g\r\n");
    TCodeTaikeiIO io;
    ASSERT_TRUE(io.LoadFromFile(file, 1));
    EXPECT_EQ(Root::scalar(r.systemDb(), "SELECT NAME FROM USERCODE WHERE RECNO=1"), "建設業");
    EXPECT_EQ(Root::scalar(r.systemDb(), "SELECT CODETYPE FROM USERCODE WHERE RECNO=1"), "2");
    EXPECT_EQ(Root::scalar(r.systemDb(), "SELECT INIDAT2 FROM USERCODE WHERE RECNO=1"), "2,a\r\n21,b\r\n");
    EXPECT_EQ(Root::scalar(r.systemDb(), "SELECT INIDAT3 FROM USERCODE WHERE RECNO=1"), "31,c\r\n");
    EXPECT_EQ(Root::scalar(r.systemDb(), "SELECT INIDAT7 FROM USERCODE WHERE RECNO=1"), "71,g\r\n");
    EXPECT_EQ(io.Rec.IniDat[8 - 1].size(), 0u);
}

TEST_F(CodeSystems, ProductKindCheck)
{
    AppInfo.Application.OEM = "";
    AppInfo.Application.VerTest = "";
    const auto five = writeFile("1,建設業,1,2,x\r\n");
    DistKind = 0;
    {
        ScriptedMessages messages;
        TCodeTaikeiIO io;
        EXPECT_FALSE(io.LoadFromFile(five, 1));
        EXPECT_EQ(io.Rec.SeihinKubun, "-");
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_NE(messages.firstLine(0).find("製品区分"), std::string::npos);
    }
    AppInfo.Application.OEM = "-";
    TCodeTaikeiIO io;
    EXPECT_TRUE(io.LoadFromFile(five, 1));
    std::string message;
    DistKind = 1;
    EXPECT_FALSE(io.CheckSeihinKubun("", message));
    EXPECT_TRUE(io.CheckSeihinKubun("-", message));
    DistKind = 5;
    EXPECT_FALSE(io.CheckSeihinKubun("-", message));
    EXPECT_TRUE(message.empty());
    DistKind = 0;
}

TEST_F(CodeSystems, MissingRowIsNotReportedAsStored)
{
    DistKind = 0;
    const auto file = writeFile("1,建設業,1,2,x,\r\n");
    ScriptedMessages messages;
    TCodeTaikeiIO io;
    EXPECT_FALSE(io.LoadFromFile(file, 99));
    EXPECT_GE(messages.count(), 1u);
}

TEST_F(CodeSystems, KindRepairUsesTheHeaderLine)
{
    Root::exec(r.systemDb(),
        "INSERT INTO USERCODE (RECNO, NAME, DATATYPE, CODETYPE, INIDAT1) VALUES "
        "(2, 'm', 1, 1, '1,m,3,1,x,' || ASCII_CHAR(13) || ASCII_CHAR(10))");
    Root::exec(r.systemDb(),
        "INSERT INTO USERCODE (RECNO, NAME, DATATYPE, CODETYPE, INIDAT1) VALUES "
        "(3, 'n', 1, 1, '1,n,1,4,x,')");
    TCodeTaikeiIO io;
    EXPECT_EQ(Root::scalar(r.systemDb(), "SELECT DATATYPE FROM USERCODE WHERE RECNO=2"), "3");
    EXPECT_EQ(Root::scalar(r.systemDb(), "SELECT CODETYPE FROM USERCODE WHERE RECNO=3"), "1");
}

} // namespace
