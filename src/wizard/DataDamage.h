#pragma once
// The data-damage handler the wizard installs into core's OnDataDamage hook:
// validates a data set's company database and, when the check finds a
// fault, marks the data set damaged in the data list and in its tnacc.ini.

#include <string>

namespace wizard {

// host: the data server, empty or "127.0.0.1" for this computer; dataPath:
// the data folder. result: 1 sound, 0 damaged. SysDef.DataDamaged follows
// the result; unless silent is non-zero a fault is shown in an error box.
// Marking the data set is best effort: the flag and the message stand even
// when the data list or the file cannot be changed.
void DataDamageProc(const std::string& host, const std::string& dataPath, int silent, int& result);

} // namespace wizard
