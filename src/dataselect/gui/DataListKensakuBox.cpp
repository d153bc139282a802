#include "dataselect/gui/DataListKensakuBox.h"
#include "dataselect/gui/ScreenText.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "dataselect/gui/DialogUtil.h"
#include "core/uAccRecord.h"

#include <QLabel>
#include <QPlainTextEdit>

using dataselect::gui::qs;
using dataselect::gui::ShowInformation;

namespace {

const char* const kDataKinds[]
    = {"選択なし", "法人", "個人(一般)", "個人(不動産)", "医療法人", "個人(クリニック)", "個人(農業)"};

} // namespace

TDataListKensakuBox::TDataListKensakuBox(QWidget* owner)
    : TBSDI(owner)
{
    RunLog = false;
    SizeMemory = false;
    setWindowTitle(QStringLiteral("検索条件の設定"));
    setFixedSize(520, 330);
    auto label = [this](const char* text, int y) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->move(24, y + 4);
    };
    label("コード:", 16);
    txtCode = new TxEdit(this);
    txtCode->setGeometry(150, 16, 120, 24);
    txtCode->setMaxLength(8);
    txtCode->SetImeMode(imDisable);
    label("データ区分:", 48);
    cmbDataKbn = new TxComboBox(this);
    cmbDataKbn->setGeometry(150, 48, 200, 24);
    for (const char* k : kDataKinds)
        cmbDataKbn->addItem(QString::fromUtf8(k));
    cmbDataKbn->setMaxVisibleItems(10);
    label("データリスト名:", 80);
    txtListName = new TxEdit(this);
    txtListName->setGeometry(150, 80, 340, 24);
    txtListName->setMaxLength(40);
    txtListName->SetImeMode(imHira);
    label("担当者:", 112);
    cmbTanto = new TxComboBox(this);
    cmbTanto->setGeometry(150, 112, 240, 24);
    label("データバージョン:", 144);
    cmbDataVer = new TxComboBox(this);
    cmbDataVer->setGeometry(150, 144, 240, 24);
    cboxYukou = new TxCheckBox(QStringLiteral("この検索条件を毎回有効にする"), this);
    cboxYukou->move(150, 178);

    hintArea_ = new QPlainTextEdit(this);
    hintArea_->setReadOnly(true);
    hintArea_->setFocusPolicy(Qt::NoFocus);
    hintArea_->setGeometry(8, 214, 330, 108);
    HelpMemo = hintArea_;
    btnOK = dataselect::gui::PlButton(this, QStringLiteral("OK"));
    btnOK->setGeometry(350, 280, 76, 40);
    connect(btnOK, &TxPlButton::OnClick, this, [this] { btnOKClick(); });
    btnCancel = dataselect::gui::PlButton(this, QStringLiteral("キャンセル"), 2);
    btnCancel->setGeometry(434, 280, 76, 40);
    btnCancel->SetCancel(true);
    DefaultButton = btnOK;

    users_.Caption = "選択なし";
    users_.GroupCode = SysDef.GroupID;
    users_.Execute();
    for (const auto& item : users_.Items)
        cmbTanto->addItem(qs(item));
    versions_.Caption = "選択なし";
    versions_.Execute(false);
    for (const auto& name : versions_.Names)
        cmbDataVer->addItem(qs(name));
    InitOK = true;
}

TDataListKensakuBox::~TDataListKensakuBox() = default;

void TDataListKensakuBox::Prepare(bool flag)
{
    prepared_ = flag;
    controls::SetHint(cmbDataKbn,
        QStringLiteral(
            "選択した区分に該当するデータを抽出して表示します。|選択した区分に該当するデータを抽出して表示します。"));
    controls::SetHint(txtCode,
        QStringLiteral(
            "入力したコードで始まるデータを抽出して表示します。|入力したコードで始まるデータを抽出して表示します。"));
    controls::SetHint(txtListName,
        QStringLiteral(
            "入力した文字を含むデータを抽出して表示します。|入力した文字を含むデータを抽出して表示します。"));
    controls::SetHint(cmbTanto,
        QStringLiteral("選択した担当者のデータを抽出して表示します。|選択した担当者が担当者コードに設定されている"
                       "データを抽出して表示します。"));
    controls::SetHint(cmbDataVer,
        QStringLiteral("選択したバージョンのデータを抽出して表示します。|選択した製品のバージョンで作成・更新された"
                       "データを抽出して表示します。"));
    controls::SetHint(cboxYukou,
        QStringLiteral("この検索条件を毎回有効にします。|チェックを付けると、データリストを表示する度にこの検索条件で"
                       "データを抽出して表示します。"));
    controls::SetHint(
        btnOK, QStringLiteral("検索を実行して画面を閉じます。|設定した検索条件でデータを抽出して表示します。"));
    controls::SetHint(btnCancel, QStringLiteral("画面を閉じます。|検索を行わずに画面を閉じます。"));
    cmbDataKbn->setCurrentIndex(DataKbnIndexOf(Rec.DataType, Rec.CodeType));
    txtCode->setText(qs(Rec.DataCode));
    txtListName->setText(qs(Rec.ListName));
    const int tanto = users_.IndexOfOpCode(Rec.Tanto);
    cmbTanto->setCurrentIndex(tanto > 0 ? tanto : 0);
    const int version = versions_.IndexOfName(Rec.SeihinName);
    cmbDataVer->setCurrentIndex(version > 0 ? version : 0);
    cboxYukou->setChecked(Rec.JyokenUse != 0);
}

void TDataListKensakuBox::btnOKClick()
{
    Rec.DataType = 0;
    Rec.CodeType = 0;
    DataKbnOfIndex(cmbDataKbn->currentIndex(), Rec.DataType, Rec.CodeType);
    Rec.DataCode = txtCode->text().toStdString();
    Rec.ListName = txtListName->text().toStdString();
    Rec.Tanto = users_.GetOpCode(cmbTanto->currentIndex());
    const int version = cmbDataVer->currentIndex();
    Rec.DataVer = version > 0 ? versions_.GetVersion(version) : std::string();
    Rec.DataVer2.clear();
    Rec.VerMode = 0;
    Rec.SeihinName = version > 0 ? versions_.GetSeihinName(version) : std::string();
    Rec.JyokenUse = cboxYukou->isChecked() ? 1 : 0;
    done(1);
}

void TDataListKensakuBox::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
}

void TDataListKensakuBox::CMShowingChanged(bool visible)
{
    TBSDI::CMShowingChanged(visible);
    if (!ReadyWhenShown(visible))
        return;
    txtCode->setFocus();
}
