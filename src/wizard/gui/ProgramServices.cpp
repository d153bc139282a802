#include "wizard/gui/ProgramServices.h"

#include "accounting/OpenCompanyTables.h"
#include "accounting/uAccMbZanCmp.h"
#include "accounting/uAccZanCmp1.h"
#include "controls/z5InputDlg.h"
#include "controls/z5MessageDlg2.h"
#include "core/DataModuleSysDef.h"
#include "core/PlatformUtil.h"
#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/gui/WebMenuL.h"
#include "dataselect/z5ComDataSentaku.h"
#include "platform/gui/window_util.h"
#include "print/z5PrintDlg.h"

#include <QFontDatabase>
#include <QString>

void InstallProgramServices()
{
    // The message box behind every ShowMessage2 of the lower layers, and
    // the input dialog behind every ShowInputDlg.
    controls::installMessageBoxHandler();
    controls::installInputDlgHandler();
    // Folder, computer and file dialogs and the screen metrics for
    // PlatformUtil, which links no widgets.
    SetFolderDialogHooks({platform::gui::browseFolder, platform::gui::browseComputer});
    SetScreenMetricsHooks({platform::gui::screenDotsPerInch, platform::gui::frameHeight});
    core::SetFontInstalledProc(
        [](const std::string& family) { return QFontDatabase::hasFamily(QString::fromStdString(family)); });
    // The accounting tables of the open data set, the trial-balance engines
    // and the data-list updater: core reaches the layers above it only
    // through these.
    InstallOpenCompanyTables();
    InstallGeneralTrialBalanceEngine();
    InstallMedicalTrialBalanceEngine();
    InstallDataListUpdater();
    // The screens other code starts by process ID, before the main form.
    dataselect::RegisterDataSelectProcs();
    // F8 of the data lists prints through the print engine.
    SetDataListPrinter(
        [](QWidget* parent, std::uint8_t kind, const TDataSentakuRecArray& rows, const TDataSentakuRecDispArray& disp) {
            return PrintDisplayedList(parent, kind, rows, disp);
        });
}
