// Program body: the single-instance rules, the wizard form and its gate,
// the message loop.

#include <QApplication>

#include <string>
#include <vector>

#include "accounting/OpenCompanyTables.h"
#include "accounting/uAccMbZanCmp.h"
#include "accounting/uAccZanCmp1.h"
#include "controls/SDI.h"
#include "controls/z5InputDlg.h"
#include "controls/z5MessageDlg2.h"
#include "core/PlatformUtil.h"
#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/gui/WebMenuL.h"
#include "dataselect/z5ComDataSentaku.h"
#include "platform/gui/window_util.h"
#include "print/z5PrintDlg.h"
#include "platform/named_mutex.h"
#include "wizard/ProgramStart.h"
#include "wizard/gui/FrameworkHooks.h"
#include "wizard/gui/WizardForm.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    controls::installMessageBoxHandler();
    controls::installInputDlgHandler();
    SetFolderDialogHooks({platform::gui::browseFolder, platform::gui::browseComputer});
    SetScreenMetricsHooks({platform::gui::screenDotsPerInch, platform::gui::frameHeight});
    // Core reaches the layers above it only through what is installed here.
    InstallOpenCompanyTables();
    InstallGeneralTrialBalanceEngine();
    InstallMedicalTrialBalanceEngine();
    InstallDataListUpdater();
    // The screens other code starts by process ID, before the main form.
    dataselect::RegisterDataSelectProcs();
    // F8 of the data lists prints through the print engine.
    SetDataListPrinter([](QWidget* parent, std::uint8_t kind, const TDataSentakuRecArray& rows,
                          const TDataSentakuRecDispArray& disp) { return PrintDisplayedList(parent, kind, rows, disp); });

    // Read before the mutex tests so that a refused start can still answer
    // a calling program. argv as QApplication left it (without its own
    // options), byte for byte.
    const TCommandLine commandLine = ParseCommandLine(CommandLineParams(argc, argv));

    platform::NamedMutex own(kMutexWizard);
    if (EnterProgram(commandLine, own) != TStartRefusal::None)
        return 0;

    QGuiApplication::setApplicationDisplayName(QString::fromUtf8(kApplicationTitle));
    int exitCode = 0;
    {
        TForm1 form(TForm1::TStart{commandLine, {}, {}, wizard::MakeFramework()});
        if (form.EndAtOnce())
            return 0;
        TBSDI::SetMainForm(&form);
        if (form.InitWizard()) {
            QCoreApplication::processEvents();
            // The first show logs the operator in; nothing is touched before.
            form.show();
            exitCode = app.exec();
        } else {
            QCoreApplication::processEvents();
        }
    }
    own.unlock();
    return exitCode;
}
