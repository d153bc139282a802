#pragma once
// Statements over a Database/Transaction pair.
//
// The statement text is built line by line in an SqlText. Parameters are
// named (":NAME", a name may appear more than once) and are translated to
// positional markers when the statement is prepared; quotes, quoted
// identifiers and comments are left alone (a PSQL body that names its
// variables ":X", as EXECUTE BLOCK does, belongs in
// Database::executeImmediate, which binds nothing). Result columns are read by name
// through Field objects that stay valid while the statement stays prepared,
// so a loop can look its fields up once and read them row after row.
//
// Text crosses here between UTF-8 (inside) and code page 932 (the
// connection's SJIS_0208); a text that code page 932 cannot hold is refused.

#include "platform/firebird/fb_database.h"
#include "platform/firebird/fb_error.h"
#include "platform/firebird/fb_types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Firebird {
class IStatement;
class IResultSet;
class IMessageMetadata;
} // namespace Firebird

namespace platform::firebird {

// The text of a statement, kept as lines.
class SqlText {
public:
    void clear();
    void add(std::string_view line);
    // Replaces the whole text with one line per '\n'-separated piece.
    void setText(std::string_view text);
    // Lines joined with '\n'.
    std::string text() const;
    const std::vector<std::string>& lines() const noexcept { return lines_; }
    bool empty() const noexcept { return lines_.empty(); }
    // Changes with every modification (queries notice a new text).
    unsigned revision() const noexcept { return revision_; }

private:
    std::vector<std::string> lines_;
    unsigned revision_ = 0;
};

// The SQL text with named parameters replaced by '?'. names[i] is the name
// (upper case) of the i-th marker.
struct ParsedSql {
    std::string sql;
    std::vector<std::string> names;
};
// Throws EIBError (code 0) on an unterminated quote or comment.
ParsedSql parseNamedParams(std::string_view sql);

class Query;

// One named parameter (all its positions). Values stay set between
// executions until changed or cleared; a new statement text clears them.
class Param {
public:
    const std::string& name() const noexcept { return name_; }

    void clear(); // NULL
    void setNull() { clear(); }
    bool isNull() const noexcept { return kind_ == Kind::Null; }

    void setString(std::string_view utf8);
    void setInteger(std::int32_t value);
    void setInt64(std::int64_t value);
    void setCurrency(std::int64_t scaledBy10000);
    void setDouble(double value);
    void setBoolean(bool value); // stored as 1 / 0
    void setDate(Date value);
    void setTimestamp(Timestamp value);
    // Blob parameters: raw bytes (no conversion), a file's content, or a
    // text (converted like any other text).
    void setBytes(std::string_view bytes);
    void loadFromFile(const std::string& path);

    // Convenience spellings.
    Param& operator=(std::string_view utf8)
    {
        setString(utf8);
        return *this;
    }

private:
    friend class Query;
    enum class Kind { Null, Text, Int, Double, Date, Timestamp, Bytes };
    Kind kind_ = Kind::Null;
    std::string name_;
    std::string bytes_; // Text: code page 932 bytes; Bytes: raw
    std::int64_t int_ = 0; // Int: value * 10^-scale_
    int scale_ = 0;
    double double_ = 0;
    std::vector<unsigned> positions_;
};

// One result column, reading the current row of its query.
class Field {
public:
    const std::string& name() const noexcept { return name_; }
    bool isNull() const;

    // Text: code page 932 converted to UTF-8 (CHAR columns without their
    // trailing blanks); numbers, dates and times formatted; blobs read whole.
    // NULL gives "".
    std::string asString() const;
    // Numbers converted (text parsed; a fraction is rounded); NULL gives 0.
    std::int32_t asInteger() const;
    std::int64_t asInt64() const;
    // Scaled by 10,000 from NUMERIC/DECIMAL of any scale, integers, doubles
    // or text; NULL gives 0.
    std::int64_t asCurrency() const;
    double asDouble() const;
    bool asBoolean() const; // non-zero number or "TRUE"/"1" text
    // NULL gives a default-constructed value (not ok()).
    Date asDate() const;
    Timestamp asTimestamp() const;
    // Blob or text content as stored, no conversion.
    std::string asBytes() const;
    // Writes the blob/text content as stored to a file (temporary name, then
    // renamed).
    void saveToFile(const std::string& path) const;

    // Firebird SQL type (SQL_VARYING, ...) without the nullable bit, scale,
    // sub-type and character-set id as described by the engine.
    unsigned sqlType() const noexcept { return type_; }
    int scale() const noexcept { return scale_; }
    int subType() const noexcept { return subType_; }

private:
    friend class Query;
    const Query* query_ = nullptr;
    std::string name_;
    unsigned type_ = 0;
    int scale_ = 0;
    int subType_ = 0;
    unsigned charset_ = 0;
    unsigned length_ = 0;
    unsigned offset_ = 0;
    unsigned nullOffset_ = 0;
    std::string context(const char* op) const;
};

// A statement: select (cursor), DML, EXECUTE PROCEDURE, selectable
// procedures ("SELECT ... FROM PROC(:A)").
class Query {
public:
    explicit Query(Database* database = nullptr, Transaction* transaction = nullptr);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void setDatabase(Database* database);
    Database* database() const noexcept { return database_; }
    // Without a transaction the database's default transaction is used.
    void setTransaction(Transaction* transaction);
    Transaction* transaction() const;

    SqlText& sql() noexcept { return sql_; }
    const SqlText& sql() const noexcept { return sql_; }

    void prepare();
    bool prepared() const noexcept;
    void unprepare();

    // The parameter with that name (case-insensitive). Prepares the
    // statement when needed. Throws EIBError when there is none.
    Param& paramByName(std::string_view name);
    std::size_t paramCount();
    Param& param(std::size_t index);

    // Select: opens the cursor on the first row (eof() when there is none).
    void open();
    // Any statement: a select or a procedure with outputs is opened like
    // open(); anything else is executed.
    void execQuery();
    // A statement without a result set (or one whose rows are discarded).
    void execSQL();
    void close();
    bool active() const noexcept { return active_; }
    bool eof() const noexcept { return eof_; }
    void next();
    // Rows changed by the last executed DML statement.
    std::int64_t rowsAffected() const noexcept { return rowsAffected_; }

    std::size_t fieldCount();
    // Throws EIBError when there is no such column. The reference stays
    // valid until the statement text changes or the query is unprepared.
    Field& fieldByName(std::string_view name);
    // -1 when there is no such column.
    int fieldIndex(std::string_view name);
    Field& field(std::size_t index);

private:
    friend class Field;
    friend class Transaction;
    friend class Database;
    void ensurePrepared();
    void execute(bool wantCursor);
    void closeCursor() noexcept;
    void releaseStatement() noexcept;
    void forgetDatabase() noexcept;
    void forgetTransaction(Transaction* t) noexcept;
    void buildInputMessage();
    std::string readBlob(unsigned offset) const;
    std::string context(std::string_view op) const;
    Transaction* activeTransaction(const char* op);

    Database* database_ = nullptr;
    Transaction* transaction_ = nullptr;
    Transaction* usedTransaction_ = nullptr;
    SqlText sql_;
    unsigned preparedRevision_ = ~0u;
    Firebird::IStatement* statement_ = nullptr;
    Firebird::IResultSet* cursor_ = nullptr;
    Firebird::IMessageMetadata* inMeta_ = nullptr; // as described
    Firebird::IMessageMetadata* sendMeta_ = nullptr; // as sent (coerced)
    Firebird::IMessageMetadata* outMeta_ = nullptr;
    std::vector<std::string> markerNames_;
    std::vector<std::unique_ptr<Param>> params_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<unsigned char> inBuffer_;
    std::vector<unsigned char> outBuffer_;
    std::vector<unsigned> sendSignature_;
    unsigned statementType_ = 0;
    bool active_ = false;
    bool eof_ = true;
    std::int64_t rowsAffected_ = 0;
};

} // namespace platform::firebird
