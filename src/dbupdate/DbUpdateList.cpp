#include "dbupdate/DbUpdateList.h"
#include "core/DbOperation.h"

#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/z5StringList2.h"
#include "platform/plain_text.h"

using namespace core;
namespace fb = platform::firebird;

namespace {

struct StepVersion {
    std::int32_t major, minor1, minor2, weight;
};

TArrayDbUpdateListRec makeList(std::initializer_list<StepVersion> steps)
{
    TArrayDbUpdateListRec list;
    for (const auto& s : steps) {
        TDbUpdateListRec rec;
        rec.Major = s.major;
        rec.Minor1 = s.minor1;
        rec.Minor2 = s.minor2;
        rec.BackupWeight = s.weight;
        list.push_back(std::move(rec));
    }
    return list;
}

} // namespace

std::string TDbVersion::Text() const
{
    return std::to_string(Major) + "." + std::to_string(Minor1) + "." + std::to_string(Minor2);
}

const TArrayDbUpdateListRec& SystemUpdateSteps()
{
    static const TArrayDbUpdateListRec steps = makeList({
        {0, 3, 1, 1},
        {0, 3, 2, 0},
        {0, 3, 3, 0},
        {1, 0, 1, 0},
        {3, 0, 0, 0},
        {3, 0, 5, 0},
        {3, 0, 7, 0},
        {4, 0, 0, 1},
        {4, 0, 2, 1},
        {5, 0, 0, 1},
        {7, 0, 0, 0},
        {7, 0, 4, 0},
        {8, 0, 0, 1},
        {8, 0, 2, 1},
        {9, 0, 4, 1},
        {10, 0, 4, 1},
        {11, 0, 1, 1},
        {12, 0, 0, 1},
    });
    return steps;
}

const TArrayDbUpdateListRec& CompanyUpdateSteps()
{
    static const TArrayDbUpdateListRec steps = makeList({
        {0, 1, 1, 1},
        {0, 1, 2, 1},
        {0, 1, 3, 1},
        {0, 1, 4, 1},
        {0, 1, 5, 1},
        {0, 2, 0, 0},
        {0, 2, 1, 1},
        {0, 2, 2, 1},
        {0, 3, 0, 0},
        {0, 3, 1, 1},
        {0, 3, 2, 0},
        {0, 3, 3, 1},
        {0, 3, 4, 1},
        {0, 4, 0, 0},
        {0, 4, 1, 1},
        {1, 0, 0, 1},
        {1, 0, 1, 1},
        {1, 0, 2, 1},
        {1, 0, 3, 1},
        {1, 0, 5, 1},
        {2, 0, 0, 1},
        {2, 0, 4, 1},
        {3, 0, 0, 1},
        {3, 0, 1, 1},
        {3, 0, 3, 1},
        {3, 0, 4, 1},
        {3, 0, 6, 1},
        {3, 0, 7, 1},
        {4, 0, 0, 1},
        {4, 0, 2, 1},
        {5, 0, 0, 1},
        {5, 0, 2, 1},
        {5, 0, 5, 1},
        {6, 0, 0, 1},
        {6, 1, 0, 1},
        {6, 1, 3, 1},
        {7, 0, 0, 1},
        {7, 0, 2, 1},
        {7, 0, 3, 1},
        {7, 0, 4, 1},
        {8, 0, 0, 1},
        {8, 0, 2, 1},
        {8, 0, 3, 1},
        {9, 0, 0, 1},
        {9, 0, 1, 1},
        {9, 0, 2, 1},
        {9, 0, 3, 1},
        {9, 0, 4, 1},
        {9, 0, 5, 1},
        {10, 0, 0, 1},
        {10, 0, 1, 1},
        {10, 0, 3, 1},
        {10, 0, 4, 1},
        {10, 0, 5, 1},
        {11, 0, 0, 1},
        {11, 0, 1, 1},
        {11, 1, 0, 1},
        {12, 0, 0, 1},
        {13, 0, 0, 1},
    });
    return steps;
}

TDbUpdateList::TDbUpdateList()
    : SystemSteps(SystemUpdateSteps())
    , CompanySteps(CompanyUpdateSteps())
{
}

TArrayDbUpdateListRec TDbUpdateList::PendingSteps() const
{
    if (FirstPending < 0)
        return {};
    const auto& steps = CurrentSteps();
    return TArrayDbUpdateListRec(steps.begin() + FirstPending, steps.begin() + LastPending + 1);
}

void TDbUpdateList::InitUpdateList(std::uint8_t mode, std::string_view versionText)
{
    Mode = mode;
    NeedsUpdate = false;
    Succeeded = false;
    VersionReadFailed = false;
    FirstPending = -1;
    LastPending = -1;
    TargetVersion = {};
    BackupWeightTotal = 0;
    const auto& steps = CurrentSteps();
    if (!steps.empty())
        TargetVersion = steps.back().Version();
    if (!versionText.empty())
        SetDbVersionText(versionText);
    else
        SetDbVersion();
    if (VersionReadFailed)
        return;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].Version() > DbVersion) {
            NeedsUpdate = true;
            FirstPending = static_cast<std::int32_t>(i);
            break;
        }
    }
    if (!NeedsUpdate)
        return;
    LastPending = static_cast<std::int32_t>(steps.size()) - 1;
    for (std::int32_t i = FirstPending; i <= LastPending; ++i)
        BackupWeightTotal += steps[static_cast<std::size_t>(i)].BackupWeight;
}

void TDbUpdateList::SetDbVersionText(std::string_view text)
{
    DbVersion = {};
    TMojiBunkatu pieces;
    pieces.Delimiter = '.';
    pieces.Bunkatu(text);
    if (pieces.Count != 3)
        return;
    DbVersion.Major = platform::text::toIntOr(pieces.GetMoji(0), 0);
    DbVersion.Minor1 = platform::text::toIntOr(pieces.GetMoji(1), 0);
    DbVersion.Minor2 = platform::text::toIntOr(pieces.GetMoji(2), 0);
}

void TDbUpdateList::SetDbVersion()
{
    static const char* kContext = "TDbUpdateBox.SetDbVersion";
    static const char* kMessage = "データベースバージョンの取得に失敗しました。";
    DbVersion = {};
    if (DM == nullptr) {
        VersionReadFailed = true;
        ErrorMessageEx(kMessage, std::string(kContext) + "\rno data module");
        return;
    }
    fb::Database& db = Mode == 0 ? DM->IBDatabaseDEF : DM->IBDatabaseDAT;
    fb::Transaction t(&db);
    t.addParam("read_committed");
    t.addParam("rec_version");
    t.addParam("nowait");
    // A read of its own transaction, committed also after a failure.
    if (!RunDbOperation(t, DbPolicy(kContext, kMessage).with(DbFailure::Commit), [&] {
            fb::Query q(&db, &t);
            q.sql().add(Mode == 0 ? "SELECT MAJOR,MINOR1 AS MINOR,MINOR2 AS REV FROM VERSION"
                                  : "SELECT MAJOR,MINOR1 AS MINOR,MINOR2 AS REV FROM ACCVERSION");
            q.sql().add("ORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC");
            q.open();
            if (!q.eof()) {
                DbVersion.Major = q.fieldByName("MAJOR").asInteger();
                DbVersion.Minor1 = q.fieldByName("MINOR").asInteger();
                DbVersion.Minor2 = q.fieldByName("REV").asInteger();
            }
            q.close();
        })) {
        VersionReadFailed = true;
        DbVersion = {};
    }
}

bool CompanyDataNeedsUpdate(std::string_view versionText)
{
    TDbUpdateList list;
    list.InitUpdateList(1, versionText.empty() ? std::string_view("0.0.0") : versionText);
    return list.NeedsUpdate;
}
