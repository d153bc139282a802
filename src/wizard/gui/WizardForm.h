#pragma once
// The wizard form: the program's main window. It sets the program's folders
// and connection settings up, logs the operator in on its first show,
// walks its pages (data choice through the data-selection screen,
// calculation conditions, statement form, output file, summary), has the
// export object write the intermediate file and, on closing, puts the data
// set down and logs the operator off. It carries the result code posted to
// a calling program when it is destroyed.

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/uAccRecord.h"
#include "wizard/ProgramStart.h"
#include "wizard/gui/WizardPages.h"
#include "wizard/ug16.h"

class QPushButton;
class TxWizard;

namespace core {
class TDM;
}

class TForm1 : public QWidget {
    Q_OBJECT
public:
    using TExportFactory = std::function<std::unique_ptr<TGaikyosyoDataExport>(
        std::int32_t callerValue, const std::string& outputFileName, bool callerPresent)>;

    // The framework entry points the wizard reaches; the program body hands
    // the real ones (wizard::MakeFramework), tests their own. An entry left
    // empty fails visibly where it is needed (error box, the step refused).
    struct TFramework {
        TExecProcProc ExecProc;
        TDataDamageProc DataDamage;
        // Shows the login dialog modally; true when the operator logged in
        // (system database connected).
        std::function<bool(QWidget* owner)> ShowLogin;
        // Writes a new connection settings file from SysDef; true when written.
        std::function<bool()> WriteConnectionFile;
        // (title, initial folder, file name) -> the chosen file, nothing on Cancel.
        std::function<std::optional<std::string>(const std::string&, const std::string&, const std::string&)>
            SaveDialog;
    };

    struct TStart {
        TCommandLine CommandLine;
        std::string ProgramPath; // AppInfo.ini is read beside it; "" = the running program
        TExportFactory ExportFactory; // empty: the exporter over DefaultExportSources()
        TFramework Framework;
    };

    explicit TForm1(TStart start, QWidget* parent = nullptr);
    // Frees the export object (which writes Miruza.ini), clears the hooks,
    // then brings the calling program back and posts ResultCode to it.
    ~TForm1() override;

    // The initialisation gate: false when the program must end.
    bool InitWizard();
    // More than one command-line parameter: the process ends at once,
    // nothing is posted.
    bool EndAtOnce() const { return creation_ == Creation::EndAtOnce; }

    // The work of the first show (login, operator settings, eras); runs
    // once, queued after the first paint. False when the program ends.
    bool FirstShow();

    // Writes the intermediate file: 1 made, 3 stopped, 4 failed.
    int MakeXmlFile();

    // Page 2: the data-selection screen and the connection of the chosen
    // data set; true when a data set is chosen and connected.
    bool SelectAndConnect(int syoriType, bool openSelection);
    bool CheckDataPage();
    void BuildSummary();

    // Closing work (run by every close request; the second finds nothing).
    void CloseWork();
    int FetchNewestCopy();
    int HandBack();
    int ReceiveSharedCopy(int autoStore);
    int StoreSharedCopy();
    int CloudShareSync(bool send);

    TWizardPageId ActivePageId() const;
    // A page of the form; nullptr for a removed one.
    TWizardPage* Page(TWizardPageId id) const;

    TCallerContract Contract;
    std::string SystemDrive;
    std::int32_t ResultCode = ResultFailed;
    std::string DocumentsDir;
    std::string LastDataPath;
    bool DataChosen = false;
    bool DatConnected = false;
    bool LoginDone = false;
    std::string InitMessage;

    TxWizard* Wizard1 = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnCancel = nullptr;
    TIntroPage* page1 = nullptr;
    TDataChoicePage* page2 = nullptr;
    TConditionsPage* page3 = nullptr;
    TStatementFormPage* page10 = nullptr;
    TOutputFilePage* page4 = nullptr;
    TSummaryPage* page5 = nullptr;

    TGaikyosyoDataExport* Export() const { return export_.get(); }

    static constexpr const char* ProgramName = "ミルザ連動コンポーネント";

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class Creation {
        Complete,
        Skipped, // a bad field stopped the creation; the gate fails with its general message
        Ended, // a fatal message was shown; the program ends
        EndAtOnce, // more than one parameter
    };

    void FormCreate(const TCommandLine& commandLine, const std::string& programPath);
    void CopyAppInfo();
    void InitSystemDef();
    void ReadConnectionSettings();
    bool WriteFreshConnectionFile();
    bool ShowLogin();
    void btnCancelClick();
    void btnDataSentakuClick();
    void BitBtn4aClick();
    void xKikanPanel3aMouseUp();
    void Wizard1NextClicking(bool finalState, bool* allowChange);
    void Wizard1NextClick(bool finalState);
    void Wizard1PageChanged();
    bool CheckOutputPage();
    void AcceptDataPage();
    void AcceptStatementFormPage();
    void finish();
    void closeWith(std::int32_t resultCode);
    void endProgram();
    // Confirmation (OK/Cancel) of the choice loop; true for OK.
    bool askReselect(const std::vector<std::string>& lines);
    void disconnectCompany(bool updateList);

    TFramework framework_;
    TExportFactory factory_;
    std::unique_ptr<TGaikyosyoDataExport> export_;
    std::unique_ptr<core::TDM> dm_;
    Creation creation_ = Creation::Complete;
    bool closingWithResult_ = false;
    bool firstShowQueued_ = false;
    bool firstShowStarted_ = false;
};

// Period index -> fiscal month number 1..12 (the adjustment cells count with
// the month before them).
int FiscalMonthOfIndex(int index);
// The month a period index stands for: the closing date m(i) - 1 months
// after the month in which the fiscal start closes.
TDateTime PeriodIndexMonth(int index, int closingDay, TDateTime fiscalStart);
// The period panel rule after a click: the end of a range that ends on the
// last month of the year takes the closing period in; one that ends on the
// last month of a quarter takes that quarter's adjustment period in.
int AdjustPanelEnd(int edno, int lastNo);
// The output file as the export writes it: a name without a folder part is
// placed in documentsDir.
std::string ResolveOutputFile(const std::string& name, const std::string& documentsDir);
