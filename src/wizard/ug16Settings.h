#pragma once
// The business-overview item settings kept in the wizard's settings file
// VzRendo.ini: the older form of the item-to-account assignments, the
// remembered form type of the statement and the migration mark.
//
// TSyuyouKamoku holds the main-account block, TTukibetuUriage the
// monthly-sales block. Each also carries the layout of its block (lines and
// text cells built from built-in layout texts); nothing draws the layouts
// in this program, they bind the cells to their settings keys.
//
// An assignment list is one entry per line in memory ("\r" between lines)
// and comma-separated in the file. An entry is an account code, or an
// account code, a TAB and a sub-account code.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class IniFile;
}

// Sections and keys of VzRendo.ini.
inline constexpr const char* VzRendoMigrationSection = "UG_データ移行";
inline constexpr const char* VzRendoMigrationKey = "IKOUZUMI";
inline constexpr const char* VzRendoMainSection = "UG_主要科目";
inline constexpr const char* VzRendoMonthSection = "UG_月別売上高等の状況";
inline constexpr const char* VzRendoFormSection = "UG_事業概況書の様式";
inline constexpr const char* VzRendoFormKey = "SYURUI";

// VzRendo.ini in the work folder of the system definition.
std::string VzRendoIniFile();

// The file form of an assignment list and back: commas <-> line ends.
std::string AssignmentListFromFile(std::string_view fileValue);
std::string AssignmentListToFile(std::string_view list);

// One line of a block drawing.
struct TUG_G_IMAGELINE {
    std::string Kind; // "LINE"
    std::int32_t X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
    std::int32_t Width = 0;
    std::int32_t Style = 0;
    std::int32_t Spare = 0;
};

// One text cell of a block drawing.
struct TUG_G_IMAGEITEM {
    std::string Kind; // "TEXT"
    std::int32_t X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
    std::string Caption;
    std::int32_t VX1 = 0, VX2 = 0, VY1 = 0, VY2 = 0;
    std::string Filter; // condition on GROUPM0 for an account choice
    std::int32_t ItemKind = 0; // 0 fixed text, 1 assignable, 9 computed total
    std::string Key; // settings key; empty when the cell has none
    std::string List; // assignment list, one entry per line
};

// The built-in layout texts (exposed for their counts and binding).
namespace ug16_layout {
const std::vector<std::string>& MainLines(); // 46
const std::vector<std::string>& MainHeadings(); // 4
const std::vector<std::string>& MainItems(int dataType); // 35 for data types 1 and 3, else none
const std::vector<std::string>& MonthLines(); // 14
const std::vector<std::string>& MonthCells(int formType); // 11: 0 old form, otherwise new
const std::vector<std::string>& MonthMedicalCells(int formType); // 11, filters only
// Settings key of monthly cell i for a form (empty: no key).
std::string MonthCellKey(int formType, int cell);
} // namespace ug16_layout

class TSyuyouKamoku {
public:
    TSyuyouKamoku() = default;

    // Rebuilds the lines, headings and items for a data type; only data
    // types 1 and 3 have items (bound to the first 35 main keys).
    void LoadLayout(int dataType);
    // Migration flag := IKOUZUMI (0 when missing); each keyed item's list
    // := its key in the main section (empty when missing).
    void ReadSettings(const platform::IniFile& ini);
    // Writes IKOUZUMI and every keyed item's list (empty ones too). Throws
    // platform::IniError when the file cannot be written.
    void WriteSettings(platform::IniFile& ini) const;

    std::int32_t Migrated = 0;
    std::int32_t RowHeight = 20;
    std::vector<TUG_G_IMAGELINE> Lines;
    std::vector<TUG_G_IMAGEITEM> Headings;
    std::vector<TUG_G_IMAGEITEM> Items;
};

class TTukibetuUriage {
public:
    // Form type 1; layout from the old-form cells with the new-form binding
    // until LoadLayout replaces it.
    TTukibetuUriage();

    void LoadLayout(int dataType);
    // Form type := SYURUI, 1 when missing or not a number.
    void ReadFormType(const platform::IniFile& ini);
    void ReadSettings(const platform::IniFile& ini);
    // Writes SYURUI and every keyed cell's list. Throws platform::IniError.
    void WriteSettings(platform::IniFile& ini) const;

    std::int32_t FormType = 1; // 0 old form, 1 new form
    std::vector<TUG_G_IMAGELINE> Lines;
    std::vector<TUG_G_IMAGEITEM> Items;
};
