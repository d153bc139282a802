#include "platform/firebird/fb_query.h"

#include "platform/firebird/fb_query_support.h"

namespace platform::firebird {

using namespace detail;
using namespace querysupport;

// ------------------------------------------------------------------- Field

std::string Field::context(const char* op) const
{
    return std::string("Field ") + name_ + " " + op;
}

namespace {
// The value of type T stored at p (the buffer does not align it).
template <class T> T rawAt(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

Ctx fctx(const Field* f, const char* op)
{
    return Ctx {f, op,
        [](const void* owner, const char* o) { return "Field " + static_cast<const Field*>(owner)->name() + " " + o; }};
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
        const auto len = rawAt<std::uint16_t>(p);
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
    case SQL_SHORT:
        return formatScaled(rawAt<std::int16_t>(p), scale_);
    case SQL_LONG:
        return formatScaled(rawAt<std::int32_t>(p), scale_);
    case SQL_INT64:
        return formatScaled(rawAt<std::int64_t>(p), scale_);
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        char b[40];
        std::snprintf(b, sizeof b, "%.15g", asDouble());
        return b;
    }
    case SQL_TYPE_DATE:
        return formatDate(asDate());
    case SQL_TYPE_TIME:
        return formatTime(rawAt<ISC_TIME>(p));
    case SQL_TIMESTAMP: {
        const auto ts = rawAt<ISC_TIMESTAMP>(p);
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
    case SQL_VARYING:
        return std::string(reinterpret_cast<const char*>(p + 2), rawAt<std::uint16_t>(p));
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
    case SQL_SHORT:
        return rescale(rawAt<std::int16_t>(p), scale_, 0, fctx(this, "asInt64"));
    case SQL_LONG:
        return rescale(rawAt<std::int32_t>(p), scale_, 0, fctx(this, "asInt64"));
    case SQL_INT64:
        return rescale(rawAt<std::int64_t>(p), scale_, 0, fctx(this, "asInt64"));
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
    case SQL_SHORT:
        return rescale(rawAt<std::int16_t>(p), scale_, -4, fctx(this, "asCurrency"));
    case SQL_LONG:
        return rescale(rawAt<std::int32_t>(p), scale_, -4, fctx(this, "asCurrency"));
    case SQL_INT64:
        return rescale(rawAt<std::int64_t>(p), scale_, -4, fctx(this, "asCurrency"));
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
    case SQL_SHORT:
        return rawAt<std::int16_t>(p) * std::pow(10.0, scale_);
    case SQL_LONG:
        return rawAt<std::int32_t>(p) * std::pow(10.0, scale_);
    case SQL_INT64:
        return static_cast<double>(rawAt<std::int64_t>(p)) * std::pow(10.0, scale_);
    case SQL_FLOAT:
        return rawAt<float>(p);
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return rawAt<double>(p);
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
        return Date {};
    const unsigned char* p = query_->outBuffer_.data() + offset_;
    switch (type_) {
    case SQL_TYPE_DATE:
        return decodeIscDate(rawAt<ISC_DATE>(p));
    case SQL_TIMESTAMP:
        return decodeIscDate(rawAt<ISC_TIMESTAMP>(p).timestamp_date);
    default:
        throwLayerError("not a date", context("asDate"));
    }
}

Timestamp Field::asTimestamp() const
{
    if (isNull())
        return Timestamp {};
    const unsigned char* p = query_->outBuffer_.data() + offset_;
    ISC_DATE day = 0;
    ISC_TIME time = 0;
    switch (type_) {
    case SQL_TYPE_DATE:
        day = rawAt<ISC_DATE>(p);
        break;
    case SQL_TIMESTAMP: {
        const auto ts = rawAt<ISC_TIMESTAMP>(p);
        day = ts.timestamp_date;
        time = ts.timestamp_time;
        break;
    }
    default:
        throwLayerError("not a timestamp", context("asTimestamp"));
    }
    const std::chrono::sys_days sd = kIscEpoch + std::chrono::days {day};
    return Timestamp {std::chrono::duration_cast<std::chrono::milliseconds>(sd.time_since_epoch())
        + std::chrono::milliseconds {time / 10}};
}

void Field::saveToFile(const std::string& path) const
{
    writeFileReplacing(path, asBytes(), context("saveToFile"));
}

} // namespace platform::firebird
