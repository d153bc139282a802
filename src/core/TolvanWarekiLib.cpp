#include "core/TolvanWarekiLib.h"
#include "core/ProcessState.h"

#include "core/DateTimeUtil.h"

const std::array<TGengo2Rec, 5> GengoTable2 {{
    {"令和", "R", "2019/05/01", 2019},
    {"平成", "H", "1989/01/08", 1989},
    {"昭和", "S", "1926/12/25", 1926},
    {"大正", "T", "1912/07/30", 1912},
    {"明治", "M", "1868/09/08", 1868},
}};

TGengoArray GengoTable;

void InitGengoTable()
{
    TGengoArray table;
    table.reserve(GengoTable2.size());
    for (const TGengo2Rec& row : GengoTable2) {
        TGengoRec rec;
        rec.Name = row.Name;
        rec.Letter = row.Letter;
        rec.StartDate = StrToDateTime(row.StartDate);
        rec.StartYear = DecodeDate(rec.StartDate).Year;
        table.push_back(std::move(rec));
    }
    GengoTable = std::move(table);
}

TWarekiRec& DateToWareki(TDateTime d, TWarekiRec& rec)
{
    rec = TWarekiRec {};
    const TDateParts p = DecodeDate(d);
    if (d > 0) {
        for (const TGengoRec& row : GengoTable) {
            if (row.Name.empty())
                break;
            rec.Name = row.Name;
            rec.Letter = row.Letter;
            rec.Year = static_cast<std::uint16_t>(p.Year - (row.StartYear - 1));
            if (d >= row.StartDate)
                break;
        }
    }
    if (rec.Name.empty())
        rec.Year = p.Year;
    rec.Month = p.Month;
    rec.Day = p.Day;
    return rec;
}

TWarekiRec DateToWareki(TDateTime d)
{
    TWarekiRec rec;
    DateToWareki(d, rec);
    return rec;
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(GengoTable);
} // namespace
