#pragma once
// Key styles shared by the keyboard-navigating controls, and the focus move
// every control uses to leave itself.

#include <QKeyEvent>
#include <QWidget>

// Which of Enter and the four arrows move the focus (set bits).
enum TKeyStyle : unsigned {
    ksEnter = 1u << 0,
    ksLeft = 1u << 1,
    ksUp = 1u << 2,
    ksRight = 1u << 3,
    ksDown = 1u << 4,
};
using TKeyStyles = unsigned;
inline constexpr TKeyStyles AllKeyStyles = ksEnter | ksLeft | ksUp | ksRight | ksDown;

// Input-method modes a screen may ask of an edit; imDisable turns the input
// method off for the control, the others only hint at it.
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata };

namespace controls {

// True for the Enter keys (main keyboard and keypad).
inline bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Shift, Ctrl, Alt or Meta held (the keypad flag does not count).
inline bool hasModifier(Qt::KeyboardModifiers mods)
{
    return (mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

// The control style of an arrow key, 0 for any other key.
inline TKeyStyles styleOfArrow(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return ksLeft;
    case Qt::Key_Up:
        return ksUp;
    case Qt::Key_Right:
        return ksRight;
    case Qt::Key_Down:
        return ksDown;
    default:
        return 0;
    }
}

// Left and Up go back, Right and Down forward.
inline bool arrowGoesForward(int key)
{
    return key == Qt::Key_Right || key == Qt::Key_Down;
}

} // namespace controls

// The key styles of a keyboard-navigating control; the control's key
// handling reads keyStyles_.
class TKeyStyled {
public:
    TKeyStyles KeyStyles() const { return keyStyles_; }
    void SetKeyStyles(TKeyStyles styles) { keyStyles_ = styles & AllKeyStyles; }

protected:
    explicit TKeyStyled(TKeyStyles initial = ksEnter | ksUp)
        : keyStyles_(initial)
    {
    }

    // Enter pressed and ksEnter set: the focus goes on.
    bool enterLeaves(int key) const { return controls::isEnterKey(key) && (keyStyles_ & ksEnter) != 0; }
    // An arrow without modifiers whose style is set: the focus moves that way.
    bool arrowLeaves(const QKeyEvent* e) const
    {
        const TKeyStyles style = controls::styleOfArrow(e->key());
        return style != 0 && !controls::hasModifier(e->modifiers()) && (keyStyles_ & style) != 0;
    }

    TKeyStyles keyStyles_;
};
