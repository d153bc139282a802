#include "controls/TolvanEdit.h"

#include "controls/KanaConvert.h"
#include "controls/NumberFormat.h"

#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

using controls::countSeparators;
using controls::hasModifier;
using controls::isEnterKey;

namespace {

constexpr std::size_t ReadingLimitBytes = 1024;
constexpr int NoTextLimit = 32767;

int sepsOf(const QString& text)
{
    return countSeparators(text.toStdString());
}
QString stripped(const QString& text)
{
    return QString::fromStdString(controls::stripSeparators(text.toStdString()));
}

bool isKanaOnly(const QString& text)
{
    if (text.isEmpty()) {
        return false;
    }
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= 0x3041 && u <= 0x30FF) || (u >= 0xFF66 && u <= 0xFF9F))) {
            return false;
        }
    }
    return true;
}

} // namespace

QChar controls::zeroKeyChar(TZeroKey key)
{
    switch (key) {
    case zkDot:
        return QLatin1Char('.');
    case zkPlus:
        return QLatin1Char('+');
    case zkMinus:
        return QLatin1Char('-');
    case zkAsterisk:
        return QLatin1Char('*');
    case zkSlash:
        return QLatin1Char('/');
    case zkNone:
        break;
    }
    return QChar();
}

TTolvanEdit::TTolvanEdit(QWidget* parent)
    : QLineEdit(parent)
    , TKeyStyled(ksEnter)
{
    connect(this, &QLineEdit::textChanged, this, [this] { onTextChanged(); });
}

void TTolvanEdit::SetAlignment(TAlignment value)
{
    alignment_ = value;
    Qt::Alignment a = Qt::AlignVCenter;
    a |= value == taRightJustify ? Qt::AlignRight : value == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    setAlignment(a);
}

void TTolvanEdit::SetComma(bool on)
{
    comma_ = on;
    applyTextLimit();
}

void TTolvanEdit::SetImeMode(TImeMode mode)
{
    imeMode_ = mode;
    setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable);
}

void TTolvanEdit::SetBrush(const QColor& colour)
{
    brush_ = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, transparent_ ? QColor(Qt::transparent) : brush_);
    setPalette(pal);
}

void TTolvanEdit::SetTransparent(bool on)
{
    transparent_ = on;
    setAutoFillBackground(!on);
    SetBrush(brush_);
    update();
}

void TTolvanEdit::SetMaxLength(int length)
{
    maxLength_ = std::max(length, 0);
    applyTextLimit();
}

void TTolvanEdit::applyTextLimit()
{
    // Separators shown do not count against the field length.
    setMaxLength(maxLength_ > 0 ? maxLength_ + sepsOf(text()) : NoTextLimit);
}

void TTolvanEdit::setTextKeepingLimit(const QString& value)
{
    const bool was = settingText_;
    settingText_ = true;
    setMaxLength(NoTextLimit);
    setText(value);
    applyTextLimit();
    settingText_ = was;
}

QString TTolvanEdit::formatted(const QString& value) const
{
    if (!isNumericStyle() || outputFormat_.isEmpty() || (allowBlank_ && value.isEmpty())) {
        return value;
    }
    const double number = controls::parseNumber(stripped(value).toStdString()).value_or(0.0);
    return QString::fromStdString(controls::formatFloat(outputFormat_.toStdString(), number));
}

void TTolvanEdit::FormatText()
{
    const QString f = formatted(text());
    if (f != text()) {
        setTextKeepingLimit(f);
    }
}

bool TTolvanEdit::zeroKeyApplies(TZeroKey key, QChar ch) const
{
    if (key == zkNone || editStyle_ == esNone || ch != controls::zeroKeyChar(key)) {
        return false;
    }
    if (key == zkDot && isFloatStyle()) {
        return false; // the decimal point keeps its meaning
    }
    if (key == zkMinus && isMinusStyle()) {
        return false; // the minus keeps its meaning
    }
    return true;
}

bool TTolvanEdit::acceptedByStyle(QChar ch) const
{
    const char16_t u = ch.unicode();
    if (u == 8 || u == 9 || u == 27 || (u >= '0' && u <= '9')) {
        return true;
    }
    if (u == '.') {
        return isFloatStyle();
    }
    if (u == '-') {
        return isMinusStyle();
    }
    return false;
}

bool TTolvanEdit::event(QEvent* e)
{
    // Tab is the edit's own key: it decides itself whether the focus moves.
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            keyPressEvent(ke);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void TTolvanEdit::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool noModifier = !hasModifier(mods);
    const bool shiftOnly
        = (mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == Qt::ShiftModifier;
    const bool isTab = key == Qt::Key_Tab || key == Qt::Key_Backtab;

    // Key down.
    typedKey_ = !(isTab || isEnterKey(key) || key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up
        || key == Qt::Key_Down);
    e->accept();
    if (isTab) {
        const bool ownTab = key == Qt::Key_Tab && noModifier && (autoNext_ & acTabKey) != 0;
        if (!ownTab) {
            if (key == Qt::Key_Tab && noModifier) {
                focusNextPrevChild(true);
                return;
            }
            if (shiftOnly) {
                if ((autoNext_ & acTabKey) == 0) {
                    focusNextPrevChild(false);
                }
                return; // with acTabKey a shifted Tab is swallowed
            }
            return;
        }
    } else if (isEnterKey(key)) {
        if ((keyStyles_ & ksEnter) != 0) {
            focusNextPrevChild(true);
            return;
        }
    } else if (key == Qt::Key_Up) {
        if ((keyStyles_ & ksUp) != 0) {
            focusNextPrevChild(false);
            return;
        }
    } else if (key == Qt::Key_Down) {
        if (noModifier && (autoNext_ & acDownKey) != 0) {
            result_ |= acDownKey | acSendEnter;
            return;
        }
        if ((keyStyles_ & ksDown) != 0) {
            focusNextPrevChild(true);
            return;
        }
    } else if (key == Qt::Key_Left) {
        if ((keyStyles_ & ksLeft) != 0 && !hasSelectedText() && cursorPosition() == 0) {
            focusNextPrevChild(false);
            return;
        }
    } else if (key == Qt::Key_Right) {
        if ((keyStyles_ & ksRight) != 0 && !hasSelectedText() && cursorPosition() == text().size()) {
            focusNextPrevChild(true);
            return;
        }
    }
    if (pasteLocked() && e->matches(QKeySequence::Paste)) {
        return;
    }

    // Key press: only keys that carry a character.
    const QString typed = isTab ? QStringLiteral("\t") : isEnterKey(key) ? QStringLiteral("\r") : e->text();
    if (typed.isEmpty()) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    const QChar ch = typed.at(0);
    const char16_t u = ch.unicode();
    update();
    const bool isEnterChar = u == '\r';
    const bool isTabChar = u == '\t';
    const bool skipFilters = isEnterChar || (isTabChar && (autoNext_ & acTabKey) != 0);

    if (!skipFilters) {
        int zeros = 0;
        if (zeroKeyApplies(zero2_, ch)) {
            zeros = 2;
        } else if (zeroKeyApplies(zero3_, ch)) {
            zeros = 3;
        }
        if (zeros != 0) {
            insertAtCaret(QString(zeros, QLatin1Char('0')));
            return;
        }
        if (isNumericStyle()) {
            if (!acceptedByStyle(ch)) {
                return;
            }
            if (isMinusStyle() && u == '-') {
                const auto amount = controls::parseCurrency(stripped(text()).toStdString()).value_or(0);
                if (amount != 0) {
                    setTextKeepingLimit(QString::fromStdString(controls::currencyToPlain(-amount)));
                    setCursorPosition(static_cast<int>(text().size()));
                    return;
                }
            }
            if (isFloatStyle() && u == '.' && (text().isEmpty() || text().contains(QLatin1Char('.')))) {
                return;
            }
        }
    }

    if (u == 8 || u == 27 || u == 0x82) {
        result_ = 0;
        if (u == 27) {
            return;
        }
    } else if (isTabChar && (autoNext_ & acTabKey) != 0) {
        result_ |= acTabKey | acSendEnter;
        emit OnKeyPress(ch);
        return; // the owner moves on; the edit itself inserts no tab
    } else {
        if (isEnterChar && enterNoBeep_) {
            return;
        }
        result_ &= ~(acMaxLength | acSendEnter);
        if (!isEnterChar && (autoNext_ & acMaxLength) != 0 && maxLength_ > 0) {
            const int filled = static_cast<int>(stripped(text()).size()) + 1 - static_cast<int>(selectedText().size());
            if (filled >= maxLength_) {
                result_ |= acMaxLength;
                if ((autoNext_ & acSendEnter) != 0) {
                    result_ |= acSendEnter; // typed normally; the owner decides
                } else {
                    insertAtCaret(QString(ch));
                    focusNextPrevChild(true);
                    return;
                }
            }
        }
    }

    if (kanaMode_ != kmNone && !imeOn_ && u > 31 && u != 127) {
        captureReading(QString(ch));
    }
    emit OnKeyPress(ch);
    if (isEnterChar) {
        // The edit claims every key: Enter without its key style stays here
        // and does not press the form's default button.
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TTolvanEdit::insertAtCaret(QString inserted)
{
    QString value = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int selLength = static_cast<int>(selectedText().size());
    const int sepsBefore = sepsOf(value);
    value.remove(start, selLength);
    if (maxLength_ > 0) {
        const int room = std::max(0, maxLength_ - static_cast<int>(stripped(value).size()));
        inserted = inserted.left(room);
    }
    value.insert(start, inserted);
    setTextKeepingLimit(value); // the change handling reformats
    if (maxLength_ > 0) {
        const int length = static_cast<int>(comma_ ? stripped(text()).size() : text().size());
        if (length >= maxLength_) {
            result_ |= acMaxLength;
            if ((autoNext_ & acSendEnter) != 0) {
                result_ |= acSendEnter;
            }
        }
    }
    const int caret = start + static_cast<int>(inserted.size()) + (sepsOf(text()) - sepsBefore);
    setCursorPosition(std::clamp(caret, 0, static_cast<int>(text().size())));
}

void TTolvanEdit::onTextChanged()
{
    if (!comma_ || !typedKey_) {
        return;
    }
    typedKey_ = false;
    const QString before = text();
    const int caret = cursorPosition();
    const int sepsBefore = sepsOf(before);
    const QString after = formatted(before);
    if (after == before) {
        applyTextLimit();
        return;
    }
    setTextKeepingLimit(after);
    const int sepsAfter = sepsOf(after);
    int delta = 0;
    if (before.isEmpty() || sepsAfter > sepsBefore) {
        delta = 1;
    } else if (sepsAfter < sepsBefore) {
        delta = -1;
    }
    setCursorPosition(std::clamp(caret + delta, 0, static_cast<int>(after.size())));
}

void TTolvanEdit::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    result_ = 0;
    if (isNumericStyle() && !outputFormat_.isEmpty() && !comma_) {
        setTextKeepingLimit(stripped(text()));
        selectAll();
    }
}

void TTolvanEdit::focusOutEvent(QFocusEvent* e)
{
    if (e->reason() != Qt::PopupFocusReason) {
        FormatText();
        result_ = 0;
    }
    QLineEdit::focusOutEvent(e);
}

void TTolvanEdit::captureReading(const QString& piece)
{
    QString reading = controls::toKatakana(kana_ + piece);
    if (kanaMode_ == kmHankaku) {
        reading = controls::toHalfWidth(reading);
    }
    kana_ = controls::cutToSjisBytes(reading, ReadingLimitBytes);
}

void TTolvanEdit::inputMethodEvent(QInputMethodEvent* e)
{
    const QString preedit = e->preeditString();
    const QString commit = e->commitString();
    if (!imeOn_ && !preedit.isEmpty()) {
        imeOn_ = true;
        emit OnImeStatusChange();
    }
    if (isKanaOnly(preedit)) {
        preedit_ = preedit; // the reading before conversion stands for the result reading
    }
    if (!commit.isEmpty() && kanaMode_ != kmNone) {
        captureReading(preedit_.isEmpty() ? commit : preedit_);
    }
    if (imeOn_ && (!commit.isEmpty() || preedit.isEmpty())) {
        imeOn_ = false;
        preedit_.clear();
        emit OnImeStatusChange();
    }
    QLineEdit::inputMethodEvent(e);
}

void TTolvanEdit::contextMenuEvent(QContextMenuEvent* e)
{
    if (pasteLocked()) {
        e->accept();
        return;
    }
    QLineEdit::contextMenuEvent(e);
}

void TTolvanEdit::mousePressEvent(QMouseEvent* e)
{
    if (pasteLocked() && (e->button() == Qt::RightButton || e->button() == Qt::MiddleButton)) {
        e->accept();
        return;
    }
    QLineEdit::mousePressEvent(e);
}

void TTolvanEdit::enterEvent(QEnterEvent* e)
{
    QLineEdit::enterEvent(e);
    emit OnMouseEnter(QGuiApplication::keyboardModifiers(), e->position().toPoint());
}

void TTolvanEdit::leaveEvent(QEvent* e)
{
    QLineEdit::leaveEvent(e);
    emit OnMouseLeave(QGuiApplication::keyboardModifiers(), mapFromGlobal(QCursor::pos()));
}
