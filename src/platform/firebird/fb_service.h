#pragma once
// The Firebird services: backup, restore, validation and server properties.
//
// A service is reached on this computer (protocol Local: the embedded
// engine) or on a server ("host" or "host/port"). Paths given to an action
// are paths as the server sees them. Output of verbose actions is read line
// by line, so the caller can keep its screen alive between lines.

#include "platform/firebird/fb_error.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace Firebird {
class IService;
}

namespace platform::firebird {

enum class Protocol { TCP = 0, NamedPipe = 1, SPX = 2, Local = 3 };

struct BackupOptions {
    std::string database; // server-side path
    std::vector<std::string> backupFiles; // server-side paths
    bool verbose = true;
    bool ignoreChecksums = false;
    bool ignoreLimbo = false;
    bool noGarbageCollection = false;
    bool nonTransportable = false;
    bool metadataOnly = false;
};

struct RestoreOptions {
    std::vector<std::string> backupFiles;
    std::vector<std::string> databases;
    bool verbose = true;
    int pageBuffers = 0; // 0: the engine's default
    int pageSize = 0; // 0: as in the backup
    bool replace = false; // true: replace an existing file; false: create only
    bool deactivateIndexes = false;
    bool noShadow = false;
    bool oneRelationAtATime = false;
};

struct ValidationOptions {
    std::string database;
    bool full = true; // records and pages
    bool ignoreChecksums = false;
    bool readOnly = true; // report only, mend nothing
};

struct DatabaseUsage {
    int attachments = 0;
    std::vector<std::string> databases; // attached database files
};

class Service {
public:
    Service();
    ~Service(); // detaches
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    void setProtocol(Protocol protocol) noexcept { protocol_ = protocol; }
    Protocol protocol() const noexcept { return protocol_; }
    // "host" or "host/port"; ignored with the Local protocol.
    void setServerName(std::string name) { server_ = std::move(name); }
    const std::string& serverName() const noexcept { return server_; }
    // "user_name=..." and "password=..." lines.
    void clearParams() { params_.clear(); }
    void addParam(std::string line) { params_.push_back(std::move(line)); }

    void attach();
    void detach();
    bool active() const noexcept { return service_ != nullptr; }

    void startBackup(const BackupOptions& options);
    void startRestore(const RestoreOptions& options);
    void startValidation(const ValidationOptions& options);

    // Next output line of the running action (UTF-8); false when the action
    // has finished. An action that failed raises its error here.
    bool nextLine(std::string& line);
    bool eof() const noexcept { return !running_; }
    // Reads every remaining line.
    std::vector<std::string> readAll();

    // Server properties.
    std::string serverVersion();
    std::string implementation();
    DatabaseUsage databaseUsage();

private:
    static void waitForJobEnd(Firebird::IService* s, std::chrono::milliseconds limit) noexcept;
    void start(const std::vector<unsigned char>& spb, const char* op);
    std::string context(std::string_view op) const;
    // The context of op; throws when no service is attached.
    std::string attachedContext(std::string_view op) const;
    std::string serviceName() const;

    Protocol protocol_ = Protocol::Local;
    std::string server_;
    std::vector<std::string> params_;
    Firebird::IService* service_ = nullptr;
    bool running_ = false;
    std::string pending_; // output not yet split into lines
};

} // namespace platform::firebird
