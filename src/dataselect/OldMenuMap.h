#pragma once
// The host menu's former layout (page and menu numbers per operator level)
// and the lookup that turns an old page and menu into the process ID and
// option line of the same entry; the system-database conversion of the
// menu control uses it.

#include <cstdint>
#include <string>
#include <vector>

namespace dataselect {

struct TMenuListRec {
    std::string ProcID;
    std::int32_t Page = 0;
    std::int32_t Menu = 0;
    std::int32_t Reserved1 = 0;
    std::int32_t Flag = 0;
    std::int32_t ItemNo = -1;
    std::string Caption;
    std::string Text2;
    std::string Params; // name=value lines
    std::uint8_t Reserved2 = 0;
};

// The standard table (200 slots, pages 1-10) and the table for level
// numbers above 1000 (240 slots, pages 1-12); slot (page-1)*20+menu holds
// that page and menu.
const std::vector<TMenuListRec>& StandardMenuTable();
const std::vector<TMenuListRec>& UpperLevelMenuTable();

// ProcID and Option (the entry's whole "SyoriType=..." line, or empty) of
// an old menu entry; empty texts for an empty slot or a key outside the
// tables. Answers ProcID. The distribution editions 1 and 2 have four more
// entries on page 1 of the standard table (menus 15, 17, 18, 19).
std::string GetOldMenuProcInfo(
    std::int32_t level, std::int32_t page, std::int32_t menu, std::string& procId, std::string& option);

} // namespace dataselect
