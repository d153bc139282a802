#pragma once
// The print options dialogs: TPrintDlgBox (colour, start page, both-sides
// margin; print, preview, copy) and TDataSentakuPrintDlg, its descendant for
// the data list, which asks for the paper orientation. The choices travel
// in the caller's TDefaultPrintRec and can be kept per operator and report
// in STYLECOLOR of the system database.

#include "controls/SDI.h"
#include "print/PrDataList.h"

#include <QColor>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class TxCheckBox;
class TxEdit;
class TxPlButton;
class TxRadioButton;

class TPrintDlgBox : public TBSDI {
    Q_OBJECT
public:
    explicit TPrintDlgBox(QWidget* parent = nullptr);
    ~TPrintDlgBox() override;

    std::string PrintCaption;
    std::string PrintMessage;
    QColor PrintColor;
    bool UseStyleColor = false;
    TDefaultPrintRec* PrintRec = nullptr; // the caller's record
    bool ColorVisible = false;
    bool StartPageVisible = false;
    bool BothVisible = false;
    bool PreviewVisible = false;
    bool CopyVisible = false;
    std::uint8_t PressedButton = 0; // 1 print, 2 preview, 3 copy

    static void InitDefaultPrintRec(TDefaultPrintRec& rec) { ::InitDefaultPrintRec(rec); }
    // "020-" and the record's style name in capitals, cut to 40 bytes, trimmed.
    std::string StyleName() const;

    virtual void InitDialog(bool flag);
    virtual void SetControls();
    virtual void SetHints();
    // "Hozon" saves the controls into the record, "Fukugen" restores them.
    virtual void ScreenValues(const std::string& action);

    void GetStyleColorRec();
    void PutStyleColorRec();

    // The controls (tests reach them by these names too).
    QLabel* lblMain;
    QLabel* lblColor;
    QGroupBox* grpColor;
    TxRadioButton* btnMono;
    TxRadioButton* btnColor;
    TxPlButton* btnColorSelect;
    QLabel* lblStartPage;
    TxEdit* txtStartPage;
    TxCheckBox* chkBoth;
    QPlainTextEdit* HintArea;
    TxPlButton* btnPreview;
    TxPlButton* btnCopy;
    TxPlButton* btnOK;
    TxPlButton* btnCancel;

protected:
    void FormClose(TCloseAction& action) override;
    virtual void btnOKClick(TxPlButton* sender);
    void btnCancelClick();
    void btnColorSelectClick();

public:
    // Called with the colour box before it is shown (tests script it).
    std::function<void(class TPrnColorSetBox&)> ColourBoxHook;

protected:
    std::vector<std::string> work_; // screen values being built
    bool flag_ = false;
};

class TDataSentakuPrintDlg : public TPrintDlgBox {
    Q_OBJECT
public:
    explicit TDataSentakuPrintDlg(QWidget* parent = nullptr);

    std::int32_t PaperOrientation = 0;
    TxRadioButton* btnYousiTate;
    TxRadioButton* btnYousiYoko;

    void InitDialog(bool flag) override;
    void SetControls() override;
    void SetHints() override;
    void ScreenValues(const std::string& action) override;

protected:
    void btnOKClick(TxPlButton* sender) override;
};

// F8 of the data-selection screen and the shared-server list: the options
// dialog, then the data list printed (OK) or previewed. False when the
// dialog was cancelled or nothing was printed.
bool PrintDisplayedList(QWidget* parent, std::uint8_t listKind, const TDataSentakuRecArray& rows,
    const TDataSentakuRecDispArray& disp, print::JobRunner* runner = nullptr);
