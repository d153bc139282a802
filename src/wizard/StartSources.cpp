// What the export takes from the application information read at start.

#include "core/AppInfo.h"
#include "wizard/ComDataExp.h"

TExportSources DefaultExportSources()
{
    TExportSources s;
    s.HomeDir = AppInfo.Varov.HomeDir;
    s.AppRegKey = AppInfo.Application.RegKey;
    s.VarovRegKey = AppInfo.Varov.RegKey;
    return s;
}
