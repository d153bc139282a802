#include "controls/z5MessageDlg.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

constexpr int kMemoHeight = 156;

} // namespace

void InitMessageBoxInfo(TMessageInfoRec& rec)
{
    rec = TMessageInfoRec {};
}

int ShowMessageBox(const TMessageInfoRec& rec)
{
    QWidget* owner = TBSDI::MainForm() ? TBSDI::MainForm() : QApplication::activeWindow();
    TMessageBox box(owner);
    box.BoxMode = rec.mode;
    box.BoxCaption = QString::fromStdString(rec.caption);
    box.BoxMessage = QString::fromStdString(rec.message);
    box.BoxColor = controls::toQColor(rec.colour);
    QStringList lines;
    for (const std::string& line : rec.lines)
        lines << QString::fromStdString(line);
    box.SetMessageLines(lines);
    if (!rec.agreeCaption.empty())
        box.AgreeCaption = QString::fromStdString(rec.agreeCaption);
    box.InitDialog(true);
    if (rec.position == boxpos::ScreenCenter || rec.position == boxpos::MainFormCenter || !owner)
        box.SetFormPosition(0, 0, 0, 0, rec.position == boxpos::MainFormCenter ? 2 : 3);
    else if (rec.position == boxpos::OwnerFormCenter) {
        const QRect o = owner->frameGeometry();
        box.move(o.x() + (o.width() - box.width()) / 2, o.y() + (o.height() - box.height()) / 2);
    }
    return box.ShowModal();
}

TMessageBox::TMessageBox(QWidget* parent)
    : TBSDI(parent)
{
    setObjectName(QStringLiteral("MessageBox"));
    HostMenuNotify = false;
    SkipProcCheck = false;
    SizeMemory = false;
    ActivateFlag = false;
    BoxColor = palette().color(QPalette::WindowText);
    resize(504, 293);
    lblMain = new QLabel(QStringLiteral("メッセージ"), this);
    lblMain->setGeometry(24, 16, 445, 49);
    lblMain->setWordWrap(true);
    lblMain->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    MessageArea = new QPlainTextEdit(this);
    MessageArea->setGeometry(24, 72, 465, kMemoHeight);
    MessageArea->setReadOnly(true);
    MessageArea->setFrameShape(QFrame::Box);
    MessageArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MessageArea->setFocusPolicy(Qt::NoFocus);
    cboxAgree = new TxCheckBox(QStringLiteral("同意する。"), this);
    cboxAgree->setGeometry(24, 234, 441, 20);
    connect(cboxAgree, &QCheckBox::toggled, this, [this](bool on) {
        if (BoxMode == 2)
            btnOK->setEnabled(on);
    });
    btnOK = new TxPlButton(this);
    btnOK->setGeometry(295, 293 - 41 + 6, 90, 26);
    btnOK->SetGradEndColor(0xB6B6B6);
    btnOK->CaptionA().SetLeft(30);
    btnOK->SetCaptionTop(7);
    btnOK->SetModalResult(modal::Ok);
    btnCancel = new TxPlButton(this);
    btnCancel->setGeometry(399, 293 - 41 + 6, 90, 26);
    btnCancel->SetGradEndColor(0xB6B6B6);
    btnCancel->CaptionA().SetLeft(30);
    btnCancel->SetCaptionTop(7);
    btnCancel->SetModalResult(modal::Cancel);
    // btnOKClick: the form answers with OK's modal result (F12 presses it).
    connect(btnOK, &TxPlButton::OnClick, this, [this] { setResult(btnOK->ModalResult()); });
    designSize_ = size();
    DefaultButton = btnOK;
    SetupPeriodControls();
    InitOK = true;
}

void TMessageBox::InitDialog(bool flag)
{
    initFlag_ = flag;
    AgreeVisible = BoxMode == 2 || BoxMode == 3;
    resize(designSize_);
    SetControls();
    AlwaysPlace = false;
}

void TMessageBox::SetControls()
{
    btnOK->setVisible(true);
    btnOK->CaptionA().SetCaption(QStringLiteral("OK"));
    btnOK->SetModalResult(modal::Ok);
    btnCancel->setVisible(true);
    btnCancel->CaptionA().SetCaption(QStringLiteral("キャンセル"));
    btnCancel->SetModalResult(modal::Cancel);
    if (BoxMode == 1) {
        btnOK->setVisible(false);
        btnCancel->CaptionA().SetCaption(QStringLiteral("OK"));
        btnCancel->SetModalResult(modal::Ok);
    }
    setWindowTitle(BoxCaption);
    lblMain->setText(BoxMessage);
    QPalette pal = lblMain->palette();
    pal.setColor(QPalette::WindowText, BoxColor);
    lblMain->setPalette(pal);
    MessageArea->setPlainText(lines_.join(QLatin1Char('\n')));
    // Everything below the memo moves with the client height.
    const int shrink = lines_.isEmpty() ? kMemoHeight : 0;
    MessageArea->setVisible(!lines_.isEmpty());
    resize(designSize_.width(), designSize_.height() - shrink);
    cboxAgree->move(24, 234 - shrink);
    btnOK->move(295, designSize_.height() - shrink - 41 + 6);
    btnCancel->move(399, designSize_.height() - shrink - 41 + 6);
    cboxAgree->setVisible(AgreeVisible);
    cboxAgree->setText(AgreeCaption);
    {
        const QSignalBlocker block(cboxAgree);
        cboxAgree->setChecked(AgreeChecked);
    }
    // Mode 2 starts with OK disabled whatever the tick says: the user
    // agrees by ticking in this dialog.
    btnOK->setEnabled(!(BoxMode == 2 && AgreeVisible));
}

void TMessageBox::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
}

void TMessageBox::CMShowingChanged(bool visible)
{
    TBSDI::CMShowingChanged(visible);
    if (!ReadyWhenShown(visible))
        return;
    if (FocusButton == 2)
        btnOK->setFocus();
    else
        btnCancel->setFocus();
}
