#pragma once
// Variables of form files: named positions ("&" records) at which a data
// file prints values with "@" records, one slot per form page (five at
// most), entry 0 of a slot the line-pitch variable; and the totals ("$"),
// which are loaded but printed by nothing.

#include "print/PrintData.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace print {

class EngineLog;

struct TDataField {
    int use = 0;
    std::string name;
    int x = 0, y = 0;
    std::string fontName = "ＭＳ 明朝";
    int fontSize = 10;
    std::string style;
    std::string colour; // colour field as written
    std::string background; // background field as written
    std::string alignment; // alignment field as written
    int width = 0; // equal-spacing width; the row pitch for entry 0
    int once = 0;
    int vcentre = 0;
};

struct TTotalField {
    std::string name;
    int x = 0, y = 0;
    std::int64_t sum = 0;
    bool used = false;
};

class VariableTables {
public:
    static constexpr int kSlots = 5;
    static constexpr int kEntries = 202;
    static constexpr int kMaxPerSlot = 200;
    static constexpr int kOutputs = 12;

    // HensuuYomikomi: replaces every table from a form file, positions
    // shifted by (dx, dy). A missing file leaves the tables empty. Read
    // errors are logged as "ImageOut.HensuuYomikomi" and raised again.
    void load(const std::string& formFile, int dx, int dy, EngineLog& log);
    void clear();

    // Entry of a name in a slot (1.. the number loaded; the first definition
    // wins), 0 when not found. Every loaded entry is searched.
    int lookup(int slot, const std::string& name) const;
    // The slot of sheet k, (k-1) mod (V+1); nullopt for sheets whose form page
    // lies beyond the five loaded slots (they get no variables).
    std::optional<int> slotForSheet(int sheet) const;

    const TDataField& field(int slot, int entry) const { return vars_[slot][entry]; }
    int count(int slot) const { return counts_[slot]; }
    int pageEnds() const { return v_; }
    const TTotalField& total(int slot, int entry) const { return totals_[slot][entry]; }
    int totalCount(int slot) const { return totalCounts_[slot]; }
    const TDataField& output(int slot, int n) const { return outputs_[slot][n]; }

private:
    std::array<std::array<TDataField, kEntries>, kSlots> vars_ {};
    std::array<int, kSlots> counts_ {};
    std::array<std::array<TTotalField, kEntries>, kSlots> totals_ {};
    std::array<int, kSlots> totalCounts_ {};
    std::array<std::array<TDataField, kOutputs>, kSlots> outputs_ {};
    int v_ = 0;
};

} // namespace print
