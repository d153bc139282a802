// The account-selection dialog over the sample company, and the code page
// 932 character codes of the text routines.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "accounting/OpenCompanyTables.h"
#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "wizard/TextUtils.h"
#include "wizard/gui/KamokuList.h"
#include "wizard_test_util.h"

namespace {

class KamokuDialog : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        ResetProcessState();
        wizard_test::useSampleCompany(root().info(), work.path());
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 0));
    }
    void TearDown() override
    {
        dm.reset();
        core::DM = nullptr;
        ResetProcessState();
    }
    static std::vector<std::string> shownCodes(const TKamokuSentakuDialog& d)
    {
        std::vector<std::string> out;
        for (int i = 0; i < d.ListView1->topLevelItemCount(); ++i)
            out.push_back(d.ListView1->topLevelItem(i)->text(0).toStdString()
                + (d.ListView1->topLevelItem(i)->isSelected() ? "*" : ""));
        return out;
    }
    test_support::TempDir work;
    std::unique_ptr<core::TDM> dm;
};

} // namespace

TEST_F(KamokuDialog, ListsTheAccountsOfTheConditionWithTheAssignedOnesSelected)
{
    ScriptedMessages messages;
    TKamokuSentakuDialog d(nullptr, "4111\r6211\r", "GROUPM0 >= '4100' AND GROUPM0 < '7000'", "売上高");
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("集計科目の設定"));
    EXPECT_EQ(d.Label1->text(), QString::fromUtf8("[売上高]欄に集計する科目を選択してください。"));
    // Ordered by GROUPM0 then user code; the user code is shown.
    EXPECT_EQ(shownCodes(d), (std::vector<std::string> {"811*", "911", "931", "941*", "951", "961"}));
    EXPECT_EQ(d.Codes().front(), "4111=811");
    d.btnOK->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Selected(), "4111\r6211\r");
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(KamokuDialog, NothingSelectedAsksBeforeClosing)
{
    ScriptedMessages messages({modal::No, modal::Yes});
    TKamokuSentakuDialog d(nullptr, "", "GROUPM0 = '1100'", "現金預金");
    d.open();
    d.btnOK->click(); // No: stays open
    EXPECT_TRUE(d.isVisible());
    d.btnOK->click(); // Yes: closes with an empty selection
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Selected(), "");
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(0), "科目が選択されていません。");
    EXPECT_EQ(messages.shown()[0].lines[1].text, "画面を閉じてもよろしいですか？");
}

TEST_F(KamokuDialog, ABadConditionIsShownAsADatabaseError)
{
    ScriptedMessages messages;
    TKamokuSentakuDialog d(nullptr, "", "NO_SUCH_COLUMN = 1", "x");
    EXPECT_EQ(d.ListView1->topLevelItemCount(), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "ﾃﾞｰﾀﾍﾞｰｽ ｴﾗｰ");
}

TEST(TextUtils, CharacterCodesInCodePage932)
{
    EXPECT_EQ(FirstCharCode(""), 0u);
    EXPECT_EQ(LastCharCode(""), 0u);
    EXPECT_EQ(FirstCharCode("A売"), 0x41u);
    EXPECT_EQ(LastCharCode("A売"), 0x9484u); // 売 = 0x94 0x84
    EXPECT_EQ(FirstCharCode("売A"), 0x9484u);
    EXPECT_EQ(LastCharCode("ｱ"), 0xB1u); // half-width katakana: one byte
    EXPECT_EQ(LastCharCode("表"), 0x955Cu); // trail byte 0x5C is not a character of its own
    EXPECT_EQ(LastCharCode("表\\"), 0x5Cu);
}
