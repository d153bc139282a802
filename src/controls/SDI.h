#pragma once
// The base form of every secondary screen: the long part of each control's
// hint in a help memo, Esc and F12 on key-up, the run-log row in the
// company database, the per-operator window size memory, placement, the
// first-show layout steps and scaling to the operator's screen font, list
// grid colours and the set-up of period panels and date edits from the
// open company.
//
// A screen derives from TBSDI: the constructor is the base FormCreate, so
// the descendant sets its switches in its own constructor, builds its
// controls and, once they exist, calls SetupPeriodControls() (Qt creates
// children after the base constructor, so the base cannot find them yet).
// Descendants override FormShow/FormClose/FormDestroy/FormKeyUp and call
// the base version first.

#include "controls/ColorUtil.h"
#include "controls/SDILayout.h"
#include "core/MessageService.h"
#include "core/SitenList.h"
#include "platform/firebird/firebird.h"

#include <QDialog>
#include <QPointer>

#include <memory>
#include <string>

class QAbstractItemView;
class QPlainTextEdit;
class QTextEdit;
class TxPlButton;

// What closing does with the form (VCL close actions).
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

enum class TFormBorderStyle { bsDialog, bsSizeable };

// A stored-procedure call on the company database: the call statement is
// built from the procedure's input parameters when it is first needed.
class TDatStoredProc {
public:
    TDatStoredProc(
        platform::firebird::Database* database, platform::firebird::Transaction* transaction, std::string name);
    const std::string& Name() const { return name_; }
    // The input parameter (the call is prepared on first use; the
    // transaction must be active). Throws EIBError for an unknown
    // procedure or parameter.
    platform::firebird::Param& ParamByName(const std::string& name);
    void ExecProc();

private:
    void prepareCall();
    platform::firebird::Query query_;
    std::string name_;
    bool prepared_ = false;
};

namespace controls {

// A control's hint, "short|long": the short part is its tooltip, the long
// part goes to the form's help memo.
void SetHint(QWidget* control, const QString& hint);
QString Hint(const QWidget* control);
// The text after the first "|", or the whole hint without one.
QString LongHint(const QString& hint);

// One information box with one line (OK).
void ShowInformation(const std::string& line);

// The list-grid colours of the operator's settings (mode 1: one back
// colour; otherwise alternating rows).
struct TGridColors {
    TColorValue FixedBackColor = 0, FixedBorderColor = 0, BackColor = 0, OddRowBackColor = 0, FocusBorderColor = 0,
                BorderColor = 0, ThruBorderColor = 0, DisabledColor = 0, VoidAreaColor = 0;
};
TGridColors GridColors(int mode);

} // namespace controls

class TBSDI : public QDialog {
    Q_OBJECT
public:
    explicit TBSDI(QWidget* parent = nullptr, TFormBorderStyle borderStyle = TFormBorderStyle::bsDialog);
    ~TBSDI() override;

    // --- switches and fields ---------------------------------------------------
    bool InitOK = false;
    bool HostMenuNotify = false;
    bool SkipProcCheck = true;
    bool RunLog = true;
    bool SizeMemory = true;
    bool ReloadAccInfo = true;
    bool ActivateFlag = true;
    std::int32_t ActivateValue = 0;
    bool Shown = false;
    bool AlwaysPlace = true;
    // Receives the long hint of the focused control (QPlainTextEdit or QTextEdit).
    QPointer<QWidget> HelpMemo;
    bool KeepOnClose = false;
    QPointer<TxPlButton> DefaultButton;
    bool FocusDefaultButton = true;
    TMessage2InfoRec MessageRec;
    std::string ScreenValue;
    std::unique_ptr<TGamenKeyValue> ScreenKeyValue;
    QPointer<QWidget> OwnerWindow;
    std::string OwnerCaption;
    // The form's own short transactions on the company database.
    platform::firebird::Transaction IBTransactionDAT;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    bool IsDialogStyle() const { return borderStyle_ == TFormBorderStyle::bsDialog; }
    // The operator's hint switch as the form applies it: tooltips show
    // only while it is on.
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool on) { showHint_ = on; }

    // --- operations ---------------------------------------------------------------
    void SetParentWindow(QWidget* window);
    static void ShowLongHint(QWidget* control, QWidget* target);
    void SetGridColors(QAbstractItemView* grid, int mode);
    // Statements on the company database in IBTransactionDAT; none when
    // there is no connected company database.
    std::unique_ptr<platform::firebird::Query> CreateDatQuery();
    std::unique_ptr<TDatStoredProc> CreateDatProc(const std::string& name);
    void RestoreScreenValue();
    void SaveScreenValue();
    void SetupPeriodControls();

    // Run log (mode 0 open, 1 close); database errors are reported under
    // "TBSDI.PutProcRirekiInfo" and raised again.
    void PutProcRirekiInfo(int mode);
    // Size memory; database errors are reported and swallowed.
    void GetFormSize();
    void PutFormSize();
    // Placement: kind 1 over an area of the main form, 2 over the main
    // form, anything else the screen centre; kept inside the work area.
    void SetFormPosition(int a, int b, int c, int d, int kind);

    // The main form the placement and size memory refer to (the
    // application's main window). Tests and the program set it.
    static void SetMainForm(QWidget* form);
    static QWidget* MainForm();

    // The design layout recorded at the first show (released at close).
    const TDesignLayout* DesignLayout() const { return designLayout_.get(); }
    // Scaled pixels per inch after the first show (96 before).
    int PixelsPerInch() const { return pixelsPerInch_; }

    // Modal show with the modal results of the system (1 OK, 2 Cancel...).
    int ShowModal() { return exec(); }
    // Ends the form with a result; the close handling runs first.
    void done(int r) override;

protected:
    // Life-cycle handlers; descendants call the base version first.
    virtual void FormShow();
    virtual void FormActivate();
    virtual void FormDeactivate() { }
    virtual void FormClose(TCloseAction& action);
    virtual void FormDestroy();
    // key: a Qt key code, set to 0 when consumed; shift: modifiers.
    virtual void FormKeyUp(int& key, Qt::KeyboardModifiers shift);
    // After the framework showed or hid the form.
    virtual void CMShowingChanged(bool visible);
    // After the focus moved to a control of this form.
    virtual void CMFocusChanged(QWidget* now);
    // When InitOK is off: "<caption>画面の初期化に失敗しました。" and the form
    // closes; true then.
    bool CloseWhenInitFailed();
    // The dialogs' showing: false when the initialisation failed (the form
    // closes) or the form is hidden; otherwise paints it at once and is
    // true, so the caller can place the focus.
    bool ReadyWhenShown(bool visible);

    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void firstShow();
    bool ownsWidget(QObject* o) const;
    bool runFormClose();
    void afterClose();

    TFormBorderStyle borderStyle_;
    bool showHint_ = true;
    const QEvent* lastKeyUp_ = nullptr;
    bool closing_ = false;
    bool freeAfterClose_ = false;
    int pixelsPerInch_ = 96;
    std::unique_ptr<TDesignLayout> designLayout_;
};
