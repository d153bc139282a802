#pragma once
// The business-overview figures: the 39 main-account amounts and the
// monthly table of the statement, summed from the trial-balance rows of the
// open company through the item-to-account assignments of the company
// table GAIKYOSYO_ITEM.
//
// The figures object works on the data module's company connection
// (statement IBQACC1 on transaction IBTransactionDAT) and on the open
// company's record (AccInf). Its construction does the one-time migration
// of the older assignments in VzRendo.ini into GAIKYOSYO_ITEM.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "wizard/ComRendo.h"
#include "wizard/IntermediateFile.h"

class TComDataExport;
class TXmlSaveDoc;

// One statement item: its settings key, the older assignment list from
// VzRendo.ini and its amounts (a main item uses [0], a monthly item [1] to
// [12] for the fiscal months).
struct TUG_G_ITEM {
    std::string Key;
    std::string List;
    std::array<Currency, 13> Amounts {};
};

// Block numbers of GAIKYOSYO_ITEM.ID.
inline constexpr int MainBlockId = 7;
inline constexpr int MonthBlockId = 17;

// Main positions that read a fixed summary row, with the SummaryRowTable
// constant of that row.
struct TFixedTotal {
    int Position;
    int Constant;
};
inline constexpr std::array<TFixedTotal, 9> FixedTotalRows = {{
    {2, 69},
    {11, 81},
    {18, 85},
    {20, 102},
    {21, 104},
    {22, 106},
    {23, 21},
    {33, 29},
    {38, 54},
}};
// Position of the closing inventory, written negated.
inline constexpr int ClosingInventoryPosition = 7;

// One assignment of GAIKYOSYO_ITEM in memory: item code = account code, a
// TAB and the sub-account code.
using TAssignmentLine = std::pair<std::string, std::string>;

class TGaikyousyoDataMake : public TVarovDataLoad {
public:
    // Reads the settings file and, when its migration mark is not set,
    // migrates (see MigrateSettings) and writes the mark once that has
    // been done; a migration that failed or was not possible here is tried
    // again next time.
    explicit TGaikyousyoDataMake(std::string iniFile);

    // --- settings -------------------------------------------------------
    void ReadIniSettings();
    void MarkMigrated();
    // Moves the assignments of the settings file into GAIKYOSYO_ITEM
    // (FORMVER 1). Nothing is written when every list is blank, nor into a
    // company that already has rows of FORMVER 1 (the accounting product
    // maintains them; they are never replaced). The two keys that share
    // item 100 and the two that share 160 are saved together. Items whose
    // rows cannot be saved are listed in FailedItems and reported in one
    // message. A database error propagates. True when the migration is
    // done (also: nothing to move); false when the company's rows kept it
    // from running.
    bool MigrateSettings();
    // The accounts in use for item "010" (sales) or "210" (cash and
    // deposits), one code per entry; any other code gives none.
    std::vector<std::string> DefaultAccountList(const std::string& itemCode);
    // Reads the FORMVER rows into MainAssignments (ID 7) and
    // MonthAssignments (ID 17). A database error is shown and propagates.
    void LoadItemAccounts();
    // Replaces the rows of one item by the lines named itemCode; true when
    // saved. A failure rolls back (and is remembered in LastSaveError).
    bool SaveItemAccounts(int blockId, const std::string& itemCode, const std::vector<TAssignmentLine>& lines);

    // --- figures --------------------------------------------------------
    // Block -1: every main item, then monthly items 0..7; 7: main item
    // index; 17: monthly item index.
    void Aggregate(int block, int index);
    std::string GetItemCode(int index) const;
    static std::string GetMonthItemCode(int index);
    // 1 when the open company's fiscal year ends on or after 2018-04-01.
    static std::int32_t IsNewForm();

    // Reads the assignments, sums every item and fills Figures.
    const TGaikyosyoFigures& ComputeValues();
    // ComputeValues, then adds the DATA node; returns the status (1).
    std::int32_t MakeDataNode(TXmlSaveDoc& doc);

    // Value texts as the file holds them.
    std::string MainValueText(int index) const;
    std::string MonthValueText(int month, int stem) const;

    std::string IniFile;
    std::vector<TUG_G_ITEM> MainItems; // 39, MainItemKeys order
    std::vector<TUG_G_ITEM> MonthItems; // 10, MonthItemKeys order
    std::int32_t Migrated = 0;
    std::int32_t FormVer = 1;
    std::vector<TAssignmentLine> MainAssignments;
    std::vector<TAssignmentLine> MonthAssignments;
    std::int32_t NewForm = 0;
    TGaikyosyoFigures Figures;
    std::vector<std::string> FailedItems; // "ID-ITEMNO" of items the migration could not save
    std::string LastSaveError;

private:
    // The first account row of that code in display order (free entries
    // skipped); nullptr when the account is not among the rows.
    const TBALANCE* findAccountRow(const std::string& accountCode) const;
    // Calls visit(sign, row, sub) for every assignment of code that names an
    // account among the rows (sub nullptr: the account itself, else the
    // sub-account entry), with the account's adding sign (never 0).
    template <class Visit>
    void forEachAssigned(const std::vector<TAssignmentLine>& assignments, const std::string& code, Visit visit) const;
    void sumMain(int index);
    void sumMonth(int index);
};

// The figures of the DATA node for the export object's choices: creates the
// figures object (settings work of the construction included), copies the
// period, tax mode and data type, loads the balances and sums the items.
// A failure of the load raises EDataExportError "科目の集計処理に失敗しました。"
// with code 1; failures of the settings work pass unchanged.
TGaikyosyoFigures MakeGaikyosyoFigures(const TComDataExport& exporter, const std::string& iniFile);
TGaikyosyoFigures MakeGaikyosyoFigures(const TComDataExport& exporter);
