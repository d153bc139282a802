#include "core/DataModuleAccInfo.h"
#include "core/ProcessState.h"

#include "core/DataModuleOpSupport.h"
#include "core/EasyEncode.h"
#include "core/InputDlgService.h"
#include "core/MessageService.h"
#include "core/TextRoutines.h"
#include "core/uAccDateCmp.h"
#include "platform/plain_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>
#include <vector>

namespace core {
namespace {

namespace fb = platform::firebird;
using opsupport::dm;
using opsupport::fieldDateTime;
using platform::text::upperAscii;

constexpr int kDefaultBranchColour = 0xFFAF80;
constexpr const char* kBasic = "基本設定";

TOpenCompanyTables& openCompanyTables()
{
    static TOpenCompanyTables tables;
    return tables;
}

int toIntOrZero(const std::string& text)
{
    return TRegValue::text(text).asInteger();
}

// A plain SQL identifier: what may stand for a column name in a statement.
bool isPlainIdentifier(const std::string& s)
{
    if (s.empty() || s.size() > 63 || !std::isalpha(static_cast<unsigned char>(s[0])))
        return false;
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '$'; });
}

// Reads the ACCDEF1 row of the open query into AccInf.
void copyAccDef1(fb::Query& q)
{
    auto& a = AccInf;
    auto has = [&](const char* column) { return q.fieldIndex(column) >= 0; };
    auto i = [&](const char* column) { return q.fieldByName(column).asInteger(); };
    auto t = [&](const char* column) { return q.fieldByName(column).asString(); };
    auto d = [&](const char* column) { return fieldDateTime(q.fieldByName(column)); };
    auto c = [&](const char* column) { return static_cast<Currency>(q.fieldByName(column).asCurrency()); };

    a.GROUPID = i("GROUPID");
    a.ENTTEXT = t("ENTTEXT");
    a.SERIAL = t("SERIAL");
    a.TANTOU = i("TANTOU");
    a.GYOUSHU = i("GYOUSHU");
    a.DATATYPE = i("DATATYPE");
    a.DataTypeName = GetDataTypeName(a.DATATYPE);
    a.CODETYPE = i("CODETYPE");
    a.CodeTypeName = GetCodeTypeName(a.DATATYPE, a.CODETYPE, false);
    a.SCODE1 = t("SCODE1");
    a.SCODE2 = t("SCODE2");
    a.SKANA = t("SKANA");
    a.SHOUGOU = t("SHOUGOU");
    a.POST = t("POST");
    a.ADD1 = t("ADD1");
    a.ADD2 = t("ADD2");
    a.TEL = t("TEL");
    a.AO_ADD1 = t("AO_ADD1");
    a.AO_ADD2 = t("AO_ADD2");
    a.AO_KANA = t("AO_KANA");
    a.AO_SIMEI = t("AO_SIMEI");
    a.AO_GYOUSHU = t("AO_GYOUSHU");
    a.AO_YAGO = t("AO_YAGO");
    a.AO_KANYU = t("AO_KANYU");
    a.AO_TEL = t("AO_TEL");
    a.AO_SHOKUGYO1 = t("AO_SHOKUGYO1");
    a.AO_SHOKUGYO2 = t("AO_SHOKUGYO2");
    a.MAIL = t("MAIL");
    a.zzKISHU = d("ZZKISHU");
    a.zKISHU = d("ZKISHU");
    a.NENDO = i("NENDO");
    a.KISHU = d("KISHU");
    a.KIMATU = d("KIMATU");
    a.KAISI = d("KAISI");
    a.SIME = i("SIME");
    a.KAISINO = i("KAISINO");
    a.GENGOU_FLG = i("GENGOU_FLG");
    a.GENGOU_HOSEI = i("GENGOU_HOSEI");
    a.GENGOU_NAME = t("GENGOU_NAME");
    a.YAKUMEI[0] = t("YAKUMEI1");
    a.YAKUMEI[1] = t("YAKUMEI2");
    a.YAKUMEI[2] = t("YAKUMEI3");
    a.OLD_TAX_RATE1 = c("OLD_TAX_RATE1");
    a.OLD_TAX_RATE2 = c("OLD_TAX_RATE2");
    a.OLD_TAX_RATE3 = c("OLD_TAX_RATE3");
    a.OLD_TAX_RATE4 = c("OLD_TAX_RATE4");
    a.OLD_TAX_RATE5 = c("OLD_TAX_RATE5");
    a.NEW_TAX_RATE1 = c("NEW_TAX_RATE1");
    a.NEW_TAX_RATE2 = c("NEW_TAX_RATE2");
    a.NEW_TAX_RATE3 = c("NEW_TAX_RATE3");
    a.NEW_TAX_RATE4 = c("NEW_TAX_RATE4");
    a.NEW_TAX_RATE5 = c("NEW_TAX_RATE5");
    a.CHG_DAYS1 = d("CHG_DAYS1");
    a.CHG_DAYS2 = d("CHG_DAYS2");
    a.CHG_DAYS3 = d("CHG_DAYS3");
    a.CHG_DAYS4 = d("CHG_DAYS4");
    a.CHG_DAYS5 = d("CHG_DAYS5");
    a.KANSA_FIXDATE = d("KANSA_FIXDATE");
    a.KANSA_DATE = d("KANSA_DATE");
    a.CALCU = i("CALCU");
    a.TAXU_HASUU = i("TAXU_HASUU");
    a.TAXH_HASUU = i("TAXH_HASUU");
    a.TAXDEFUH = i("TAXDEFUH");
    a.TAXKANNI = i("TAXKANNI");
    a.TAXJIGYOU = i("TAXJIGYOU");
    a.GENKAPRINT = i("GENKAPRINT");
    a.KANSA_LOCK = i("KANSA_LOCK");
    a.TEGATADICSW = i("TEGATADICSW");
    // Optional columns (added by later schema versions): the empty value
    // when the data set's schema does not have them.
    if (has("KESSAN_KIKAN"))
        a.KESSAN_KIKAN = i("KESSAN_KIKAN");
    if (has("CASHFLOW_KIKAN1"))
        a.CASHFLOW_KIKAN1 = i("CASHFLOW_KIKAN1");
    if (has("CASHFLOW_KIKAN2"))
        a.CASHFLOW_KIKAN2 = i("CASHFLOW_KIKAN2");
    a.CASHFLOWSW = i("CASHFLOWSW");
    a.SDAI_HASUU1 = i("SDAI_HASUU1");
    a.SDAI_HASUU2 = i("SDAI_HASUU2");
    if (has("SDAI_HASUU3"))
        a.SDAI_HASUU3 = i("SDAI_HASUU3");
    a.CONVERT = i("CONVERT");
    a.SHOUHYOU = i("SHOUHYOU");
    a.SITEN = i("SITEN");
    a.SisetuLabel = a.DATATYPE == 3 && a.SITEN == 1;
    a.BUMON = i("BUMON");
    a.DATALOCK = i("DATALOCK");
    a.GENKA_USE = i("GENKA_USE");
    a.GENKA_HWORD[0] = t("GENKA_HWORD1");
    a.GENKA_HWORD[1] = t("GENKA_HWORD2");
    a.GENKA_HWORD[2] = t("GENKA_HWORD3");
    a.GENKA_HWORD[3] = t("GENKA_HWORD4");
    a.GENKA_HWORD[4] = t("GENKA_HWORD5");
    if (has("GENKA_HWORD6"))
        a.GENKA_HWORD6 = t("GENKA_HWORD6");
    a.PASWORD = t("PASWORD");
    if (has("WEB_HOLDER"))
        a.WEB_HOLDER = t("WEB_HOLDER");
    a.FUMEI_KCODE = t("FUMEI_KCODE");
    if (has("CLOUD_LINE"))
        a.CLOUD_LINE = i("CLOUD_LINE");
    if (has("CLOUD_TIME"))
        a.CLOUD_TIME = d("CLOUD_TIME");
    if (has("READ_ONLY"))
        a.READ_ONLY = i("READ_ONLY");

    ReadOnlyData = IsReadOnlyData();
    a.KurikosiTax = a.TAXDEFUH;
    a.KURIKOSI1 = has("KURIKOSI1") ? i("KURIKOSI1") : a.TAXDEFUH;
    a.KURIKOSI2 = has("KURIKOSI2") ? i("KURIKOSI2") : a.TAXDEFUH;
}

// Reads of the whole open-company load that pass their failure on instead
// of showing it (defined below, beside their reporting forms).
std::string readAccTotalName(const std::string& group, const std::string& column);
void lookupSystemCode(const std::string& accountName, std::string& code, std::string& userCode);

void setSystemCodeAt(std::size_t index, const char* accountName)
{
    lookupSystemCode(accountName, AccInf.SysKCode[index], AccInf.SysUserCode[index]);
}

void readSystemAccounts()
{
    auto& a = AccInf;
    setSystemCodeAt(0, "現金");
    setSystemCodeAt(1, "仮払消費税");
    setSystemCodeAt(2, "仮受消費税");
    setSystemCodeAt(4, "繰越利益剰余金");
    setSystemCodeAt(3, "諸口");
    if (a.DATATYPE == 1) {
        static constexpr std::array<const char*, 3> kNotes {"受取手形", "割引手形", "裏書手形"};
        for (std::size_t n = 0; n < kNotes.size(); ++n)
            lookupSystemCode(kNotes[n], a.TegataKCode[n], a.TegataUserCode[n]);
    }
    for (std::size_t n = 5; n <= 11; ++n) {
        a.SysKCode[n].clear();
        a.SysUserCode[n].clear();
    }
    if (a.DATATYPE == 2) {
        setSystemCodeAt(5, "事業主貸");
        setSystemCodeAt(6, "事業主借");
        setSystemCodeAt(7, "元入金");
    }
    if (a.DATATYPE == 3 && a.CODETYPE == 1) {
        setSystemCodeAt(8, "給料");
        setSystemCodeAt(9, "賞与");
        setSystemCodeAt(10, "賞与引当金繰入額");
        setSystemCodeAt(11, "退職給付費用");
        setSystemCodeAt(4, "前期繰越利益");
    }
}

int regInt(const char* group, const char* code, const char* defaultText = "0")
{
    return funcGetAccReg(group, code, "整数", defaultText).asInteger();
}

// A stored protected text in plain form; empty when it cannot be decoded.
std::string decodedOrEmpty(const std::string& stored)
{
    if (TrimZenkaku(stored).empty())
        return {};
    try {
        return DecodeProtectText(stored);
    } catch (const EProtectTextError&) {
        return {};
    }
}

void readCompanySettings()
{
    auto& a = AccInf;
    a.KakoMeisai = regInt(kBasic, "過去明細取り込み");
    try {
        a.GassanKbn = static_cast<std::uint8_t>(regInt(kBasic, "合算データ区分"));
    } catch (const std::exception&) {
        a.GassanKbn = 0;
    }
    a.GassanCount = regInt(kBasic, "合算データ数");
    regInt(kBasic, "一括税抜処理");
    a.IkkatuZeinuki = 0; // tax modes come from the caller in this program
    a.KamokuDigits = static_cast<std::uint8_t>(regInt(kBasic, "科目コード桁数"));
    a.HojoDigits = static_cast<std::uint8_t>(regInt(kBasic, "補助コード桁数"));
    a.BumonDigits = static_cast<std::uint8_t>(regInt(kBasic, "部門コード桁数"));
    regInt("減価償却設定", "250%定率法で償却する経過措置");
    regInt("減価償却設定", "200%定率法で償却する経過措置");
    a.PrintKikanUse = regInt(kBasic, "印刷用期間使用区分");
    a.PrintKikanFrom = funcGetAccReg(kBasic, "印刷用期間（期首）", "日付", "").asDate();
    a.PrintKikanTo = funcGetAccReg(kBasic, "印刷用期間（期末）", "日付", "").asDate();
    a.KobetuGenkaUse = regInt(kBasic, "個別原価使用区分");
    a.KobetuGenkaName = funcGetAccReg(kBasic, "個別原価別名", "文字", "個別原価").asString();
    a.KobetuGenkaDigits = static_cast<std::uint8_t>(regInt(kBasic, "個別原価コード桁数"));
    a.MyNumberUse = regInt(kBasic, "＃USE");
    a.MyNumberKey = decodedOrEmpty(funcGetAccReg(kBasic, "＃KEY", "文字", "").asString());
    a.MyNumberValue = decodedOrEmpty(funcGetAccReg(kBasic, "＃VALUE", "文字", "").asString());
    a.CloudKbn = regInt("通信設定", "クラウド区分");
}

void readDataPassword()
{
    auto& a = AccInf;
    a.DataPasswordInvalid = 0;
    a.DataPassword = TrimZenkaku(funcGetAccReg(kBasic, "データパスワード", "文字", "").asString());
    if (a.DataVerMajor <= 6)
        return;
    const std::string stored = TrimZenkaku(funcGetAccReg(kBasic, "データパスワードV2", "文字", "").asString());
    a.DataPassword.clear();
    if (stored.empty())
        return;
    TEasyEncodeInfo info;
    InitEasyEncodeInfo(info);
    info.KeyWord = kDataPasswordKey;
    info.PadLength = kDataPasswordLength;
    info.TextLength = kDataPasswordLength;
    info.EncodeText = stored;
    // Unscrambling stops at the first character outside its alphabet, and a
    // scrambled password is never longer than the password: anything else
    // is a damaged setting, which must not read as "no password".
    const bool decoded = EasyDecode(info);
    const std::size_t expected = std::min<std::size_t>(stored.size(), kDataPasswordLength);
    if (!decoded || stored.size() > static_cast<std::size_t>(kDataPasswordLength) || info.PlainText.empty()
        || info.PlainText.size() != expected) {
        a.DataPasswordInvalid = 1;
        return;
    }
    a.DataPassword = info.PlainText;
}

} // namespace

TOpenCompanyTables SetOpenCompanyTables(TOpenCompanyTables tables)
{
    return std::exchange(openCompanyTables(), std::move(tables));
}

bool HasOpenCompanyTables()
{
    const auto& t = openCompanyTables();
    return t.layout && t.taxRates;
}

// --- the open-company record ----------------------------------------------------

bool fnGetAccInfo()
{
    static const char* kContext = "TDM.fnGetAccInfo";
    TDM* d = DM;
    try {
        if (d == nullptr)
            throw std::logic_error("no data module");
        if (!HasOpenCompanyTables())
            throw std::logic_error("the accounting tables of the open data set are not installed");
        // A fresh record: fields a data set does not have must not keep the
        // values of the one opened before.
        AccInf = TACCINF {};
        // The load only reads (and creates missing settings rows): what it
        // did stays also after a failure.
        RunDbOperation(d->IBTransactionDAT, DbPolicy(kContext).with(DbFailure::Commit).with(DbReport::Raise), [&] {
            {
                fb::Query q(&d->IBDatabaseDAT, &d->IBTransactionDAT);
                q.sql().add("SELECT * FROM ACCDEF1");
                q.open();
                if (q.eof())
                    throw EAccInfoError("基本設定(ACCDEF1)のレコードが見つかりませんでした。");
                copyAccDef1(q);
                q.close();
            }
            auto& a = AccInf;
            // Reads whose failure fails the whole load, shown once below.
            a.PlusName5880 = readAccTotalName("5880", "PLUSNAME");
            a.PlusName5580 = readAccTotalName("5580", "PLUSNAME");
            a.PlusName5680 = readAccTotalName("5680", "PLUSNAME");
            a.PlusName5780 = readAccTotalName("5780", "PLUSNAME");
            a.PlusName5688 = readAccTotalName("5688", "PLUSNAME");
            a.PlusName5790 = readAccTotalName("5790", "PLUSNAME");
            a.DataKind = InitDataKind() ? 1 : 0;

            a.KaisiKikanIndex = MonthNoToKikanIndex(a.KAISINO);
            a.LastKikanNo = GetKikanNo(a.SIME, 0, a.KISHU, a.KIMATU, a.KIMATU);
            a.KaisiMonthCount = KikanMonthCount(a.SIME, a.KISHU, a.KAISI);
            a.YearMonthCount = KikanMonthCount(a.SIME, a.KISHU, a.KIMATU);

            readSystemAccounts();
            GetKamokuUserCode(a.FUMEI_KCODE, a.FumeiUserCode);
            a.TusinHolder[0] = a.WEB_HOLDER;
            a.TusinPassword[0] = a.PASWORD;
            GetTusinID(1, 1);

            readCompanySettings();

            a.BumonCount = 0;
            fb::Query q(&d->IBDatabaseDAT, &d->IBTransactionDAT);
            if (a.BUMON != 0) {
                q.sql().add("SELECT COUNT(BCODE) AS RECCNT FROM BUMONMST");
                q.sql().add("WHERE BCODE<>''");
                q.open();
                a.BumonCount = q.eof() ? 0 : q.fieldByName("RECCNT").asInteger();
                q.close();
            }
            a.DataVerMajor = a.DataVerMinor1 = a.DataVerMinor2 = 0;
            q.sql().clear();
            q.sql().add("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION");
            q.sql().add("ORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC");
            q.open();
            if (!q.eof()) {
                a.DataVerMajor = q.fieldByName("MAJOR").asInteger();
                a.DataVerMinor1 = q.fieldByName("MINOR1").asInteger();
                a.DataVerMinor2 = q.fieldByName("MINOR2").asInteger();
            }
            q.close();
        });
        {
            auto& a = AccInf;
            readDataPassword();

            a.TaxRateUse[0] = funcGetAccReg(kBasic, "使用税率3%", "論理", "FALSE").asBoolean() ? 1 : 0;
            a.TaxRateUse[1] = funcGetAccReg(kBasic, "使用税率5%", "論理", "FALSE").asBoolean() ? 1 : 0;
            a.TaxRateUse[2] = funcGetAccReg(kBasic, "使用税率8%", "論理", "TRUE").asBoolean() ? 1 : 0;
            a.TaxRateUse[3] = 1;
            a.TaxRateUse[4] = 1;

            openCompanyTables().taxRates(a.KIMATU);
            return true;
        }
    } catch (const std::exception& e) {
        ReportDbFailure(e, kContext, "基本情報の取得に失敗しました。\r");
    }
    return false;
}

namespace {

// The total-line name read itself; a failure passes to the caller, which
// shows it once (fnGetAccTotalName on its own, fnGetAccInfo as part of the
// whole load).
std::string readAccTotalName(const std::string& group, const std::string& column)
{
    // The column name is put into the statement's text: only a plain
    // column name may go there.
    if (!isPlainIdentifier(column))
        throw EAccInfoError("ACCTOTALNAME: not a column name: " + column);
    TDM& d = dm("TDM.fnGetAccTotalName");
    std::string result;
    RunDbOperation(
        d.IBTransactionDAT, DbPolicy("TDM.fnGetAccTotalName").with(DbFailure::Commit).with(DbReport::Raise), [&] {
            fb::Query q(&d.IBDatabaseDAT, &d.IBTransactionDAT);
            q.sql().add("SELECT " + column + " FROM ACCTOTALNAME");
            q.sql().add("WHERE KGROUP=:KGROUP");
            q.paramByName("KGROUP").setString(group);
            q.open();
            for (; !q.eof(); q.next())
                result = q.field(0).asString();
            q.close();
        });
    return result;
}

} // namespace

std::string fnGetAccTotalName(const std::string& group, const std::string& column)
{
    try {
        return readAccTotalName(group, column);
    } catch (const std::exception& e) {
        ReportDbFailure(e, "TDM.fnGetAccTotalName", "集計名称の取得に失敗しました。");
    }
    return {};
}

bool InitDataKind()
{
    return InitDataKindTables(AccInf.DATATYPE, AccInf.CODETYPE);
}

bool InitDataKindTables(int dataType, int codeType)
{
    const bool medical = dataType == 3 && codeType == 1;
    const auto& tables = openCompanyTables();
    if (!tables.layout)
        throw std::logic_error("InitDataKindTables: the accounting tables are not installed");
    tables.layout(medical ? 1 : 0);
    return medical;
}

std::string GetDataTypeName(int dataType)
{
    switch (dataType) {
    case 1:
        return "法人";
    case 2:
        return "個人";
    case 3:
        return "医療法人";
    default:
        break;
    }
    throw EAccInfoError("このプログラムでは、該当のデータタイプを処理することが出来ません。(DataType="
        + std::to_string(dataType) + ")");
}

std::string GetCodeTypeName(int dataType, int codeType, bool withDataType)
{
    if (withDataType) {
        std::string name = GetDataTypeName(dataType);
        const std::string codeName = GetCodeTypeName(dataType, codeType, false);
        if (!codeName.empty())
            name += "／" + codeName;
        return name;
    }
    const std::string suffix = "(CodeType=" + std::to_string(codeType) + ")";
    switch (dataType) {
    case 1:
        if (codeType != 1)
            throw EAccInfoError("このプログラムでは、該当のデータタイプを処理することが出来ません。" + suffix);
        return {};
    case 2:
        switch (codeType) {
        case 1:
            return "一般";
        case 2:
            return "不動産";
        case 3:
            return "クリニック";
        case 4:
            return "農業";
        default:
            break;
        }
        throw EAccInfoError("このプログラムでは、該当のコードタイプを処理することが出来ません。" + suffix);
    case 3:
        if (codeType != 1)
            throw EAccInfoError("このプログラムでは、該当のコードタイプを処理することが出来ません。" + suffix);
        return {};
    default:
        break;
    }
    throw EAccInfoError("このプログラムでは、該当のデータタイプを処理することが出来ません。(DataType="
        + std::to_string(dataType) + ")");
}

// --- operator and branch --------------------------------------------------------

bool IsAllDataKengen()
{
    return SysDef.AllDataRight == 1 || SysDef.IsAdmin != 0 || SysDef.JobLevel == 9;
}

bool fnGetExistsOpeDefSisetu()
{
    static const char* kContext = "TDM.fnGetExistsOpeDefSisetu";
    if (IsAllDataKengen())
        return true;
    try {
        TDM& d = dm(kContext);
        int rows = 0;
        RunDbOperation(d.IBTransactionDAT, DbPolicy(kContext).with(DbFailure::Commit).with(DbReport::Raise), [&] {
            fb::Query q(&d.IBDatabaseDAT, &d.IBTransactionDAT);
            q.sql().add("SELECT OD.OPCODE,OD.SCODE FROM OPDEFSISETU OD");
            q.sql().add("INNER JOIN OPLICENSE OL ON (OD.OPCODE=OL.OPCODE)");
            q.sql().add("WHERE OD.OPCODE=:OPCODE");
            q.paramByName("OPCODE").setInteger(SysDef.OpCode);
            q.open();
            for (; !q.eof(); q.next())
                ++rows;
            q.close();
        });
        return rows > 0;
    } catch (const std::exception& e) {
        ReportDbFailure(e, kContext, "通常使用するデータ（本・支店）の取得に失敗しました。");
    }
    return false;
}

void GetOpeDefSisetu(std::string& branchName)
{
    static const char* kContext = "TDM.GetOpeDefSisetu";
    branchName.clear();
    try {
        TDM& d = dm(kContext);
        RunDbOperation(d.IBTransactionDAT, DbPolicy(kContext).with(DbFailure::Commit).with(DbReport::Raise), [&] {
            fb::Query q(&d.IBDatabaseDAT, &d.IBTransactionDAT);
            const bool medical = AccInf.DataKind == 1;
            if (IsAllDataKengen()) {
                if (!medical && AccInf.SITEN != 0) {
                    q.sql().add("SELECT SCODE,SNAME,1 AS JIGYOKBN,XSTR FROM SISETUMST");
                    q.sql().add("WHERE SCODE=(SELECT MIN(SCODE) FROM SISETUMST WHERE SCODE<>'')");
                } else if (!medical) {
                    q.sql().add("SELECT ' ' AS SCODE,SHOUGOU AS SNAME,1 AS JIGYOKBN,0 AS XSTR FROM ACCDEF1");
                } else if (AccInf.SITEN != 0) {
                    q.sql().add("SELECT SCODE,SNAME,MB_JIGYOU AS JIGYOKBN,XSTR FROM SISETUMST");
                    q.sql().add("WHERE SCODE=(SELECT MIN(SCODE) FROM SISETUMST WHERE (SCODE<>'') AND (SCODE<>'00'))");
                } else {
                    throw EAccInfoError("このデータは医療法人データですが、施設管理がおこなわれていません。\r"
                                        "データが損傷している可能性があります。");
                }
            } else {
                q.sql().add(medical ? "SELECT O.SCODE,S.SNAME,S.MB_JIGYOU AS JIGYOKBN,S.XSTR FROM OPDEFSISETU O"
                                    : "SELECT O.SCODE,S.SNAME,1 AS JIGYOKBN,S.XSTR FROM OPDEFSISETU O");
                q.sql().add("INNER JOIN SISETUMST S ON (O.SCODE=S.SCODE)");
                q.sql().add("WHERE OPCODE=:OPCODE");
                q.paramByName("OPCODE").setInteger(SysDef.OpCode);
            }
            auto takeRows = [&] {
                bool any = false;
                q.open();
                for (; !q.eof(); q.next()) {
                    any = true;
                    std::string code = q.fieldByName("SCODE").asString();
                    if (code.empty())
                        code = " ";
                    SysDef.DefSisetuCode = code;
                    SysDef.SisetuCode = code;
                    SysDef.JigyoKbn = q.fieldByName("JIGYOKBN").asInteger();
                    SysDef.SisetuColor = GetXstrValue(q.fieldByName("XSTR").asString(), "COLOR").asInteger();
                    branchName = q.fieldByName("SNAME").asString();
                }
                q.close();
                return any;
            };
            if (!takeRows() && medical) {
                q.sql().clear();
                q.sql().add("SELECT SCODE,SNAME,MB_JIGYOU AS JIGYOKBN,XSTR FROM SISETUMST");
                q.sql().add("WHERE SCODE='00'");
                takeRows();
            }
        });
    } catch (const std::exception& e) {
        ReportDbFailure(e, kContext, "通常使用するデータ（本・支店）の取得に失敗しました。");
    }
}

TRegValue GetXstrValue(const std::string& settings, const std::string& nameIn)
{
    const std::string name = upperAscii(nameIn);
    const std::string value = GetNameValue(settings, name);
    if (name != "COLOR")
        return TRegValue::text(value);
    int colour = 0;
    if (!TrimZenkaku(value).empty())
        colour = toIntOrZero(value);
    if (colour <= 0)
        colour = kDefaultBranchColour;
    return TRegValue::integer(colour);
}

// --- versions and codes ---------------------------------------------------------

void fnGetDataBaseVer(std::string& version)
{
    static const char* kContext = "TDM.fnGetDataBaseVer";
    version = "0.0.0";
    try {
        TDM& d = dm(kContext);
        // Read inside the caller's transaction when there is one: committing
        // it here would end work that is not this operation's.
        RunDbOperation(d.IBTransactionDAT, DbPolicy(kContext).with(DbReport::Raise), [&] {
            fb::Query q(&d.IBDatabaseDAT, &d.IBTransactionDAT);
            q.sql().add("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION WHERE REC=1");
            q.open();
            if (!q.eof()) {
                char buf[48];
                std::snprintf(buf, sizeof buf, "%d.%d.%d", q.fieldByName("MAJOR").asInteger(),
                    q.fieldByName("MINOR1").asInteger(), q.fieldByName("MINOR2").asInteger());
                version = buf;
            }
            q.close();
        });
    } catch (const std::exception& e) {
        version = "0.0.0";
        ReportDbFailure(e, kContext, "データベースのバージョンの取得に失敗しました。");
    }
}

namespace {

void lookupSystemCode(const std::string& accountName, std::string& code, std::string& userCode)
{
    code.clear();
    userCode.clear();
    TDM& d = dm("TDM.SetSystemCode");
    // A failure passes to SetSystemCode, which shows database errors.
    RunDbOperation(d.IBTransactionDAT, DbPolicy("TDM.SetSystemCode").with(DbReport::Raise), [&] {
        fb::Query q(&d.IBDatabaseDAT, &d.IBTransactionDAT);
        q.sql().add("SELECT A.KCODE,K.USERCODE FROM ACCDEF2 A");
        q.sql().add("INNER JOIN KAMOKUMST K ON (A.KCODE=K.KCODE)");
        q.sql().add("WHERE A.KNAME=:NAME");
        q.paramByName("NAME").setString(accountName);
        q.open();
        if (!q.eof()) {
            code = q.fieldByName("KCODE").asString();
            userCode = q.fieldByName("USERCODE").asString();
        }
        q.close();
    });
}

} // namespace

void SetSystemCode(const std::string& accountName, std::string& code, std::string& userCode)
{
    try {
        lookupSystemCode(accountName, code, userCode);
    } catch (const fb::EIBError& e) {
        IBErrorProc(e, "TDM.SetSystemCode", "", false);
        throw;
    }
}

void GetKamokuUserCode(const std::string& code, std::string& userCode)
{
    userCode.clear();
    if (TrimZenkaku(code).empty())
        return;
    TDM& d = dm("TDM.GetKamokuUserCode");
    RunDbOperation(
        d.IBTransactionDAT, DbPolicy("TDM.GetKamokuUserCode").with(DbFailure::Commit).with(DbReport::Raise), [&] {
            fb::Query q(&d.IBDatabaseDAT, &d.IBTransactionDAT);
            q.sql().add("SELECT USERCODE FROM KAMOKUMST");
            q.sql().add("WHERE KCODE=:KCODE");
            q.paramByName("KCODE").setString(code);
            q.open();
            if (!q.eof())
                userCode = q.fieldByName("USERCODE").asString();
            q.close();
        });
}

void GetTusinID(int rec, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= AccInf.TusinHolder.size())
        throw std::out_of_range("TDM.GetTusinID: index " + std::to_string(index));
    const auto i = static_cast<std::size_t>(index);
    AccInf.TusinHolder[i].clear();
    AccInf.TusinPassword[i].clear();
    TDM& d = dm("TDM.GetTusinID");
    if (!d.fnExistence_Table("TUSIN_ID"))
        return;
    RunDbOperation(d.IBTransactionDAT, DbPolicy("TDM.GetTusinID").with(DbReport::Raise), [&] {
        fb::Query q(&d.IBDatabaseDAT, &d.IBTransactionDAT);
        q.sql().add("SELECT REC,HOLDER,PASWORD FROM TUSIN_ID");
        q.sql().add("WHERE REC=:REC");
        q.paramByName("REC").setInteger(rec);
        q.open();
        for (; !q.eof(); q.next()) {
            AccInf.TusinHolder[i] = q.fieldByName("HOLDER").asString();
            AccInf.TusinPassword[i] = q.fieldByName("PASWORD").asString();
        }
        q.close();
    });
}

int GetCalcTaxMode(int taxMode, int)
{
    return taxMode;
}

int GetDispTaxMode(int taxMode, int)
{
    return taxMode;
}

// --- paths, texts, switches -----------------------------------------------------

void SplitDataPath(const std::string& path, std::string& first, std::string& second)
{
    first.clear();
    second.clear();
    const std::string compact = DeleteAllSpace(path);
    std::vector<std::string> pieces;
    std::string cur;
    for (char ch : compact) {
        if (ch == '/') {
            pieces.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    pieces.push_back(cur);
    // The last such component: the program's own tree lies below an XDG
    // folder that is itself called "data".
    for (std::size_t i = pieces.size(); i-- > 0;) {
        const std::string up = upperAscii(pieces[i]);
        if (up == "DATA" || up == "CB_DATA") {
            if (i + 1 < pieces.size())
                first = pieces[i + 1];
            if (i + 2 < pieces.size())
                second = pieces[i + 2];
            return;
        }
    }
}

bool CheckDataPassword()
{
    if (AppKind == 1 || AppKind == 3)
        return true;
    if (AccInf.DataPasswordInvalid != 0) {
        ShowMessageLines(msgkind::Error,
            {"データパスワードの設定を読み取れませんでした。",
                "設定が損傷している可能性があるため、このデータは開けません。"});
        return false;
    }
    if (AccInf.DataPassword.empty())
        return true;

    TInputDlgRequest dlg;
    dlg.inputKind = inputkind::Password;
    dlg.caption = "パスワードの確認";
    dlg.prompt = "パスワードを入力して下さい。";
    dlg.promptColour = 0;
    dlg.maxLength = 8;
    dlg.keyFilter = inputfilter::LettersDigits;
    dlg.help = "パスワード(英数字8文字以内)を入力し、[OK]"
               "ボタンを押して下さい。3回続けて失敗すると「データ選択」画面に戻ります。";
    dlg.position = inputpos::ScreenCenter;
    return AskPasswordThreeTimes(dlg, AccInf.DataPassword);
}

std::string GetNameValue(const std::string& text, const std::string& name)
{
    const std::string wanted = upperAscii(name);
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        const auto eq = line.find('=');
        if (eq != std::string::npos && upperAscii(line.substr(0, eq)) == wanted)
            return line.substr(eq + 1);
        if (end >= text.size())
            break;
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n')
            ++pos;
    }
    return {};
}

bool IsCloudShareEnabled(std::uint8_t flag)
{
    if (DistKind != 0 || (AppKind != 0 && AppKind != 2) || ConnectMode == 2)
        return false;
    if (flag == 1 && AppKind == 2)
        return false;
    return true;
}

int IsReadOnlyData()
{
    if (AppKind == 1 || AppKind == 2)
        return 1;
    return AccInf.READ_ONLY == 1 ? 1 : 0;
}

} // namespace core

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(core::openCompanyTables());
} // namespace
