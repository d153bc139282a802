#include "core/AccReg.h"

#include "core/DataModule.h"
#include "platform/atomic_file.h"
#include "platform/codec.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace core {
namespace {

namespace fb = platform::firebird;
using namespace std::chrono;
using platform::text::joinLines;
using platform::text::splitLines;
using platform::text::upperAscii;

constexpr sys_days kDayZero = TDateTimeDayZero;

using platform::text::trimBlanks;

// The whole of textIn (blanks around it and a leading '+' allowed) as a number.
template <class T> bool parseWhole(const std::string& textIn, T& out)
{
    const std::string text = trimBlanks(textIn);
    if (text.empty())
        return false;
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '+')
        ++b;
    const auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e;
}

bool parseInt(const std::string& text, long long& out)
{
    return parseWhole(text, out);
}

bool parseDouble(const std::string& text, double& out)
{
    return parseWhole(text, out) && std::isfinite(out);
}

// "y/m/d" with 1-4 digit fields; false when not a valid date.
bool parseYmd(const std::string& text, int& y, int& m, int& d)
{
    unsigned yy = 0, mm = 0, dd = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4u/%2u/%2u%c", &yy, &mm, &dd, &tail) != 3)
        return false;
    const year_month_day ymd {year {static_cast<int>(yy)}, month {mm}, day {dd}};
    if (!ymd.ok() || yy < 100)
        return false;
    y = static_cast<int>(yy);
    m = static_cast<int>(mm);
    d = static_cast<int>(dd);
    return true;
}

void decodeDate(TDateTime value, int& y, unsigned& m, unsigned& d, long& secondsOfDay)
{
    const double whole = std::floor(value);
    const year_month_day ymd {kDayZero + days {static_cast<long>(whole)}};
    y = static_cast<int>(ymd.year());
    m = static_cast<unsigned>(ymd.month());
    d = static_cast<unsigned>(ymd.day());
    secondsOfDay = std::lround((value - whole) * 86400.0);
    if (secondsOfDay >= 86400)
        secondsOfDay = 86399;
}

bool isPicture(const std::string& t)
{
    return t == "画像" || t == "BMP" || t == "JPG";
}

// Whether table holds the row (group, key); leaves q closed and cleared for
// the statement that follows.
bool rowExists(fb::Query& q, const std::string& table, const std::string& groupColumn, const std::string& keyColumn,
    const std::string& group, const std::string& key)
{
    q.sql().add("SELECT COUNT(" + groupColumn + ") AS RECCNT FROM " + table);
    q.sql().add("WHERE (" + groupColumn + "=:" + groupColumn + ") AND (" + keyColumn + "=:" + keyColumn + ")");
    q.paramByName(groupColumn).setString(group);
    q.paramByName(keyColumn).setString(key);
    q.open();
    const int count = q.eof() ? 0 : q.field(0).asInteger();
    q.close();
    q.sql().clear();
    return count != 0;
}

// Readies q to write the row (group, key) of table: the update statement
// when the row is there, the insert statement otherwise, with both keys
// bound. True when the row is new.
bool prepareRowWrite(fb::Query& q, const std::string& table, const std::string& groupColumn,
    const std::string& keyColumn, const std::string& group, const std::string& key,
    std::initializer_list<const char*> update, std::initializer_list<const char*> insert)
{
    const bool exists = rowExists(q, table, groupColumn, keyColumn, group, key);
    for (const char* line : exists ? update : insert)
        q.sql().add(line);
    q.paramByName(groupColumn).setString(group);
    q.paramByName(keyColumn).setString(key);
    return !exists;
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw std::runtime_error("funcPutAccRegBlob: cannot read " + path);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// A picture file name of its own: "accreg-<stamp><ext>", numbered when two
// extractions fall in the same second.
std::string uniquePicturePath(const std::string& ext)
{
    const std::time_t t = std::time(nullptr);
    std::tm tm {};
    localtime_r(&t, &tm);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
        tm.tm_hour, tm.tm_min, tm.tm_sec);
    std::string path = platform::paths::join(SysDef.WorkDir, std::string("accreg-") + stamp + ext);
    for (int n = 1; std::filesystem::exists(path); ++n)
        path = platform::paths::join(SysDef.WorkDir, std::string("accreg-") + stamp + "-" + std::to_string(n) + ext);
    return path;
}

TDM& dm(const char* op)
{
    if (DM == nullptr)
        throw std::runtime_error(std::string(op) + ": no data module");
    return *DM;
}

// Runs f inside the company transaction: started here when not active,
// finished only when started here; errors roll back and travel on.
template <class F> auto inCompanyTransaction(const char* op, F&& f)
{
    std::invoke_result_t<F&> result {};
    RunDbOperation(dm(op).IBTransactionDAT, DbPolicy(op).with(DbReport::Raise), [&] { result = f(); });
    return result;
}

TRegValue readTyped(const char* op, const std::string& select, const std::string& insert, const char* gName,
    const char* cName, const char* tName, const char* vName, const std::string& group, const std::string& code,
    const std::string& type, const std::string& defaultText, bool fiveTypes)
{
    return inCompanyTransaction(op, [&] {
        auto q = CreateAccQuery("ACCDAT", false);
        q->sql().add(select);
        q->paramByName(gName).setString(group);
        q->paramByName(cName).setString(code);
        q->open();
        std::string text;
        const bool found = !q->eof();
        if (found)
            text = q->field(q->fieldCount() - 1).asString();
        q->close();
        if (!found) {
            text = defaultText;
            q->sql().clear();
            q->sql().add(insert);
            q->paramByName(gName).setString(group);
            q->paramByName(cName).setString(code);
            q->paramByName(tName).setString(type);
            q->paramByName(vName).setString(defaultText);
            q->execSQL();
        }
        if (text.empty())
            text = " ";
        if (fiveTypes && (type == "実数" || type == "日時"))
            return TRegValue::text("Data Type Error");
        return RegTextToValue(type, text);
    });
}

} // namespace

// --- TRegValue --------------------------------------------------------------

TRegValue TRegValue::text(std::string v)
{
    return TRegValue(Kind::Text, std::move(v), 0, 0);
}
TRegValue TRegValue::boolean(bool v)
{
    return TRegValue(Kind::Boolean, {}, v ? 1 : 0, 0);
}
TRegValue TRegValue::integer(std::int32_t v)
{
    return TRegValue(Kind::Integer, {}, v, 0);
}
TRegValue TRegValue::currency(Currency v)
{
    return TRegValue(Kind::Currency, {}, v, 0);
}
TRegValue TRegValue::real(double v)
{
    return TRegValue(Kind::Double, {}, 0, v);
}
TRegValue TRegValue::date(TDateTime v)
{
    return TRegValue(Kind::Date, {}, 0, v);
}

std::string TRegValue::asString() const
{
    switch (kind_) {
    case Kind::Empty:
        return {};
    case Kind::Text:
        return text_;
    case Kind::Boolean:
        return int_ ? "True" : "False";
    case Kind::Integer:
        return std::to_string(int_);
    case Kind::Currency:
        return RegCurrToStr(int_);
    case Kind::Double:
        return RegFloatToStr(real_);
    case Kind::Date:
        return real_ == std::floor(real_) ? FormatRegDate(4, real_) : RegDateTimeToStr(real_);
    }
    return {};
}

bool TRegValue::asBoolean() const
{
    switch (kind_) {
    case Kind::Text:
        return upperAscii(trimBlanks(text_)) == "TRUE";
    case Kind::Double:
    case Kind::Date:
        return real_ != 0;
    default:
        return int_ != 0;
    }
}

std::int32_t TRegValue::asInteger() const
{
    switch (kind_) {
    case Kind::Text: {
        long long v = 0;
        return parseInt(text_, v) ? static_cast<std::int32_t>(v) : 0;
    }
    case Kind::Currency:
        return static_cast<std::int32_t>(int_ / CurrencyScale);
    case Kind::Double:
    case Kind::Date:
        return static_cast<std::int32_t>(std::llround(real_));
    default:
        return static_cast<std::int32_t>(int_);
    }
}

Currency TRegValue::asCurrency() const
{
    switch (kind_) {
    case Kind::Text:
        return SafeStrToCurr(text_);
    case Kind::Currency:
        return int_;
    case Kind::Double:
    case Kind::Date:
        return static_cast<Currency>(std::llround(real_ * CurrencyScale));
    default:
        return int_ * CurrencyScale;
    }
}

double TRegValue::asDouble() const
{
    switch (kind_) {
    case Kind::Text: {
        double v = 0;
        return parseDouble(text_, v) ? v : 0.0;
    }
    case Kind::Currency:
        return static_cast<double>(int_) / CurrencyScale;
    case Kind::Double:
    case Kind::Date:
        return real_;
    default:
        return static_cast<double>(int_);
    }
}

TDateTime TRegValue::asDate() const
{
    switch (kind_) {
    case Kind::Text: {
        const TDateTime d = SafeStrToDate(text_);
        return d != 0 ? d : SafeStrToDateTime(text_);
    }
    case Kind::Double:
    case Kind::Date:
        return real_;
    default:
        return static_cast<double>(int_);
    }
}

// --- conversions ------------------------------------------------------------

TDateTime EncodeRegDate(int y, int m, int d)
{
    const year_month_day ymd {year {y}, month {static_cast<unsigned>(m)}, day {static_cast<unsigned>(d)}};
    return static_cast<double>((sys_days {ymd} - kDayZero).count());
}

std::string FormatRegDate(int kind, TDateTime date)
{
    if (date == 0)
        return {};
    int y = 0;
    unsigned m = 0, d = 0;
    long secs = 0;
    decodeDate(date, y, m, d, secs);
    char buf[64];
    if (kind == 2)
        std::snprintf(buf, sizeof buf, "%02d/%02u/%02u", y % 100, m, d);
    else if (kind == 4)
        std::snprintf(buf, sizeof buf, "%04d/%02u/%02u", y, m, d);
    else
        std::snprintf(buf, sizeof buf, "%04d/%02u/%02u %02ld:%02ld", y, m, d, secs / 3600, secs / 60 % 60);
    return buf;
}

TDateTime SafeStrToDate(const std::string& textIn)
{
    int y = 0, m = 0, d = 0;
    return parseYmd(trimBlanks(textIn), y, m, d) ? EncodeRegDate(y, m, d) : 0;
}

std::string RegDateTimeToStr(TDateTime value)
{
    int y = 0;
    unsigned m = 0, d = 0;
    long secs = 0;
    decodeDate(value, y, m, d, secs);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%02u/%02u %02ld:%02ld:%02ld", y, m, d, secs / 3600, secs / 60 % 60, secs % 60);
    return buf;
}

TDateTime SafeStrToDateTime(const std::string& textIn)
{
    const std::string text = trimBlanks(textIn);
    const auto space = text.find(' ');
    int y = 0, m = 0, d = 0;
    if (!parseYmd(text.substr(0, space), y, m, d))
        return 0;
    TDateTime value = EncodeRegDate(y, m, d);
    if (space == std::string::npos)
        return value;
    unsigned hh = 0, nn = 0, ss = 0;
    char tail = 0;
    const std::string time = trimBlanks(text.substr(space + 1));
    const int n = std::sscanf(time.c_str(), "%2u:%2u:%2u%c", &hh, &nn, &ss, &tail);
    if ((n != 2 && n != 3) || hh > 23 || nn > 59 || ss > 59)
        return 0;
    return value + (hh * 3600.0 + nn * 60.0 + ss) / 86400.0;
}

Currency SafeStrToCurr(const std::string& textIn)
{
    const std::string text = trimBlanks(textIn);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    std::int64_t whole = 0;
    std::int64_t frac = 0;
    int fracDigits = 0;
    bool digits = false;
    bool roundUp = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        digits = true;
        if (whole > 922337203685476LL)
            return 0;
        whole = whole * 10 + (text[i] - '0');
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
            digits = true;
            if (fracDigits < 4) {
                frac = frac * 10 + (text[i] - '0');
                ++fracDigits;
            } else if (fracDigits == 4) {
                roundUp = text[i] >= '5';
                ++fracDigits;
            }
        }
    }
    if (!digits || i != text.size())
        return 0;
    for (int k = std::min(fracDigits, 4); k < 4; ++k)
        frac *= 10;
    Currency v = whole * CurrencyScale + frac + (roundUp ? 1 : 0);
    return negative ? -v : v;
}

std::string RegCurrToStr(Currency value)
{
    const bool negative = value < 0;
    const unsigned long long a
        = negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::string s = std::to_string(a / CurrencyScale);
    unsigned long long frac = a % CurrencyScale;
    if (frac != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04llu", frac);
        std::string f = buf;
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        s += "." + f;
    }
    return negative ? "-" + s : s;
}

std::string RegFloatToStr(double value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string RegValueToText(const std::string& type, const TRegValue& value, bool& hasText)
{
    hasText = true;
    if (type == "文字")
        return value.asString();
    if (type == "論理")
        return value.asBoolean() ? "TRUE" : "FALSE";
    if (type == "日付")
        return FormatRegDate(4, value.asDate());
    if (type == "整数")
        return std::to_string(value.asInteger());
    if (type == "金額")
        return RegCurrToStr(value.asCurrency());
    if (type == "実数")
        return RegFloatToStr(value.asDouble());
    if (type == "日時")
        return RegDateTimeToStr(value.asDate());
    hasText = false;
    return {};
}

TRegValue RegTextToValue(const std::string& type, const std::string& text)
{
    if (type == "文字")
        return TRegValue::text(text);
    if (type == "論理")
        return TRegValue::boolean(upperAscii(text) == "TRUE");
    if (type == "日付")
        return TRegValue::date(SafeStrToDate(text));
    if (type == "整数")
        return TRegValue::integer(TRegValue::text(text).asInteger());
    if (type == "金額")
        return TRegValue::currency(SafeStrToCurr(text));
    if (type == "実数")
        return TRegValue::real(TRegValue::text(text).asDouble());
    if (type == "日時")
        return TRegValue::date(SafeStrToDateTime(text));
    return TRegValue::text("Data Type Error");
}

// --- statements ---------------------------------------------------------------

std::unique_ptr<fb::Query> CreateAccQuery(const std::string& databaseName, bool snapshot)
{
    try {
        if (DM == nullptr)
            return nullptr;
        auto q = std::make_unique<fb::Query>();
        if (databaseName == "ACCDEF") {
            q->setDatabase(&DM->IBDatabaseDEF);
            q->setTransaction(&DM->IBTransactionDEF);
        } else {
            q->setDatabase(&DM->IBDatabaseDAT);
            q->setTransaction(snapshot ? &DM->IBTransactionDATSS : &DM->IBTransactionDAT);
        }
        return q;
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::unique_ptr<fb::Query> CreateAccSQL(const std::string& databaseName, std::uint8_t snapshot)
{
    return CreateAccQuery(databaseName, snapshot == 1);
}

// --- ACCREG -------------------------------------------------------------------

TRegValue funcGetAccReg(
    const std::string& group, const std::string& code, const std::string& type, const std::string& defaultText)
{
    return readTyped("funcGetAccReg", "SELECT ATYPE,ATEXT FROM ACCREG WHERE AGROUP=:AGROUP AND ACODE=:ACODE ",
        "INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT) VALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)", "AGROUP", "ACODE", "ATYPE",
        "ATEXT", group, code, type, defaultText, false);
}

void funcPutAccReg(const std::string& group, const std::string& code, const std::string& type, const TRegValue& value)
{
    inCompanyTransaction("funcPutAccReg", [&] {
        auto q = CreateAccQuery("ACCDAT", false);
        const bool isNew = prepareRowWrite(*q, "ACCREG", "AGROUP", "ACODE", group, code,
            {"UPDATE ACCREG SET ATEXT=:ATEXT", "WHERE AGROUP=:AGROUP AND ACODE=:ACODE"},
            {"INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT)", "VALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)"});
        if (isNew)
            q->paramByName("ATYPE").setString(type);
        bool hasText = false;
        const std::string text = RegValueToText(type, value, hasText);
        if (hasText)
            q->paramByName("ATEXT").setString(text);
        else
            q->paramByName("ATEXT").clear();
        q->execSQL();
        return 0;
    });
}

void DeleteAccReg(const std::string& group, const std::string& code)
{
    inCompanyTransaction("DeleteAccReg", [&] {
        auto q = CreateAccQuery("ACCDAT", false);
        q->sql().add("DELETE FROM ACCREG");
        q->sql().add("WHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)");
        q->paramByName("AGROUP").setString(group);
        q->paramByName("ACODE").setString(code);
        q->execSQL();
        return 0;
    });
}

TRegValue funcGetAccRegBlob(const std::string& group, const std::string& key, const std::string&)
{
    return inCompanyTransaction("funcGetAccRegBlob", [&] {
        auto q = CreateAccQuery("ACCDAT", false);
        q->sql().add("SELECT FGROUP,FKEY,FTYPE,FVALUE FROM ACCREG_BLOB_BINARY");
        q->sql().add("WHERE FGROUP=:FGROUP AND FKEY=:FKEY");
        q->paramByName("FGROUP").setString(group);
        q->paramByName("FKEY").setString(key);
        q->open();
        TRegValue result;
        if (!q->eof()) {
            const std::string type = q->fieldByName("FTYPE").asString();
            if (isPicture(type)) {
                const std::string bytes = q->fieldByName("FVALUE").asBytes();
                const std::string path = uniquePicturePath(type == "JPG" ? ".jpg" : ".bmp");
                platform::writeFileAtomically(path, bytes, "funcGetAccRegBlob");
                result = TRegValue::text(path);
            } else if (type == "メモ") {
                const std::string text = platform::codec::fromSjis(q->fieldByName("FVALUE").asBytes());
                result = TRegValue::text(joinLines(splitLines(text)));
            }
        }
        q->close();
        return result;
    });
}

void funcPutAccRegBlob(
    const std::string& group, const std::string& key, const std::string& contentType, const TRegValue& value)
{
    // Read the picture before touching the database: a missing file fails
    // without a half-written row.
    std::string bytes;
    bool hasValue = false;
    if (isPicture(contentType)) {
        bytes = readFileBytes(value.asString());
        hasValue = true;
    } else if (contentType == "メモ") {
        bytes = platform::codec::toSjis(joinLines(splitLines(value.asString())));
        hasValue = true;
    }
    inCompanyTransaction("funcPutAccRegBlob", [&] {
        auto q = CreateAccQuery("ACCDAT", false);
        prepareRowWrite(*q, "ACCREG_BLOB_BINARY", "FGROUP", "FKEY", group, key,
            {"UPDATE ACCREG_BLOB_BINARY SET FTYPE=:FTYPE,FVALUE=:FVALUE", "WHERE FGROUP=:FGROUP AND FKEY=:FKEY"},
            {"INSERT INTO ACCREG_BLOB_BINARY(FGROUP,FKEY,FTYPE,FVALUE)", "VALUES(:FGROUP,:FKEY,:FTYPE,:FVALUE)"});
        q->paramByName("FTYPE").setString(contentType);
        if (hasValue)
            q->paramByName("FVALUE").setBytes(bytes);
        else
            q->paramByName("FVALUE").clear();
        q->execSQL();
        return 0;
    });
}

// --- MSD_HOUKOKU --------------------------------------------------------------

TRegValue funcGetMsdHoukoku(
    const std::string& group, const std::string& code, const std::string& type, const std::string& defaultText)
{
    // Finishes only a transaction it started: the caller's open work is
    // neither committed nor lost here.
    return readTyped("funcGetMsdHoukoku", "SELECT MDTEXT1 FROM MSD_HOUKOKU WHERE MDGROUP=:MDGROUP AND MDCODE=:MDCODE ",
        "INSERT INTO MSD_HOUKOKU(MDGROUP,MDCODE,MDTYPE,MDTEXT1) VALUES(:MDGROUP,:MDCODE,:MDTYPE,:MDTEXT1)", "MDGROUP",
        "MDCODE", "MDTYPE", "MDTEXT1", group, code, type, defaultText, true);
}

bool IsZaidanSyakaiTokutei()
{
    if (funcGetMsdHoukoku("法人概要", "財団社団", "文字", "").asString() == "財団")
        return true;
    if (funcGetMsdHoukoku("法人概要", "医療法人", "文字", "").asString() == "社会")
        return true;
    return funcGetMsdHoukoku("法人概要", "医療法人", "文字", "").asString() == "特定";
}

bool IsKikinAri()
{
    return funcGetMsdHoukoku("法人概要", "基金", "文字", "無").asString() == "有";
}

} // namespace core
