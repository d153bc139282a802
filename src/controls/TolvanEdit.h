#pragma once
// The single-line edit for amounts and for names whose reading is captured:
// key filters by edit style, live thousands separators, keys that type "00"
// or "000", a minus key that toggles the sign, moving on when full, and the
// reading of what is typed through the input method.

#include "controls/xEdit.h"

#include <QColor>
#include <QLineEdit>

enum TEditStyle { esNone, esNumeric, esFloat, esNumericMinus, esFloatMinus };
enum TKanaMode { kmNone, kmZenkaku, kmHankaku };
enum TZeroKey { zkNone, zkDot, zkPlus, zkMinus, zkAsterisk, zkSlash };
enum TAutoNextCtl : unsigned {
    acMaxLength = 1u << 0,
    acTabKey = 1u << 1,
    acDownKey = 1u << 2,
    acSendEnter = 1u << 3,
};
using TAutoNextCtls = unsigned;
inline constexpr TAutoNextCtls AllAutoNextCtls = acMaxLength | acTabKey | acDownKey | acSendEnter;

class TTolvanEdit : public QLineEdit, public TKeyStyled {
    Q_OBJECT
public:
    explicit TTolvanEdit(QWidget* parent = nullptr);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TEditStyle EditStyle() const { return editStyle_; }
    void SetEditStyle(TEditStyle value) { editStyle_ = value; }
    QString OutputFormat() const { return outputFormat_; }
    void SetOutputFormat(const QString& value) { outputFormat_ = value; }
    bool Comma() const { return comma_; }
    void SetComma(bool on);
    TZeroKey Zero2Key() const { return zero2_; }
    void SetZero2Key(TZeroKey key) { zero2_ = key; }
    TZeroKey Zero3Key() const { return zero3_; }
    void SetZero3Key(TZeroKey key) { zero3_ = key; }
    bool AllowBlank() const { return allowBlank_; }
    void SetAllowBlank(bool on) { allowBlank_ = on; }
    TAutoNextCtls AutoNextCtls() const { return autoNext_; }
    void SetAutoNextCtls(TAutoNextCtls value) { autoNext_ = value & AllAutoNextCtls; }
    TAutoNextCtls AutoNextCtls_Result() const { return result_; }
    bool EnterKeyNoBeep() const { return enterNoBeep_; }
    void SetEnterKeyNoBeep(bool on) { enterNoBeep_ = on; }
    TKanaMode KanaMode() const { return kanaMode_; }
    void SetKanaMode(TKanaMode mode) { kanaMode_ = mode; }
    QString Kana() const { return kana_; }
    void SetKana(const QString& text) { kana_ = text; }
    bool KillPaste() const { return killPaste_; }
    void SetKillPaste(bool on) { killPaste_ = on; }
    TImeMode ImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode mode);
    bool ImeOnFlg() const { return imeOn_; }
    QColor Brush() const { return brush_; }
    void SetBrush(const QColor& colour);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);

    // The field length counted without separators (0: no limit). The
    // widget's own text limit follows it plus the separators shown.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);

    // The text formatted with OutputFormat, as on leaving the field.
    void FormatText();

signals:
    void OnImeStatusChange();
    void OnMouseEnter(Qt::KeyboardModifiers shift, QPoint pos);
    void OnMouseLeave(Qt::KeyboardModifiers shift, QPoint pos);
    // A character that reached the edit's own key handling (its OnKeyPress).
    void OnKeyPress(QChar ch);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    bool isNumericStyle() const { return editStyle_ != esNone; }
    bool isFloatStyle() const { return editStyle_ == esFloat || editStyle_ == esFloatMinus; }
    bool isMinusStyle() const { return editStyle_ == esNumericMinus || editStyle_ == esFloatMinus; }
    bool zeroKeyApplies(TZeroKey key, QChar ch) const;
    bool acceptedByStyle(QChar ch) const;
    QString formatted(const QString& text) const;
    void setTextKeepingLimit(const QString& text);
    void applyTextLimit();
    void insertAtCaret(QString inserted);
    void onTextChanged();
    void captureReading(const QString& piece);
    bool pasteLocked() const { return killPaste_ && imeMode_ == imDisable; }

    TAlignment alignment_ = taLeftJustify;
    TEditStyle editStyle_ = esNone;
    QString outputFormat_;
    bool comma_ = false;
    TZeroKey zero2_ = zkNone;
    TZeroKey zero3_ = zkNone;
    bool allowBlank_ = false;
    TAutoNextCtls autoNext_ = 0;
    TAutoNextCtls result_ = 0;
    bool enterNoBeep_ = false;
    TKanaMode kanaMode_ = kmNone;
    QString kana_;
    QString preedit_;
    bool killPaste_ = false;
    TImeMode imeMode_ = imDontCare;
    bool imeOn_ = false;
    QColor brush_ = Qt::white;
    bool transparent_ = false;
    int maxLength_ = 0;
    bool typedKey_ = false;
    bool settingText_ = false;
};

namespace controls {
// The character a zero key stands for (0 for zkNone).
QChar zeroKeyChar(TZeroKey key);
} // namespace controls
