#pragma once
// Taking a data set out of the data server onto this computer and bringing
// it back (F3 in the server kinds): the server data goes through a backup
// in the work folder into a local data-selection screen of processing type
// 5 (the program running stand-alone meanwhile), and back again. The server
// row is locked while the data is out and unlocked only once it is back.

#include "dataselect/z5DataSaveRestore.h"

#include <cstdint>
#include <functional>
#include <string>

class TDataTakeOut {
public:
    TDataTakeOut(TDataSentakuModel& model, TDataSaveRestore& transfer);

    // 1 taken out or brought back, 0 not.
    std::int32_t TakeOutBringBack(std::int32_t gridRow);
    // "backup" keeps the connection state, "local" switches to the local
    // data area (std::runtime_error when it cannot be found), "server" puts
    // the kept state back.
    void SwitchConnection(const std::string& command);
    void SetLockMark(std::int32_t gridRow, bool locked);

    // The take-out choice: false when cancelled; bringBack is the choice.
    std::function<bool(bool takenOut, bool& bringBack)> AskDirection;

private:
    // Reconnects the system database after a switch; false on failure.
    bool reconnect();
    // Runs the local screen in processing type 5; its result.
    std::int32_t runLocalScreen(const char* operation);

    struct Saved {
        std::uint8_t connectMode = 0;
        std::string host;
        std::string sysDir;
        std::string dataDir;
        int verMajor = 0, verMinor1 = 0, verMinor2 = 0;
        int takeOut = 0;
    };
    Saved saved_;
    TDataSentakuModel& model_;
    TDataSaveRestore& transfer_;
};
