#pragma once
// Small helpers shared by the wizard tests.

#include <fstream>
#include <sstream>
#include <string>

#include "core/uAccRecord.h"
#include "sample_data.h"

namespace wizard_test {

// Points the process settings at the sample root's first company, as the
// wizard's caller leaves them for the export; work files go to workDir.
inline void useSampleCompany(const sample::SampleRootInfo& info, const std::string& workDir)
{
    SysDef.SysDir = info.sysDir;
    SysDef.LogDir = info.logDir;
    SysDef.WorkDir = workDir;
    SysDef.DBUser = "TOLVAN";
    SysDef.GroupID = info.groupId;
    SysDef.OpCode = info.groupId + info.operatorCode;
    SysDef.DataDir = info.companies.front().folder;
}

// A file beside the wizard tests (golden files).
inline std::string testDataFile(const std::string& relative)
{
    std::string here = __FILE__;
    return here.substr(0, here.find_last_of('/')) + "/" + relative;
}

// A file of the source tree (the tests sit two folders below its root).
inline std::string sourceFile(const std::string& relative)
{
    std::string here = __FILE__;
    here = here.substr(0, here.find_last_of('/')); // tests/wizard
    here = here.substr(0, here.find_last_of('/')); // tests
    return here.substr(0, here.find_last_of('/')) + "/" + relative;
}

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace wizard_test
