// Program body: the single-instance rules, the wizard form and its gate,
// the message loop.

#include <QApplication>

#include <string>
#include <vector>

#include "controls/SDI.h"
#include "platform/named_mutex.h"
#include "wizard/ProgramStart.h"
#include "wizard/gui/FrameworkHooks.h"
#include "wizard/gui/ProgramServices.h"
#include "wizard/gui/WizardForm.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Every process-wide service, once (wizard/gui/ProgramServices.h).
    InstallProgramServices();

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
        TForm1 form(TForm1::TStart {commandLine, {}, {}, wizard::MakeFramework()});
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
