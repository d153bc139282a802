#include "wizard/ug16Settings.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "core/uAccRecord.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "wizard/IntermediateFile.h"

namespace {

// Built-in layout texts. A line: "LINE", side, x1, x2, y1, y2, width, style.
// A cell: "TEXT", side, caption box x1, x2, y1, y2, caption, value box x1,
// x2, y1, y2, account filter, item kind. The main block gives rows (turned
// into drawing coordinates by the row height and the side offset), the
// monthly block drawing coordinates.
const std::vector<std::string> kMainLines = {
    "LINE,LEFT,0,420,0,0,1,0",
    "LINE,LEFT,0,210,1,1,1,0",
    "LINE,LEFT,0,210,2,2,1,0",
    "LINE,LEFT,0,210,3,3,1,0",
    "LINE,LEFT,0,210,4,4,1,0",
    "LINE,LEFT,0,210,5,5,1,0",
    "LINE,LEFT,0,210,6,6,1,0",
    "LINE,LEFT,0,210,7,7,1,0",
    "LINE,LEFT,0,210,8,8,1,0",
    "LINE,LEFT,0,210,9,9,1,0",
    "LINE,LEFT,0,210,10,10,1,0",
    "LINE,LEFT,0,210,11,11,1,0",
    "LINE,LEFT,0,210,12,12,1,0",
    "LINE,LEFT,0,210,13,13,1,0",
    "LINE,LEFT,0,210,14,14,1,0",
    "LINE,LEFT,0,210,15,15,1,0",
    "LINE,LEFT,0,210,16,16,1,0",
    "LINE,LEFT,0,210,17,17,1,0",
    "LINE,LEFT,0,210,18,18,1,0",
    "LINE,LEFT,0,210,19,19,1,0",
    "LINE,RIGHT,0,210,1,1,1,0",
    "LINE,RIGHT,0,210,2,2,1,0",
    "LINE,RIGHT,0,210,3,3,1,0",
    "LINE,RIGHT,0,210,4,4,1,0",
    "LINE,RIGHT,0,210,5,5,1,0",
    "LINE,RIGHT,0,210,6,6,1,0",
    "LINE,RIGHT,0,210,7,7,1,0",
    "LINE,RIGHT,0,210,8,8,1,0",
    "LINE,RIGHT,0,210,9,9,1,0",
    "LINE,RIGHT,0,210,10,10,1,0",
    "LINE,RIGHT,0,210,11,11,1,0",
    "LINE,RIGHT,0,210,12,12,1,0",
    "LINE,RIGHT,0,210,13,13,1,0",
    "LINE,RIGHT,0,210,14,14,1,0",
    "LINE,RIGHT,0,210,15,15,1,0",
    "LINE,RIGHT,0,210,16,16,1,0",
    "LINE,LEFT,0,0,0,19,1,0",
    "LINE,LEFT,160,160,0,19,1,0",
    "LINE,LEFT,210,210,0,19,1,0",
    "LINE,LEFT,20,20,3,10,1,0",
    "LINE,LEFT,20,20,11,16,1,0",
    "LINE,RIGHT,0,0,0,16,1,0",
    "LINE,RIGHT,160,160,0,16,1,0",
    "LINE,RIGHT,210,210,0,16,1,0",
    "LINE,RIGHT,20,20,1,10,1,0",
    "LINE,RIGHT,20,20,11,15,1,0",
};
const std::vector<std::string> kMainHeadings = {
    "TEXT,LEFT,  0, 20, 3,10,売上原価のうち,  0,  0, 0, 0,,0",
    "TEXT,LEFT,  0, 20,11,16,販売費のうち,  0,  0, 0, 0,,0",
    "TEXT,RIGHT, 0, 20, 1,10,資産のうち,  0,  0, 0, 0,,0",
    "TEXT,RIGHT, 0, 20,11,15,負債のうち,  0,  0, 0, 0,,0",
};
// The balance-sheet side (right) is the same for both data kinds.
const std::vector<std::string> kMainItemsBalanceSide = {
    "TEXT,RIGHT,  0,160, 0, 1,資産の部合計,160,210, 0, 1,,9",
    "TEXT,RIGHT, 20,160, 1, 2,現金預金,160,210, 1, 2,GROUPM0>='1000' AND GROUPM0<'2000',1",
    "TEXT,RIGHT, 20,160, 2, 3,受取手形,160,210, 2, 3,GROUPM0>='1000' AND GROUPM0<'2000',1",
    "TEXT,RIGHT, 20,160, 3, 4,売掛金,160,210, 3, 4,GROUPM0>='1000' AND GROUPM0<'2000',1",
    "TEXT,RIGHT, 20,160, 4, 5,棚卸資産（未成工事支出金）,160,210, 4, 5,GROUPM0>='1000' AND GROUPM0<'2000',1",
    "TEXT,RIGHT, 20,160, 5, 6,貸付金,160,210, 5, 6,GROUPM0>='1000' AND GROUPM0<'2000',1",
    "TEXT,RIGHT, 20,160, 6, 7,建物,160,210, 6, 7,GROUPM0>='1000' AND GROUPM0<'2000',1",
    "TEXT,RIGHT, 20,160, 7, 8,機械装置,160,210, 7, 8,GROUPM0>='1000' AND GROUPM0<'2000',1",
    "TEXT,RIGHT, 20,160, 8, 9,車両・船舶,160,210, 8, 9,GROUPM0>='1000' AND GROUPM0<'2000',1",
    "TEXT,RIGHT, 20,160, 9,10,土地,160,210, 9,10,GROUPM0>='1000' AND GROUPM0<'2000',1",
    "TEXT,RIGHT,  0,160,10,11,負債の部合計,160,210,10,11,,9",
    "TEXT,RIGHT, 20,160,11,12,支払手形,160,210,11,12,GROUPM0>='2000' AND GROUPM0<'3000',1",
    "TEXT,RIGHT, 20,160,12,13,買掛金,160,210,12,13,GROUPM0>='2000' AND GROUPM0<'3000',1",
    "TEXT,RIGHT, 20,160,13,14,個人借入金,160,210,13,14,GROUPM0>='2000' AND GROUPM0<'3000',1",
    "TEXT,RIGHT, 20,160,14,15,その他借入金,160,210,14,15,GROUPM0>='2000' AND GROUPM0<'3000',1",
    "TEXT,RIGHT,  0,160,15,16,資本の部合計,160,210,15,16,,9",
};

std::vector<std::string> withBalanceSide(std::vector<std::string> profitAndLoss)
{
    profitAndLoss.insert(profitAndLoss.end(), kMainItemsBalanceSide.begin(), kMainItemsBalanceSide.end());
    return profitAndLoss;
}

const std::vector<std::string> kMainItemsGeneral = withBalanceSide({
    "TEXT,LEFT,  0,160, 0, 1,売上（収入）高,160,210, 0, 1,GROUPM0>='4000' AND GROUPM0<'5000',1",
    "TEXT,LEFT,  0,160, 1, 2,上記のうち兼業売上（収入）高,160,210, 1, 2,GROUPM0>='4000' AND GROUPM0<'5000',1",
    "TEXT,LEFT,  0,160, 2, 3,売上（収入）原価,160,210, 2, 3,,9",
    "TEXT,LEFT, 20,160, 3, 4,期首棚卸高,160,210, 3, 4,GROUPM0='5100' OR GROUPM0='5510' OR GROUPM0='5810',1",
    "TEXT,LEFT, 20,160, 4, 5,原材料費（仕入高）,160,210, 4, 5,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,LEFT, 20,160, 5, 6,労務費,160,210, 5, 6,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,LEFT, 20,160, 6, 7,外注費,160,210, 6, 7,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,LEFT, 20,160, 7, 8,期末棚卸高,160,210, 7, 8,GROUPM0='5100' OR GROUPM0='5510' OR GROUPM0='5810',1",
    "TEXT,LEFT, 20,160, 8, 9,減価償却費,160,210, 8, 9,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,LEFT, 20,160, 9,10,地代家賃・租税公課,160,210, 9,10,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,LEFT,  0,160,10,11,売上（収入）総利益,160,210,10,11,,9",
    "TEXT,LEFT, 20,160,11,12,役員報酬,160,210,11,12,GROUPM0>='6000' AND GROUPM0<'7000',1",
    "TEXT,LEFT, 20,160,12,13,従業員給料,160,210,12,13,GROUPM0>='6000' AND GROUPM0<'7000',1",
    "TEXT,LEFT, 20,160,13,14,交際費,160,210,13,14,GROUPM0>='6000' AND GROUPM0<'7000',1",
    "TEXT,LEFT, 20,160,14,15,減価償却費,160,210,14,15,GROUPM0>='6000' AND GROUPM0<'7000',1",
    "TEXT,LEFT, 20,160,15,16,地代家賃・租税公課,160,210,15,16,GROUPM0>='6000' AND GROUPM0<'7000',1",
    "TEXT,LEFT,  0,160,16,17,営業損益,160,210,16,17,,9",
    "TEXT,LEFT,  0,160,17,18,支払利息割引料,160,210,17,18,GROUPM0>='7000' AND GROUPM0<'8000',1",
    "TEXT,LEFT,  0,160,18,19,税引前当期損益,160,210,18,19,,9",
});
const std::vector<std::string> kMainItemsMedical = withBalanceSide({
    "TEXT,LEFT,  0,160, 0, 1,売上（収入）高,160,210, 0, 1,GROUPM0>='4110' AND GROUPM0<='4430',1",
    "TEXT,LEFT,  0,160, 1, 2,上記のうち兼業売上（収入）高,160,210, 1, 2,GROUPM0>='4110' AND GROUPM0<='4430',1",
    "TEXT,LEFT,  0,160, 2, 3,売上（収入）原価,160,210, 2, 3,,9",
    "TEXT,LEFT, 20,160, 3, 4,期首棚卸高,160,210, 3, 4,GROUPM0='5110' OR GROUPM0='5190',1",
    "TEXT,LEFT, 20,160, 4, 5,原材料費（仕入高）,160,210, 4, 5,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,LEFT, 20,160, 5, 6,労務費,160,210, 5, 6,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,LEFT, 20,160, 6, 7,外注費,160,210, 6, 7,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,LEFT, 20,160, 7, 8,期末棚卸高,160,210, 7, 8,GROUPM0='5110' OR GROUPM0='5190',1",
    "TEXT,LEFT, 20,160, 8, 9,減価償却費,160,210, 8, 9,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,LEFT, 20,160, 9,10,地代家賃・租税公課,160,210, 9,10,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,LEFT,  0,160,10,11,売上（収入）総利益,160,210,10,11,,9",
    "TEXT,LEFT, 20,160,11,12,役員報酬,160,210,11,12,GROUPM0>='6110' AND GROUPM0<='6990',1",
    "TEXT,LEFT, 20,160,12,13,従業員給料,160,210,12,13,GROUPM0>='6110' AND GROUPM0<='6990',1",
    "TEXT,LEFT, 20,160,13,14,交際費,160,210,13,14,GROUPM0>='6110' AND GROUPM0<='6990',1",
    "TEXT,LEFT, 20,160,14,15,減価償却費,160,210,14,15,GROUPM0>='6110' AND GROUPM0<='6990',1",
    "TEXT,LEFT, 20,160,15,16,地代家賃・租税公課,160,210,15,16,GROUPM0>='6110' AND GROUPM0<='6990',1",
    "TEXT,LEFT,  0,160,16,17,営業損益,160,210,16,17,,9",
    "TEXT,LEFT,  0,160,17,18,支払利息割引料,160,210,17,18,GROUPM0>='7110' AND GROUPM0<='7490',1",
    "TEXT,LEFT,  0,160,18,19,税引前当期損益,160,210,18,19,,9",
});
const std::vector<std::string> kMonthLines = {
    "LINE,,0,510,0,0,1,0",
    "LINE,,0,510,40,40,1,0",
    "LINE,,0,510,60,60,1,0",
    "LINE,,30,270,20,20,1,0",
    "LINE,,0,0,0,60,1,0",
    "LINE,,30,30,0,60,1,0",
    "LINE,,150,150,0,60,1,0",
    "LINE,,270,270,0,60,1,0",
    "LINE,,330,330,0,60,1,0",
    "LINE,,390,390,0,60,1,0",
    "LINE,,450,450,0,60,1,0",
    "LINE,,510,510,0,60,1,0",
    "LINE,,90,90,20,60,1,0",
    "LINE,,210,210,20,60,1,0",
};
const std::vector<std::string> kMonthCellsOld = {
    "TEXT,,0,30,0,40,月別,0,30,40,60,,0",
    "TEXT,,30,150,0,20,売上（収入）金額,0,0,0,0,,0",
    "TEXT,,30,90,20,40,１,30,90,40,60,GROUPM0>='4000' AND GROUPM0<'5000',1",
    "TEXT,,90,150,20,40,２,90,150,40,60,GROUPM0>='4000' AND GROUPM0<'5000',1",
    "TEXT,,150,270,0,20,仕入金額,0,0,0,0,,0",
    "TEXT,,150,210,20,40,１,150,210,40,60,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,,210,270,20,40,２,210,270,40,60,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,,270,330,0,40,外注費,270,330,40,60,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,,330,390,0,40,人件費,330,390,40,60,GROUPM0>='6000' AND GROUPM0<'7000',1",
    "TEXT,,390,450,0,40,予備１,390,450,40,60,GROUPM0>='6000' AND GROUPM0<'7000',1",
    "TEXT,,450,510,0,40,予備２,450,510,40,60,GROUPM0>='6000' AND GROUPM0<'7000',1",
};
const std::vector<std::string> kMonthCellsNew = {
    "TEXT,,0,30,0,40,月別,0,30,40,60,,0",
    "TEXT,,30,150,0,20,売上（収入）金額,0,0,0,0,,0",
    "TEXT,,30,90,20,40,１,30,90,40,60,GROUPM0>='4000' AND GROUPM0<'5000',1",
    "TEXT,,90,150,20,40,２,90,150,40,60,GROUPM0>='4000' AND GROUPM0<'5000',1",
    "TEXT,,150,270,0,20,仕入金額,0,0,0,0,,0",
    "TEXT,,150,210,20,40,１,150,210,40,60,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,,210,270,20,40,２,210,270,40,60,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,,270,330,0,40,外注費,270,330,40,60,GROUPM0>='5000' AND GROUPM0<'6000',1",
    "TEXT,,330,390,0,40,人件費,330,390,40,60,GROUPM0>='6000' AND GROUPM0<'7000',1",
    "TEXT,,390,450,0,40,源泉徴収税額,390,450,40,60,,0",
    "TEXT,,450,510,0,40,予備,450,510,40,60,GROUPM0>='6000' AND GROUPM0<'7000',1",
};
const std::vector<std::string> kMonthMedicalOld = {
    "TEXT,,0,30,0,40,月別,0,30,40,60,,0",
    "TEXT,,30,150,0,20,売上（収入）金額,0,0,0,0,,0",
    "TEXT,,30,90,20,40,１,30,90,40,60,GROUPM0>='4110' AND GROUPM0<='4430',1",
    "TEXT,,90,150,20,40,２,90,150,40,60,GROUPM0>='4110' AND GROUPM0<='4430',1",
    "TEXT,,150,270,0,20,仕入金額,0,0,0,0,,0",
    "TEXT,,150,210,20,40,１,150,210,40,60,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,,210,270,20,40,２,210,270,40,60,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,,270,330,0,40,外注費,270,330,40,60,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,,330,390,0,40,人件費,330,390,40,60,GROUPM0>='6110' AND GROUPM0<='6990',1",
    "TEXT,,390,450,0,40,予備１,390,450,40,60,GROUPM0>='6110' AND GROUPM0<='6990',1",
    "TEXT,,450,510,0,40,予備２,450,510,40,60,GROUPM0>='6110' AND GROUPM0<='6990',1",
};
const std::vector<std::string> kMonthMedicalNew = {
    "TEXT,,0,30,0,40,月別,0,30,40,60,,0",
    "TEXT,,30,150,0,20,売上（収入）金額,0,0,0,0,,0",
    "TEXT,,30,90,20,40,１,30,90,40,60,GROUPM0>='4110' AND GROUPM0<='4430',1",
    "TEXT,,90,150,20,40,２,90,150,40,60,GROUPM0>='4110' AND GROUPM0<='4430',1",
    "TEXT,,150,270,0,20,仕入金額,0,0,0,0,,0",
    "TEXT,,150,210,20,40,１,150,210,40,60,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,,210,270,20,40,２,210,270,40,60,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,,270,330,0,40,外注費,270,330,40,60,GROUPM0>='5110' AND GROUPM0<='5990',1",
    "TEXT,,330,390,0,40,人件費,330,390,40,60,GROUPM0>='6110' AND GROUPM0<='6990',1",
    "TEXT,,390,450,0,40,源泉徴収税額,390,450,40,60,,0",
    "TEXT,,450,510,0,40,予備,450,510,40,60,GROUPM0>='6110' AND GROUPM0<='6990',1",
};

// Settings keys of the monthly cells 0..10 ("" for none).
const std::array<const char*, 11> kMonthKeysOld = {"TUKIBETU", "", "URIAGESYUUNYUUKINGAKU1", "URIAGESYUUNYUUKINGAKU2",
    "", "SIIREKINGAKU1", "SIIREKINGAKU2", "GAICHUUHI", "JINKENHI", "YOBI1", "YOBI2"};
const std::array<const char*, 11> kMonthKeysNew = {"TUKIBETU", "", "URIAGESYUUNYUUKINGAKU1", "URIAGESYUUNYUUKINGAKU2",
    "", "SIIREKINGAKU1", "SIIREKINGAKU2", "GAICHUUHI", "JINKENHI", "GENSENTYOUSYUUZEIGAKU", "YOBI1"};

constexpr int kMainSideOffset = 210;

// Splits a layout text at every comma (captions and filters hold none).
std::vector<std::string> splitFields(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        out.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return out;
        start = comma + 1;
    }
}

std::string trimBlanks(const std::string& s)
{
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// An integer field that may carry leading blanks; 0 when it is not a number.
std::int32_t intField(const std::vector<std::string>& f, std::size_t i)
{
    if (i >= f.size())
        return 0;
    const std::string t = trimBlanks(f[i]);
    if (t.empty())
        return 0;
    std::size_t used = 0;
    try {
        const long v = std::stol(t, &used, 10);
        return used == t.size() ? static_cast<std::int32_t>(v) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

std::string textField(const std::vector<std::string>& f, std::size_t i)
{
    return i < f.size() ? f[i] : std::string();
}

// Where a layout row's coordinates go: a main-block row that is not on the
// "LEFT" side moves right of it, and main-block y values count rows.
struct Placement {
    int off = 0;
    int yScale = 1;

    Placement(const std::vector<std::string>& f, bool mainBlock, int rowHeight)
        : off((mainBlock && trimBlanks(textField(f, 1)) != "LEFT") ? kMainSideOffset : 0)
        , yScale(mainBlock ? rowHeight : 1)
    {
    }
    std::int32_t x(const std::vector<std::string>& f, std::size_t i) const { return intField(f, i) + off; }
    std::int32_t y(const std::vector<std::string>& f, std::size_t i) const { return intField(f, i) * yScale; }
};

// The kind (field 0) and the box (fields 2 to 5) every layout row opens with.
template <class Row>
Placement readKindAndBox(Row& row, const std::vector<std::string>& f, bool mainBlock, int rowHeight)
{
    const Placement at(f, mainBlock, rowHeight);
    row.Kind = trimBlanks(textField(f, 0));
    row.X1 = at.x(f, 2);
    row.X2 = at.x(f, 3);
    row.Y1 = at.y(f, 4);
    row.Y2 = at.y(f, 5);
    return at;
}

TUG_G_IMAGELINE parseLine(const std::string& text, bool mainBlock, int rowHeight)
{
    const auto f = splitFields(text);
    TUG_G_IMAGELINE line;
    readKindAndBox(line, f, mainBlock, rowHeight);
    line.Width = intField(f, 6);
    line.Style = intField(f, 7);
    line.Spare = 0;
    return line;
}

TUG_G_IMAGEITEM parseCell(const std::string& text, bool mainBlock, int rowHeight, bool withValueBox)
{
    const auto f = splitFields(text);
    TUG_G_IMAGEITEM item;
    const Placement at = readKindAndBox(item, f, mainBlock, rowHeight);
    item.Caption = textField(f, 6);
    if (withValueBox) {
        item.VX1 = at.x(f, 7);
        item.VX2 = at.x(f, 8);
        item.VY1 = at.y(f, 9);
        item.VY2 = at.y(f, 10);
    }
    item.Filter = textField(f, 11);
    item.ItemKind = intField(f, 12);
    return item;
}

void buildMonthLayout(TTukibetuUriage& t, int cellForm, int keyForm)
{
    t.Lines.clear();
    for (const auto& s : ug16_layout::MonthLines())
        t.Lines.push_back(parseLine(s, false, 1));
    t.Items.clear();
    const auto& cells = ug16_layout::MonthCells(cellForm);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        auto item = parseCell(cells[i], false, 1, true);
        item.Key = ug16_layout::MonthCellKey(keyForm, static_cast<int>(i));
        t.Items.push_back(std::move(item));
    }
}

} // namespace

namespace ug16_layout {

const std::vector<std::string>& MainLines()
{
    return kMainLines;
}
const std::vector<std::string>& MainHeadings()
{
    return kMainHeadings;
}

const std::vector<std::string>& MainItems(int dataType)
{
    static const std::vector<std::string> none;
    if (dataType == 1)
        return kMainItemsGeneral;
    if (dataType == 3)
        return kMainItemsMedical;
    return none;
}

const std::vector<std::string>& MonthLines()
{
    return kMonthLines;
}
const std::vector<std::string>& MonthCells(int formType)
{
    return formType == 0 ? kMonthCellsOld : kMonthCellsNew;
}
const std::vector<std::string>& MonthMedicalCells(int formType)
{
    return formType == 0 ? kMonthMedicalOld : kMonthMedicalNew;
}

std::string MonthCellKey(int formType, int cell)
{
    if (cell < 0 || cell >= 11)
        return {};
    return (formType == 0 ? kMonthKeysOld : kMonthKeysNew)[static_cast<std::size_t>(cell)];
}

} // namespace ug16_layout

std::string VzRendoIniFile()
{
    return platform::paths::join(SysDef.WorkDir, "VzRendo.ini");
}

std::string AssignmentListFromFile(std::string_view fileValue)
{
    std::string s(fileValue);
    std::replace(s.begin(), s.end(), ',', '\r');
    return s;
}

std::string AssignmentListToFile(std::string_view list)
{
    std::string s(list);
    std::replace(s.begin(), s.end(), '\r', ',');
    return s;
}

// --- TSyuyouKamoku ----------------------------------------------------------

void TSyuyouKamoku::LoadLayout(int dataType)
{
    Lines.clear();
    for (const auto& s : ug16_layout::MainLines())
        Lines.push_back(parseLine(s, true, RowHeight));
    Headings.clear();
    for (const auto& s : ug16_layout::MainHeadings()) {
        // Headings have no value box.
        Headings.push_back(parseCell(s, true, RowHeight, false));
    }
    Items.assign(35, TUG_G_IMAGEITEM {});
    const auto& texts = ug16_layout::MainItems(dataType);
    for (std::size_t i = 0; i < texts.size() && i < Items.size(); ++i) {
        Items[i] = parseCell(texts[i], true, RowHeight, true);
        Items[i].Key = MainItemKeys[i].Element;
    }
}

void TSyuyouKamoku::ReadSettings(const platform::IniFile& ini)
{
    Migrated = static_cast<std::int32_t>(ini.readInteger(VzRendoMigrationSection, VzRendoMigrationKey, 0));
    for (auto& item : Items)
        if (!item.Key.empty())
            item.List = AssignmentListFromFile(ini.readString(VzRendoMainSection, item.Key, ""));
}

void TSyuyouKamoku::WriteSettings(platform::IniFile& ini) const
{
    ini.writeInteger(VzRendoMigrationSection, VzRendoMigrationKey, Migrated);
    for (const auto& item : Items)
        if (!item.Key.empty())
            ini.writeString(VzRendoMainSection, item.Key, AssignmentListToFile(item.List));
}

// --- TTukibetuUriage --------------------------------------------------------

TTukibetuUriage::TTukibetuUriage()
{
    buildMonthLayout(*this, 0, 1);
}

void TTukibetuUriage::LoadLayout(int dataType)
{
    const int form = FormType == 0 ? 0 : 1;
    buildMonthLayout(*this, form, form);
    if (dataType == 3) {
        const auto& medical = ug16_layout::MonthMedicalCells(form);
        for (std::size_t i = 0; i < Items.size() && i < medical.size(); ++i)
            Items[i].Filter = parseCell(medical[i], false, 1, true).Filter;
    }
}

void TTukibetuUriage::ReadFormType(const platform::IniFile& ini)
{
    // readInteger answers the default for a missing key and for a value
    // that is not a number.
    FormType = static_cast<std::int32_t>(ini.readInteger(VzRendoFormSection, VzRendoFormKey, 1));
}

void TTukibetuUriage::ReadSettings(const platform::IniFile& ini)
{
    for (auto& item : Items)
        if (!item.Key.empty())
            item.List = AssignmentListFromFile(ini.readString(VzRendoMonthSection, item.Key, ""));
}

void TTukibetuUriage::WriteSettings(platform::IniFile& ini) const
{
    ini.writeString(VzRendoFormSection, VzRendoFormKey, std::to_string(FormType));
    for (const auto& item : Items)
        if (!item.Key.empty())
            ini.writeString(VzRendoMonthSection, item.Key, AssignmentListToFile(item.List));
}
