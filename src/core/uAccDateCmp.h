#pragma once
// Accounting-calendar arithmetic: how a date falls into an accounting month
// under the company's closing day, how accounting months map to the sixteen
// period numbers of a fiscal year (4, 8, 12 and 16 are the adjustment
// periods after each quarter, 16 the year-end closing), and month and day
// arithmetic with day clamping. Pure functions.
//
// Closing day: 1..28 ends an accounting month on that day of the calendar
// month (a later date belongs to the next accounting month), 99 the calendar
// month end; any other value takes dates as they are.

#include "core/uAccRecord.h"

// Month index 0..11 -> period number (1-3, 5-7, 9-11, 13-15); else -1.
int MonthIndexToKikan(int monthIndex);
// Fiscal month number 1..12 -> period index (0-2, 4-6, 8-10, 12-14); else 0.
int MonthNoToKikanIndex(int monthNo);

// date + days, time of day kept.
TDateTime AddDay(int days, TDateTime date);
// The same day n months later, lowered to the month's length; no time of
// day. Throws EConvertError outside the years 1..9999.
TDateTime AddMonth(int months, TDateTime date);
// The closing date n months after the accounting month date falls in; the
// date itself (with its time of day) when closingDay is not a closing day.
TDateTime GetSimebiDate(int months, int closingDay, TDateTime date);
int GetDayOfDate(TDateTime date);
// Accounting months from fromDate to toDate (negative when toDate lies in an
// earlier accounting month).
int KikanMonthCount(int closingDay, TDateTime fromDate, TDateTime toDate);
// Period number 1..16 of date within the fiscal year, or -1. closingEntry 1
// puts the third month of a quarter into the quarter's adjustment period and
// the fiscal end date into 16; any other flag counts as 0.
int GetKikanNo(int closingDay, int closingEntry, TDateTime kishu, TDateTime kimatu, TDateTime date);
// First period of a (short) year running from fromDate to toDate: 1, 2, 3,
// 5, 6, 7, 8, 10, 11, 12, 14, 15, 16 for 0..12 months; else -1.
int DateToKikan(int closingDay, TDateTime fromDate, TDateTime toDate);
