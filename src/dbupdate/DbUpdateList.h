#pragma once
// The schema update steps the program knows and the comparison that tells
// whether a database needs them. TDbUpdateList is the state the update
// dialog works on: the two ordered step lists (system database, company
// database), the current database version and the pending tail of the
// list. The data-selection screen uses it alone, with a version text from
// the data list, to mark data sets that need an update.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TDbVersion {
    std::int32_t Major = 0;
    std::int32_t Minor1 = 0;
    std::int32_t Minor2 = 0;
    auto operator<=>(const TDbVersion&) const = default;
    std::string Text() const; // "%d.%d.%d"
};

struct TDbUpdateListRec {
    std::int32_t Major = 0;
    std::int32_t Minor1 = 0;
    std::int32_t Minor2 = 0;
    // Builds and runs the step; 1 is success. Empty until the step modules
    // of the update run are built.
    std::function<std::int32_t()> Execute;
    std::int32_t BackupWeight = 0;
    std::string Title;
    std::string Description;

    TDbVersion Version() const { return {Major, Minor1, Minor2}; }
};

using TArrayDbUpdateListRec = std::vector<TDbUpdateListRec>;

// The 18 system steps and the 59 company steps, in version order, with
// their backup weights.
const TArrayDbUpdateListRec& SystemUpdateSteps();
const TArrayDbUpdateListRec& CompanyUpdateSteps();

class TDbUpdateList {
public:
    TDbUpdateList();

    std::uint8_t Mode = 0; // 0 system database, 1 company database
    TArrayDbUpdateListRec SystemSteps;
    TArrayDbUpdateListRec CompanySteps;
    TDbVersion DbVersion;
    TDbVersion TargetVersion;
    std::int32_t FirstPending = -1;
    std::int32_t LastPending = -1;
    bool NeedsUpdate = false;
    bool Succeeded = false;
    std::int32_t BackupWeightTotal = 0;
    // True when the version could not be read from the database: nothing
    // then counts as pending, so no run starts on a database of unknown
    // version.
    bool VersionReadFailed = false;

    const TArrayDbUpdateListRec& CurrentSteps() const { return Mode == 0 ? SystemSteps : CompanySteps; }
    // The pending steps FirstPending..LastPending (empty when none).
    TArrayDbUpdateListRec PendingSteps() const;

    // Prepares for one database: with a version text the database is not
    // touched; an empty text reads the version from the connected database
    // of the mode.
    void InitUpdateList(std::uint8_t mode, std::string_view versionText);
    // The newest row of VERSION (mode 0) or ACCVERSION (mode 1) of the data
    // module's connections; failures are reported.
    void SetDbVersion();
    // Exactly three pieces at "."; a piece that is no number counts 0; any
    // other number of pieces gives 0.0.0.
    void SetDbVersionText(std::string_view text);
};

// True when the data set of a data-list version needs an update step.
bool CompanyDataNeedsUpdate(std::string_view versionText);
