#include "dataselect/gui/LogonBox.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/uAccRecord.h"
#include "dataselect/gui/AppIniCreateBox.h"
#include "dataselect/gui/DialogUtil.h"
#include "dataselect/gui/UpPasswordBox.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QStyle>

namespace {

constexpr int kWidth = 378;
constexpr int kHeight = 300;
constexpr int kTopHeight = 72;

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

TxEdit* field(QWidget* parent, int maxLength, const QString& hint, bool masked)
{
    auto* e = new TxEdit(parent);
    e->setMaxLength(maxLength);
    e->SetImeMode(imDisable);
    e->setToolTip(hint);
    if (masked)
        e->setEchoMode(QLineEdit::Password);
    return e;
}

} // namespace

TLogonBox::TLogonBox(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle("ログイン");
    setFixedSize(kWidth, kHeight);

    topPanel_ = new QWidget(this);
    topPanel_->setGeometry(0, 0, kWidth, kTopHeight);
    topPanel_->setAutoFillBackground(true);
    topPanel_->setStyleSheet("background: white;");
    auto* icon = new QLabel(topPanel_);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    icon->setGeometry(14, 18, 32, 32);
    Label1 = new QLabel(topPanel_);
    Label2 = new QLabel(topPanel_);
    Label3 = new QLabel(topPanel_);
    Label1->setGeometry(60, 10, 310, 18);
    Label2->setGeometry(60, 30, 310, 18);
    Label3->setGeometry(60, 50, 310, 18);

    lowerPanel_ = new QWidget(this);
    lowerPanel_->setGeometry(0, kTopHeight, kWidth, kHeight - kTopHeight);
    lblGroupID = new QLabel("グループ:", lowerPanel_);
    lblOpCode = new QLabel("コード:", lowerPanel_);
    lblPassword = new QLabel("パスワード:", lowerPanel_);
    txtGroupID = field(lowerPanel_, 16, {}, true);
    txtOpCode = field(lowerPanel_, 9, "オペレータコードを入力します。", false);
    txtPassword = field(lowerPanel_, 16, "パスワードを入力します。", true);
    lblGroupID->setGeometry(60, 14, 90, 20);
    txtGroupID->setGeometry(150, 12, 150, 24);
    lblOpCode->setGeometry(60, 46, 90, 20);
    txtOpCode->setGeometry(150, 44, 150, 24);
    lblPassword->setGeometry(60, 78, 90, 20);
    txtPassword->setGeometry(150, 76, 150, 24);
    txtPassword->installEventFilter(this);

    grpConnect = new QGroupBox(lowerPanel_);
    grpConnect->setGeometry(12, 110, kWidth - 24, 66);
    btnSA = new TxRadioButton("スタンドアロン", grpConnect);
    btnSA->setToolTip("このコンピュータで管理しているデータを処理します。");
    btnSA->setGeometry(12, 10, 200, 22);
    btnCS = new TxRadioButton("クライアント(C/S)", grpConnect);
    btnCS->setToolTip("ネットワークに接続して、サーバーで管理しているデータを処理します。");
    btnCS->setGeometry(12, 36, 200, 22);
    btnServerSettei = dataselect::gui::PlButton(grpConnect, "サーバー設定");
    btnServerSettei->setToolTip("データサーバーの情報を設定します。");
    btnServerSettei->setGeometry(kWidth - 24 - 112, 34, 100, 26);
    btnServerSettei->setFocusPolicy(Qt::NoFocus);
    connect(btnSA, &QRadioButton::toggled, this, [this](bool) { btnSAClick(); });
    connect(btnServerSettei, &TxPlButton::OnClick, this, &TLogonBox::btnServerSetteiClick);

    btnUpPassword = dataselect::gui::PlButton(lowerPanel_, "パスワードを変更 ");
    btnUpPassword->setToolTip("パスワードを変更します。");
    btnUpPassword->hide();
    connect(btnUpPassword, &TxPlButton::OnClick, this, &TLogonBox::btnUpPasswordClick);
    OKBtn = dataselect::gui::PlButton(lowerPanel_, "OK");
    CancelBtn = dataselect::gui::PlButton(lowerPanel_, "キャンセル", 2);
    placeButtons();

    setTabOrder(txtGroupID, txtOpCode);
    setTabOrder(txtOpCode, txtPassword);
    setTabOrder(txtPassword, btnSA);
    setTabOrder(btnSA, btnCS);
    setTabOrder(btnCS, OKBtn);
    setTabOrder(OKBtn, CancelBtn);

    if (AppKind == 0)
        setUpLogin();
    else
        setUpConfirmation();
}

TLogonBox::~TLogonBox() = default;

void TLogonBox::placeButtons()
{
    const int y = lowerPanel_->height() - 40;
    btnUpPassword->setGeometry(12, y, 130, 28);
    OKBtn->setGeometry(kWidth - 196, y, 88, 28);
    CancelBtn->setGeometry(kWidth - 100, y, 88, 28);
}

void TLogonBox::setUpLogin()
{
    passwordPresent_ = true;
    ops_.GroupMode = ConnectMode == 2 && SysDef.UseGroup != 0;
    Label1->setText(qs(SysDef.ProgramName + " を利用するには、"));
    if (ops_.GroupMode) {
        Label2->setText("グループ、オペレータコードとパスワードを入力して下さい。");
    } else {
        Label2->setText("オペレータコードとパスワードを入力して下さい。");
        lblGroupID->hide();
        txtGroupID->hide();
    }
    Label3->clear();

    iniBox_ = new TAppIniCreateBox(this);
    int storedKind = 0;
    try {
        storedKind = iniBox_->ReadConnectKind();
    } catch (const std::exception& e) {
        core::ErrorMessageEx("iniファイルよりデータベース情報の取得に失敗しました。", e.what(), msgkind::Warning);
    }
    (storedKind != 0 ? btnCS : btnSA)->setChecked(true);
    btnSAClick();

    if (ConnectMode == 2 || DistKind == 2) {
        grpConnect->hide();
        btnSA->setChecked(true);
        const int lower = static_cast<int>(lowerPanel_->height() * 0.7);
        setFixedSize(kWidth, lower + kTopHeight);
        lowerPanel_->setGeometry(0, kTopHeight, kWidth, lower);
        placeButtons();
    }
    connect(OKBtn, &TxPlButton::OnClick, this, &TLogonBox::OKBtnClick);
    initOK_ = true;
}

void TLogonBox::setUpConfirmation()
{
    confirmMode_ = true;
    fixedCode_ = AppKind == 3 ? 2 : 1;
    setWindowTitle("パスワードの確認");
    const int height = ScaleDPI(250, logicalDpiY(), 96);
    setFixedSize(kWidth, height);
    lowerPanel_->setGeometry(0, kTopHeight, kWidth, height - kTopHeight);
    Label1->setText(qs(SysDef.ProgramName + " を利用するには、"));
    Label2->setText("パスワードを入力して下さい。");
    Label3->clear();
    for (QWidget* w : {static_cast<QWidget*>(lblGroupID), static_cast<QWidget*>(txtGroupID),
             static_cast<QWidget*>(lblOpCode), static_cast<QWidget*>(txtOpCode), static_cast<QWidget*>(grpConnect)})
        w->hide();
    lblPassword->move(60, ScaleDPI(42, logicalDpiY(), 96));
    txtPassword->move(150, ScaleDPI(38, logicalDpiY(), 96));
    btnUpPassword->setVisible(AppKind == 2 || AppKind == 3);
    placeButtons();
    iniBox_ = new TAppIniCreateBox(this);
    btnSA->setChecked(true);
    try {
        iniBox_->LoadConnectSettings(0);
    } catch (const std::exception& e) {
        core::ErrorMessageEx("設定ファイルからデータベース情報の取得に失敗しました。", e.what(), msgkind::Warning);
    }
    connect(OKBtn, &TxPlButton::OnClick, this, &TLogonBox::ConfirmOKBtnClick);
    initOK_ = true;
}

void TLogonBox::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CMShowingChanged();
    raise();
    activateWindow();
}

void TLogonBox::CMShowingChanged()
{
    update();
    if (confirmMode_) {
        if (AppKind == 2 || AppKind == 3) {
            if (SysDef.SysDir.empty()) {
                core::ShowStandardMessage("設定ファイルからデータベース情報の取得に失敗しました。", msgkind::Error);
                OKBtn->setEnabled(false);
                btnUpPassword->setEnabled(false);
                CancelBtn->setFocus();
                return;
            }
            storedPassword_.clear();
            passwordPresent_ = ops_.GetEntryPassword(fixedCode_, storedPassword_);
            OKBtn->setEnabled(passwordPresent_);
            if (!passwordPresent_)
                btnUpPasswordClick();
        }
        txtPassword->setFocus();
        return;
    }
    if (txtOpCode->validator() == nullptr) {
        auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this);
        txtGroupID->setValidator(digits);
        txtOpCode->setValidator(digits);
    }
    btnServerSettei->setEnabled(btnCS->isChecked());
    if (ops_.StartMode == 2)
        OKBtn->setFocus();
    else if (ops_.GroupMode)
        txtGroupID->setFocus();
    else
        txtOpCode->setFocus();
}

void TLogonBox::btnSAClick()
{
    if (ConnectMode == 2)
        return;
    ConnectMode = btnCS->isChecked() ? 1 : 0;
    btnServerSettei->setEnabled(ConnectMode == 1);
}

void TLogonBox::btnServerSetteiClick()
{
    if (iniBox_ != nullptr && iniBox_->InitOK)
        iniBox_->exec();
}

void TLogonBox::apply(const dataselect::TLogonOutcome& outcome)
{
    if (outcome.modalResult != 0) {
        done(outcome.modalResult);
        return;
    }
    if (outcome.focus == dataselect::TLogonFocus::Code) {
        txtOpCode->setFocus();
        txtOpCode->selectAll();
    } else if (outcome.focus == dataselect::TLogonFocus::Password) {
        txtPassword->setFocus();
        txtPassword->selectAll();
    }
}

void TLogonBox::OKBtnClick()
{
    dataselect::TLogonInput input;
    input.groupText = txtGroupID->text().toStdString();
    input.codeText = txtOpCode->text().toStdString();
    input.password = txtPassword->text().toStdString();
    input.csChecked = btnCS->isChecked();
    apply(ops_.Login(input));
}

void TLogonBox::ConfirmOKBtnClick()
{
    txtOpCode->setText(QString::number(fixedCode_));
    apply(ops_.ConfirmLogin(fixedCode_, txtPassword->text().toStdString()));
}

void TLogonBox::btnUpPasswordClick()
{
    if (passwordBox_ == nullptr)
        passwordBox_ = new TUpPasswordBox(this);
    passwordBox_->Prepare(storedPassword_);
    if (passwordBox_->exec() != 1)
        return;
    passwordPresent_ = ops_.UpdatePassword(fixedCode_, passwordBox_->NewPassword());
    if (passwordPresent_) {
        storedPassword_ = passwordBox_->NewPassword();
        OKBtn->setEnabled(true);
    }
}

bool TLogonBox::eventFilter(QObject* watched, QEvent* e)
{
    // Enter in the password field moves to OK; the key goes no further.
    if (watched == txtPassword && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            OKBtn->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TLogonBox::keyPressEvent(QKeyEvent* e)
{
    if (!dataselect::gui::HoldBackEscPress(e))
        QDialog::keyPressEvent(e);
}

void TLogonBox::keyReleaseEvent(QKeyEvent* e)
{
    // Esc (and F1) do nothing here: the login is left by OK or Cancel only.
    if (e->key() == Qt::Key_F1) {
        e->accept();
        return;
    }
    if (!dataselect::gui::HandleKeyUp(this, e, -1, OKBtn, [this] { OKBtn->Click(); }))
        QDialog::keyReleaseEvent(e);
}

namespace dataselect {

int ExecuteLogonBox(QWidget* owner, int startMode)
{
    TLogonBox box(owner);
    if (!box.InitOK())
        return 2;
    box.SetStartMode(startMode);
    return box.exec() == 1 ? 1 : 2;
}

} // namespace dataselect
