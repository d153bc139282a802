#pragma once
// Printing the data list (or the shared-server data list) as a ruled table
// through TLumen808, and the print options record the print dialogs fill.

#include "print/Lumen808.h"

#include "dataselect/z5ComDataSentaku.h"

#include <cstdint>
#include <memory>
#include <string>

// The choices of a print options dialog, owned by the caller.
struct TDefaultPrintRec {
    std::string StyleName;
    std::int32_t ColorMode = 0; // 0 monochrome, 1 colour
    std::int32_t StartPage = 1;
    bool BothSides = false;
    std::int32_t FontNo = 0; // "ＭＳ 明朝", "ＭＳ ゴシック", "ＭＳ Ｐ明朝", "ＭＳ Ｐゴシック"
    std::int32_t TitleSize = 16;
    std::int32_t HeaderSize = 9;
    std::int32_t BodySize = 10;
    int LineColor1 = 0;
    int LineColor2 = 0;
    int NetColor1 = 0;
    int NetColor2 = 0;
    std::string ScreenValues;
};

// The record as the print dialog starts it: the operator's print colours.
void InitDefaultPrintRec(TDefaultPrintRec& rec);

// Colour mode 0: user and OCR colours black, net colours grey; otherwise
// nothing changes.
void SetPrintMonochrome(int colorMode, print::TLumen808& component);

// The font of a font number (0-3; others give the first).
std::string PrintFontName(int fontNo);

class TPrDataList {
public:
    // runner: where the finished job goes (nullptr = the engine's preview
    // and printers).
    explicit TPrDataList(print::JobRunner* runner = nullptr);
    ~TPrDataList();

    std::uint8_t ListKind = 0; // 0 the data list, 1 the shared-server data list
    TDefaultPrintRec PrintRec;
    TDataSentakuRecArray Rows;
    TDataSentakuRecDispArray DispRows;
    std::int32_t Orientation = 0;

    // Writes the print-data file and prints it (true) or previews it (false).
    // Answers what the engine answered. File errors raise PrintDataError.
    bool PrintDataList(bool print);

    print::TLumen808& engine() { return *engine_; }

private:
    void lineStep();
    void writeLine(const TDataListRec& rec, const std::string& number);

    std::unique_ptr<print::TLumen808> engine_;
    int pageNo_ = 1;
    int lineCount_ = 0;
    int perPage_ = 55;
    int rightEdge_ = 2000;
    int bottomRule_ = 2820;
    std::string font_;
};
