#pragma once
// Personal-number settings of a data set (ACCREG 基本設定 "＃USE", "＃KEY",
// "＃VALUE") and the audit log of every operation that exposes personal
// numbers (MYNUMBER_LOG).
//
// The folder operations take the database host and the path of a data
// set's company database file. They work on the data module's company
// connection: when nothing is connected the data set is connected for the
// call and disconnected again; when that very data set is open its
// connection is used; when another data set is open the call is refused
// (reported), so nothing ever lands in the wrong data set.

#include "core/uAccRecord.h"

#include <cstdint>
#include <string>
#include <vector>

struct TMyNumberLogRec {
    TDateTime FHIZUKE = 0; // 0 until inserted
    std::string FSERIAL;
    std::string FOPCODE;
    std::string FOPNAME;
    std::string FHOST;
    std::uint8_t FSTATE = 0;
    std::string FPROCNAME;
    std::string FCOMMENT;
};
using TMyNumberLogList = std::vector<TMyNumberLogRec>;

// The comment of an event kind 0 to 10 for a process name.
std::string MyNumberLogComment(int kind, const std::string& procName);

class TMyNumberIO {
public:
    std::string ShopName;
    int LogCount = 0;
    TMyNumberLogList LogList;
    TMyNumberLogRec LogRec;
    int UseKbn = 0;
    std::string KeyText;
    std::string ValueText;
    // The stored (encoded) texts as read, written back when re-encoding
    // cannot be done, so a read-clear-write cycle never loses them.
    std::string KeyStored;
    std::string ValueStored;

    static void MakeLogRec(TMyNumberLogRec& rec, int kind, const std::string& procName);

    // Open company database. False after a reported failure.
    bool ReadLog(int order);
    bool AddLog(TMyNumberLogRec& rec);
    bool DeleteLog(const TMyNumberLogRec& rec);

    // Another data set (see above). False when nothing was done: the file
    // is missing, it cannot be connected, another data set is open, or a
    // reported failure.
    bool ReadLogFrom(const std::string& host, const std::string& databasePath);
    bool AddLogTo(TMyNumberLogRec& rec, const std::string& host, const std::string& databasePath);
    bool MergeLog(const std::string& host, const std::string& databasePath);
    // The command "MYNUMBER_CLEAR" (any case) also clears the settings there
    // and logs it (kind 3).
    bool ReadSetting(const std::string& host, const std::string& databasePath, const std::string& command,
        const std::string& procName);
    // Only when UseKbn is 1. True when the settings were written.
    bool WriteSetting(const std::string& host, const std::string& databasePath);
};

// True for an operator who is no personal-number administrator; false for
// an empty stored password; otherwise up to three tries at the prompt.
bool CheckMyNumberPassword(const std::string& storedPassword);
