#pragma once
// A journal writer on the sample general company: the company opened as the
// program opens it (open-company record, tax tables), an operator, and a
// writer on a no-wait transaction of the company connection.

#include "uAccZanCmp1_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "accounting/z5SiwakeIO.h"
#include "core/DataModuleAccInfo.h"
#include "core/DateTimeUtil.h"

#include <gtest/gtest.h>

namespace siwake_fixture {

inline constexpr int kOperator = 100000010;

// Opens the company as the program does and writes through `writer`.
struct WriterCompany {
    WriterCompany()
    {
        InstallOpenCompanyTables();
        if (!core::fnGetAccInfo())
            throw std::runtime_error("the sample company did not open");
        SysDef.OpCode = kOperator;
        SysDef.PCName = "PC-TEST";
        tx.setDefaultDatabase(&company.dm->IBDatabaseDAT);
        for (const char* word : {"read_committed", "rec_version", "nowait"})
            tx.addParam(word);
        writer.SetTransaction(&tx);
    }

    // A sale of `yen` on 2024-05-10 at 8 %: 売掛金 (sub-account 01) to 売上高
    // (department 01), tax included, not yet stored.
    TSWKREC sale(long long yen)
    {
        TSWKREC e;
        writer.InitSiwakeRec(e, 0, EncodeDate(2024, 5, 10));
        e.MNUM = 2;
        e.SCODE = "01";
        e.Debit.KCODE = "211";
        e.Debit.HCODE = "01";
        e.Debit.BCODE = " ";
        e.Credit.KCODE = "811";
        e.Credit.HCODE = " ";
        e.Credit.BCODE = "01";
        e.Credit.TAXCODE = 110;
        e.KINGAKU = tb_fixture::yen(yen);
        e.AUTCALCU = 1;
        e.TEKTEXT = "売上 ㈱髙橋商店 ①";
        return e;
    }

    tb_fixture::Company company;
    platform::firebird::Transaction tx;
    TSiwakeWrite writer;
};

} // namespace siwake_fixture
