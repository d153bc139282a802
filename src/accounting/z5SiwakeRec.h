#pragma once
// A journal entry (仕訳) in memory and its consumption-tax completion.
//
// The company database keeps an entry as lines of the table SIWAKE; the
// writer (z5SiwakeIO) reads and writes it as one TSWKREC through the line
// with TAISHAKU 1: the debit side in the unprefixed columns, the credit side
// in the R_ columns. Account codes in a side are user codes; the database
// procedures translate them.

#include "core/uAccRecord.h"

#include <cstdint>
#include <string>

// One side of an entry.
struct TSwkBalance {
    std::string KGROUP; // the account's GROUPM1
    std::string KCODE; // user code of the account
    std::string HCODE; // sub-account, " " for none
    std::string BCODE; // department, " " for none
    std::string KNAME;
    std::string HNAME;
    std::string BNAME;
    std::int32_t TAXCODE = 0;
    std::int32_t TAXUH = 0; // 1 sales tax, 2 purchase tax, 0 none
    std::int32_t TAXDC = 0; // normal side of the tax code: 1 debit, 3 credit
    Currency NUK = 0; // amount excluding tax
    Currency ZEI = 0; // tax
    Currency RIT = 0; // rate in percent, 0 without tax
    std::int32_t SIKIN = 0; // cash-flow item
    std::int32_t SideRateNo = 0; // rate number of this side (not stored)
};

struct TSWKREC {
    std::string PcName; // computer of the last write (not stored)
    std::int32_t REC = 0;
    std::int32_t SITREC = 0;
    std::int32_t SWKREC = 0;
    std::int32_t SWKNO = 0;
    std::int32_t DELFLG = 0;
    std::int32_t TAISHAKU = 1;
    TDateTime HIZUKE = 0;
    std::int32_t MNUM = 0;
    std::int32_t KESSAN = 0;
    std::int32_t SDAYNUM = 0;
    std::int32_t MDAYNUM = 0;
    std::int32_t DNUM = 0;
    std::int32_t SNUM = 0; // individual-cost number
    std::string SCODE; // branch or facility
    TSwkBalance Debit;
    TSwkBalance Credit;
    Currency KINGAKU = 0;
    Currency ZEIGAKU = 0;
    std::int32_t ZEIRITUNO = 0;
    std::int32_t AUTCALCU = 0; // 0 tax as entered, otherwise computed
    std::int32_t TAXCALCU = 0; // 0 included, 1 added, otherwise none
    std::int32_t OLDRATE = 0; // rate number of the entry
    std::int32_t TEKCODE = 0;
    std::string TEKTEXT;
    std::int32_t TORCODE = 0;
    std::string TORTEXT;
    std::int32_t FUSEN1 = 0;
    std::int32_t FUSEN2 = 0;
    std::int32_t FUSEN3 = 0;
    std::int32_t FUSEN4 = 0;
    std::int32_t FUSEN5 = 0;
    TDateTime CTIME = 0; // audit check time; above 0 when audited
    std::string COMMENT;
    std::string AO_COMMENT;
    std::string LINKKEY;
    std::int32_t LINKKUB = 0;
    std::int32_t LINKREC = 0;
    std::int32_t LOCALFLG = 0;
    std::int32_t RESERVE1 = 0;
    std::int32_t RESERVE2 = 0;
    TDateTime RTIME = 0;
    std::int32_t OPCODE = 0;
    TDateTime SHONIN_HIZUKE = 0; // approval date; above 0 when approved
    std::int32_t SHONIN_OPCODE = 0;
    std::string SHONIN_NAME;
};

// Which side CalcSiwakeTax completes.
enum class TSwkSide { Debit, Credit };

// Completes one side (TAXUH, TAXDC, NUK, ZEI, RIT) from the entry's amount,
// tax settings and rate. Shows "仕訳の消費税額が計算できません。" and answers
// false when the computation fails.
bool CalcSiwakeTax(TSWKREC& entry, TSwkSide side);

// Completes both sides, the entry's rate number and its tax amount: a
// specified-purchase code on either side means no tax, fractions of a yen
// are dropped, and with tax added the side without tax carries the amount
// including tax. False when a side cannot be computed (the entry may then
// be partly completed).
bool CalcSiwakeTaxAll(TSWKREC& entry);
