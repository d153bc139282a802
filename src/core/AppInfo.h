#pragma once
// The application-info file "AppInfo.ini" beside the program: edition,
// the maker's registry key, the accounting product's folder and file names,
// sibling products' titles, communication menu captions and contact data.
// Read once at start into `AppInfo`; everything else reads the record.

#include <cstdint>
#include <string>

struct TAppInfoRec {
    struct {
        std::string OEM; // edition; "Harbenworks" is the federation's
        std::string Since;
        std::string RegKey; // registry key of the maker's products
        std::string Quv;
        std::string QuvAlias;
        std::int32_t VerMajorDiff = 0;
        std::int32_t VerMinorDiff = 0;
        std::int32_t VerRevDiff = 0;
        std::string VerTest;
        std::int32_t OptionBlind = 0;
        std::string OptionURL;
        std::int32_t RidovaroBlind = 0;
        std::string WebOrbiscaServer;
        std::string ParunoxServer;
    } Application;
    struct {
        std::string Name;
        std::string ZipCode;
        std::string Addr;
        std::string TEL;
        std::string FAX;
        std::string Mail;
        std::string URL;
    } Company;
    struct {
        std::string AppName; // base name of the connection settings file
        std::string AppTitle;
        std::string AppTitle_CL;
        std::string RegKey;
        std::string HomeDir; // below the application-data and documents folders
        std::string ShareDir;
        std::string ServerDir;
        std::string ServerTempDir;
        std::string DataDefFile;
        std::string DataFile;
        std::string DataBackupFile;
        std::string DataInitFile; // format with one integer (data kind)
        std::string DataIniFile;
        std::int32_t DataListCnt = 120;
    } Varov;
    struct {
        std::string AppTitle;
        std::string DataDir;
        std::string WriteDirFmt;
    } ZEvave;
    struct {
        std::string AppTitle;
        std::string RegKey;
        std::string HomeDir;
    } Orbisca;
    struct {
        std::string AppTitle;
        std::string RegKey;
        std::string DataDir;
        std::string DataBackupFile;
    } Ridovaro;
    struct {
        std::string DataCon;
        std::string DataCon01;
        std::string DataCon02;
        std::string DataCon03;
        std::string DataConQuv01;
        std::string DataConQuv02;
    } Menu;
};

// The process-wide record.
extern TAppInfoRec AppInfo;

// The edition value that marks the federation's distribution.
inline constexpr const char* kOemHarbenworks = "Harbenworks";

// Writes the built-in default of every field.
void SetDefaultAppInfo(TAppInfoRec& rec);

// Reads "AppInfo.ini" in the folder of programPath (the program file's
// path). 1 read; 0 no file (record untouched); -1 OEM missing or empty (all
// defaults); -10 the file could not be read (fields read before the failure
// are set). A missing key gives an empty text; a missing or non-numeric
// integer 0, except DataListCnt, which gives 120.
int LoadAppInfo(const std::string& programPath, TAppInfoRec& rec);
