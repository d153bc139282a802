#include "dataselect/gui/WhichDataSetBox.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "dataselect/gui/DialogUtil.h"
#include "core/IBErrorProc.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

TWhichDataSetBox::TWhichDataSetBox(QWidget* owner)
    : TBSDI(owner)
{
    RunLog = false;
    SizeMemory = false;
    setWindowTitle(QStringLiteral("データの持ち出し／持ち帰り"));
    setFixedSize(492, 246);

    auto* label = new QLabel(QStringLiteral("データの処理方法:"), this);
    label->move(24, 40);
    auto* group = new QGroupBox(this);
    group->setGeometry(160, 16, 313, 97);
    btnMochidashi = new TxRadioButton(QStringLiteral("データを持ち出します"), group);
    btnMochidashi->move(24, 24);
    btnMochikaeri = new TxRadioButton(QStringLiteral("データを持ち帰りました"), group);
    btnMochikaeri->move(24, 59);

    hintArea_ = new QPlainTextEdit(this);
    hintArea_->setReadOnly(true);
    hintArea_->setFocusPolicy(Qt::NoFocus);
    hintArea_->setGeometry(8, 130, 300, 108);
    HelpMemo = hintArea_;

    btnOK = dataselect::gui::PlButton(this, QStringLiteral("OK"));
    btnOK->setGeometry(320, 190, 76, 40);
    connect(btnOK, &TxPlButton::OnClick, this, [this] { btnOKClick(); });
    btnCancel = dataselect::gui::PlButton(this, QStringLiteral("キャンセル"), 2);
    btnCancel->setGeometry(404, 190, 76, 40);
    btnCancel->SetCancel(true);
    DefaultButton = btnOK;

    Mode = 0;
    Mochikaeri = false;
    Mochidashi = 0;
    btnMochidashi->setChecked(true);
    InitOK = true;
}

void TWhichDataSetBox::ShowChoice(std::uint8_t mode)
{
    Mode = mode;
    controls::SetHint(btnMochidashi,
        QStringLiteral("データの処理方法を選択します。|"
                       "データを持ち出すため、「データ選択（サーバ）」画面で選択した場所にあるデータをコンピュータ内の"
                       "データエリアへコピーします。"));
    controls::SetHint(btnMochikaeri,
        QStringLiteral("データの処理方法を選択します。|"
                       "データを持ち帰ったため、「データ選択（サーバ）」画面で選択した場所へコンピュータ内のデータエリ"
                       "アよりコピーします。"));
    controls::SetHint(btnOK, QStringLiteral("内容を登録して画面を閉じます。|内容を登録して画面を閉じます。"));
    controls::SetHint(btnCancel, QStringLiteral("画面を閉じます。|画面を閉じます。"));
    btnMochidashi->setEnabled(true);
    btnMochikaeri->setEnabled(true);
    if (Mochidashi == 1)
        btnMochidashi->setEnabled(false);
    if (Mochidashi != 0 || Mochikaeri)
        btnMochikaeri->setChecked(true);
    else
        btnMochidashi->setChecked(true);
}

void TWhichDataSetBox::btnOKClick()
{
    Mochikaeri = false;
    if (!(btnMochidashi->isEnabled() && btnMochidashi->isChecked()))
        Mochikaeri = btnMochikaeri->isEnabled() && btnMochikaeri->isChecked();
    done(1);
}

void TWhichDataSetBox::FormKeyUp(int& key, Qt::KeyboardModifiers shift)
{
    if ((key >= Qt::Key_F1 && key <= Qt::Key_F8) || key == Qt::Key_F12) {
        key = 0;
        return;
    }
    TBSDI::FormKeyUp(key, shift);
}

void TWhichDataSetBox::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
}

void TWhichDataSetBox::CMShowingChanged(bool visible)
{
    TBSDI::CMShowingChanged(visible);
    if (!visible)
        return;
    if (!InitOK) {
        core::ErrorMessageEx(windowTitle().toStdString() + "画面の初期化に失敗しました。\r処理を終了します。", "");
        close();
        return;
    }
    (btnMochikaeri->isChecked() ? btnMochikaeri : btnMochidashi)->setFocus();
}
