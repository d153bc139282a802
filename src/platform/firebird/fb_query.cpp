#include "platform/firebird/fb_query.h"

#include "platform/codec.h"
#include "platform/firebird/fb_internal.h"
#include "platform/ini_file.h"

#include <ibase.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace platform::firebird {

using namespace detail;

namespace {

constexpr unsigned kCharsetOctets = 1;
constexpr unsigned kBlobChunk = 32 * 1024;

bool isAscii(const char* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

// Context texts are built only when an error is raised: the read paths
// run once per column and row.
using LazyContext = std::string (*)(const void*, const char*);
struct Ctx {
    const void* owner;
    const char* op;
    LazyContext make;
    std::string str() const { return make ? make(owner, op) : std::string(op); }
};

std::string sjisToUtf8(const char* p, std::size_t n, const Ctx& ctx)
{
    if (isAscii(p, n))
        return std::string(p, n);
    try {
        return codec::fromSjis(std::string_view(p, n));
    } catch (const codec::CodecError& e) {
        throwLayerError(e.what(), ctx.str());
    }
}

std::string utf8ToSjis(std::string_view s, const std::string& ctx)
{
    if (isAscii(s.data(), s.size()))
        return std::string(s);
    try {
        return codec::toSjis(s);
    } catch (const codec::CodecError& e) {
        throwLayerError(e.what(), ctx);
    }
}

std::int64_t pow10i(int n)
{
    std::int64_t r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

// value * 10^scale as text ("-12.34").
std::string formatScaled(std::int64_t value, int scale)
{
    if (scale >= 0) {
        std::string s = std::to_string(value);
        if (value != 0)
            s.append(static_cast<std::size_t>(scale), '0');
        return s;
    }
    const bool neg = value < 0;
    const unsigned long long mag = neg ? 0ULL - static_cast<unsigned long long>(value)
                                       : static_cast<unsigned long long>(value);
    std::string digits = std::to_string(mag);
    const std::size_t frac = static_cast<std::size_t>(-scale);
    if (digits.size() <= frac)
        digits.insert(0, frac + 1 - digits.size(), '0');
    digits.insert(digits.size() - frac, 1, '.');
    return neg ? "-" + digits : digits;
}

// Rescales value*10^from to an integer at 10^to, rounding half away from zero.
std::int64_t rescale(std::int64_t value, int from, int to, const Ctx& ctx)
{
    if (from == to)
        return value;
    if (from > to) {
        const std::int64_t f = pow10i(from - to);
        if (value > std::numeric_limits<std::int64_t>::max() / f
            || value < std::numeric_limits<std::int64_t>::min() / f)
            throwLayerError("numeric overflow", ctx.str());
        return value * f;
    }
    const std::int64_t f = pow10i(to - from);
    std::int64_t q = value / f;
    const std::int64_t r = value % f;
    if (r * 2 >= f)
        ++q;
    else if (r * 2 <= -f)
        --q;
    return q;
}

std::string trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

// Decimal text to an integer at 10^scale (scale <= 0), rounding the digits
// beyond it half away from zero.
std::int64_t parseDecimal(std::string_view text, int scale, const Ctx& ctx)
{
    const std::string s = trimBlanks(text);
    std::size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        neg = s[i++] == '-';
    std::int64_t v = 0;
    int fracDigits = 0;
    bool any = false, dot = false, roundUp = false, beyond = false;
    const int want = -scale;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '.' && !dot) {
            dot = true;
            continue;
        }
        if (c == ',' && !dot)
            continue; // thousands separator
        if (c < '0' || c > '9')
            throwLayerError("\"" + s + "\" is not a number", ctx.str());
        any = true;
        if (dot && fracDigits >= want) {
            if (!beyond)
                roundUp = c >= '5';
            beyond = true;
            continue;
        }
        if (v > (std::numeric_limits<std::int64_t>::max() - 9) / 10)
            throwLayerError("\"" + s + "\" is out of range", ctx.str());
        v = v * 10 + (c - '0');
        if (dot)
            ++fracDigits;
    }
    if (!any)
        throwLayerError("\"" + s + "\" is not a number", ctx.str());
    v = rescale(v, -fracDigits, scale, ctx);
    if (roundUp)
        ++v;
    return neg ? -v : v;
}

const std::chrono::sys_days kIscEpoch = std::chrono::sys_days{std::chrono::year{1858} / 11 / 17};

Date decodeIscDate(ISC_DATE d)
{
    return Date{kIscEpoch + std::chrono::days{d}};
}

ISC_DATE encodeIscDate(Date d)
{
    return static_cast<ISC_DATE>((std::chrono::sys_days{d} - kIscEpoch).count());
}

std::string two(int v)
{
    char b[4];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

std::string formatDate(Date d)
{
    char b[16];
    std::snprintf(b, sizeof b, "%04d/%02u/%02u", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
                  static_cast<unsigned>(d.day()));
    return b;
}

// ISC_TIME: 1/10000 s since midnight.
std::string formatTime(unsigned t)
{
    const unsigned secs = t / 10000;
    return two(static_cast<int>(secs / 3600)) + ":" + two(static_cast<int>(secs / 60 % 60)) + ":"
           + two(static_cast<int>(secs % 60));
}

bool isTextType(unsigned t)
{
    return t == SQL_TEXT || t == SQL_VARYING;
}

void writeFileReplacing(const std::string& path, std::string_view bytes, const std::string& ctx)
{
    try {
        writeFileAtomically(path, bytes, ctx);
    } catch (const std::exception& e) {
        throwLayerError(e.what(), ctx);
    }
}

} // namespace

// ----------------------------------------------------------------- SqlText

void SqlText::clear()
{
    lines_.clear();
    ++revision_;
}

void SqlText::add(std::string_view line)
{
    lines_.emplace_back(line);
    ++revision_;
}

void SqlText::setText(std::string_view text)
{
    lines_.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        auto nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            if (start < text.size())
                lines_.emplace_back(text.substr(start));
            break;
        }
        std::string_view line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines_.emplace_back(line);
        start = nl + 1;
    }
    ++revision_;
}

std::string SqlText::text() const
{
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i)
            out.push_back('\n');
        out += lines_[i];
    }
    return out;
}

// -------------------------------------------------------- named parameters

ParsedSql parseNamedParams(std::string_view sql)
{
    ParsedSql out;
    out.sql.reserve(sql.size());
    const std::size_t n = sql.size();
    auto identChar = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
    };
    std::size_t i = 0;
    while (i < n) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const std::size_t start = i++;
            for (;;) {
                if (i >= n)
                    throwLayerError("unterminated quote in statement", "parseNamedParams");
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.sql.append(sql.substr(start, i - start));
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            const std::size_t start = i;
            while (i < n && sql[i] != '\n')
                ++i;
            out.sql.append(sql.substr(start, i - start));
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const std::size_t end = sql.find("*/", i + 2);
            if (end == std::string_view::npos)
                throwLayerError("unterminated comment in statement", "parseNamedParams");
            out.sql.append(sql.substr(i, end + 2 - i));
            i = end + 2;
        } else if (c == ':' && i + 1 < n && (identChar(sql[i + 1]) || sql[i + 1] == '"')) {
            std::string name;
            if (sql[i + 1] == '"') {
                const std::size_t end = sql.find('"', i + 2);
                if (end == std::string_view::npos)
                    throwLayerError("unterminated parameter name in statement", "parseNamedParams");
                name.assign(sql.substr(i + 2, end - i - 2));
                i = end + 1;
            } else {
                std::size_t j = i + 1;
                while (j < n && identChar(sql[j]))
                    ++j;
                name = toUpperAscii(sql.substr(i + 1, j - i - 1));
                i = j;
            }
            out.names.push_back(std::move(name));
            out.sql.push_back('?');
        } else if (c == '?') {
            out.names.emplace_back();
            out.sql.push_back('?');
            ++i;
        } else {
            out.sql.push_back(c);
            ++i;
        }
    }
    return out;
}

// ------------------------------------------------------------------- Param

void Param::clear()
{
    kind_ = Kind::Null;
    bytes_.clear();
}

void Param::setString(std::string_view utf8)
{
    bytes_ = utf8ToSjis(utf8, "Param " + name_);
    kind_ = Kind::Text;
}

void Param::setInteger(std::int32_t value)
{
    setInt64(value);
}

void Param::setInt64(std::int64_t value)
{
    kind_ = Kind::Int;
    int_ = value;
    scale_ = 0;
}

void Param::setCurrency(std::int64_t scaledBy10000)
{
    kind_ = Kind::Int;
    int_ = scaledBy10000;
    scale_ = -4;
}

void Param::setDouble(double value)
{
    kind_ = Kind::Double;
    double_ = value;
}

void Param::setBoolean(bool value)
{
    setInt64(value ? 1 : 0);
}

void Param::setDate(Date value)
{
    if (!value.ok())
        throwLayerError("invalid date", "Param " + name_);
    kind_ = Kind::Date;
    int_ = encodeIscDate(value);
}

void Param::setTimestamp(Timestamp value)
{
    kind_ = Kind::Timestamp;
    const auto day = std::chrono::floor<std::chrono::days>(value);
    const auto ms = (value - day).count();
    int_ = (std::chrono::sys_days{day.time_since_epoch()} - kIscEpoch).count();
    scale_ = static_cast<int>(ms * 10); // 1/10000 s
}

void Param::setBytes(std::string_view bytes)
{
    bytes_.assign(bytes);
    kind_ = Kind::Bytes;
}

void Param::loadFromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throwLayerError("cannot open \"" + path + "\"", "Param " + name_ + " loadFromFile");
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throwLayerError("cannot read \"" + path + "\"", "Param " + name_ + " loadFromFile");
    setBytes(data);
}

// ------------------------------------------------------------------- Field

std::string Field::context(const char* op) const
{
    return std::string("Field ") + name_ + " " + op;
}

namespace {
Ctx fctx(const Field* f, const char* op)
{
    return Ctx{f, op, [](const void* owner, const char* o) {
                   return "Field " + static_cast<const Field*>(owner)->name() + " " + o;
               }};
}
} // namespace

bool Field::isNull() const
{
    if (!query_ || query_->eof_ || !query_->active_)
        return true;
    return *reinterpret_cast<const short*>(query_->outBuffer_.data() + nullOffset_) != 0;
}

std::string Field::asString() const
{
    if (isNull())
        return {};
    const unsigned char* p = query_->outBuffer_.data() + offset_;
    switch (type_) {
    case SQL_VARYING: {
        std::uint16_t len;
        std::memcpy(&len, p, 2);
        const char* s = reinterpret_cast<const char*>(p + 2);
        if (charset_ == kCharsetOctets)
            return std::string(s, len);
        return sjisToUtf8(s, len, fctx(this, "asString"));
    }
    case SQL_TEXT: {
        const char* s = reinterpret_cast<const char*>(p);
        std::size_t len = length_;
        if (charset_ == kCharsetOctets)
            return std::string(s, len);
        while (len > 0 && s[len - 1] == ' ')
            --len;
        return sjisToUtf8(s, len, fctx(this, "asString"));
    }
    case SQL_SHORT: {
        std::int16_t v;
        std::memcpy(&v, p, 2);
        return formatScaled(v, scale_);
    }
    case SQL_LONG: {
        std::int32_t v;
        std::memcpy(&v, p, 4);
        return formatScaled(v, scale_);
    }
    case SQL_INT64: {
        std::int64_t v;
        std::memcpy(&v, p, 8);
        return formatScaled(v, scale_);
    }
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        char b[40];
        std::snprintf(b, sizeof b, "%.15g", asDouble());
        return b;
    }
    case SQL_TYPE_DATE:
        return formatDate(asDate());
    case SQL_TYPE_TIME: {
        ISC_TIME t;
        std::memcpy(&t, p, 4);
        return formatTime(t);
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP ts;
        std::memcpy(&ts, p, sizeof ts);
        std::string s = formatDate(decodeIscDate(ts.timestamp_date));
        if (ts.timestamp_time != 0)
            s += " " + formatTime(ts.timestamp_time);
        return s;
    }
    case SQL_BOOLEAN:
        return *p ? "True" : "False";
    case SQL_BLOB: {
        std::string raw = query_->readBlob(offset_);
        if (subType_ == 1 && charset_ != kCharsetOctets)
            return sjisToUtf8(raw.data(), raw.size(), fctx(this, "asString"));
        return raw;
    }
    default:
        throwLayerError("unsupported column type " + std::to_string(type_), context("asString"));
    }
}

std::string Field::asBytes() const
{
    if (isNull())
        return {};
    const unsigned char* p = query_->outBuffer_.data() + offset_;
    switch (type_) {
    case SQL_VARYING: {
        std::uint16_t len;
        std::memcpy(&len, p, 2);
        return std::string(reinterpret_cast<const char*>(p + 2), len);
    }
    case SQL_TEXT:
        return std::string(reinterpret_cast<const char*>(p), length_);
    case SQL_BLOB:
        return query_->readBlob(offset_);
    default:
        return asString();
    }
}

std::int64_t Field::asInt64() const
{
    if (isNull())
        return 0;
    const unsigned char* p = query_->outBuffer_.data() + offset_;
    switch (type_) {
    case SQL_SHORT: {
        std::int16_t v;
        std::memcpy(&v, p, 2);
        return rescale(v, scale_, 0, fctx(this, "asInt64"));
    }
    case SQL_LONG: {
        std::int32_t v;
        std::memcpy(&v, p, 4);
        return rescale(v, scale_, 0, fctx(this, "asInt64"));
    }
    case SQL_INT64: {
        std::int64_t v;
        std::memcpy(&v, p, 8);
        return rescale(v, scale_, 0, fctx(this, "asInt64"));
    }
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        const double d = std::round(asDouble());
        if (!(d >= -9.2e18 && d <= 9.2e18))
            throwLayerError("numeric overflow", context("asInt64"));
        return static_cast<std::int64_t>(d);
    }
    case SQL_BOOLEAN:
        return *p ? 1 : 0;
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_BLOB:
        return parseDecimal(asString(), 0, fctx(this, "asInt64"));
    default:
        throwLayerError("not a number", context("asInt64"));
    }
}

std::int32_t Field::asInteger() const
{
    const std::int64_t v = asInt64();
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throwLayerError("integer overflow", context("asInteger"));
    return static_cast<std::int32_t>(v);
}

std::int64_t Field::asCurrency() const
{
    if (isNull())
        return 0;
    const unsigned char* p = query_->outBuffer_.data() + offset_;
    switch (type_) {
    case SQL_SHORT: {
        std::int16_t v;
        std::memcpy(&v, p, 2);
        return rescale(v, scale_, -4, fctx(this, "asCurrency"));
    }
    case SQL_LONG: {
        std::int32_t v;
        std::memcpy(&v, p, 4);
        return rescale(v, scale_, -4, fctx(this, "asCurrency"));
    }
    case SQL_INT64: {
        std::int64_t v;
        std::memcpy(&v, p, 8);
        return rescale(v, scale_, -4, fctx(this, "asCurrency"));
    }
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        const double d = std::round(asDouble() * static_cast<double>(kCurrencyScale));
        if (!(d >= -9.2e18 && d <= 9.2e18))
            throwLayerError("numeric overflow", context("asCurrency"));
        return static_cast<std::int64_t>(d);
    }
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_BLOB:
        return parseDecimal(asString(), -4, fctx(this, "asCurrency"));
    default:
        throwLayerError("not a number", context("asCurrency"));
    }
}

double Field::asDouble() const
{
    if (isNull())
        return 0;
    const unsigned char* p = query_->outBuffer_.data() + offset_;
    switch (type_) {
    case SQL_SHORT: {
        std::int16_t v;
        std::memcpy(&v, p, 2);
        return v * std::pow(10.0, scale_);
    }
    case SQL_LONG: {
        std::int32_t v;
        std::memcpy(&v, p, 4);
        return v * std::pow(10.0, scale_);
    }
    case SQL_INT64: {
        std::int64_t v;
        std::memcpy(&v, p, 8);
        return static_cast<double>(v) * std::pow(10.0, scale_);
    }
    case SQL_FLOAT: {
        float f;
        std::memcpy(&f, p, 4);
        return f;
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double d;
        std::memcpy(&d, p, 8);
        return d;
    }
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_BLOB: {
        const std::string s = trimBlanks(asString());
        char* end = nullptr;
        errno = 0;
        const double d = std::strtod(s.c_str(), &end);
        if (s.empty() || end != s.c_str() + s.size() || errno == ERANGE)
            throwLayerError("\"" + s + "\" is not a number", context("asDouble"));
        return d;
    }
    default:
        throwLayerError("not a number", context("asDouble"));
    }
}

bool Field::asBoolean() const
{
    if (isNull())
        return false;
    if (isTextType(type_) || type_ == SQL_BLOB) {
        const std::string s = toUpperAscii(trimBlanks(asString()));
        return s == "TRUE" || s == "1" || s == "T" || s == "Y";
    }
    return asInt64() != 0;
}

Date Field::asDate() const
{
    if (isNull())
        return Date{};
    const unsigned char* p = query_->outBuffer_.data() + offset_;
    switch (type_) {
    case SQL_TYPE_DATE: {
        ISC_DATE d;
        std::memcpy(&d, p, 4);
        return decodeIscDate(d);
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP ts;
        std::memcpy(&ts, p, sizeof ts);
        return decodeIscDate(ts.timestamp_date);
    }
    default:
        throwLayerError("not a date", context("asDate"));
    }
}

Timestamp Field::asTimestamp() const
{
    if (isNull())
        return Timestamp{};
    const unsigned char* p = query_->outBuffer_.data() + offset_;
    ISC_DATE day = 0;
    ISC_TIME time = 0;
    switch (type_) {
    case SQL_TYPE_DATE:
        std::memcpy(&day, p, 4);
        break;
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP ts;
        std::memcpy(&ts, p, sizeof ts);
        day = ts.timestamp_date;
        time = ts.timestamp_time;
        break;
    }
    default:
        throwLayerError("not a timestamp", context("asTimestamp"));
    }
    const std::chrono::sys_days sd = kIscEpoch + std::chrono::days{day};
    return Timestamp{std::chrono::duration_cast<std::chrono::milliseconds>(sd.time_since_epoch())
                     + std::chrono::milliseconds{time / 10}};
}

void Field::saveToFile(const std::string& path) const
{
    writeFileReplacing(path, asBytes(), context("saveToFile"));
}

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
        statement_ = database_->attachment()->prepare(&st, t->handle(), static_cast<unsigned>(sjis.size()),
                                                      sjis.c_str(), static_cast<unsigned>(database_->sqlDialect()),
                                                      Firebird::IStatement::PREPARE_PREFETCH_METADATA);
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
            Slot s{inMeta_->getType(&st, i) & ~1u, inMeta_->getLength(&st, i), inMeta_->getCharSet(&st, i),
                   inMeta_->getScale(&st, i), inMeta_->getSubType(&st, i)};
            const bool blob = s.type == SQL_BLOB;
            switch (p.kind_) {
            case Param::Kind::Null:
                break;
            case Param::Kind::Text:
            case Param::Kind::Bytes:
                if (!blob) {
                    const unsigned cs = isTextType(s.type) ? s.charset : 0;
                    s = Slot{SQL_VARYING, std::max<unsigned>(1, static_cast<unsigned>(p.bytes_.size())), cs, 0, 0};
                }
                break;
            case Param::Kind::Int:
                s = Slot{SQL_INT64, 8, 0, p.scale_, 0};
                break;
            case Param::Kind::Double:
                s = Slot{SQL_DOUBLE, 8, 0, 0, 0};
                break;
            case Param::Kind::Date:
                s = Slot{SQL_TYPE_DATE, 4, 0, 0, 0};
                break;
            case Param::Kind::Timestamp:
                s = Slot{SQL_TIMESTAMP, 8, 0, 0, 0};
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
                    ISC_QUAD id{};
                    Firebird::IBlob* blob = database_->attachment()->createBlob(&st, usedTransaction_->handle(),
                                                                                &id, 0, nullptr);
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
                ISC_TIMESTAMP ts{static_cast<ISC_DATE>(p.int_), static_cast<ISC_TIME>(p.scale_)};
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
            const bool select = statementType_ == isc_info_sql_stmt_select
                                || statementType_ == isc_info_sql_stmt_select_for_upd;
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
