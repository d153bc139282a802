// Opening a sample company that has a data password asks for it in the
// real input dialog (the handler the program installs at start). With
// CONTROLS_SCREENSHOT_DIR set, the prompt is also saved as a picture.

#include "accounting/OpenCompanyTables.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "controls/z5InputDlg.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/EasyEncode.h"
#include "core/dataset_fixture.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

namespace fb = platform::firebird;

void setDataPassword(const std::string& plain)
{
    core::TEasyEncodeInfo info;
    core::InitEasyEncodeInfo(info);
    info.KeyWord = core::kDataPasswordKey;
    info.PadLength = core::kDataPasswordLength;
    info.TextLength = core::kDataPasswordLength;
    info.PlainText = plain;
    ASSERT_TRUE(core::EasyEncode(info));
    fb::Transaction tr(&core::DM->IBDatabaseDAT);
    tr.addParam("write");
    tr.addParam("read_committed");
    tr.startTransaction();
    fb::Query q(&core::DM->IBDatabaseDAT, &tr);
    q.sql().add("UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', :C, '文字', :V)");
    q.paramByName("C").setString("データパスワードV2");
    q.paramByName("V").setString(info.EncodeText);
    q.execSQL();
    tr.commit();
}

TEST(DataPassword, OpeningASampleCompanyAsksInTheRealDialog)
{
    dataset_fixture::Root root;
    InstallOpenCompanyTables();
    ASSERT_TRUE(core::DM->fnAccDatConnected({}, root.company, 0));
    setDataPassword("abc123");
    {
        ScriptedMessages none;
        ASSERT_TRUE(core::fnGetAccInfo());
    }
    const auto previous = controls::installInputDlgHandler();
    const QString shotDir = qEnvironmentVariable("CONTROLS_SCREENSHOT_DIR");
    int shown = 0;
    QString caption;
    std::function<void()> answer = [&] {
        auto* box = qobject_cast<TInputDlgBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(0, answer);
            return;
        }
        ++shown;
        caption = box->windowTitle();
        box->txtInput->setFocus();
        QTest::keyClicks(box->txtInput, QStringLiteral("abc123"));
        if (!shotDir.isEmpty())
            box->grab().save(shotDir + QStringLiteral("/data-password-prompt.png"), "PNG");
        box->btnOK->Click();
    };
    QTimer::singleShot(0, answer);
    EXPECT_TRUE(core::CheckDataPassword());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(caption, QStringLiteral("パスワードの確認"));
    core::setInputDlgHandler(previous);
    core::DM->fnAccDatDisConnected();
}

}  // namespace
