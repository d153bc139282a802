#include "dataselect/gui/AppIniCreateBox.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "dataselect/AppIniFile.h"
#include "dataselect/gui/DialogUtil.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <stdexcept>

namespace {

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w = 120)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, 20);
    return l;
}

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

QStringList TAppIniCreateBox::DriveItems()
{
    QStringList items {"/"};
    for (char c = 'C'; c <= 'Z'; ++c)
        items << QString("%1:").arg(QChar(c));
    return items;
}

int TAppIniCreateBox::DriveIndexOf(const std::string& folder)
{
    if (folder.size() >= 2 && folder[1] == ':') {
        const char letter = platform::text::upperAscii(folder.substr(0, 1))[0];
        if (letter >= 'C' && letter <= 'Z')
            return letter - 'C' + 1;
    }
    return 0;
}

TAppIniCreateBox::TAppIniCreateBox(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle("データサーバーの設定");
    setFixedSize(506, 233);

    auto* top = new QWidget(this);
    top->setGeometry(0, 0, 506, 56);
    top->setAutoFillBackground(true);
    top->setStyleSheet("background: white;");
    auto* label1 = label(top, "データサーバーを利用するための設定を行います。", 56, 10, 440);
    auto* label2 = label(top, "データサーバーの情報を入力して下さい。", 56, 30, 440);
    (void)label1;
    (void)label2;

    auto* group = new QGroupBox("データサーバー", this);
    group->setGeometry(12, 64, 482, 118);
    label(group, "コンピュータ名:", 12, 24);
    txtHostName = new TxEdit(group);
    txtHostName->setGeometry(136, 22, 220, 24);
    txtHostName->SetImeMode(imDisable);
    txtHostName->setToolTip("接続先のコンピューター名またはIPアドレスを入力して下さい。");
    btnCompShow = dataselect::gui::PlButton(group, "参照");
    btnCompShow->setGeometry(364, 21, 75, 26);
    btnCompShow->setFocusPolicy(Qt::NoFocus);
    btnCompShow->setToolTip("ネットワークに接続されているコンピュータを表示します。");
    connect(btnCompShow, &TxPlButton::OnClick, this, &TAppIniCreateBox::btnCompShowClick);

    label(group, "データの場所:", 12, 56);
    cmbDrive = new TxComboBox(group);
    cmbDrive->setGeometry(136, 54, 60, 24);
    cmbDrive->addItems(DriveItems());
    cmbDrive->setCurrentIndex(0);
    cmbDrive->SetKeyTerm(":");
    cmbDrive->setToolTip("データを置いてあるドライブを選択して下さい。");
    txtDataPath = new TxEdit(group);
    txtDataPath->setGeometry(200, 54, 239, 24);
    txtDataPath->setReadOnly(true);
    txtDataPath->setToolTip("データパス名を入力して下さい。");

    // The database account: kept with the settings, not edited here.
    auto* lblUser = label(group, "データベースのユーザー:", 12, 86, 150);
    auto* lblPass = label(group, "データベースのパスワード:", 240, 86, 150);
    txtUserName = new TxEdit(group);
    txtPassWord = new TxEdit(group);
    txtPassWord->setEchoMode(QLineEdit::Password);
    for (QWidget* w : {static_cast<QWidget*>(lblUser), static_cast<QWidget*>(lblPass),
             static_cast<QWidget*>(txtUserName), static_cast<QWidget*>(txtPassWord)})
        w->hide();

    btnOK = dataselect::gui::PlButton(this, "OK");
    btnOK->setGeometry(316, 195, 85, 28);
    connect(btnOK, &TxPlButton::OnClick, this, &TAppIniCreateBox::OKBtnClick);
    btnCancel = dataselect::gui::PlButton(this, "キャンセル", 2);
    btnCancel->setGeometry(409, 195, 85, 28);
    connect(btnCancel, &TxPlButton::OnClick, this, &TAppIniCreateBox::btnCancelClick);

    // FormCreate
    sectionKind_ = 1;
    txtDataPath->setEnabled(false);
    txtUserName->setEnabled(false);
    txtPassWord->setEnabled(false);
    txtDataPath->setText(qs(ServerDir));
    txtUserName->setText(qs(SysDef.DBUser));
    txtPassWord->setText(qs(SysDef.DBPassword));
    InitOK = true;
}

bool TAppIniCreateBox::WriteIniFile(int mode)
{
    return dataselect::WriteIniFile(mode);
}

int TAppIniCreateBox::ReadIniFile(int kind)
{
    return dataselect::ReadIniFile(kind);
}

int TAppIniCreateBox::LoadConnectSettings(int kind)
{
    return dataselect::LoadConnectSettings(kind);
}

int TAppIniCreateBox::ReadConnectKind()
{
    return dataselect::ReadConnectKind();
}

void TAppIniCreateBox::WriteConnectKind(int kind)
{
    dataselect::WriteConnectKind(kind);
}

void TAppIniCreateBox::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CMShowingChanged();
}

void TAppIniCreateBox::CMShowingChanged()
{
    try {
        if (StartMode == 1) {
            if (SysDef.DataRoot.empty())
                throw std::runtime_error("アプリケーションの初期化に失敗しました。\r" + SysDef.ProgramName
                    + "を終了します。\rデータフォルダの取得に失敗しました。");
            if (!QFileInfo::exists(qs(SysDef.ServerIniFile)))
                WriteIniFile(0);
        }
        ReadIniFile(sectionKind_);
    } catch (const std::exception& e) {
        // The dialog cannot show settings it could not read: say why and close.
        core::ShowStandardMessage(e.what(), msgkind::Error);
        QTimer::singleShot(0, this, [this] { done(2); });
        return;
    }
    txtHostName->setText(qs(SysDef.HostName));
    cmbDrive->setCurrentIndex(DriveIndexOf(SysDef.SysDir));
    txtUserName->setText(qs(SysDef.DBUser));
    txtPassWord->setText(qs(SysDef.DBPassword));
    update();
}

void TAppIniCreateBox::btnCompShowClick()
{
    std::string name;
    if (SelectComputerDialog("サーバーのコンピュータを選択して下さい。サーバーのコンピュータがリストに無い場合は、"
                             "[ｷｬﾝｾﾙ]を押してコンピュータ名を入力して下さい。",
            name))
        txtHostName->setText(qs(name));
}

void TAppIniCreateBox::refuse(const std::string& text)
{
    dataselect::gui::ShowYesBox(msgkind::Error, text);
}

void TAppIniCreateBox::OKBtnClick()
{
    setResult(0);
    const std::string host = txtHostName->text().toStdString();
    SysDef.HostName = platform::text::lowerAscii(host);
    // A data server without drive letters takes the data path as it is;
    // folders keep their case.
    const std::string drive = cmbDrive->currentText().toStdString();
    const std::string path = txtDataPath->text().toStdString();
    SysDef.SysDir = drive == "/" ? path : drive + path;
    SysDef.DBUser = platform::text::upperAscii(txtUserName->text().toStdString());
    SysDef.DBPassword = platform::text::lowerAscii(txtPassWord->text().toStdString());
    SysDef.UseGoGlobal = 0;
    SysDef.UseGroup = 0;

    const bool blankHost = TrimZenkaku(host).empty();
    switch (ConnectMode) {
    case 0:
        SysDef.HostName.clear();
        break;
    case 1:
        if (blankHost)
            return refuse("コンピュータ名が指定されていません。\r入力してください。");
        break;
    case 2:
        SysDef.UseGoGlobal = 1;
        if (blankHost)
            return refuse("コンピュータ名が指定されていません。\r");
        break;
    default:
        break;
    }
    if (TrimZenkaku(txtUserName->text().toStdString()).empty())
        return refuse("データベースのユーザーが指定されていません。\r入力してください。");
    if (TrimZenkaku(txtPassWord->text().toStdString()).empty())
        return refuse("データベースのパスワードが指定されていません。\r入力してください。");
    try {
        WriteIniFile(0);
    } catch (const std::exception& e) {
        core::ErrorMessageEx("データサーバーの設定の保存に失敗しました。", e.what());
        return;
    }
    done(1);
}

void TAppIniCreateBox::btnCancelClick()
{
    if (StartMode == 1)
        close();
}

void TAppIniCreateBox::keyPressEvent(QKeyEvent* e)
{
    if (!dataselect::gui::HoldBackEscPress(e))
        QDialog::keyPressEvent(e);
}

void TAppIniCreateBox::keyReleaseEvent(QKeyEvent* e)
{
    if (!dataselect::gui::HandleKeyUp(this, e, 2, btnOK, [this] { OKBtnClick(); }))
        QDialog::keyReleaseEvent(e);
}
