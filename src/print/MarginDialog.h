#pragma once
// The preview's margin and spacing dialog "設定" (Tfmyohaku), its numeric
// key filter, and the engine's small text routines.

#include <QDialog>

#include <string>
#include <vector>

class QToolButton;
class TxEdit;

namespace print {

// The key a numeric field accepts, or 0 to refuse it (kinds 0-4: digits;
// digits and Backspace; unsigned decimal; signed integer; signed decimal).
char16_t FilterNumericKey(const std::u16string& text, char16_t key, int kind, bool wholeTextSelected);

// The text cut at its first "//", split at sep into at most 101 pieces
// (the rest stays in the last); answers the number of separators used.
int SplitFields(const std::string& text, char sep, std::vector<std::string>& pieces);
// Piece n (from 0), blanks trimmed; "" when there are fewer pieces.
std::string NthField(const std::string& text, char sep, int n);
// The text as a number, 0 when it is none.
double SafeStrToFloat(const std::string& text);
// The personal documents folder (created when missing).
std::string GetSpecialFolder();

class Tfmyohaku : public QDialog {
    Q_OBJECT
public:
    explicit Tfmyohaku(QWidget* parent = nullptr);

    void setTopMargin(int v);
    void setLeftMargin(int v);
    void setVRatio(int v); // 950..1050 shows v - 1000, anything else 0
    void setHRatio(int v);
    // Hides the spacing group (the printer's paper is not the job's).
    void setSpacingVisible(bool on);

    int TopMargin = 0;
    int LeftMargin = 0;
    int VRatio = 1000;
    int HRatio = 1000;

    TxEdit* edtLeft; // horizontal margin
    TxEdit* edtTop; // vertical margin
    TxEdit* edtVCorr; // vertical correction
    TxEdit* edtHCorr; // horizontal correction

public slots:
    void OkClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clampField(TxEdit* edit) const;
    int limitOf(const TxEdit* edit) const;
    QWidget* spacingGroup_;
    int topLimit_ = 100, leftLimit_ = 100;
};

} // namespace print
