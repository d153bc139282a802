#include "wizard/gui/WizardForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "controls/ProcRegistry.h"
#include "controls/xAnimeProgressDialog.h"
#include "controls/xKikanPanel.h"
#include "core/ProgressService.h"
#include "core/AppInfo.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/DataModuleSysDef.h"
#include "core/DateTexts.h"
#include "core/DateTimeUtil.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/TextRoutines.h"
#include "core/uAccDateCmp.h"
#include "dataselect/gui/DialogUtil.h"
#include "dataselect/z5ComDataSentaku.h"
#include "platform/gui/window_util.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/plain_text.h"
#include "platform/xdg_folders.h"
#include "wizard/gui/xWizard.h"
#include "wizard/ug16Figures.h"
#include "wizard/ug16Settings.h"

namespace {

QString q(const std::string& s)
{
    return QString::fromUtf8(s.c_str());
}

std::string runningProgramPath()
{
    std::error_code ec;
    const auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string format1(const char* pattern, const std::string& value)
{
    std::string out = pattern;
    const auto at = out.find("%s");
    if (at != std::string::npos)
        out.replace(at, 2, value);
    return out;
}

std::string trimmed(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// The animated progress window over the form while a long step runs,
// with the busy cursor; no Cancel button. The animation is the program
// folder's "progress.avi" (dropped when the file is missing).
class TBusy {
public:
    TBusy(QWidget* form, const char* caption, const char* line)
        : progress_(form, QString::fromUtf8(caption), QString::fromUtf8(line), false)
    {
    }

private:
    struct WaitCursor {
        WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
        ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
        WaitCursor(const WaitCursor&) = delete;
        WaitCursor& operator=(const WaitCursor&) = delete;
    };
    WaitCursor cursor_; // set before the window shows, restored after it hides
    dataselect::gui::TProgressScope progress_;
};

constexpr const char* kSelectionProcId = "QzDataSenkaku";

} // namespace

// --- Free rules -----------------------------------------------------------------

int FiscalMonthOfIndex(int index)
{
    static constexpr int months[16] = {1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9, 9, 10, 11, 12, 12};
    if (index < 0)
        index = 0;
    if (index > 15)
        index = 15;
    return months[index];
}

TDateTime PeriodIndexMonth(int index, int closingDay, TDateTime fiscalStart)
{
    return GetSimebiDate(FiscalMonthOfIndex(index) - 1, closingDay, fiscalStart);
}

int AdjustPanelEnd(int edno, int lastNo)
{
    // The last month of a year takes the year-end closing in; for a year
    // shorter than twelve months that is the year's last cell, never a cell
    // past the year.
    if (edno == lastNo - 1)
        return lastNo;
    if (edno < 15 && (edno + 1 == 3 || edno + 1 == 7 || edno + 1 == 11 || edno + 1 == 15))
        return edno + 1;
    return edno;
}

std::string ResolveOutputFile(const std::string& name, const std::string& documentsDir)
{
    const std::filesystem::path p(name);
    if (p.is_absolute())
        return p.lexically_normal().string();
    return (std::filesystem::path(documentsDir) / p).lexically_normal().string();
}

// --- Creation -------------------------------------------------------------------

TForm1::TForm1(TStart start, QWidget* parent)
    : QWidget(parent)
    , framework_(std::move(start.Framework))
    , factory_(std::move(start.ExportFactory))
{
    Wizard1 = new TxWizard(this);
    page1 = new TIntroPage;
    page2 = new TDataChoicePage;
    page3 = new TConditionsPage;
    page10 = new TStatementFormPage;
    page4 = new TOutputFilePage;
    page5 = new TSummaryPage;
    // The layout order; the pages this program does not use are removed
    // while the form is created.
    const std::vector<TWizardPage*> layout = {page1, page2, page3, page10, new TDormantPage(TWizardPageId::MainItems),
        new TDormantPage(TWizardPageId::MonthItems), new TDormantPage(TWizardPageId::EquityChanges),
        new TDormantPage(TWizardPageId::EquityNotes), page4, page5};
    for (TWizardPage* page : layout)
        Wizard1->addPage(page->objectName(), page);

    btnBack = new QPushButton(this);
    btnBack->setObjectName("btnBack");
    btnNext = new QPushButton(this);
    btnNext->setObjectName("btnNext");
    btnCancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    btnCancel->setObjectName("btnCancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnBack);
    buttons->addWidget(btnNext);
    buttons->addWidget(btnCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(Wizard1, 1);
    main->addLayout(buttons);
    resize(620, 440);

    connect(Wizard1, &TxWizard::nextClicking, this, &TForm1::Wizard1NextClicking, Qt::DirectConnection);
    connect(Wizard1, &TxWizard::nextClicked, this, &TForm1::Wizard1NextClick);
    connect(Wizard1, &TxWizard::pageChanged, this, &TForm1::Wizard1PageChanged);
    connect(btnCancel, &QPushButton::clicked, this, &TForm1::btnCancelClick);
    connect(page2, &TDataChoicePage::selectRequested, this, &TForm1::btnDataSentakuClick);
    connect(page3, &TConditionsPage::periodClicked, this, &TForm1::xKikanPanel3aMouseUp);
    connect(page4, &TOutputFilePage::browseRequested, this, &TForm1::BitBtn4aClick);

    FormCreate(start.CommandLine, start.ProgramPath);

    Wizard1->setBackButton(btnBack);
    Wizard1->setNextButton(btnNext);
}

void TForm1::FormCreate(const TCommandLine& commandLine, const std::string& programPath)
{
    // The framework hooks: the process starter, the host-menu answer and
    // the data-damage handler.
    OnHostMenu = [](int command, const std::string& text) { return HostMenuProc(command, text); };
    OnExecProc = framework_.ExecProc;
    OnDataDamage = framework_.DataDamage;

    SystemDrive = "/";
    ResultCode = ResultFailed;
    Wizard1->setCurrentWidget(page1);

    // The command line.
    switch (commandLine.Status) {
    case TArgumentStatus::None:
        break;
    case TArgumentStatus::TooMany:
        ShowErrorBox(kInvalidArgumentMessage);
        creation_ = Creation::EndAtOnce;
        return;
    case TArgumentStatus::BadField:
        // Fields read before the bad one stay in force: a caller named in
        // field 1 still gets its result.
        Contract = commandLine.Contract;
        ShowErrorBox(ConversionErrorMessage(commandLine.BadFieldText));
        creation_ = Creation::Skipped;
        return;
    case TArgumentStatus::Good:
        Contract = commandLine.Contract;
        DisableCaller(Contract);
        break;
    }

    // The application information beside the program.
    const std::string path = programPath.empty() ? runningProgramPath() : programPath;
    const int read = LoadAppInfo(path, AppInfo);
    if (read != 1) {
        const char* what = read == 0 ? "が見つかりませんでした。"
            : read == -1             ? "の値を参照できませんでした。"
                                     : "を参照できませんでした。";
        ShowErrorBox(
            std::string("アプリケーションの設定ファイル(AppInfo.ini)") + what + "\rアプリケーションを強制終了します。");
        creation_ = Creation::Ended;
        return;
    }
    if (AppInfo.Application.OEM == kOemHarbenworks)
        DistKind = 1;
    CopyAppInfo();

    // The export object. A calling program names the output file in its
    // argument, whatever its window handle or value: that name is kept
    // (the remembered EXPORTFILE is neither read nor written).
    const bool callerPresent = commandLine.Status == TArgumentStatus::Good;
    try {
        if (factory_)
            export_ = factory_(Contract.CallerValue, Contract.ExportFileName, callerPresent);
        else {
            auto exporter = std::make_unique<TGaikyosyoDataExport>(
                "", Contract.CallerValue, Contract.ExportFileName, callerPresent, DefaultExportSources());
            // The figures come from the open company's trial balance.
            exporter->SetFiguresSource([](const TGaikyosyoDataExport& e) { return MakeGaikyosyoFigures(e); });
            export_ = std::move(exporter);
        }
        export_->InitItems();
    } catch (const std::exception& e) {
        export_.reset();
        ShowErrorBox(std::string("起動情報の初期化に失敗しました。アプリケーションを強制終了します。\r") + e.what());
        creation_ = Creation::Ended;
        return;
    }
    if (export_->TargetProgramName.empty()) {
        ShowErrorBox("起動情報の初期化に失敗しました。アプリケーションを強制終了します。");
        creation_ = Creation::Ended;
        return;
    }
    if (!CheckVersion(export_->InstalledProductVersion, export_->RequiredProductVersion)) {
        ShowErrorBox("このアプリケーションはインストールされている「" + AppInfo.Varov.AppTitle
            + "」のバージョンに対応していません。\r" + "バージョン:" + export_->RequiredProductVersion
            + "以降をインストールしてください。\r\r" + "アプリケーションを強制終了します。");
        creation_ = Creation::Ended;
        return;
    }

    DocumentsDir = GetMyDocumentsDir();
    LastDataPath.clear();
    DataChosen = false;
    setWindowTitle(q(export_->WindowTitle));

    // Texts of the pages.
    const std::string product = export_->InstalledProductName;
    const std::string target = export_->TargetProgramName;
    if (!callerPresent)
        page1->Memo1a->setText(
            q("『" + product + "』から『" + target + "』へデータを連動させるための中間ファイルを作成します。"));
    else
        page1->Memo1a->setText(q("『" + product + "』から『" + target + "』へデータの連動を行います。"));
    page1->Memo1b->setText(q("『" + product
        + "』が起動している場合は終了してください。\n\n\n\n\n\n作成を始めるには[次へ]をクリックしてください。"));
    page2->Label2a->setText(q("連動元となる対象データを「データ選択を開く」ボタンを押して指定します。"));
    if (!callerPresent)
        page4->Label4a->setText(q("連動先となる『" + target + "』で使用する中間ファイルを指定します。"));

    // Pages of other export kinds and the dormant assignment pages; the
    // output-file page only when no calling program named the file.
    for (TWizardPageId id :
        {TWizardPageId::MainItems, TWizardPageId::MonthItems, TWizardPageId::EquityNotes, TWizardPageId::EquityChanges})
        Wizard1->deletePage(Page(id));
    if (callerPresent) {
        Wizard1->deletePage(page4);
        page4 = nullptr;
    } else {
        page4->Edit4a->setText(q(export_->OutputFileName));
    }
}

void TForm1::CopyAppInfo()
{
    const auto& v = AppInfo.Varov;
    // Folder names are written with "\" in the file.
    auto slashes = [](std::string s) {
        std::replace(s.begin(), s.end(), '\\', '/');
        return s;
    };
    AppName = v.AppName;
    HomeDir = slashes(v.HomeDir);
    ShareDir = v.ShareDir;
    ServerDir = v.ServerDir;
    ServerTempDir = v.ServerTempDir;
    DataDefFile = v.DataDefFile;
    DataFile = v.DataFile;
    DataBackupFile = v.DataBackupFile;
    DataIniFile = v.DataIniFile;
    EBookDirName = slashes(AppInfo.ZEvave.DataDir);
    CashBookDir = slashes(AppInfo.Ridovaro.DataDir);
    ApplyDistThemeColors(DistKind);
}

TForm1::~TForm1()
{
    if (export_) {
        export_->FreeItems();
        export_.reset();
    }
    if (core::DM == dm_.get())
        core::DM = nullptr;
    dm_.reset();
    OnHostMenu = nullptr;
    OnExecProc = nullptr;
    OnDataDamage = nullptr;
    PostCallerResult(Contract, ResultCode);
}

TWizardPage* TForm1::Page(TWizardPageId id) const
{
    for (int i = 0; i < Wizard1->count(); ++i)
        if (auto* p = qobject_cast<TWizardPage*>(Wizard1->widget(i)); p != nullptr && p->id() == id)
            return p;
    return nullptr;
}

TWizardPageId TForm1::ActivePageId() const
{
    auto* p = qobject_cast<TWizardPage*>(Wizard1->currentWidget());
    return p != nullptr ? p->id() : TWizardPageId::Intro;
}

// --- The initialisation gate ----------------------------------------------------

bool TForm1::InitWizard()
{
    switch (creation_) {
    case Creation::EndAtOnce:
    case Creation::Ended:
        return false;
    case Creation::Skipped:
        ShowErrorBoxYes(format1("アプリケーションの初期化に失敗しました。\r%sを終了します。", ProgramName));
        return false;
    case Creation::Complete:
        break;
    }
    InitMessage = format1("アプリケーションの初期化に失敗しました。\r%sを終了します。", ProgramName);
    try {
        InitSystemDef();
        QGuiApplication::setApplicationDisplayName(q(export_->WindowTitle));
        setWindowTitle(q(export_->WindowTitle));
        dm_ = std::make_unique<core::TDM>();
        core::DM = dm_.get();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "miruza_rendo: %s\n", e.what());
        ShowErrorBoxYes(InitMessage);
        return false;
    }
    return true;
}

void TForm1::InitSystemDef()
{
    SysDef.ProgramName.clear();
    SysDef.WinMajorVersion = GetWinMajorVersion();
    SysDef.MenuHeight = 20;
    SysDef.MenuHeight2 = 0;
    SysDef.CaptionHeight = 23;
    SysDef.FrameHeight = 4;
    SysDef.FrameAllowance = 0;
    AppKind = 0;
    SysDef.ProgramName2 = SysDef.ProgramName;
    SysDef.WinUserName = GetWinUserName();
    SysDef.PCName = GetPCName();

    SysDef.ExeDir = platform::xdg_folders::programDir();
    SysDef.ParentDir = std::filesystem::path(SysDef.ExeDir).parent_path().string();
    SysDef.PrintDir = platform::paths::join(SysDef.ParentDir, "print");
    SysDef.HelpDir = platform::paths::join(SysDef.ParentDir, "help");
    SysDef.SqlDir = platform::paths::join(SysDef.ParentDir, "sql");

    const std::string common = ExcludeDelimiter(GetAppDataDir(true));
    if (common.empty()) {
        InitMessage = format1(
            "アプリケーションの初期化に失敗しました。\r%sを終了します。\rデータフォルダの取得に失敗しました。",
            ProgramName);
        throw std::runtime_error("no application-data folder");
    }
    SysDef.DataRoot = platform::paths::join(common, HomeDir);
    SysDef.IniDir = platform::paths::join(SysDef.DataRoot, "ini");
    SysDef.LogDir = platform::paths::join(SysDef.DataRoot, "log");
    SysDef.TempDir = platform::paths::join(SysDef.DataRoot, "temp");
    // The work folder (the wizard's VzRendo.ini among others) is the
    // temporary-files folder; never the current folder.
    SysDef.WorkDir = GetTempDir(SysDef.WorkDir);
    if (SysDef.WorkDir.empty())
        SysDef.WorkDir = SysDef.TempDir;
    SysDef.WinSystemDir = GetWinSystemDir();
    SysDef.UserDir = platform::paths::join(ExcludeDelimiter(GetMyDocumentsDir()), HomeDir);
    SysDef.EBookDir = platform::paths::join(SysDef.WorkDir, EBookDirName);
    SysDef.SysDir = platform::paths::join(SysDef.DataRoot, "data");
    SysDef.DataDir.clear();
    SysDef.HostName = SysDef.PCName;
    SysDef.DBUser = "TOLVAN";
    SysDef.DBPassword = "vulmok";
    const QFont f = font();
    SysDef.ScreenFont = TFontSpec {f.family().toStdString(), f.pointSize(), 0, 0};
    SysDef.GridFont = SysDef.ScreenFont;
    for (const std::string& dir : {SysDef.IniDir, SysDef.LogDir, SysDef.TempDir, SysDef.UserDir})
        if (!ForceDir(dir))
            throw std::runtime_error("cannot create " + dir);
    SysDef.ServerIniFile = platform::paths::join(SysDef.DataRoot, AppName + ".ini");
    ReadConnectionSettings();
}

void TForm1::ReadConnectionSettings()
{
    const std::string notSetUp
        = format1("アプリケーションの初期設定がおこなわれていないため\r%sを終了します。", ProgramName);
    if (!std::filesystem::exists(SysDef.ServerIniFile) && !WriteFreshConnectionFile()) {
        InitMessage = notSetUp;
        throw std::runtime_error("no connection settings file " + SysDef.ServerIniFile);
    }
    auto readLocal = [] { return platform::IniFile(SysDef.ServerIniFile).readSectionValues("LOCAL"); };
    std::vector<std::string> local = readLocal();
    bool blank = true;
    for (const auto& l : local)
        blank = blank && trimmed(l).empty();
    if (blank) {
        if (!WriteFreshConnectionFile()) {
            InitMessage = notSetUp;
            throw std::runtime_error("empty LOCAL section in " + SysDef.ServerIniFile);
        }
        local = readLocal();
    }
    std::string joined;
    for (const auto& l : local)
        joined += l + "\r";
    SysDef.HostName = core::GetNameValue(joined, "HOSTNAME");
    SysDef.UseGoGlobal = platform::text::upperAscii(core::GetNameValue(joined, "GOGLOBAL")) == "YES" ? 1 : 0;
    SysDef.UseGroup = platform::text::upperAscii(core::GetNameValue(joined, "GROUP")) == "YES" ? 1 : 0;
    SysDef.SysDir = core::GetNameValue(joined, "SYSDIR");
    SysDef.DBUser = platform::text::upperAscii(core::GetNameValue(joined, "USER"));
    SysDef.DBPassword = platform::text::lowerAscii(core::GetNameValue(joined, "PASSWORD"));
    // Only the login changes the connection mode; stand-alone until then.
    SysDef.HostName.clear();
    SysDef.UseGoGlobal = 0;
    SysDef.GroupID = 10000;
}

bool TForm1::WriteFreshConnectionFile()
{
    if (!framework_.WriteConnectionFile) {
        std::fprintf(
            stderr, "miruza_rendo: no data-server settings dialog to write %s\n", SysDef.ServerIniFile.c_str());
        return false;
    }
    try {
        return framework_.WriteConnectionFile();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "miruza_rendo: writing %s: %s\n", SysDef.ServerIniFile.c_str(), e.what());
        return false;
    }
}

// --- First show -------------------------------------------------------------------

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!firstShowQueued_ && !firstShowStarted_ && creation_ == Creation::Complete && dm_) {
        firstShowQueued_ = true;
        // After the form has painted itself.
        QTimer::singleShot(0, this, [this] { FirstShow(); });
    }
}

bool TForm1::ShowLogin()
{
    if (!framework_.ShowLogin) {
        ShowErrorBox("ログイン画面を開けませんでした。\rこのプログラムにはログイン画面が組み込まれていません。");
        return false;
    }
    return framework_.ShowLogin(this);
}

bool TForm1::FirstShow()
{
    if (firstShowStarted_)
        return LoginDone;
    firstShowStarted_ = true;
    QCoreApplication::processEvents();
    SysDef.ProgramName = ProgramName;
    LoginDone = ShowLogin();
    if (!LoginDone) {
        if (core::DM != nullptr && core::DM->IBDatabaseDEF.connected())
            core::DM->IBDatabaseDEF.disconnect();
        endProgram();
        return false;
    }
    if (!core::fnGetSysDef()) {
        core::DeleteLogonInfo();
        LoginDone = false;
        endProgram();
        return false;
    }
    core::LoadGengoTable();
    return true;
}

void TForm1::endProgram()
{
    closeWith(ResultFailed);
}

// --- Closing ------------------------------------------------------------------------

void TForm1::closeEvent(QCloseEvent* event)
{
    // A close request from outside (title-bar button, Alt+F4, the window
    // manager) ends as cancelled, without asking.
    if (!closingWithResult_)
        ResultCode = ResultCancelled;
    CloseWork();
    event->accept();
}

void TForm1::closeWith(std::int32_t resultCode)
{
    ResultCode = resultCode;
    closingWithResult_ = true;
    close();
    closingWithResult_ = false;
}

void TForm1::btnCancelClick()
{
    if (ShowMessageLines(msgkind::Information,
            {"[キャンセル]ボタンが押されました。", "連動データの作成ウィザードを終了してもよろしいですか？"},
            msgbtn::Yes | msgbtn::No)
        == modal::Yes)
        closeWith(ResultCancelled);
}

void TForm1::CloseWork()
{
    core::TDM* dm = core::DM;
    if (dm != nullptr && DatConnected && !trimmed(SysDef.DataDir).empty()) {
        int r = 1;
        if (AppKind == 0)
            r = CloudShareSync(true);
        if (!dm->IBDatabaseDAT.connected())
            dm->fnAccDatConnected(SysDef.HostName, SysDef.DataDir, 0);
        if (dm->IBDatabaseDAT.connected())
            dm->fnAccDatDisConnected(SysDef.DataDir, 1, 1);
        DatConnected = false;
        if (AppKind == 0 && r == 1)
            StoreSharedCopy();
    }
    if (dm != nullptr && LoginDone) {
        if (!dm->IBDatabaseDEF.connected())
            dm->fnAccDefConnected();
        if (dm->IBDatabaseDEF.connected()) {
            core::DeleteLogonInfo();
            try {
                dm->IBDatabaseDEF.disconnect();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "miruza_rendo: disconnecting the system database: %s\n", e.what());
            }
        }
    }
    LoginDone = false;
}

// --- Shared and cloud-share data ----------------------------------------------------

void TForm1::disconnectCompany(bool updateFile)
{
    core::TDM* dm = core::DM;
    if (dm != nullptr && dm->IBDatabaseDAT.connected())
        dm->fnAccDatDisConnected(SysDef.DataDir, updateFile ? 1 : 0, 0);
    DatConnected = false;
}

namespace {

// The end of both exchanges: the connection goes, the client library gets
// a moment to let it go.
void settleDisconnected(bool& datConnected)
{
    core::TDM* dm = core::DM;
    if (dm != nullptr && (datConnected || dm->IBDatabaseDAT.connected()))
        dm->fnAccDatDisConnected(SysDef.DataDir, 0, 0);
    datConnected = false;
    WaitMilliSec(100);
}

} // namespace

int TForm1::FetchNewestCopy()
{
    if (DatConnected)
        disconnectCompany(false);
    int answer = 1;
    if (ReceiveSharedCopy(SysDef.Reserve4Bit1) < 1)
        answer = -912;
    else if (CloudShareSync(false) < 1)
        answer = -922;
    settleDisconnected(DatConnected);
    return answer;
}

int TForm1::HandBack()
{
    if (DatConnected)
        disconnectCompany(false);
    int answer = 1;
    if (CloudShareSync(true) < 1)
        answer = -921;
    else if (StoreSharedCopy() < 1)
        answer = -911;
    settleDisconnected(DatConnected);
    return answer;
}

namespace {

// The shared-server form of the selected folder: false (after the message)
// when it has none.
struct TShareState {
    std::string SharePath;
    std::int32_t NetDrive = 0;
    std::int32_t ShareLock = 0;
};
bool shareStateOf(TDataSentakuListCtl& ctl, TShareState& st, const char* failText)
{
    ctl.ConnectKind = ConnectMode;
    if (ctl.ConvLocalPathToSharePath(SysDef.DataDir, st.SharePath, st.NetDrive, st.ShareLock))
        return true;
    ShowMessageLines(msgkind::Information, {failText});
    return false;
}

} // namespace

int TForm1::ReceiveSharedCopy(int autoStore)
{
    if (AppKind != 0 || ConnectMode != 0 || trimmed(SysDef.DataDir).empty())
        return 1;
    TDataSentakuListCtl ctl;
    TShareState st;
    if (!shareStateOf(ctl, st, "共有データパスの変換に失敗しました。データ選択画面を開きます。"))
        return 0;
    if (!(st.NetDrive == 1 && st.ShareLock == 0))
        return 1;
    if (autoStore == 0) {
        ShowMessageLines(msgkind::Information, {"このデータは共有取得が行われていません。データ選択画面を開きます。"});
        return 0;
    }
    int taken = 0;
    {
        TBusy busy(this, "共有データ受信中", "共有データから受信中…");
        try {
            TDataSentakuRec rec;
            ctl.GetDataListRecordByPath(SysDef.DataDir, rec);
            taken = ctl.KyoyuDataLock(rec, 1);
        } catch (const std::exception& e) {
            core::SetProgressAnime(false);
            ShowMessageLines(msgkind::Warning, {e.what()});
            return 0;
        }
    }
    const std::string database = platform::paths::join(SysDef.DataDir, DataFile);
    if (taken == 0 || (taken == 1 && !std::filesystem::exists(database))) {
        ShowMessageLines(msgkind::Information,
            {"共有サーバーが起動していない、接続が切断されている または "
             "共有サーバー上のデータ領域が削除された可能性があります。",
                "共有データパス: " + st.SharePath});
        return 0;
    }
    if (taken != 1)
        return taken;
    // Read the facts of the copy just taken, without marking it in use.
    core::TDM* dm = core::DM;
    const bool connected = dm->fnAccDatConnected(SysDef.HostName, SysDef.DataDir, 0);
    if (connected)
        core::fnGetAccInfo();
    if (dm->IBDatabaseDAT.connected())
        dm->fnAccDatDisConnected(SysDef.DataDir, 0, 0);
    if (!connected) {
        ShowMessageLines(
            msgkind::Information, {"このデータは破損している可能性があり、基本情報が取得できませんでした。"});
        return 0;
    }
    return 1;
}

int TForm1::StoreSharedCopy()
{
    if (AppKind != 0 || ConnectMode != 0 || trimmed(SysDef.DataDir).empty())
        return 1;
    if (SysDef.DataDamaged == 1)
        return 0;
    if (SysDef.Reserve4Bit1 == 0)
        return 1;
    TDataSentakuListCtl ctl;
    TShareState st;
    if (!shareStateOf(ctl, st, "共有データパスの変換に失敗しました。共有データの自動保管は行えませんでした。"))
        return 0;
    if (!(st.NetDrive == 1 && st.ShareLock == 1))
        return 1;
    TBusy busy(this, "共有データ送信中", "共有データへ送信中…");
    try {
        TDataSentakuRec rec;
        ctl.GetDataListRecordByPath(SysDef.DataDir, rec);
        // Damaged data is never stored back, a damaged child included.
        bool sound = core::DM->CheckDataDamage(SysDef.HostName, ctl.MakeLocalPath(rec.Data), 1, 0) == 1;
        for (const auto& child : rec.Children)
            sound = sound && core::DM->CheckDataDamage(SysDef.HostName, ctl.MakeLocalPath(child), 1, 0) == 1;
        if (!sound) {
            core::SetProgressAnime(false);
            ShowMessageLines(msgkind::Information,
                {"合算・分散データに破損したデータが存在するため、共有データの自動保管を中止します。",
                    "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。"});
            return 0;
        }
        return ctl.KyoyuDataUnlock(rec, 1);
    } catch (const std::exception& e) {
        core::SetProgressAnime(false);
        ShowMessageLines(msgkind::Warning, {e.what()});
        return 0;
    }
}

int TForm1::CloudShareSync(bool send)
{
    if (DistKind != 0 || ConnectMode == 2)
        return 1;
    if (AppKind != 0 || AccInf.CLOUD_LINE <= 0)
        return 1;
    // A data set tied to a cloud-share area. The communication screen that
    // moves it is not part of this program yet: the exchange is skipped as
    // for a data set without an area, and the skip is logged.
    std::fprintf(stderr, "miruza_rendo: cloud-share %s of %s skipped (no communication screen)\n",
        send ? "send" : "receive", SysDef.DataDir.c_str());
    return 1;
}

// --- Page 2: the data choice -----------------------------------------------------------

bool TForm1::askReselect(const std::vector<std::string>& lines)
{
    return ShowMessageLines(msgkind::Confirmation, lines) == modal::Ok;
}

bool TForm1::SelectAndConnect(int syoriType, bool openSelection)
{
    core::TDM* dm = core::DM;
    SysDef.DataVersionText.clear();
    SysDef.BaseFormShown = 0;
    bool infoOk = false;
    bool chosen = false;
    static const std::vector<std::string> connectFailed
        = {"データの接続に失敗しました。", "データ選択画面を開き、別のデータを選択しますか？"};
    for (;;) {
        // Put the current data set down before another choice.
        if (AppKind == 0 && DataChosen && !infoOk) {
            disconnectCompany(true);
            HandBack();
        }
        bool toEnd = false;
        for (;;) {
            int answer = 1;
            if (openSelection) {
                const std::string params = "SyoriType=" + std::to_string(syoriType) + "\rJyokenSet=1\rDataType="
                    + std::to_string(-13) + "\rCodeType=" + std::to_string(0) + "\rDataVerMajor="
                    + export_->RequiredProductVersion.substr(0, export_->RequiredProductVersion.find('.'));
                if (OnExecProc) {
                    answer = OnExecProc(kSelectionProcId, 1, params);
                } else {
                    ShowErrorBox(std::string("データ選択画面(") + kSelectionProcId + ")を開けませんでした。");
                    answer = -1;
                }
            } else {
                openSelection = true;
            }
            if (answer == 1) {
                chosen = true;
            } else if (DataChosen) {
                chosen = true;
                SysDef.DataDir = LastDataPath;
            } else {
                chosen = false;
                LastDataPath.clear();
                SysDef.DataDir.clear();
            }
            if (trimmed(SysDef.DataDir).empty()) {
                toEnd = true;
                break;
            }
            DatConnected = dm->fnAccDatConnected(SysDef.HostName, SysDef.DataDir, 1);
            if (DatConnected)
                infoOk = core::fnGetAccInfo();
            if (!infoOk) {
                // Never leave a data set connected and marked in use behind
                // the selection screen.
                disconnectCompany(true);
                if (askReselect(connectFailed))
                    continue;
                chosen = false;
                toEnd = true;
                break;
            }
            infoOk = false;
            if (FetchNewestCopy() < 1) {
                SysDef.DataDir = LastDataPath;
                continue;
            }
            break;
        }
        if (toEnd)
            break;

        DataChosen = true;
        bool cancelled = false;
        {
            TBusy busy(this, "接続中", "会計データに接続中です…");
            DatConnected = dm->fnAccDatConnected(SysDef.HostName, SysDef.DataDir, 1);
            if (!DatConnected) {
                cancelled = !askReselect(connectFailed);
            } else {
                infoOk = core::fnGetAccInfo();
                if (!infoOk)
                    cancelled = !askReselect(connectFailed);
                if (!cancelled && infoOk && !core::fnGetExistsOpeDefSisetu()) {
                    disconnectCompany(true);
                    infoOk = false;
                    cancelled = !askReselect(
                        {"このデータを扱う権限がありません。", "データ選択画面を開き、別のデータを選択しますか？"});
                }
                if (!cancelled && infoOk) {
                    std::string version;
                    core::fnGetDataBaseVer(version);
                    SysDef.DataVersionText = version;
                    if (!CheckVersion(version, export_->RequiredProductVersion)) {
                        disconnectCompany(true);
                        infoOk = false;
                        cancelled = !askReselect({"このプログラムで処理できるデータバージョンに達していません。",
                            "データバージョン:" + export_->RequiredProductVersion + "以降のデータを選択して下さい。",
                            "データ選択画面を開き、別のデータを選択しますか？"});
                    }
                }
                if (!cancelled)
                    LastDataPath = SysDef.DataDir;
            }
        }
        if (cancelled) {
            chosen = false;
            break;
        }
        if (infoOk)
            break;
    }
    if (AppKind == 0 && !chosen && DataChosen)
        HandBack();
    return chosen;
}

void TForm1::btnDataSentakuClick()
{
    if (SelectAndConnect(3, true)) {
        std::vector<std::pair<std::string, std::string>> rows;
        rows.emplace_back("データ区分",
            AccInf.CodeTypeName.empty() ? AccInf.DataTypeName : AccInf.DataTypeName + "／" + AccInf.CodeTypeName);
        if (AccInf.DATATYPE == 1)
            rows.emplace_back("会社名", AccInf.SHOUGOU);
        else if (AccInf.DATATYPE == 2)
            rows.emplace_back("データ名", AccInf.SHOUGOU);
        rows.emplace_back("会計年度", std::to_string(AccInf.NENDO) + "期");
        rows.emplace_back("会計期間", KikanToStr(AccInf.KISHU, AccInf.KIMATU));
        page2->SetDataInfo(rows);
    }
    core::TDM* dm = core::DM;
    if (DatConnected && dm != nullptr && dm->IBDatabaseDAT.connected() && !trimmed(SysDef.DataDir).empty())
        return;
    page2->ClearDataInfo();
    if (dm != nullptr && dm->IBDatabaseDAT.connected())
        dm->fnAccDatDisConnected(SysDef.DataDir, 1, 0);
    DatConnected = false;
}

bool TForm1::CheckDataPage()
{
    if (trimmed(SysDef.DataDir).empty() || !page2->HasDataInfo()) {
        ShowMessageLines(msgkind::Warning,
            {"会計データの選択が行われていません。", "「データ選択を開く」ボタンを押して選択して下さい。"});
        page2->btnDataSentaku->setFocus();
        return false;
    }
    TxKikanPanel16* panel = page3->xKikanPanel3a;
    panel->SetKikanInfo(AccInf.SIME, AccInf.KISHU, AccInf.KIMATU, AccInf.KAISI);
    panel->SetStno(AccInf.KaisiKikanIndex);
    panel->SetEdno(AccInf.LastKikanNo);
    const int disp = core::GetDispTaxMode(AccInf.TAXDEFUH);
    if (disp == 0)
        page3->RadioButton3a->setChecked(true);
    else if (disp == 1)
        page3->RadioButton3b->setChecked(true);

    TGaikyosyoDataExport& e = *export_;
    e.DataFolder = SysDef.DataDir;
    e.ClientName = AccInf.SHOUGOU;
    e.FiscalYear = AccInf.NENDO;
    e.FiscalStart = AccInf.KISHU;
    e.FiscalEnd = AccInf.KIMATU;
    e.ClosingDay = AccInf.SIME;
    e.StartPeriodIndex = AccInf.KaisiKikanIndex;
    e.EndPeriodIndex = AccInf.LastKikanNo;
    e.LastPeriodIndex = AccInf.LastKikanNo;
    e.TaxMode = core::GetCalcTaxMode(AccInf.TAXDEFUH);
    e.SimplifiedTax = AccInf.TAXKANNI;
    e.BusinessKind = AccInf.TAXJIGYOU;
    e.DataType = AccInf.DATATYPE;
    e.CodeType = AccInf.CODETYPE;
    e.IncomeKind = 0;
    if (AccInf.DATATYPE == 2)
        e.IncomeKind = AccInf.CODETYPE == 2 ? 3 : AccInf.CODETYPE == 4 ? 4 : 1;
    return true;
}

// --- Page 3: the period panel ------------------------------------------------------------

void TForm1::xKikanPanel3aMouseUp()
{
    TxKikanPanel16* panel = page3->xKikanPanel3a;
    if (!panel->KikanMove())
        panel->SetStno(AccInf.KaisiKikanIndex);
    panel->SetEdno(AdjustPanelEnd(panel->Edno(), panel->LastNo()));
}

// --- Page 4: the output file -----------------------------------------------------------

void TForm1::BitBtn4aClick()
{
    const std::string current = page4->Edit4a->text().toStdString();
    const std::string initial = !current.empty() && std::filesystem::is_regular_file(current) ? current : std::string();
    std::optional<std::string> chosen;
    if (framework_.SaveDialog) {
        chosen = framework_.SaveDialog("中間ﾌｧｲﾙの指定", DocumentsDir, initial);
    } else {
        QFileDialog dialog(this, q("中間ﾌｧｲﾙの指定"), q(DocumentsDir));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters({q("中間ﾌｧｲﾙ (*.xml *.XML)"), q("すべてのﾌｧｲﾙ(*)")});
        dialog.setDefaultSuffix("xml");
        if (!initial.empty())
            dialog.selectFile(q(initial));
        std::string file;
        if (ExecuteFileDialog(platform::gui::fileDialogRunner(dialog), file))
            chosen = file;
    }
    if (chosen)
        page4->Edit4a->setText(q(*chosen));
}

bool TForm1::CheckOutputPage()
{
    const std::string name = page4->Edit4a->text().toStdString();
    const auto slash = name.find_last_of('/');
    const std::string filePart = slash == std::string::npos ? name : name.substr(slash + 1);
    if (trimmed(filePart).empty()) {
        ShowMessageLines(
            msgkind::Warning, {"中間ﾌｧｲﾙが指定されていません。", "指定してから[次へ]をｸﾘｯｸしてください。"});
        btnNext->setText(Wizard1->NextButtonCap);
        return false;
    }
    const std::string resolved = ResolveOutputFile(name, DocumentsDir);
    const std::string folder = IncludeDelimiter(std::filesystem::path(resolved).parent_path().string());
    if (GetWinMajorVersion() >= 6 && folder == IncludeDelimiter(SystemDrive)) {
        ShowMessageLines(msgkind::Warning,
            {"ｼｽﾃﾑﾄﾞﾗｲﾌﾞ(" + SystemDrive + ")直下にﾌｧｲﾙは指定できません。",
                "別のﾄﾞﾗｲﾌﾞまたはﾌｫﾙﾀﾞを指定してから[次へ]をｸﾘｯｸしてください。"});
        btnNext->setText(Wizard1->NextButtonCap);
        return false;
    }
    return true;
}

// --- Summary --------------------------------------------------------------------------

void TForm1::BuildSummary()
{
    std::vector<std::string> lines;
    lines.push_back("【連動元情報】");
    lines.push_back(" 会社名        : " + AccInf.SHOUGOU);
    lines.push_back(AccInf.NENDO > 0 ? " 会計年度      : " + std::to_string(AccInf.NENDO) + " 期"
                                     : std::string(" 会計年度      : - 期"));
    lines.push_back(" 会計期間      : " + FormatWarekiDateKanji("yyyy年m月d日", 1, AccInf.KISHU) + " ～ "
        + FormatWarekiDateKanji("yyyy年m月d日", 1, AccInf.KIMATU));
    lines.push_back("");
    lines.push_back("【計算条件】");

    TxKikanPanel16* panel = page3->xKikanPanel3a;
    const int stno = panel->Stno();
    const int edno = panel->Edno();
    const int lastNo = panel->LastNo();
    const bool taxIncluded = page3->RadioButton3a->isChecked();
    TGaikyosyoDataExport& e = *export_;
    e.StartPeriodIndex = stno;
    e.EndPeriodIndex = edno;
    e.LastPeriodIndex = lastNo;
    e.TaxMode = core::GetCalcTaxMode(taxIncluded ? 0 : 1);

    std::string period
        = " 計算対象期間  : " + FormatDateTime("yyyy年m月", PeriodIndexMonth(stno, AccInf.SIME, AccInf.KISHU));
    if (edno != stno) {
        const int endIndex = lastNo != 15 && edno == lastNo ? edno - 1 : edno;
        period += " ～ " + FormatDateTime("yy年m月", PeriodIndexMonth(endIndex, AccInf.SIME, AccInf.KISHU));
    }
    lines.push_back(period);
    lines.push_back(taxIncluded ? " 消費税計算区分: 税込み" : " 消費税計算区分: 税抜き");

    if (page4 != nullptr) {
        // A name without a folder is written into the documents folder; the
        // export gets the same path the summary shows.
        e.OutputFileName = ResolveOutputFile(page4->Edit4a->text().toStdString(), DocumentsDir);
        lines.push_back("");
        lines.push_back("【中間ファイル】");
        lines.push_back(" " + e.OutputFileName);
    }
    page5->SetLines(lines);
}

// --- Next and finish ---------------------------------------------------------------------

void TForm1::AcceptDataPage()
{
    page10->Label10a->setText(q("「決算処理」＞「法人事業概況書（資料）」の設定情報で概況書の連動を行います。"));
    page10->Label10b->setText(q("[次へ]をクリックしてください。"));
    page10->GroupBox10->hide();
    TSyuyouKamoku& main = export_->SyuyouKamoku();
    TTukibetuUriage& month = export_->TukibetuUriage();
    main.LoadLayout(AccInf.DATATYPE);
    month.LoadLayout(AccInf.DATATYPE);
    month.ReadFormType(platform::IniFile(VzRendoIniFile()));
    page10->rbtn10b->setChecked(true);
    if (month.FormType == 0)
        page10->rbtn10a->setChecked(true);
}

void TForm1::AcceptStatementFormPage()
{
    TSyuyouKamoku& main = export_->SyuyouKamoku();
    TTukibetuUriage& month = export_->TukibetuUriage();
    month.FormType = page10->rbtn10a->isChecked() ? 0 : 1;
    month.LoadLayout(AccInf.DATATYPE);
    const platform::IniFile ini(VzRendoIniFile());
    main.ReadSettings(ini);
    month.ReadSettings(ini);
}

void TForm1::Wizard1NextClicking(bool /*finalState*/, bool* allowChange)
{
    bool allow = false;
    switch (ActivePageId()) {
    case TWizardPageId::Intro:
    case TWizardPageId::Summary:
        allow = true;
        break;
    case TWizardPageId::DataChoice:
        if (CheckDataPage()) {
            AcceptDataPage();
            allow = true;
        }
        break;
    case TWizardPageId::Conditions:
        if (page4 == nullptr)
            BuildSummary();
        allow = true;
        break;
    case TWizardPageId::StatementForm:
        AcceptStatementFormPage();
        allow = true;
        break;
    case TWizardPageId::OutputFile:
        if (CheckOutputPage()) {
            BuildSummary();
            allow = true;
        }
        break;
    default:
        break;
    }
    *allowChange = allow;
}

void TForm1::Wizard1PageChanged()
{
    if (ActivePageId() == TWizardPageId::DataChoice && !page2->HasDataInfo())
        page2->btnDataSentaku->setFocus();
}

void TForm1::Wizard1NextClick(bool finalState)
{
    if (finalState && ActivePageId() == TWizardPageId::Summary)
        finish();
}

int TForm1::MakeXmlFile()
{
    try {
        TXmlSaveDoc doc("1.0", "Shift_JIS", "");
        export_->SetSystemNode(doc);
        export_->SetBasicNode(doc);
        export_->WriteData(doc);
        doc.SaveToFile(export_->OutputFileName);
        return 1;
    } catch (const EDataExportError& e) {
        core::SetProgressAnime(false);
        const std::string text = std::string(e.what()) + "\r" + e.Detail + "\r";
        if (e.Code == 16 || e.Code == 6) {
            ShowInformationBox(text);
            return 3;
        }
        ShowErrorBox(text);
        return 4;
    }
}

void TForm1::finish()
{
    int outcome = 4;
    {
        TBusy busy(this, "連動データの作成中", "連動データの作成中です…");
        try {
            platform::IniFile ini(VzRendoIniFile());
            export_->SyuyouKamoku().WriteSettings(ini);
            export_->TukibetuUriage().WriteSettings(ini);
            outcome = MakeXmlFile();
        } catch (const std::exception& e) {
            // Anything but the export's own error: shown as it is, then
            // reported as the failure it is.
            core::SetProgressAnime(false);
            ShowErrorBox(e.what());
            outcome = 4;
        }
    }
    switch (outcome) {
    case 1:
        if (Contract.CallerWnd == 0)
            ShowInformationBox("中間ファイルが作成されました。\r");
        closeWith(ResultMade);
        break;
    case 3:
        ResultCode = ResultCancelled;
        break;
    default:
        ShowErrorBox("中間ファイルの作成に失敗しました。\r");
        closeWith(ResultFailed);
        break;
    }
}
