#include "dataselect/gui/DataSyosaiInfoBox.h"
#include "dataselect/gui/ScreenText.h"
#include "core/DbOperation.h"

#include "controls/TolvanEdit.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "dataselect/gui/DialogUtil.h"
#include "core/AccReg.h"
#include "core/AppInfo.h"
#include "core/BackupRestoreThread.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/DateTexts.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/TextRoutines.h"
#include "platform/paths.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>

#include <filesystem>

using namespace core;
namespace fs = std::filesystem;
namespace paths = platform::paths;

using dataselect::gui::qs;
using dataselect::gui::ShowInformation;

namespace {

constexpr const char* kNone = "設定なし";

std::string withExtension(const std::string& file, const char* ext)
{
    return fs::path(file).replace_extension(ext).string();
}

} // namespace

TDataSyosaiInfoBox::TDataSyosaiInfoBox(QWidget* owner)
    : TBSDI(owner)
{
    RunLog = false;
    SizeMemory = false;
    setWindowTitle(QStringLiteral("データの詳細情報"));
    setFixedSize(932, 457);
    auto* g1 = new QGroupBox(QStringLiteral("管理情報"), this);
    g1->setGeometry(8, 8, 440, 300);
    auto* g2 = new QGroupBox(QStringLiteral("基本情報"), this);
    g2->setGeometry(456, 8, 468, 300);
    auto label = [](QWidget* parent, const char* text, int x, int y) {
        auto* l = new QLabel(QString::fromUtf8(text), parent);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    label(g1, "データフォルダ:", 12, 28);
    txtDataPath = new QPlainTextEdit(g1);
    txtDataPath->setReadOnly(true);
    txtDataPath->setGeometry(120, 24, 300, 56);
    label(g1, "データの状態:", 12, 96);
    lblStatus = label(g1, "", 120, 96);
    lblStatus->setMinimumWidth(96); // up to the recovery box
    cboxStatusClear = new TxCheckBox(QStringLiteral("データの状態を回復する"), g1);
    cboxStatusClear->move(220, 92);
    cboxStatusClear->setStyleSheet(QStringLiteral("color: red"));
    lblDataUpdateLock_ = label(g1, "データの更新:", 12, 130);
    cboxDataUpdateLock = new TxCheckBox(QStringLiteral("禁止する"), g1);
    cboxDataUpdateLock->move(120, 126);
    lblDataReadOnly_ = label(g1, "仕訳の入力:", 12, 164);
    cboxDataReadOnly = new TxCheckBox(QStringLiteral("禁止する"), g1);
    cboxDataReadOnly->move(120, 160);
    Image1 = new QLabel(g1);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    Image1->setGeometry(12, 250, 24, 24);
    lblDataSeigenMessage = label(g1, "現在、オペレータ毎のデータ選択は制限されていません。", 42, 254);
    lblDataSeigenMessage->setStyleSheet(QStringLiteral("color: blue; font-weight: bold"));

    struct Line {
        const char* caption;
        QLabel** target; // null: the list-name field
    };
    const Line lines[] = {{"コード:", &lblCode}, {"データ区分:", &lblDataKbn}, {"会社名:", &lblName},
        {"フリガナ:", &lblKana}, {"データリスト名:", nullptr}, {"会計年度:", &lblNendo}, {"会計期間:", &lblKikan},
        {"担当者コード:", &lblTanto}, {"部門管理:", &lblBumonKanri}, {"本支店管理:", &lblSitenKanri},
        {"仕訳件数:", &lblSiwakeKensu}};
    constexpr int kTop = 24;
    constexpr int kStep = 25;
    int y = kTop;
    for (const auto& line : lines) {
        label(g2, line.caption, 12, y);
        if (line.target != nullptr) {
            *line.target = label(g2, "", 130, y);
            (*line.target)->setMinimumWidth(320);
        } else {
            txtListName = new TTolvanEdit(g2);
            txtListName->setGeometry(130, y - 3, 320, 22);
            txtListName->setMaxLength(40);
            txtListName->SetImeMode(imHira);
        }
        y += kStep;
    }

    hintArea_ = new QPlainTextEdit(this);
    hintArea_->setReadOnly(true);
    hintArea_->setFocusPolicy(Qt::NoFocus);
    hintArea_->setGeometry(8, 316, 600, 80);
    HelpMemo = hintArea_;
    btnOK = dataselect::gui::PlButton(this, QStringLiteral("OK"));
    btnOK->setGeometry(760, 356, 76, 40);
    connect(btnOK, &TxPlButton::OnClick, this, [this] { btnOKClick(); });
    btnCancel = dataselect::gui::PlButton(this, QStringLiteral("キャンセル"), 2);
    btnCancel->setGeometry(844, 356, 76, 40);
    btnCancel->SetCancel(true);
    DefaultButton = btnOK;
    for (int k = 0; k < 8; ++k) {
        auto* b = new TxPlButton(this);
        b->setGeometry(8 + k * 100, 406, 96, 40);
        b->setFocusPolicy(Qt::NoFocus);
        FKeys[static_cast<std::size_t>(k)] = b;
        connect(b, &TxPlButton::OnClick, this, [this, k] { F1Click(k + 1); });
    }
    RunWorker = [](TBackupRestoreThread& worker) {
        worker.Resume();
        while (!worker.IsTerminated())
            WaitMilliSec(300);
    };
    InitOK = true;
}

TDataSyosaiInfoBox::~TDataSyosaiInfoBox() = default;

void TDataSyosaiInfoBox::Prepare(bool)
{
    FillDetails();
}

void TDataSyosaiInfoBox::FillDetails()
{
    reader_.Mode = ConnectMode;
    TDataInfomation::ClearDataInfoRec(info_);
    info_.STATUS = 0;
    const bool hasDatabase = DM != nullptr && DM->FExist(paths::join(DataFolder, DataFile), ConnectMode);
    if (hasDatabase)
        reader_.ReadDataIni(DataFolder, info_);
    const std::string shougou = Row != nullptr ? Row->SHOUGOU : std::string();
    if (info_.STATUS == 0 || info_.STATUS == 3 || shougou.empty())
        Editable = false;
    StatusClear = false;
    Rebuilt = false;
    rebuildAllowed_ = false;
    if (!shougou.empty() && Row != nullptr) {
        if (Source == 0)
            rebuildAllowed_
                = (Row->KYOYULOCK == 0 && Row->NETDRIVE == 0) || (Row->KYOYULOCK == 1 && Row->NETDRIVE == 1);
        else
            rebuildAllowed_ = info_.SHARE_STATUS == 1;
    }
    lblStatus->setText(qs(TDataSentakuListCtl::GetDataStatusName(info_.STATUS)));
    std::string shown = DataFolder;
    const std::string root = SysDef.DataRoot;
    if (!root.empty())
        for (auto pos = shown.find(root); pos != std::string::npos; pos = shown.find(root, pos + 1))
            shown.replace(pos, root.size(), "[" + AppInfo.Varov.AppTitle + "のデータ]");
    txtDataPath->setPlainText(qs(shown));

    const bool normal = info_.STATUS == 1 || (ConnectMode != 0 && info_.STATUS == 2);
    statusClearAllowed_ = !normal
        && (IsAllDataKengen()
            || LoginCodeOf(info_.OPCODE, SysDef.GroupID) == LoginCodeOf(SysDef.OpCode, SysDef.GroupID));
    if (statusClearAllowed_)
        Editable = false;
    cboxStatusClear->setChecked(false);
    cboxStatusClear->setVisible(statusClearAllowed_);
    cboxDataUpdateLock->setChecked(UpdateLock == 1);
    cboxDataReadOnly->setChecked(ReadOnly == 1);
    const bool unrestricted = SysDef.AllDataRight == 1;
    lblDataSeigenMessage->setVisible(unrestricted);
    Image1->setVisible(unrestricted);

    auto orNone = [](const std::string& s) { return qs(s.empty() ? std::string(kNone) : s); };
    lblCode->setText(orNone(info_.CODE));
    std::string kind = kNone;
    const int kbn = info_.DATAKBN * 10 + info_.CODEKBN;
    const std::pair<int, int> kinds[] = {{11, 0}, {21, 1}, {22, 2}, {31, 3}, {23, 4}, {24, 5}};
    for (const auto& [pair, index] : kinds)
        if (kbn == pair)
            kind = DataKindNames[static_cast<std::size_t>(index)];
    lblDataKbn->setText(qs(kind));
    lblName->setText(orNone(info_.SHOUGOU));
    lblKana->setText(orNone(info_.KANA));
    txtListName->setText(qs(ListName.empty() ? info_.SHOUGOU : ListName));
    lblNendo->setText(info_.NENDO > 0 ? QStringLiteral("%1期").arg(info_.NENDO) : qs(kNone));
    const TDateTime from = SafeStrToDate(info_.KISHU);
    const TDateTime to = SafeStrToDate(info_.KIMATU);
    lblKikan->setText(from != 0 && to != 0 ? qs(KikanToStr(from, to)) : qs(kNone));
    lblTanto->setText(info_.TANTO != 0 ? QString::number(info_.TANTO) : qs(kNone));
    if (info_.BUMON == 1)
        lblBumonKanri->setText(QStringLiteral("損益のみに%1部門設定").arg(info_.BUMONCNT));
    else if (info_.BUMON == 2)
        lblBumonKanri->setText(QStringLiteral("全科目に%1部門設定").arg(info_.BUMONCNT));
    else
        lblBumonKanri->setText(qs(kNone));
    lblSitenKanri->setText(info_.SITEN == 1 ? QStringLiteral("%1支店設定").arg(info_.SITENCNT) : qs(kNone));
    lblSiwakeKensu->setText(QStringLiteral("%1件").arg(info_.SIWAKE));
    if (info_.STATUS == 3) {
        // A locked data set's ini does not describe it reliably.
        lblKana->setText(QStringLiteral("-"));
        lblBumonKanri->setText(QStringLiteral("-"));
        lblSitenKanri->setText(QStringLiteral("-"));
        lblSiwakeKensu->setText(QStringLiteral("-件"));
    }

    cboxDataUpdateLock->setEnabled(true);
    lblDataUpdateLock_->setEnabled(true);
    const std::string version = std::to_string(info_.VERSION1_MAJOR) + "." + std::to_string(info_.VERSION1_MINOR) + "."
        + std::to_string(info_.VERSION1_REVISION);
    const bool journalLock = VersionGreaterEqual(version, "12.0.0");
    cboxDataReadOnly->setEnabled(journalLock);
    lblDataReadOnly_->setEnabled(journalLock);
    txtListName->setReadOnly(false);
    txtListName->setFrame(true);
    txtListName->setFocusPolicy(Qt::StrongFocus);
    txtListName->setStyleSheet(QString());
    if (!Editable) {
        for (QWidget* w : std::initializer_list<QWidget*> {
                 cboxDataUpdateLock, lblDataUpdateLock_, cboxDataReadOnly, lblDataReadOnly_})
            w->setEnabled(false);
        txtListName->setReadOnly(true);
        txtListName->setFrame(false);
        txtListName->setFocusPolicy(Qt::NoFocus);
        txtListName->setStyleSheet(QStringLiteral("background: transparent"));
    }
    if (AppKind == 2 || AppKind == 3) {
        cboxDataReadOnly->setEnabled(false);
        lblDataReadOnly_->setEnabled(false);
    }
    btnOK->setVisible((Editable || statusClearAllowed_) && info_.STATUS != 0 && info_.STATUS != 10);
    if (info_.STATUS == 10)
        cboxStatusClear->setVisible(false);
    setHints();
    setFunctionKeys();
}

void TDataSyosaiInfoBox::setHints()
{
    controls::SetHint(cboxStatusClear,
        QStringLiteral("データの状態を回復します。|チェックを付けて[OK]ボタンを押すと、データの状態を正常に戻します。"
                       "他のユーザーがデータを使用していないことを確認してから行って下さい。"));
    controls::SetHint(cboxDataUpdateLock,
        QStringLiteral(
            "データの更新を禁止します。|チェックを付けると、このデータの内容を変更する処理が行えなくなります。"));
    controls::SetHint(cboxDataReadOnly,
        QStringLiteral(
            "仕訳の入力を禁止します。|チェックを付けると、このデータへの仕訳の入力・修正・削除が行えなくなります。"));
    controls::SetHint(txtListName,
        Editable
            ? QStringLiteral("データリスト名を入力します。|データ選択画面のデータリストに表示する名称を入力します。")
            : QStringLiteral("データリスト名です。|データ選択画面のデータリストに表示される名称です。"));
    controls::SetHint(btnOK, QStringLiteral("内容を登録して画面を閉じます。|内容を登録して画面を閉じます。"));
    controls::SetHint(btnCancel, QStringLiteral("画面を閉じます。|画面を閉じます。"));
    const std::string where = "[" + AppInfo.Varov.AppTitle + "のデータ]";
    controls::SetHint(
        txtDataPath, qs(DataFolder + "|データの場所です。\n\n" + where + "は、\"" + SysDef.DataRoot + "\"です。"));
}

void TDataSyosaiInfoBox::setFunctionKeys()
{
    for (int k = 0; k < 8; ++k)
        FKeys[static_cast<std::size_t>(k)]->CaptionA().SetCaption(QStringLiteral("F%1:").arg(k + 1));
    if (rebuildAllowed_)
        FKeys[6]->CaptionA().SetCaption(QStringLiteral("F7:再構築"));
}

void TDataSyosaiInfoBox::F1Click(int key)
{
    if (key != 7 || FKeys[6]->CaptionA().Caption() == QStringLiteral("F7:"))
        return;
    if (ConnectMode != 0 && DM != nullptr && DM->AccDatInConnection(1, SysDef.HostName, DataFolder, 0)) {
        ShowInformation("現在、他のユーザーがデータに接続中です。他のユーザーがデータに接続している間はデータの再構築は"
                        "行えません。");
        return;
    }
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Confirmation, m);
    m.buttons = msgbtn::OK | msgbtn::Cancel;
    m.lines[0].text = "データの再構築を行いますか？";
    m.lines[1].text = "注意１）データサイズによりデータ再構築に時間がかかる場合があります。再構築中にコンピュータの電源"
                      "は切らないで下さい。";
    if (info_.STATUS == 10)
        m.lines[2].text = "注意２）破損データの場合はデータ再構築が適正に行われない場合があります。";
    if (ShowMessage2(m) != modal::Ok)
        return;
    if (RebuildData()) {
        ShowInformation("データの再構築は適正に行われました。");
        FillDetails();
        Rebuilt = true;
    }
}

void TDataSyosaiInfoBox::setDataLock(bool lock)
{
    if (ConnectMode == 0 || Row == nullptr || Row->DATALOCK >= 1 || DM == nullptr)
        return;
    core::RunDbOperation(DM->IBTransactionDEF,
        core::DbPolicy("TDataSyosaiInfoBox.setDataLock").with(core::DbFailure::Commit).with(core::DbReport::Raise),
        [&] {
            platform::firebird::Query q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
            q.sql().add("UPDATE DATALIST SET DATALOCK=:DATALOCK");
            q.sql().add("WHERE REC=:REC");
            q.paramByName("DATALOCK").setInteger(lock ? LoginCodeOf(SysDef.OpCode, SysDef.GroupID) : 0);
            q.paramByName("REC").setInteger(Row->REC);
            q.execSQL();
        });
}

bool TDataSyosaiInfoBox::RebuildData()
{
    dataselect::gui::TProgressScope progress(
        this, QStringLiteral("再構築中"), QStringLiteral("再構築中、しばらくお待ちください…"), false);

    const std::string temp = SysDef.TempDir.empty() ? SysDef.WorkDir : SysDef.TempDir;
    const std::string source = paths::join(DataFolder, DataFile);
    const bool fromServerList = Source == 1 && rebuildAllowed_;
    const std::string work = fromServerList ? paths::join(temp, DataFile) : withExtension(source, ".fd_");
    const std::string backup = withExtension(
        paths::join(ConnectMode == 0 ? temp : DataFolder, fs::path(DataBackupFile).filename().string()), ".fb_");
    std::error_code ec;
    for (const std::string& old : {paths::join(temp, DataBackupFile), paths::join(temp, DataFile),
             paths::join(temp, fs::path(DataFile).replace_extension(".ini").string())})
        fs::remove(old, ec);

    bool result = false;
    bool workMade = false;
    // The copy taken before goes back over a database the rebuild may have
    // left half restored; when that fails too the copy is kept, not deleted.
    bool keepWork = false;
    auto restoreSource = [&] {
        if (!DM->FCopy(work, source, ConnectMode))
            keepWork = true;
    };
    try {
        setDataLock(true);
        if (!DM->FCopy(source, work, ConnectMode)) {
            ShowInformation("データ再構築の前処理（会計データのコピー）に失敗しました。");
        } else {
            workMade = true;
            TBackupRestoreThread worker(true);
            worker.Mode = 3;
            worker.HostName = SysDef.HostName;
            worker.DataPath = fromServerList ? work : source;
            worker.BackupFile = backup;
            worker.ActivateIndexes = 1;
            RunWorker(worker);
            result = worker.Success && !worker.Failed;
            if (result && fromServerList)
                result = DM->FCopy(work, source, ConnectMode);
            if (result) {
                reader_.WriteStatus(DataFolder, 1);
            } else if (!fromServerList) {
                restoreSource();
            }
        }
    } catch (const std::exception&) {
        ShowInformation("データ再構築の処理に失敗しました。");
        if (workMade && !fromServerList)
            restoreSource();
        result = false;
    }
    if (keepWork)
        core::ErrorMessageEx("データ再構築の処理に失敗しました。",
            "TDataSyosaiInfoBox.RebuildData\r再構築前のデータを戻せませんでした。次のファイルに残しています。\r"
                + work);
    else
        DM->FDel(work, ConnectMode);
    DM->FDel(backup, ConnectMode);
    try {
        setDataLock(false);
    } catch (const std::exception&) {
    }
    return result;
}

void TDataSyosaiInfoBox::btnOKClick()
{
    if (TrimZenkaku(txtListName->text().toStdString()).empty()) {
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Confirmation, m);
        m.buttons = msgbtn::OK | msgbtn::Cancel;
        m.lines[0].text = "データリスト名が入力されていません。会社名を設定しますか？";
        if (ShowMessage2(m) == modal::Ok)
            txtListName->setText(qs(info_.SHOUGOU));
        return;
    }
    ListName = txtListName->text().toStdString();
    StatusClear = statusClearAllowed_ && cboxStatusClear->isChecked();
    UpdateLock = cboxDataUpdateLock->isChecked() ? 1 : 0;
    ReadOnly = cboxDataReadOnly->isChecked() ? 1 : 0;
    done(1);
}

void TDataSyosaiInfoBox::FormKeyUp(int& key, Qt::KeyboardModifiers shift)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F7) {
        F1Click(key - Qt::Key_F1 + 1);
    } else if (key == Qt::Key_F8) {
        key = 0;
        return;
    }
    TBSDI::FormKeyUp(key, shift);
}

void TDataSyosaiInfoBox::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
}

void TDataSyosaiInfoBox::CMShowingChanged(bool visible)
{
    TBSDI::CMShowingChanged(visible);
    if (ReadyWhenShown(visible))
        (Editable ? static_cast<QWidget*>(txtListName) : btnCancel)->setFocus();
}
