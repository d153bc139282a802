#pragma once
// Connections and transactions over the Firebird client library.
//
// A Database is one attachment. A plain local path opens the file through
// the embedded engine; "host:path" or "host/port:path" goes to a server.
// Connection parameters are given as lines "user_name=...", "password=...",
// "lc_ctype=SJIS_0208" (also "sql_role_name=...", and "force_write=0" to
// create a scratch database without synchronous writes, for test fixtures).
// Every failure of the client surfaces as EIBError.

#include "platform/firebird/fb_error.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
} // namespace Firebird

namespace platform::firebird {

class Transaction;
class Query;

// The page cache for a database opened by the embedded engine: its size in
// 8 KB pages and a quarter more, at least the engine's 2,048 and at most
// 65,536 (512 MB); 0 for a server's database or a file that cannot be
// measured (the server's configuration or the header then holds).
std::uint32_t suitedCachePages(const std::string& databaseName);

class Database {
public:
    Database();
    ~Database(); // disconnects; a failure there is swallowed
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void setDatabaseName(std::string name);
    const std::string& databaseName() const noexcept { return name_; }

    // SQL dialect of the attachment and of every statement on it (default 3).
    void setSqlDialect(int dialect) noexcept { dialect_ = dialect; }
    int sqlDialect() const noexcept { return dialect_; }

    // Connection parameters, one "name=value" line each: user_name,
    // password, lc_ctype, sql_role_name, force_write, num_buffers (the
    // connection's page cache, which a server in classic mode honours) and
    // page_buffers (the page cache kept in the database header). Without
    // either, connect() sets a local file's header to suitedCachePages()
    // when that is above the engine's default and the user owns it.
    void clearParams() { params_.clear(); }
    void addParam(std::string line) { params_.push_back(std::move(line)); }
    const std::vector<std::string>& params() const noexcept { return params_; }
    // Value of a parameter line ("" when absent).
    std::string paramValue(std::string_view name) const;

    // The transaction statements use when they name none.
    void setDefaultTransaction(Transaction* transaction) noexcept { defaultTransaction_ = transaction; }
    Transaction* defaultTransaction() const noexcept { return defaultTransaction_; }

    void connect();
    // Rolls back the active transactions of this database, closes its
    // statements' cursors and detaches.
    void disconnect();
    bool connected() const noexcept { return attachment_ != nullptr; }

    // Creates the database file (default character set SJIS_0208, dialect 3)
    // and leaves it connected.
    void createDatabase(int pageSize = 8192);
    // Drops the connected database: the file is deleted and the database is
    // disconnected.
    void dropDatabase();

    // Runs one statement that needs no parameters and returns no rows
    // (DDL, SET GENERATOR ...) in the given transaction, or in a transaction
    // of its own committed at once when none is given.
    void executeImmediate(std::string_view sqlUtf8, Transaction* transaction = nullptr);

    // Character-set id of the connection (5 for SJIS_0208).
    unsigned connectionCharsetId() const noexcept { return charsetId_; }

    Firebird::IAttachment* attachment() const noexcept { return attachment_; }

private:
    friend class Transaction;
    friend class Query;
    void registerTransaction(Transaction* t);
    void unregisterTransaction(Transaction* t);
    void registerQuery(Query* q);
    void unregisterQuery(Query* q);
    std::vector<unsigned char> buildDpb(bool create, int pageSize, std::uint32_t pageBuffers = 0) const;
    void afterAttach();

    std::string name_;
    int dialect_ = 3;
    std::vector<std::string> params_;
    Transaction* defaultTransaction_ = nullptr;
    Firebird::IAttachment* attachment_ = nullptr;
    unsigned charsetId_ = 0;
    std::vector<Transaction*> transactions_;
    std::vector<Query*> queries_;
};

// A transaction with its parameter words: "read_committed", "rec_version",
// "no_rec_version", "nowait", "wait", "concurrency", "consistency", "read",
// "write" (unknown words are refused when the transaction starts).
// Ending it (commit/rollback) closes the open cursors of the queries on it.
class Transaction {
public:
    explicit Transaction(Database* defaultDatabase = nullptr);
    ~Transaction(); // rolls back when still active
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void setDefaultDatabase(Database* database);
    Database* defaultDatabase() const noexcept { return database_; }

    void clearParams() { params_.clear(); }
    void addParam(std::string word) { params_.push_back(std::move(word)); }
    const std::vector<std::string>& params() const noexcept { return params_; }

    void startTransaction();
    void commit();
    void rollback();
    void commitRetaining();
    void rollbackRetaining();
    bool inTransaction() const noexcept { return transaction_ != nullptr; }

    Firebird::ITransaction* handle() const noexcept { return transaction_; }

private:
    friend class Database;
    friend class Query;
    void registerQuery(Query* q);
    void unregisterQuery(Query* q);
    void closeCursors();
    void forgetDatabase(); // the database goes away
    std::vector<unsigned char> buildTpb() const;

    Database* database_ = nullptr;
    std::vector<std::string> params_;
    Firebird::ITransaction* transaction_ = nullptr;
    std::vector<Query*> queries_;
};

} // namespace platform::firebird
