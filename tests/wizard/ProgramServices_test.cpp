// The program's start installs every process-wide service in one call.

#include "wizard/gui/ProgramServices.h"

#include "accounting/uAccSisanhyou.h"
#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/InputDlgService.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "support/process_scope.h"

#include <gtest/gtest.h>

TEST(ProgramServices, InstallsEveryServiceTheLowerLayersCallBackThrough)
{
    test_support::ProcessScope scope;
    core::setMessageHandler({});
    core::setInputDlgHandler({});
    SetFolderDialogHooks({});
    SetScreenMetricsHooks({});
    core::SetFontInstalledProc({});
    SetTrialBalanceEngine(GeneralEngineKind, nullptr);
    SetTrialBalanceEngine(MedicalEngineKind, nullptr);

    InstallProgramServices();

    EXPECT_TRUE(core::hasMessageHandler());
    EXPECT_TRUE(core::hasInputDlgHandler());
    const auto folders = SetFolderDialogHooks({});
    EXPECT_TRUE(folders.browseFolder && folders.browseComputer);
    const auto metrics = SetScreenMetricsHooks({});
    EXPECT_TRUE(metrics.dotsPerInch && metrics.frameHeight);
    EXPECT_TRUE(core::SetFontInstalledProc({}));
    EXPECT_NE(GetTrialBalanceEngine(GeneralEngineKind), nullptr);
    EXPECT_NE(GetTrialBalanceEngine(MedicalEngineKind), nullptr);
}
