// The shared-server list and its area operations on a share root (letter X,
// remote) holding sv0001 (a company data set), sv0002 (empty) and the
// excluded backup folder, with the embedded system database of a sample root.

#include "area_helpers.h"
#include "registry_fixture.h"

#include "dataselect/z5ServerSentaku.h"

#include "core/DataInfomation.h"
#include "platform/ini_file.h"
#include "platform/share_roots.h"
#include "support/scripted_messages.h"

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using area_helpers::iniOf;
using area_helpers::shownText;

namespace {

std::string slurp(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ServerAreas : public registry_fixture::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        shareRoot = root.folder() + "/server";
        data = shareRoot + "/rozivoraduz";
        for (const char* name : {"sv0001", "sv0002", "DEDIVIDEREZ_IVIVIV"})
            fs::create_directories(data + "/" + name);
        for (const char* name : {"tnacc.fdb", "tnacc.ini"})
            fs::copy_file(company.folder + "/" + name, data + "/sv0001/" + name);
        platform::share_roots::save({{'X', shareRoot, true}, {'Y', root.folder() + "/local", false}});
        fs::create_directories(root.folder() + "/local/rozivoraduz");
        ctl = std::make_unique<TServerSentakuCtl>();
        ctl->ServerFolder = data;
        ctl->Letter = 'X';
    }

    int lineOf(const std::string& folder)
    {
        for (std::size_t i = 0; i < ctl->Lines.size(); ++i)
            if (ctl->LineRecord(static_cast<int>(i))->PASNAME == folder)
                return static_cast<int>(i);
        return -1;
    }

    std::string shareRoot, data;
    void TearDown() override
    {
        ctl.reset();
        RegistryTest::TearDown();
    }

    std::unique_ptr<TServerSentakuCtl> ctl;
};

} // namespace

TEST_F(ServerAreas, RefreshListsTheAreasWithTheirNamesAndPeriods)
{
    ScriptedMessages messages;
    ctl->RefreshList();
    ASSERT_EQ(ctl->Lines.size(), 2u) << shownText(messages);
    EXPECT_EQ(value("SERVERDATALIST", "COUNT(*)", "DRIVELETTER='X'"), "2");
    const TDataListRec* one = ctl->LineRecord(lineOf(data + "/sv0001"));
    const TDataListRec* two = ctl->LineRecord(lineOf(data + "/sv0002"));
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(one->ENTTEXT, iniOf(data + "/sv0001").DATALISTNAME);
    EXPECT_GT(one->NENDO, 0);
    EXPECT_NE(one->KikanText.find("～"), std::string::npos);
    EXPECT_EQ(two->ENTTEXT, kFreeAreaName);
    EXPECT_EQ(value("SERVERDATALIST", "ENTTEXT", "PASNAME='" + data + "/sv0002'"), kFreeAreaName);
}

TEST_F(ServerAreas, OnlyRemoteRootsWithTheShareFolderQualifyAndAStaleLetterFallsBack)
{
    const auto drives = TServerSentakuCtl::ScanDrives("rozivoraduz");
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].Letter, 'X');
    EXPECT_EQ(ctl->SelectDrive(drives, 'Q'), 0);
    EXPECT_EQ(ctl->Letter, 'X');
    EXPECT_EQ(ctl->ServerFolder, data);
    EXPECT_EQ(ctl->SelectDrive({}, 'X'), -1);
    EXPECT_TRUE(ctl->ServerFolder.empty());
}

TEST_F(ServerAreas, CopyOntoAFreeAreaGivesIdenticalFilesAndTheCopyName)
{
    ScriptedMessages messages;
    ctl->RefreshList();
    const std::string src = data + "/sv0001", dst = data + "/sv0002";
    const std::string name = ctl->LineRecord(lineOf(src))->ENTTEXT;
    ASSERT_TRUE(ctl->BeginCopy(lineOf(src))) << shownText(messages);
    EXPECT_EQ(iniOf(src).STATUS, 6);
    ASSERT_TRUE(ctl->Paste(lineOf(dst))) << shownText(messages);
    EXPECT_EQ(slurp(src + "/tnacc.fdb"), slurp(dst + "/tnacc.fdb"));
    EXPECT_EQ(iniOf(dst).DATALISTNAME, TServerSentakuCtl::CopyName(name));
    EXPECT_EQ(iniOf(dst).STATUS, 1);
    EXPECT_EQ(iniOf(src).STATUS, 1);
    EXPECT_EQ(iniOf(src).DATALISTNAME, name);
    for (const auto& e : fs::directory_iterator(data))
        EXPECT_EQ(e.path().filename().string().find("~paste"), std::string::npos) << "no side folder stays";
    EXPECT_EQ(value("SERVERDATALIST", "ENTTEXT", "PASNAME='" + dst + "'"), TServerSentakuCtl::CopyName(name));
}

TEST_F(ServerAreas, AFailedCopyLeavesTheDestinationAsItWas)
{
    // The destination already holds a data set of its own.
    for (const char* name : {"tnacc.fdb", "tnacc.ini"})
        fs::copy_file(company.folder + "/" + name, data + "/sv0002/" + name);
    const std::string dst = data + "/sv0002";
    platform::IniFile(TDataInfomation::IniPath(dst)).writeString("DATAINFO", "DATALISTNAME", "貼付先の会社");
    platform::IniFile(TDataInfomation::IniPath(dst)).writeString("DATAINFO", "CODE", "9999");
    const std::string iniBefore = slurp(TDataInfomation::IniPath(dst));
    ScriptedMessages messages;
    ctl->RefreshList();
    // Half of the files arrive, then the copy fails.
    ctl->CopyFolder = [](const std::string& from, const std::string& to) {
        fs::create_directories(to);
        fs::copy_file(from + "/tnacc.ini", to + "/tnacc.ini");
        return false;
    };
    ASSERT_TRUE(ctl->BeginCopy(lineOf(data + "/sv0001")));
    EXPECT_FALSE(ctl->Paste(lineOf(dst)));
    EXPECT_EQ(slurp(TDataInfomation::IniPath(dst)), iniBefore);
    EXPECT_EQ(iniOf(dst).DATALISTNAME, "貼付先の会社");
    EXPECT_EQ(iniOf(data + "/sv0001").STATUS, 1);
    EXPECT_NE(shownText(messages).find("データの貼り付けに失敗しました。"), std::string::npos);
}

TEST_F(ServerAreas, PastingOntoTheSourceOnlyResetsItsStatus)
{
    ScriptedMessages messages;
    ctl->RefreshList();
    const int line = lineOf(data + "/sv0001");
    const std::string before = slurp(data + "/sv0001/tnacc.fdb");
    ASSERT_TRUE(ctl->BeginCopy(line));
    EXPECT_FALSE(ctl->Paste(line));
    EXPECT_EQ(iniOf(data + "/sv0001").STATUS, 1);
    EXPECT_EQ(slurp(data + "/sv0001/tnacc.fdb"), before);
}

TEST_F(ServerAreas, ADestinationInsideTheSourceIsRefused)
{
    ScriptedMessages messages;
    fs::create_directories(data + "/sv0001/inner");
    ctl->RefreshList();
    ASSERT_TRUE(ctl->BeginCopy(lineOf(data + "/sv0001")));
    // The inner folder is a child only of a consolidated area; make a line
    // for it to try the rule.
    TDataSentakuRec inner;
    inner.Data.PASNAME = data + "/sv0001/inner";
    inner.Data.NETDRIVE = 1;
    ctl->Rows.push_back(inner);
    ctl->Lines.push_back({static_cast<std::int32_t>(ctl->Rows.size() - 1), -1});
    EXPECT_FALSE(ctl->Paste(static_cast<int>(ctl->Lines.size() - 1)));
    EXPECT_NE(shownText(messages).find("貼付先にコピー元のパスが含まれています。"), std::string::npos);
    EXPECT_FALSE(fs::exists(data + "/sv0001/inner/tnacc.fdb"));
    EXPECT_EQ(iniOf(data + "/sv0001").STATUS, 1);
}

TEST_F(ServerAreas, ComparisonLinesNameEachDifference)
{
    TDataInfomationRec a, b;
    a.SHOUGOU = b.SHOUGOU = "会社";
    a.KISHU = b.KISHU = "2024/04/01";
    a.KIMATU = b.KIMATU = "2025/03/31";
    a.TOTALSIWAKE = b.TOTALSIWAKE = 10;
    EXPECT_TRUE(TServerSentakuCtl::CompareLines("貼り付け", a, b).empty());
    struct Case {
        void (*change)(TDataInfomationRec&);
        const char* head;
    } cases[] = {
        {[](TDataInfomationRec& r) { r.SHOUGOU = "別会社"; }, "会社名に違いがありました。"},
        {[](TDataInfomationRec& r) { r.KISHU = "2023/04/01"; }, "期首に違いがありました。"},
        {[](TDataInfomationRec& r) { r.KIMATU = "2024/03/31"; }, "期末に違いがありました。"},
        {[](TDataInfomationRec& r) { r.TOTALSIWAKE = 1234; }, "仕訳件数(修正・削除仕訳含む)が減っています。"},
    };
    for (const auto& c : cases) {
        TDataInfomationRec target = b;
        c.change(target);
        const auto lines = TServerSentakuCtl::CompareLines("貼り付け", a, target);
        ASSERT_EQ(lines.size(), 4u) << c.head;
        EXPECT_EQ(lines[0], c.head);
        EXPECT_EQ(lines[1].rfind("　【貼り付け元】：", 0), 0u);
    }
    TDataInfomationRec more = b;
    more.TOTALSIWAKE = 1234;
    EXPECT_EQ(TServerSentakuCtl::CompareLines("貼り付け", a, more)[2], "　【貼り付け先】：1,234 件");
    // More journals in the source is no difference.
    EXPECT_TRUE(TServerSentakuCtl::CompareLines("貼り付け", more, b).empty());
}

TEST(ServerCopyName, CutAtFortyBytesWithoutSplittingACharacter)
{
    EXPECT_EQ(TServerSentakuCtl::CopyName("会社"), "会社～コピー");
    // 35 single bytes + "～" (2) + "コ" (2) = 39; "ピ" would split at byte 40.
    const std::string a35(35, 'a');
    EXPECT_EQ(TServerSentakuCtl::CopyName(a35), a35 + "～コ");
    const std::string a36(36, 'a');
    EXPECT_EQ(TServerSentakuCtl::CopyName(a36), a36 + "～コ");
    EXPECT_EQ(TServerSentakuCtl::CopyName(std::string(40, 'b')), std::string(40, 'b'));
}

TEST_F(ServerAreas, AddAreaLowerCasesRefusesAnExistingFolderAndHoldsTheLimit)
{
    ScriptedMessages messages;
    ctl->RefreshList();
    EXPECT_EQ(ctl->AddArea("SV0100"), data + "/sv0100");
    EXPECT_TRUE(fs::is_directory(data + "/sv0100"));
    EXPECT_GE(lineOf(data + "/sv0100"), 0);
    EXPECT_EQ(ctl->LineRecord(lineOf(data + "/sv0100"))->ENTTEXT, kNewAreaName);
    EXPECT_EQ(ctl->AddArea("sv0001"), "");
    EXPECT_NE(shownText(messages).find("\"" + data + "/sv0001\"は既に作成されています。"), std::string::npos);

    ctl->Rows.resize(kMaxServerAreas - 1);
    EXPECT_EQ(ctl->AddArea("sv1999"), data + "/sv1999");
    ctl->Rows.resize(kMaxServerAreas);
    EXPECT_EQ(ctl->AddArea("sv2000"), "");
    EXPECT_FALSE(fs::exists(data + "/sv2000"));
    EXPECT_NE(shownText(messages).find("これ以上の領域追加は行えません。(最大2000件)"), std::string::npos);
}

TEST_F(ServerAreas, DeleteOfADamagedAreaAfterAgreement)
{
    ScriptedMessages messages({{modal::Cancel, -1}, {modal::Ok, 1}});
    ctl->RefreshList();
    TDataInfomation().WriteStatus(data + "/sv0001", 10);
    EXPECT_FALSE(ctl->DeleteArea(lineOf(data + "/sv0001"), true));
    EXPECT_TRUE(fs::exists(data + "/sv0001/tnacc.fdb"));
    EXPECT_TRUE(ctl->DeleteArea(lineOf(data + "/sv0001"), true));
    EXPECT_FALSE(fs::exists(data + "/sv0001"));
    EXPECT_EQ(ctl->Lines.size(), 1u);
    EXPECT_EQ(messages.shown().back().caption, "データの削除");
}

TEST_F(ServerAreas, ABusyAreaIsNeitherCopiedNorDeleted)
{
    ScriptedMessages messages;
    ctl->RefreshList();
    TDataInfomation().WriteStatus(data + "/sv0001", 7);
    EXPECT_FALSE(ctl->BeginCopy(lineOf(data + "/sv0001")));
    EXPECT_FALSE(ctl->DeleteArea(lineOf(data + "/sv0001"), true));
    EXPECT_TRUE(fs::exists(data + "/sv0001/tnacc.fdb"));
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.shown().front().caption, "選択データの状態");
    EXPECT_NE(shownText(messages).find("貼り付け中"), std::string::npos);
}

TEST_F(ServerAreas, AnAreaTakenOrBeingTakenElsewhereIsNeitherPastedOntoNorDeleted)
{
    const std::string src = data + "/sv0001", dst = data + "/sv0002";
    const std::string lockFile = dst + "/" + kSharedAreaLockName;
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"a take in progress on another computer", [&] { std::ofstream(lockFile) << "otherpc 4242 100000009 鈴木\n"; }},
        {"taken by an operator",
            [&] {
                platform::IniFile ini(TDataInfomation::IniPath(dst));
                ini.writeInteger("DATASTS", "SHARE_STATUS", 2);
                ini.writeInteger("DATASTS", "SHARE_OPCODE", SysDef.GroupID * 10000 + 5);
                ini.writeString("DATASTS", "SHARE_OPERATOR", "佐藤");
            }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dst);
        fs::create_directories(dst);
        c.arrange();
        ScriptedMessages messages;
        ctl->RefreshList();
        ASSERT_TRUE(ctl->BeginCopy(lineOf(src))) << shownText(messages);
        messages.clear();
        EXPECT_FALSE(ctl->Paste(lineOf(dst)));
        ASSERT_EQ(messages.count(), 1u) << shownText(messages);
        EXPECT_EQ(messages.firstLine(0), "共有データは現在使用されています。");
        EXPECT_FALSE(fs::exists(dst + "/tnacc.fdb")) << "nothing pasted";
        EXPECT_EQ(iniOf(src).STATUS, 1);

        messages.clear();
        messages.push({modal::Ok, 1}); // agreed to the deletion
        EXPECT_FALSE(ctl->DeleteArea(lineOf(dst), true));
        EXPECT_TRUE(fs::is_directory(dst)) << "nothing deleted";
        EXPECT_EQ(messages.shown().back().lines[0].text, "共有データは現在使用されています。");
    }
    fs::remove(lockFile);
    fs::remove(TDataInfomation::IniPath(dst));
}

TEST_F(ServerAreas, PasteHoldsTheDestinationsLockAndLeavesTheSourcesHolderBehind)
{
    const std::string src = data + "/sv0001", dst = data + "/sv0002";
    // The source is being taken on another computer while it is copied.
    std::ofstream(src + "/" + kSharedAreaLockName) << "otherpc 4242 100000009 鈴木\n";
    ScriptedMessages messages;
    ctl->RefreshList();
    bool lockedWhileCopying = false;
    const auto copy = TServerSentakuCtl().CopyFolder;
    ctl->CopyFolder = [&](const std::string& from, const std::string& to) {
        lockedWhileCopying = platform::ExclusiveFile::holderOf(dst + "/" + kSharedAreaLockName).find(SysDef.OpName)
            != std::string::npos;
        return copy(from, to);
    };
    std::vector<std::string> areasWhileCopying;
    ctl->CopyFolder = [&, previous = ctl->CopyFolder](const std::string& from, const std::string& to) {
        const bool ok = previous(from, to);
        TDataSentakuListCtl list;
        list.GetServerSubFolders(data, areasWhileCopying);
        return ok;
    };
    ASSERT_TRUE(ctl->BeginCopy(lineOf(src))) << shownText(messages);
    ASSERT_TRUE(ctl->Paste(lineOf(dst))) << shownText(messages);
    EXPECT_TRUE(lockedWhileCopying);
    EXPECT_EQ(areasWhileCopying, (std::vector<std::string> {"sv0001", "sv0002"})) << "the side folder is no area";
    EXPECT_EQ(slurp(src + "/tnacc.fdb"), slurp(dst + "/tnacc.fdb"));
    EXPECT_FALSE(fs::exists(dst + "/" + kSharedAreaLockName)) << "neither ours nor the source's holder's lock stays";
    EXPECT_TRUE(fs::exists(src + "/" + kSharedAreaLockName)) << "the source's holder keeps its lock";
}

TEST_F(ServerAreas, AConsolidatedDestinationKeepsItsChildrenUntilTheCopyHasArrived)
{
    const std::string dst = data + "/sv0002";
    for (const char* name : {"tnacc.fdb", "tnacc.ini"}) {
        fs::create_directories(dst + "/001");
        fs::copy_file(company.folder + "/" + name, dst + "/" + name);
        fs::copy_file(company.folder + "/" + name, dst + "/001/" + name);
    }
    platform::IniFile(TDataInfomation::IniPath(dst)).writeString("DATAINFO", "GASSANKBN", "1");
    ScriptedMessages messages({{modal::Ok, 1}, {modal::Ok, -1}, {modal::Ok, 1}});
    ctl->RefreshList();
    ASSERT_EQ(ctl->LineRecord(lineOf(dst))->GASSAN, 1);
    ASSERT_EQ(value("CHILD_SERVERDATALIST", "COUNT(*)", "PASNAME='" + dst + "/001'"), "1");

    ctl->CopyFolder = [](const std::string&, const std::string&) { return false; };
    ASSERT_TRUE(ctl->BeginCopy(lineOf(data + "/sv0001")));
    EXPECT_FALSE(ctl->Paste(lineOf(dst)));
    EXPECT_TRUE(fs::exists(dst + "/001/tnacc.fdb"));
    EXPECT_EQ(value("CHILD_SERVERDATALIST", "COUNT(*)", "PASNAME='" + dst + "/001'"), "1");
    EXPECT_EQ(iniOf(dst).STATUS, 1);
    EXPECT_EQ(iniOf(dst).GASSANKBN, 1);

    // With the real copy the plain source replaces the consolidated set.
    ctl->CopyFolder = TServerSentakuCtl().CopyFolder;
    ASSERT_TRUE(ctl->BeginCopy(lineOf(data + "/sv0001")));
    EXPECT_TRUE(ctl->Paste(lineOf(dst))) << shownText(messages);
    EXPECT_FALSE(fs::exists(dst + "/001"));
    EXPECT_EQ(value("CHILD_SERVERDATALIST", "COUNT(*)", "PASNAME='" + dst + "/001'"), "0");
    EXPECT_EQ(iniOf(dst).GASSANKBN, 0);
}
