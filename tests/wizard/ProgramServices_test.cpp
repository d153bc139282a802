// The program's start installs every process-wide service in one call.

#include "wizard/gui/ProgramServices.h"

#include "accounting/uAccSisanhyou.h"
#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/InputDlgService.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/z5CloudShareComm.h"
#include "print/Lumen808.h"
#include "print/PageBook.h"
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
    SetDataListPrinter({});

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
    EXPECT_TRUE(DataListPrinter()) << "F8 of the data lists prints";
}

namespace {

// A print-job runner that only answers who it is.
class NamedRunner : public print::JobRunner {
public:
    int runPreview(print::TP808DEF&) override { return 1; }
    int runPrint(print::TP808DEF&) override { return 0; }
    int selectedPrinter() const override { return 0; }
    int selectedCopies() const override { return 1; }
};

} // namespace

// The hooks of the layers above core come back like core's own
// (tests/core/ProcessState_test.cpp): each is set to a known value, changed
// inside a scope, and must be the known one again after it.
TEST(ProgramServices, TheUpperLayersHooksComeBackAfterAScope)
{
    test_support::ProcessScope outer;
    int knownBoxes = 0;
    NamedRunner known;
    NamedRunner changed;
    SetCloudShareComm({[](const std::string&) { return 7; }, {}, {}});
    SetDataListPrinter({});
    print::setEngineErrorBox([&](const std::string&) { ++knownBoxes; });
    print::setDefaultJobRunner(&known);

    {
        test_support::ProcessScope scope;
        SetCloudShareComm({[](const std::string&) { return 0; }, {}, {}});
        SetDataListPrinter([](QWidget*, std::uint8_t, const TDataSentakuRecArray&, const TDataSentakuRecDispArray&) {
            return true;
        });
        print::setEngineErrorBox([](const std::string&) {});
        print::setDefaultJobRunner(&changed);
        ASSERT_EQ(CloudShareReceiveCopy("/tmp"), 0) << "the changes themselves took";
        ASSERT_TRUE(DataListPrinter());
        ASSERT_EQ(print::defaultJobRunner(), &changed);
    }

    EXPECT_EQ(CloudShareReceiveCopy("/tmp"), 7) << "cloud-share transfers";
    EXPECT_FALSE(DataListPrinter()) << "data-list printer";
    print::showEngineError("残り物");
    EXPECT_EQ(knownBoxes, 1) << "print engine's error box";
    EXPECT_EQ(print::defaultJobRunner(), &known) << "print job runner";
}
