#include "print/PrDataList.h"

#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <cstdio>

void InitDefaultPrintRec(TDefaultPrintRec& rec)
{
    rec = TDefaultPrintRec {};
    rec.LineColor1 = SysDef.PLineColor1;
    rec.LineColor2 = SysDef.PLineColor2;
    rec.NetColor1 = SysDef.NetColor1;
    rec.NetColor2 = SysDef.NetColor2;
}

void SetPrintMonochrome(int colorMode, print::TLumen808& c)
{
    if (colorMode != 0)
        return;
    print::JobColours& k = c.Colours;
    k.user1 = k.user2 = 0;
    k.ocrGreen = k.ocrBlue = k.ocrBrown = k.ocrPink = k.ocrOrange = k.ocrViolet = k.ocrPurple = 0;
    k.net1 = static_cast<print::Colour>(ColorToGray(static_cast<int>(k.net1)));
    k.net2 = static_cast<print::Colour>(ColorToGray(static_cast<int>(k.net2)));
}

std::string PrintFontName(int fontNo)
{
    static const char* const kFonts[] = {"ＭＳ 明朝", "ＭＳ ゴシック", "ＭＳ Ｐ明朝", "ＭＳ Ｐゴシック"};
    return kFonts[(fontNo >= 0 && fontNo <= 3) ? fontNo : 0];
}

namespace {

// Every occurrence of `from` (ASCII letters in any case) replaced by `to`.
std::string replaceNoCase(const std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    const std::string up = platform::text::upperAscii(text);
    const std::string key = platform::text::upperAscii(from);
    std::string out;
    std::size_t pos = 0;
    for (std::size_t hit = up.find(key); hit != std::string::npos; hit = up.find(key, pos)) {
        out += text.substr(pos, hit - pos) + to;
        pos = hit + key.size();
    }
    return out + text.substr(pos);
}

} // namespace

TPrDataList::TPrDataList(print::JobRunner* runner)
    : engine_(std::make_unique<print::TLumen808>(runner))
{
}
TPrDataList::~TPrDataList() = default;

void TPrDataList::lineStep()
{
    if (lineCount_ >= 1 && lineCount_ <= perPage_ - 1) {
        ++lineCount_;
        return;
    }
    print::TLumen808& e = *engine_;
    if (pageNo_ > 1)
        e.NewPage();
    const std::string rule = std::to_string(e.Colours.user1);
    e.AddText(rightEdge_ / 2, 150, ListKind == 1 ? "共有データリスト" : "データリスト", font_, PrintRec.TitleSize, "",
        "黒", "OFF", "CENTER", 0);
    char page[32];
    std::snprintf(page, sizeof page, "PAGE %4d", pageNo_);
    e.AddText(rightEdge_, 250, page, font_, PrintRec.HeaderSize, "", "黒", "OFF", "RIGHT", 0);
    e.AddLine(150, 300, rightEdge_, 300, 4, 0, rule);
    const bool land = Orientation == 1;
    const int hs = PrintRec.HeaderSize;
    e.AddText(180, 325, "No", font_, hs, "", "黒", "OFF", "LEFT", 0);
    if (land)
        e.AddText(250, 325, "コード", font_, hs, "", "黒", "OFF", "LEFT", 0);
    e.AddText(land ? 450 : 250, 325, "データリスト名", font_, hs, "", "黒", "OFF", "LEFT", 0);
    e.AddText(land ? 1250 : 1050, 325, "会計年度", font_, hs, "", "黒", "OFF", "CENTER", 0);
    e.AddText(land ? 1550 : 1350, 325, "会計期間", font_, hs, "", "黒", "OFF", "CENTER", 0);
    e.AddText(land ? 1800 : 1600, 325, "データフォルダ", font_, hs, "", "黒", "OFF", "LEFT", 0);
    e.AddLine(150, 390, rightEdge_, 390, 4, 0, rule);
    e.AddLine(150, bottomRule_, rightEdge_, bottomRule_, 4, 0, rule);
    ++pageNo_;
    lineCount_ = 1;
}

void TPrDataList::writeLine(const TDataListRec& rec, const std::string& number)
{
    lineStep();
    print::TLumen808& e = *engine_;
    const int y = 405 + 44 * (lineCount_ - 1);
    const bool land = Orientation == 1;
    const int bs = PrintRec.BodySize;
    if (!number.empty())
        e.AddText(170, y, number, font_, bs, "", "黒", "OFF", "LEFT", 0);
    if (land)
        e.AddText(250, y, rec.DATACODE, font_, bs, "", "黒", "OFF", "LEFT", 0);
    e.AddText(land ? 450 : 250, y, rec.DispName, font_, bs, "", "黒", "OFF", "LEFT", 0);
    const bool dated = !rec.ENTTEXT.empty() && rec.NENDO >= 1;
    e.AddText(
        land ? 1250 : 1050, y, dated ? std::to_string(rec.NENDO) + " 期" : "", font_, bs, "", "黒", "OFF", "CENTER", 0);
    e.AddText(land ? 1550 : 1350, y, dated ? rec.KikanText : "", font_, bs, "", "黒", "OFF", "CENTER", 0);
    e.AddText(
        land ? 1800 : 1600, y, replaceNoCase(rec.PASNAME, SysDef.DataRoot, "~"), font_, bs, "", "黒", "OFF", "LEFT", 0);
    if (lineCount_ != perPage_)
        e.AddLine(150, y + 34, rightEdge_, y + 34, 2, 0, std::to_string(e.Colours.user1));
}

bool TPrDataList::PrintDataList(bool print)
{
    PrintRec.BodySize = 9;
    pageNo_ = 1;
    lineCount_ = 0;
    const bool land = Orientation == 1;
    perPage_ = land ? 35 : 55;
    rightEdge_ = land ? 2820 : 2000;
    bottomRule_ = land ? 1945 : 2820;
    font_ = PrintFontName(PrintRec.FontNo);

    print::TLumen808& e = *engine_;
    e.Title = "印刷プレビュー";
    e.DataFile = platform::paths::join(SysDef.WorkDir, "データリスト.TMP");
    e.FormFile.clear();
    e.PaperSize = 9;
    e.Orientation = Orientation;
    e.TopMargin = 0;
    e.LeftMargin = 0;
    e.setZoom(10);
    e.Colours.user1 = 0;
    e.Colours.user2 = 0;
    e.Colours.net1 = static_cast<print::Colour>(SysDef.NetColor1);
    e.Colours.net2 = static_cast<print::Colour>(SysDef.NetColor2);
    SetPrintMonochrome(PrintRec.ColorMode, e);
    // the print dialog flag and the copies stay as the engine has them
    e.PrintFom = false;
    e.ModeSw = false;
    e.Permit = true;
    e.Open();
    e.WriteHeader();

    for (std::size_t i = 0; i < DispRows.size(); ++i) {
        const std::int32_t at = DispRows[i];
        if (at < 0 || static_cast<std::size_t>(at) >= Rows.size())
            continue;
        const TDataSentakuRec& row = Rows[static_cast<std::size_t>(at)];
        char number[16];
        std::snprintf(number, sizeof number, "%3d", ListKind == 1 ? static_cast<int>(i + 1) : row.Data.REC);
        writeLine(row.Data, number);
        for (const TDataListRec& child : row.Children)
            writeLine(child, "");
    }
    e.Close();
    return print ? e.Print() : e.Preview();
}
