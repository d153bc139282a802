// The whole intermediate file from the sample medical corporation (data
// kind 1, loaded by the medical engine), compared byte for byte with a
// golden file whose figures were worked out from the sample journal
// (fixtures/overview/README.md explains each of them).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "accounting/OpenCompanyTables.h"
#include "accounting/uAccMbZanCmp.h"
#include "accounting/uAccZanCmp1.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/uAccRecord.h"
#include "platform/codec.h"
#include "platform/registry.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "wizard/ug16.h"
#include "wizard/ug16Figures.h"
#include "export_fixture.h"
#include "wizard_test_util.h"

namespace {

class MedicalExport : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        ResetProcessState();
        wizard_test::useSampleCompany(root().info(), work.path());
        ASSERT_GE(root().info().companies.size(), 2u);
        SysDef.DataDir = root().info().companies[1].folder;
        InstallOpenCompanyTables();
        InstallGeneralTrialBalanceEngine();
        InstallMedicalTrialBalanceEngine();
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 0));
        work.write("VzRendo.ini", platform::codec::toSjis("[UG_データ移行]\r\nIKOUZUMI=1\r\n"));
    }
    void TearDown() override
    {
        dm.reset();
        core::DM = nullptr;
        ResetProcessState();
    }

    std::unique_ptr<TGaikyosyoDataExport> exporter(int taxMode)
    {
        return overview.make(root().info(), work.file("out.xml"), work.file("VzRendo.ini"), taxMode);
    }
    static std::string exportFile(TGaikyosyoDataExport& e) { return wizard_test::OverviewExport::exportFile(e); }
    static void expectGolden(const std::string& bytes, const std::string& name)
    {
        wizard_test::OverviewExport::expectGolden(bytes, name);
    }

    test_support::TempDir work;
    wizard_test::OverviewExport overview;
    std::unique_ptr<core::TDM> dm;
};

} // namespace

TEST_F(MedicalExport, TaxIncludedFileOfTheMedicalCorporation)
{
    ASSERT_TRUE(core::fnGetAccInfo());
    ASSERT_EQ(AccInf.DataKind, 1);
    ScriptedMessages messages;
    auto e = exporter(0);
    expectGolden(exportFile(*e), "medical_tax_included.xml");
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(MedicalExport, WithoutTheMedicalEngineTheExportFailsWithoutAFile)
{
    ASSERT_TRUE(core::fnGetAccInfo());
    SetTrialBalanceEngine(MedicalEngineKind, nullptr);
    ScriptedMessages messages;
    auto e = exporter(0);
    try {
        exportFile(*e);
        ADD_FAILURE() << "a file was written without an engine";
    } catch (const EDataExportError& x) {
        EXPECT_EQ(x.Code, 1);
    }
    EXPECT_FALSE(std::filesystem::exists(e->OutputFileName));
    InstallMedicalTrialBalanceEngine();
}
