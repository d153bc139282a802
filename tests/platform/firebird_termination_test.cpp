// SIGTERM stops the embedded engine, which closes every connection of the
// process; the process must end then rather than carry on without them.
// The signal is raised in a child (this binary, run with one test).

#include "platform/firebird/firebird.h"
#include "support/sample_root.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fb = platform::firebird;

namespace {

const char* const kDatabaseVar = "MIRUZA_TERMINATION_DB";
const char* const kMarkVar = "MIRUZA_TERMINATION_MARK";

void connectAsOwner(fb::Database& db, const std::string& path)
{
    db.setDatabaseName(path);
    db.addParam("user_name=SYSDBA");
    db.connect();
}

} // namespace

TEST(EngineTerminationChild, RaisesTheSignalWithAnOpenConnection)
{
    const char* database = std::getenv(kDatabaseVar);
    const char* mark = std::getenv(kMarkVar);
    if (database == nullptr || mark == nullptr)
        GTEST_SKIP() << "runs only as a child of EngineTermination.TheProcessEndsWhenTheEngineStopsOnASignal";
    fb::Database db;
    connectAsOwner(db, database);
    fb::Transaction tr(&db);
    tr.startTransaction();
    std::raise(SIGTERM);
    // The engine stops on its own thread; give it time to end the process.
    for (int i = 0; i < 3000; ++i)
        ::usleep(10000);
    std::ofstream(mark) << "still running";
}

TEST(EngineTermination, TheProcessEndsWhenTheEngineStopsOnASignal)
{
    test_support::TempDir dir;
    const std::string database = dir.file("t.fdb");
    const std::string mark = dir.file("still-running");
    test_support::databaseFromScripts(database, {"company_010_schema.sql"});

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    env.push_back(std::string(kDatabaseVar) + "=" + database);
    env.push_back(std::string(kMarkVar) + "=" + mark);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string self = "/proc/self/exe";
    std::string filter = "--gtest_filter=EngineTerminationChild.RaisesTheSignalWithAnOpenConnection";
    std::vector<char*> argv = {const_cast<char*>(self.c_str()), filter.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM)
        << "exited " << WIFEXITED(status) << " status " << WEXITSTATUS(status) << " signalled "
        << WIFSIGNALED(status);
    EXPECT_FALSE(std::ifstream(mark).good()) << "the child carried on after the engine stopped";

    // The database the child had open is whole.
    fb::Database db;
    connectAsOwner(db, database);
    fb::Transaction tr(&db);
    tr.startTransaction();
    fb::Query q(&db, &tr);
    q.sql().add("SELECT COUNT(*) AS N FROM RDB$RELATIONS");
    q.open();
    EXPECT_GT(q.fieldByName("N").asInteger(), 0);
    q.close();
    tr.commit();
}
