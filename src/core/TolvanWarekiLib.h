#pragma once
// The Japanese era table and the conversion of a date into era form.
//
// GengoTable (newest era first) is loaded from the system database's GENGO
// table by the settings loader and falls back to the built-in table here.

#include "core/uAccRecord.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TGengoRec {
    std::string Name; // 令和
    std::string Letter; // R
    TDateTime StartDate = 0;
    int StartYear = 0; // first Gregorian year of the era
};
using TGengoArray = std::vector<TGengoRec>;

struct TGengo2Rec {
    const char* Name;
    const char* Letter;
    const char* StartDate; // yyyy/mm/dd
    int StartYear;
};

struct TWarekiRec {
    std::string Name;
    std::string Letter;
    std::uint16_t Year = 0; // year within the era (16-bit, wraps below 1)
    std::uint16_t Month = 0;
    std::uint16_t Day = 0;
};

// The built-in eras, newest first.
extern const std::array<TGengo2Rec, 5> GengoTable2;

extern TGengoArray GengoTable;

// GengoTable := the built-in eras.
void InitGengoTable();

// The era of date d. A date on or before 1899-12-30, or a table without
// eras, gives an empty era and the Gregorian year.
TWarekiRec& DateToWareki(TDateTime d, TWarekiRec& rec);
TWarekiRec DateToWareki(TDateTime d);
