#pragma once
// Statements bound to the data module's databases, and the typed settings
// stores of the company database (ACCREG, ACCREG_BLOB_BINARY, MSD_HOUKOKU):
// every value is kept as text beside its type name ("文字", "論理", "日付",
// "整数", "金額", "実数", "日時") and converted on the way in and out.

#include "core/uAccRecord.h"
#include "platform/firebird/fb_query.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace core {

// A setting's value: a tagged value of one of the kinds the stores know.
class TRegValue {
public:
    enum class Kind { Empty, Text, Boolean, Integer, Currency, Double, Date };

    TRegValue() = default;
    static TRegValue text(std::string v);
    static TRegValue boolean(bool v);
    static TRegValue integer(std::int32_t v);
    static TRegValue currency(Currency v);
    static TRegValue real(double v);
    static TRegValue date(TDateTime v);

    Kind kind() const noexcept { return kind_; }
    bool isEmpty() const noexcept { return kind_ == Kind::Empty; }

    // Conversions between kinds follow the stores' text forms.
    std::string asString() const;
    bool asBoolean() const;
    std::int32_t asInteger() const;
    Currency asCurrency() const;
    double asDouble() const;
    TDateTime asDate() const;

    bool operator==(const TRegValue&) const = default;

private:
    TRegValue(Kind kind, std::string text, std::int64_t integer, double real)
        : kind_(kind)
        , text_(std::move(text))
        , int_(integer)
        , real_(real)
    {
    }

    Kind kind_ = Kind::Empty;
    std::string text_;
    std::int64_t int_ = 0; // Boolean, Integer, Currency
    double real_ = 0; // Double, Date
};

// A fresh statement on the system database ("ACCDEF") or the company
// database (any other name). The snapshot option binds a company statement
// to the snapshot transaction; CreateAccSQL counts only the value 1.
// Nothing (nullptr) when there is no data module.
std::unique_ptr<platform::firebird::Query> CreateAccQuery(const std::string& databaseName, bool snapshot);
std::unique_ptr<platform::firebird::Query> CreateAccSQL(const std::string& databaseName, std::uint8_t snapshot);

// ACCREG. A read of a missing row creates it with the default first; an
// empty stored text reads as " ". Database errors roll back a transaction
// started here and reach the caller unchanged.
TRegValue funcGetAccReg(
    const std::string& group, const std::string& code, const std::string& type, const std::string& defaultText);
void funcPutAccReg(const std::string& group, const std::string& code, const std::string& type, const TRegValue& value);
void DeleteAccReg(const std::string& group, const std::string& code);

// ACCREG_BLOB_BINARY: a picture row reads as the path of a new file in
// WorkDir made from it, a memo as its text; Empty otherwise.
TRegValue funcGetAccRegBlob(const std::string& group, const std::string& key, const std::string& type = {});
// Pictures ("画像", "BMP", "JPG") store the file the value names; "メモ"
// stores the text line by line.
void funcPutAccRegBlob(
    const std::string& group, const std::string& key, const std::string& contentType, const TRegValue& value);

// MSD_HOUKOKU, like funcGetAccReg (five type names).
TRegValue funcGetMsdHoukoku(
    const std::string& group, const std::string& code, const std::string& type, const std::string& defaultText);
bool IsZaidanSyakaiTokutei();
bool IsKikinAri();

// Conversions shared with the system-database store.
std::string FormatRegDate(int kind, TDateTime date);
TDateTime SafeStrToDate(const std::string& text);
Currency SafeStrToCurr(const std::string& text);
std::string RegCurrToStr(Currency value);
std::string RegFloatToStr(double value);
std::string RegDateTimeToStr(TDateTime value);
TDateTime SafeStrToDateTime(const std::string& text);
// The value text of `value` stored under `type` (nullopt-like empty flag:
// `hasText` false for an unknown type name).
std::string RegValueToText(const std::string& type, const TRegValue& value, bool& hasText);
TRegValue RegTextToValue(const std::string& type, const std::string& text);

// Day-count dates (day 0 = 1899-12-30).
TDateTime EncodeRegDate(int year, int month, int day);

} // namespace core
