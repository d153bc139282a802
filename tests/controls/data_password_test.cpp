// Opening a sample company that has a data password asks for it in the
// real input dialog (the handler the program installs at start). With
// CONTROLS_SCREENSHOT_DIR set, the prompt is also saved as a picture.

#include "accounting/OpenCompanyTables.h"
#include "controls/input_answers.h"
#include "controls/z5InputDlg.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/dataset_fixture.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

namespace {

TEST(DataPassword, OpeningASampleCompanyAsksInTheRealDialog)
{
    dataset_fixture::Root root;
    InstallOpenCompanyTables();
    ASSERT_TRUE(core::DM->fnAccDatConnected({}, root.company, 0));
    dataset_fixture::setDataPassword("abc123");
    {
        ScriptedMessages none;
        ASSERT_TRUE(core::fnGetAccInfo());
    }
    const auto previous = controls::installInputDlgHandler();
    const QString shotDir = qEnvironmentVariable("CONTROLS_SCREENSHOT_DIR");
    InputAnswers answers({QStringLiteral("abc123")}, [&shotDir](TInputDlgBox& box) {
        if (!shotDir.isEmpty())
            box.grab().save(shotDir + QStringLiteral("/data-password-prompt.png"), "PNG");
    });
    EXPECT_TRUE(core::CheckDataPassword());
    EXPECT_EQ(answers.captions(), QStringList {QStringLiteral("パスワードの確認")});
    core::setInputDlgHandler(previous);
    core::DM->fnAccDatDisConnected();
}

} // namespace
