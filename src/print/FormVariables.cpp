#include "print/FormVariables.h"

#include "print/EngineLog.h"

#include "platform/plain_text.h"

#include <filesystem>

namespace print {

using platform::text::upperAscii;

void VariableTables::clear()
{
    for (auto& slot : vars_)
        slot.fill(TDataField {});
    for (auto& slot : totals_)
        slot.fill(TTotalField {});
    for (auto& slot : outputs_)
        slot.fill(TDataField {});
    counts_.fill(0);
    totalCounts_.fill(0);
    v_ = 0;
}

void VariableTables::load(const std::string& formFile, int dx, int dy, EngineLog& log)
{
    clear();
    std::error_code ec;
    if (formFile.empty() || !std::filesystem::exists(formFile, ec))
        return;
    try {
        int slot = 0;
        for (std::string line : readLines(formFile)) {
            if (line.empty() || line.back() != ';')
                line += ";0;";
            const Record r(line);
            if (r.kind() == RecordKind::PageEnd) {
                ++slot;
                ++v_;
                if (slot >= kSlots)
                    break;
            } else if (r.kind() == RecordKind::VarDef && counts_[slot] < kMaxPerSlot) {
                const std::string name = upperAscii(r.field(3));
                int entry = 0;
                if (name != "0" && name != "行間")
                    entry = ++counts_[slot];
                TDataField& f = vars_[slot][entry];
                f = TDataField {};
                f.name = name;
                f.x = r.number(1) + dx;
                f.y = r.number(2) + dy;
                f.fontName = r.field(4);
                f.fontSize = r.number(5);
                if (f.fontSize == 0)
                    f.fontSize = 12;
                f.style = upperAscii(r.field(6));
                f.colour = r.field(7);
                f.background = r.field(8);
                f.alignment = r.field(9);
                f.width = r.number(10);
                f.once = r.number(11);
                f.vcentre = r.number(12);
            } else if (r.kind() == RecordKind::TotalDef && totalCounts_[slot] < kMaxPerSlot) {
                const std::string name = upperAscii(r.field(3));
                if (name.empty())
                    continue;
                int found = -1;
                for (int i = 0; i < totalCounts_[slot] && found < 0; ++i) {
                    if (totals_[slot][i].name == name)
                        found = i;
                }
                if (found < 0) {
                    TTotalField& t = totals_[slot][totalCounts_[slot]++];
                    t.name = name;
                    t.x = r.number(1) + dx;
                    t.y = r.number(2) + dy;
                    continue;
                }
                totals_[slot][found].used = true;
                for (int n = 0; n < 10; ++n) {
                    TDataField& o = outputs_[slot][n];
                    if (!o.name.empty())
                        continue;
                    o.name = name;
                    o.x = r.number(1) + dx;
                    o.y = r.number(2) + dy;
                    o.fontName = r.field(4);
                    o.fontSize = r.number(5);
                    o.style = upperAscii(r.field(6));
                    o.colour = r.field(7);
                    o.background = r.field(8);
                    o.alignment = r.field(9);
                    o.width = r.number(10);
                    break;
                }
            }
        }
    } catch (const std::exception& e) {
        log.write("ImageOut.HensuuYomikomi", e.what());
        throw;
    }
}

int VariableTables::lookup(int slot, const std::string& name) const
{
    if (slot < 0 || slot >= kSlots)
        return 0;
    const std::string up = upperAscii(name);
    for (int i = 1; i <= counts_[slot]; ++i) {
        if (vars_[slot][i].name == up)
            return i;
    }
    return 0;
}

std::optional<int> VariableTables::slotForSheet(int sheet) const
{
    const int slot = ((sheet - 1) % (v_ + 1) + (v_ + 1)) % (v_ + 1);
    if (slot >= kSlots)
        return std::nullopt;
    return slot;
}

} // namespace print
