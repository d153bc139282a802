#pragma once
// A private Firebird server for the data-server tests: bound to 127.0.0.1 on
// a free high port, with its own configuration root and security database
// (users SYSDBA and TOLVAN set before it starts), stopped by its own PID.
// One server per test binary, started on first use.

#include <string>

namespace test_support {

class FirebirdServer {
public:
    // The shared server, started on first call. When it cannot be started
    // (no server binary, not allowed to switch users) available() is false
    // and skipReason() says why.
    static FirebirdServer& instance();

    bool available() const noexcept { return pid_ > 0; }
    const std::string& skipReason() const noexcept { return skipReason_; }

    int port() const noexcept { return port_; }
    // "127.0.0.1/<port>": the host part of a database name or service.
    std::string host() const;
    // "127.0.0.1/<port>:<path>".
    std::string databaseName(const std::string& serverPath) const;

    // The accounts the server knows.
    static std::string user() { return "TOLVAN"; }
    static std::string password() { return "vulmok"; }
    static std::string sysdbaUser() { return "SYSDBA"; }
    // An account without administrator rights, as an office's data server
    // would give the program.
    static std::string plainUser() { return "CLERK"; }
    static std::string plainPassword() { return "kansa1"; }
    const std::string& sysdbaPassword() const noexcept { return sysdbaPassword_; }

    // A fresh folder the server may read and write (below the fixture's
    // private root).
    std::string makeDataFolder(const std::string& name) const;
    // Hands a file or folder (recursively) created by this process to the
    // account the server runs as.
    void grant(const std::string& path) const;

    FirebirdServer(const FirebirdServer&) = delete;
    FirebirdServer& operator=(const FirebirdServer&) = delete;
    ~FirebirdServer(); // stops the server by its PID

private:
    FirebirdServer();
    void start();
    void stop() noexcept;

    int pid_ = -1;
    int port_ = 0;
    std::string root_;
    std::string sysdbaPassword_;
    std::string skipReason_;
    bool runAsFirebird_ = false;
    int uid_ = -1;
    int gid_ = -1;
};

} // namespace test_support

// Skips the current test when the private server is not available.
#define REQUIRE_FIREBIRD_SERVER()                                                                                      \
    do {                                                                                                               \
        if (!::test_support::FirebirdServer::instance().available())                                                   \
            GTEST_SKIP() << ::test_support::FirebirdServer::instance().skipReason();                                   \
    } while (0)
