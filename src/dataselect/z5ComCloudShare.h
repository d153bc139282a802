#pragma once
// The cloud-share setting of a data set: ACCDEF1.CLOUD_LINE of its company
// database (from version 11.0.1), mirrored as DATAINFO/CLOUD_SHARE in the
// folder's settings file in the stand-alone kind. Works on any data folder:
// the data module's company connection when it is open on that folder,
// otherwise a connection of its own, so the setting never lands in the
// database of another open data set.

#include <cstdint>
#include <string>

class TCloudShareIO {
public:
    // Writes 0.
    bool ClearSetting(const std::string& host, const std::string& dataFolder);
    // True when written, or when the database is too old to have the
    // setting; false after a reported failure.
    bool SetCloudLine(const std::string& host, const std::string& dataFolder, std::int32_t value);
    // 0 when the database has no setting or after a reported failure.
    std::int32_t GetCloudLine(const std::string& host, const std::string& dataFolder);

private:
    // Runs work on the folder's company database in a transaction of our
    // own; false after a reported failure.
    template <typename Work>
    bool withDatabase(const std::string& host, const std::string& dataFolder, const char* message,
        const char* otherMessage, Work work);
};
