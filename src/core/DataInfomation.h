#pragma once
// What the program knows about one data set without opening it: the facts
// and statuses its per-data settings file ("tnacc.ini") keeps, read from
// the company database and written to that file, plus taking a data set
// out of the shared server and putting it back, and the two questions asked
// before a data set is opened (use right, data password).

#include "core/SeihinVersionList.h"

#include <array>
#include <cstdint>
#include <string>

struct TDataInfomationRec {
    std::uint8_t STATUS = 1; // processing status (DataStatusNames)
    std::int32_t OPCODE = 0;
    std::string OPERATOR;
    std::uint8_t SHARE_STATUS = 1; // 1 on the shared server, 2 taken out
    std::int32_t SHARE_OPCODE = 0;
    std::string SHARE_OPERATOR;
    std::int32_t UPDATE_LOCK = 0;
    std::int32_t READ_ONLY = 0;
    std::string DATALISTNAME;
    std::string CODE;
    std::int32_t DATAKBN = 0;
    std::int32_t CODEKBN = 0;
    std::string SHOUGOU;
    std::string KANA;
    std::int32_t NENDO = 0;
    std::string KISHU; // "yyyy/mm/dd"
    std::string KIMATU; // "yyyy/mm/dd"
    std::int32_t TANTO = 0;
    std::int32_t SITEN = 0;
    std::int32_t SITENCNT = 0;
    std::int32_t BUMON = 0;
    std::int32_t BUMONCNT = 0;
    std::int32_t SIWAKE = 0;
    std::int32_t TOTALSIWAKE = 0;
    std::int32_t VERSION1_MAJOR = 0;
    std::int32_t VERSION1_MINOR = 0;
    std::int32_t VERSION1_REVISION = 0;
    std::string VERSION2;
    std::uint8_t GASSANKBN = 0;
    std::int32_t USEMYNUMBER = 0;
    std::uint8_t CLOUD_SHARE = 0;
};

// Names of the processing statuses 0 to 10.
extern const std::array<const char*, 11> DataStatusNames;

class TDataInfomation {
public:
    // Mode 0; the version list is filled (unsorted); the record cleared.
    TDataInfomation();

    // Copy of ConnectMode: 0 reads and writes the folder's file, 1 and 2
    // read the server data list and write nothing.
    std::uint8_t Mode = 0;
    TDataInfomationRec Rec;
    TSeihinVersionList VersionList;

    static void ClearDataInfoRec(TDataInfomationRec& rec);
    static std::string IniPath(const std::string& folder);

    // The facts of the open company database (connected here when it is
    // not). 1 ok, 0 after a reported failure. A dynamic-SQL error
    // (335544569, an older schema) is passed on unchanged.
    int GetDataInfoRec(TDataInfomationRec& rec);
    // Opens the folder's database, reads its facts and closes it; 0 when
    // the database file is missing.
    int ReadDataInfoRec(const std::string& folder, TDataInfomationRec& rec);
    // 1 read (status 0 when the database cannot be opened); 0 when neither
    // file exists or, in server modes, the data list holds a lock row.
    int ReadIniFile(const std::string& host, const std::string& folder, TDataInfomationRec& rec);
    int ReadDataIni(const std::string& folder, TDataInfomationRec& rec);

    // Writers act only in mode 0 and throw platform::IniError when the file
    // cannot be written.
    void WriteIniFile(const std::string& folder, const std::string& section, const TDataInfomationRec& rec);
    // Status 1 removes the operator keys; any other writes the logged-on
    // operator.
    void WriteStatus(const std::string& folder, std::uint8_t status);
    void WriteShareStatus(const std::string& folder, std::uint8_t status);
    void WriteIniValue(const std::string& folder, const std::string& section, bool write, const std::string& value,
        const std::string& key);
    // "DATAINFO" refreshes the facts from the database, "DATASTS" resets the
    // statuses; empty rewrites the whole file through an in-use open/close.
    void UpdateIniFile(const std::string& folder, const std::string& section);
    // Writes the data-list name, lock and read-only settings back into the
    // folder's database; false after a reported failure.
    bool UpdateDataInfomation(const std::string& host, const std::string& folder, const TDataInfomationRec& rec);

    // True when the share status was changed to value.
    bool SetShareLock(const std::string& folder, std::uint8_t value);
    // 1 copied back, 0 not (the data set then stays taken out and the shared
    // copy is as it was).
    int PutShareData(const std::string& sharedFolder, const std::string& localFolder, bool quiet);
    // 1 taken out, 0 not (the shared copy stays free and untouched), 255
    // refused (damaged, or already taken out). Unless quiet, a missing
    // shared folder or a damaged data set raises std::runtime_error with the
    // user's text.
    int GetShareData(const std::string& sharedFolder, const std::string& localFolder, bool quiet);

    bool IsDataSiyouKengen(const std::string& folder);
    bool IsDataPasswordAuth(const std::string& folder);

    // Name of a data version: "評価版" for 0.x, else the matching row of the
    // version list, else "%d.%d".
    std::string VersionName(int major, int minor) const;

private:
    int readLocal(const std::string& host, const std::string& folder, TDataInfomationRec& rec);
    int readServer(const std::string& host, const std::string& folder, TDataInfomationRec& rec);
};

// Copies the data set's files (the database file name with any extension)
// from one folder into another. Each file is written under a temporary name
// and all are renamed into place only when every copy succeeded, so a
// failure leaves the target's files as they were. False on failure.
bool CopyDataSetFiles(const std::string& sourceFolder, const std::string& targetFolder);
