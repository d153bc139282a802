#include "platform/firebird/fb_database.h"

#include "platform/codec.h"
#include "platform/firebird/fb_internal.h"
#include "platform/firebird/fb_query.h"

#include <ibase.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <utility>

namespace platform::firebird {

using namespace detail;

namespace {

unsigned charsetIdOf(const std::string& name)
{
    const std::string n = toUpperAscii(name);
    if (n.empty() || n == "NONE")
        return 0;
    if (n == "OCTETS")
        return 1;
    if (n == "ASCII")
        return 2;
    if (n == "UNICODE_FSS")
        return 3;
    if (n == "UTF8")
        return 4;
    if (n == "SJIS_0208")
        return 5;
    return 0;
}

} // namespace

// ---------------------------------------------------------------- Database

Database::Database() = default;

Database::~Database()
{
    try {
        disconnect();
    } catch (...) {
        // Nothing sensible to do in a destructor; the attachment is gone
        // with the process in the worst case.
    }
    for (Transaction* t : transactions_)
        t->forgetDatabase();
    for (Query* q : queries_)
        q->forgetDatabase();
}

void Database::setDatabaseName(std::string name)
{
    name_ = std::move(name);
}

std::string Database::paramValue(std::string_view wanted) const
{
    std::string name, value;
    const std::string w = [&] {
        std::string s(wanted);
        for (auto& c : s)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return s;
    }();
    for (const auto& line : params_)
        if (splitParam(line, name, value) && name == w)
            return value;
    return {};
}

namespace {
constexpr std::uint64_t kDefaultCachePages = 2048; // the engine's default
}

std::uint32_t suitedCachePages(const std::string& databaseName)
{
    // A server's cache is the server's (firebird.conf); only a local file
    // opened by the embedded engine is sized here.
    if (databaseName.find(':') != std::string::npos)
        return 0;
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(databaseName, ec);
    if (ec)
        return 0;
    // The whole file and a quarter more for what a load adds, between the
    // engine's default and 512 MB of 8 KB pages.
    const std::uint64_t pages = bytes / 8192 + bytes / 8192 / 4;
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(pages, kDefaultCachePages, 65536));
}

std::vector<unsigned char> Database::buildDpb(bool create, int pageSize, std::uint32_t pageBuffers) const
{
    Pb pb(isc_dpb_version1);
    std::string name, value;
    for (const auto& line : params_) {
        if (!splitParam(line, name, value))
            continue;
        if (name == "user_name" || name == "user")
            pb.str1(isc_dpb_user_name, value);
        else if (name == "password")
            pb.str1(isc_dpb_password, value);
        else if (name == "lc_ctype")
            pb.str1(isc_dpb_lc_ctype, value);
        else if (name == "sql_role_name")
            pb.str1(isc_dpb_sql_role_name, value);
        else if (name == "force_write")
            pb.int1(isc_dpb_force_write, value == "0" ? 0u : 1u);
        else if (name == "num_buffers")
            pb.int1(isc_dpb_num_buffers, static_cast<std::uint32_t>(std::stoul(value)));
        else if (name == "page_buffers")
            pb.int1(isc_dpb_set_page_buffers, static_cast<std::uint32_t>(std::stoul(value)));
        else
            throwLayerError("unknown connection parameter \"" + name + "\"", "Database.connect " + name_);
    }
    if (pageBuffers > 0)
        pb.int1(isc_dpb_set_page_buffers, pageBuffers);
    pb.int1(isc_dpb_sql_dialect, static_cast<std::uint32_t>(dialect_));
    pb.str1(isc_dpb_utf8_filename, ""); // the file name is given in UTF-8
    auto bytes = pb.bytes();
    if (create) {
        Pb extra;
        extra.str1(isc_dpb_set_db_charset, "SJIS_0208");
        extra.int1(isc_dpb_page_size, static_cast<std::uint32_t>(pageSize));
        extra.int1(isc_dpb_set_db_sql_dialect, static_cast<std::uint32_t>(dialect_));
        bytes.insert(bytes.end(), extra.bytes().begin(), extra.bytes().end());
    }
    return bytes;
}

void Database::afterAttach()
{
    charsetId_ = charsetIdOf(paramValue("lc_ctype"));
    keepEngineLoaded();
    endProcessWhenEngineStopsOnSignal();
}

void Database::connect()
{
    if (connected())
        return;
    const std::string ctx = "Database.connect " + name_;
    if (name_.empty())
        throwLayerError("no database name", ctx);
    auto attach = [&](std::uint32_t pageBuffers) {
        const auto dpb = buildDpb(false, 0, pageBuffers);
        Status st;
        guarded(ctx, [&] {
            Firebird::IProvider* p = master()->getDispatcher();
            try {
                attachment_ = p->attachDatabase(&st, name_.c_str(), static_cast<unsigned>(dpb.size()), dpb.data());
            } catch (...) {
                p->release();
                throw;
            }
            p->release();
        });
    };
    // The embedded engine takes its page cache from the database header
    // (the connection's own cache size is ignored there): a database larger
    // than the default cache has the header set to its size when it is
    // opened, which only its owner may do; anyone else opens it as it is.
    const std::uint32_t suited
        = paramValue("num_buffers").empty() && paramValue("page_buffers").empty() ? suitedCachePages(name_) : 0;
    if (suited > kDefaultCachePages) {
        try {
            attach(suited);
        } catch (const EIBError& e) {
            if (e.iscErrorCode() != isc_adm_task_denied)
                throw;
            attach(0);
        }
    } else {
        attach(0);
    }
    afterAttach();
}

void Database::createDatabase(int pageSize)
{
    const std::string ctx = "Database.createDatabase " + name_;
    if (connected())
        throwLayerError("already connected", ctx);
    if (name_.empty())
        throwLayerError("no database name", ctx);
    const auto dpb = buildDpb(true, pageSize);
    Status st;
    guarded(ctx, [&] {
        Firebird::IProvider* p = master()->getDispatcher();
        try {
            attachment_ = p->createDatabase(&st, name_.c_str(), static_cast<unsigned>(dpb.size()), dpb.data());
        } catch (...) {
            p->release();
            throw;
        }
        p->release();
    });
    afterAttach();
}

void Database::disconnect()
{
    if (!connected())
        return;
    for (Query* q : queries_)
        q->releaseStatement();
    for (Transaction* t : transactions_) {
        if (t->inTransaction()) {
            try {
                t->rollback();
            } catch (const EIBError&) {
                // The attachment is going; its transactions die with it.
            }
        }
    }
    Firebird::IAttachment* a = attachment_;
    attachment_ = nullptr;
    Status st;
    try {
        a->detach(&st);
    } catch (const Firebird::FbException& e) {
        // A lost connection cannot be detached cleanly; free the handle.
        a->release();
        const intptr_t* errors = e.getStatus()->getErrors();
        const bool lost = errors && errors[0] == isc_arg_gds
            && (errors[1] == isc_network_error || errors[1] == isc_net_read_err || errors[1] == isc_net_write_err
                || errors[1] == isc_lost_db_connection || errors[1] == isc_att_shutdown);
        if (!lost)
            throwFromStatus(e.getStatus(), "Database.disconnect " + name_);
    }
}

void Database::dropDatabase()
{
    const std::string ctx = "Database.dropDatabase " + name_;
    if (!connected())
        throwLayerError("not connected", ctx);
    for (Query* q : queries_)
        q->releaseStatement();
    for (Transaction* t : transactions_)
        if (t->inTransaction())
            t->rollback();
    Status st;
    guarded(ctx, [&] { attachment_->dropDatabase(&st); });
    attachment_ = nullptr;
}

void Database::executeImmediate(std::string_view sqlUtf8, Transaction* transaction)
{
    const std::string ctx = "Database.executeImmediate";
    if (!connected())
        throwLayerError("not connected", ctx);
    std::string sql;
    try {
        sql = codec::toSjis(sqlUtf8);
    } catch (const codec::CodecError& e) {
        throwLayerError(e.what(), ctx);
    }
    Status st;
    if (transaction) {
        if (!transaction->inTransaction())
            transaction->startTransaction();
        guarded(ctx + ": " + std::string(sqlUtf8.substr(0, 200)), [&] {
            attachment_->execute(&st, transaction->handle(), static_cast<unsigned>(sql.size()), sql.c_str(),
                static_cast<unsigned>(dialect_), nullptr, nullptr, nullptr, nullptr);
        });
        return;
    }
    Transaction own(this);
    own.addParam("write");
    own.addParam("concurrency");
    own.addParam("wait");
    own.startTransaction();
    guarded(ctx + ": " + std::string(sqlUtf8.substr(0, 200)), [&] {
        attachment_->execute(&st, own.handle(), static_cast<unsigned>(sql.size()), sql.c_str(),
            static_cast<unsigned>(dialect_), nullptr, nullptr, nullptr, nullptr);
    });
    own.commit();
}

void Database::registerTransaction(Transaction* t)
{
    if (std::find(transactions_.begin(), transactions_.end(), t) == transactions_.end())
        transactions_.push_back(t);
}

void Database::unregisterTransaction(Transaction* t)
{
    transactions_.erase(std::remove(transactions_.begin(), transactions_.end(), t), transactions_.end());
    if (defaultTransaction_ == t)
        defaultTransaction_ = nullptr;
}

void Database::registerQuery(Query* q)
{
    if (std::find(queries_.begin(), queries_.end(), q) == queries_.end())
        queries_.push_back(q);
}

void Database::unregisterQuery(Query* q)
{
    queries_.erase(std::remove(queries_.begin(), queries_.end(), q), queries_.end());
}

// ------------------------------------------------------------- Transaction

Transaction::Transaction(Database* defaultDatabase)
{
    setDefaultDatabase(defaultDatabase);
}

Transaction::~Transaction()
{
    if (inTransaction()) {
        try {
            rollback();
        } catch (...) {
            // See Database::~Database.
        }
    }
    for (Query* q : std::vector<Query*>(queries_))
        q->forgetTransaction(this);
    if (database_)
        database_->unregisterTransaction(this);
}

void Transaction::setDefaultDatabase(Database* database)
{
    if (database_ == database)
        return;
    if (inTransaction())
        throwLayerError("transaction is active", "Transaction.setDefaultDatabase");
    if (database_)
        database_->unregisterTransaction(this);
    database_ = database;
    if (database_)
        database_->registerTransaction(this);
}

void Transaction::forgetDatabase()
{
    transaction_ = nullptr;
    database_ = nullptr;
}

std::vector<unsigned char> Transaction::buildTpb() const
{
    std::vector<unsigned char> tpb {isc_tpb_version3};
    for (const auto& word : params_) {
        std::string w, ignored;
        if (!splitParam(word, w, ignored))
            continue;
        static constexpr std::pair<std::string_view, unsigned char> kTags[] = {
            {"read_committed", isc_tpb_read_committed},
            {"rec_version", isc_tpb_rec_version},
            {"no_rec_version", isc_tpb_no_rec_version},
            {"nowait", isc_tpb_nowait},
            {"wait", isc_tpb_wait},
            {"concurrency", isc_tpb_concurrency},
            {"consistency", isc_tpb_consistency},
            {"read", isc_tpb_read},
            {"write", isc_tpb_write},
        };
        const auto* known
            = std::find_if(std::begin(kTags), std::end(kTags), [&](const auto& entry) { return entry.first == w; });
        if (known == std::end(kTags))
            throwLayerError("unknown transaction parameter \"" + w + "\"", "Transaction.startTransaction");
        tpb.push_back(known->second);
    }
    return tpb;
}

void Transaction::startTransaction()
{
    const std::string ctx = "Transaction.startTransaction";
    if (inTransaction())
        throwLayerError("transaction is already active", ctx);
    if (!database_ || !database_->connected())
        throwLayerError("database not connected", ctx);
    const auto tpb = buildTpb();
    Status st;
    guarded(ctx, [&] {
        transaction_ = database_->attachment()->startTransaction(&st, static_cast<unsigned>(tpb.size()), tpb.data());
    });
}

void Transaction::closeCursors()
{
    for (Query* q : std::vector<Query*>(queries_))
        q->closeCursor();
}

void Transaction::commit()
{
    const std::string ctx = "Transaction.commit";
    if (!inTransaction())
        throwLayerError("transaction is not active", ctx);
    closeCursors();
    Status st;
    guarded(ctx, [&] { transaction_->commit(&st); });
    transaction_ = nullptr;
}

void Transaction::rollback()
{
    const std::string ctx = "Transaction.rollback";
    if (!inTransaction())
        throwLayerError("transaction is not active", ctx);
    closeCursors();
    Status st;
    Firebird::ITransaction* t = transaction_;
    try {
        t->rollback(&st);
    } catch (const Firebird::FbException& e) {
        // The handle is unusable either way; a rollback that fails has lost
        // its connection and the engine undoes the work itself.
        transaction_ = nullptr;
        t->release();
        throwFromStatus(e.getStatus(), ctx);
    }
    transaction_ = nullptr;
}

void Transaction::commitRetaining()
{
    const std::string ctx = "Transaction.commitRetaining";
    if (!inTransaction())
        throwLayerError("transaction is not active", ctx);
    Status st;
    guarded(ctx, [&] { transaction_->commitRetaining(&st); });
}

void Transaction::rollbackRetaining()
{
    const std::string ctx = "Transaction.rollbackRetaining";
    if (!inTransaction())
        throwLayerError("transaction is not active", ctx);
    Status st;
    guarded(ctx, [&] { transaction_->rollbackRetaining(&st); });
}

void Transaction::registerQuery(Query* q)
{
    if (std::find(queries_.begin(), queries_.end(), q) == queries_.end())
        queries_.push_back(q);
}

void Transaction::unregisterQuery(Query* q)
{
    queries_.erase(std::remove(queries_.begin(), queries_.end(), q), queries_.end());
}

} // namespace platform::firebird
