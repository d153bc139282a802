#pragma once
// Page bookkeeping shared by the renderer, the preview and the print loop:
// page totals, the page-number and orientation lists, the paper table, the
// conversion factors between papers, grey scale, form-file lookup and the
// engine's own error box.

#include "print/PrintData.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace print {

// Paper size in millimetres, portrait. outsideTable is set for a code the
// table does not know; the size then comes from the printable area (height
// + 20). The flag belongs to this one answer, never to the process.
struct PaperMM {
    int width = 0;
    int height = 0;
    bool outsideTable = false;
};
PaperMM paperSizeMM(int paperCode, int printableWidthMM, int printableHeightMM);

// Sheets of a job: f when f >= d, else d rounded up to a multiple of f.
int countTotalPages(int formPages, int dataPages);
// The form page drawn under sheet k (1-based): ((k-1) mod f) + 1.
int formPageForSheet(int sheet, int formPages);

// Page numbers of the data pages: 0 for a page without lines or with one
// line only whose record is ORIENTATION or a line (LINE, ELINE, LINEB,
// SLINE: the record kind decides, not a substring); otherwise 1, 2, ...
// Header lines count as lines of page 1. Without numbering every entry is 0.
struct PageNumbers {
    std::vector<int> numbers; // one per data page
    int total = 0; // the last number given
};
PageNumbers pageNumberList(const PageSplit& data, bool numbering);

// Orientation of every data page: the last ORIENTATION record of the page
// (a field that is no number gives the job's), else the job's.
std::vector<int> orientationList(const PageSplit& data, int jobOrientation);

// Conversion factors (per mille) between the job's paper and the printer's.
// Same paper: the job's own factors. A tabled pair: its factors. Any other
// pair leaves v and h as they are.
void updateRatios(int jobPaper, int printerPaper, int jobV, int jobH, double& v, double& h);

// Grey value of a colour when grey scale is on; black and white unchanged.
Colour applyGreyScale(Colour c, bool greyScale);

// The engine's error box (a plain box with OK). Tests and windowless tools
// replace it; the default shows a Qt box when widgets run, else stderr.
using ErrorBox = std::function<void(const std::string& text)>;
void setEngineErrorBox(ErrorBox box);
void showEngineError(const std::string& text);

// The full path of a form (or data) file when it exists; otherwise the box
// "<name> が見つかりません。" and nullopt. An empty name gives nullopt
// without a box.
std::optional<std::string> findFormFile(const std::string& name);

} // namespace print
