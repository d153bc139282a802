#include "controls/xKikanPanel.h"

#include "core/DateTimeUtil.h"
#include "core/uAccDateCmp.h"

#include <QApplication>
#include <QDate>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using controls::toQColor;

namespace controls::kikan {

TDateTime periodClosingDate(int closingDay, int monthOffset, TDateTime d, bool* invalidDay)
{
    if (!((closingDay >= 1 && closingDay <= 28) || closingDay == 99)) {
        if (invalidDay != nullptr) {
            *invalidDay = true;
        } else {
            QApplication::beep();
        }
        return d;
    }
    return GetSimebiDate(monthOffset, closingDay, d);
}

int monthDistance(int closingDay, TDateTime from, TDateTime to)
{
    periodClosingDate(closingDay, 0, from); // beeps on an invalid closing day
    return KikanMonthCount(closingDay, from, to);
}

int cellOfDistance16(int months)
{
    if (months < 0 || months > 11) {
        return 15;
    }
    return months + months / 3;
}

} // namespace controls::kikan

namespace {

int monthOf(TDateTime d)
{
    return DecodeDate(d).Month;
}

void ring(QPainter& p, const QRect& r, TColorValue tl, TColorValue br)
{
    p.setPen(toQColor(tl));
    p.drawLine(r.left(), r.bottom(), r.left(), r.top());
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.setPen(toQColor(br));
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
}

TDateTime currentYearDate(int month, int day)
{
    return EncodeDate(QDate::currentDate().year(), month, day);
}

} // namespace

// ------------------------------------------------------------------ base

TxKikanPanelBase::TxKikanPanelBase(int cellCount, QWidget* parent)
    : QWidget(parent)
    , cells_(static_cast<std::size_t>(cellCount))
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    edno_ = cellCount - 1;
    lastNo_ = cellCount - 1;
}

QString TxKikanPanelBase::CellName(int i) const
{
    return cellPrefix_ + QString::number(i + 1);
}

QRect TxKikanPanelBase::CellRect(int i) const
{
    const int n = layoutCount();
    const int extra = std::max(0, width() - (n * cellW_ + 8));
    const int left = 4 + i * cellW_ + std::min(i, extra);
    const int w = cellW_ + (i < extra ? 1 : 0);
    return {left, 3, w, cellH_};
}

void TxKikanPanelBase::layoutCells()
{
    const int n = std::max(1, layoutCount());
    cellW_ = std::max(1, (width() - 8) / n);
    cellH_ = std::max(1, height() - 6);
    UpdateCells();
}

void TxKikanPanelBase::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    const int n = std::max(1, layoutCount());
    const int w = std::max(1, (width() - 8) / n);
    if (!snapping_ && width() != n * w + 8) {
        snapping_ = true;
        resize(n * w + 8, height());
        snapping_ = false;
    }
    layoutCells();
}

std::pair<TColorValue, TColorValue> TxKikanPanelBase::colorsFor(int i, int lo, int hi) const
{
    using namespace controls;
    if (!isEnabled()) {
        return {(i >= lo && i <= hi) ? clSilver : clBtnFace, clGray};
    }
    if (i < lo || i > hi) {
        if (kakuteiMode_ && i < kakuteiMNo_) {
            return {kakuteiBack_, kakuteiFont_};
        }
        return {clBtnFace, clWindowText};
    }
    return {backColor_, fontColor_};
}

std::pair<TColorValue, TColorValue> TxKikanPanelBase::CellColors(int i) const
{
    return colorsFor(i, showLo_, showHi_);
}

QString TxKikanPanelBase::CellTexts() const
{
    QStringList parts;
    for (const Cell& c : cells_)
        parts << (c.text.isEmpty() ? QStringLiteral("_") : c.text);
    return parts.join(QLatin1Char(' '));
}

void TxKikanPanelBase::UpdateCells()
{
    showLo_ = stno_;
    showHi_ = edno_;
    update();
}

void TxKikanPanelBase::paintRange(int lo, int hi)
{
    showLo_ = std::min(lo, hi);
    showHi_ = std::max(lo, hi);
    repaint();
}

void TxKikanPanelBase::SetKikanMove(bool on)
{
    if (on != kikanMove_) {
        kikanMove_ = on;
        if (!on)
            edno_ = stno_;
        UpdateCells();
    }
}

void TxKikanPanelBase::SetBackColor(TColorValue c)
{
    setCellProperty(backColor_, c);
}
void TxKikanPanelBase::SetFontColor(TColorValue c)
{
    setCellProperty(fontColor_, c);
}
void TxKikanPanelBase::SetKakuteiMode(bool on)
{
    setCellProperty(kakuteiMode_, on);
}
void TxKikanPanelBase::SetKakuteiMNo(int n)
{
    setCellProperty(kakuteiMNo_, n);
}
void TxKikanPanelBase::SetKakuteiBackColor(TColorValue c)
{
    setCellProperty(kakuteiBack_, c);
}
void TxKikanPanelBase::SetKakuteiFontColor(TColorValue c)
{
    setCellProperty(kakuteiFont_, c);
}

void TxKikanPanelBase::paintEvent(QPaintEvent*)
{
    using namespace controls;
    QPainter p(this);
    // The grey background shows as a frame around the cells while focused.
    p.fillRect(rect(), toQColor(hasFocus() ? clGray : clBtnFace));
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    ring(p, outer, clBtnShadow, clBtnHighlight);
    ring(p, outer.adjusted(1, 1, -1, -1), cl3DDkShadow, cl3DLight);
    p.setFont(font());
    for (int i = 0; i < layoutCount(); ++i) {
        const QRect r = CellRect(i);
        const auto [bg, fg] = colorsFor(i, showLo_, showHi_);
        p.fillRect(r, toQColor(bg));
        p.setPen(toQColor(fg));
        p.drawText(r, Qt::AlignCenter, cells_[static_cast<std::size_t>(i)].text);
    }
}

int TxKikanPanelBase::cellAt(QPoint pos) const
{
    for (int i = 0; i < layoutCount(); ++i) {
        if (CellRect(i).contains(pos))
            return i;
    }
    return -1;
}

void TxKikanPanelBase::mousePressEvent(QMouseEvent* e)
{
    const int cell = cellAt(e->position().toPoint());
    if (cell < 0 || !cells_[static_cast<std::size_t>(cell)].enabled) {
        pressedCell_ = -1;
        e->ignore();
        return; // disabled cells take no clicks
    }
    pressedCell_ = cell;
    if (e->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (cell > lastSel_) {
            anchor_ = stno_;
            moving_ = edno_;
        } else {
            anchor_ = moving_ = cell;
            dragging_ = true;
            paintRange(cell, cell);
        }
    }
    emit OnMouseDown(e->button(), e->buttons(), e->modifiers(), e->position().toPoint() - CellRect(cell).topLeft());
}

void TxKikanPanelBase::mouseMoveEvent(QMouseEvent* e)
{
    if (!hasFocus() || !kikanMove_ || !dragging_) {
        return;
    }
    // Hit rectangles are in strip coordinates, 4 pixels left of the cells.
    const QPoint pos = e->position().toPoint();
    const int stripX = pos.x() - 4;
    for (int i = 0; i < layoutCount(); ++i) {
        const QRect hit(QPoint(i * cellW_, 3), QPoint((i + 1) * cellW_ - 1, cellH_ + 3 - 1));
        if (hit.contains(stripX, pos.y())) {
            if (cells_[static_cast<std::size_t>(i)].enabled) {
                moving_ = i;
            }
            break;
        }
    }
    paintRange(anchor_, moving_);
}

void TxKikanPanelBase::mouseReleaseEvent(QMouseEvent* e)
{
    if (pressedCell_ < 0 || e->button() != Qt::LeftButton) {
        return;
    }
    const int cell = pressedCell_;
    pressedCell_ = -1;
    dragging_ = false;
    stno_ = std::min(anchor_, moving_);
    edno_ = std::max(anchor_, moving_);
    UpdateCells();
    emit OnMouseUp(
        e->button(), e->buttons() | Qt::LeftButton, e->modifiers(), e->position().toPoint() - CellRect(cell).topLeft());
}

void TxKikanPanelBase::mouseDoubleClickEvent(QMouseEvent* e)
{
    mousePressEvent(e);
    if (pressedCell_ >= 0) {
        emit OnDblClick();
    }
}

void TxKikanPanelBase::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        kbdMouse_ = true;
        const bool left = key == Qt::Key_Left;
        if (kikanMove_ && mods == Qt::ShiftModifier) {
            if (left ? moving_ > firstSel_ : moving_ < lastSel_) {
                moving_ += left ? -1 : 1;
                stno_ = anchor_;
                edno_ = moving_;
                paintRange(anchor_, moving_);
            }
        } else {
            if (left ? anchor_ > firstSel_ : anchor_ < lastSel_) {
                anchor_ += left ? -1 : 1;
                moving_ = anchor_;
                paintRange(anchor_, moving_);
            }
            stno_ = anchor_;
            edno_ = moving_;
        }
        e->accept();
        return;
    }
    if (key == Qt::Key_Up) {
        e->accept();
        focusNextPrevChild(false);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (enterClearsKbdMouse()) {
            kbdMouse_ = false;
        }
        emit OnMouseUp(Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
        e->accept();
        focusNextPrevChild(true);
        return;
    }
    QWidget::keyPressEvent(e);
}

void TxKikanPanelBase::keyReleaseEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Shift) {
        stno_ = std::min(anchor_, moving_);
        edno_ = std::max(anchor_, moving_);
        UpdateCells();
        e->accept();
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void TxKikanPanelBase::focusInEvent(QFocusEvent* e)
{
    kbdMouse_ = false;
    QWidget::focusInEvent(e);
    update();
}

void TxKikanPanelBase::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    update();
    if (kbdMouse_) {
        kbdMouse_ = false;
        emit OnMouseUp(Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
    }
}

void TxKikanPanelBase::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange) {
        UpdateCells();
    }
}

// ------------------------------------------------------------- 16 cells

TxKikanPanel16::TxKikanPanel16(QWidget* parent)
    : TxKikanPanelBase(16, parent)
{
    resize(242, 22);
    edno_ = 15;
    lastNo_ = 15;
    SetKikanInfo(99, currentYearDate(1, 1), currentYearDate(12, 31), currentYearDate(1, 1));
}

void TxKikanPanel16::SetKikanInfo(int closingDay, TDateTime start, TDateTime end, TDateTime firstUsable)
{
    using namespace controls::kikan;
    // A span outside one to twelve months has no closing cell of its own:
    // the end stays on the last month cell so every index stays inside the
    // strip.
    const int endMonths = monthDistance(closingDay, start, end);
    const int endCell = endMonths < 0 ? 0 : std::min(cellOfDistance16(endMonths), 14);
    lastNo_ = endCell + 1;
    lastSel_ = kessan_ ? lastNo_ : endCell;

    // A first usable date before the fiscal start is no month of this year:
    // like any distance outside 0-11 it maps to the closing cell (kept
    // inside a short year's strip).
    const int firstMonths = monthDistance(closingDay, start, firstUsable);
    const int firstCell = std::min(cellOfDistance16(firstMonths), lastSel_);
    firstSel_ = firstCell;
    stno_ = firstCell;
    edno_ = kikanMove_ ? lastSel_ : firstCell;

    for (Cell& c : cells_)
        c = Cell {};
    for (int i = 0; i < firstCell; ++i)
        cells_[static_cast<std::size_t>(i)].enabled = false;
    for (int j = 0; j <= lastNo_; ++j) {
        Cell& c = cells_[static_cast<std::size_t>(j)];
        if (j == lastNo_ || j == 15) {
            c.text = QStringLiteral("決");
            c.period = 15;
        } else if (j == 3 || j == 7 || j == 11) {
            c.text = QStringLiteral("・");
            c.period = j;
        } else {
            c.period = j;
            c.text = QString::number(monthOf(periodClosingDate(closingDay, j - j / 4, start)));
        }
    }
    for (int i = kessan_ ? lastNo_ + 1 : lastNo_; i <= 15; ++i) {
        Cell& c = cells_[static_cast<std::size_t>(i)];
        c.enabled = false;
        c.text.clear();
    }
    anchor_ = stno_;
    moving_ = edno_;
    layoutCells();
}

void TxKikanPanel16::SetStno(int value)
{
    if (value != stno_) {
        stno_ = value;
        UpdateCells();
    }
}

void TxKikanPanel16::SetEdno(int value)
{
    if (value != edno_) {
        edno_ = std::min(value, lastNo_);
        UpdateCells();
    }
}

void TxKikanPanel16::SetKESSAN(bool on)
{
    if (on == kessan_)
        return;
    kessan_ = on;
    if (!on) {
        Cell& c = cells_[static_cast<std::size_t>(std::clamp(lastSel_, 0, 15))];
        c.enabled = false;
        c.text.clear();
        --lastSel_;
    } else {
        ++lastSel_;
        Cell& c = cells_[static_cast<std::size_t>(std::clamp(lastSel_, 0, 15))];
        c.enabled = true;
        c.text = QStringLiteral("決");
    }
}

void TxKikanPanel16::SetDisabelColor(TColorValue c)
{
    setCellProperty(disabelColor_, c);
}

int TxKikanPanel16::StMonthNo() const
{
    return stno_ >= 0 && stno_ <= 15 ? cells_[static_cast<std::size_t>(stno_)].period : stno_;
}

int TxKikanPanel16::EdMonthNo() const
{
    return edno_ >= 0 && edno_ <= 15 ? cells_[static_cast<std::size_t>(edno_)].period : edno_;
}

// ------------------------------------------------------------- 12 cells

TxKikanPanel12::TxKikanPanel12(QWidget* parent)
    : TxKikanPanelBase(12, parent)
{
    resize(12 * 14 + 8, 22);
    static const int periods[12] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
    for (int i = 0; i < 12; ++i)
        cells_[static_cast<std::size_t>(i)].period = periods[i];
    SetKikanInfo(99, currentYearDate(1, 1), currentYearDate(12, 31), currentYearDate(1, 1));
}

void TxKikanPanel12::SetKikanInfo(int closingDay, TDateTime start, TDateTime end, TDateTime firstUsable)
{
    using namespace controls::kikan;
    auto cellOf = [](int m) { return m < 0 || m > 11 ? 11 : m; };
    lastSel_ = lastNo_ = cellOf(monthDistance(closingDay, start, end));
    const int firstMonths = monthDistance(closingDay, start, firstUsable);
    // Outside 0-11 (before the fiscal start too): the last cell.
    firstSel_ = std::min(cellOf(firstMonths), lastSel_);
    stno_ = firstSel_;
    edno_ = kikanMove_ ? lastSel_ : firstSel_;
    for (int j = 0; j < 12; ++j) {
        Cell& c = cells_[static_cast<std::size_t>(j)];
        c.enabled = j >= firstSel_ && j <= lastSel_;
        c.text = j <= lastSel_ ? QString::number(monthOf(periodClosingDate(closingDay, j, start))) : QString();
    }
    anchor_ = stno_;
    moving_ = edno_;
    layoutCells();
}

void TxKikanPanel12::clampAndOrder()
{
    stno_ = std::clamp(stno_, 0, lastSel_);
    edno_ = std::clamp(edno_, 0, lastSel_);
    if (stno_ > edno_)
        std::swap(stno_, edno_);
    UpdateCells();
}

void TxKikanPanel12::SetStno(int value)
{
    stno_ = value;
    clampAndOrder();
}

void TxKikanPanel12::SetEdno(int value)
{
    edno_ = value;
    clampAndOrder();
}

int TxKikanPanel12::StMonNo() const
{
    return stno_ >= 0 && stno_ < 12 ? cells_[static_cast<std::size_t>(stno_)].period : stno_;
}

int TxKikanPanel12::EdMonNo() const
{
    return edno_ >= 0 && edno_ < 12 ? cells_[static_cast<std::size_t>(edno_)].period : edno_;
}

// ---------------------------------------------------- quarters and halves

TxKikanPanel4::TxKikanPanel4(QWidget* parent)
    : TxKikanPanelBase(4, parent)
{
    resize(80, 22);
    SetBtnCnt(4);
}

void TxKikanPanel4::SetBtnCnt(int count)
{
    if (count != 2 && count != 4)
        return;
    btnCnt_ = count;
    static const char* quarters[4] = {"1", "2", "3", "4"};
    for (int i = 0; i < 4; ++i) {
        Cell& c = cells_[static_cast<std::size_t>(i)];
        c.text = count == 4 ? QString::fromUtf8(quarters[i])
            : i == 0        ? QStringLiteral("上")
            : i == 1        ? QStringLiteral("下")
                            : QString();
        c.enabled = i < count;
    }
    stno_ = 0;
    edno_ = lastSel_ = count - 1;
    firstSel_ = 0;
    anchor_ = stno_;
    moving_ = edno_;
    layoutCells();
}

void TxKikanPanel4::SetKikanInfo(int closingDay, TDateTime start, TDateTime end, TDateTime firstUsable)
{
    using namespace controls::kikan;
    auto clampMonths = [](int m) { return m < 0 || m > 11 ? 11 : m; };
    auto button = [this](int m) { return btnCnt_ == 4 ? m / 3 : (m < 6 ? 0 : 1); };
    stno_ = button(clampMonths(monthDistance(closingDay, start, firstUsable)));
    edno_ = button(clampMonths(monthDistance(closingDay, start, end)));
    for (int i = 0; i < 4; ++i)
        cells_[static_cast<std::size_t>(i)].enabled = i >= stno_ && i <= edno_ && i < btnCnt_;
    firstSel_ = stno_;
    lastSel_ = edno_;
    if (!kikanMove_)
        edno_ = stno_;
    anchor_ = stno_;
    moving_ = edno_;
    layoutCells();
}

void TxKikanPanel4::SetStno(int value)
{
    if (value != stno_) {
        stno_ = std::clamp(value, 0, btnCnt_ - 1);
        UpdateCells();
    }
}

void TxKikanPanel4::SetEdno(int value)
{
    if (value != edno_) {
        edno_ = std::clamp(value, 0, btnCnt_ - 1);
        UpdateCells();
    }
}
