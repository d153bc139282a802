#include "core/uAccDateCmp.h"

#include "core/DateTimeUtil.h"

#include <algorithm>

namespace {

bool isClosingDay(int c)
{
    return (c >= 1 && c <= 28) || c == 99;
}

} // namespace

int MonthIndexToKikan(int i)
{
    if (i >= 0 && i <= 2)
        return i + 1;
    if (i >= 3 && i <= 5)
        return i + 2;
    if (i >= 6 && i <= 8)
        return i + 3;
    if (i >= 9 && i <= 11)
        return i + 4;
    return -1;
}

int MonthNoToKikanIndex(int n)
{
    if (n >= 1 && n <= 3)
        return n - 1;
    if (n >= 4 && n <= 6)
        return n;
    if (n >= 7 && n <= 9)
        return n + 1;
    if (n >= 10 && n <= 12)
        return n + 2;
    return 0;
}

TDateTime AddDay(int days, TDateTime date)
{
    return date + days;
}

TDateTime AddMonth(int months, TDateTime date)
{
    const TDateParts p = DecodeDate(date);
    const long t = static_cast<long>(p.Year) * 12 + p.Month + months;
    long year = t / 12;
    long month = t % 12;
    if (month == 0) {
        month = 12;
        year -= 1;
    }
    if (year < 1 || year > 9999 || month < 1)
        throw EConvertError("AddMonth: date out of range");
    const int y = static_cast<int>(year);
    const int m = static_cast<int>(month);
    const int day = std::min<int>(p.Day, DaysInAMonth(y, m));
    return EncodeDate(y, m, day);
}

TDateTime GetSimebiDate(int months, int closingDay, TDateTime date)
{
    if (!isClosingDay(closingDay))
        return date;
    const TDateParts p = DecodeDate(date);
    if (p.Day > closingDay)
        ++months;
    const TDateParts q = DecodeDate(AddMonth(months, date));
    const int day = closingDay == 99 ? DaysInAMonth(q.Year, q.Month) : closingDay;
    return EncodeDate(q.Year, q.Month, day);
}

int GetDayOfDate(TDateTime date)
{
    return DecodeDate(date).Day;
}

int KikanMonthCount(int closingDay, TDateTime fromDate, TDateTime toDate)
{
    const TDateParts f = DecodeDate(GetSimebiDate(0, closingDay, fromDate));
    const TDateParts t = DecodeDate(GetSimebiDate(0, closingDay, toDate));
    return (t.Year - f.Year) * 12 + (t.Month - f.Month);
}

int GetKikanNo(int closingDay, int closingEntry, TDateTime kishu, TDateTime kimatu, TDateTime date)
{
    const int m = std::min(KikanMonthCount(closingDay, kishu, kimatu), KikanMonthCount(closingDay, kishu, date));
    int flag = closingEntry == 1 ? 1 : 0;
    if (flag == 1) {
        if (kimatu == date)
            return 16;
        if (m != 2 && m != 5 && m != 8 && m != 11)
            flag = 0;
    }
    if (m >= 0 && m <= 2)
        return m + 1 + flag;
    if (m >= 3 && m <= 5)
        return m + 2 + flag;
    if (m >= 6 && m <= 8)
        return m + 3 + flag;
    if (m >= 9 && m <= 11)
        return m + 4 + flag;
    return -1;
}

int DateToKikan(int closingDay, TDateTime fromDate, TDateTime toDate)
{
    const int m = KikanMonthCount(closingDay, fromDate, toDate);
    if (m >= 0 && m <= 2)
        return m + 1;
    if (m >= 3 && m <= 6)
        return m + 2;
    if (m >= 7 && m <= 9)
        return m + 3;
    if (m >= 10 && m <= 12)
        return m + 4;
    return -1;
}
