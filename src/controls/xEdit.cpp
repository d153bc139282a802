#include "controls/xEdit.h"

#include "controls/KanaConvert.h"
#include "controls/NumberFormat.h"
#include "platform/codec.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

using controls::arrowGoesForward;
using controls::hasModifier;
using controls::isEnterKey;
using controls::styleOfArrow;

namespace {

// Readings are limited as the original byte buffers were.
constexpr std::size_t ReadingLimitBytes = 1024;

bool isKanaOnly(const QString& text)
{
    if (text.isEmpty()) {
        return false;
    }
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool kana = (u >= 0x3041 && u <= 0x30FF) || (u >= 0xFF66 && u <= 0xFF9F);
        if (!kana) {
            return false;
        }
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------- TxEdit

TxEdit::TxEdit(QWidget* parent)
    : QLineEdit(parent)
{
}

void TxEdit::SetAlignment(TAlignment value)
{
    alignment_ = value;
    Qt::Alignment a = Qt::AlignVCenter;
    a |= value == taRightJustify ? Qt::AlignRight : value == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    setAlignment(a);
}

std::int64_t TxEdit::Curr() const
{
    return controls::parseCurrency(text().toStdString()).value_or(0);
}

void TxEdit::SetCurr(std::int64_t amount)
{
    if (amount != 0) {
        setText(QString::fromStdString(controls::currencyToPlain(amount)));
    }
}

int TxEdit::Long() const
{
    bool ok = false;
    const int v = text().trimmed().toInt(&ok);
    return ok ? v : 0;
}

void TxEdit::SetLong(int value)
{
    if (value != 0) {
        setText(QString::number(value));
    }
}

QString TxEdit::kana()
{
    reading_ = controls::toKatakana(controls::cutToSjisBytes(reading_, ReadingLimitBytes));
    return controls::cutToSjisBytes(controls::toHalfWidth(reading_), ReadingLimitBytes);
}

void TxEdit::SetKana(const QString& text)
{
    if (!text.isEmpty()) {
        reading_ = text;
    }
}

void TxEdit::SetImeMode(TImeMode mode)
{
    imeMode_ = mode;
    setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable);
}

void TxEdit::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (enterLeaves(key)) {
        e->accept();
        focusNextPrevChild(true);
        return;
    }
    if (arrowLeaves(e)) {
        const bool wholeSelected = text().isEmpty() || (hasSelectedText() && selectedText().size() == text().size());
        bool leave = true;
        if (key == Qt::Key_Left) {
            leave = (cursorPosition() == 0 && !hasSelectedText()) || wholeSelected;
        } else if (key == Qt::Key_Right) {
            leave = wholeSelected;
        }
        if (leave) {
            e->accept();
            focusNextPrevChild(arrowGoesForward(key));
            return;
        }
    }
    if (pasteLocked() && e->matches(QKeySequence::Paste)) {
        e->accept();
        return;
    }
    if (capturing_ && kanaSw_) {
        for (QChar c : e->text()) {
            if (c.unicode() > 31 && c.unicode() != 127) {
                reading_ += c;
            }
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TxEdit::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    switch (cursorPos_) {
    case cpAllSel:
        selectAll();
        break;
    case cpLeft:
        setCursorPosition(0);
        break;
    case cpRight:
        setCursorPosition(static_cast<int>(text().size()));
        break;
    }
    reading_.clear();
    preedit_.clear();
    capturing_ = true;
}

void TxEdit::focusOutEvent(QFocusEvent* e)
{
    capturing_ = false;
    QLineEdit::focusOutEvent(e);
}

void TxEdit::inputMethodEvent(QInputMethodEvent* e)
{
    // No reading string comes from the input methods here: the last
    // preedit that was still plain kana stands for it.
    if (isKanaOnly(e->preeditString())) {
        preedit_ = e->preeditString();
    }
    if (capturing_ && kanaSw_ && !e->commitString().isEmpty()) {
        reading_ += preedit_.isEmpty() ? e->commitString() : preedit_;
    }
    if (!e->commitString().isEmpty() || e->preeditString().isEmpty()) {
        preedit_.clear();
    }
    QLineEdit::inputMethodEvent(e);
}

void TxEdit::contextMenuEvent(QContextMenuEvent* e)
{
    if (pasteLocked()) {
        e->accept();
        return;
    }
    QLineEdit::contextMenuEvent(e);
}

void TxEdit::mousePressEvent(QMouseEvent* e)
{
    if (pasteLocked() && (e->button() == Qt::RightButton || e->button() == Qt::MiddleButton)) {
        e->accept();
        return;
    }
    QLineEdit::mousePressEvent(e);
}

void TxEdit::dragEnterEvent(QDragEnterEvent* e)
{
    if (pasteLocked()) {
        e->ignore();
        return;
    }
    QLineEdit::dragEnterEvent(e);
}

void TxEdit::dropEvent(QDropEvent* e)
{
    if (pasteLocked()) {
        e->ignore();
        return;
    }
    QLineEdit::dropEvent(e);
}

// ------------------------------------------------------------ TxComboBox

TxComboBox::TxComboBox(QWidget* parent)
    : QComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            chosen_ = index;
        }
    });
}

void TxComboBox::showPopup()
{
    popupShown_ = true;
    if (dropDownWidth_ > 0) {
        view()->setMinimumWidth(dropDownWidth_);
    }
    QComboBox::showPopup();
}

void TxComboBox::hidePopup()
{
    QComboBox::hidePopup();
    popupShown_ = false;
    if (keyLen_ <= 0) {
        return;
    }
    if (currentIndex() >= 0 || chosen_ < 0) {
        if (chosen_ >= 0 && isEditable()) {
            setEditText(itemText(chosen_));
        }
    } else {
        setCurrentIndex(chosen_);
    }
}

void TxComboBox::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Delete) {
        const bool atStart = !isEditable() || lineEdit()->cursorPosition() == 0;
        if (popupShown_ || atStart || currentText().isEmpty()) {
            e->accept();
            if (count() > 0) {
                setCurrentIndex(0);
                chosen_ = 0;
                if (isEditable()) {
                    setEditText(itemText(0));
                }
            }
            return;
        }
    }
    if (keyLen_ > 0 && !isEditable() && !popupShown_ && !e->text().isEmpty() && e->text().at(0).isPrint()
        && !hasModifier(e->modifiers() & ~Qt::ShiftModifier)) {
        // A list-style combo has no text to edit: the typed characters make
        // the code prefix (a new prefix starts once one is complete), and
        // the visible selection stays until the combo is left.
        if (typed_.size() >= keyLen_)
            typed_.clear();
        typed_ += e->text();
        e->accept();
        onTextEdited(typed_);
        return;
    }
    if (!popupShown_ && (enterLeaves(key) || arrowLeaves(e))) {
        e->accept();
        focusNextPrevChild(isEnterKey(key) || arrowGoesForward(key));
        return;
    }
    QComboBox::keyPressEvent(e);
}

void TxComboBox::focusInEvent(QFocusEvent* e)
{
    QComboBox::focusInEvent(e);
    if (isEditable() && lineEdit() != nullptr && lineEdit()->property("xComboHooked").isNull()) {
        lineEdit()->setProperty("xComboHooked", true);
        connect(lineEdit(), &QLineEdit::textEdited, this, &TxComboBox::onTextEdited);
    }
    if (keyLen_ > 0 && e->reason() != Qt::PopupFocusReason) {
        chosen_ = currentIndex();
        typed_.clear();
    }
}

void TxComboBox::focusOutEvent(QFocusEvent* e)
{
    if (keyLen_ > 0 && e->reason() != Qt::PopupFocusReason && chosen_ >= 0 && chosen_ < count()) {
        setCurrentIndex(chosen_);
        if (isEditable()) {
            setEditText(itemText(chosen_));
        }
    }
    QComboBox::focusOutEvent(e);
}

QString TxComboBox::prefixKey(const QString& text) const
{
    const qsizetype term = keyTerm_.isEmpty() ? -1 : text.indexOf(keyTerm_);
    const QString key = (term >= 0 && term < keyLen_) ? text.left(term) : text.left(keyLen_);
    return key.trimmed();
}

void TxComboBox::onTextEdited(const QString& text)
{
    if (keyLen_ <= 0) {
        return;
    }
    const QString key = prefixKey(text);
    if (key.isEmpty()) {
        return;
    }
    const std::u32string first = text.left(1).toStdU32String();
    if (!first.empty() && platform::codec::sjisCharWidth(first[0]) == 2) {
        chosen_ = currentIndex();
        return;
    }
    const int n = count();
    const int start = std::max(currentIndex(), 0);
    int hit = -1;
    for (int i = start; i < n && hit < 0; ++i) {
        if (itemText(i).startsWith(key, Qt::CaseInsensitive))
            hit = i;
    }
    for (int i = 0; i < n && hit < 0; ++i) {
        if (itemText(i).startsWith(key, Qt::CaseInsensitive))
            hit = i;
    }
    if (hit >= 0) {
        chosen_ = hit;
        return;
    }
    setCurrentIndex(-1);
    if (isEditable()) {
        setEditText(key);
        lineEdit()->setCursorPosition(static_cast<int>(key.size()));
    }
}

// ------------------------------------------------------ check and radio

namespace {

// Enter and the arrows of `styles` take the focus out of a check box or radio
// button (moveFocus(true) forward); an arrow held with a modifier is only
// swallowed. False for any other key, which the button handles itself.
template <class MoveFocus> bool leaveButtonByKey(TKeyStyles styles, QKeyEvent* e, MoveFocus moveFocus)
{
    const int key = e->key();
    const TKeyStyles style = isEnterKey(key) ? ksEnter : styleOfArrow(key);
    if (style == 0 || (styles & style) == 0) {
        return false;
    }
    e->accept();
    if (style == ksEnter || !hasModifier(e->modifiers())) {
        moveFocus(style == ksEnter || arrowGoesForward(key));
    }
    return true;
}

} // namespace

void TxCheckBox::keyPressEvent(QKeyEvent* e)
{
    if (!leaveButtonByKey(keyStyles_, e, [this](bool next) { focusNextPrevChild(next); })) {
        QCheckBox::keyPressEvent(e);
    }
}

void TxRadioButton::keyPressEvent(QKeyEvent* e)
{
    if (!leaveButtonByKey(keyStyles_, e, [this](bool next) { focusNextPrevChild(next); })) {
        QRadioButton::keyPressEvent(e);
    }
}

// ------------------------------------------------------------ TxMaskEdit

TxMaskEdit::TxMaskEdit(QWidget* parent)
    : QLineEdit(parent)
{
}

namespace {

// The blank character of a "mask;save literals;blank" mask split at ';'.
QChar maskBlank(const QStringList& parts)
{
    return parts.size() >= 3 && !parts.at(2).isEmpty() ? parts.at(2).at(0) : QLatin1Char('_');
}

} // namespace

void TxMaskEdit::SetEditMask(const QString& mask)
{
    editMask_ = mask;
    const QStringList parts = mask.split(QLatin1Char(';'));
    saveLiterals_ = parts.size() < 2 || parts.at(1).trimmed() != QLatin1String("0");
    setInputMask(mask.isEmpty() ? QString() : controls::toQtInputMask(parts.at(0), maskBlank(parts)));
}

QString TxMaskEdit::EditText() const
{
    if (saveLiterals_ || editMask_.isEmpty()) {
        return text();
    }
    // Walk the mask and keep the characters of the input positions only.
    const QStringList parts = editMask_.split(QLatin1Char(';'));
    const QString mask = parts.at(0);
    const QString shown = displayText();
    const QChar blank = maskBlank(parts);
    QString out;
    qsizetype pos = 0;
    for (qsizetype i = 0; i < mask.size() && pos < shown.size(); ++i) {
        const QChar m = mask.at(i);
        if (m == QLatin1Char('>') || m == QLatin1Char('<') || m == QLatin1Char('!')) {
            continue;
        }
        if (m == QLatin1Char('\\')) {
            ++i;
            ++pos;
            continue;
        }
        if (QStringLiteral("LlAaCc09#").contains(m)) {
            if (shown.at(pos) != blank) {
                out += shown.at(pos);
            }
        }
        ++pos;
    }
    return out;
}

void TxMaskEdit::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (enterLeaves(key)) {
        e->accept();
        focusNextPrevChild(true);
        return;
    }
    // The edit moves its caret first; then the focus leaves.
    QLineEdit::keyPressEvent(e);
    if (arrowLeaves(e)) {
        e->accept();
        focusNextPrevChild(arrowGoesForward(key));
    }
}

QString controls::toQtInputMask(const QString& mask, QChar blank)
{
    static const QString qtSpecial = QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\");
    QString out;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        switch (c.unicode()) {
        case 'L':
            out += QLatin1Char('A');
            break;
        case 'l':
            out += QLatin1Char('a');
            break;
        case 'A':
            out += QLatin1Char('N');
            break;
        case 'a':
            out += QLatin1Char('n');
            break;
        case 'C':
            out += QLatin1Char('X');
            break;
        case 'c':
            out += QLatin1Char('x');
            break;
        case '0':
            out += QLatin1Char('9');
            break;
        case '9':
            out += QLatin1Char('0');
            break;
        case '#':
            out += QLatin1Char('#');
            break;
        case '!':
            break; // leading-blank trimming has no counterpart
        case '>':
            out += QLatin1Char('>');
            break;
        case '<':
            if (i + 1 < mask.size() && mask.at(i + 1) == QLatin1Char('>')) {
                out += QLatin1Char('!');
                ++i;
            } else {
                out += QLatin1Char('<');
            }
            break;
        case '\\':
            if (i + 1 < mask.size()) {
                out += QLatin1Char('\\');
                out += mask.at(++i);
            }
            break;
        default:
            if (qtSpecial.contains(c)) {
                out += QLatin1Char('\\');
            }
            out += c;
            break;
        }
    }
    out += QLatin1Char(';');
    out += blank;
    return out;
}
