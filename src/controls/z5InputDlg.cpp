#include "controls/z5InputDlg.h"

#include "controls/TolvanEdit.h"
#include "controls/TolvanExDateEdit.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/TextRoutines.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>

namespace {

// Characters a file or folder name cannot hold (filter 40).
const QString kPathForbidden = QStringLiteral("\"*,/:;<>?\\|");

std::string trimmedBlanks(const QString& text)
{
    return TrimZenkaku(text.toStdString());
}

} // namespace

TInputDlgBox::TInputDlgBox(QWidget* parent)
    : TBSDI(parent)
{
    setObjectName(QStringLiteral("InputDlgBox"));
    HostMenuNotify = false;
    SkipProcCheck = false;
    SizeMemory = false;
    ActivateFlag = false;
    InputColor = palette().color(QPalette::WindowText);

    setFixedSize(427, 251);
    auto* pnlClient = new QWidget(this);
    pnlClient->setGeometry(0, 0, 427, 251 - 128);
    lblMain = new QLabel(QStringLiteral("メッセージ"), pnlClient);
    lblMain->setGeometry(16, 16, 393, 49);
    lblMain->setWordWrap(true);
    lblMain->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    pnlText = new QWidget(pnlClient);
    pnlText->setGeometry(24, 72, 390, 28);
    txtInput = new TxEdit(pnlText);
    txtInput->setGeometry(0, 2, 250, 24);
    txtInput->SetKeyStyles(ksEnter);
    txtInput->installEventFilter(this);
    btnFuseji = new TxCheckBox(QStringLiteral("伏字にせず入力"), pnlText);
    btnFuseji->setGeometry(256, 2, 130, 24);
    btnFuseji->setFocusPolicy(Qt::ClickFocus);
    connect(btnFuseji, &QCheckBox::toggled, this, [this] { btnFusejiClick(); });

    pnlCombo = new QWidget(pnlClient);
    pnlCombo->setGeometry(24, 72, 280, 28);
    cmbInput = new TxComboBox(pnlCombo);
    cmbInput->setGeometry(0, 2, 265, 24);
    cmbInput->setEditable(true);
    cmbInput->setMaxVisibleItems(16);
    cmbInput->SetKeyTerm(QStringLiteral(":"));
    cmbInput->setAttribute(Qt::WA_InputMethodEnabled, false);

    pnlKingaku = new QWidget(pnlClient);
    pnlKingaku->setGeometry(24, 72, 160, 28);
    txtKingaku = new TTolvanEdit(pnlKingaku);
    txtKingaku->setGeometry(0, 2, 120, 24);
    txtKingaku->SetAlignment(taRightJustify);
    txtKingaku->SetImeMode(imDisable);
    txtKingaku->SetMaxLength(11);
    txtKingaku->SetEditStyle(esNumericMinus);
    txtKingaku->SetKeyStyles(ksEnter | ksUp);
    txtKingaku->SetOutputFormat(QStringLiteral("#,##0"));
    txtKingaku->SetComma(true);
    txtKingaku->SetZero2Key(zkDot);
    auto* yen = new QLabel(QStringLiteral("円"), pnlKingaku);
    yen->setGeometry(126, 2, 24, 24);

    pnlDate = new QWidget(pnlClient);
    pnlDate->setGeometry(24, 72, 390, 60);
    auto* from = new QLabel(QStringLiteral("(自)"), pnlDate);
    from->setGeometry(0, 4, 30, 24);
    txtHizuke1 = new TTolvanExDateEdit(pnlDate);
    txtHizuke1->move(34, 2);
    const int row = txtHizuke1->height() + 3;
    auto* to = new QLabel(QStringLiteral("(至)"), pnlDate);
    to->setGeometry(0, row + 4, 30, 24);
    txtHizuke2 = new TTolvanExDateEdit(pnlDate);
    txtHizuke2->move(34, row + 2);
    pnlDate->resize(390, 2 * row + 2);
    for (TTolvanExDateEdit* edit : {txtHizuke1, txtHizuke2}) {
        edit->SetEditStyle(desYearMonthDay);
        edit->SetEditGengo(true);
        edit->SetYeardigit(yddigit4);
        edit->SetCanEmpty(true);
        edit->DialogCaption = QStringLiteral("日付時刻入力");
    }
    pnlDate->hide();

    auto* pnlBottom = new QWidget(this);
    pnlBottom->setGeometry(0, 251 - 128, 427, 128);
    HintArea = new QPlainTextEdit(pnlBottom);
    HintArea->setGeometry(8, 4, 411, 76);
    HintArea->setReadOnly(true);
    HintArea->setEnabled(false);
    btnHelp = new TxPlButton(pnlBottom);
    btnHelp->CaptionA().SetCaption(QStringLiteral("F1:ヘルプ"));
    btnHelp->setGeometry(8, 88, 90, 30);
    btnHelp->hide();
    btnOK = new TxPlButton(pnlBottom);
    btnOK->CaptionA().SetCaption(QStringLiteral("OK"));
    btnOK->setGeometry(226, 88, 90, 30);
    connect(btnOK, &TxPlButton::OnClick, this, [this] { btnOKClick(); });
    btnCancel = new TxPlButton(pnlBottom);
    btnCancel->CaptionA().SetCaption(QStringLiteral("キャンセル"));
    btnCancel->setGeometry(326, 88, 90, 30);
    btnCancel->SetModalResult(modal::Cancel);

    HelpMemo = HintArea;
    DefaultButton = btnOK;
    SetupPeriodControls();
    InitOK = true;
}

TInputDlgBox::~TInputDlgBox() = default;

bool TInputDlgBox::FilterAccepts(int filter, QChar ch)
{
    const char16_t c = ch.unicode();
    const bool digit = c >= u'0' && c <= u'9';
    const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    switch (filter) {
    case inputfilter::Digits:
        return digit || c == u'-' || c == u'.';
    case inputfilter::Letters:
        return letter;
    case inputfilter::LettersDigits:
        return letter || digit;
    case inputfilter::PathName:
        return !kPathForbidden.contains(ch);
    default:
        return true;
    }
}

void TInputDlgBox::InitDialog(bool flag)
{
    initFlag_ = flag;
    SetControls();
    AlwaysPlace = false;
}

void TInputDlgBox::SetKeyFilter(int filter)
{
    KeyFilter = filter;
    filterHooked_ = filter != 0;
}

void TInputDlgBox::SetControls()
{
    setWindowTitle(InputCaption);
    lblMain->setText(InputMessage);
    QPalette pal = lblMain->palette();
    pal.setColor(QPalette::WindowText, InputColor);
    lblMain->setPalette(pal);

    const QPoint at = pnlText->pos();
    pnlText->hide();
    pnlCombo->hide();
    pnlKingaku->hide();
    pnlDate->hide();
    switch (InputKind) {
    case inputkind::List:
        pnlCombo->move(at);
        pnlCombo->show();
        cmbInput->clear();
        cmbInput->addItems(ComboItems);
        cmbInput->setEditText(InputValue);
        controls::SetHint(cmbInput, InputHint);
        if (InputMaxLength > 0 && cmbInput->lineEdit())
            cmbInput->lineEdit()->setMaxLength(InputMaxLength);
        break;
    case inputkind::Amount:
        pnlKingaku->move(at);
        pnlKingaku->show();
        txtKingaku->setText(InputValue);
        controls::SetHint(txtKingaku, InputHint);
        if (InputMaxLength > 0)
            txtKingaku->SetMaxLength(InputMaxLength);
        txtKingaku->SetImeMode(imDisable);
        break;
    case inputkind::TwoDates:
        pnlDate->move(at);
        pnlDate->show();
        for (TTolvanExDateEdit* edit : {txtHizuke1, txtHizuke2}) {
            edit->SetEditGengo(true);
            edit->SetGengo(rsWareki);
            controls::SetHint(edit, InputHint);
        }
        txtHizuke1->SetMinDate(MinDate1);
        txtHizuke1->SetMaxDate(MaxDate1);
        txtHizuke1->SetDateTime(Date1);
        txtHizuke2->SetMinDate(MinDate2);
        txtHizuke2->SetMaxDate(MaxDate2);
        txtHizuke2->SetDateTime(Date2);
        break;
    default:
        pnlText->move(at);
        pnlText->show();
        txtInput->setText(InputValue);
        controls::SetHint(txtInput, InputHint);
        txtInput->setMaxLength(InputMaxLength > 0 ? InputMaxLength : 32767);
        txtInput->SetImeMode(InputImeMode);
        txtInput->setEchoMode(QLineEdit::Normal);
        btnFuseji->hide();
        if (InputKind == inputkind::Password) {
            InputRequired = true;
            btnFuseji->show();
            btnFusejiClick();
        }
        break;
    }
    SetKeyFilter(KeyFilter);
    controls::SetHint(btnFuseji,
        QStringLiteral(
            "パスワードを伏字にせず入力します。|チェックを入れるとパスワードを伏字にしないで入力が行えます。"));
    controls::SetHint(btnOK, QStringLiteral("内容を確定します。|内容を確定します。"));
    controls::SetHint(btnCancel, QStringLiteral("画面を閉じます。|画面を閉じます。"));
}

void TInputDlgBox::btnFusejiClick()
{
    if (InputKind != inputkind::Password)
        return;
    txtInput->setEchoMode(btnFuseji->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}

bool TInputDlgBox::filterRefuses(const QString& text)
{
    if (!filterHooked_)
        return false;
    for (const QChar ch : text) {
        if (!FilterAccepts(KeyFilter, ch))
            return true;
    }
    return false;
}

void TInputDlgBox::btnOKClick()
{
    setResult(0);
    switch (InputKind) {
    case inputkind::List:
        if (InputRequired && trimmedBlanks(cmbInput->currentText()).empty()) {
            controls::ShowInformation("入力または選択してから[OK]ボタンを押して下さい。");
            cmbInput->setFocus();
            return;
        }
        InputValue = cmbInput->currentText();
        break;
    case inputkind::Amount:
        if (trimmedBlanks(txtKingaku->text()).empty())
            txtKingaku->setText(QStringLiteral("0"));
        InputValue = txtKingaku->text();
        break;
    case inputkind::TwoDates:
        try {
            Date1 = txtHizuke1->DateTime();
            Date2 = txtHizuke2->DateTime();
        } catch (const EAbort&) {
            return; // the date edit has shown why and holds the focus
        }
        break;
    default:
        if (InputRequired && trimmedBlanks(txtInput->text()).empty()) {
            controls::ShowInformation("入力してから[OK]ボタンを押して下さい。");
            txtInput->setFocus();
            return;
        }
        // The key filter sees keystrokes only; pasted or composed text is
        // checked here so it cannot bring in what typing could not.
        if (filterRefuses(txtInput->text())) {
            if (KeyFilter == inputfilter::PathName)
                controls::ShowInformation("次の文字は使用できません。\r\" * , / : ; < > ? \\ |");
            else
                controls::ShowInformation("入力できない文字が含まれています。");
            txtInput->setFocus();
            return;
        }
        InputValue = txtInput->text();
        break;
    }
    done(modal::Ok);
}

bool TInputDlgBox::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == txtInput && e->type() == QEvent::KeyPress && filterHooked_) {
        auto* ke = static_cast<QKeyEvent*>(e);
        const QString text = ke->text();
        const bool control = text.isEmpty() || text.at(0).unicode() < 0x20 || ke->key() == Qt::Key_Backspace
            || controls::isEnterKey(ke->key());
        if (!control && (ke->modifiers() & Qt::ControlModifier) == 0) {
            for (const QChar ch : text) {
                if (!FilterAccepts(KeyFilter, ch))
                    return true; // not entered
            }
        }
    }
    return TBSDI::eventFilter(watched, e);
}

void TInputDlgBox::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
}

void TInputDlgBox::CMShowingChanged(bool visible)
{
    TBSDI::CMShowingChanged(visible);
    if (!ReadyWhenShown(visible))
        return;
    switch (InputKind) {
    case inputkind::List:
        cmbInput->setFocus();
        break;
    case inputkind::Amount:
        txtKingaku->setFocus();
        break;
    case inputkind::TwoDates:
        txtHizuke1->EraBox()->setFocus();
        break;
    default:
        txtInput->setFocus();
        break;
    }
}

namespace controls {

int runInputDlg(TInputDlgRequest& request)
{
    QWidget* owner = QApplication::activeWindow();
    TInputDlgBox box(owner);
    box.InputKind = request.inputKind;
    box.InputCaption = QString::fromUtf8(request.caption);
    box.InputMessage = QString::fromUtf8(request.prompt);
    if (request.promptColour != 0)
        box.InputColor = toQColor(request.promptColour);
    box.InputValue = QString::fromUtf8(request.text);
    box.InputHint = QString::fromUtf8(request.help);
    box.InputMaxLength = request.maxLength;
    // The service's mode 0 is "off": no input method, no pasting.
    box.InputImeMode = request.imeMode == 0 ? imDisable : imDontCare;
    box.KeyFilter = request.keyFilter;
    box.InitDialog(true);
    if (request.position == inputpos::ScreenCenter || (request.position == inputpos::OwnerCenter && !owner))
        box.SetFormPosition(0, 0, 0, 0, 3);
    else if (request.position == inputpos::OwnerCenter && owner) {
        const QRect o = owner->frameGeometry();
        box.move(o.x() + (o.width() - box.width()) / 2, o.y() + (o.height() - box.height()) / 2);
    }
    const int result = box.ShowModal();
    if (result == modal::Ok)
        request.text = box.InputValue.toStdString();
    return result;
}

core::InputDlgHandler installInputDlgHandler()
{
    return core::setInputDlgHandler(&runInputDlg);
}

} // namespace controls
