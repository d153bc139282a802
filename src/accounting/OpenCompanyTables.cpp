#include "accounting/OpenCompanyTables.h"

#include "accounting/uAccSikinguriCmp.h"
#include "accounting/uAccSisanhyou.h"
#include "accounting/uAccTaxCmp.h"
#include "core/DataModuleAccInfo.h"

void InstallOpenCompanyTables()
{
    core::TOpenCompanyTables tables;
    tables.layout = [](int dataKind) {
        InitGroupTable(dataKind);
        InitSikinguriTable(dataKind);
    };
    tables.taxRates = [](TDateTime date) { InitZeiRituTable(date); };
    core::SetOpenCompanyTables(std::move(tables));
}
