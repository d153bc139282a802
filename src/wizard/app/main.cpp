// Program body: the single-instance rules, the wizard form and its gate,
// the message loop.

#include <QApplication>

#include <string>
#include <vector>

#include "controls/SDI.h"
#include "platform/named_mutex.h"
#include "wizard/ProgramStart.h"
#include "wizard/gui/LoginStart.h"
#include "wizard/gui/ProgramServices.h"
#include "wizard/gui/WizardForm.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Every process-wide service, once (wizard/gui/ProgramServices.h).
    InstallProgramServices();

    std::vector<std::string> params;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i)
        params.push_back(args.at(i).toStdString());
    // Read before the mutex tests so that a refused start can still answer
    // a calling program.
    const TCommandLine commandLine = ParseCommandLine(params);

    platform::NamedMutex own(kMutexWizard);
    if (EnterProgram(commandLine, own) != TStartRefusal::None)
        return 0;

    QGuiApplication::setApplicationDisplayName(QString::fromUtf8(kApplicationTitle));
    int exitCode = 0;
    {
        TForm1 form(TForm1::TStart{commandLine, {}, {}});
        if (form.EndAtOnce())
            return 0;
        TBSDI::SetMainForm(&form);
        if (form.InitWizard()) {
            QCoreApplication::processEvents();
            form.show();
            QCoreApplication::processEvents();
            // No data is touched before an operator has logged in.
            if (wizard::LoginAtStart(&form))
                exitCode = app.exec();
            else
                form.close();
            wizard::LogoffAtEnd();
        } else {
            QCoreApplication::processEvents();
        }
    }
    own.unlock();
    return exitCode;
}
