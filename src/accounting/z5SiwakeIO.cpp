#include "accounting/z5SiwakeIO.h"

#include "accounting/z5SiwakeIOInternal.h"
#include "accounting/uAccTaxCmp.h"
#include "core/DataModule.h"
#include "core/DataModuleOpSupport.h"
#include "core/IBErrorProc.h"
#include "core/PlatformUtil.h"
#include "platform/firebird/firebird.h"
#include "core/TextRoutines.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace fb = platform::firebird;
using core::opsupport::fieldDateTime;
using core::opsupport::nowDateTime;
using core::opsupport::toDate;
using core::opsupport::toTimestamp;

namespace siwake_io {

bool dataVersionAtLeast(int major, int minor)
{
    return AccInf.DataVerMajor > major || (AccInf.DataVerMajor == major && AccInf.DataVerMinor1 >= minor);
}

void bindTimestamp(fb::Param& p, TDateTime value)
{
    if (value > 0)
        p.setTimestamp(toTimestamp(value));
    else
        p.clear();
}

void readEntry(fb::Query& q, TSWKREC& e)
{
    auto i = [&](const char* name) { return q.fieldByName(name).asInteger(); };
    auto s = [&](const char* name) { return q.fieldByName(name).asString(); };
    auto c = [&](const char* name) { return q.fieldByName(name).asCurrency(); };
    auto t = [&](const char* name) { return fieldDateTime(q.fieldByName(name)); };
    auto side = [&](TSwkBalance& b, const std::string& p, const char* userCode) {
        b.KGROUP = s((p + "KGROUP").c_str());
        b.KCODE = s(userCode);
        b.HCODE = s((p + "HCODE").c_str());
        b.BCODE = s((p + "BCODE").c_str());
        b.KNAME = s((p + "KNAME").c_str());
        b.HNAME = s((p + "HNAME").c_str());
        b.BNAME = s((p + "BNAME").c_str());
        b.TAXCODE = i((p + "TAXCODE").c_str());
        b.TAXUH = i((p + "TAXUH").c_str());
        b.TAXDC = i((p + "TAXDC").c_str());
        b.NUK = c((p + "NUK").c_str());
        b.ZEI = c((p + "ZEI").c_str());
        b.RIT = c((p + "RIT").c_str());
        b.SIKIN = i((p + "SIKIN").c_str());
    };
    e.REC = i("REC");
    e.SWKREC = i("SWKREC");
    e.SWKNO = i("SWKNO");
    e.DELFLG = i("DELFLG");
    e.TAISHAKU = i("TAISHAKU");
    e.HIZUKE = t("HIZUKE");
    e.MNUM = i("MNUM");
    e.KESSAN = i("KESSAN");
    e.DNUM = i("DNUM");
    e.SNUM = i("SNUM");
    e.SDAYNUM = i("SDAYNUM");
    e.MDAYNUM = i("MDAYNUM");
    e.SCODE = s("SCODE");
    e.SITREC = i("SITREC");
    side(e.Debit, "", "USERCODE");
    side(e.Credit, "R_", "R_USERCODE");
    e.KINGAKU = c("KINGAKU");
    e.ZEIGAKU = c("ZEIGAKU");
    e.ZEIRITUNO = i("ZEIRITUNO");
    e.AUTCALCU = i("AUTCALCU");
    e.TAXCALCU = i("TAXCALCU");
    e.OLDRATE = i("OLDRATE");
    e.TEKCODE = i("TEKCODE");
    e.TEKTEXT = s("TEKTEXT");
    e.TORCODE = i("TORCODE");
    e.TORTEXT = s("TORTEXT");
    e.FUSEN1 = i("FUSEN1");
    e.FUSEN2 = i("FUSEN2");
    e.FUSEN3 = i("FUSEN3");
    e.FUSEN4 = i("FUSEN4");
    e.FUSEN5 = i("FUSEN5");
    e.CTIME = t("CTIME");
    e.COMMENT = s("COMMENT");
    e.AO_COMMENT = s("AO_COMMENT");
    e.LINKKEY = s("LINKKEY");
    e.LINKKUB = i("LINKKUB");
    e.LINKREC = i("LINKREC");
    e.LOCALFLG = i("LOCALFLG");
    e.RESERVE1 = i("RESERVE1");
    e.RESERVE2 = i("RESERVE2");
    e.RTIME = t("RTIME");
    e.OPCODE = i("OPCODE");
    e.SHONIN_HIZUKE = t("SHONIN_HIZUKE");
    e.SHONIN_OPCODE = i("SHONIN_OPCODE");
    e.SHONIN_NAME = s("SHONIN_NAME");
    e.Debit.SideRateNo = e.OLDRATE;
    e.Credit.SideRateNo = e.OLDRATE;
}

} // namespace siwake_io

using namespace siwake_io;

namespace {

constexpr const char* kParamList
    = ":HIZUKE,:MNUM,:KESSAN,:SDAYNUM,:MDAYNUM,:DNUM,:SNUM,:SCODE,:L_KGROUP,:L_KCODE,:L_HCODE,:L_BCODE,:L_KNAME,"
      ":L_HNAME,:L_BNAME,:L_TAXCODE,:L_TAXUH,:L_TAXDC,:L_NUK,:L_ZEI,:L_RIT,:L_SIKIN,:R_KGROUP,:R_KCODE,:R_HCODE,"
      ":R_BCODE,:R_KNAME,:R_HNAME,:R_BNAME,:R_TAXCODE,:R_TAXUH,:R_TAXDC,:R_NUK,:R_ZEI,:R_RIT,:R_SIKIN,:KINGAKU,"
      ":ZEIGAKU,:ZEIRITUNO,:AUTCALCU,:TAXCALCU,:OLDRATE,:TEKCODE,:TEKTEXT,:TORCODE,:TORTEXT, :FUSEN1,:FUSEN2,"
      ":FUSEN3,:FUSEN4,:FUSEN5,:CTIME,:COMMENT,:AO_COMMENT,:LINKKEY,:LINKKUB,:LINKREC,:LOCALFLG,:Reserve1,"
      ":Reserve2,:OPNCODE ";

void bindSide(fb::Query& q, const std::string& p, const TSwkBalance& b)
{
    q.paramByName(p + "KGROUP").setString(b.KGROUP);
    q.paramByName(p + "KCODE").setString(b.KCODE);
    q.paramByName(p + "HCODE").setString(b.HCODE);
    q.paramByName(p + "BCODE").setString(b.BCODE);
    q.paramByName(p + "KNAME").setString(b.KNAME);
    q.paramByName(p + "HNAME").setString(b.HNAME);
    q.paramByName(p + "BNAME").setString(b.BNAME);
    q.paramByName(p + "TAXCODE").setInteger(b.TAXCODE);
    q.paramByName(p + "TAXUH").setInteger(b.TAXUH);
    q.paramByName(p + "TAXDC").setInteger(b.TAXDC);
    q.paramByName(p + "NUK").setCurrency(b.NUK);
    q.paramByName(p + "ZEI").setCurrency(b.ZEI);
    q.paramByName(p + "RIT").setCurrency(b.RIT);
    q.paramByName(p + "SIKIN").setInteger(b.SIKIN);
}

void bindEntry(fb::Query& q, const TSWKREC& e)
{
    q.paramByName("HIZUKE").setDate(toDate(e.HIZUKE));
    q.paramByName("MNUM").setInteger(e.MNUM);
    q.paramByName("KESSAN").setInteger(e.KESSAN);
    q.paramByName("SDAYNUM").setInteger(e.SDAYNUM);
    q.paramByName("MDAYNUM").setInteger(e.MDAYNUM);
    q.paramByName("DNUM").setInteger(e.DNUM);
    q.paramByName("SNUM").setInteger(e.SNUM);
    q.paramByName("SCODE").setString(e.SCODE);
    bindSide(q, "L_", e.Debit);
    bindSide(q, "R_", e.Credit);
    q.paramByName("KINGAKU").setCurrency(e.KINGAKU);
    q.paramByName("ZEIGAKU").setCurrency(e.ZEIGAKU);
    q.paramByName("ZEIRITUNO").setInteger(e.ZEIRITUNO);
    q.paramByName("AUTCALCU").setInteger(e.AUTCALCU);
    q.paramByName("TAXCALCU").setInteger(e.TAXCALCU);
    q.paramByName("OLDRATE").setInteger(e.OLDRATE);
    q.paramByName("TEKCODE").setInteger(e.TEKCODE);
    q.paramByName("TEKTEXT").setString(e.TEKTEXT);
    q.paramByName("TORCODE").setInteger(e.TORCODE);
    q.paramByName("TORTEXT").setString(e.TORTEXT);
    q.paramByName("FUSEN1").setInteger(e.FUSEN1);
    q.paramByName("FUSEN2").setInteger(e.FUSEN2);
    q.paramByName("FUSEN3").setInteger(e.FUSEN3);
    q.paramByName("FUSEN4").setInteger(e.FUSEN4);
    q.paramByName("FUSEN5").setInteger(e.FUSEN5);
    bindTimestamp(q.paramByName("CTIME"), e.CTIME);
    q.paramByName("COMMENT").setString(e.COMMENT);
    q.paramByName("AO_COMMENT").setString(e.AO_COMMENT);
    q.paramByName("LINKKEY").setString(e.LINKKEY);
    q.paramByName("LINKKUB").setInteger(e.LINKKUB);
    q.paramByName("LINKREC").setInteger(e.LINKREC);
    q.paramByName("LOCALFLG").setInteger(e.LOCALFLG);
    q.paramByName("Reserve1").setInteger(e.RESERVE1);
    q.paramByName("Reserve2").setInteger(e.RESERVE2);
    q.paramByName("OPNCODE").setInteger(SysDef.OpCode);
}

// Pause before the next attempt after a lock conflict: short at first,
// never more than half a second.
int lockPauseMs(int attempt)
{
    return std::min(500, 25 << std::min(attempt, 5));
}

void initSide(TSwkBalance& b, int rateNo)
{
    b = TSwkBalance {};
    b.TAXCODE = 910;
    b.SideRateNo = rateNo;
}

const char* const kKamokuColumns
    = "SELECT SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE,SI.SNAME,KM.KCODE,KM.USERCODE,KM.REC,KM.GROUPM1,KM.GROUPM2,"
      "KM.KNAME,KM.BLDAC,KM.DAC,KM.DELFLG,KM.TAX_LCODE,KM.TAX_RCODE,KM.FUN_LCODE,KM.FUN_RCODE,KM.HOJOSW,"
      "KM.BPFLG,KM.KEIHKUBU,KM.EXT1_A4,KM.EXT1_A3,KM.EXT1_KS,HM.HNAME,HM.REC AS H_REC,HM.TAX_LCODE AS "
      "H_TAX_LCODE,HM.TAX_RCODE AS H_TAX_RCODE,HM.BPFLG,HM.SIME,HM.SAITO,HM.CoDATE,HM.GENDO,HM.WARIAISW,"
      "HM.WARI1,HM.WARI2,HM.WARI3,HM.TEGATA,HM.YOKKMK,HM.YOKHOJ,HM.ADDRESS,HM.KOUZA,HM.BANK,HM.SITEN,HM.KANKEI,"
      "HM.TORIHIK,HM.RIRITU,HM.RIYUU,HM.TANPO,HM.YOUTO,HM.FURIKOMI,HM.KARINAME,HM.KARIDADD,BU.BNAME";

void addKamokuJoins(fb::SqlText& sql)
{
    sql.add("INNER JOIN SISETUMST SI ON (SZ.SCODE = SI.SCODE)");
    sql.add("INNER JOIN BUMONMST  BU ON (SZ.BCODE = BU.BCODE)");
    sql.add("INNER JOIN KAMOKUMST KM ON (SZ.KCODE = KM.KCODE)");
    sql.add("INNER JOIN HOJOMST   HM ON (SZ.KCODE = HM.KCODE AND SZ.HCODE=HM.HCODE)");
}

void addKamokuSelect(fb::SqlText& sql)
{
    sql.add(kKamokuColumns);
    if (dataVersionAtLeast(11, 1))
        sql.add(",KM.ZEIRITUKBN,HM.ZEIRITUKBN AS H_ZEIRITUKBN");
    sql.add("FROM KAMOKU_SZ SZ");
    addKamokuJoins(sql);
}

// The account, sub-account and department parts of the current row of a
// KAMOKU_SZ query.
void readKamoku(fb::Query& q, TKMKREC& k, THOJREC& h, TBUMREC& b)
{
    auto i = [&](const char* name) { return q.fieldByName(name).asInteger(); };
    auto s = [&](const char* name) { return q.fieldByName(name).asString(); };
    k.KCODE = s("KCODE");
    k.USERCODE = s("USERCODE");
    k.REC = i("REC");
    k.GROUPM1 = s("GROUPM1");
    k.GROUPM2 = s("GROUPM2");
    k.KNAME = s("KNAME");
    k.BLDAC = i("BLDAC");
    k.DAC = i("DAC");
    k.DELFLG = i("DELFLG");
    k.TAX_LCODE = i("TAX_LCODE");
    k.TAX_RCODE = i("TAX_RCODE");
    k.FUN_LCODE = i("FUN_LCODE");
    k.FUN_RCODE = i("FUN_RCODE");
    k.HOJOSW = TrimZenkaku(s("HOJOSW"));
    k.BSPL = s("BPFLG");
    k.KEIHKUBU = TrimZenkaku(s("KEIHKUBU"));
    k.EXT1_KS = i("EXT1_KS");
    k.EXT1_A4 = i("EXT1_A4");
    k.EXT1_A3 = i("EXT1_A3");
    const bool rates = dataVersionAtLeast(11, 1);
    k.ZEIRITUKBN = rates ? i("ZEIRITUKBN") : 0;
    h.KCODE = k.KCODE;
    h.HCODE = s("HCODE");
    h.HNAME = s("HNAME");
    h.REC = i("H_REC");
    h.H_TAX_LCODE = i("H_TAX_LCODE");
    h.H_TAX_RCODE = i("H_TAX_RCODE");
    h.H_ZEIRITUKBN = rates ? i("H_ZEIRITUKBN") : 0;
    b.BCODE = s("BCODE");
    b.BNAME = s("BNAME");
}

} // namespace

TSiwakeWrite::TSiwakeWrite() = default;
TSiwakeWrite::~TSiwakeWrite() = default;

void TSiwakeWrite::SetTransaction(fb::Transaction* transaction)
{
    transaction_ = transaction;
    if (query_)
        query_->setTransaction(transaction);
}

core::DbPolicy TSiwakeWrite::policy(const char* context, core::DbFailure onError)
{
    if (transaction_ == nullptr)
        throw std::logic_error("TSiwakeWrite: no transaction set");
    const bool own = std::exchange(AutoCommit, false);
    return core::DbPolicy(context)
        .with(own ? core::DbStart::WhenIdle : core::DbStart::Never)
        .with(onError)
        .with(core::DbReport::DbErrorsAndRaise);
}

void TSiwakeWrite::run(const core::DbPolicy& p, const std::function<void(core::TDbScope&)>& body)
{
    core::RunDbOperation(*transaction_, p, body);
}

fb::Query& TSiwakeWrite::query()
{
    if (!query_) {
        if (core::DM == nullptr)
            throw std::logic_error("TSiwakeWrite: no data module");
        query_ = std::make_unique<fb::Query>(&core::DM->IBDatabaseDAT, transaction_);
    }
    return *query_;
}

void TSiwakeWrite::SetSCode(const std::string& scode)
{
    scode_ = scode;
    GetKamokuArray(scode);
}

bool TSiwakeWrite::GetKamokuArray(const std::string& scode)
{
    run(policy("TSiwakeWrite.GetKamokuArray", core::DbFailure::Commit), [&](core::TDbScope& scope) {
        fb::Query& q = scope.fresh(query());
        q.sql().add("SELECT COUNT(SZ.SCODE) AS RECCNT FROM KAMOKU_SZ SZ");
        addKamokuJoins(q.sql());
        q.sql().add("WHERE SZ.SCODE=:SCODE");
        q.paramByName("SCODE").setString(scode);
        q.open();
        const int count = q.eof() ? 0 : q.fieldByName("RECCNT").asInteger();
        q.close();
        kamoku_.assign(static_cast<std::size_t>(count), TKamokuRec {});
        positions_.clear();
        if (count > 0) {
            q.sql().clear();
            addKamokuSelect(q.sql());
            q.sql().add("WHERE SZ.SCODE=:SCODE");
            q.sql().add("ORDER BY SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE");
            q.paramByName("SCODE").setString(scode);
            q.open();
            std::size_t row = 0;
            std::size_t first = 0;
            std::string previous;
            for (; !q.eof() && row < kamoku_.size(); q.next(), ++row) {
                TKamokuRec& r = kamoku_[row];
                readKamoku(q, r.Kamoku, r.Hojo, r.Bumon);
                if (row == 0 || r.Kamoku.USERCODE != previous) {
                    positions_.push_back(r.Kamoku.USERCODE + "=" + std::to_string(row));
                    first = row;
                    previous = r.Kamoku.USERCODE;
                }
                if (r.Hojo.HCODE != " ")
                    kamoku_[first].HasHojo = true;
                if (r.Bumon.BCODE != " ")
                    kamoku_[first].HasBumon = true;
            }
            kamoku_.resize(row); // rows that vanished between count and read
        }
        q.close();
    });
    return true;
}

void TSiwakeWrite::loadCurrentRow(TKamokuLookupRow& row)
{
    fb::Query& q = query();
    TBUMREC bumon;
    readKamoku(q, row.Kamoku, row.Hojo, bumon);
    row.SNAME = q.fieldByName("SNAME").asString();
    row.BNAME = bumon.BNAME;
}

bool TSiwakeWrite::LookupKamoku(
    const std::string& scode, const std::string& bcode, const std::string& userCode, const std::string& hcode)
{
    if (scode.size() > 6 || bcode.size() > 6 || userCode.size() > 6 || hcode.size() > 6)
        return false;
    current_ = TKamokuLookupRow {};
    const std::string h = hcode.empty() ? " " : hcode;
    bool found = false;
    run(policy("TSiwakeWrite.LookupKamoku", core::DbFailure::Commit), [&](core::TDbScope& scope) {
        fb::Query& q = scope.fresh(query());
        addKamokuSelect(q.sql());
        if (!bcode.empty())
            q.sql().add("WHERE SZ.SCODE=:SCODE AND KM.USERCODE=:USERCODE AND SZ.HCODE=:HCODE AND SZ.BCODE=:BCODE");
        else
            q.sql().add("WHERE SZ.SCODE=:SCODE AND KM.USERCODE=:USERCODE AND SZ.HCODE=:HCODE");
        q.paramByName("SCODE").setString(scode);
        q.paramByName("USERCODE").setString(userCode);
        q.paramByName("HCODE").setString(h);
        if (!bcode.empty())
            q.paramByName("BCODE").setString(bcode);
        q.open();
        current_.SCODE = scode;
        current_.BCODE = bcode;
        current_.USERCODE = userCode;
        current_.HCODE = h;
        found = !q.eof();
        if (found) {
            loadCurrentRow(current_);
            current_.BCODE = q.fieldByName("BCODE").asString();
        }
        q.close();
    });
    return found;
}

void TSiwakeWrite::InitSiwakeRec(TSWKREC& e, int kessan, TDateTime date) const
{
    e = TSWKREC {};
    e.PcName = SysDef.PCName;
    e.OPCODE = SysDef.OpCode;
    e.TAISHAKU = 1;
    e.HIZUKE = date;
    e.KESSAN = kessan;
    e.RTIME = nowDateTime();
    e.OLDRATE = GetZeiRituNo(0, date);
    initSide(e.Debit, e.OLDRATE);
    initSide(e.Credit, e.OLDRATE);
}

int TSiwakeWrite::putOnce(TSWKREC& e)
{
    fb::Query& q = query();
    q.close();
    const bool insert = e.REC == 0;
    std::vector<std::string> text;
    if (insert) {
        const bool noSitrec = AccInf.DataVerMajor < 6 || (AccInf.DataVerMajor == 6 && AccInf.DataVerMinor1 == 0);
        text.emplace_back(noSitrec ? "SELECT NEWREC,NEWSWKREC,NEWSDAYNUM,0 AS NEWSITREC FROM SP_SIWAKE_INS("
                                   : "SELECT NEWREC,NEWSWKREC,NEWSDAYNUM,NEWSITREC FROM SP_SIWAKE_INS(");
    } else {
        text.emplace_back("SELECT NEWREC,NEWSWKREC,NEWSWKNO,UPREC,NEWSDAYNUM FROM SP_SIWAKE_UPD(");
        text.emplace_back(":REC,:SWKREC,:SWKNO,:DELFLG,");
    }
    text.emplace_back(kParamList);
    text.emplace_back(")");
    // Entries written one after another keep the prepared statement.
    if (q.sql().lines() != text) {
        q.sql().clear();
        for (const std::string& line : text)
            q.sql().add(line);
    }
    if (!insert) {
        q.paramByName("REC").setInteger(e.REC);
        q.paramByName("SWKREC").setInteger(e.SWKREC);
        q.paramByName("SWKNO").setInteger(e.SWKNO);
        q.paramByName("DELFLG").setInteger(e.DELFLG);
    }
    bindEntry(q, e);
    q.open();
    if (q.eof())
        throw std::runtime_error("TSiwakeWrite.PutSiwake: the journal procedure returned no row");
    int result = 0;
    if (insert) {
        e.REC = q.fieldByName("NEWREC").asInteger();
        e.SWKREC = q.fieldByName("NEWSWKREC").asInteger();
        e.SWKNO = e.SWKREC;
        e.SDAYNUM = q.fieldByName("NEWSDAYNUM").asInteger();
        e.SITREC = q.fieldByName("NEWSITREC").asInteger();
        e.RTIME = nowDateTime();
        result = e.REC;
    } else {
        const int uprec = q.fieldByName("UPREC").asInteger();
        if (uprec == -1) {
            result = -1;
        } else if (uprec == -2) {
            e.REC = q.fieldByName("NEWREC").asInteger();
            result = -2;
        } else {
            e.REC = q.fieldByName("NEWREC").asInteger();
            e.SWKREC = q.fieldByName("NEWSWKREC").asInteger();
            e.SWKNO = q.fieldByName("NEWSWKNO").asInteger();
            e.SDAYNUM = q.fieldByName("NEWSDAYNUM").asInteger();
            e.RTIME = nowDateTime();
        }
    }
    q.close();
    return result;
}

int TSiwakeWrite::PutSiwake(TSWKREC& e)
{
    // A conflict is waited out only in a transaction of our own and only a
    // few times; in the caller's transaction it is the caller's to resolve.
    const core::DbRetry conflicts {kLockRetries,
        [](const std::exception& err) {
            const auto* ib = dynamic_cast<const core::EIBError*>(&err);
            return ib != nullptr && isLockConflict(ib->iscErrorCode());
        },
        [](int attempt) { WaitMilliSec(lockPauseMs(attempt)); }};
    int result = 0;
    run(policy("TSiwakeWrite.PutSiwake", core::DbFailure::Rollback).retrying(conflicts), [&](core::TDbScope& scope) {
        scope.closeOnFailure(query());
        result = putOnce(e);
    });
    return result;
}

int TSiwakeWrite::DeleteSiwake(std::int32_t swkrec)
{
    int res = 0;
    run(policy("TSiwakeWrite.DeleteSiwake", core::DbFailure::Rollback), [&](core::TDbScope& scope) {
        fb::Query& q = scope.fresh(query());
        q.sql().add("SELECT RESULT+1 AS RES FROM SP_SIWAKE_DEL(:SWKREC,:OPCODE)");
        q.paramByName("SWKREC").setInteger(swkrec);
        q.paramByName("OPCODE").setInteger(SysDef.OpCode);
        q.open();
        res = q.eof() ? 0 : q.fieldByName("RES").asInteger();
        q.close();
    });
    return res;
}

bool TSiwakeWrite::RestoreSiwake(std::int32_t swkrec)
{
    bool restored = false;
    run(policy("TSiwakeWrite.RestoreSiwake", core::DbFailure::Rollback), [&](core::TDbScope& scope) {
        fb::Query& q = scope.fresh(query());
        q.sql().add("SELECT HIZUKE,SDAYNUM FROM SIWAKE");
        q.sql().add("WHERE (SWKREC=:SWKREC) AND (TAISHAKU=1)");
        q.sql().add("ORDER BY REC");
        q.paramByName("SWKREC").setInteger(swkrec);
        TDateTime date = 0;
        for (q.open(); !q.eof(); q.next())
            date = fieldDateTime(q.fieldByName("HIZUKE"));
        q.close();

        q.sql().clear();
        q.sql().add("SELECT MAX(SDAYNUM) AS MAX_SDAYNUM FROM SIWAKE");
        q.sql().add("WHERE (HIZUKE=:HIZUKE) AND (DELFLG=0)");
        q.paramByName("HIZUKE").setDate(toDate(date));
        q.open();
        const int n = q.eof() ? 0 : q.fieldByName("MAX_SDAYNUM").asInteger();
        q.close();

        // Only the deleted lines come back: the versions an entry's changes
        // replaced (DELFLG 2) stay replaced.
        q.sql().clear();
        q.sql().add("UPDATE SIWAKE SET DELFLG=0,OPCODE=:OPCODE,RTIME=:RTIME,SDAYNUM=:SDAYNUM");
        q.sql().add("WHERE SWKREC=:SWKREC AND DELFLG=1");
        q.paramByName("OPCODE").setInteger(SysDef.OpCode);
        q.paramByName("RTIME").setTimestamp(toTimestamp(nowDateTime()));
        q.paramByName("SDAYNUM").setInteger(n == 0 ? 0 : n + 1);
        q.paramByName("SWKREC").setInteger(swkrec);
        q.execSQL();
        restored = q.rowsAffected() > 0;
        q.close();
    });
    return restored;
}

void TSiwakeWrite::GetSiwake(TSWKREC& e, std::int32_t rec, bool throughView)
{
    InitSiwakeRec(e, 0, std::floor(nowDateTime()));
    run(policy("TSiwakeWrite.GetSiwake", core::DbFailure::Commit), [&](core::TDbScope& scope) {
        fb::Query& q = scope.fresh(query());
        if (KakoSource == 1) {
            q.sql().add("SELECT * FROM KAKOSIWAKE1_VIEW WHERE REC=:REC");
        } else if (KakoSource == 2) {
            q.sql().add("SELECT * FROM KAKOSIWAKE2_VIEW WHERE REC=:REC");
        } else if (throughView) {
            q.sql().add("SELECT * FROM SIWAKE_VIEW WHERE REC=:REC");
        } else {
            q.sql().add("SELECT S.REC,S.SWKREC,S.SWKNO,S.DELFLG,S.TAISHAKU,S.HIZUKE,S.MNUM,S.KESSAN,S.DNUM,S.SNUM,"
                        "S.SDAYNUM,S.MDAYNUM,S.SCODE,S.SITREC,");
            q.sql().add("S.KGROUP,S.KCODE,K1.USERCODE,S.HCODE,S.BCODE,S.KNAME,S.HNAME,S.BNAME,S.TAXCODE,S.TAXUH,"
                        "S.TAXDC,S.NUK,S.ZEI,S.RIT,S.SIKIN,");
            q.sql().add("S.R_KGROUP,S.R_KCODE,K2.USERCODE AS R_USERCODE,S.R_HCODE,S.R_BCODE,S.R_KNAME,S.R_HNAME,"
                        "S.R_BNAME,S.R_TAXCODE,S.R_TAXUH,S.R_TAXDC,S.R_NUK,S.R_ZEI,S.R_RIT,S.R_SIKIN,");
            q.sql().add("S.KINGAKU,S.ZEIGAKU,S.ZEIRITUNO,S.AUTCALCU,S.TAXCALCU,S.OLDRATE,S.TEKCODE,S.TEKTEXT,"
                        "S.TORCODE,S.TORTEXT,S.FUSEN1,S.FUSEN2,S.FUSEN3,S.FUSEN4,S.FUSEN5,S.CTIME,S.COMMENT,"
                        "S.AO_COMMENT,");
            q.sql().add("S.LINKKEY,S.LINKKUB,S.LINKREC,S.LOCALFLG,S.RESERVE1,S.RESERVE2,S.RTIME,S.OPCODE,");
            q.sql().add("NULL AS SHONIN_HIZUKE,0 AS SHONIN_OPCODE, '' AS SHONIN_NAME");
            q.sql().add("FROM SIWAKE S");
            q.sql().add("INNER JOIN KAMOKUMST K1 ON (S.KCODE = K1.KCODE)");
            q.sql().add("INNER JOIN KAMOKUMST K2 ON (S.R_KCODE = K2.KCODE)");
            q.sql().add("WHERE S.REC=:REC");
        }
        q.paramByName("REC").setInteger(rec);
        q.open();
        if (!q.eof()) {
            const std::string pc = e.PcName;
            readEntry(q, e);
            e.PcName = pc;
        }
        q.close();
    });
}
