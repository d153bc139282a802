#pragma once
// The export base: the fixed identity of this exporter, the installed
// accounting product found in the registry, the remembered settings in
// Miruza.ini and the SYSTEM and BASIC nodes of the intermediate file.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/uAccRecord.h"
#include "wizard/XMLSaveDoc.h"

namespace platform {
class Registry;
}

// Failure of an export step shown to the user with its message, detail and
// code.
class EDataExportError : public std::runtime_error {
public:
    EDataExportError(const std::string& message, std::string detail, std::int32_t code)
        : std::runtime_error(message)
        , Detail(std::move(detail))
        , Code(code)
    {
    }
    std::string Detail;
    std::int32_t Code;
};

// Where the export base looks things up; the wizard fills it from the
// application information, tests point it at their own files.
struct TExportSources {
    std::string AppDataDir; // common application-data folder; "" = the platform's
    std::string HomeDir; // AppInfo [Varov] HomeDir
    std::string AppRegKey; // AppInfo [Application] RegKey: key K under HKEY_LOCAL_MACHINE
    std::string VarovRegKey; // AppInfo [Varov] RegKey: the product's subkey stem
    platform::Registry* Registry = nullptr; // nullptr = the platform's store
};

// The sources filled from the application information read at start.
TExportSources DefaultExportSources();

// Miruza.ini section of a data kind; "" for a kind outside the table.
std::string ExportSectionOfKind(const std::string& dataKind);

class TComDataExport {
public:
    // callerPresent: a calling program started the wizard and named the
    // output file. Only then is EXPORTFILE of Miruza.ini neither read nor
    // written back (callerValue 0 is a valid value of a calling program).
    TComDataExport(const std::string& programFileName, std::int32_t callerValue, const std::string& outputFileName,
        bool callerPresent, const TExportSources& sources = DefaultExportSources());
    virtual ~TComDataExport();
    TComDataExport(const TComDataExport&) = delete;
    TComDataExport& operator=(const TComDataExport&) = delete;

    void LoadSettings();
    // Throws platform::IniError when Miruza.ini cannot be written. The
    // destructor calls it too and reports a failure on stderr.
    void SaveSettings();

    void SetSystemNode(TXmlSaveDoc& doc);
    void SetBasicNode(TXmlSaveDoc& doc);
    virtual void WriteData(TXmlSaveDoc& doc) = 0;

    // Reads value `valueName` of the newest installed product subkey
    // (major m, letter index n); r stays unchanged when nothing matches.
    void ReadProductRegValue(int major, int letterIndex, const std::string& valueName, std::string& r) const;

    // Fixed identity.
    std::string ProgramFileName;
    std::string ProgramDir;
    std::string ProgramDrive;
    std::string DataRoot;
    std::string SettingsDir;
    std::string WindowTitle;
    std::string TargetProgramName;
    std::string DataKind;
    std::int32_t CallerValue = 0;
    std::string BusinessPrefix;
    std::int32_t FormatVersion = 1;
    std::int32_t FunctionID = 2;
    std::string RequiredProductVersion;
    std::string InstalledProductName;
    std::string InstalledProductVersion;
    std::string MinimumVersion;

    // Per run, set by the wizard.
    std::string ClientName;
    std::int32_t FiscalYear = 0;
    TDateTime FiscalStart = 0;
    TDateTime FiscalEnd = 0;
    std::int32_t ClosingDay = 99;
    std::int32_t IncomeKind = 0;
    std::int32_t RoundingSelector = 0;
    std::uint8_t StatementDetails = 0;
    std::string DataFolder;
    std::string LastDataPath;
    std::int32_t StartPeriodIndex = 0;
    std::int32_t EndPeriodIndex = 0;
    std::int32_t LastPeriodIndex = 0;
    std::int32_t TaxMode = 0;
    std::int32_t SimplifiedTax = 0;
    std::int32_t BusinessKind = 0;
    std::int32_t SalesTaxCalc = 0;
    std::int32_t DataType = 0;
    std::int32_t CodeType = 0;
    std::string OutputFileName;

    bool CallerPresent() const { return callerPresent_; }
    std::string SettingsFile() const { return SettingsDir + "/Miruza.ini"; }

private:
    TExportSources sources_;
    bool callerPresent_ = false;
};

// True when the installed version is above 0.0.0 and not below the
// required one, compared number by number (major, minor, revision). A text
// of more than three pieces counts as 0.0.0; a piece that is not a decimal
// number counts as 0.
bool CheckVersion(const std::string& actual, const std::string& required);
