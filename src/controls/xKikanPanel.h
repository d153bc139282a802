#pragma once
// Period selection panels: a strip of cells with which the user picks one
// accounting period or a contiguous range of them, by mouse or keyboard.
// TxKikanPanel16 shows the sixteen periods of a fiscal year (twelve months,
// an adjustment cell after each quarter and the closing cell),
// TxKikanPanel12 the twelve months, TxKikanPanel4 quarters or halves.

#include "controls/ColorUtil.h"
#include "core/uAccRecord.h"

#include <QWidget>

#include <vector>

namespace controls::kikan {

// The closing date of the period k months after the one holding d, for
// closing day c (1-28, or 99 for month end). An invalid closing day beeps
// (when invalidDay is given it is set instead of the beep) and returns d
// unchanged.
TDateTime periodClosingDate(int closingDay, int monthOffset, TDateTime d, bool* invalidDay = nullptr);
// Months between the periods holding two dates.
int monthDistance(int closingDay, TDateTime from, TDateTime to);
// Cell of the sixteen-cell strip for a month distance: 0-11 skip the
// adjustment cells, anything else is the closing cell 15.
int cellOfDistance16(int months);

} // namespace controls::kikan

class TxKikanPanelBase : public QWidget {
    Q_OBJECT
public:
    struct Cell {
        QString text;
        bool enabled = true;
        int period = -1;
    };

    int Stno() const { return stno_; }
    int Edno() const { return edno_; }
    int LastNo() const { return lastNo_; }
    bool KikanMove() const { return kikanMove_; }
    // Off: the range shrinks to its start cell.
    void SetKikanMove(bool on);
    bool KBDMOUSE() const { return kbdMouse_; }
    void SetKBDMOUSE(bool on) { kbdMouse_ = on; }
    TColorValue BackColor() const { return backColor_; }
    void SetBackColor(TColorValue c);
    TColorValue FontColor() const { return fontColor_; }
    void SetFontColor(TColorValue c);
    bool KakuteiMode() const { return kakuteiMode_; }
    void SetKakuteiMode(bool on);
    int KakuteiMNo() const { return kakuteiMNo_; }
    void SetKakuteiMNo(int n);
    TColorValue KakuteiBackColor() const { return kakuteiBack_; }
    void SetKakuteiBackColor(TColorValue c);
    TColorValue KakuteiFontColor() const { return kakuteiFont_; }
    void SetKakuteiFontColor(TColorValue c);

    int CellCount() const { return static_cast<int>(cells_.size()); }
    const Cell& CellAt(int i) const { return cells_.at(static_cast<std::size_t>(i)); }
    QString CellName(int i) const;
    QRect CellRect(int i) const;
    int FirstSelectable() const { return firstSel_; }
    int LastSelectable() const { return lastSel_; }
    // Colours a cell is painted with now (background, text).
    std::pair<TColorValue, TColorValue> CellColors(int i) const;
    // Cell texts joined by blanks, for checks and logs.
    QString CellTexts() const;

    // Repaints every cell from Stno/Edno.
    virtual void UpdateCells();

signals:
    // A selection was made (mouse-up on a cell, Enter, or leaving the panel
    // after a keyboard change).
    void OnMouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    void OnMouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    void OnDblClick();

protected:
    TxKikanPanelBase(int cellCount, QWidget* parent);

    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;

    // Enter reports the selection; the sixteen-cell panel also clears the
    // pending keyboard change.
    virtual bool enterClearsKbdMouse() const { return true; }
    // Cells that take part in the layout (the half-year panel hides two).
    virtual int layoutCount() const { return CellCount(); }
    void layoutCells();
    void paintRange(int lo, int hi);
    int cellAt(QPoint pos) const;
    std::pair<TColorValue, TColorValue> colorsFor(int i, int lo, int hi) const;
    // Sets a property the cells are painted from; repaints them when it changed.
    template <class T> void setCellProperty(T& property, T value)
    {
        if (value != property) {
            property = value;
            UpdateCells();
        }
    }

    std::vector<Cell> cells_;
    QString cellPrefix_ = QStringLiteral("No");
    int stno_ = 0;
    int edno_ = 0;
    int lastNo_ = 0;
    int firstSel_ = 0;
    int lastSel_ = 0;
    int anchor_ = 0;
    int moving_ = 0;
    bool dragging_ = false;
    int pressedCell_ = -1;
    bool kikanMove_ = true;
    bool kbdMouse_ = false;
    TColorValue backColor_ = controls::clNavy;
    TColorValue fontColor_ = controls::clWhite;
    bool kakuteiMode_ = false;
    int kakuteiMNo_ = 0;
    TColorValue kakuteiBack_ = 0x4080FF;
    TColorValue kakuteiFont_ = controls::clWhite;
    int cellW_ = 14;
    int cellH_ = 16;
    int showLo_ = 0; // range being painted
    int showHi_ = 0;
    bool snapping_ = false;
};

class TxKikanPanel16 : public TxKikanPanelBase {
    Q_OBJECT
public:
    explicit TxKikanPanel16(QWidget* parent = nullptr);

    // Lays the cells out for a fiscal year: closing day (1-28, 99 month
    // end), fiscal start, fiscal end, first usable date.
    virtual void SetKikanInfo(int closingDay, TDateTime start, TDateTime end, TDateTime firstUsable);

    void SetStno(int value);
    void SetEdno(int value);
    bool KESSAN() const { return kessan_; }
    void SetKESSAN(bool on);
    TColorValue DisabelColor() const { return disabelColor_; }
    void SetDisabelColor(TColorValue c);
    int StMonthNo() const;
    int EdMonthNo() const;
    int GetLastNo() const { return lastNo_; }

private:
    bool kessan_ = true;
    TColorValue disabelColor_ = controls::clSilver;
};

class TxKikanPanel12 : public TxKikanPanelBase {
    Q_OBJECT
public:
    explicit TxKikanPanel12(QWidget* parent = nullptr);
    virtual void SetKikanInfo(int closingDay, TDateTime start, TDateTime end, TDateTime firstUsable);
    void SetStno(int value);
    void SetEdno(int value);
    int StMonNo() const;
    int EdMonNo() const;

protected:
    bool enterClearsKbdMouse() const override { return false; }

private:
    void clampAndOrder();
};

class TxKikanPanel4 : public TxKikanPanelBase {
    Q_OBJECT
public:
    explicit TxKikanPanel4(QWidget* parent = nullptr);
    virtual void SetKikanInfo(int closingDay, TDateTime start, TDateTime end, TDateTime firstUsable);
    int BtnCnt() const { return btnCnt_; }
    void SetBtnCnt(int count);
    void SetStno(int value);
    void SetEdno(int value);

protected:
    int layoutCount() const override { return btnCnt_; }

private:
    int btnCnt_ = 4;
};
