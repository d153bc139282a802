#include "platform/firebird/fb_query.h"

#include "platform/firebird/fb_query_support.h"

namespace platform::firebird {

using namespace detail;
using namespace querysupport;

// ------------------------------------------------------------------- Query

Query::Query(Database* database, Transaction* transaction)
{
    setDatabase(database);
    setTransaction(transaction);
}

Query::~Query()
{
    closeCursor();
    releaseStatement();
    if (transaction_)
        transaction_->unregisterQuery(this);
    if (usedTransaction_ && usedTransaction_ != transaction_)
        usedTransaction_->unregisterQuery(this);
    if (database_)
        database_->unregisterQuery(this);
}

std::string Query::context(std::string_view op) const
{
    std::string first = sql_.empty() ? std::string() : sql_.lines().front();
    if (first.size() > 120)
        first.resize(120);
    return "Query." + std::string(op) + (first.empty() ? "" : " [" + first + "]");
}

void Query::setDatabase(Database* database)
{
    if (database_ == database)
        return;
    closeCursor();
    releaseStatement();
    if (database_)
        database_->unregisterQuery(this);
    database_ = database;
    if (database_)
        database_->registerQuery(this);
}

void Query::setTransaction(Transaction* transaction)
{
    if (transaction_ == transaction)
        return;
    closeCursor();
    transaction_ = transaction;
}

Transaction* Query::transaction() const
{
    if (transaction_)
        return transaction_;
    return database_ ? database_->defaultTransaction() : nullptr;
}

void Query::forgetDatabase() noexcept
{
    closeCursor();
    releaseStatement();
    database_ = nullptr;
}

void Query::forgetTransaction(Transaction* t) noexcept
{
    if (usedTransaction_ == t)
        closeCursor();
    if (transaction_ == t)
        transaction_ = nullptr;
}

Transaction* Query::activeTransaction(const char* op)
{
    Transaction* t = transaction();
    if (!t)
        throwLayerError("no transaction", context(op));
    if (!t->inTransaction())
        throwLayerError("transaction is not active", context(op));
    return t;
}

bool Query::prepared() const noexcept
{
    return statement_ != nullptr && preparedRevision_ == sql_.revision();
}

void Query::closeCursor() noexcept
{
    if (cursor_) {
        Status st;
        try {
            cursor_->close(&st);
        } catch (const Firebird::FbException&) {
            cursor_->release();
        }
        cursor_ = nullptr;
    }
    active_ = false;
    eof_ = true;
    if (usedTransaction_) {
        usedTransaction_->unregisterQuery(this);
        usedTransaction_ = nullptr;
    }
}

void Query::close()
{
    closeCursor();
}

void Query::releaseStatement() noexcept
{
    closeCursor();
    if (statement_) {
        Status st;
        try {
            statement_->free(&st);
        } catch (const Firebird::FbException&) {
            statement_->release();
        }
        statement_ = nullptr;
    }
    for (auto** m : {&inMeta_, &sendMeta_, &outMeta_}) {
        if (*m) {
            (*m)->release();
            *m = nullptr;
        }
    }
    sendSignature_.clear();
    preparedRevision_ = ~0u;
}

void Query::unprepare()
{
    releaseStatement();
}

void Query::prepare()
{
    if (prepared())
        return;
    releaseStatement();
    params_.clear();
    fields_.clear();
    markerNames_.clear();
    if (!database_ || !database_->connected())
        throwLayerError("database not connected", context("prepare"));
    Transaction* t = activeTransaction("prepare");
    ParsedSql parsed = parseNamedParams(sql_.text());
    const std::string sjis = utf8ToSjis(parsed.sql, context("prepare"));
    const std::string ctx = context("prepare");
    Status st;
    guarded(ctx, [&] {
        statement_
            = database_->attachment()->prepare(&st, t->handle(), static_cast<unsigned>(sjis.size()), sjis.c_str(),
                static_cast<unsigned>(database_->sqlDialect()), Firebird::IStatement::PREPARE_PREFETCH_METADATA);
        statementType_ = statement_->getType(&st);
        inMeta_ = statement_->getInputMetadata(&st);
        outMeta_ = statement_->getOutputMetadata(&st);
    });
    preparedRevision_ = sql_.revision();
    markerNames_ = std::move(parsed.names);

    guarded(ctx, [&] {
        const unsigned inCount = inMeta_->getCount(&st);
        if (inCount != markerNames_.size())
            throwLayerError("parameter markers do not match the statement", ctx);
        for (unsigned i = 0; i < inCount; ++i) {
            const std::string& name = markerNames_[i];
            Param* target = nullptr;
            if (!name.empty())
                for (auto& p : params_)
                    if (p->name_ == name) {
                        target = p.get();
                        break;
                    }
            if (!target) {
                params_.push_back(std::make_unique<Param>());
                target = params_.back().get();
                target->name_ = name;
            }
            target->positions_.push_back(i);
        }
        const unsigned outCount = outMeta_->getCount(&st);
        outBuffer_.assign(outMeta_->getMessageLength(&st), 0);
        fields_.reserve(outCount);
        for (unsigned i = 0; i < outCount; ++i) {
            auto f = std::make_unique<Field>();
            f->query_ = this;
            const char* alias = outMeta_->getAlias(&st, i);
            f->name_ = alias && *alias ? alias : outMeta_->getField(&st, i);
            f->type_ = outMeta_->getType(&st, i) & ~1u;
            f->scale_ = outMeta_->getScale(&st, i);
            f->subType_ = outMeta_->getSubType(&st, i);
            f->charset_ = outMeta_->getCharSet(&st, i);
            f->length_ = outMeta_->getLength(&st, i);
            f->offset_ = outMeta_->getOffset(&st, i);
            f->nullOffset_ = outMeta_->getNullOffset(&st, i);
            fields_.push_back(std::move(f));
        }
    });
}

void Query::ensurePrepared()
{
    if (!prepared())
        prepare();
}

Param& Query::paramByName(std::string_view name)
{
    ensurePrepared();
    const std::string wanted = toUpperAscii(name);
    for (auto& p : params_)
        if (p->name_ == wanted)
            return *p;
    throwLayerError("no parameter \"" + std::string(name) + "\"", context("paramByName"));
}

std::size_t Query::paramCount()
{
    ensurePrepared();
    return params_.size();
}

Param& Query::param(std::size_t index)
{
    ensurePrepared();
    if (index >= params_.size())
        throwLayerError("parameter index out of range", context("param"));
    return *params_[index];
}

std::size_t Query::fieldCount()
{
    ensurePrepared();
    return fields_.size();
}

int Query::fieldIndex(std::string_view name)
{
    ensurePrepared();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const std::string& n = fields_[i]->name_;
        if (n.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t k = 0; k < n.size() && same; ++k) {
            char a = n[k], b = name[k];
            if (a >= 'a' && a <= 'z')
                a = static_cast<char>(a - 'a' + 'A');
            if (b >= 'a' && b <= 'z')
                b = static_cast<char>(b - 'a' + 'A');
            same = a == b;
        }
        if (same)
            return static_cast<int>(i);
    }
    return -1;
}

Field& Query::fieldByName(std::string_view name)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throwLayerError("no column \"" + std::string(name) + "\"", context("fieldByName"));
    return *fields_[static_cast<std::size_t>(i)];
}

Field& Query::field(std::size_t index)
{
    ensurePrepared();
    if (index >= fields_.size())
        throwLayerError("column index out of range", context("field"));
    return *fields_[index];
}

void Query::buildInputMessage()
{
    const std::string ctx = context("execute");
    Status st;
    const unsigned count = static_cast<unsigned>(markerNames_.size());
    // Which Param fills each marker.
    std::vector<const Param*> byPos(count, nullptr);
    for (const auto& p : params_)
        for (unsigned pos : p->positions_)
            byPos[pos] = p.get();

    struct Slot {
        unsigned type, length, charset;
        int scale, subType;
    };
    std::vector<Slot> slots(count);
    std::vector<unsigned> signature;
    signature.reserve(count * 4);
    guarded(ctx, [&] {
        for (unsigned i = 0; i < count; ++i) {
            const Param& p = *byPos[i];
            Slot s {inMeta_->getType(&st, i) & ~1u, inMeta_->getLength(&st, i), inMeta_->getCharSet(&st, i),
                inMeta_->getScale(&st, i), inMeta_->getSubType(&st, i)};
            const bool blob = s.type == SQL_BLOB;
            switch (p.kind_) {
            case Param::Kind::Null:
                break;
            case Param::Kind::Text:
            case Param::Kind::Bytes:
                if (!blob) {
                    const unsigned cs = isTextType(s.type) ? s.charset : 0;
                    s = Slot {SQL_VARYING, std::max<unsigned>(1, static_cast<unsigned>(p.bytes_.size())), cs, 0, 0};
                }
                break;
            case Param::Kind::Int:
                s = Slot {SQL_INT64, 8, 0, p.scale_, 0};
                break;
            case Param::Kind::Double:
                s = Slot {SQL_DOUBLE, 8, 0, 0, 0};
                break;
            case Param::Kind::Date:
                s = Slot {SQL_TYPE_DATE, 4, 0, 0, 0};
                break;
            case Param::Kind::Timestamp:
                s = Slot {SQL_TIMESTAMP, 8, 0, 0, 0};
                break;
            }
            if (p.kind_ != Param::Kind::Null && (p.kind_ == Param::Kind::Text || p.kind_ == Param::Kind::Bytes)
                && s.type == SQL_VARYING && s.length > 32765)
                throwLayerError("text parameter " + p.name_ + " too long", ctx);
            slots[i] = s;
            signature.insert(signature.end(), {s.type, s.length, s.charset, static_cast<unsigned>(s.scale)});
        }
        if (!sendMeta_ || signature != sendSignature_) {
            Firebird::IMetadataBuilder* b = inMeta_->getBuilder(&st);
            try {
                for (unsigned i = 0; i < count; ++i) {
                    b->setType(&st, i, slots[i].type | 1u);
                    b->setLength(&st, i, slots[i].length);
                    b->setScale(&st, i, slots[i].scale);
                    b->setCharSet(&st, i, slots[i].charset);
                    b->setSubType(&st, i, slots[i].subType);
                }
                Firebird::IMessageMetadata* m = b->getMetadata(&st);
                if (sendMeta_)
                    sendMeta_->release();
                sendMeta_ = m;
            } catch (...) {
                b->release();
                throw;
            }
            b->release();
            sendSignature_ = std::move(signature);
        }
        inBuffer_.assign(sendMeta_->getMessageLength(&st), 0);
        for (unsigned i = 0; i < count; ++i) {
            const Param& p = *byPos[i];
            unsigned char* data = inBuffer_.data() + sendMeta_->getOffset(&st, i);
            short* nullFlag = reinterpret_cast<short*>(inBuffer_.data() + sendMeta_->getNullOffset(&st, i));
            *nullFlag = p.kind_ == Param::Kind::Null ? -1 : 0;
            switch (p.kind_) {
            case Param::Kind::Null:
                break;
            case Param::Kind::Text:
            case Param::Kind::Bytes:
                if (slots[i].type == SQL_BLOB) {
                    ISC_QUAD id {};
                    Firebird::IBlob* blob
                        = database_->attachment()->createBlob(&st, usedTransaction_->handle(), &id, 0, nullptr);
                    try {
                        for (std::size_t off = 0; off < p.bytes_.size(); off += kBlobChunk) {
                            const std::size_t len = std::min<std::size_t>(kBlobChunk, p.bytes_.size() - off);
                            blob->putSegment(&st, static_cast<unsigned>(len), p.bytes_.data() + off);
                        }
                        blob->close(&st);
                    } catch (...) {
                        blob->release();
                        throw;
                    }
                    std::memcpy(data, &id, sizeof id);
                } else {
                    const std::uint16_t len = static_cast<std::uint16_t>(p.bytes_.size());
                    std::memcpy(data, &len, 2);
                    std::memcpy(data + 2, p.bytes_.data(), p.bytes_.size());
                }
                break;
            case Param::Kind::Int:
                std::memcpy(data, &p.int_, 8);
                break;
            case Param::Kind::Double:
                std::memcpy(data, &p.double_, 8);
                break;
            case Param::Kind::Date: {
                const ISC_DATE d = static_cast<ISC_DATE>(p.int_);
                std::memcpy(data, &d, 4);
                break;
            }
            case Param::Kind::Timestamp: {
                ISC_TIMESTAMP ts {static_cast<ISC_DATE>(p.int_), static_cast<ISC_TIME>(p.scale_)};
                std::memcpy(data, &ts, sizeof ts);
                break;
            }
            }
        }
    });
}

void Query::execute(bool wantCursor)
{
    ensurePrepared();
    closeCursor();
    Transaction* t = activeTransaction(wantCursor ? "open" : "execSQL");
    usedTransaction_ = t;
    t->registerQuery(this);
    const std::string ctx = context(wantCursor ? "open" : "execSQL");
    try {
        buildInputMessage();
        Status st;
        guarded(ctx, [&] {
            const bool select
                = statementType_ == isc_info_sql_stmt_select || statementType_ == isc_info_sql_stmt_select_for_upd;
            if (select) {
                cursor_ = statement_->openCursor(&st, t->handle(), sendMeta_, inBuffer_.data(), outMeta_, 0);
                active_ = true;
                eof_ = cursor_->fetchNext(&st, outBuffer_.data()) != Firebird::IStatus::RESULT_OK;
                rowsAffected_ = 0;
                if (!wantCursor)
                    closeCursor();
            } else {
                const bool hasOut = outMeta_->getCount(&st) > 0;
                statement_->execute(&st, t->handle(), sendMeta_, inBuffer_.data(), hasOut ? outMeta_ : nullptr,
                    hasOut ? outBuffer_.data() : nullptr);
                rowsAffected_ = static_cast<std::int64_t>(statement_->getAffectedRecords(&st));
                if (wantCursor && hasOut) {
                    active_ = true; // EXECUTE PROCEDURE: its outputs form one row
                    eof_ = false;
                } else {
                    active_ = false;
                    eof_ = true;
                }
            }
        });
    } catch (...) {
        closeCursor();
        throw;
    }
    if (!active_ && usedTransaction_) {
        usedTransaction_->unregisterQuery(this);
        usedTransaction_ = nullptr;
    }
}

void Query::open()
{
    execute(true);
}

void Query::execQuery()
{
    execute(true);
}

void Query::execSQL()
{
    execute(false);
}

void Query::next()
{
    if (!active_ || eof_)
        return;
    if (!cursor_) {
        eof_ = true; // the single row of EXECUTE PROCEDURE
        return;
    }
    Status st;
    try {
        eof_ = cursor_->fetchNext(&st, outBuffer_.data()) != Firebird::IStatus::RESULT_OK;
    } catch (const Firebird::FbException& e) {
        throwFromStatus(e.getStatus(), context("next")); // built only on failure: next() runs per row
    }
}

std::string Query::readBlob(unsigned offset) const
{
    const std::string ctx = context("readBlob");
    if (!usedTransaction_ || !usedTransaction_->inTransaction())
        throwLayerError("transaction is not active", ctx);
    ISC_QUAD id;
    std::memcpy(&id, outBuffer_.data() + offset, sizeof id);
    std::string out;
    Status st;
    guarded(ctx, [&] {
        Firebird::IBlob* blob = database_->attachment()->openBlob(&st, usedTransaction_->handle(), &id, 0, nullptr);
        try {
            char buf[kBlobChunk];
            for (;;) {
                unsigned got = 0;
                const int r = blob->getSegment(&st, sizeof buf, buf, &got);
                if (r == Firebird::IStatus::RESULT_OK || r == Firebird::IStatus::RESULT_SEGMENT)
                    out.append(buf, got);
                else
                    break;
            }
            blob->close(&st);
        } catch (...) {
            blob->release();
            throw;
        }
    });
    return out;
}

} // namespace platform::firebird
