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
        const auto& info = root().info();
        sources.AppDataDir = info.appDataDir;
        sources.HomeDir = "brimto/rozivoraduz";
        sources.AppRegKey = "\\SOFTWARE\\BRIMTO";
        sources.VarovRegKey = "ROZIVORADUZ";
        registry = std::make_unique<platform::Registry>(info.registryFile);
        sources.Registry = registry.get();
        auto e = std::make_unique<TGaikyosyoDataExport>("x", 0, work.file("out.xml"), true, sources);
        e->ClientName = AccInf.SHOUGOU;
        e->FiscalYear = AccInf.NENDO;
        e->FiscalStart = AccInf.KISHU;
        e->FiscalEnd = AccInf.KIMATU;
        e->ClosingDay = AccInf.SIME;
        e->DataType = AccInf.DATATYPE;
        e->CodeType = AccInf.CODETYPE;
        e->StartPeriodIndex = 0;
        e->EndPeriodIndex = 15;
        e->LastPeriodIndex = 15;
        e->TaxMode = taxMode;
        const std::string ini = work.file("VzRendo.ini");
        e->SetFiguresSource([ini](const TGaikyosyoDataExport& x) { return MakeGaikyosyoFigures(x, ini); });
        return e;
    }
    std::string exportFile(TGaikyosyoDataExport& e)
    {
        TXmlSaveDoc doc("1.0", "Shift_JIS", "");
        e.SetSystemNode(doc);
        e.SetBasicNode(doc);
        e.WriteData(doc);
        doc.SaveToFile(e.OutputFileName);
        return wizard_test::readBytes(e.OutputFileName);
    }
    void expectGolden(const std::string& bytes, const std::string& name)
    {
        const std::string golden = wizard_test::testDataFile("fixtures/overview/" + name);
        if (const char* update = std::getenv("UPDATE_GOLDEN"); update && *update)
            std::ofstream(golden, std::ios::binary) << bytes;
        EXPECT_EQ(bytes, wizard_test::readBytes(golden)) << name;
    }

    test_support::TempDir work;
    TExportSources sources;
    std::unique_ptr<platform::Registry> registry;
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
