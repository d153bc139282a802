#include "support/firebird_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace test_support {

namespace {

const char* const kServerBinary = "/usr/sbin/firebird";
const char* const kIsql = "/usr/bin/isql-fb";
const char* const kFirebirdLib = "/usr/lib/x86_64-linux-gnu/firebird/3.0";
const char* const kSecurityTemplate = "/var/lib/firebird/3.0/system/security3.fdb";

int freeLoopbackPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return 0;
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0
        && ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool portAccepts(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return false;
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

std::string randomPassword()
{
    static const char alphabet[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::random_device rd;
    std::string pw;
    for (int i = 0; i < 16; ++i)
        pw.push_back(alphabet[rd() % (sizeof alphabet - 1)]);
    return pw;
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void chownTree(const fs::path& path, uid_t uid, gid_t gid)
{
    if (::lchown(path.c_str(), uid, gid) != 0)
        throw std::runtime_error("chown " + path.string() + ": " + std::strerror(errno));
    if (fs::is_directory(path) && !fs::is_symlink(path))
        for (const auto& e : fs::recursive_directory_iterator(path))
            if (::lchown(e.path().c_str(), uid, gid) != 0)
                throw std::runtime_error("chown " + e.path().string() + ": " + std::strerror(errno));
}

// Runs isql on the private root's security database with the script on
// standard input (passwords never appear on a command line).
void runIsql(const std::string& root, const std::string& database, const std::string& script)
{
    int in[2];
    if (::pipe(in) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::close(in[0]);
        ::close(in[1]);
        const int devnull = ::open("/dev/null", O_WRONLY);
        if (devnull >= 0)
            ::dup2(devnull, 1);
        ::setenv("FIREBIRD", root.c_str(), 1);
        ::setenv("FIREBIRD_LOCK", (root + "/lock").c_str(), 1);
        ::execl(kIsql, kIsql, "-q", "-b", "-user", "SYSDBA", database.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    const char* p = script.data();
    std::size_t left = script.size();
    while (left > 0) {
        const ssize_t n = ::write(in[1], p, left);
        if (n <= 0)
            break;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    ::close(in[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("isql-fb failed setting up the server's users");
}

} // namespace

FirebirdServer& FirebirdServer::instance()
{
    static FirebirdServer server;
    return server;
}

FirebirdServer::FirebirdServer()
{
    try {
        start();
    } catch (const std::exception& e) {
        skipReason_ = std::string("private Firebird server not available: ") + e.what();
        stop();
    }
}

FirebirdServer::~FirebirdServer()
{
    stop();
}

std::string FirebirdServer::host() const
{
    return "127.0.0.1/" + std::to_string(port_);
}

std::string FirebirdServer::databaseName(const std::string& serverPath) const
{
    return host() + ":" + serverPath;
}

void FirebirdServer::start()
{
    if (::access(kServerBinary, X_OK) != 0)
        throw std::runtime_error(std::string(kServerBinary) + " is not installed");
    if (::access(kSecurityTemplate, R_OK) != 0)
        throw std::runtime_error(std::string(kSecurityTemplate) + " is not readable");
    if (::geteuid() != 0)
        throw std::runtime_error("the tests must run as root to start the server as the firebird user");
    const passwd* pw = ::getpwnam("firebird");
    if (!pw)
        throw std::runtime_error("no firebird user");
    uid_ = static_cast<int>(pw->pw_uid);
    gid_ = static_cast<int>(pw->pw_gid);

    char tmpl[] = "/tmp/miruza-fbserver-XXXXXX";
    if (!::mkdtemp(tmpl))
        throw std::runtime_error("cannot create the server root");
    root_ = tmpl;
    const fs::path root(root_);
    port_ = freeLoopbackPort();
    if (port_ == 0)
        throw std::runtime_error("no free port");

    fs::create_directories(root / "lock");
    fs::create_directories(root / "data");
    // Real copies of intl (a symlinked intl loses SJIS_0208); the rest may
    // point at the installed files.
    fs::create_directories(root / "intl");
    fs::copy_file(fs::path(kFirebirdLib) / "intl" / "libfbintl.so", root / "intl" / "libfbintl.so");
    fs::copy_file(fs::canonical(fs::path(kFirebirdLib) / "intl" / "fbintl.conf"), root / "intl" / "fbintl.conf");
    fs::create_symlink(fs::path(kFirebirdLib) / "plugins", root / "plugins");
    fs::create_symlink(fs::path(kFirebirdLib) / "firebird.msg", root / "firebird.msg");
    // The project's UDR plug-in, confined to this server's root.
    fs::create_directories(root / "udr");
    fs::copy_file(MIRUZA_UDR_LIBRARY, root / "udr" / "libmiruza_udr.so");
    writeText(root / "udr" / "miruza_udr.conf", "DataRoot = " + root.string() + "\n");
    writeText(root / "plugins.conf",
        "Plugin = UDR {\n\tModule = $(dir_plugins)/udr_engine\n\tConfig = UDR_config\n}\n"
        "Config = UDR_config {\n\tpath = "
            + (root / "udr").string() + "\n}\n");
    fs::copy_file(kSecurityTemplate, root / "security3.fdb");
    writeText(root / "firebird.conf",
        "RemoteBindAddress = 127.0.0.1\n"
        "RemoteServicePort = "
            + std::to_string(port_)
            + "\n"
              "SecurityDatabase = "
            + (root / "security3.fdb").string()
            + "\n"
              "ServerMode = Super\n"
              "UdfAccess = None\n");
    writeText(root / "databases.conf",
        "security.db = " + (root / "security3.fdb").string()
            + "\n"
              "{\n  RemoteAccess = false\n}\n");

    sysdbaPassword_ = randomPassword();
    runIsql(root_, (root / "security3.fdb").string(),
        "CREATE OR ALTER USER SYSDBA PASSWORD '" + sysdbaPassword_
            + "' USING PLUGIN Srp;\n"
              "CREATE OR ALTER USER "
            + user() + " PASSWORD '" + password()
            + "' GRANT ADMIN ROLE USING PLUGIN Srp;\n"
              "GRANT CREATE DATABASE TO USER "
            + user()
            + ";\n"
              "CREATE OR ALTER USER "
            + plainUser() + " PASSWORD '" + plainPassword()
            + "' USING PLUGIN Srp;\n"
              // The program's account administers its data server: the
              // services (attached databases, backup of any file) need it.
              "CREATE GLOBAL MAPPING "
            + user() + "_ADMIN USING PLUGIN Srp FROM USER " + user()
            + " TO ROLE RDB$ADMIN;\n"
              "COMMIT;\n");
    ::chmod(root_.c_str(), 0755);
    chownTree(root, static_cast<uid_t>(uid_), static_cast<gid_t>(gid_));

    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            ::dup2(devnull, 1);
        }
        ::setenv("FIREBIRD", root_.c_str(), 1);
        ::setenv("FIREBIRD_LOCK", (root_ + "/lock").c_str(), 1);
        if (::initgroups("firebird", static_cast<gid_t>(gid_)) != 0 || ::setgid(static_cast<gid_t>(gid_)) != 0
            || ::setuid(static_cast<uid_t>(uid_)) != 0)
            ::_exit(126);
        // A test binary that dies without running its destructors takes
        // its server with it (set after setuid, which clears it).
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::execl(kServerBinary, kServerBinary, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    pid_ = pid;
    // Wait until the server accepts connections (it takes a fraction of a
    // second); give up after ten seconds.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!portAccepts(port_)) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("the server ended at start");
        }
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the server did not open its port");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void FirebirdServer::stop() noexcept
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
    }
    if (!root_.empty()) {
        std::error_code ec;
        fs::remove_all(root_, ec);
        root_.clear();
    }
}

std::string FirebirdServer::makeDataFolder(const std::string& name) const
{
    if (root_.empty())
        throw std::runtime_error("FirebirdServer: not running");
    const fs::path dir = fs::path(root_) / "data" / name;
    fs::create_directories(dir);
    grant(dir.string());
    return dir.string();
}

void FirebirdServer::grant(const std::string& path) const
{
    if (uid_ < 0)
        return;
    chownTree(path, static_cast<uid_t>(uid_), static_cast<gid_t>(gid_));
}

} // namespace test_support
