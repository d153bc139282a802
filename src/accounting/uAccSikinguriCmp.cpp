#include "accounting/uAccSikinguriCmp.h"
#include "core/ProcessState.h"

#include <array>

std::vector<TSikinguriRec> SikinguriTable;

namespace {

struct BuiltInItem {
    const char* code;
    const char* name;
    const char* section;
};

constexpr const char* kOrdinary = "（経常収支）";
constexpr const char* kCapital = "（設備等収支）";
constexpr const char* kFinancing = "（財務収支）";

constexpr std::array<BuiltInItem, 39> kGeneralItems {{
    {"0", "－", ""},
    {"11", "現金売上", ""},
    {"12", "売掛金回収", ""},
    {"13", "受取手形期日落", ""},
    {"14", "未収入金", ""},
    {"15", "前受金", ""},
    {"16", "受取利息・配当金", ""},
    {"17", "その他営業外収入", ""},
    {"18", "その他の収入", kOrdinary},
    {"19", "現金仕入", ""},
    {"20", "買掛金支払", ""},
    {"21", "支払手形決済", ""},
    {"22", "未払金・未払費用", ""},
    {"23", "前渡金", ""},
    {"24", "材料費", ""},
    {"25", "製造経費", ""},
    {"26", "人件費", ""},
    {"27", "販売費・一般管理費", ""},
    {"28", "支払利息割引料", ""},
    {"29", "その他営業外支出", ""},
    {"30", "その他の支出", kOrdinary},
    {"31", "固定資産売却", ""},
    {"32", "その他の収入", kCapital},
    {"33", "固定資産購入", ""},
    {"34", "投資等支出", ""},
    {"35", "法人税等", ""},
    {"36", "その他の支出", kCapital},
    {"37", "手形割引", ""},
    {"38", "短期借入金", ""},
    {"39", "長期借入金", ""},
    {"40", "定期性預金取崩", ""},
    {"41", "貸付金等回収", ""},
    {"42", "その他の収入", kFinancing},
    {"43", "短期借入金返済", ""},
    {"44", "長期借入金返済", ""},
    {"45", "定期性預金預入", ""},
    {"46", "貸付金等", ""},
    {"47", "その他の支出", kFinancing},
    {"99", "流動性現預金", ""},
}};

constexpr std::array<BuiltInItem, 38> kMedicalItems {{
    {"0", "－", ""},
    {"11", "窓口収入", ""},
    {"12", "医業未収金回収", ""},
    {"13", "未収金", ""},
    {"14", "前受金", ""},
    {"15", "受取利息・配当金", ""},
    {"16", "その他医業外収入", ""},
    {"17", "その他の収入", kOrdinary},
    {"18", "給与費", ""},
    {"19", "材料費", ""},
    {"20", "委託費", ""},
    {"21", "設備関係費", ""},
    {"22", "研究研修費", ""},
    {"23", "経費", ""},
    {"24", "買掛金支払", ""},
    {"25", "支払手形決済", ""},
    {"26", "未払金・未払費用", ""},
    {"27", "前渡金", ""},
    {"28", "支払利息割引料", ""},
    {"29", "その他医業外支出", ""},
    {"30", "その他の支出", kOrdinary},
    {"31", "固定資産売却", ""},
    {"32", "その他の収入", kCapital},
    {"33", "固定資産購入", ""},
    {"34", "投資等支出", ""},
    {"35", "その他の支出", kCapital},
    {"36", "短期借入金", ""},
    {"37", "長期借入金", ""},
    {"38", "定期性預金取崩", ""},
    {"39", "貸付金等回収", ""},
    {"40", "その他の収入", kFinancing},
    {"41", "短期借入金返済", ""},
    {"42", "長期借入金返済", ""},
    {"43", "定期性預金預入", ""},
    {"44", "貸付金等", ""},
    {"45", "法人税等", ""},
    {"46", "その他の支出", kFinancing},
    {"99", "流動性現預金", ""},
}};

template <std::size_t N> void fillFrom(const std::array<BuiltInItem, N>& items)
{
    SikinguriTable.clear();
    SikinguriTable.reserve(N);
    for (const BuiltInItem& item : items)
        SikinguriTable.push_back({item.code, item.name, item.section});
}

} // namespace

void InitSikinguriTable(int dataKind)
{
    if (dataKind == 1)
        fillFrom(kMedicalItems);
    else
        fillFrom(kGeneralItems);
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(SikinguriTable);
} // namespace
