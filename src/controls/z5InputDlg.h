#pragma once
// The input dialog: one line of text, a password, a choice from a list that
// may also be typed, an amount in yen, or a pair of dates. It is the real
// handler behind core's input-dialog service (installInputDlgHandler).

#include "controls/SDI.h"
#include "controls/xKeyStyle.h"
#include "core/InputDlgService.h"
#include "core/uAccRecord.h"

#include <QStringList>

class QLabel;
class QPlainTextEdit;
class TTolvanEdit;
class TTolvanExDateEdit;
class TxCheckBox;
class TxComboBox;
class TxEdit;
class TxPlButton;

class TInputDlgBox : public TBSDI {
    Q_OBJECT
public:
    explicit TInputDlgBox(QWidget* parent = nullptr);
    ~TInputDlgBox() override;

    int InputKind = 0;
    QString InputCaption;
    QString InputMessage;
    QColor InputColor;
    QString InputValue;
    TDateTime Date1 = 0, MinDate1 = 0, MaxDate1 = 0;
    TDateTime Date2 = 0, MinDate2 = 0, MaxDate2 = 0;
    QString InputHint;
    int InputMaxLength = 0;
    TImeMode InputImeMode = imDontCare;
    bool InputRequired = false;
    int KeyFilter = 0;
    QStringList ComboItems;

    void InitDialog(bool flag);
    void SetKeyFilter(int filter);
    void SetControls();

    // Whether ch may be entered under filter (10, 20, 30, 40; 0 lets all).
    static bool FilterAccepts(int filter, QChar ch);

    // Controls, for the screens and tests.
    QLabel* lblMain = nullptr;
    QWidget* pnlText = nullptr;
    TxEdit* txtInput = nullptr;
    TxCheckBox* btnFuseji = nullptr;
    QWidget* pnlCombo = nullptr;
    TxComboBox* cmbInput = nullptr;
    QWidget* pnlKingaku = nullptr;
    TTolvanEdit* txtKingaku = nullptr;
    QWidget* pnlDate = nullptr;
    TTolvanExDateEdit* txtHizuke1 = nullptr;
    TTolvanExDateEdit* txtHizuke2 = nullptr;
    QPlainTextEdit* HintArea = nullptr;
    TxPlButton* btnHelp = nullptr;
    TxPlButton* btnOK = nullptr;
    TxPlButton* btnCancel = nullptr;

protected:
    void FormClose(TCloseAction& action) override;
    void CMShowingChanged(bool visible) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void btnOKClick();
    void btnFusejiClick();
    bool filterRefuses(const QString& text);

    bool initFlag_ = false;
    bool filterHooked_ = false;
};

namespace controls {

// Fills a dialog from core's request, shows it modally and writes the entry
// back on OK; the modal result.
int runInputDlg(TInputDlgRequest& request);
// Makes the dialog the handler of core's input-dialog service; returns the
// handler it replaces.
core::InputDlgHandler installInputDlgHandler();

} // namespace controls
