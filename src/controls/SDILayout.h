#pragma once
// The first-show layout steps of the base form and their arithmetic: the
// frame compensation of sizeable forms, the design-layout record, the font
// scaling to the operator's screen font, and the placement of a form on
// the screen. The arithmetic is pure so it can be checked by table.

#include <QFont>
#include <QPointer>
#include <QRect>

#include <optional>
#include <string>
#include <vector>

class QWidget;

// What the first show notes of the design, per widget of the form: for a
// table its default row height and column widths, for a tree (list view)
// its column widths.
struct TDesignLayout {
    struct Entry {
        QPointer<QWidget> widget;
        int defaultRowHeight = 0;
        std::vector<int> columnWidths;
    };
    std::vector<Entry> entries;
};

namespace controls {

// a * b / c rounded half away from zero (the Windows MulDiv); 0 for c 0.
int MulDiv(int a, int b, int c);
// R: the operator font in percent of the base font at ppi.
int FontScalePercent(int screenFontPoints, int baseFontPoints, int ppi);
// N: the scaled pixels per inch for percent R (D = ppi, or 96 when the
// base font is not 10 points), rounded half away from zero.
int ScaledPixelsPerInch(int ppi, int baseFontPoints, int percent);
// The shift of the frame compensation for a sizing-frame width.
int FrameShift(int sizingFrameWidth);
// A label caption on a facility-divided data set: "本・支店" then "支店"
// become "施設".
std::string FacilityCaption(const std::string& caption);

// The base font of the forms and the operator's screen font (from the
// settings in SysDef; families that are not installed fall back to the
// Japanese Gothic fonts of the system).
QFont BaseFormFont();
QFont OperatorScreenFont();
int BaseFontPoints();
int ScreenFontPoints();

// Moves every widget of the form left by shift (not inside group boxes,
// not inside the panels "pnlSwkInA" and "pnlChoseiNasi").
void CompensateFrame(QWidget* form, int shift);
// Notes tables and trees, applies the hint switch and the facility
// wording to the form's widgets.
TDesignLayout RecordDesignLayout(QWidget* form, bool facilityLabels);
// Scales the form by n/d, re-applies the recorded table and tree sizes for
// the new pixels per inch, centres the captions of painted buttons without
// picture, gives the form the screen font and grows text widgets placed by
// hand to the height their font needs.
void ScaleForm(QWidget* form, int n, int d, const TDesignLayout& layout, const QFont& screenFont);

// Placement of a form (left/top) on the screen.
struct TPlacement {
    int a = 0, b = 0, c = 0, d = 0; // area of the main form's client area
    int kind = 3;
    bool alwaysPlace = true;
    bool dialogStyle = true;
    QRect form; // current frame geometry of the form
    QRect workArea; // the desktop's work area
    bool mainShowing = false;
    QRect mainForm; // frame geometry of the main form
    int frameWidth = 4;
    int captionHeight = 0;
    int menuHeight = 0;
};
// The new top-left corner, or nothing when the form stays where it is.
std::optional<QPoint> PlaceForm(const TPlacement& p);

} // namespace controls
