#include "controls/SDI.h"
#include "core/ProcessState.h"

#include "controls/ColorUtil.h"
#include "controls/TolvanExDateEdit.h"
#include "controls/xKikanPanel.h"
#include "controls/xPlButton.h"
#include "core/AccReg.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/DataModuleOpSupport.h"
#include "core/DateTimeUtil.h"
#include "core/IBErrorProc.h"
#include "core/PlatformUtil.h"
#include "core/uAccRecord.h"
#include "platform/gui/window_util.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableView>
#include <QTextEdit>

#include <cctype>
#include <functional>
#include <optional>

namespace fb = platform::firebird;

namespace {

QPointer<QWidget>& mainFormSlot()
{
    static QPointer<QWidget> form;
    return form;
}

// The sizing-frame width of the Windows metrics: a constant on this
// platform, chosen so that every frame correction is a no-op.
constexpr int kSizingFrameWidth = 4;

fb::EIBError missingComponent(const std::string& context)
{
    return fb::EIBError(0, 0, "会社データベースに接続されていないため、処理できません。", context);
}

// Runs work on a fresh statement of the system database in the data
// module's system transaction (started and finished here when not active).
// A database error is reported under context and swallowed: the size
// memory never stops a screen.
void withSizeStatement(const char* context, const char* message, const std::function<void(fb::Query&)>& work)
{
    try {
        auto q = core::CreateAccQuery("ACCDEF", false);
        if (!q || !core::DM->IBDatabaseDEF.connected())
            throw fb::EIBError(0, 0, "システムデータベースに接続されていないため、処理できません。", context);
        core::RunDbOperation(
            core::DM->IBTransactionDEF, core::DbPolicy(context).with(core::DbReport::Raise), [&] { work(*q); });
    } catch (const fb::EIBError& e) {
        core::IBErrorProc(e, context, message);
    }
}

std::string formName(const QWidget* form)
{
    const QString name = form->objectName();
    return name.isEmpty() ? std::string(form->metaObject()->className()) : name.toStdString();
}

} // namespace

namespace controls {

void SetHint(QWidget* control, const QString& hint)
{
    control->setProperty("hint", hint);
    control->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
}

QString Hint(const QWidget* control)
{
    const QVariant v = control->property("hint");
    return v.isValid() ? v.toString() : control->toolTip();
}

QString LongHint(const QString& hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void ShowInformation(const std::string& line)
{
    ShowMessageLines(msgkind::Information, {line});
}

TGridColors GridColors(int mode)
{
    TGridColors c;
    c.FixedBackColor = static_cast<TColorValue>(SysDef.ColHeaderColor);
    c.FixedBorderColor = clGray;
    c.BackColor = static_cast<TColorValue>(SysDef.ClientColor);
    c.OddRowBackColor = static_cast<TColorValue>(SysDef.ClientColor);
    c.FocusBorderColor = static_cast<TColorValue>(SysDef.ActiveColor);
    c.BorderColor = clGray;
    c.ThruBorderColor = (DistKind == 1 || DistKind == 2) ? 0x246BFF : 0x008000;
    c.DisabledColor = clGray;
    c.VoidAreaColor = clGrayText;
    if (mode != 1) {
        c.BackColor = static_cast<TColorValue>(SysDef.ClientColor1);
        c.OddRowBackColor = static_cast<TColorValue>(SysDef.ClientColor2);
    }
    return c;
}

} // namespace controls

// --- TDatStoredProc ---------------------------------------------------------------

TDatStoredProc::TDatStoredProc(fb::Database* database, fb::Transaction* transaction, std::string name)
    : query_(database, transaction)
    , name_(std::move(name))
{
}

void TDatStoredProc::prepareCall()
{
    if (prepared_)
        return;
    for (const char ch : name_) {
        if (!(std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '$'))
            throw fb::EIBError(0, 0, "ストアドプロシージャ名が正しくありません: " + name_, "TDatStoredProc");
    }
    fb::Query meta(query_.database(), query_.transaction());
    meta.sql().add("SELECT P.RDB$PROCEDURE_NAME, PP.RDB$PARAMETER_NAME FROM RDB$PROCEDURES P");
    meta.sql().add("LEFT JOIN RDB$PROCEDURE_PARAMETERS PP ON PP.RDB$PROCEDURE_NAME = P.RDB$PROCEDURE_NAME");
    meta.sql().add("  AND PP.RDB$PARAMETER_TYPE = 0");
    meta.sql().add("WHERE P.RDB$PROCEDURE_NAME = :NAME ORDER BY PP.RDB$PARAMETER_NUMBER");
    meta.paramByName("NAME").setString(name_);
    meta.open();
    if (meta.eof())
        throw fb::EIBError(0, 0, "ストアドプロシージャがありません: " + name_, "TDatStoredProc");
    std::string args;
    for (; !meta.eof(); meta.next()) {
        if (meta.field(1).isNull())
            continue;
        std::string p = meta.field(1).asString();
        while (!p.empty() && p.back() == ' ')
            p.pop_back();
        args += (args.empty() ? ":" : ", :") + p;
    }
    meta.close();
    query_.sql().clear();
    query_.sql().add("EXECUTE PROCEDURE " + name_ + (args.empty() ? std::string() : "(" + args + ")"));
    query_.prepare();
    prepared_ = true;
}

fb::Param& TDatStoredProc::ParamByName(const std::string& name)
{
    prepareCall();
    return query_.paramByName(name);
}

void TDatStoredProc::ExecProc()
{
    prepareCall();
    query_.execSQL();
}

// --- TBSDI ------------------------------------------------------------------------------

TBSDI::TBSDI(QWidget* parent, TFormBorderStyle borderStyle)
    : QDialog(parent)
    , borderStyle_(borderStyle)
{
    // Date texts always use "/" and "yyyy/MM/dd" (core's fixed formats), so
    // nothing process-wide needs setting here.
    setFont(controls::BaseFormFont());
    if (IsDialogStyle()) {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
        setSizeGripEnabled(false);
    } else {
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
            | Qt::WindowCloseButtonHint);
    }
    showHint_ = SysDef.ShowHint != 0;
    OwnerWindow = nullptr;
    OwnerCaption.clear();
    const bool normal = !IsDialogStyle();
    RunLog = normal;
    SkipProcCheck = normal;
    SizeMemory = normal;
    ReloadAccInfo = normal;
    ActivateFlag = normal;
    IBTransactionDAT.addParam("read_committed");
    IBTransactionDAT.addParam("rec_version");
    IBTransactionDAT.addParam("nowait");
    if (core::DM)
        IBTransactionDAT.setDefaultDatabase(&core::DM->IBDatabaseDAT);
    ScreenKeyValue = std::make_unique<TGamenKeyValue>();
    // The owner passed at creation is the form itself; no owner relation
    // is made from it (nothing relies on one).
    OwnerWindow = this;
    QApplication::instance()->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == this)
            CMFocusChanged(now);
    });
}

TBSDI::~TBSDI()
{
    QApplication::instance()->removeEventFilter(this);
    FormDestroy();
    if (IBTransactionDAT.inTransaction()) {
        try {
            IBTransactionDAT.rollback();
        } catch (...) {
        }
    }
}

void TBSDI::SetMainForm(QWidget* form)
{
    mainFormSlot() = form;
}
QWidget* TBSDI::MainForm()
{
    return mainFormSlot().data();
}

bool TBSDI::ownsWidget(QObject* o) const
{
    auto* w = qobject_cast<QWidget*>(o);
    return w && w->window() == this;
}

// --- life cycle ----------------------------------------------------------------------------

void TBSDI::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    try {
        FormShow();
    } catch (const std::exception&) {
        // Already reported where it failed (the run log reports its own
        // database errors); the form stays usable.
    }
    CMShowingChanged(true);
}

void TBSDI::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    if (!e->spontaneous())
        CMShowingChanged(false);
}

void TBSDI::FormShow()
{
    if (Shown)
        return;
    Shown = true; // set first: a failing step must not run the others twice
    if (RunLog)
        PutProcRirekiInfo(0);
    if (ReloadAccInfo)
        core::fnGetAccInfo();
    firstShow();
    if (SizeMemory)
        GetFormSize();
}

void TBSDI::firstShow()
{
    if (!IsDialogStyle())
        controls::CompensateFrame(this, controls::FrameShift(kSizingFrameWidth));
    designLayout_ = std::make_unique<TDesignLayout>(controls::RecordDesignLayout(this, AccInf.SisetuLabel));
    const int ppi = platform::gui::screenDotsPerInch();
    if (SizeMemory && !IsDialogStyle())
        setMinimumSize(width() * 60 / 100, height() * 60 / 100);
    if (ppi <= 96 && screen())
        setMaximumSize(screen()->size());
    const int base = controls::BaseFontPoints();
    const int d = base == 10 ? ppi : 96;
    const int r = controls::FontScalePercent(controls::ScreenFontPoints(), base, ppi);
    pixelsPerInch_ = controls::ScaledPixelsPerInch(ppi, base, r);
    controls::ScaleForm(this, pixelsPerInch_, d, *designLayout_, controls::OperatorScreenFont());
    if (IsDialogStyle())
        setFixedSize(size());
}

void TBSDI::FormActivate()
{
    // The activation hook and the stored FPU word of the original are
    // never filled in this program, so activation changes nothing.
}

void TBSDI::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            FormActivate();
        else
            FormDeactivate();
    }
}

void TBSDI::FormClose(TCloseAction& action)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::exception_ptr failure;
    try {
        if (SizeMemory)
            PutFormSize();
        if (RunLog)
            PutProcRirekiInfo(1);
    } catch (...) {
        failure = std::current_exception();
    }
    if (QInputMethod* im = QGuiApplication::inputMethod())
        im->commit();
    QGuiApplication::restoreOverrideCursor();
    if (!KeepOnClose)
        action = TCloseAction::caFree;
    if (failure)
        std::rethrow_exception(failure);
}

bool TBSDI::runFormClose()
{
    TCloseAction action = TCloseAction::caHide;
    try {
        FormClose(action);
    } catch (const std::exception&) {
        // Reported where it failed; the form closes all the same.
    }
    if (action == TCloseAction::caNone)
        return false;
    freeAfterClose_ = action == TCloseAction::caFree;
    return true;
}

void TBSDI::afterClose()
{
    // A modal form is hidden and its caller frees it; a modeless one asked
    // to be freed goes once the event loop comes back.
    if (freeAfterClose_ && !testAttribute(Qt::WA_ShowModal))
        deleteLater();
    freeAfterClose_ = false;
}

void TBSDI::done(int r)
{
    if (!closing_) {
        closing_ = true;
        const bool close = runFormClose();
        if (!close) {
            closing_ = false;
            return;
        }
        QDialog::done(r);
        closing_ = false;
        afterClose();
        return;
    }
    QDialog::done(r);
}

void TBSDI::closeEvent(QCloseEvent* e)
{
    if (closing_) {
        QDialog::closeEvent(e);
        return;
    }
    closing_ = true;
    if (!runFormClose()) {
        closing_ = false;
        e->ignore();
        return;
    }
    // Closing a form without a result of its own answers Cancel (2), as
    // the screens compare it; a Qt dialog would answer 0.
    if (isVisible())
        QDialog::done(2);
    e->accept();
    closing_ = false;
    afterClose();
}

void TBSDI::FormDestroy()
{
    designLayout_.reset();
    ScreenKeyValue.reset();
}

// --- keys, hints, showing ------------------------------------------------------------

void TBSDI::keyPressEvent(QKeyEvent* e)
{
    // Esc acts on key-up (FormKeyUp), not on the press as a Qt dialog would.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool TBSDI::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
        if (ownsWidget(watched))
            lastKeyUp_ = nullptr;
        break;
    case QEvent::KeyRelease: {
        // The form sees every key of its controls first, once per key: at
        // the widget the key was sent to, not again while it travels up
        // to the parents.
        if (!ownsWidget(watched) || e == lastKeyUp_)
            break;
        lastKeyUp_ = e;
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->isAutoRepeat())
            break;
        int key = ke->key();
        FormKeyUp(key, ke->modifiers() & ~Qt::KeypadModifier);
        if (key == 0)
            return true;
        break;
    }
    case QEvent::ToolTip:
        if (!showHint_ && ownsWidget(watched))
            return true;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, e);
}

void TBSDI::FormKeyUp(int& key, Qt::KeyboardModifiers shift)
{
    if (shift != Qt::NoModifier || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    if (key == Qt::Key_Escape) {
        if (IsDialogStyle())
            close();
        return;
    }
    if (key != Qt::Key_F12)
        return; // F1 and the other keys are the screens' own
    if (!IsDialogStyle()) {
        close();
        return;
    }
    TxPlButton* button = DefaultButton.data();
    if (!button || !button->isVisible() || !button->isEnabled() || !button->HasOnClick())
        return;
    if (FocusDefaultButton)
        button->setFocus(Qt::OtherFocusReason);
    key = 0;
    button->Click();
}

void TBSDI::CMShowingChanged(bool visible)
{
    if (visible) {
        // Input queued while the form was being built must not reach it.
        // Dropped once the show has returned to the event loop: processing
        // events inside the show would run a caller's queued work before
        // the form is modal.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isVisible())
                    platform::gui::clearInputMessages(this);
            },
            Qt::QueuedConnection);
        if (OnHostMenu && HostMenuNotify) {
            if (OnHostMenu(10, {}) > 0)
                HostMenuNotify = false;
            if (HostMenuNotify) {
                OnHostMenu(11, "SaffrinMenu");
                OnHostMenu(4, {});
            }
        }
    }
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

bool TBSDI::CloseWhenInitFailed()
{
    if (InitOK)
        return false;
    ShowMessageLines(msgkind::Error,
        {windowTitle().toStdString() + "画面の初期化に失敗しました。", "処理を終了します。"}, msgbtn::Yes);
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
    return true;
}

bool TBSDI::ReadyWhenShown(bool visible)
{
    // Only on showing: the hide that follows the close must not report again.
    if (!visible || CloseWhenInitFailed())
        return false;
    repaint();
    return true;
}

void TBSDI::CMFocusChanged(QWidget* now)
{
    if (HelpMemo)
        ShowLongHint(now, HelpMemo.data());
}

void TBSDI::ShowLongHint(QWidget* control, QWidget* target)
{
    if (!control || !target)
        return;
    const QString text = controls::LongHint(controls::Hint(control));
    if (auto* plain = qobject_cast<QPlainTextEdit*>(target))
        plain->setPlainText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(target))
        rich->setPlainText(text);
    else if (auto* line = qobject_cast<QLineEdit*>(target))
        line->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(target))
        label->setText(text);
}

void TBSDI::SetParentWindow(QWidget* window)
{
    OwnerWindow = window;
    OwnerCaption.clear();
    if (!window || window == this)
        return;
    // The owner relation of a top-level window: stay above it, centre on it.
    const Qt::WindowFlags flags = windowFlags();
    setParent(window, flags);
    OwnerCaption = window->windowTitle().toStdString();
}

void TBSDI::SetGridColors(QAbstractItemView* grid, int mode)
{
    if (!grid)
        return;
    const controls::TGridColors c = controls::GridColors(mode);
    QPalette pal = grid->palette();
    pal.setColor(QPalette::Base, controls::toQColor(c.BackColor));
    pal.setColor(QPalette::AlternateBase, controls::toQColor(c.OddRowBackColor));
    pal.setColor(QPalette::Highlight, controls::toQColor(c.FocusBorderColor));
    pal.setColor(QPalette::Window, controls::toQColor(c.VoidAreaColor));
    pal.setColor(QPalette::Disabled, QPalette::Text, controls::toQColor(c.DisabledColor));
    grid->setPalette(pal);
    grid->setAlternatingRowColors(c.BackColor != c.OddRowBackColor);
    const QString header
        = QStringLiteral("QHeaderView::section { background-color: %1; border: 1px solid %2; }")
              .arg(controls::toQColor(c.FixedBackColor).name(), controls::toQColor(c.FixedBorderColor).name());
    QString sheet = header;
    if (qobject_cast<QTableView*>(grid))
        sheet += QStringLiteral(" QTableView { gridline-color: %1; }").arg(controls::toQColor(c.BorderColor).name());
    grid->setStyleSheet(sheet);
    grid->setProperty("gridColors", QVariant::fromValue(static_cast<qulonglong>(c.ThruBorderColor)));
}

// --- statements --------------------------------------------------------------------------

std::unique_ptr<fb::Query> TBSDI::CreateDatQuery()
{
    try {
        if (!core::DM || !core::DM->IBDatabaseDAT.connected())
            return nullptr;
        if (!IBTransactionDAT.inTransaction())
            IBTransactionDAT.setDefaultDatabase(&core::DM->IBDatabaseDAT);
        return std::make_unique<fb::Query>(&core::DM->IBDatabaseDAT, &IBTransactionDAT);
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::unique_ptr<TDatStoredProc> TBSDI::CreateDatProc(const std::string& name)
{
    try {
        if (!core::DM || !core::DM->IBDatabaseDAT.connected())
            return nullptr;
        if (!IBTransactionDAT.inTransaction())
            IBTransactionDAT.setDefaultDatabase(&core::DM->IBDatabaseDAT);
        return std::make_unique<TDatStoredProc>(&core::DM->IBDatabaseDAT, &IBTransactionDAT, name);
    } catch (const std::exception&) {
        return nullptr;
    }
}

void TBSDI::RestoreScreenValue()
{
    if (ScreenKeyValue)
        ScreenKeyValue->FukugenValue(formName(this), ScreenValue);
}

void TBSDI::SaveScreenValue()
{
    if (ScreenKeyValue)
        ScreenKeyValue->HozonValue(formName(this), ScreenValue);
}

// --- run log, size memory, placement -----------------------------------------------

void TBSDI::PutProcRirekiInfo(int mode)
{
    const char* context = "TBSDI.PutProcRirekiInfo";
    auto proc = CreateDatProc("OPINF_DELETE");
    auto query = CreateDatQuery();
    try {
        if (!proc || !query)
            throw missingComponent(context);
        core::RunDbOperation(IBTransactionDAT, core::DbPolicy(context).with(core::DbReport::Raise), [&] {
            const std::string job = windowTitle().toStdString();
            proc->ParamByName("OPCODE").setInteger(SysDef.OpCode);
            proc->ParamByName("JOBNAME").setString(job);
            proc->ParamByName("STATE").setString(mode == 0 ? "エラー終了" : "正常終了");
            proc->ExecProc();
            if (mode == 0) {
                query->sql().add("INSERT INTO OPINF(OPCODE,JOBNAME,PCNAME,OPENTIME)");
                query->sql().add("VALUES(:OPCODE,:JOBNAME,:PCNAME,:OPENTIME)");
                query->paramByName("OPCODE").setInteger(SysDef.OpCode);
                query->paramByName("JOBNAME").setString(job);
                query->paramByName("PCNAME").setString(SysDef.PCName);
                query->paramByName("OPENTIME")
                    .setTimestamp(core::opsupport::toTimestamp(core::opsupport::nowDateTime()));
                query->execSQL();
            }
        });
    } catch (const fb::EIBError& e) {
        core::IBErrorProc(e, context, "実行履歴の記録に失敗しました。");
        throw;
    } catch (...) {
        throw;
    }
}

void TBSDI::GetFormSize()
{
    if (!SizeMemory)
        return;
    withSizeStatement("TBSDI.GetFormSize", "画面サイズの読込に失敗しました。", [this](fb::Query& q) {
        q.sql().add("SELECT FMTOP,FMLEFT,FMHEIGHT,FMWIDTH FROM FORMRSIZE");
        q.sql().add("WHERE FMNAME=:FMNAME AND OPCODE=:OPCODE");
        q.paramByName("FMNAME").setString(formName(this));
        q.paramByName("OPCODE").setInteger(SysDef.OpCode);
        q.open();
        if (!q.eof()) {
            const int top = q.fieldByName("FMTOP").asInteger();
            const int left = q.fieldByName("FMLEFT").asInteger();
            const int height = q.fieldByName("FMHEIGHT").asInteger();
            const int width = q.fieldByName("FMWIDTH").asInteger();
            q.close();
            move(left, top);
            resize(width, height);
            return;
        }
        q.close();
        const int height = AdjustFrameSize(ScaleDPI(648, pixelsPerInch_, 96), 0);
        const int width = AdjustFrameSize(ScaleDPI(1012, pixelsPerInch_, 96), 0);
        move(0, 0);
        resize(width, height);
        q.sql().clear();
        q.sql().add("INSERT INTO FORMRSIZE");
        q.sql().add("VALUES(:OPCODE ,:FNAME,:TOP,:LEFT,:HEIGHT,:WIDTH,:DEFHEIGHT,:DEFWIDTH)");
        q.paramByName("OPCODE").setInteger(SysDef.OpCode);
        q.paramByName("FNAME").setString(formName(this));
        q.paramByName("TOP").setInteger(0);
        q.paramByName("LEFT").setInteger(0);
        q.paramByName("HEIGHT").setInteger(height);
        q.paramByName("WIDTH").setInteger(width);
        q.paramByName("DEFHEIGHT").setInteger(height);
        q.paramByName("DEFWIDTH").setInteger(width);
        q.execSQL();
    });
}

void TBSDI::PutFormSize()
{
    if (!SizeMemory)
        return;
    const char* context = "TBSDI.PutFormSize";
    designLayout_.reset();
    QWidget* main = MainForm();
    const QSize client = main ? main->size() : (screen() ? screen()->availableGeometry().size() : QSize(1024, 768));
    int top = 0;
    int left = 0;
    int height = this->height();
    int width = this->width();
    if (windowState() & Qt::WindowMaximized) {
        height = client.height() - (0 + kSizingFrameWidth);
        width = client.width() - kSizingFrameWidth;
    } else {
        top = std::max(y(), 0);
        left = std::max(x(), 0);
    }
    if (top > client.height())
        top = 0;
    if (left > client.width())
        left = 0;
    withSizeStatement(context, "画面サイズの保存に失敗しました。", [&](fb::Query& q) {
        q.sql().add("UPDATE FORMRSIZE SET FMTOP=:FMTOP,FMLEFT=:FMLEFT,FMHEIGHT=:FMHEIGHT,FMWIDTH=:FMWIDTH");
        q.sql().add("WHERE OPCODE=:OPCODE AND FMNAME=:FMNAME");
        q.paramByName("FMTOP").setInteger(top);
        q.paramByName("FMLEFT").setInteger(left);
        q.paramByName("FMHEIGHT").setInteger(height);
        q.paramByName("FMWIDTH").setInteger(width);
        q.paramByName("OPCODE").setInteger(SysDef.OpCode);
        q.paramByName("FMNAME").setString(formName(this));
        q.execSQL();
    });
}

void TBSDI::SetFormPosition(int a, int b, int c, int d, int kind)
{
    controls::TPlacement p;
    p.a = a;
    p.b = b;
    p.c = c;
    p.d = d;
    p.kind = kind;
    p.alwaysPlace = AlwaysPlace;
    p.dialogStyle = IsDialogStyle();
    p.form = QRect(pos(), frameGeometry().size());
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    p.workArea = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    QWidget* main = MainForm();
    p.mainShowing = main && main->isVisible();
    if (main)
        p.mainForm = main->frameGeometry();
    p.frameWidth = kSizingFrameWidth;
    p.captionHeight = SysDef.CaptionHeight;
    p.menuHeight = SysDef.MenuHeight;
    if (const auto at = controls::PlaceForm(p))
        move(*at);
}

// --- period controls -------------------------------------------------------------------

void TBSDI::SetupPeriodControls()
{
    auto firstCell = [](int month) {
        if (month >= 1 && month <= 3)
            return month - 1;
        if (month >= 4 && month <= 6)
            return month;
        if (month >= 7 && month <= 9)
            return month + 1;
        if (month >= 10 && month <= 12)
            return month + 2;
        return 0;
    };
    if (auto* p16 = findChild<TxKikanPanel16*>(QStringLiteral("KikanPanel16"))) {
        p16->SetKikanInfo(AccInf.SIME, AccInf.KISHU, AccInf.KIMATU, AccInf.KAISI);
        const int c = firstCell(AccInf.KAISINO);
        p16->SetStno(c);
        p16->SetEdno(p16->KikanMove() ? 15 : c);
    }
    if (auto* p12 = findChild<TxKikanPanel12*>(QStringLiteral("KikanPanel12"))) {
        p12->SetKikanInfo(AccInf.SIME, AccInf.KISHU, AccInf.KIMATU, AccInf.KAISI);
        p12->SetStno(AccInf.KAISINO - 1);
        p12->SetEdno(p12->KikanMove() ? 11 : AccInf.KAISINO - 1);
    }
    for (const char* name : {"KikanPanel4", "KikanPanel2"}) {
        if (auto* p4 = findChild<TxKikanPanel4*>(QString::fromLatin1(name)))
            p4->SetKikanInfo(AccInf.SIME, AccInf.KISHU, AccInf.KIMATU, AccInf.KAISI);
    }
    const bool wareki = SysDef.Reserve4Bit10 != 0; // the operator's date display
    for (TTolvanExDateEdit* edit : findChildren<TTolvanExDateEdit*>()) {
        edit->SetEditGengo(wareki);
        edit->SetGengo(wareki ? rsWareki : rsSeireki);
        edit->SetGengoTable(GengoTable);
    }
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(mainFormSlot());
} // namespace
