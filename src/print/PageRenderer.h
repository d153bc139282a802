#pragma once
// Draws one page of a print-data file, a form file or a sub-form onto a
// QPainter (the preview's widget, a printer, a PDF or an image).
//
// Record positions are 0.1 mm; scaleX/scaleY are device units per 0.1 mm
// (dpi / 254). The painter is scaled by zoom / 10, so logical units are
// device units at zoom 10. Fonts are the engine's Windows names, drawn with
// the IPA fonts that stand in for them.
//
// A record that cannot be drawn is logged ("ImageOut.(KIND):message") and
// skipped; the rest of the page is still drawn and the result counts the
// failure so that the job can tell the user.

#include "print/FormVariables.h"
#include "print/Lumen808.h"
#include "print/PrintData.h"

#include <QColor>
#include <QFont>
#include <QRect>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace print {

class EngineLog;

enum class Layer { Form, Data, SubForm }; // "FOM", "DAT", "SUBFORM"

// Something that draws chart panels; nothing in this system registers one,
// so CHART records fail (visibly, in the log and the job's result).
class ChartHost {
public:
    virtual ~ChartHost() = default;
    virtual void drawPanel(int panel, QPainter& painter, const QRect& rect) = 0;
};

struct RenderSettings {
    TP808DEF job;
    bool printer = false; // paper (printer or PDF) rather than the preview
    double scaleX = 600.0 / 254.0;
    double scaleY = 600.0 / 254.0;
    int ppi = 600;
    int zoom = 10;
    bool evenPage = false;
    int leftMargin = 0; // current margins, 0.1 mm (unprintable offset taken off)
    int topMargin = 0;
    double vRatio = 0; // per mille; 0 = no conversion
    double hRatio = 0;
    int pageNumber = 0; // number printed on this data page; 0 = none
    int numberedTotal = 0; // the last page number of the job
    ChartHost* chartHost = nullptr;
    VariableTables* vars = nullptr; // form variables for "@" (and reloaded by FORM ...;TRUE)
    std::optional<int> slot; // variable slot of this sheet; none = no variables
    int paperHeightMM = 297; // portrait height: rows of a variable stop 10 mm above it
};

struct LayerResult {
    bool reachedEnd = true; // false when the page was closed by a page end
    int failures = 0; // records skipped because they could not be drawn
    std::string message; // text of a MESSAGE record (paper only)
};

// The Qt family that stands in for an engine font name.
QString qtFontFamily(const std::string& engineName);
// Empty -> "ＭＳ 明朝"; "OCR-B" -> "OCR-B", "OCRB" or "ＭＳ ゴシック" as installed.
std::string resolveFontName(const std::string& name);
// round() of the engine: to nearest, ties to even.
int roundEven(double v);
// MulDiv(a, b, c): a * b / c rounded half away from zero.
int mulDiv(int a, int b, int c);

class PageRenderer {
public:
    PageRenderer(RenderSettings settings, EngineLog& log);

    // Draws the lines of one page. closedByPageEnd says the page was ended by
    // a page-end line (the result's reachedEnd is then false).
    LayerResult render(Layer layer, const std::vector<std::string_view>& lines, bool closedByPageEnd, QPainter& painter,
        int originX = 0, int originY = 0);

    // Colour of a field as drawn on this layer (form not printed: grey).
    Colour resolveColour(std::string_view field, Layer layer) const;
    const RenderSettings& settings() const { return s_; }
    RenderSettings& settings() { return s_; }

private:
    struct State;
    void drawLayer(Layer layer, const std::vector<std::string_view>& lines, QPainter& p, int originX, int originY,
        LayerResult& result);
    void drawRecord(State& st, const Record& r, QPainter& p, LayerResult& result);
    void drawText(State& st, const Record& r, QPainter& p);
    void drawVariable(State& st, const Record& r, QPainter& p);
    void drawMemo(State& st, const Record& r, QPainter& p);
    void drawSubForm(State& st, const Record& r, QPainter& p, LayerResult& result);
    void drawImage(const Record& r, const QRect& rect, QPainter& p);

    RenderSettings s_;
    EngineLog& log_;
};

} // namespace print
