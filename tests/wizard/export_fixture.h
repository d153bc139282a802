#pragma once
// The business-overview export as the wizard leaves it before the finish,
// on the open sample company, and the file its finish writes; shared by the
// general and the medical export tests.

#include "platform/registry.h"
#include "sample_data.h"
#include "wizard/ComDataExp.h"
#include "wizard/XMLSaveDoc.h"
#include "wizard/ug16.h"
#include "wizard/ug16Figures.h"
#include "wizard_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace wizard_test {

class OverviewExport {
public:
    // The exporter for the open company (AccInf), writing outFile, with the
    // item settings of iniFile.
    std::unique_ptr<TGaikyosyoDataExport> make(const sample::SampleRootInfo& info, const std::string& outFile,
        const std::string& iniFile, int taxMode, int endIndex = 15, int lastIndex = 15)
    {
        sources.AppDataDir = info.appDataDir;
        sources.HomeDir = "brimto/rozivoraduz";
        sources.AppRegKey = "\\SOFTWARE\\BRIMTO";
        sources.VarovRegKey = "ROZIVORADUZ";
        registry = std::make_unique<platform::Registry>(info.registryFile);
        sources.Registry = registry.get();
        auto e = std::make_unique<TGaikyosyoDataExport>("x", 0, outFile, true, sources);
        e->ClientName = AccInf.SHOUGOU;
        e->FiscalYear = AccInf.NENDO;
        e->FiscalStart = AccInf.KISHU;
        e->FiscalEnd = AccInf.KIMATU;
        e->ClosingDay = AccInf.SIME;
        e->DataType = AccInf.DATATYPE;
        e->CodeType = AccInf.CODETYPE;
        e->StartPeriodIndex = 0;
        e->EndPeriodIndex = endIndex;
        e->LastPeriodIndex = lastIndex;
        e->TaxMode = taxMode;
        e->SetFiguresSource([iniFile](const TGaikyosyoDataExport& x) { return MakeGaikyosyoFigures(x, iniFile); });
        return e;
    }

    // The file the finish writes: SYSTEM, BASIC, DATA, then the save.
    static std::string exportFile(TGaikyosyoDataExport& e)
    {
        TXmlSaveDoc doc("1.0", "Shift_JIS", "");
        e.SetSystemNode(doc);
        e.SetBasicNode(doc);
        e.WriteData(doc);
        doc.SaveToFile(e.OutputFileName);
        return readBytes(e.OutputFileName);
    }

    // Compared with a golden file of fixtures/overview (rewritten instead
    // when UPDATE_GOLDEN is set).
    static void expectGolden(const std::string& bytes, const std::string& name)
    {
        const std::string golden = testDataFile("fixtures/overview/" + name);
        if (const char* update = std::getenv("UPDATE_GOLDEN"); update && *update)
            std::ofstream(golden, std::ios::binary) << bytes;
        EXPECT_EQ(bytes, readBytes(golden)) << name;
    }

    TExportSources sources;
    std::unique_ptr<platform::Registry> registry;
};

} // namespace wizard_test
