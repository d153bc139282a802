#pragma once
// The rules of the data-selection screen that need no window: its start
// parameters, the list filter, the function-key rule and the checks of a
// chosen data folder. The screen (TDataSentakuBox) applies them to its
// widgets; tests drive them from tables.

#include "dataselect/z5ComDataSentaku.h"
#include "dataselect/z5DataListKensaku.h"

#include <array>
#include <cstdint>
#include <string>

// --- Start parameters -------------------------------------------------------------

struct TDataSentakuParams {
    std::uint8_t SyoriType = 0; // 0..5
    std::int32_t FormStyle = 0; // 0 child, 1 frame, 2 normal, other stay on top
    bool JyokenSet = false; // the parameter condition is the list filter
    TDataKensakuRec Condition; // the parameter condition
    bool ManualFree = false;
    std::int32_t OnlySAMode = 0; // type 5: 0 Backup, 1 Restore
    std::string OnlySABackupPath;
};

// Reads "name=value" lines (CR, LF or CR LF). SyoriType above 5 throws
// std::invalid_argument("処理タイプに範囲外の値が設定されました。"). The
// condition starts as `initial` (the cleared condition of the operator).
void ParseDataSentakuParams(const std::string& lines, const TDataKensakuRec& initial, TDataSentakuParams& params);

// --- The list filter ----------------------------------------------------------------

// True when the row passes every test of the filter (kind, name, person in
// charge, version, code).
bool RowPassesFilter(const TDataKensakuRec& filter, const TDataListRec& row);
// Sort key of the registry for a screen sort column.
std::uint8_t SortKindOfColumn(std::int32_t column);

// --- Function keys ------------------------------------------------------------------

namespace fkey {
enum : int { ESC = 0, F1, F2, F3, F4, F5, F6, F7, F8, F12, Count };
}

struct TFunctionKeyInput {
    std::uint8_t ConnectKind = 0;
    std::uint8_t SyoriType = 0;
    std::uint8_t ProgramKind = 0; // AppKind
    bool CloudShareEnabled = false; // cloud share is offered by this program
    bool GridActive = false; // the grid is the active control
    const TDataListRec* Row = nullptr; // the current row, none when null
    std::uint8_t ParentGassan = 0; // for a child row: its parent's GASSAN
    bool CopyPending = false;
    bool AutoShareVisible = true;
    bool AutoShareOn = false;
    bool GridEnabled = true; // grid and bottom panel enabled
};

struct TFunctionKeyState {
    std::array<std::string, fkey::Count> Captions;
    std::int32_t KeyState = 0; // 0 none, 1 a row, 2 paste
    bool PasteHint = false;
    bool KyoyuDownEnabled = false;
    bool KyoyuUpEnabled = false;
    bool CloudEnabled = false;
    bool SharedControlsHidden = false; // shared buttons and automatic box
    bool SearchButtonsHidden = false; // search, search-cancel and cloud
    bool SearchEnabled = true; // false: both search buttons disabled

    // A key whose caption is only its label has no function.
    bool IsBlank(int key) const;
};

TFunctionKeyState UpdateFunctionKeys(const TFunctionKeyInput& in);

// --- Checking a chosen folder -------------------------------------------------------

class TDataFolderCheck {
public:
    std::uint8_t ConnectKind = 0;
    std::uint8_t SyoriType = 0;

    // The data status of the folder, or (no database file) 0 with the
    // missing-data warning when showMissing, else 1. A status that may not
    // be chosen is shown in the status box when showBusy.
    std::int32_t CheckFolderStatus(const std::string& folder, bool showMissing, bool showBusy);
    // 1 data present and accepted; 0 no data in an accepted folder; -1
    // refused; -2 an empty folder in processing type 3; -3 refused and
    // damaged. An empty folder in the other types throws
    // std::runtime_error("データフォルダパスが不正です。\r処理を中止します。").
    std::int32_t CheckDataFolder(const std::string& folder);

private:
    bool accepted(std::int32_t status) const;
    bool databaseExists(const std::string& folder) const;
};
