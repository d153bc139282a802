#include "dataselect/gui/ServerSentakuBox.h"

#include "dataselect/gui/DataListKensakuBox.h"
#include "dataselect/gui/DataSyosaiInfoBox.h"
#include "dataselect/gui/DialogUtil.h"
#include "dataselect/gui/ScreenText.h"

#include "controls/xPlButton.h"
#include "controls/z5HtmlHelp.h"
#include "controls/z5InputDlg.h"
#include "core/AppInfo.h"
#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/uAccRecord.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <filesystem>
#include <optional>

using dataselect::gui::qs;
using dataselect::gui::ShowInformation;
using dataselect::gui::ShowYesBox;

namespace {

std::string shareDir()
{
    return AppInfo.Varov.ShareDir.empty() ? std::string("rozivoraduz") : AppInfo.Varov.ShareDir;
}

QColor fromTColor(unsigned c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

const QColor kAlternate = fromTColor(0xFFF0E1);
const QColor kDamaged = fromTColor(0x0000FF);

struct ColumnDef {
    const char* title;
    int width;
    Qt::Alignment align;
};

const ColumnDef kColumns[TServerSentakuBox::kColCount] = {
    {"No", 40, Qt::AlignRight},
    {"コード", 70, Qt::AlignLeft},
    {"ｸﾗｳﾄﾞ", 40, Qt::AlignHCenter},
    {"データ名", 280, Qt::AlignLeft},
    {"会計年度", 80, Qt::AlignHCenter},
    {"会計期間", 180, Qt::AlignHCenter},
    {"データフォルダ", 200, Qt::AlignLeft},
    {"バージョン", 90, Qt::AlignHCenter},
    {"共有", 32, Qt::AlignHCenter},
    {"共有値", 0, Qt::AlignRight},
    {"バージョン", 0, Qt::AlignLeft},
    {"データ更新", 0, Qt::AlignLeft},
    {"", 0, Qt::AlignLeft},
    {"", 0, Qt::AlignLeft},
    {"", 0, Qt::AlignLeft},
    {"データステータス", 0, Qt::AlignLeft},
    {"ｸﾗｳﾄﾞ", 0, Qt::AlignLeft},
    {"参照専用", 0, Qt::AlignLeft},
};

const char* const kDefaultCaptions[TServerSentakuBox::kKeyCount]
    = {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "F3:", "F4:領域追加", "F5:ﾃﾞｰﾀ削除", "F6:", "F7:", "F8:印刷", "F12:選択"};
const char* const kKeyNames[TServerSentakuBox::kKeyCount]
    = {"ESC:", "F1:", "F2:", "F3:", "F4:", "F5:", "F6:", "F7:", "F8:", "F12:"};

const QString kGridHint
    = QStringLiteral("共有サーバー上のデータ領域の一覧です。|［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。\n"
                     "［F2］でｺﾋﾟｰ、［F4］で領域追加、［F5］でﾃﾞｰﾀ削除、［F8］で一覧を印刷します。");
const QString kNoDriveHint
    = QStringLiteral("共有ドライブが見つかりません。|"
                     "［共有割当］又はOSの機能から共有サーバーのフォルダをネットワークドライブに割り当てて下さい。");
const QString kEmptyHint = QStringLiteral(
    "共有サーバー上にデータ領域がありません。|［F4］で領域を追加するか、［更新］でデータリストを再作成して下さい。");
const QString kPasteHint
    = QStringLiteral("貼り付け先を選択して［F2］を押します。|ｺﾋﾟｰ処理を中断する場合は［ESC］を押します。");

} // namespace

TServerSentakuBox::TServerSentakuBox(QWidget* owner)
    : TBSDI(owner)
{
    RunLog = false;
    SizeMemory = false;
    ReloadAccInfo = false;
    setWindowTitle(QStringLiteral("共有データの選択"));
    setFixedSize(1000, 580);
    ctl_ = std::make_unique<TServerSentakuCtl>();
    if (core::DM != nullptr && core::DM->IBDatabaseDEF.connected()) {
        kensaku_ = std::make_unique<TDataKensakuIO>();
        kensaku_->ListType = 1;
    }

    auto* lblDrive = new QLabel(QStringLiteral("共有ドライブ:"), this);
    lblDrive->setGeometry(16, 16, 90, 24);
    cmbDrive_ = new QComboBox(this);
    cmbDrive_->setGeometry(106, 16, 260, 24);
    cmbDrive_->view()->setMinimumWidth(300);
    controls::SetHint(cmbDrive_,
        qs("共有サーバーのドライブを選択します。|共有サーバーの\"" + shareDir()
            + "\"フォルダがあるネットワークドライブが表示されます。"));
    connect(cmbDrive_, &QComboBox::currentIndexChanged, this, [this](int i) { cmbDriveChange(i); });
    auto button = [this](const char* caption, int x, int w) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setGeometry(x, 14, w, 28);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    btnMount_ = button("共有割当", 372, 80);
    btnSearch_ = button("検索", 520, 64);
    btnSearchCancel_ = button("検索解除", 588, 80);
    btnDataInfo_ = button("情報", 672, 64);
    btnListUpdate_ = button("更新", 740, 64);
    btnSearchCancel_->setEnabled(false);
    controls::SetHint(btnMount_, QStringLiteral("共有サーバーのフォルダをネットワークドライブに割り当てます。"));
    controls::SetHint(btnSearch_, QStringLiteral("検索条件を設定してデータを絞り込みます。"));
    controls::SetHint(btnSearchCancel_, QStringLiteral("検索を解除して全てのデータを表示します。"));
    controls::SetHint(btnDataInfo_, QStringLiteral("選択中のデータの詳細情報を表示します。"));
    controls::SetHint(btnListUpdate_, QStringLiteral("共有サーバーのフォルダからデータリストを再作成します。"));
    connect(btnMount_, &QPushButton::clicked, this, [this] {
        btnMountClick();
        afterKey();
    });
    connect(btnSearch_, &QPushButton::clicked, this, [this] {
        btnSearchClick(false);
        afterKey();
    });
    connect(btnSearchCancel_, &QPushButton::clicked, this, [this] {
        btnSearchClick(true);
        afterKey();
    });
    connect(btnDataInfo_, &QPushButton::clicked, this, [this] {
        btnDataInfoClick();
        afterKey();
    });
    connect(btnListUpdate_, &QPushButton::clicked, this, [this] {
        btnListUpdateClick();
        afterKey();
    });
    cboxDataListUpdate_ = new QCheckBox(QStringLiteral("データリストを自動更新する"), this);
    cboxDataListUpdate_->setGeometry(812, 16, 180, 24);
    cboxDataListUpdate_->setFocusPolicy(Qt::NoFocus);
    connect(cboxDataListUpdate_, &QCheckBox::toggled, this, [this](bool on) { AutoListUpdate = on; });

    grid_ = new QTableWidget(0, kColCount, this);
    grid_->setGeometry(16, 52, 968, 380);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->setAlternatingRowColors(false);
    SetGridColors(grid_, 0);
    for (int c = 0; c < kColCount; ++c) {
        auto* item = new QTableWidgetItem(QString::fromUtf8(kColumns[c].title));
        item->setTextAlignment(Qt::AlignCenter);
        grid_->setHorizontalHeaderItem(c, item);
        grid_->setColumnWidth(c, kColumns[c].width);
        grid_->setColumnHidden(c, kColumns[c].width == 0);
    }
    grid_->setColumnWidth(cName, 280 - 40 - 32);
    grid_->installEventFilter(this);
    controls::SetHint(grid_, kGridHint);
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { SortByColumn(c); });
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { RunKey(kF12); });
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int, int, int, int) { SetFunctionKeys(); });

    txtIncSerch_ = new QLineEdit(this);
    txtIncSerch_->setReadOnly(true);
    txtIncSerch_->setMaxLength(8);
    txtIncSerch_->setFocusPolicy(Qt::NoFocus);
    txtIncSerch_->setStyleSheet(QStringLiteral("background: palette(highlight); color: palette(highlighted-text);"));
    txtIncSerch_->setFixedSize(90, 20);
    txtIncSerch_->hide();
    incTimer_ = new QTimer(this);
    incTimer_->setSingleShot(true);
    incTimer_->setInterval(0);
    connect(incTimer_, &QTimer::timeout, this, [this] { IncSerchTimerTimer(); });

    hintArea_ = new QPlainTextEdit(this);
    hintArea_->setReadOnly(true);
    hintArea_->setFocusPolicy(Qt::NoFocus);
    hintArea_->setGeometry(16, 440, 968, 72);
    HelpMemo = hintArea_;

    for (int k = 0; k < kKeyCount; ++k) {
        auto* b = dataselect::gui::PlButton(this, QString::fromUtf8(kDefaultCaptions[k]));
        b->setGeometry(16 + k * 97, 524, 92, 44);
        b->setFocusPolicy(Qt::NoFocus);
        keys_[static_cast<std::size_t>(k)] = b;
        connect(b, &TxPlButton::OnClick, this, [this, k] { RunKey(k); });
    }
    SetFunctionKeys();
    InitOK = true;
}

TServerSentakuBox::~TServerSentakuBox() = default;

QString TServerSentakuBox::KeyCaption(int k) const
{
    return keys_[static_cast<std::size_t>(k)]->CaptionA().Caption();
}

bool TServerSentakuBox::blank(int k) const
{
    return KeyCaption(k) == QString::fromUtf8(kKeyNames[k]);
}

void TServerSentakuBox::RunKey(int k)
{
    // The area operations write files and the list; a failure is reported
    // here rather than left to end the screen.
    try {
        switch (k) {
        case kESC:
            ESCClick();
            return;
        case kF1:
            ShowHtmlHelp("kyoyudata.html");
            break;
        case kF2:
            F2Click();
            break;
        case kF4:
            F4Click();
            break;
        case kF5:
            F5Click();
            break;
        case kF8:
            F8Click();
            break;
        case kF12:
            F12Click();
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        core::ErrorMessageEx(e.what(), "TServerSentakuBox");
        FillGrid();
    }
    afterKey();
}

void TServerSentakuBox::afterKey()
{
    grid_->setFocus();
    SetFunctionKeys();
}

void TServerSentakuBox::Prepare(bool)
{
    LoadScreen();
    // Nothing of the screen is edited: no changed flag to clear.
}

void TServerSentakuBox::LoadScreen()
{
    ChosenFolder.clear();
    ChosenName.clear();
    ctl_->CopyPending = false;
    ctl_->CopySource.clear();
    ctl_->ServerFolder.clear();
    TDataKensakuRec stored;
    if (kensaku_ && kensaku_->SelectRecord(stored))
        stored_ = stored;
    ctl_->Filter = stored_;
    ctl_->FilterActive = stored_.JyokenUse == 1;
    btnSearchCancel_->setEnabled(ctl_->FilterActive);
    if (ctl_->SortCol < 0) {
        ctl_->SortCol = stored_.SortCol == 0 ? 6 : stored_.SortCol;
        ctl_->Descending = stored_.SortCol != 0 && stored_.SortType == 1;
    }
    scanDrives();
    {
        const QSignalBlocker block(cboxDataListUpdate_);
        cboxDataListUpdate_->setChecked(AutoListUpdate);
    }
    grid_->setRowCount(0);
    if (!ctl_->ServerFolder.empty()) {
        reload(false);
        if (AutoListUpdate || grid_->rowCount() == 0)
            reload(true);
    }
    SetFunctionKeys();
}

void TServerSentakuBox::scanDrives()
{
    drives_ = TServerSentakuCtl::ScanDrives(shareDir());
    const QSignalBlocker block(cmbDrive_);
    cmbDrive_->clear();
    for (const auto& d : drives_)
        cmbDrive_->addItem(qs(d.Caption));
    const int index = ctl_->SelectDrive(drives_, SharedDrive.empty() ? '\0' : SharedDrive[0]);
    if (index < 0) {
        cmbDrive_->addItem(qs("[" + shareDir() + "]が見つかりません"));
        SharedDrive.clear();
    } else {
        cmbDrive_->setCurrentIndex(index);
        SharedDrive = std::string(1, ctl_->Letter);
    }
}

void TServerSentakuBox::reload(bool rescan)
{
    if (rescan)
        ctl_->RefreshList();
    else
        ctl_->LoadList(false);
    FillGrid();
}

void TServerSentakuBox::cmbDriveChange(int index)
{
    if (index < 0 || index >= static_cast<int>(drives_.size())
        || drives_[static_cast<std::size_t>(index)].Letter == ctl_->Letter)
        return;
    ctl_->SelectDrive(drives_, drives_[static_cast<std::size_t>(index)].Letter);
    SharedDrive = std::string(1, ctl_->Letter);
    reload(false);
    if (AutoListUpdate || grid_->rowCount() == 0)
        reload(true);
    SetFunctionKeys();
}

void TServerSentakuBox::btnMountClick()
{
    // Network drives are mounted by the system on this platform; there is no
    // connection dialog to call.
    ShowInformation("ネットワークドライブの割り当てAPIの呼び出しに失敗しました。\rOSの機能からネットワークドライブの割"
                    "り当てを行って下さい。");
    raise();
}

void TServerSentakuBox::drawLine(int line)
{
    const auto& l = ctl_->Lines[static_cast<std::size_t>(line)];
    const TDataListRec& rec = *ctl_->LineRecord(line);
    const bool freeArea = rec.ENTTEXT.empty() || rec.ENTTEXT == kFreeAreaName || rec.ENTTEXT == kNewAreaName;
    const int share = ctl_->GetShareStatus(rec.PASNAME);
    int number = 0;
    for (int i = 0; i <= line; ++i)
        number += ctl_->Lines[static_cast<std::size_t>(i)].Child < 0 ? 1 : 0;
    const QString texts[kColCount] = {
        l.Child < 0 ? QString::number(number) : QString(),
        qs(rec.DATACODE),
        rec.CLOUD == 1 ? QStringLiteral("☁") : QString(),
        qs(rec.DispName),
        freeArea ? QString() : QStringLiteral("%1 期").arg(rec.NENDO),
        freeArea ? QStringLiteral("　　年　月　日 ～ 　　年　月　日") : qs(rec.KikanText),
        qs(rec.PASNAME),
        qs(rec.VER_TEXT),
        share == 2 ? QStringLiteral("取") : QStringLiteral("共"), // taken out / on the server
        QString::number(share == 2 ? 1 : 0),
        QString(),
        QString::number(rec.UPDATE_LOCK),
        QString::number(rec.GASSAN),
        QString::number(l.Top),
        QString::number(l.Child < 0 ? 0 : l.Child),
        QString::number(rec.DATA_STATUS),
        QString::number(rec.CLOUD),
        QString::number(rec.READ_ONLY),
    };
    const QColor back = rec.DATA_STATUS == 1 ? kDamaged : line % 2 == 1 ? kAlternate : QColor(Qt::white);
    for (int c = 0; c < kColCount; ++c) {
        auto* item = new QTableWidgetItem(texts[c]);
        item->setTextAlignment(Qt::AlignVCenter | kColumns[c].align);
        item->setBackground(back);
        item->setForeground(QColor(Qt::black));
        grid_->setItem(line, c, item);
    }
}

void TServerSentakuBox::FillGrid()
{
    const QSignalBlocker block(grid_);
    for (int c : {cNo, cCode, cName, cNendo, cKikan, cFolder, cVersion, cShare}) {
        QString title = QString::fromUtf8(kColumns[c].title);
        if (c == ctl_->SortCol)
            title += ctl_->Descending ? QStringLiteral("▼") : QStringLiteral("▲");
        grid_->horizontalHeaderItem(c)->setText(title);
    }
    grid_->setRowCount(static_cast<int>(ctl_->Lines.size()));
    for (int r = 0; r < grid_->rowCount(); ++r)
        drawLine(r);
    if (grid_->rowCount() > 0)
        grid_->setCurrentCell(0, cName);
    SetFunctionKeys();
}

int TServerSentakuBox::currentLine() const
{
    const int r = grid_->currentRow();
    return r >= 0 && r < static_cast<int>(ctl_->Lines.size()) ? r : -1;
}

void TServerSentakuBox::setCurrentLine(int line)
{
    if (line >= 0 && line < grid_->rowCount())
        grid_->setCurrentCell(line, cName);
}

void TServerSentakuBox::SetFunctionKeys()
{
    std::array<std::string, kKeyCount> captions;
    for (int k = 0; k < kKeyCount; ++k)
        captions[static_cast<std::size_t>(k)] = kDefaultCaptions[k];
    auto clear = [&](int k) { captions[static_cast<std::size_t>(k)] = kKeyNames[k]; };
    keyState_ = 0;
    bool f12Enabled = true;
    QString hint = kGridHint;
    if (ctl_->ServerFolder.empty())
        hint = kNoDriveHint;
    else if (ctl_->Lines.empty())
        hint = kEmptyHint;
    const int line = currentLine();
    if (line >= 0) {
        keyState_ = ctl_->CopyPending ? 2 : 1;
        if (ctl_->CopyPending) {
            captions[kF2] = "F2:貼り付け";
            hint = kPasteHint;
        }
        const TDataListRec& rec = *ctl_->LineRecord(line);
        const bool child = ctl_->Lines[static_cast<std::size_t>(line)].Child >= 0;
        const bool freeArea = rec.ENTTEXT.empty() || rec.ENTTEXT == kFreeAreaName || rec.ENTTEXT == kNewAreaName;
        const bool taken = ctl_->GetShareStatus(rec.PASNAME) == 2;
        if (rec.CLOUD == 1) {
            clear(kF3);
            clear(kF4);
            clear(kF7);
        }
        if (child) {
            clear(kF2);
            clear(kF5);
            clear(kF12);
            f12Enabled = false;
        }
        if (freeArea && !ctl_->CopyPending)
            clear(kF2);
        if (taken) {
            clear(kF5);
            if (ctl_->CopyPending)
                clear(kF2);
        }
        if (rec.DATA_STATUS == 1) {
            clear(kF12);
            if (keyState_ == 1)
                clear(kF2);
        }
    }
    if (!grid_->isEnabled()) {
        keyState_ = 0;
        clear(kF8);
        clear(kF12);
    }
    if (keyState_ == 0)
        for (int k = kF2; k <= kF7; ++k)
            clear(k);
    if (!ctl_->ServerFolder.empty())
        captions[kF4] = kDefaultCaptions[kF4];
    for (int k = 0; k < kKeyCount; ++k)
        keys_[static_cast<std::size_t>(k)]->CaptionA().SetCaption(qs(captions[static_cast<std::size_t>(k)]));
    keys_[kF12]->setEnabled(f12Enabled);
    controls::SetHint(grid_, hint);
    hintArea_->setPlainText(hint.section(QLatin1Char('|'), -1));
}

void TServerSentakuBox::SortByColumn(int column)
{
    if (column != cCode && (column < cName || column > cVersion))
        return;
    if (column == ctl_->SortCol)
        ctl_->Descending = !ctl_->Descending;
    else
        ctl_->Descending = false;
    ctl_->SortCol = column;
    reload(false);
}

void TServerSentakuBox::btnSearchClick(bool cancel)
{
    if (cancel) {
        ctl_->FilterActive = false;
        reload(false);
        btnSearchCancel_->setEnabled(false);
        return;
    }
    TDataListKensakuBox dialog(this);
    dialog.ListType = 1;
    dialog.Rec = stored_;
    dialog.Prepare(true);
    if (dialog.ShowModal() != 1)
        return;
    stored_ = dialog.Rec;
    if (kensaku_)
        kensaku_->UpdateRecord(stored_);
    ctl_->Filter = stored_;
    ctl_->FilterActive = true;
    reload(false);
    btnSearchCancel_->setEnabled(true);
}

void TServerSentakuBox::btnDataInfoClick()
{
    const int line = currentLine();
    if (line < 0)
        return;
    TDataListRec& rec = *ctl_->LineRecord(line);
    TDataSyosaiInfoBox dialog(this);
    dialog.Source = 1;
    dialog.Row = &rec;
    dialog.DataFolder = rec.PASNAME;
    dialog.ListName = rec.ENTTEXT;
    dialog.UpdateLock = rec.UPDATE_LOCK;
    dialog.ReadOnly = rec.READ_ONLY;
    dialog.Editable = false;
    dialog.Prepare(true);
    const int result = dialog.ShowModal();
    if (result == 1 && dialog.StatusClear) {
        rec.DATALOCK = 0;
        ctl_->WriteStatus(rec.PASNAME, 1);
        ctl_->List.UpdateServerDataListRecord(rec, 1, true);
        drawLine(line);
    }
    if (dialog.Rebuilt) {
        ctl_->WriteStatus(rec.PASNAME, 1);
        rec.DATA_STATUS = 0;
        ctl_->List.UpdateServerDataListRecord(rec, 1, true);
        reload(true);
    }
}

void TServerSentakuBox::btnListUpdateClick()
{
    if (ctl_->ServerFolder.empty())
        return;
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Confirmation, m);
    m.buttons = msgbtn::Yes | msgbtn::No;
    m.lines[0].text = "データリストの更新を行います。";
    int next = 1;
    if (ctl_->FilterActive)
        m.lines[static_cast<std::size_t>(next++)].text = "検索実行中のため検索は解除されます。";
    m.lines[static_cast<std::size_t>(next)].text = "よろしいですか？";
    if (ShowMessage2(m) != modal::Yes)
        return;
    {
        // No Cancel: the update empties the cached list before it reads the
        // areas again, so stopping half-way would leave areas out of it.
        dataselect::gui::TProgressScope progress(
            this, QStringLiteral("更新中"), QStringLiteral("データリストの更新中…"), false);
        if (ctl_->FilterActive) {
            ctl_->FilterActive = false;
            btnSearchCancel_->setEnabled(false);
        }
        reload(true);
    }
    // The keys were worked out while the progress window held the screen.
    SetFunctionKeys();
}

void TServerSentakuBox::ESCClick()
{
    if (ctl_->CopyPending) {
        ctl_->CancelCopy();
        SetFunctionKeys();
        return;
    }
    done(2);
}

void TServerSentakuBox::F2Click()
{
    if (blank(kF2))
        return;
    const int line = currentLine();
    if (keyState_ == 1) {
        // Receiving a cloud row's data can take a while: the screen takes no
        // input meanwhile.
        const TDataListRec* rec = ctl_->LineRecord(line);
        const bool cloud = rec != nullptr && rec->CLOUD == 1 && ctl_->CloudEnabled();
        if (cloud)
            setEnabled(false);
        ctl_->BeginCopy(line);
        if (cloud)
            setEnabled(true);
    } else if (keyState_ == 2) {
        bool pasted;
        {
            std::optional<dataselect::gui::TProgressScope> progress;
            ctl_->OnPasteStart = [this, &progress] {
                progress.emplace(this, QStringLiteral("コピー中"), QStringLiteral("データのコピー中…"), false);
            };
            pasted = ctl_->Paste(line);
            ctl_->OnPasteStart = nullptr;
        }
        if (pasted) {
            const std::string folder = ctl_->LineRecord(line)->PASNAME;
            FillGrid();
            for (int r = 0; r < grid_->rowCount(); ++r)
                if (ctl_->LineRecord(r)->PASNAME == folder)
                    setCurrentLine(r);
        } else {
            FillGrid();
            setCurrentLine(line);
        }
    }
    SetFunctionKeys();
}

void TServerSentakuBox::F4Click()
{
    if (blank(kF4))
        return;
    if (ctl_->Rows.size() >= static_cast<std::size_t>(kMaxServerAreas)) {
        ctl_->AddArea({}); // reports the limit
        return;
    }
    std::string next;
    ctl_->List.GetNextServerFolderName(ctl_->ServerFolder, 1, next);
    std::string name = next;
    bool ok;
    if (AskAreaName) {
        ok = AskAreaName(name);
    } else {
        TInputDlgBox dialog(this);
        dialog.InputKind = 0;
        dialog.InputCaption = QStringLiteral("データの領域追加");
        dialog.InputMessage = QStringLiteral("新しく作成するフォルダ名を入力して下さい。");
        dialog.InputColor = palette().windowText().color();
        dialog.InputValue = qs(next);
        dialog.InputHint = QStringLiteral("共有サーバー上に新しいデータ領域のフォルダを作成します。|"
                                          "フォルダ名は小文字で作成されます。");
        dialog.KeyFilter = 40;
        dialog.InitDialog(true);
        ok = dialog.ShowModal() == 1;
        name = dialog.InputValue.toStdString();
    }
    if (!ok)
        return;
    const std::string path = ctl_->AddArea(name);
    if (path.empty())
        return;
    FillGrid();
    for (int r = 0; r < grid_->rowCount(); ++r)
        if (QString::fromStdString(ctl_->LineRecord(r)->PASNAME).toLower() == QString::fromStdString(path).toLower())
            setCurrentLine(r);
    grid_->setFocus();
}

void TServerSentakuBox::F5Click()
{
    if (blank(kF5))
        return;
    const int line = currentLine();
    ctl_->DeleteArea(line, true);
    FillGrid();
    setCurrentLine(std::min(line, grid_->rowCount() - 1));
}

void TServerSentakuBox::F8Click()
{
    if (blank(kF8))
        return;
    if (grid_->rowCount() == 0) {
        ShowYesBox(msgkind::Information, "共有データリストが表示されていません。");
        return;
    }
    if (!DataListPrinter()) {
        core::ErrorMessageEx(
            "このプログラムには共有データリストの印刷が組み込まれていません。", "TServerSentakuBox.F8Click");
        return;
    }
    TDataSentakuRecDispArray disp;
    for (const auto& l : ctl_->Lines)
        if (l.Child < 0)
            disp.push_back(l.Top);
    DataListPrinter()(this, 1, ctl_->Rows, disp);
}

void TServerSentakuBox::F12Click()
{
    setResult(0);
    if (blank(kF12))
        return;
    const int line = currentLine();
    if (line < 0 || ctl_->Lines[static_cast<std::size_t>(line)].Child >= 0)
        return;
    TDataSentakuRec& top = ctl_->Rows.at(static_cast<std::size_t>(ctl_->Lines[static_cast<std::size_t>(line)].Top));
    ChosenFolder = top.Data.PASNAME;
    ChosenName = top.Data.ENTTEXT;
    if (ctl_->GetShareStatus(ChosenFolder) == 2 && (ChosenName == kFreeAreaName || ChosenName == kNewAreaName)) {
        ShowInformation("この領域は、現在データが作成されている可能性があるため選択できません。");
        return;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(ChosenFolder, ec)) {
        ShowInformation("共有サーバーが起動していない、接続が切断されている または "
                        "共有サーバー上のデータ領域が削除された可能性があります。\r"
                        "共有サーバーが起動している場合は [更新]ボタンを押しデータリストの再作成を行って下さい。");
        return;
    }
    if (top.Data.GASSAN == 1 || top.Data.GASSAN == 2) {
        for (const auto& child : top.Children) {
            if (ctl_->CheckDataStatus(child.PASNAME, false, false) != 10)
                continue;
            TMessage2InfoRec m;
            InitMessage2Info(msgkind::Warning, m);
            m.caption = "選択データの状態";
            m.lines[0] = {"共有サーバー上のデータが破損しているため、共有データの取得を中止します。", 0x0000FF, {}};
            m.lines[1]
                = {"データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。", 0x0000FF, {}};
            m.lines[2].text = "【データフォルダ】";
            m.lines[3].text = "　" + child.PASNAME;
            m.lines[5].text = "【オペレータ】";
            m.lines[7].text = "【オペレータ名】";
            ShowMessage2(m);
            return;
        }
    }
    done(1);
}

bool TServerSentakuBox::IncSearchKey(int key, const QString& text)
{
    if (grid_->rowCount() == 0 || text.size() != 1)
        return false;
    const QChar ch = text.at(0);
    if (ch.unicode() < 0x21 || ch.unicode() > 0x7E || key == Qt::Key_Return || key == Qt::Key_Enter)
        return false;
    incText_ += ch;
    if (incText_.size() <= 8) {
        txtIncSerch_->setText(incText_);
        txtIncSerch_->move(grid_->x() + 4 + grid_->width() / 10, grid_->y() - 12);
        txtIncSerch_->show();
        txtIncSerch_->raise();
        if (incTimer_->interval() < 2000)
            incTimer_->setInterval(std::min(incTimer_->interval() + 500, 1000));
        incTimer_->start();
    }
    return true;
}

void TServerSentakuBox::IncSerchTimerTimer()
{
    incTimer_->stop();
    const QString wanted = incText_.toLower();
    const int rows = grid_->rowCount();
    const int from = std::max(grid_->currentRow(), -1);
    auto matches = [&](int r) {
        const auto* item = grid_->item(r, cCode);
        return ctl_->Lines[static_cast<std::size_t>(r)].Child < 0 && item != nullptr
            && item->text().toLower().startsWith(wanted);
    };
    int found = -1;
    for (int r = from + 1; r < rows && found < 0; ++r)
        if (matches(r))
            found = r;
    for (int r = 0; r <= from && found < 0; ++r)
        if (matches(r))
            found = r;
    if (found >= 0)
        setCurrentLine(found);
    incText_.clear();
    txtIncSerch_->clear();
    txtIncSerch_->hide();
}

bool TServerSentakuBox::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == grid_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && currentLine() >= 0) {
            RunKey(kF12);
            return true;
        }
        if (k->modifiers() == Qt::NoModifier || k->modifiers() == Qt::KeypadModifier
            || k->modifiers() == Qt::ShiftModifier)
            if (IncSearchKey(k->key(), k->text()))
                return true;
    }
    return TBSDI::eventFilter(watched, e);
}

void TServerSentakuBox::FormKeyUp(int& key, Qt::KeyboardModifiers shift)
{
    static const int kQtKeys[kKeyCount] = {Qt::Key_Escape, Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5,
        Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F12};
    if (shift == Qt::NoModifier) {
        for (int k = 0; k < kKeyCount; ++k) {
            if (key == kQtKeys[k]) {
                key = 0;
                RunKey(k);
                return;
            }
        }
    }
    TBSDI::FormKeyUp(key, shift);
}

void TServerSentakuBox::FormClose(TCloseAction& action)
{
    ctl_->CancelCopy();
    if (kensaku_) {
        stored_.SortCol = ctl_->SortCol;
        stored_.SortType = ctl_->Descending ? 1 : 0;
        kensaku_->UpdateRecordSortField(stored_);
    }
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
}

void TServerSentakuBox::CMShowingChanged(bool visible)
{
    TBSDI::CMShowingChanged(visible);
    if (visible) {
        grid_->setFocus();
        SetFunctionKeys();
    }
}
