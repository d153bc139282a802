#include "wizard/gui/WizardForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>
#include <filesystem>

#include "core/AppInfo.h"
#include "core/MessageService.h"
#include "wizard/gui/xWizard.h"
#include "wizard/ug16Figures.h"

namespace {

QString q(const std::string& s) { return QString::fromUtf8(s.c_str()); }

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

} // namespace

TForm1::TForm1(TStart start, QWidget* parent) : QWidget(parent), factory_(std::move(start.ExportFactory))
{
    Wizard1 = new TxWizard(this);
    // Layout order of the pages; the ones this program does not use are
    // removed while the form is created.
    const char* const layout[] = {"page1", "page2", "page3", "page10", "page6", "page7",
                                  "page9", "page8", "page4", "page5"};
    for (const char* name : layout) {
        auto* page = new QWidget;
        auto* box = new QVBoxLayout(page);
        auto* caption = new QLabel(QString::fromLatin1(name), page);
        caption->setObjectName(QString::fromLatin1(name) + "Caption");
        box->addWidget(caption);
        box->addStretch();
        Wizard1->addPage(QString::fromLatin1(name), page);
    }

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
    resize(560, 400);

    Wizard1->OnNextClicking = [this](QObject* s, bool f, bool& allow) { Wizard1NextClicking(s, f, allow); };
    Wizard1->OnNextClick = [this](QObject* s, bool f) { Wizard1NextClick(s, f); };
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

    FormCreate(start.CommandLine, start.ProgramPath);

    Wizard1->setBackButton(btnBack);
    Wizard1->setNextButton(btnNext);
}

void TForm1::FormCreate(const TCommandLine& commandLine, const std::string& programPath)
{
    SystemDrive = "/";
    ResultCode = ResultFailed;
    Wizard1->setActivePage("page1");

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
        Wizard1->deletePage("page4");
        break;
    }

    // The application information beside the program.
    const std::string path = programPath.empty() ? runningProgramPath() : programPath;
    const int read = LoadAppInfo(path, AppInfo);
    if (read != 1) {
        const char* what = read == 0    ? "が見つかりませんでした。"
                           : read == -1 ? "の値を参照できませんでした。"
                                        : "を参照できませんでした。";
        ShowErrorBox(std::string("アプリケーションの設定ファイル(AppInfo.ini)") + what + "\rアプリケーションを強制終了します。");
        creation_ = Creation::Ended;
        return;
    }
    if (AppInfo.Application.OEM == "Harbenworks")
        DistKind = 1;
    const std::string appTitle = AppInfo.Varov.AppTitle;

    // The export object. A calling program names the output file in its
    // argument, whatever its window handle or value: that name is kept
    // (the remembered EXPORTFILE is neither read nor written).
    const bool callerPresent = commandLine.Status == TArgumentStatus::Good;
    try {
        if (factory_)
            export_ = factory_(Contract.CallerValue, Contract.ExportFileName, callerPresent);
        else {
            auto exporter = std::make_unique<TGaikyosyoDataExport>("", Contract.CallerValue, Contract.ExportFileName,
                                                                   callerPresent, DefaultExportSources());
            // The figures come from the open company's trial balance.
            exporter->SetFiguresSource(
                [](const TGaikyosyoDataExport& e) { return MakeGaikyosyoFigures(e); });
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
        ShowErrorBox("このアプリケーションはインストールされている「" + appTitle + "」のバージョンに対応していません。\r" +
                     "バージョン:" + export_->RequiredProductVersion + "以降をインストールしてください。\r\r" +
                     "アプリケーションを強制終了します。");
        creation_ = Creation::Ended;
        return;
    }
    setWindowTitle(q(export_->WindowTitle));

    // Pages of other export kinds and the dormant assignment pages.
    for (const char* name : {"page6", "page7", "page8", "page9"})
        Wizard1->deletePage(QString::fromLatin1(name));
}

TForm1::~TForm1()
{
    if (export_) {
        export_->FreeItems();
        export_.reset();
    }
    PostCallerResult(Contract, ResultCode);
}

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
    QGuiApplication::setApplicationDisplayName(q(export_->WindowTitle));
    setWindowTitle(q(export_->WindowTitle));
    return true;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // A close request from outside (title-bar button, Alt+F4, the window
    // manager) ends as cancelled, without asking.
    if (!closingWithResult_)
        ResultCode = ResultCancelled;
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
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    rec.buttons = msgbtn::Yes | msgbtn::No;
    rec.lines[0].text = "[キャンセル]ボタンが押されました。";
    rec.lines[1].text = "連動データの作成ウィザードを終了してもよろしいですか？";
    if (ShowMessage2(rec) == modal::Yes)
        closeWith(ResultCancelled);
}

void TForm1::Wizard1NextClicking(QObject*, bool, bool&) {}

void TForm1::Wizard1NextClick(QObject*, bool finalState)
{
    if (finalState && Wizard1->activePage() == "page5")
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
    int outcome = 0;
    try {
        // The assignments go back into the wizard's settings file first.
        export_->SaveItemSettings();
        outcome = MakeXmlFile();
    } catch (const std::exception& e) {
        // Any other failure (the file cannot be written, a text the code
        // page cannot hold) is shown as it is; the wizard stays open so the
        // user may choose another file or cancel.
        ShowErrorBox(e.what());
        return;
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
