#pragma once
// The era-aware date and time edit: an era selector, year, month and day,
// then optionally a morning/afternoon selector, hour, minute and second,
// each number followed by its unit label. Digits are typed field by field
// and Enter moves on as Tab does. The value and its check are in
// TolvanExDateValue.

#include "controls/ColorUtil.h"
#include "controls/TolvanExDateValue.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <array>
#include <exception>

// The silent abort: an operation that read a refused value stops here;
// the user has already been told.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "abort"; }
};

class TTolvanExDateEdit;

class TTolvanExDateEditLabel : public QLabel {
    Q_OBJECT
public:
    TTolvanExDateEditLabel(const QString& text, TTolvanExDateEdit* owner);
    TTolvanExDateEdit* Owner() const { return owner_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TTolvanExDateEdit* owner_;
};

class TTolvanExDateEdit : public QWidget {
    Q_OBJECT
public:
    explicit TTolvanExDateEdit(QWidget* parent = nullptr);

    TTolvanExDateEditStyle EditStyle() const { return s_.style; }
    void SetEditStyle(TTolvanExDateEditStyle style);
    bool EditGengo() const { return s_.editGengo; }
    void SetEditGengo(bool on);
    TTolvanExRekiSet Gengo() const { return s_.gengo; }
    void SetGengo(TTolvanExRekiSet value);
    bool EditAmpm() const { return s_.editAmpm; }
    void SetEditAmpm(bool on);
    TTolvanExYeardigitSet Yeardigit() const { return s_.yeardigit; }
    void SetYeardigit(TTolvanExYeardigitSet value);
    bool UseWarekiTable() const { return useTable_; }
    void SetUseWarekiTable(bool on);
    TDateTime MinDate() const { return s_.minDate; }
    void SetMinDate(TDateTime value);
    TDateTime MaxDate() const { return s_.maxDate; }
    void SetMaxDate(TDateTime value);
    bool CanEmpty() const { return s_.canEmpty; }
    void SetCanEmpty(bool on) { s_.canEmpty = on; }
    bool AutoSelect = true;
    bool EnterNext = true;
    bool DropDownKey = true;
    bool ExitCheck = false;
    bool DisplayError = true;
    QString DialogCaption = QStringLiteral("日付時刻入力");
    int SpaceWidth() const { return spaceWidth_; }
    void SetSpaceWidth(int value);
    TColorValue LabelColor() const { return labelColor_; }
    void SetLabelColor(TColorValue c);
    TColorValue Color() const { return color_; }
    void SetColor(TColorValue c);
    TColorValue FocusedColor = controls::clWhite;
    TColorValue DisableColor() const { return disableColor_; }
    void SetDisableColor(TColorValue c);
    TColorValue DisableFontColor() const { return disableFontColor_; }
    void SetDisableFontColor(TColorValue c);
    void SetLabelText(exdate::TPart part, const QString& text);
    // The parts are tab stops (the control itself never is). With it off,
    // Tab still moves between the parts once one of them has the focus.
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool on);

    void SetGengoTable(const TGengoArray& table);

    // The value: reading runs the input check, which shows its message,
    // moves the focus and throws EAbort when the entry is refused. 0 when
    // empty.
    TDateTime DateTime();
    void SetDateTime(TDateTime value);
    void ClearValue();
    // Runs the check; false (after reporting) when the entry is refused.
    bool CheckInput();
    unsigned ErrorCode() const { return error_; }
    bool IsEmpty() const { return empty_; }

    QComboBox* EraBox() const { return era_; }
    QComboBox* AmpmBox() const { return ampm_; }
    QLineEdit* Field(exdate::TPart part) const;
    TTolvanExDateEditLabel* UnitLabel(exdate::TPart part) const;
    QWidget* Part(exdate::TPart part) const;

signals:
    void OnChange(QObject* part);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    void relayout();
    void rebuildEraBox();
    // Sets the earliest or latest date (0: none) and keeps the value inside.
    void setDateBound(TDateTime& bound, TDateTime value);
    void showValue();
    void recolour();
    void report(const exdate::TCheckResult& r);
    exdate::TTexts texts() const;
    void focusPart(exdate::TPart part);
    void updateYearLength();

    exdate::TSettings s_;
    TGengoArray table_;
    bool useTable_ = false;
    int spaceWidth_ = 7;
    bool tabStop_ = true;
    void applyTabStop(bool on);
    TColorValue labelColor_ = 0xE4E4E4;
    TColorValue color_ = controls::clWhite;
    TColorValue disableColor_ = controls::clGrayText;
    TColorValue disableFontColor_ = controls::clWhite;
    TDateTime value_ = exdate::kUnsetDate;
    bool empty_ = true;
    unsigned error_ = 0;

    QComboBox* era_ = nullptr;
    QComboBox* ampm_ = nullptr;
    std::array<QLineEdit*, 8> fields_ {}; // by TPart (year..second)
    std::array<TTolvanExDateEditLabel*, 8> labels_ {}; // by TPart
};
