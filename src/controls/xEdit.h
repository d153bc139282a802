#pragma once
// Keyboard-navigating input controls: an edit, a combo box, a check box, a
// radio button and a mask edit that move the focus on Enter and the arrow
// keys as their key styles say.

#include "controls/xKeyStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <cstdint>

enum TCursorPos { cpAllSel, cpLeft, cpRight };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TxEdit : public QLineEdit, public TKeyStyled {
    Q_OBJECT
public:
    explicit TxEdit(QWidget* parent = nullptr);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool KeyEdit3D() const { return hasFrame(); }
    void SetKeyEdit3D(bool sunken) { setFrame(sunken); }
    TCursorPos CursorPos() const { return cursorPos_; }
    void SetCursorPos(TCursorPos value) { cursorPos_ = value; }

    // The text as an amount (scaled by 10,000) / an integer; 0 when it does
    // not parse. Writing 0 leaves the text as it is.
    std::int64_t Curr() const;
    void SetCurr(std::int64_t amount);
    int Long() const;
    void SetLong(int value);

    // The reading gathered while typing, as half-width katakana.
    QString kana();
    void SetKana(const QString& text);
    bool KanaSw() const { return kanaSw_; }
    void SetKanaSw(bool on) { kanaSw_ = on; }

    bool KillPaste() const { return killPaste_; }
    void SetKillPaste(bool on) { killPaste_ = on; }
    TImeMode ImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode mode);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    bool pasteLocked() const { return killPaste_ && imeMode_ == imDisable; }

    TAlignment alignment_ = taLeftJustify;
    TCursorPos cursorPos_ = cpAllSel;
    bool kanaSw_ = false;
    bool capturing_ = false;
    bool killPaste_ = true;
    TImeMode imeMode_ = imDontCare;
    QString reading_;
    QString preedit_;
};

class TxComboBox : public QComboBox, public TKeyStyled {
    Q_OBJECT
public:
    explicit TxComboBox(QWidget* parent = nullptr);

    int DropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int width) { dropDownWidth_ = width; }
    int KeyLen() const { return keyLen_; }
    void SetKeyLen(int len) { keyLen_ = len; }
    QString KeyTerm() const { return keyTerm_; }
    void SetKeyTerm(const QString& term) { keyTerm_ = term; }

    // The item code-prefix selection has settled on; -1 when none.
    int ChosenIndex() const { return chosen_; }
    bool isPopupShown() const { return popupShown_; }

    void showPopup() override;
    void hidePopup() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void onTextEdited(const QString& text);
    QString prefixKey(const QString& text) const;

    int dropDownWidth_ = 0;
    int keyLen_ = 0;
    QString keyTerm_ = QStringLiteral(":");
    int chosen_ = -1;
    bool popupShown_ = false;
    QString typed_; // code prefix typed into a list-style combo
};

class TxCheckBox : public QCheckBox, public TKeyStyled {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

class TxRadioButton : public QRadioButton, public TKeyStyled {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

class TxMaskEdit : public QLineEdit, public TKeyStyled {
    Q_OBJECT
public:
    explicit TxMaskEdit(QWidget* parent = nullptr);

    // A mask in the "mask;save literals;blank" form ("aaaa-aaaa-aaaa;1;_").
    void SetEditMask(const QString& mask);
    QString EditMask() const { return editMask_; }
    // The text as the mask says to keep it: with literals when the mask's
    // second field is 1 (or absent), the entered characters only otherwise.
    QString EditText() const;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QString editMask_;
    bool saveLiterals_ = true;
};

namespace controls {
// The Qt input mask for a mask of the edit's own notation (only the mask
// part, without ";" fields): L/l letter, A/a letter or digit, C/c any
// character, 0/9 digit, # digit or sign, > < <> case, \ literal.
QString toQtInputMask(const QString& mask, QChar blank);
} // namespace controls
