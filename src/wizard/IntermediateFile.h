#pragma once
// The intermediate file's element names and text forms.
//
// The file is REPORT / SYSTEM, BASIC, DATA (see docs/intermediate-file.md).
// SYSTEM and BASIC are written by the export base (ComDataExp), DATA from
// the computed figures by WriteDataNode below. Amounts are whole yen,
// truncated toward zero, with a leading "-" when negative and no
// separators; an amount of 0 is an empty element.

#include <array>
#include <string>

#include "core/uAccRecord.h"
#include "wizard/XMLSaveDoc.h"

// One main-account item: its element and the item code of the old and the
// new statement form (empty: the form has no such line and the element
// stays empty).
struct TMainItemKey {
    const char* Element;
    const char* OldCode;
    const char* NewCode;
};
inline constexpr int MainItemCount = 39;
extern const std::array<TMainItemKey, MainItemCount> MainItemKeys;

// One stem of the monthly block and the monthly item code that fills it
// (empty for the month label and the spare column).
struct TMonthItemKey {
    const char* Stem;
    const char* Code;
};
inline constexpr int MonthItemCount = 10;
inline constexpr int MonthCount = 12;
extern const std::array<TMonthItemKey, MonthItemCount> MonthItemKeys;

// Whole yen of a Currency amount, truncated toward zero; "" for 0.
std::string AmountText(Currency amount);
// "yyyymmdd" of a day count (day 0 = 1899-12-30).
std::string DateText(TDateTime date);

// The figures of the DATA node, as the figures object computes them.
struct TGaikyosyoFigures {
    // Amounts of the 39 main items, in MainItemKeys order.
    std::array<Currency, MainItemCount> Main {};
    // Months 1..MonthsUsed carry a label and amounts; later months are
    // written as empty elements. 0..12.
    int MonthsUsed = 0;
    // Calendar month number (1..12) of each fiscal month.
    std::array<int, MonthCount> MonthLabel {};
    // Amounts of stems 1..8 of MonthItemKeys per fiscal month (index 0 is
    // stem 1); stem 9 (YOBI2) is always empty.
    std::array<std::array<Currency, 8>, MonthCount> Month {};
};

// Element name of stem s of fiscal month m (1..12): stem + "_" + two digits.
std::string MonthElementName(int stemIndex, int month);

// Adds DATA with SYUYOUKAMOKU and TUKIBETUURIAGEDAKA under the document
// element.
void WriteDataNode(TXmlSaveDoc& doc, const TGaikyosyoFigures& figures);
