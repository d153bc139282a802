#include "dataselect/gui/UpPasswordBox.h"

#include "dataselect/gui/DialogUtil.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/TextRoutines.h"

#include <QKeyEvent>
#include <QLabel>

namespace {

TxEdit* passwordField(QWidget* parent, const QString& hint)
{
    auto* e = new TxEdit(parent);
    e->setMaxLength(10);
    e->SetImeMode(imDisable);
    e->SetKillPaste(false); // pasting is allowed; the filter below keeps it clean
    e->setToolTip(hint);
    QObject::connect(e, &QLineEdit::textChanged, e, [e](const QString& text) {
        const QString clean = TUpPasswordBox::FilterPasswordText(text);
        if (clean != text) {
            const int pos = e->cursorPosition() - static_cast<int>(text.size() - clean.size());
            e->setText(clean);
            e->setCursorPosition(std::max(0, pos));
        }
    });
    return e;
}

} // namespace

QString TUpPasswordBox::FilterPasswordText(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
            out.append(c);
    }
    return out;
}

TUpPasswordBox::TUpPasswordBox(QWidget* parent)
    : QDialog(parent)
{
    setFixedSize(403, 262);
    auto* top = new QWidget(this);
    top->setGeometry(0, 0, 403, 60);
    top->setAutoFillBackground(true);
    top->setStyleSheet("background: white;");
    Label1 = new QLabel(top);
    Label1->setGeometry(64, 20, 320, 20);

    lblNow_ = new QLabel("現在のパスワード:", this);
    lblNew1_ = new QLabel("新しいパスワード:", this);
    lblNew2_ = new QLabel("新しいパスワード(確認):", this);
    txtPasswordNow = passwordField(this, "現在のパスワードを入力します。");
    txtPasswordNew1 = passwordField(this, "新しいパスワードを入力します。");
    txtPasswordNew2 = passwordField(this, "もう一度、新しいパスワードを入力します。");
    btnOk = dataselect::gui::PlButton(this, "OK");
    btnCancel = dataselect::gui::PlButton(this, "キャンセル", 2);
    btnOk->setGeometry(210, 222, 85, 28);
    btnCancel->setGeometry(303, 222, 85, 28);
    connect(btnOk, &TxPlButton::OnClick, this, &TUpPasswordBox::btnOkClick);
    setTabOrder(txtPasswordNow, txtPasswordNew1);
    setTabOrder(txtPasswordNew1, txtPasswordNew2);
    Prepare({});
}

void TUpPasswordBox::Prepare(const std::string& current)
{
    current_ = current;
    changeMode_ = !current.empty();
    newPassword_.clear();
    for (TxEdit* e : {txtPasswordNow, txtPasswordNew1, txtPasswordNew2})
        e->clear();
    struct Row {
        QLabel* label;
        TxEdit* edit;
    };
    const Row rows[] = {{lblNow_, txtPasswordNow}, {lblNew1_, txtPasswordNew1}, {lblNew2_, txtPasswordNew2}};
    int y = 84;
    for (const Row& r : rows) {
        const bool visible = r.edit != txtPasswordNow || changeMode_;
        r.label->setVisible(visible);
        r.edit->setVisible(visible);
        if (!visible)
            continue;
        r.label->setGeometry(40, y + 3, 160, 20);
        r.edit->setGeometry(200, y, 160, 24);
        y += 40;
    }
    if (changeMode_) {
        setWindowTitle("パスワードの変更");
        Label1->setText("パスワードを変更します。");
    } else {
        setWindowTitle("パスワードの設定");
        Label1->setText("パスワードを設定します。");
    }
}

void TUpPasswordBox::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    (changeMode_ ? txtPasswordNow : txtPasswordNew1)->setFocus();
}

void TUpPasswordBox::keyPressEvent(QKeyEvent* e)
{
    if (!dataselect::gui::HoldBackEscPress(e))
        QDialog::keyPressEvent(e);
}

void TUpPasswordBox::keyReleaseEvent(QKeyEvent* e)
{
    if (!dataselect::gui::HandleKeyUp(this, e, 2, btnOk, [this] { btnOkClick(); }))
        QDialog::keyReleaseEvent(e);
}

void TUpPasswordBox::refuse(const char* text, TxEdit* focus)
{
    core::ShowStandardMessage(text, msgkind::Warning);
    focus->setFocus();
}

void TUpPasswordBox::btnOkClick()
{
    setResult(0);
    const std::string now = txtPasswordNow->text().toStdString();
    const std::string new1 = txtPasswordNew1->text().toStdString();
    const std::string new2 = txtPasswordNew2->text().toStdString();
    if (changeMode_) {
        if (TrimZenkaku(now).empty())
            return refuse("現在のパスワードが入力されていません。", txtPasswordNow);
        if (now != current_)
            return refuse("現在のパスワードが入力されたパスワードと一致しません。", txtPasswordNow);
    }
    if (TrimZenkaku(new1).empty() || TrimZenkaku(new2).empty())
        return refuse("新しいパスワードが入力されていません。両方のボックスに入力して下さい。", txtPasswordNew1);
    if (new1 != new2)
        return refuse("入力されたパスワードは一致しません。", txtPasswordNew1);
    newPassword_ = new1;
    done(1);
}
