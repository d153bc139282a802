#include "controls/TolvanExDateEdit.h"

#include "core/DataModuleOpSupport.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionFrame>

using namespace exdate;

namespace {

constexpr TPart kNumberParts[] = {pYear, pMonth, pDay, pHour, pMinute, pSecond};
constexpr TPart kFocusOrder[] = {pEra, pYear, pMonth, pDay, pAmpm, pHour, pMinute, pSecond};

// The extra widths of fields and labels on the newer system look.
struct TExtra {
    int wide, narrow, label;
};
TExtra extraWidths()
{
    return GetWinMajorVersion() >= 6 ? TExtra {20, 16, 14} : TExtra {16, 12, 10};
}

} // namespace

// --- label ------------------------------------------------------------------------------

TTolvanExDateEditLabel::TTolvanExDateEditLabel(const QString& text, TTolvanExDateEdit* owner)
    : QLabel(text, owner)
    , owner_(owner)
{
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
}

void TTolvanExDateEditLabel::paintEvent(QPaintEvent* e)
{
    QLabel::paintEvent(e);
    QPainter p(this);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// --- the edit ------------------------------------------------------------------------------

TTolvanExDateEdit::TTolvanExDateEdit(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    s_.today = core::opsupport::nowDateTime();
    era_ = new QComboBox(this);
    era_->setAttribute(Qt::WA_InputMethodEnabled, false);
    era_->installEventFilter(this);
    ampm_ = new QComboBox(this);
    ampm_->addItems({QStringLiteral("午前"), QStringLiteral("午後")});
    ampm_->setCurrentIndex(-1);
    ampm_->installEventFilter(this);
    const char* units[] = {"年", "月", "日", "時", "分", "秒"};
    int u = 0;
    for (TPart part : kNumberParts) {
        auto* f = new QLineEdit(this);
        f->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        f->setAttribute(Qt::WA_InputMethodEnabled, false);
        f->setMaxLength(2);
        f->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), f));
        f->installEventFilter(this);
        connect(f, &QLineEdit::textEdited, this, [this, f] { emit OnChange(f); });
        fields_[part] = f;
        labels_[part] = new TTolvanExDateEditLabel(QString::fromUtf8(units[u++]), this);
    }
    connect(era_, &QComboBox::activated, this, [this] { emit OnChange(era_); });
    connect(ampm_, &QComboBox::activated, this, [this] { emit OnChange(ampm_); });
    // Tab order: the parts in their visual order, then on to the next
    // control of the form. Tab (and Enter, which moves as Tab) does not
    // wrap back to the first part: a keyboard user could otherwise never
    // leave the control.
    QWidget* previous = nullptr;
    for (TPart part : kFocusOrder) {
        QWidget* w = Part(part);
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    rebuildEraBox();
    updateYearLength();
    relayout();
    recolour();
    ClearValue();
}

QLineEdit* TTolvanExDateEdit::Field(TPart part) const
{
    return (part >= pYear && part <= pSecond && part != pAmpm) ? fields_[part] : nullptr;
}

TTolvanExDateEditLabel* TTolvanExDateEdit::UnitLabel(TPart part) const
{
    return (part >= pYear && part <= pSecond && part != pAmpm) ? labels_[part] : nullptr;
}

QWidget* TTolvanExDateEdit::Part(TPart part) const
{
    if (part == pEra)
        return era_;
    if (part == pAmpm)
        return ampm_;
    return Field(part);
}

// --- properties ------------------------------------------------------------------------------

void TTolvanExDateEdit::SetEditStyle(TTolvanExDateEditStyle style)
{
    if (style == s_.style)
        return;
    s_.style = style;
    relayout();
    ClearValue();
}

void TTolvanExDateEdit::SetEditGengo(bool on)
{
    if (on == s_.editGengo)
        return;
    s_.editGengo = on;
    if (!on)
        s_.gengo = rsSeireki;
    rebuildEraBox();
    updateYearLength();
    relayout();
    showValue();
}

void TTolvanExDateEdit::SetGengo(TTolvanExRekiSet value)
{
    const TTolvanExRekiSet v = s_.editGengo ? value : rsSeireki;
    if (v == s_.gengo)
        return;
    s_.gengo = v;
    updateYearLength();
    rebuildEraBox();
    relayout();
    showValue();
}

void TTolvanExDateEdit::SetEditAmpm(bool on)
{
    if (on == s_.editAmpm)
        return;
    s_.editAmpm = on;
    relayout();
    showValue();
}

void TTolvanExDateEdit::SetYeardigit(TTolvanExYeardigitSet value)
{
    if (value == s_.yeardigit)
        return;
    s_.yeardigit = value;
    updateYearLength();
    relayout();
    showValue();
}

void TTolvanExDateEdit::SetUseWarekiTable(bool on)
{
    useTable_ = on;
    rebuildEraBox();
}

void TTolvanExDateEdit::SetMinDate(TDateTime value)
{
    setDateBound(s_.minDate, value);
}

void TTolvanExDateEdit::SetMaxDate(TDateTime value)
{
    setDateBound(s_.maxDate, value);
}

void TTolvanExDateEdit::setDateBound(TDateTime& bound, TDateTime value)
{
    if (value == 0)
        value = kUnsetDate;
    if (value == bound)
        return;
    bound = value;
    rebuildEraBox();
    if (!empty_)
        SetDateTime(value_);
}

void TTolvanExDateEdit::SetTabStop(bool on)
{
    tabStop_ = on;
    applyTabStop(on);
}

void TTolvanExDateEdit::applyTabStop(bool on)
{
    for (TPart part : kFocusOrder)
        Part(part)->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

void TTolvanExDateEdit::SetSpaceWidth(int value)
{
    spaceWidth_ = value;
    relayout();
}

void TTolvanExDateEdit::SetLabelColor(TColorValue c)
{
    labelColor_ = c;
    recolour();
}

void TTolvanExDateEdit::SetColor(TColorValue c)
{
    color_ = c;
    recolour();
}

void TTolvanExDateEdit::SetDisableColor(TColorValue c)
{
    disableColor_ = c;
    recolour();
}

void TTolvanExDateEdit::SetDisableFontColor(TColorValue c)
{
    disableFontColor_ = c;
    recolour();
}

void TTolvanExDateEdit::SetLabelText(TPart part, const QString& text)
{
    if (auto* l = UnitLabel(part)) {
        l->setText(text);
        relayout();
    }
}

void TTolvanExDateEdit::SetGengoTable(const TGengoArray& table)
{
    useTable_ = true;
    table_ = table;
    rebuildEraBox();
}

void TTolvanExDateEdit::updateYearLength()
{
    const bool four = s_.yeardigit == yddigit4 && s_.gengo != rsWareki;
    fields_[pYear]->setMaxLength(four ? 4 : 2);
}

void TTolvanExDateEdit::rebuildEraBox()
{
    // Without a handed table the built-in eras of core stand in for the
    // system's calendar settings.
    const TGengoArray& source = (useTable_ && !table_.empty()) ? table_ : GengoTable;
    TGengoArray all = source;
    if (all.empty()) {
        for (const TGengo2Rec& row : GengoTable2) {
            TGengoRec rec;
            rec.Name = row.Name;
            rec.Letter = row.Letter;
            rec.StartDate = StrToDateTime(row.StartDate);
            rec.StartYear = row.StartYear;
            all.push_back(rec);
        }
    }
    if (!useTable_ && all.size() > 7)
        all.resize(7);
    s_.eras = KeptEras(all, s_.minDate, s_.maxDate);
    const QString current = era_->currentText();
    era_->clear();
    for (const std::string& item : EraItems(s_))
        era_->addItem(QString::fromStdString(item));
    era_->setCurrentIndex(era_->findText(current));
}

// --- layout and colours ---------------------------------------------------------------------------

void TTolvanExDateEdit::relayout()
{
    const QFontMetrics fm(font());
    const int rowHeight = fm.height() + 8;
    const TExtra extra = extraWidths();
    const int selectorWidth = fm.horizontalAdvance(QStringLiteral("0000")) + 26;
    const bool fourDigits = s_.yeardigit == yddigit4 && s_.gengo != rsWareki;
    auto fieldWidth = [&](TPart part) {
        if (part == pYear && fourDigits)
            return fm.horizontalAdvance(QStringLiteral("0000")) + extra.wide;
        return fm.horizontalAdvance(QStringLiteral("00")) + extra.narrow;
    };
    auto shows = [this](TPart p) { return StyleShows(s_.style, p, s_.editGengo, s_.editAmpm); };
    const bool labelInside = s_.style == desYearMonth || s_.style == desYear;

    int x = 0;
    int right = 0;
    auto place = [&](QWidget* w, bool visible, int width, int top) {
        w->setVisible(visible);
        if (!visible) {
            w->setGeometry(x, top, 0, rowHeight);
            return;
        }
        w->setGeometry(x, top, width, rowHeight);
    };
    auto block = [&](TPart selector, std::initializer_list<TPart> parts, int top) {
        QComboBox* box = selector == pEra ? era_ : ampm_;
        const bool boxShown = shows(selector);
        place(box, boxShown, selectorWidth, top);
        if (boxShown) {
            x += selectorWidth - 2;
            right = std::max(right, x + 2);
        }
        for (TPart part : parts) {
            QLineEdit* f = fields_[part];
            TTolvanExDateEditLabel* l = labels_[part];
            const bool on = shows(part);
            const int fw = fieldWidth(part);
            place(f, on, fw, top);
            if (on)
                x += fw - (labelInside ? 2 : 0);
            const int lw = fm.horizontalAdvance(l->text()) + extra.label;
            place(l, on, lw, top);
            if (on) {
                right = std::max(right, x + lw);
                x += lw - 3;
            }
        }
    };
    block(pEra, {pYear, pMonth, pDay}, 0);
    const bool dateBlock = HasDate(s_.style);
    int height = rowHeight;
    int top = 0;
    if (HasTime(s_.style)) {
        if (spaceWidth_ < 0) {
            x = 0;
            top = rowHeight - spaceWidth_;
            height = 2 * rowHeight - spaceWidth_;
        } else if (dateBlock) {
            x = right + spaceWidth_;
        }
        block(pAmpm, {pHour, pMinute, pSecond}, top);
    } else {
        for (TPart p : {pAmpm, pHour, pMinute, pSecond}) {
            Part(p)->setVisible(false);
            if (auto* l = UnitLabel(p))
                l->setVisible(false);
        }
    }
    setFixedSize(right, height);
}

void TTolvanExDateEdit::recolour()
{
    const bool on = isEnabled();
    const QColor back = controls::toQColor(on ? color_ : disableColor_);
    const QColor text = on ? palette().color(QPalette::WindowText) : controls::toQColor(disableFontColor_);
    auto paint = [&](QWidget* w) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, back);
        pal.setColor(QPalette::Button, back);
        pal.setColor(QPalette::Text, text);
        pal.setColor(QPalette::ButtonText, text);
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            pal.setColor(group, QPalette::Base, back);
            pal.setColor(group, QPalette::Text, text);
        }
        w->setPalette(pal);
    };
    paint(era_);
    paint(ampm_);
    for (TPart part : kNumberParts)
        paint(fields_[part]);
    for (TPart part : kNumberParts) {
        QPalette pal = labels_[part]->palette();
        pal.setColor(QPalette::Window, controls::toQColor(labelColor_));
        pal.setColor(QPalette::WindowText, Qt::black);
        labels_[part]->setPalette(pal);
    }
}

void TTolvanExDateEdit::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange)
        recolour();
    else if (e->type() == QEvent::FontChange)
        relayout();
}

// --- value ------------------------------------------------------------------------------------

void TTolvanExDateEdit::ClearValue()
{
    for (TPart part : kNumberParts)
        fields_[part]->clear();
    era_->setCurrentIndex(-1);
    ampm_->setCurrentIndex(-1);
    value_ = kUnsetDate;
    empty_ = true;
}

void TTolvanExDateEdit::showValue()
{
    if (empty_ || value_ <= 0)
        return;
    const TTexts t = ShowValue(s_, value_);
    if (HasDate(s_.style) && value_ >= kFirstDate) {
        empty_ = false;
        era_->setCurrentIndex(era_->findText(QString::fromStdString(t.era)));
        fields_[pYear]->setText(QString::fromStdString(t.year));
        fields_[pMonth]->setText(QString::fromStdString(t.month));
        fields_[pDay]->setText(QString::fromStdString(t.day));
    }
    if (HasTime(s_.style)) {
        if (s_.editAmpm)
            ampm_->setCurrentIndex(ampm_->findText(QString::fromStdString(t.ampm)));
        fields_[pHour]->setText(QString::fromStdString(t.hour));
        fields_[pMinute]->setText(QString::fromStdString(t.minute));
        fields_[pSecond]->setText(QString::fromStdString(t.second));
    }
}

void TTolvanExDateEdit::SetDateTime(TDateTime value)
{
    error_ = 0;
    if (HasDate(s_.style) && !HasTime(s_.style))
        value = std::trunc(value);
    else if (!HasDate(s_.style))
        value = value - std::trunc(value);
    value = Clamp(value, s_.minDate, s_.maxDate);
    if (value > 0 || (value >= kFirstDate && value != kUnsetDate && value != 0)) {
        value_ = value;
        empty_ = false;
        showValue();
    } else {
        ClearValue();
    }
}

TTexts TTolvanExDateEdit::texts() const
{
    TTexts t;
    t.era = era_->currentText().toStdString();
    t.year = fields_[pYear]->text().toStdString();
    t.month = fields_[pMonth]->text().toStdString();
    t.day = fields_[pDay]->text().toStdString();
    t.ampm = ampm_->currentText().toStdString();
    t.hour = fields_[pHour]->text().toStdString();
    t.minute = fields_[pMinute]->text().toStdString();
    t.second = fields_[pSecond]->text().toStdString();
    return t;
}

bool TTolvanExDateEdit::CheckInput()
{
    error_ = 0;
    if (!s_.editGengo)
        era_->setCurrentIndex(-1);
    s_.today = core::opsupport::nowDateTime();
    const TCheckResult r = exdate::CheckInput(s_, texts());
    error_ = r.error;
    if (!r.ok) {
        report(r);
        return false;
    }
    if (r.empty) {
        ClearValue();
        return true;
    }
    value_ = r.value;
    empty_ = false;
    showValue();
    return true;
}

TDateTime TTolvanExDateEdit::DateTime()
{
    if (!CheckInput())
        throw EAbort();
    return value_ > 0 ? value_ : 0;
}

void TTolvanExDateEdit::report(const TCheckResult& r)
{
    if (DisplayError) {
        TMessage2InfoRec rec;
        InitMessage2Info(msgkind::Information, rec);
        rec.buttons = msgbtn::OK;
        rec.caption = DialogCaption.toStdString();
        rec.lines[0].text = r.message;
        ShowMessage2(rec);
    }
    focusPart(r.focus);
}

void TTolvanExDateEdit::focusPart(TPart part)
{
    QWidget* w = part == pNone ? nullptr : Part(part);
    if (!w || !w->isVisible() || !w->isEnabled()) {
        w = nullptr;
        for (TPart p : {pEra, pYear, pAmpm, pHour}) {
            QWidget* c = Part(p);
            if (c->isVisible() && c->isEnabled()) {
                w = c;
                break;
            }
        }
    }
    if (w)
        w->setFocus(Qt::OtherFocusReason);
}

// --- keys and focus ------------------------------------------------------------------------------

void TTolvanExDateEdit::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    focusPart(pNone);
}

bool TTolvanExDateEdit::eventFilter(QObject* watched, QEvent* e)
{
    auto* w = qobject_cast<QWidget*>(watched);
    const bool selector = watched == era_ || watched == ampm_;
    switch (e->type()) {
    case QEvent::KeyPress: {
        auto* ke = static_cast<QKeyEvent*>(e);
        const int key = ke->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (selector)
                static_cast<QComboBox*>(w)->hidePopup();
            if (EnterNext) {
                // Enter moves exactly as Tab (Shift: as Shift+Tab) does.
                const bool back = ke->modifiers() & Qt::ShiftModifier;
                QKeyEvent tab(
                    QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
                QCoreApplication::sendEvent(w, &tab);
            }
            return true;
        }
        if (key == Qt::Key_Down && ke->modifiers() == Qt::NoModifier) {
            if (selector && DropDownKey)
                static_cast<QComboBox*>(w)->showPopup();
            return true;
        }
        if (key == Qt::Key_Delete && selector) {
            auto* box = static_cast<QComboBox*>(w);
            const bool had = !box->currentText().isEmpty();
            box->setCurrentIndex(-1);
            if (had)
                emit OnChange(box);
            return true;
        }
        const QString text = ke->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !(ke->modifiers() & Qt::ControlModifier)) {
            const bool digit = text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
            if (selector || !digit)
                return true; // only digits are typed, and only into the fields
        }
        break;
    }
    case QEvent::FocusIn: {
        if (w && w->parentWidget() == this) {
            if (!tabStop_)
                applyTabStop(true); // Tab moves between the parts while inside
            w->setToolTip(toolTip());
            QPalette pal = w->palette();
            pal.setColor(QPalette::Base, controls::toQColor(FocusedColor));
            w->setPalette(pal);
            if (auto* f = qobject_cast<QLineEdit*>(w)) {
                if (AutoSelect)
                    QMetaObject::invokeMethod(f, &QLineEdit::selectAll, Qt::QueuedConnection);
                else
                    f->setCursorPosition(0);
            }
        }
        break;
    }
    case QEvent::FocusOut: {
        if (w && w->parentWidget() == this) {
            recolour();
            QWidget* next = QApplication::focusWidget();
            const bool leaving = !next || next->parentWidget() != this;
            if (leaving && ExitCheck)
                CheckInput();
            if (leaving)
                applyTabStop(tabStop_);
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}
