#include "accounting/uAccTaxCmp.h"
#include "core/ProcessState.h"

#include <array>
#include <cstdio>

#include "platform/codec.h"
#include "core/DateTimeUtil.h"
#include "core/TextRoutines.h"
#include "core/DateTexts.h"

TZeiRituList ZeiRituTable;

namespace {

// Era text kind of FormatWarekiDate: the era letter ("H 27/10/01") when the
// operator shows era dates; Gregorian display ignores it.
constexpr int kDateTextEraLetter = 2;

// --- tax-code table -------------------------------------------------------

struct TaxCodeRow {
    int code;
    const char* group;
    const char* detail; // without the padding to 24 bytes
    int kanniKubun;
    int taxUH;
    int taxDC;
};

constexpr const char* kUriage = "売上";
constexpr const char* kKasidaoreKaisyu = "貸倒回収";
constexpr const char* kHenkan = "返還";
constexpr const char* kKasidaore = "貸倒";
constexpr const char* kSiire = "仕入";
constexpr const char* kKariuke = "仮受";
constexpr const char* kKaribarai = "仮払";

constexpr std::array<TaxCodeRow, 93> kTaxCodes {{
    {110, kUriage, "課税売上", 1, 1, 3},
    {111, kUriage, "第１種課税売上", 2, 1, 3},
    {112, kUriage, "第２種課税売上", 2, 1, 3},
    {113, kUriage, "第３種課税売上", 2, 1, 3},
    {114, kUriage, "第４種課税売上", 2, 1, 3},
    {115, kUriage, "第５種課税売上", 2, 1, 3},
    {116, kUriage, "第６種課税売上", 2, 1, 3},
    {120, kUriage, "免税売上", 0, 0, 3},
    {130, kUriage, "非課税売上", 0, 0, 3},
    {140, kUriage, "非課税売上（有価証券）", 0, 0, 3},
    {150, kUriage, "非課税売上（輸出等）", 0, 0, 3},

    {210, kKasidaoreKaisyu, "課税売上", 0, 1, 3},
    {220, kKasidaoreKaisyu, "免税売上", 0, 0, 3},
    {230, kKasidaoreKaisyu, "非課税売上", 0, 0, 3},
    {240, kKasidaoreKaisyu, "非課税売上（有価証券）", 0, 0, 3},
    {250, kKasidaoreKaisyu, "非課税売上（輸出等）", 0, 0, 3},

    {310, kHenkan, "課税売上", 1, 1, 1},
    {311, kHenkan, "第１種課税返還", 2, 1, 1},
    {312, kHenkan, "第２種課税返還", 2, 1, 1},
    {313, kHenkan, "第３種課税返還", 2, 1, 1},
    {314, kHenkan, "第４種課税返還", 2, 1, 1},
    {315, kHenkan, "第５種課税返還", 2, 1, 1},
    {316, kHenkan, "第６種課税返還", 2, 1, 1},
    {320, kHenkan, "免税売上", 0, 0, 1},
    {330, kHenkan, "非課税売上", 0, 0, 1},
    {340, kHenkan, "非課税売上（有価証券）", 0, 0, 1},
    {350, kHenkan, "非課税売上（輸出等）", 0, 0, 1},

    {410, kKasidaore, "課税売上", 0, 1, 1},
    {420, kKasidaore, "免税売上", 0, 0, 1},
    {430, kKasidaore, "非課税売上", 0, 0, 1},
    {440, kKasidaore, "非課税売上（有価証券）", 0, 0, 1},
    {450, kKasidaore, "非課税売上（輸出等）", 0, 0, 1},

    {511, kSiire, "課税売上対応課税仕入", 0, 2, 1},
    {512, kSiire, "共通売上対応課税仕入", 0, 2, 1},
    {513, kSiire, "非課売上対応課税仕入", 0, 2, 1},
    {521, kSiire, "課税売上対応課税輸入", 0, 2, 1},
    {522, kSiire, "共通売上対応課税輸入", 0, 2, 1},
    {523, kSiire, "非課売上対応課税輸入", 0, 2, 1},
    {531, kSiire, "課税売上対応調整（棚卸）", 0, 2, 1},
    {532, kSiire, "共通売上対応調整（棚卸）", 0, 2, 1},
    {533, kSiire, "非課税売上対調整（棚卸）", 0, 2, 1},
    {540, kSiire, "非課税仕入", 0, 0, 1},
    {551, kSiire, "課税売上対応特定課税仕入", 0, 2, 1},
    {552, kSiire, "共通売上対応特定課税仕入", 0, 2, 1},
    {553, kSiire, "非課売上対応特定課税仕入", 0, 2, 1},
    {561, kSiire, "課税売上対応課税仕入返還", 0, 2, 3},
    {562, kSiire, "共通売上対応課税仕入返還", 0, 2, 3},
    {563, kSiire, "非課売上対応課税仕入返還", 0, 2, 3},
    {571, kSiire, "課税売上対応課税輸入返還", 0, 2, 3},
    {572, kSiire, "共通売上対応課税輸入返還", 0, 2, 3},
    {573, kSiire, "非課売上対応課税輸入返還", 0, 2, 3},
    {581, kSiire, "課税売上対応特定仕入返還", 0, 2, 3},
    {582, kSiire, "共通売上対応特定仕入返還", 0, 2, 3},
    {583, kSiire, "非課売上対応特定仕入返還", 0, 2, 3},

    {610, kKariuke, "売上", 1, 0, 3},
    {611, kKariuke, "第１種課税売上", 2, 0, 3},
    {612, kKariuke, "第２種課税売上", 2, 0, 3},
    {613, kKariuke, "第３種課税売上", 2, 0, 3},
    {614, kKariuke, "第４種課税売上", 2, 0, 3},
    {615, kKariuke, "第５種課税売上", 2, 0, 3},
    {616, kKariuke, "第６種課税売上", 2, 0, 3},
    {620, kKariuke, "貸倒回収", 0, 0, 3},
    {630, kKariuke, "返還", 1, 0, 1},
    {631, kKariuke, "第１種課税返還", 2, 0, 1},
    {632, kKariuke, "第２種課税返還", 2, 0, 1},
    {633, kKariuke, "第３種課税返還", 2, 0, 1},
    {634, kKariuke, "第４種課税返還", 2, 0, 1},
    {635, kKariuke, "第５種課税返還", 2, 0, 1},
    {636, kKariuke, "第６種課税返還", 2, 0, 1},
    {640, kKariuke, "貸倒", 0, 0, 1},

    {711, kKaribarai, "課税売上対応課税仕入", 0, 0, 1},
    {712, kKaribarai, "共通売上対応課税仕入", 0, 0, 1},
    {713, kKaribarai, "非課売上対応課税仕入", 0, 0, 1},
    {721, kKaribarai, "課税売上対応課税輸入", 0, 0, 1},
    {722, kKaribarai, "共通売上対応課税輸入", 0, 0, 1},
    {723, kKaribarai, "非課売上対応課税輸入", 0, 0, 1},
    {724, kKaribarai, "課税売上対応課税輸入(国)", 0, 0, 1},
    {725, kKaribarai, "共通売上対応課税輸入(国)", 0, 0, 1},
    {726, kKaribarai, "非課売上対応課税輸入(国)", 0, 0, 1},
    {731, kKaribarai, "課税売上対応調整（棚卸）", 0, 0, 1},
    {732, kKaribarai, "共通売上対応調整（棚卸）", 0, 0, 1},
    {733, kKaribarai, "非課売上対応調整（棚卸）", 0, 0, 1},
    {761, kKaribarai, "課税売上対応課税仕入返還", 0, 0, 3},
    {762, kKaribarai, "共通売上対応課税仕入返還", 0, 0, 3},
    {763, kKaribarai, "非課売上対応課税仕入返還", 0, 0, 3},
    {771, kKaribarai, "課税売上対応課税輸入返還", 0, 0, 3},
    {772, kKaribarai, "共通売上対応課税輸入返還", 0, 0, 3},
    {773, kKaribarai, "非課売上対応課税輸入返還", 0, 0, 3},
    {774, kKaribarai, "課税売対課税輸入返還(国)", 0, 0, 3},
    {775, kKaribarai, "共通売対課税輸入返還(国)", 0, 0, 3},
    {776, kKaribarai, "非課売対課税輸入返還(国)", 0, 0, 3},

    {810, "課税対象外", "課税対象外・不課税", 0, 0, 0},
    // Six full-width blanks belong to the stored name; the padding adds four.
    {910, "区分未定", "区分未定　　　　　　", 0, 0, 0},
}};

constexpr std::size_t kDetailWidth = 24;
constexpr std::size_t kUnknownGroupWidth = 20;

const TaxCodeRow* findTaxCode(int code)
{
    for (const TaxCodeRow& row : kTaxCodes)
        if (row.code == code)
            return &row;
    return nullptr;
}

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

template <std::size_t N> bool isOneOf(int value, const int (&list)[N])
{
    for (int item : list)
        if (item == value)
            return true;
    return false;
}

bool isKaribaraiAllowed(int code)
{
    return inRange(code, 711, 713) || inRange(code, 721, 726) || inRange(code, 731, 733) || inRange(code, 761, 763)
        || inRange(code, 771, 776) || code == 810 || code == 910;
}

bool isOutsideOrUndecided(int code)
{
    return code == 810 || code == 910;
}

// --- rate tables ----------------------------------------------------------

TZeiRituRec rate(const char* name, int percent, int rateNo, int sortNo, const char* start, int fromVersion, int kind,
    bool current, bool standard, int useIndex)
{
    TZeiRituRec rec;
    rec.Name = name;
    rec.Rate = Currency(percent) * CurrencyScale;
    rec.RateNo = rateNo;
    rec.SortNo = sortNo;
    rec.StartDate = start;
    rec.FromVersion = fromVersion;
    rec.Kind = kind;
    rec.Current = current;
    rec.Standard = standard;
    rec.UseIndex = useIndex;
    rec.InUse = true;
    return rec;
}

void fillIfEmpty()
{
    if (ZeiRituTable.empty())
        InitZeiRituTable(0);
}

} // namespace

// --- settings -------------------------------------------------------------

TTaxCodeContext CurrentTaxCodeContext()
{
    TTaxCodeContext ctx;
    ctx.TaxKanni = AccInf.TAXKANNI;
    ctx.TaxJigyou = AccInf.TAXJIGYOU;
    ctx.KaribaraiCode = AccInf.SysUserCode[1];
    ctx.KariukeCode = AccInf.SysUserCode[2];
    ctx.SyokuchiCode = AccInf.SysUserCode[3];
    return ctx;
}

// --- tax codes ------------------------------------------------------------

bool GetTaxCodeInfo(int code, std::string& groupName, std::string& detailName, int& kanniKubun, int& taxUH, int& taxDC)
{
    const TaxCodeRow* row = findTaxCode(code);
    if (!row) {
        groupName = platform::codec::padToWidth("Error", kUnknownGroupWidth);
        detailName = " ";
        kanniKubun = 9;
        taxUH = 0;
        taxDC = 0;
        return false;
    }
    groupName = row->group;
    detailName = platform::codec::padToWidth(row->detail, kDetailWidth);
    kanniKubun = row->kanniKubun;
    taxUH = row->taxUH;
    taxDC = row->taxDC;
    return true;
}

int ConvertKaniTaxCode(const TTaxCodeContext& ctx, int& code)
{
    if (ctx.TaxKanni == 1) {
        if (code == 110 || code == 310 || code == 610 || code == 630)
            code += ctx.TaxJigyou;
    } else {
        if (inRange(code, 111, 116))
            code = 110;
        else if (inRange(code, 311, 316))
            code = 310;
        else if (inRange(code, 611, 616))
            code = 610;
        else if (inRange(code, 631, 636))
            code = 630;
    }
    return code;
}

int ConvertKaniTaxCode(int& code)
{
    return ConvertKaniTaxCode(CurrentTaxCodeContext(), code);
}

bool CheckKariTaxCode(const TTaxCodeContext& ctx, std::string& message, const std::string& userCode, int taxCode)
{
    const bool isKaribarai = userCode == ctx.KaribaraiCode;
    const bool isKariuke = userCode == ctx.KariukeCode;

    if (isKaribarai) {
        if (!isKaribaraiAllowed(taxCode)) {
            message = "仮払消費税の税コードは[700番台,810,910]を使用してください。";
            return false;
        }
    } else if (inRange(taxCode, 700, 799)) {
        message = "税コードが[700番台]は、科目に仮払消費税を使用してください。";
        return false;
    }

    static const char* const kKariukeRefusal = "仮受消費税の税コードは[600番台,810,910]を使用してください。";
    if (isKariuke && ctx.TaxKanni == 0) {
        static const int kPlain[] = {610, 620, 630, 640, 810, 910};
        if (isOneOf(taxCode, kPlain))
            return true;
        if (inRange(taxCode, 611, 616) || inRange(taxCode, 631, 636)) {
            message = "注意：原則課税が選択されています。";
            return true;
        }
        message = kKariukeRefusal;
        return false;
    }
    if (isKariuke && ctx.TaxKanni == 1) {
        static const int kPlain[] = {620, 640, 810, 910};
        if (isOneOf(taxCode, kPlain) || inRange(taxCode, 611, 616) || inRange(taxCode, 631, 636))
            return true;
        if (taxCode == 610 || taxCode == 630) {
            message = "注意：簡易課税が選択されています。";
            return true;
        }
        message = kKariukeRefusal;
        return false;
    }
    if (!isKariuke && inRange(taxCode, 600, 699)) {
        message = "税コードが[600番台]は、科目に仮受消費税を使用してください。";
        return false;
    }
    return true;
}

bool CheckKariTaxCode(std::string& message, const std::string& userCode, int taxCode)
{
    return CheckKariTaxCode(CurrentTaxCodeContext(), message, userCode, taxCode);
}

bool CheckAiteTaxCode(const TTaxCodeContext& ctx, std::string& message, const std::string& userCode, int& otherTaxCode)
{
    if ((userCode == ctx.KaribaraiCode || userCode == ctx.KariukeCode) && !isOutsideOrUndecided(otherTaxCode)) {
        message = "仮受消費税、仮払消費税の相手税コードは[810,910]を使用してください。";
        otherTaxCode = 810;
        return false;
    }
    return true;
}

bool CheckAiteTaxCode(std::string& message, const std::string& userCode, int& otherTaxCode)
{
    return CheckAiteTaxCode(CurrentTaxCodeContext(), message, userCode, otherTaxCode);
}

bool CheckSyokuchiTaxCode(const TTaxCodeContext& ctx, std::string& message, const std::string& userCode, int& taxCode)
{
    if (userCode == ctx.SyokuchiCode && !isOutsideOrUndecided(taxCode)) {
        message = "諸口の消費税コードは、[810,910]を使用してください。";
        taxCode = 810;
        return false;
    }
    return true;
}

bool CheckSyokuchiTaxCode(std::string& message, const std::string& userCode, int& taxCode)
{
    return CheckSyokuchiTaxCode(CurrentTaxCodeContext(), message, userCode, taxCode);
}

bool IsTokuteiShiireCode(int taxCode)
{
    return inRange(taxCode, 551, 553) || inRange(taxCode, 581, 583);
}

bool CheckTokuteiShiire(std::string& message, int& taxCode, int rateNo, TDateTime date)
{
    if (!IsTokuteiShiireCode(taxCode))
        return true;

    bool result = true;
    const TDateTime firstDay = EncodeDate(2015, 10, 1);
    if (date < firstDay) {
        message = "特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では["
            + FormatWarekiDate("yyyy/mm/dd", kDateTextEraLetter, firstDay) + "]より前の取引を登録できません。";
        result = false;
    }
    const char* rateName = nullptr;
    switch (rateNo) {
    case 1:
        rateName = "3%";
        break;
    case 2:
        rateName = "5%";
        break;
    case 4:
        rateName = "軽減8%";
        break;
    default:
        break;
    }
    if (rateName) {
        message = std::string("特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では税率[") + rateName
            + "]は使用できません。";
        result = false;
    }
    return result;
}

// --- rounding -------------------------------------------------------------

Currency HasuSyori(int mode, Currency amount)
{
    return RoundCurrency(mode, amount);
}

// --- rates ----------------------------------------------------------------

TZeiRituList FiveRowZeiRituTable()
{
    return {
        rate("10%", 10, 0, 4, "2019/10/01", 11, 1, true, true, 4),
        rate("8*%", 8, 4, 3, "2019/10/01", 11, 1, true, false, 3),
        rate("8%", 8, 3, 2, "2014/04/01", 6, 1, false, true, 2),
        rate("5%", 5, 2, 1, "1997/04/01", 1, 0, false, true, 1),
        rate("3%", 3, 1, 0, "1989/04/01", 1, 0, false, true, 0),
    };
}

TZeiRituList ThreeRowZeiRituTable()
{
    return {
        rate("8%", 8, 0, 2, "2014/04/01", 6, 1, true, true, 2),
        rate("5%", 5, 2, 1, "1997/04/01", 1, 0, false, true, 1),
        rate("3%", 3, 1, 0, "1989/04/01", 1, 0, false, true, 0),
    };
}

void InitZeiRituTableForVersion(const std::string& dataVersion)
{
    ZeiRituTable = FiveRowZeiRituTable();
    if (!VersionGreaterEqual(dataVersion, "11.1.0"))
        ZeiRituTable = ThreeRowZeiRituTable();
}

void InitZeiRituTable(TDateTime /*date*/)
{
    char version[48];
    std::snprintf(version, sizeof version, "%d.%d.%d", AccInf.DataVerMajor, AccInf.DataVerMinor1, AccInf.DataVerMinor2);
    InitZeiRituTableForVersion(version);
}

Currency GetZeiRitu(int rateNo, TDateTime /*date*/)
{
    fillIfEmpty();
    for (const TZeiRituRec& rec : ZeiRituTable)
        if (rec.RateNo == rateNo)
            return rec.Rate;
    return ZeiRituTable.front().Rate;
}

int GetZeiRituNo(int rateNo, TDateTime date)
{
    fillIfEmpty();
    for (const TZeiRituRec& rec : ZeiRituTable)
        if (rec.RateNo == rateNo && !rec.Standard)
            return rateNo;

    // Rows are newest first: the first that had started is the one in force.
    int inForce = 0;
    for (const TZeiRituRec& rec : ZeiRituTable) {
        if (StrToDateTimeFix(rec.StartDate) <= date) {
            inForce = rec.RateNo;
            break;
        }
    }
    if (inForce == rateNo)
        return rateNo;

    // An older rate stays selectable after a newer one started.
    for (const TZeiRituRec& rec : ZeiRituTable)
        if (rec.RateNo == rateNo && StrToDateTimeFix(rec.StartDate) <= date)
            return rateNo;
    return inForce;
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(ZeiRituTable);
} // namespace
