// Areas and deletion in the data-server kind on the private test server:
// a new empty area goes into the server's data list (refused when the
// list or the server already has the folder), and deleting a data set
// drops its database on the server and removes the folder there.

#include "dataselect/z5DataRowOps.h"

#include "server_operations_fixture.h"

#include "core/DataInfomation.h"
#include "platform/firebird/firebird.h"

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class RowOpsOnServer : public OperationsOnServer {
protected:
    void SetUp() override
    {
        OperationsOnServer::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        rowOps = std::make_unique<TDataRowOps>(*list);
        rowOps->AskAreaName = [this](const std::string& initial) {
            offered = initial;
            return typed;
        };
    }
    void TearDown() override
    {
        rowOps.reset();
        OperationsOnServer::TearDown();
    }

    // Another program's attachment to the company database on the server.
    void attach(platform::firebird::Database& db)
    {
        db.setDatabaseName(test_support::FirebirdServer::instance().databaseName(company + "/tnacc.fdb"));
        db.addParam("user_name=" + test_support::FirebirdServer::user());
        db.addParam("password=" + test_support::FirebirdServer::password());
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
    }

    std::unique_ptr<TDataRowOps> rowOps;
    std::string offered;
    std::string typed;
};

} // namespace

TEST_F(RowOpsOnServer, AddAreaPutsAnEmptyRowIntoTheServersListAndRefusesKnownFolders)
{
    ScriptedMessages messages;
    const std::size_t before = list->Rows.size();
    typed = "KAISYA1 ";
    ASSERT_TRUE(rowOps->AddArea(0)) << allText(messages);
    EXPECT_EQ(offered.size(), 4u) << "the next folder number, four digits";
    const std::string added = SysDef.SysDir + "/KAISYA1";
    EXPECT_EQ(list->Rows.size(), before + 1);
    const std::int32_t r = list->FindRowOfFolder(added);
    ASSERT_GE(r, 0);
    EXPECT_EQ(rowOps->CurrentAfter, r);
    EXPECT_TRUE(list->Record(r).ENTTEXT.empty());
    // A second list read from the server has it too.
    TDataSentakuModel again;
    again.ConnectKind = 1;
    again.LoadDataList();
    EXPECT_GE(again.FindRowOfFolder(added), 0);
    EXPECT_EQ(messages.count(), 0u) << allText(messages);

    struct Case {
        std::string name;
        std::string first;
    };
    fs::create_directories(SysDef.SysDir + "/ONDISK");
    test_support::FirebirdServer::instance().grant(SysDef.SysDir + "/ONDISK");
    const Case cases[] = {
        {"KAISYA1", "\"" + added + "\"は既にデータリスト上に作成されています。\r"},
        {"ONDISK", "\"" + SysDef.SysDir + "/ONDISK\"に会計データが作成されています。\r"},
        {"A/B", "フォルダ名に使用できない文字が含まれています。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        typed = c.name;
        EXPECT_FALSE(rowOps->AddArea(0));
        ASSERT_EQ(messages.count(), 1u) << allText(messages);
        EXPECT_EQ(messages.firstLine(0), c.first);
        EXPECT_EQ(list->Rows.size(), before + 1);
    }
    // Eight characters are a name, whatever their bytes; nine are not.
    messages.clear();
    typed = "経理部の会計データ";
    EXPECT_FALSE(rowOps->AddArea(0));
    ASSERT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_EQ(messages.firstLine(0), "フォルダ名に使用できない文字が含まれています。");
    messages.clear();
    typed = "経理部会計データ";
    EXPECT_TRUE(rowOps->AddArea(0)) << allText(messages);
    EXPECT_GE(list->FindRowOfFolder(SysDef.SysDir + "/経理部会計データ"), 0);
    EXPECT_EQ(messages.count(), 0u) << allText(messages);
    // Cancelled or blank: nothing.
    messages.clear();
    typed = "   ";
    EXPECT_FALSE(rowOps->AddArea(0));
    EXPECT_EQ(messages.count(), 0u);
    // The limit of the list.
    list->Rows.resize(2000);
    typed = "KAISYA2";
    EXPECT_FALSE(rowOps->AddArea(0));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "これ以上の領域追加は行えません。(最大2000件)");
}

TEST_F(RowOpsOnServer, DeleteDropsTheServerDatabaseAndRemovesTheFolder)
{
    SysDef.DataDir.clear();
    const std::int32_t r = list->FindRowOfFolder(company);
    ASSERT_GE(r, 0);
    ASSERT_TRUE(fs::exists(company + "/tnacc.fdb"));

    // Open elsewhere (another attachment on the server): refused, nothing
    // removed.
    {
        ScriptedMessages messages;
        platform::firebird::Database other;
        attach(other);
        EXPECT_FALSE(rowOps->DeleteData(r, true));
        ASSERT_EQ(messages.count(), 1u) << allText(messages);
        EXPECT_EQ(messages.firstLine(0), "このデータは他のオペレータが使用中のため削除は行えません。");
        EXPECT_TRUE(fs::exists(company + "/tnacc.fdb"));
        other.disconnect();
    }
    // Not agreed: nothing removed.
    {
        ScriptedMessages messages({ScriptedMessages::Answer {modal::Ok, 0}});
        EXPECT_FALSE(rowOps->DeleteData(r, true));
        ASSERT_EQ(messages.count(), 1u) << allText(messages);
        EXPECT_EQ(messages.shown()[0].caption, "データの削除");
        EXPECT_TRUE(fs::exists(company + "/tnacc.fdb"));
    }
    ScriptedMessages messages({ScriptedMessages::Answer {modal::Ok, 1}});
    EXPECT_TRUE(rowOps->DeleteData(list->FindRowOfFolder(company), true)) << allText(messages);
    EXPECT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_FALSE(fs::exists(company)) << "the folder is gone on the server";
    const std::int32_t after = list->FindRowOfFolder(company);
    ASSERT_GE(after, 0) << "the row stays as an empty area";
    EXPECT_EQ(rowOps->CurrentAfter, after);
    EXPECT_TRUE(list->Record(after).ENTTEXT.empty());
}

TEST_F(RowOpsOnServer, ADatabaseOpenedWhileAskingIsNotRemovedUnderItsUser)
{
    SysDef.DataDir.clear();
    platform::firebird::Database other;
    std::vector<std::string> shown;
    // Someone opens the data set while the confirmation is on the screen.
    auto previous = core::setMessageHandler([&](TMessage2InfoRec& rec) {
        shown.push_back(rec.lines[0].text);
        if (rec.caption == "データの削除") {
            attach(other);
            rec.agreeChecked = true;
            return static_cast<int>(modal::Ok);
        }
        return core::defaultMessageResult(rec.buttons);
    });
    EXPECT_FALSE(rowOps->DeleteData(list->FindRowOfFolder(company), true));
    core::setMessageHandler(std::move(previous));
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.back(), "データの削除に失敗しました。");
    EXPECT_TRUE(fs::exists(company + "/tnacc.fdb")) << "the open database stays";
    other.disconnect();
    const std::int32_t r = list->FindRowOfFolder(company);
    ASSERT_GE(r, 0);
    EXPECT_FALSE(list->Record(r).ENTTEXT.empty()) << "the row still names its data";
}
