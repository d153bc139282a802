#pragma once
// The wizard form: the program's main window with the page control, the
// calling-program contract and the result code it carries, and the finish
// that has the export object write the intermediate file.

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "wizard/ProgramStart.h"
#include "wizard/ug16.h"

class QPushButton;
class TxWizard;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    using TExportFactory = std::function<std::unique_ptr<TGaikyosyoDataExport>(
        std::int32_t callerValue, const std::string& outputFileName, bool callerPresent)>;

    struct TStart {
        TCommandLine CommandLine;
        std::string ProgramPath;      // AppInfo.ini is read beside it; "" = the running program
        TExportFactory ExportFactory; // empty: the exporter over DefaultExportSources()
    };

    explicit TForm1(TStart start, QWidget* parent = nullptr);
    // Frees the export object (which writes Miruza.ini), then brings the
    // calling program back and posts ResultCode to it.
    ~TForm1() override;

    // The initialisation gate: false when the program must end.
    bool InitWizard();
    // More than one command-line parameter: the process ends at once,
    // nothing is posted.
    bool EndAtOnce() const { return creation_ == Creation::EndAtOnce; }

    // Writes the intermediate file: 1 made, 3 stopped, 4 failed.
    int MakeXmlFile();

    TCallerContract Contract;
    std::string SystemDrive;
    std::int32_t ResultCode = ResultFailed;

    TxWizard* Wizard1 = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnCancel = nullptr;

    TGaikyosyoDataExport* Export() const { return export_.get(); }

    static constexpr const char* ProgramName = "ミルザ連動コンポーネント";

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Creation {
        Complete,
        Skipped,   // a bad field stopped the creation; the gate fails with its general message
        Ended,     // a fatal message was shown; the program ends
        EndAtOnce, // more than one parameter
    };

    void FormCreate(const TCommandLine& commandLine, const std::string& programPath);
    void btnCancelClick();
    void Wizard1NextClicking(QObject* sender, bool finalState, bool& allowChange);
    void Wizard1NextClick(QObject* sender, bool finalState);
    void finish();
    void closeWith(std::int32_t resultCode);

    TExportFactory factory_;
    std::unique_ptr<TGaikyosyoDataExport> export_;
    Creation creation_ = Creation::Complete;
    bool closingWithResult_ = false;
};
