#include "controls/z5FileOperationDlg.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/PlatformUtil.h"
#include "core/TextRoutines.h"
#include "platform/gui/window_util.h"
#include "platform/plain_text.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

constexpr int kHistoryMax = 8;

QString trimmedBlanks(const QString& s)
{
    return QString::fromStdString(TrimZenkaku(s.toStdString()));
}

QString withoutDelimiter(const QString& folder)
{
    return QString::fromStdString(ExcludeDelimiter(folder.toStdString()));
}

} // namespace

TFileOperationBox::TFileOperationBox(QWidget* parent)
    : TBSDI(parent)
{
    setObjectName(QStringLiteral("FileOperationBox"));
    HostMenuNotify = false;
    SkipProcCheck = false;
    SizeMemory = false;
    ActivateFlag = false;
    FileColor = palette().color(QPalette::WindowText);
    HistoryFolder = QString::fromStdString(SysDef.IniDir);
    resize(475, 267);
    lblMain = new QLabel(this);
    lblMain->setGeometry(24, 16, 427, 33);
    lblMain->setWordWrap(true);
    lblFileSelect = new QLabel(QStringLiteral("保存先の場所:"), this);
    lblFileSelect->setGeometry(24, 52, 300, 18);
    cmbFileSelect = new TxComboBox(this);
    cmbFileSelect->setGeometry(32, 72, 361, 24);
    cmbFileSelect->setEditable(false);
    cmbFileSelect->setMaxVisibleItems(10);
    cmbFileSelect->SetKeyStyles(ksEnter);
    btnSansyo = new TxPlButton(this);
    btnSansyo->CaptionA().SetCaption(QStringLiteral("参照"));
    btnSansyo->setGeometry(398, 71, 60, 26);
    connect(btnSansyo, &TxPlButton::OnClick, this, [this] { btnSansyoClick(); });
    btnHistDelete = new TxPlButton(this);
    btnHistDelete->CaptionA().SetCaption(QStringLiteral("履歴削除"));
    btnHistDelete->setGeometry(32, 100, 80, 24);
    connect(btnHistDelete, &TxPlButton::OnClick, this, [this] { btnHistDeleteClick(); });
    lblFileName = new QLabel(QStringLiteral("ファイル名:"), this);
    lblFileName->setGeometry(120, 104, 80, 18);
    txtFileName = new TxEdit(this);
    txtFileName->setGeometry(200, 100, 215, 24);
    HintArea = new QPlainTextEdit(this);
    HintArea->setGeometry(8, 140, 459, 76);
    HintArea->setReadOnly(true);
    HintArea->setEnabled(false);
    btnOK = new TxPlButton(this);
    btnOK->CaptionA().SetCaption(QStringLiteral("OK"));
    btnOK->setGeometry(275, 230, 90, 28);
    connect(btnOK, &TxPlButton::OnClick, this, [this] { btnOKClick(); });
    btnCancel = new TxPlButton(this);
    btnCancel->CaptionA().SetCaption(QStringLiteral("キャンセル"));
    btnCancel->setGeometry(375, 230, 90, 28);
    btnCancel->SetModalResult(modal::Cancel);
    HelpMemo = HintArea;
    DefaultButton = btnOK;
    SetupPeriodControls();
    InitOK = true;
}

void TFileOperationBox::InitDialog(bool flag)
{
    initFlag_ = flag;
    SetControls();
    AlwaysPlace = false;
}

void TFileOperationBox::SetHints()
{
    controls::SetHint(cmbFileSelect, FolderHint);
    controls::SetHint(btnSansyo, FolderHint);
    controls::SetHint(txtFileName, FileNameHint);
    controls::SetHint(btnHistDelete, QStringLiteral("履歴を削除します。|履歴を削除します。"));
    controls::SetHint(btnOK, QStringLiteral("処理を確定します。"));
    controls::SetHint(btnCancel, QStringLiteral("処理をキャンセルします。"));
}

void TFileOperationBox::SetControls()
{
    SetHints();
    const bool file = FileKind == 0 || FileKind == 1;
    lblFileName->setVisible(file);
    txtFileName->setVisible(file);
    txtFileName->setText(file ? InitialFileName : QString());
    btnHistDelete->setVisible(UseHistory);
    setWindowTitle(FileCaption);
    lblMain->setText(FileMessage);
    QPalette pal = lblMain->palette();
    pal.setColor(QPalette::WindowText, FileColor);
    lblMain->setPalette(pal);
    lblFileSelect->setText(FolderLabel);
    cmbFileSelect->clear();
    if (!HistoryFolder.isEmpty() && !HistoryFile.isEmpty() && !HistorySection.isEmpty()) {
        const std::string section = ReadIniSection(historyPath(), HistorySection.toStdString());
        for (const std::string& line : platform::text::splitLines(section)) {
            const auto eq = line.find('=');
            if (eq != std::string::npos)
                cmbFileSelect->addItem(QString::fromStdString(line.substr(eq + 1)));
        }
    }
    if (!InitialFolder.isEmpty() && cmbFileSelect->findText(InitialFolder) < 0)
        cmbFileSelect->addItem(InitialFolder);
    cmbFileSelect->setCurrentIndex(cmbFileSelect->count() > 0 ? 0 : -1);
}

QStringList TFileOperationBox::Folders() const
{
    QStringList list;
    for (int i = 0; i < cmbFileSelect->count(); ++i)
        list << cmbFileSelect->itemText(i);
    return list;
}

QString TFileOperationBox::SelectedFolder() const
{
    return cmbFileSelect->currentText();
}

void TFileOperationBox::PutFolder(const QString& folder)
{
    if (cmbFileSelect->findText(folder) < 0)
        cmbFileSelect->insertItem(0, folder);
    cmbFileSelect->setCurrentIndex(cmbFileSelect->findText(folder));
}

std::string TFileOperationBox::historyPath() const
{
    return IncludeDelimiter(HistoryFolder.toStdString()) + HistoryFile.toStdString();
}

void TFileOperationBox::saveHistory(const QStringList& folders)
{
    std::vector<std::string> lines;
    for (int i = 0; i < folders.size() && i < kHistoryMax; ++i)
        lines.push_back("HIST" + std::to_string(i + 1) + "=" + folders.at(i).toStdString());
    WriteIniSection(historyPath(), HistorySection.toStdString(), lines);
}

void TFileOperationBox::btnSansyoClick()
{
    if (FileKind == 0 || FileKind == 1) {
        const QString proposed
            = withoutDelimiter(SelectedFolder()) + QLatin1Char('/') + trimmedBlanks(txtFileName->text());
        QFileDialog dialog(this, QStringLiteral("ファイルの選択"));
        QStringList filters;
        if (!FilterName.isEmpty() && !DefaultExt.isEmpty())
            filters << QStringLiteral("%1 (*.%2 *.%3)").arg(FilterName, DefaultExt.toLower(), DefaultExt.toUpper());
        filters << QStringLiteral("すべてのﾌｧｲﾙ(*)");
        dialog.setNameFilters(filters);
        dialog.setDefaultSuffix(DefaultExt);
        dialog.setDirectory(InitialFolder);
        std::string chosen;
        bool ok = false;
        if (FileKind == 0) {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
            if (QFileInfo::exists(proposed))
                dialog.selectFile(proposed);
            else
                dialog.setDirectory(SelectedFolder());
            if (const auto file = platform::gui::fileDialogRunner(dialog)()) {
                chosen = *file;
                ok = true;
            }
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.selectFile(proposed);
            ok = ExecuteFileDialog(platform::gui::fileDialogRunner(dialog), chosen);
        }
        if (ok) {
            const QFileInfo info(QString::fromStdString(chosen));
            PutFolder(info.absolutePath());
            txtFileName->setText(info.fileName());
        }
        return;
    }
    std::string folder = SelectedFolder().toStdString();
    if (SelectFolderDialog("フォルダの選択", folder, false))
        PutFolder(QString::fromStdString(folder));
}

bool TFileOperationBox::baseOK()
{
    setResult(0);
    const bool file = FileKind == 0 || FileKind == 1;
    const QString name = trimmedBlanks(txtFileName->text());
    if (file && name.isEmpty()) {
        controls::ShowInformation("ファイル名を入力または[参照]ボタンより選択して下さい。\r");
        return false;
    }
    std::string folder = SelectedFolder().toStdString();
    if (!CheckSaveFolder(folder))
        return false;
    ResultPath = file ? withoutDelimiter(SelectedFolder()) + QLatin1Char('/') + name : SelectedFolder();
    if (UseHistory) {
        QStringList folders = Folders();
        const QString selected = SelectedFolder();
        folders.removeAll(selected);
        folders.prepend(selected);
        saveHistory(folders);
    }
    return true;
}

void TFileOperationBox::btnOKClick()
{
    if (baseOK())
        done(modal::Ok);
}

void TFileOperationBox::btnHistDeleteClick()
{
    if (ShowMessageLines(msgkind::Confirmation, {"履歴を削除します。よろしいですか？"}) != modal::Ok)
        return;
    const QString selected = SelectedFolder();
    cmbFileSelect->clear();
    if (!selected.isEmpty())
        cmbFileSelect->addItem(selected);
    cmbFileSelect->setCurrentIndex(cmbFileSelect->count() > 0 ? 0 : -1);
    saveHistory(Folders());
}

void TFileOperationBox::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
}

void TFileOperationBox::CMShowingChanged(bool visible)
{
    TBSDI::CMShowingChanged(visible);
    if (!ReadyWhenShown(visible))
        return;
    cmbFileSelect->setFocus();
}

// --- Ex1 ------------------------------------------------------------------------------------

TFileOperationBoxEx1::TFileOperationBoxEx1(QWidget* parent)
    : TFileOperationBox(parent)
{
    setObjectName(QStringLiteral("FileOperationBoxEx1"));
    resize(495, 327);
    // The folder rows move down for the first choice above them.
    for (QWidget* w : std::initializer_list<QWidget*> {
             lblFileSelect, cmbFileSelect, btnSansyo, btnHistDelete, lblFileName, txtFileName})
        w->move(w->x() + 16, w->y() + 26);
    btnSelect1 = new TxRadioButton(QStringLiteral("ファイルの場所を選択する"), this);
    btnSelect1->setGeometry(24, 54, 400, 22);
    btnSelect1->setChecked(true);
    btnSelect2 = new TxRadioButton(QStringLiteral("既定の場所から実行する"), this);
    btnSelect2->setGeometry(24, 156, 400, 22);
    HintArea->setGeometry(8, 186, 479, 90);
    btnOK->move(295, 288);
    btnCancel->move(395, 288);
    connect(btnSelect1, &QAbstractButton::toggled, this, [this] { btnSelect1Click(); });
    HelpMemo = HintArea;
    DefaultButton = btnOK;
    SelectKind = 1;
}

void TFileOperationBoxEx1::InitDialog(bool flag)
{
    if (FileKind == 2 || FileKind == 3)
        btnSelect2->move(btnSelect2->x(), txtFileName->y());
    TFileOperationBox::InitDialog(flag);
}

void TFileOperationBoxEx1::SetControls()
{
    TFileOperationBox::SetControls();
    if (AlwaysPlace)
        resize(width(), ScaleDPI(0x168, PixelsPerInch(), 96));
}

void TFileOperationBoxEx1::SetHints()
{
    TFileOperationBox::SetHints();
    controls::SetHint(btnSelect1,
        QStringLiteral("選択した場所に保存されているﾃﾞｰﾀを復元する場合に選択します。|"
                       "選択した場所に保存されているﾃﾞｰﾀを復元する場合に選択します。"));
    controls::SetHint(btnSelect2,
        QStringLiteral("ｼｽﾃﾑが随所で行う自動ﾊﾞｯｸｱｯﾌﾟﾃﾞｰﾀを復元し、ﾃﾞｰﾀを元に戻す場合に選択します。|"
                       "仕訳の全削除や仕訳の取込を行う前に、ﾃﾞｰﾀは自動的にﾊﾞｯｸｱｯﾌﾟされます。\n"
                       "OKを押すと、それらの処理を行う前の状態にﾃﾞｰﾀを戻します。\n"
                       "ただし、ﾊﾞｯｸｱｯﾌﾟを行わずに処理される場合もあるため、元に戻ることは保証されません。"));
}

void TFileOperationBoxEx1::SetSelect1Caption(const QString& text)
{
    btnSelect1->setText(text);
}
void TFileOperationBoxEx1::SetSelect2Caption(const QString& text)
{
    btnSelect2->setText(text);
}

void TFileOperationBoxEx1::SetSelectKind(int kind)
{
    (kind == 2 ? btnSelect2 : btnSelect1)->setChecked(true);
    btnSelect1Click();
}

void TFileOperationBoxEx1::btnSelect1Click()
{
    const bool on = btnSelect1->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*> {
             lblFileSelect, cmbFileSelect, btnSansyo, btnHistDelete, lblFileName, txtFileName})
        w->setEnabled(on);
}

void TFileOperationBoxEx1::btnOKClick()
{
    if (btnSelect1->isChecked()) {
        SelectKind = 1;
        TFileOperationBox::btnOKClick();
        return;
    }
    SelectKind = 2;
    done(modal::Ok);
}
