#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/gui/ScreenText.h"

#include "dataselect/gui/DataListKensakuBox.h"
#include "dataselect/gui/DataPlaceBox.h"
#include "dataselect/gui/DataSyosaiInfoBox.h"
#include "dataselect/gui/ServerSentakuBox.h"
#include "core/DataInfomation.h"
#include "dataselect/z5DataCopyPaste.h"
#include "dataselect/z5DataSaveRestore.h"
#include "dataselect/z5DataRowOps.h"
#include "dataselect/z5DataShareOps.h"
#include "dataselect/z5DataTakeOut.h"
#include "controls/CloudShareService.h"
#include "core/DataModuleAccInfo.h"
#include "dataselect/gui/WhichDataSetBox.h"
#include "controls/z5FileOperationDlg.h"
#include "platform/xdg_folders.h"

#include "controls/xAnimeProgressDialog.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "controls/z5HtmlHelp.h"
#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <string_view>

using namespace core;

using dataselect::gui::qs;
using dataselect::gui::ShowInformation;

namespace {

constexpr int kColumns = 20;
const char* const kHeaders[kColumns]
    = {"No", "コード", "ｸﾗｳﾄﾞ", "データ名  ", "会計年度", "会計期間", "データフォルダ", "バージョン", "", "", "鍵",
        "共有", "バージョン", "データ更新", "合算区分", "", "", "データステータス", "ｸﾗｳﾄﾞ", "参照専用ﾞ"};
const int kWidths[kColumns] = {40, 70, 0, 280, 80, 180, 200, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

QColor fromTColor(int c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

const QColor kAlternate = fromTColor(14807295); // 0xE1F0FF
const QColor kAlternateServer = fromTColor(16773345);
const QColor kDamaged = fromTColor(255);
const QColor kBlockedText = fromTColor(8421504);
// The current row's text: the program's list colour stand-alone, dark
// blue in the server kinds.
const QColor kCurrentText = fromTColor(2386943); // 0x246BFF
const QColor kCurrentTextServer = fromTColor(8404992); // 0x804000

// The list marks its current row by the colour of its text, as the rows
// are drawn (alternating, red, grey), not by a selection fill.
class TRowColourDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_Selected;
    }
};

// The character a key adds to the incremental search, 0 for a key that
// does not search: digits (main block and pad), Latin letters as capitals,
// and the signs of the pad and of the punctuation keys.
char incSearchChar(const QKeyEvent& k)
{
    if (k.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0;
    const int key = k.key();
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return static_cast<char>(key);
    if (key == Qt::Key_yen)
        return '\\';
    static constexpr std::string_view signs = "*+,-./:;@[\\]^_`";
    if (key > 0 && key < 0x80 && signs.find(static_cast<char>(key)) != std::string_view::npos)
        return static_cast<char>(key);
    return 0;
}

// The data-place list tells the screen when it drops down and closes up:
// while it is open the list below belongs to the old place.
class TPlaceCombo : public TxComboBox {
public:
    using TxComboBox::TxComboBox;
    std::function<void()> OnDropDown;
    std::function<void()> OnCloseUp;

    void showPopup() override
    {
        if (OnDropDown)
            OnDropDown();
        TxComboBox::showPopup();
    }
    void hidePopup() override
    {
        TxComboBox::hidePopup();
        if (OnCloseUp)
            OnCloseUp();
    }
};

} // namespace

TDataSentakuBox::TDataSentakuBox(QWidget* owner)
    : TBSDI(owner)
    , copyPaste_(std::make_unique<TDataCopyPaste>(model_))
    , saveRestore_(std::make_unique<TDataSaveRestore>(model_, *copyPaste_))
    , rowOps_(std::make_unique<TDataRowOps>(model_))
    , shareOps_(std::make_unique<TDataShareOps>(model_))
    , takeOut_(std::make_unique<TDataTakeOut>(model_, *saveRestore_))
{
    takeOut_->AskDirection = [this](bool takenOut, bool& bringBack) {
        TWhichDataSetBox box(this);
        box.Mochidashi = takenOut ? 1 : 0;
        box.Mochikaeri = false;
        box.ShowChoice(0);
        if (box.ShowModal() != modal::Ok)
            return false;
        bringBack = box.Mochikaeri;
        return true;
    };
    saveRestore_->ChooseFolder
        = [this](bool restore, bool& fromDataFolder) { return chooseBackupFolder(restore, fromDataFolder); };
    model_.SaveToFolder
        = [this](std::int32_t row, const std::string& folder) { return saveRestore_->SaveData(row, folder); };
    model_.RestoreFromFolder
        = [this](std::int32_t row, const std::string& folder) { return saveRestore_->RestoreData(row, folder); };
    shareOps_->ChooseSharedData = [this](std::string& folder, std::string& name, std::string& letter) {
        TServerSentakuBox list(this);
        list.SharedDrive = letter;
        list.Prepare(true);
        // The list opens over this screen: hiding a screen that runs
        // modally would end its own modal run.
        const bool chosen = list.ShowModal() == 1;
        raise();
        if (!chosen)
            return false;
        folder = list.ChosenFolder;
        name = list.ChosenName;
        letter = list.SharedDrive;
        return true;
    };
    model_.NewData = [this](const std::string& folder) {
        const std::int32_t row = model_.FindRowOfFolder(folder);
        return row >= 0 && rowOps_->NewData(row, static_cast<std::int64_t>(winId())) == 1;
    };
    HostMenuNotify = false;
    SkipProcCheck = false;
    SizeMemory = false;
    ActivateFlag = false;
    // No company is open while a data set is being chosen.
    RunLog = false;
    ReloadAccInfo = false;
    model_.ConnectKind = ConnectMode;
    model_.DataPlace = SysDef.ServerDataPlace;
    model_.CloudShareEnabled = IsCloudShareEnabled(0);
    shareOps_->CloudShareSettings = ExecuteCloudShareSettings;
    shareOps_->EnablePanels = [this](bool enabled) {
        grid_->setEnabled(enabled);
        pnlDataMan_->setEnabled(enabled);
    };
    if (DM != nullptr && DM->IBDatabaseDEF.connected()) {
        kensaku_ = std::make_unique<TDataKensakuIO>();
        kensaku_->ListType = 0;
    }
    buildControls();
    InitOK = true;
}

TDataSentakuBox::~TDataSentakuBox()
{
    // A screen freed without closing still gives the operator's automatic
    // share back.
    restoreKyoyuAuto();
}

void TDataSentakuBox::restoreKyoyuAuto()
{
    if (!kyoyuAutoSuspended_)
        return;
    kyoyuAutoSuspended_ = false;
    SysDef.Reserve4Bit1 = savedKyoyuAuto_;
    // An operation of the screen may have stored the suspended switch:
    // the operator's own setting goes back into the database.
    if (DM != nullptr && DM->IBDatabaseDEF.connected())
        fnPutKyoyuAutoFlag();
}

void TDataSentakuBox::buildControls()
{
    setWindowTitle(ConnectMode == 1 ? QStringLiteral("データ選択（サーバー）") : QStringLiteral("データ選択"));
    setFixedSize(992, 564);

    pnlDataMan_ = new QWidget(this);
    pnlDataMan_->setGeometry(8, 11, 460, 26);
    auto* label = new QLabel(QStringLiteral("データの場所:"), pnlDataMan_);
    label->setGeometry(0, 4, 90, 20);
    auto* places = new TPlaceCombo(pnlDataMan_);
    places->setGeometry(92, 0, 250, 24);
    places->setMaxVisibleItems(10);
    places->SetDropDownWidth(200);
    places->SetKeyStyles(ksEnter); // the arrow keys choose the place
    places->OnDropDown = [this] { cmbDataManChange(); };
    // The list closes before the picked item becomes current: the place is
    // taken once that has happened.
    places->OnCloseUp = [this] { QTimer::singleShot(0, this, [this] { cmbDataManExit(); }); };
    cmbDataMan_ = places;
    cmbDataMan_->installEventFilter(this);
    // A place chosen by keys without the list open counts as a change too;
    // it is taken when the list loses the focus.
    connect(cmbDataMan_, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        if (!cmbDataMan_->view()->isVisible())
            cmbDataManChange();
    });
    auto* btnDataMan = new QPushButton(QStringLiteral("設定"), pnlDataMan_);
    btnDataMan->setGeometry(348, 0, 60, 24);
    btnDataMan_ = btnDataMan;
    pnlDataMan_->setVisible(ConnectMode != 0);
    connect(btnDataMan, &QPushButton::clicked, this, [this] {
        TDataPlaceBox dialog(this);
        model_.DataPlace = std::max(0, places_.GetPlaceRec(cmbDataMan_->currentIndex()));
        SysDef.ServerDataPlace = model_.DataPlace;
        dialog.ShowPlaces(0);
        if (dialog.ShowModal() != 1)
            return;
        // A place removed in the dialog falls back to place 0.
        loadPlaces();
        showPlaceList();
    });

    cboxKyoyuDataAuto_ = new QCheckBox(QStringLiteral("共有データの取得と保管を自動化する"), this);
    cboxKyoyuDataAuto_->setGeometry(16, 36, 380, 24);
    cboxKyoyuDataAuto_->setVisible(ConnectMode == 0);
    connect(cboxKyoyuDataAuto_, &QCheckBox::toggled, this, [this](bool on) {
        SysDef.Reserve4Bit1 = on ? 1 : 0;
        UpdateFunctionKeys();
    });

    auto button = [this](const char* caption, int x) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setGeometry(x, 8, 70, 48);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    btnCloudShare_ = button("ｸﾗｳﾄﾞ", 480);
    btnKyoyuDataUp_ = button("共有保管", 552);
    btnKyoyuDataDown_ = button("共有取得", 624);
    btnSearchCancel_ = button("検索解除", 695);
    btnSearch_ = button("検索", 767);
    btnDataInfo_ = button("情報", 839);
    btnListUpdate_ = button("更新", 911);
    btnKyoyuDataUp_->setEnabled(false);
    btnKyoyuDataDown_->setEnabled(false);
    btnSearchCancel_->setEnabled(false);
    // Pressed while the list is narrowed by a search (see markSearch).
    btnSearch_->setCheckable(true);
    btnCloudShare_->setVisible(model_.CloudShareEnabled && ConnectMode == 0);
    btnKyoyuDataUp_->setVisible(ConnectMode == 0);
    btnKyoyuDataDown_->setVisible(ConnectMode == 0);
    connect(btnSearchCancel_, &QPushButton::clicked, this, [this] { btnSearchCancelClick(); });
    connect(btnListUpdate_, &QPushButton::clicked, this, [this] { btnListUpdateClick(); });
    connect(btnSearch_, &QPushButton::clicked, this, [this] { btnSearchClick(); });
    connect(btnDataInfo_, &QPushButton::clicked, this, [this] { btnDataInfoClick(); });
    connect(btnKyoyuDataDown_, &QPushButton::clicked, this, [this] {
        const int row = currentRow();
        if (row < 0)
            return;
        shareOps_->btnKyoyuDataDownClick(row);
        afterRowOperation(shareOps_->CurrentAfter >= 0 ? shareOps_->CurrentAfter : row);
    });
    connect(btnKyoyuDataUp_, &QPushButton::clicked, this, [this] {
        const int row = currentRow();
        if (row < 0)
            return;
        shareOps_->btnKyoyuDataUpClick(row);
        afterRowOperation(shareOps_->CurrentAfter >= 0 ? shareOps_->CurrentAfter : row);
    });
    connect(btnCloudShare_, &QPushButton::clicked, this, [this] {
        const int row = currentRow();
        if (row < 0)
            return;
        shareOps_->btnCloudShareClick(row);
        afterRowOperation(shareOps_->CurrentAfter >= 0 ? shareOps_->CurrentAfter : row);
        grid_->setFocus();
    });

    grid_ = new QTableWidget(0, kColumns, this);
    grid_->setGeometry(16, 64, 961, 368);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    for (int c = 0; c < kColumns; ++c) {
        grid_->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(kHeaders[c])));
        grid_->setColumnWidth(c, kWidths[c]);
        grid_->setColumnHidden(c, kWidths[c] == 0);
    }
    // The share mark (stand-alone) or the lock mark (server kinds).
    const int markColumn = ConnectMode == 0 ? 9 : 8;
    grid_->setColumnHidden(markColumn, false);
    grid_->setColumnWidth(markColumn, 32);
    grid_->horizontalHeaderItem(markColumn)->setText(ConnectMode == 0 ? QStringLiteral("共有") : QStringLiteral("鍵"));
    grid_->setColumnWidth(3, 280 - 32);
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == 8)
            LockColumnClick(row);
    });

    txtIncSerch_ = new QLineEdit(this);
    txtIncSerch_->setReadOnly(true);
    txtIncSerch_->setMaxLength(8);
    txtIncSerch_->setFocusPolicy(Qt::NoFocus);
    txtIncSerch_->setStyleSheet(QStringLiteral("QLineEdit { color: white; font-weight: bold; background: palette(highlight); }"));
    txtIncSerch_->resize(90, 21);
    txtIncSerch_->hide();
    incSerchTimer_ = new QTimer(this);
    incSerchTimer_->setInterval(0);
    connect(incSerchTimer_, &QTimer::timeout, this, [this] { IncSerchTimerTimer(); });
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { SortByColumn(c); });
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { F12Click(); });
    grid_->setItemDelegate(new TRowColourDelegate(grid_));
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (row != previous) {
            paintRowText(previous);
            paintRowText(row);
        }
        UpdateFunctionKeys();
    });

    hintArea_ = new QPlainTextEdit(this);
    hintArea_->setReadOnly(true);
    hintArea_->setGeometry(16, 440, 961, 56);
    hintArea_->setFocusPolicy(Qt::NoFocus);
    HelpMemo = hintArea_;

    for (int k = 0; k < fkey::Count; ++k) {
        auto* b = new TxPlButton(this);
        b->setGeometry(16 + k * 96, 504, 92, 44);
        b->setFocusPolicy(Qt::NoFocus);
        keyButtons_[static_cast<std::size_t>(k)] = b;
        connect(b, &TxPlButton::OnClick, this, [this, k] {
            if (keys_.IsBlank(k))
                return;
            if (k == fkey::F12)
                F12Click();
            else if (k == fkey::ESC)
                ESCClick();
            else if (k == fkey::F1)
                ShowHtmlHelp("file01.html");
            else if (k == fkey::F2)
                F2Click();
            else if (k == fkey::F3)
                F3Click();
            else if (k == fkey::F4)
                F4Click();
            else if (k == fkey::F5)
                F5Click();
            else if (k == fkey::F6)
                F6Click();
            else if (k == fkey::F7)
                F7Click();
            else if (k == fkey::F8)
                F8Click();
            else
                operationNotBuilt(k);
        });
    }
    UpdateFunctionKeys();
}

void TDataSentakuBox::SetParams(const std::vector<std::string>& params)
{
    std::string text;
    for (const auto& p : params)
        text += p + "\r";
    TDataKensakuRec initial;
    if (kensaku_)
        kensaku_->InitCondition(initial);
    ParseDataSentakuParams(text, initial, params_);
    model_.SyoriType = params_.SyoriType;
    model_.OnlySAMode = params_.OnlySAMode;
    model_.OnlySABackupPath = params_.OnlySABackupPath;
    KeepOnClose = params_.ManualFree;
    // Child, frame and normal windows are all this dialog; any other style
    // keeps the screen above the others.
    const bool onTop = params_.FormStyle < 0 || params_.FormStyle > 2;
    if (onTop != windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

std::int32_t TDataSentakuBox::Execute(std::uint8_t modal)
{
    // The start's busy cursor ends here: the screen is the user's now, and
    // what it starts itself (the take-out's local list) is a new start.
    SetDefaultProcCursor();
    if (modal != 1) {
        PrepareShow();
        show();
        return 1;
    }
    if (!SkipProcCheck && OnHostMenu && OnHostMenu(10, {}) > 0) {
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Warning, m);
        m.lines[0].text = "メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。";
        ShowMessage2(m);
        return -1;
    }
    if (!InitOK) {
        ErrorMessageEx(windowTitle().toStdString() + "画面の初期化に失敗しました。\r処理を終了します。", "");
        return -1;
    }
    SetFormPosition(0, 0, 0, 0, 3);
    PrepareShow();
    return ShowModal();
}

void TDataSentakuBox::loadPlaces()
{
    if (ConnectMode == 0)
        return;
    const QSignalBlocker block(cmbDataMan_);
    cmbDataMan_->clear();
    for (const auto& name : platform::text::splitLines(places_.GetPlaceNames()))
        cmbDataMan_->addItem(qs(name));
    int index = places_.FindPlaceIndex(model_.DataPlace);
    if (index < 0)
        index = 0;
    cmbDataMan_->setCurrentIndex(index);
    model_.DataPlace = std::max(0, places_.GetPlaceRec(index));
}

void TDataSentakuBox::cmbDataManChange()
{
    // Until the new place is taken, nothing may act on the old place's list.
    placeChanging_ = true;
    grid_->setEnabled(false);
    UpdateFunctionKeys();
}

void TDataSentakuBox::cmbDataManExit()
{
    if (!placeChanging_)
        return;
    placeChanging_ = false;
    model_.DataPlace = std::max(0, places_.GetPlaceRec(cmbDataMan_->currentIndex()));
    grid_->setEnabled(true);
    showPlaceList();
}

void TDataSentakuBox::showPlaceList()
{
    // A place without data shows an empty list, not the rows of the place
    // shown before.
    model_.LoadDataList();
    DisplayDataList();
    grid_->setFocus();
    UpdateFunctionKeys();
}

void TDataSentakuBox::PrepareShow()
{
    loadPlaces();
    if (params_.SyoriType == 2 || params_.SyoriType == 5) {
        SysDef.DestinationText.clear();
        HostMenuNotify = false;
    }
    if (params_.SyoriType == 2 && ConnectMode == 0 && !kyoyuAutoSuspended_) {
        // Choosing a destination takes and stores nothing on its own.
        savedKyoyuAuto_ = SysDef.Reserve4Bit1;
        SysDef.Reserve4Bit1 = 0;
        kyoyuAutoSuspended_ = true;
    }
    if (params_.SyoriType >= 2 && params_.SyoriType <= 4)
        btnCloudShare_->setVisible(false);
    if (kensaku_)
        kensaku_->SelectRecord(storedCondition_);
    model_.Filter = storedCondition_;
    model_.FilterActive = storedCondition_.JyokenUse != 0;
    if (params_.JyokenSet) {
        model_.Filter = params_.Condition;
        model_.Filter.SortCol = storedCondition_.SortCol;
        model_.Filter.SortType = storedCondition_.SortType;
        model_.FilterActive = true;
    }
    model_.SortColumn = storedCondition_.SortCol;
    model_.Descending = storedCondition_.SortType != 0;
    btnSearchCancel_->setEnabled(model_.FilterActive && params_.SyoriType != 3);
    // The operator's own standing condition is no search of this screen:
    // only the caller's condition marks the button.
    markSearch(params_.JyokenSet);
    if (model_.LoadDataList() > 0)
        DisplayDataList();
    const QSignalBlocker block(cboxKyoyuDataAuto_);
    cboxKyoyuDataAuto_->setChecked(KyoyuAutoEnabled());
    startFolder_ = SysDef.DataDir;
    escape_ = false;
    AlwaysPlace = false;
}

QColor TDataSentakuBox::rowTextColour(int r)
{
    // Grey marks a blocked update; a damaged row keeps the plain colour
    // even when current.
    if (model_.IsUpdateBlocked(r))
        return kBlockedText;
    if (r == grid_->currentRow() && !model_.IsDamaged(r))
        return ConnectMode == 0 ? kCurrentText : kCurrentTextServer;
    return grid_->palette().text().color();
}

void TDataSentakuBox::paintRowText(int r)
{
    if (r < 0 || r >= grid_->rowCount() || r >= static_cast<int>(model_.Grid.size()))
        return;
    const QColor text = rowTextColour(r);
    for (int c = 0; c < kColumns; ++c)
        if (QTableWidgetItem* item = grid_->item(r, c))
            item->setForeground(text);
}

void TDataSentakuBox::drawRow(int r)
{
    const TDataListRec& rec = model_.Record(r);
    const bool server = ConnectMode != 0;
    QColor back = r % 2 == 1 ? (server ? kAlternateServer : kAlternate) : grid_->palette().base().color();
    if (rec.DATA_STATUS == 1)
        back = kDamaged;
    const QColor text = rowTextColour(r);
    for (int c = 0; c < kColumns; ++c) {
        std::string s = model_.ColumnText(r, c);
        if (c == 2)
            s = rec.CLOUD == 1 ? "☁" : "";
        else if (c == 8)
            s = rec.DATALOCK != 0 ? "🔒" : "";
        else if (c == 9)
            s = rec.NETDRIVE == 1 && rec.KYOYULOCK == 0 ? "共" : "";
        auto* item = new QTableWidgetItem(qs(s));
        item->setBackground(back);
        item->setForeground(text);
        const bool right = c == 0 || c == 10 || c == 11 || c == 18;
        const bool left = c == 1 || c == 3 || c == 6;
        item->setTextAlignment(Qt::AlignVCenter | (right ? Qt::AlignRight : left ? Qt::AlignLeft : Qt::AlignHCenter));
        grid_->setItem(r, c, item);
    }
}

void TDataSentakuBox::DisplayDataList()
{
    const QSignalBlocker block(grid_);
    for (int c = 0; c < kColumns; ++c) {
        QString header = QString::fromUtf8(kHeaders[c]);
        if (c == (ConnectMode == 0 ? 9 : 8))
            header = ConnectMode == 0 ? QStringLiteral("共有") : QStringLiteral("鍵");
        // The registry's own order (no sort column) has no mark.
        if (model_.SortColumn >= 0 && c == model_.SortColumn)
            header += model_.Descending ? QStringLiteral("▼") : QStringLiteral("▲");
        grid_->horizontalHeaderItem(c)->setText(header);
    }
    grid_->setRowCount(static_cast<int>(model_.Grid.size()));
    if (grid_->rowCount() > 0)
        grid_->setCurrentCell(0, 0);
    for (int r = 0; r < grid_->rowCount(); ++r)
        drawRow(r);
    UpdateFunctionKeys();
}

QString TDataSentakuBox::gridHint() const
{
    // Short and long text of the list's hint by connection kind and
    // processing type.
    static const QString choose = QStringLiteral("［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。");
    static const QString noEmpty = QStringLiteral("\n空白行は選択できません。");
    static const QString restore = QStringLiteral("\n［F7］で作成済みのﾃﾞｰﾀを復元してください。");
    static const QString shared = QStringLiteral(
        "\n共有ﾃﾞｰﾀを処理する場合は［共有取得］、取得した共有ﾃﾞｰﾀを他のｵﾍﾟﾚｰﾀが使えるようにする場合は［共有保管］をｸﾘｯｸします。");
    static const QString deleteSave
        = QStringLiteral("\n選択ﾃﾞｰﾀを削除する場合は［F5］、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。");
    static const QString deleteSaveServer
        = QStringLiteral("\n選択ﾃﾞｰﾀを削除する場合は［F5］を、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。");
    static const QString newOrRestore
        = QStringLiteral("［F3］で新規にﾃﾞｰﾀを作成するか、又は［F7］で作成済みのﾃﾞｰﾀを復元してください。");
    const QString head = choose + QLatin1Char('|') + choose;
    const std::uint8_t type = params_.SyoriType;
    if (AppKind == 2)
        return head + noEmpty + QStringLiteral("［F3］で新規にﾃﾞｰﾀを作成してください。\n選択ﾃﾞｰﾀを削除する場合は［F5］を押します。");
    if (type == 4)
        return choose + QStringLiteral("|［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で空いている行を選択します。\n");
    if (type == 2) {
        if (ConnectMode == 1)
            return head + QStringLiteral("\n");
        return head + restore + (ConnectMode == 0 ? deleteSave + shared : deleteSaveServer);
    }
    if (ConnectMode == 1)
        return head + noEmpty;
    if (ConnectMode == 2)
        return head + noEmpty + newOrRestore + deleteSaveServer;
    return head + noEmpty + newOrRestore + deleteSave + shared;
}

void TDataSentakuBox::LoadHints()
{
    using controls::SetHint;
    SetHint(cboxKyoyuDataAuto_,
        QStringLiteral("ﾁｪｯｸを入れると取得・保管ﾎﾞﾀﾝを使わずに共有ﾃﾞｰﾀを処理できます。空白行に共有ﾃﾞｰﾀを割り当てる場合やLAN"
                       "から切り離してﾃﾞｰﾀ持ち出す場合はﾁｪｯｸを外してください。|"));
    SetHint(btnKyoyuDataUp_,
        QStringLiteral("選択した共有ﾃﾞｰﾀを他のPCで使用可能にします。保管を行うと［共有］欄にｱｲｺﾝが付きます。|"));
    SetHint(btnKyoyuDataDown_,
        QStringLiteral("空白行を選択してｸﾘｯｸすると［共有ﾃﾞｰﾀの選択］画面が開きます。共有ﾃﾞｰﾀ行を選択してｸﾘｯｸすると選択可能にな"
                       "ります。（［共有］欄のｱｲｺﾝが外れます。）|"));
    SetHint(btnSearchCancel_, QStringLiteral("検索状態を解除します。|"));
    SetHint(btnSearch_,
        QStringLiteral("［検索条件の設定］画面を開きます。一定条件に該当するﾃﾞｰﾀを抽出表示する場合に使用します。|"));
    const QString details = QStringLiteral(
        "「ﾃﾞｰﾀの詳細情報」画面を開きます。入力済み仕訳件数や部門・本支店の設定状況など、選択ﾃﾞｰﾀの基本情報を表示します。");
    const QString rename = QStringLiteral("\nﾃﾞｰﾀ選択画面におけるﾃﾞｰﾀの表示名を変更することも可能です。");
    SetHint(btnDataInfo_, details + QLatin1Char('|') + details + rename);
    SetHint(btnListUpdate_,
        (AppKind == 2 ? QStringLiteral("ﾃﾞｰﾀﾘｽﾄを更新します。［F5：ﾃﾞｰﾀ削除］などの機能を使わずに移行したﾃﾞｰﾀを再表示します。")
                      : QStringLiteral("ﾃﾞｰﾀﾘｽﾄを更新します。［F5：ﾃﾞｰﾀ削除］や［F7：復元］などの機能を使わずに移行したﾃﾞｰﾀ"
                                       "を再表示します。"))
            + QStringLiteral("|ﾃﾞｰﾀﾘｽﾄを更新します。入力済み仕訳件数や部門・本支店の設定状況など、選択ﾃﾞｰﾀの基本情報を表示"
                             "します。")
            + rename);
    SetHint(cmbDataMan_,
        QStringLiteral("データの場所を選択します。|データの場所をドロップダウンリストより選択します。選択された場所のデータ"
                       "リストが表示されます。"));
    SetHint(btnDataMan_, QStringLiteral("データの場所を設定します。|データの場所を設定する画面が開きます。"));
    // Type 5 keeps the list's hint as it was.
    if (params_.SyoriType != 5 || controls::Hint(grid_).isEmpty())
        SetHint(grid_, gridHint());
}

int TDataSentakuBox::currentRow() const
{
    const int r = grid_->currentRow();
    return r >= 0 && r < static_cast<int>(model_.Grid.size()) ? r : -1;
}

void TDataSentakuBox::F8Click()
{
    if (keys_.IsBlank(fkey::F8))
        return;
    if (grid_->rowCount() == 0) {
        ShowInformation("データリストが絞り込みにより表示されていません。\r");
        return;
    }
    // The rows as the screen shows them, through the print engine the
    // program handed over.
    if (DataListPrinter())
        DataListPrinter()(this, 0, model_.Rows, model_.Disp);
    else
        operationNotBuilt(fkey::F8);
}

void TDataSentakuBox::operationNotBuilt(int key)
{
    // An operation this program does not carry: say so rather than do
    // nothing.
    const std::string caption = keys_.Captions[static_cast<std::size_t>(key)];
    ErrorMessageEx(
        "「" + caption.substr(caption.find(':') + 1) + "」はこのプログラムでは利用できません。", "TDataSentakuBox");
}

void TDataSentakuBox::UpdateFunctionKeys()
{
    TFunctionKeyInput in;
    in.ConnectKind = ConnectMode;
    in.SyoriType = params_.SyoriType;
    in.ProgramKind = AppKind;
    in.CloudShareEnabled = model_.CloudShareEnabled;
    const int row = currentRow();
    in.GridActive = row >= 0;
    in.Row = row >= 0 ? &model_.Record(row) : nullptr;
    in.ParentGassan = row >= 0 ? model_.ParentGassan(row) : 0;
    in.AutoShareVisible = cboxKyoyuDataAuto_->isVisible() || ConnectMode == 0;
    in.AutoShareOn = KyoyuAutoEnabled();
    in.GridEnabled = grid_->isEnabled();
    in.CopyPending = copyPaste_ && copyPaste_->Pending();
    keys_ = ::UpdateFunctionKeys(in);
    LoadHints();
    if (keys_.PasteHint)
        controls::SetHint(grid_,
            QStringLiteral("貼り付け先を選択して［F2］を押します。|貼り付け先を選択して［F2］を押します。\nｺﾋﾟｰ処理を中断す"
                           "る場合は［ESC］を押します。"));
    hintArea_->setPlainText(controls::LongHint(controls::Hint(grid_)));
    for (int k = 0; k < fkey::Count; ++k)
        keyButtons_[static_cast<std::size_t>(k)]->CaptionA().SetCaption(
            qs(keys_.Captions[static_cast<std::size_t>(k)]));
    btnKyoyuDataDown_->setEnabled(keys_.KyoyuDownEnabled);
    btnKyoyuDataUp_->setEnabled(keys_.KyoyuUpEnabled);
    btnCloudShare_->setEnabled(keys_.CloudEnabled);
    // The search buttons rest while the data-place list is open; the
    // cancel button only has something to cancel while a filter is in use.
    const bool search = keys_.SearchEnabled && !placeChanging_;
    btnSearch_->setEnabled(search);
    btnSearchCancel_->setEnabled(search && model_.FilterActive);
    if (keys_.SharedControlsHidden) {
        btnKyoyuDataDown_->setVisible(false);
        btnKyoyuDataUp_->setVisible(false);
        cboxKyoyuDataAuto_->setVisible(false);
    }
}

void TDataSentakuBox::positionOnCurrentData()
{
    // The folder of the current data, compared without case.
    const std::string wanted = platform::text::upperAscii(platform::paths::excludeDelimiter(SysDef.DataDir));
    int row = -1;
    for (int r = 0; r < static_cast<int>(model_.Grid.size()) && row < 0; ++r)
        if (platform::text::upperAscii(model_.GetRowDataPath(r)) == wanted)
            row = r;
    if (row < 0)
        return;
    grid_->setCurrentCell(row, 0);
    // The current data as the seventh visible row where the list allows.
    grid_->verticalScrollBar()->setValue(std::max(0, row - 6));
}

void TDataSentakuBox::F12Click()
{
    if (keys_.IsBlank(fkey::F12))
        return;
    const int row = currentRow();
    if (row < 0)
        return;
    std::int32_t result = 0;
    try {
        result = model_.Choose(row);
    } catch (const std::exception& e) {
        ErrorMessageEx(e.what(), "TDataSentakuBox.F12Click");
        result = 0;
    }
    if (result == 1) {
        done(1);
        return;
    }
    // A refused row may have been refreshed.
    const int keep = std::min(row, static_cast<int>(model_.Grid.size()) - 1);
    DisplayDataList();
    if (keep >= 0)
        grid_->setCurrentCell(keep, 0);
}

bool TDataSentakuBox::closeWithStartFolderCheck()
{
    if (params_.SyoriType != 1 && params_.SyoriType != 3)
        return true;
    const std::string folder = startFolder_ == "/" ? startFolder_ : platform::paths::excludeDelimiter(startFolder_);
    // The start folder is checked quietly, as a destination is: a data set
    // deleted meanwhile gives 0 and its own message below.
    TDataFolderCheck check = model_.FolderCheck();
    check.SyoriType = 2;
    std::int32_t result = -1;
    try {
        result = check.CheckDataFolder(folder);
    } catch (const std::exception&) {
        result = -1;
    }
    if (result == 0)
        ShowInformation("前回、選択したデータは削除されています。\r");
    if (result == 1) {
        SysDef.DataDir = folder;
        SysDef.DataListPath.clear();
    }
    if (params_.SyoriType == 1 && result != 1) {
        escape_ = false;
        return false;
    }
    return true;
}

void TDataSentakuBox::F2Click()
{
    if (keys_.IsBlank(fkey::F2))
        return;
    const int row = currentRow();
    if (row < 0)
        return;
    int show = row;
    try {
        if (!copyPaste_->Pending()) {
            copyPaste_->Copy(row);
        } else {
            const std::string target = model_.GetRowDataPath(row);
            copyPaste_->Paste(row);
            show = model_.FindRowOfFolder(target);
        }
    } catch (const std::exception& e) {
        copyPaste_->Cancel();
        ErrorMessageEx(e.what(), "TDataSentakuBox.F2Click");
    }
    DisplayDataList();
    if (show >= 0 && show < grid_->rowCount())
        grid_->setCurrentCell(show, 0);
    UpdateFunctionKeys();
}

std::string TDataSentakuBox::chooseBackupFolder(bool restore, bool& fromDataFolder)
{
    fromDataFolder = false;
    std::unique_ptr<TFileOperationBox> box;
    TFileOperationBoxEx1* choice = nullptr;
    if (restore) {
        auto ex = std::make_unique<TFileOperationBoxEx1>(this);
        choice = ex.get();
        box = std::move(ex);
    } else {
        box = std::make_unique<TFileOperationBox>(this);
    }
    box->FileKind = 2;
    box->UseHistory = true;
    box->HistoryFolder = qs(SysDef.IniDir);
    box->HistoryFile = QStringLiteral("history.ini");
    box->HistorySection = QStringLiteral("DataBackFolder");
    box->InitialFolder = qs(platform::xdg_folders::documentsDir());
    box->FolderLabel = QStringLiteral("保存先の場所:");
    if (restore) {
        box->FileCaption = QStringLiteral("データの復元");
        box->FileMessage = QStringLiteral("指定された保存先の場所にバックアップファイルがある場合は、商号、会計期間およ"
                                          "び仕訳数をチェックし、条件が満たされれば復元されます。");
        box->FolderHint
            = QStringLiteral("ﾃﾞｰﾀが保存されている場所を選択します。変更する場合は［参照］を押してください。|"
                             "ﾃﾞｰﾀが保存されている場所を選択します。\r\n前回保存又は復元を行った場所を初期値として表示"
                             "しています。それ以前の場所もリストから選択できます。その他の場所を指定する場合は［参照］"
                             "を押してください。\r\n［OK］を押すと処理を実行します。");
    } else {
        box->FileCaption = QStringLiteral("データの保存");
        box->FileMessage = QStringLiteral("選択中のデータを保存します。");
        box->FolderHint = QStringLiteral("ﾃﾞｰﾀを保存する場所を選択します。変更する場合は［参照］を押してください。|"
                                         "ﾃﾞｰﾀを保存する場所を選択します。\r\n前回保存又は復元を行った場所を初期値とし"
                                         "て表示しています。それ以前の場所もリストから選択できます。その他の場所を指定"
                                         "する場合は［参照］を押してください。\r\n［OK］を押すと処理を実行します。");
    }
    box->InitDialog(true);
    if (choice != nullptr) {
        choice->SetSelect1Caption(QStringLiteral("保存先の場所を選択して復元する"));
        choice->SetSelect2Caption(QStringLiteral("プログラムの既定の保存先の場所より復元する"));
        choice->SetSelectKind(1);
    }
    if (box->ShowModal() != modal::Ok)
        return {};
    if (choice != nullptr && choice->SelectKind == 2) {
        fromDataFolder = true;
        return {};
    }
    return box->ResultPath.toStdString();
}

void TDataSentakuBox::afterRowOperation(int row)
{
    DisplayDataList();
    if (row >= 0 && row < grid_->rowCount())
        grid_->setCurrentCell(row, 0);
    UpdateFunctionKeys();
}

void TDataSentakuBox::F3Click()
{
    if (keys_.IsBlank(fkey::F3) || currentRow() < 0)
        return;
    const int row = currentRow();
    const std::string& caption = keys_.Captions[fkey::F3];
    if (caption == "F3:分散追加")
        rowOps_->AddDistributedData(row);
    else if (caption == "F3:持ち出し")
        takeOut_->TakeOutBringBack(row);
    else
        rowOps_->NewData(row, static_cast<std::int64_t>(winId()));
    afterRowOperation(rowOps_->CurrentAfter >= 0 ? rowOps_->CurrentAfter : row);
}

void TDataSentakuBox::F4Click()
{
    if (keys_.IsBlank(fkey::F4) || currentRow() < 0)
        return;
    const int row = currentRow();
    if (keys_.Captions[fkey::F4] == "F4:領域追加")
        rowOps_->AddArea(row);
    else
        rowOps_->ReleaseShareAssignment(row);
    afterRowOperation(rowOps_->CurrentAfter >= 0 ? rowOps_->CurrentAfter : row);
}

void TDataSentakuBox::F5Click()
{
    if (keys_.IsBlank(fkey::F5) || currentRow() < 0)
        return;
    const int row = currentRow();
    rowOps_->DeleteData(row, true);
    afterRowOperation(rowOps_->CurrentAfter >= 0 ? rowOps_->CurrentAfter : row);
}

void TDataSentakuBox::F6Click()
{
    if (keys_.IsBlank(fkey::F6) || currentRow() < 0)
        return;
    const int row = currentRow();
    saveRestore_->SaveData(row, "");
    afterRowOperation(row);
}

void TDataSentakuBox::F7Click()
{
    if (keys_.IsBlank(fkey::F7) || currentRow() < 0)
        return;
    const int row = currentRow();
    saveRestore_->RestoreData(row, "");
    afterRowOperation(row);
}

void TDataSentakuBox::ESCClick()
{
    if (keys_.IsBlank(fkey::ESC))
        return;
    if (copyPaste_->Pending()) {
        copyPaste_->Cancel();
        UpdateFunctionKeys();
        return;
    }
    escape_ = true;
    done(2);
}

void TDataSentakuBox::btnSearchCancelClick()
{
    model_.FilterActive = false;
    model_.Filter = TDataKensakuRec {};
    model_.LoadDataList();
    DisplayDataList();
    btnSearchCancel_->setEnabled(false);
    markSearch(false);
    UpdateFunctionKeys();
}

void TDataSentakuBox::markSearch(bool marked)
{
    searchMarked_ = marked;
    btnSearch_->setChecked(marked);
}

void TDataSentakuBox::btnSearchClick()
{
    // A click latches the button by itself: the mark is the screen's.
    markSearch(searchMarked_);
    TDataListKensakuBox dialog(this);
    dialog.ListType = 0;
    dialog.Rec = storedCondition_;
    dialog.Prepare(true);
    if (dialog.ShowModal() != 1)
        return;
    storedCondition_ = dialog.Rec;
    if (kensaku_)
        kensaku_->UpdateRecord(storedCondition_);
    model_.Filter = storedCondition_;
    model_.FilterActive = true;
    model_.LoadDataList();
    DisplayDataList();
    btnSearchCancel_->setEnabled(true);
    markSearch(true);
    UpdateFunctionKeys();
}

void TDataSentakuBox::btnDataInfoClick()
{
    if (!grid_->isEnabled()) {
        ShowInformation("データリストが応答状態ではないので処理は行えません。");
        return;
    }
    const int row = currentRow();
    if (row < 0)
        return;
    TDataListRec& rec = model_.Record(row);
    const std::string folder = model_.GetRowDataPath(row);
    // A data set with a fiscal year is looked at for damage first; the
    // details still open for a damaged one.
    if ((rec.KISHU != 0 || rec.KIMATU != 0) && rec.DATA_STATUS != 1 && DM != nullptr
        && DM->CheckDataDamage(SysDef.HostName, folder, 1, 0) == 0) {
        rec.DATA_STATUS = 1;
        drawRow(row);
        UpdateFunctionKeys();
    }
    TDataSyosaiInfoBox dialog(this);
    dialog.Source = 0;
    dialog.Row = &rec;
    dialog.DataFolder = folder;
    dialog.ListName = rec.ENTTEXT;
    dialog.UpdateLock = rec.UPDATE_LOCK;
    dialog.ReadOnly = rec.READ_ONLY;
    // A shared data set another computer may hold is only looked at.
    dialog.Editable = !(rec.NETDRIVE == 1 && rec.KYOYULOCK != 1);
    dialog.Prepare(true);
    if (dialog.ShowModal() == 1) {
        bool changed = false;
        // Only a data set nobody else is working on takes the changes.
        TDataFolderCheck check = model_.FolderCheck();
        const std::int32_t status = check.CheckFolderStatus(folder, true, false);
        const bool accepted = status == 1 || (ConnectMode != 0 && status == 2);
        if (accepted && dialog.Editable) {
            TDataInfomation info;
            info.Mode = ConnectMode;
            TDataInfomationRec settings;
            settings.DATALISTNAME = dialog.ListName;
            settings.UPDATE_LOCK = dialog.UpdateLock;
            settings.READ_ONLY = dialog.ReadOnly;
            // The data set's own database holds the name and locks; its
            // settings file and the list follow only once that is done.
            if (info.UpdateDataInfomation(SysDef.HostName, folder, settings)) {
                rec.ENTTEXT = dialog.ListName;
                rec.DispName = rec.ENTTEXT;
                rec.UPDATE_LOCK = dialog.UpdateLock;
                rec.READ_ONLY = dialog.ReadOnly;
                changed = true;
                try {
                    info.WriteIniValue(folder, "DATAINFO", true, dialog.ListName, "DATALISTNAME");
                    info.WriteIniValue(folder, "DATASTS", true, std::to_string(dialog.UpdateLock), "UPDATE_LOCK");
                    info.WriteIniValue(folder, "DATASTS", true, std::to_string(dialog.ReadOnly), "READ_ONLY");
                } catch (const std::exception& e) {
                    ErrorMessageEx("データ情報の更新に失敗しました。",
                        std::string("TDataSentakuBox.btnDataInfoClick\r") + e.what());
                }
            }
        }
        if (dialog.StatusClear) {
            try {
                TDataInfomation().WriteStatus(folder, 1);
            } catch (const std::exception& e) {
                ErrorMessageEx(
                    "データ情報の更新に失敗しました。", std::string("TDataSentakuBox.btnDataInfoClick\r") + e.what());
            }
            copyPaste_->Cancel();
            rec.DATALOCK = 0;
            changed = true;
        }
        if (changed)
            model_.StoreRow(row);
    }
    if (dialog.Rebuilt) {
        rec.DATA_STATUS = 0;
        model_.DataListRefresh(row);
    }
    DisplayDataList();
    // The same data set stays current, wherever the refresh left its row.
    int current = model_.FindRowOfFolder(folder);
    if (current < 0)
        current = std::min(row, grid_->rowCount() - 1);
    if (current >= 0)
        grid_->setCurrentCell(current, 0);
    UpdateFunctionKeys();
}

void TDataSentakuBox::btnListUpdateClick()
{
    if (!grid_->isEnabled()) {
        ShowInformation("データリストが応答状態ではないので処理は行えません。");
        return;
    }
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Confirmation, m);
    m.buttons = msgbtn::Yes | msgbtn::No;
    m.lines[0].text = "データリストの更新を行います。\rよろしいですか？";
    if (ShowMessage2(m) != modal::Yes)
        return;
    // The current record (by number and folder) and the top row come back
    // after the list was read again.
    const int row = currentRow();
    const std::int32_t rec = row >= 0 ? model_.Record(row).REC : -1;
    const std::string folder = row >= 0 ? model_.ColumnText(row, 6) : std::string();
    const int top = grid_->verticalScrollBar()->value();
    {
        TxAnimeProgressDialog progress(this);
        progress.SetCaption(QStringLiteral("更新中"));
        progress.SetInfoLabel(QStringLiteral("データリストの更新中…"));
        progress.SetAviFile(qs(platform::paths::join(SysDef.ExeDir, "progress.avi")));
        progress.SetCancelBtnShow(true);
        progress.Show(this);
        model_.DataListRefreshAll([] { QCoreApplication::processEvents(); });
        progress.Hide();
    }
    DisplayDataList();
    for (int r = 0; r < grid_->rowCount(); ++r) {
        if (model_.Record(r).REC == rec && model_.ColumnText(r, 6) == folder) {
            grid_->setCurrentCell(r, 0);
            break;
        }
    }
    grid_->verticalScrollBar()->setValue(top);
    raise();
    activateWindow();
    UpdateFunctionKeys();
}

void TDataSentakuBox::LockColumnClick(int row)
{
    if (ConnectMode == 0 || row < 0 || row >= grid_->rowCount())
        return;
    model_.ToggleDataLock(row);
    drawRow(row);
    UpdateFunctionKeys();
}

void TDataSentakuBox::addIncSearchChar(char c)
{
    incText_ += c;
    if (incText_.size() <= 8) {
        txtIncSerch_->move(grid_->x() + 4 + grid_->width() / 10, grid_->y() - 12);
        txtIncSerch_->setText(qs(incText_));
        txtIncSerch_->show();
        txtIncSerch_->raise();
    }
    int interval = incSerchTimer_->interval();
    if (interval < 2000)
        interval += 500;
    incSerchTimer_->start(std::min(interval, 1000));
}

void TDataSentakuBox::IncSerchTimerTimer()
{
    if (grid_->hasFocus()) {
        const int row = model_.FindByCodePrefix(currentRow(), incText_);
        if (row >= 0) {
            grid_->setCurrentCell(row, 0);
            grid_->scrollToItem(grid_->item(row, 0));
        }
    }
    incSerchTimer_->stop();
    incSerchTimer_->setInterval(0);
    incText_.clear();
    txtIncSerch_->clear();
    txtIncSerch_->hide();
}

void TDataSentakuBox::SortByColumn(int column)
{
    if (column != 0 && column != 1 && (column < 3 || column > 7))
        return;
    const int current = model_.SortColumn <= 0 ? 0 : model_.SortColumn;
    if (current == column)
        model_.Descending = !model_.Descending;
    else
        model_.Descending = false;
    model_.SortColumn = column;
    model_.LoadDataList();
    DisplayDataList();
}

void TDataSentakuBox::FormClose(TCloseAction& action)
{
    // Whether the screen may close: a chooser's cancel goes back to the
    // start folder, or stays open in the host's start when that is gone.
    if (closingResult_ != 1 && closingResult_ != 3 && !closeWithStartFolderCheck()) {
        action = TCloseAction::caNone;
        return;
    }
    if (params_.SyoriType == 2 && DM != nullptr && !DM->IBDatabaseDAT.connected() && !SysDef.DataDir.empty())
        DM->fnAccDatConnected(SysDef.HostName, SysDef.DataDir, core::TInUseMark::None);

    // The system definition is settled whatever else the close meets.
    std::exception_ptr failure;
    try {
        TBSDI::FormClose(action);
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        copyPaste_->Cancel();
        if (kensaku_) {
            storedCondition_.SortCol = model_.SortColumn;
            storedCondition_.SortType = model_.Descending ? 1 : 0;
            kensaku_->UpdateRecordSortField(storedCondition_);
        }
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    if (params_.SyoriType != 5) {
        SysDef.ServerDataPlace = ConnectMode == 0 ? 0 : model_.DataPlace;
        if (params_.SyoriType == 2) {
            HostMenuNotify = false;
            restoreKyoyuAuto();
        } else if (DM != nullptr && DM->IBDatabaseDEF.connected()) {
            fnPutSysDef();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TDataSentakuBox::FormKeyUp(int& key, Qt::KeyboardModifiers shift)
{
    if (shift == Qt::NoModifier) {
        if (key == Qt::Key_Escape) {
            key = 0;
            ESCClick();
            return;
        }
        if (key == Qt::Key_F12) {
            key = 0;
            F12Click();
            return;
        }
        if (key == Qt::Key_F2) {
            key = 0;
            F2Click();
            return;
        }
        if (key == Qt::Key_F3 || key == Qt::Key_F4 || key == Qt::Key_F5) {
            const int k = key;
            key = 0;
            if (k == Qt::Key_F3)
                F3Click();
            else if (k == Qt::Key_F4)
                F4Click();
            else
                F5Click();
            return;
        }
        if (key == Qt::Key_F6) {
            key = 0;
            F6Click();
            return;
        }
        if (key == Qt::Key_F7) {
            key = 0;
            F7Click();
            return;
        }
        if (key == Qt::Key_F1 && !keys_.IsBlank(fkey::F1)) {
            ShowHtmlHelp("file01.html");
            return;
        }
        if (key == Qt::Key_F8) {
            key = 0;
            if (!keys_.IsBlank(fkey::F8))
                F8Click();
            return;
        }
    }
    TBSDI::FormKeyUp(key, shift);
}

namespace {
TDataListPrinter& printerHook()
{
    static TDataListPrinter printer;
    return printer;
}
} // namespace

void SetDataListPrinter(TDataListPrinter printer)
{
    printerHook() = std::move(printer);
}
const TDataListPrinter& DataListPrinter()
{
    return printerHook();
}

void TDataSentakuBox::CMShowingChanged(bool visible)
{
    TBSDI::CMShowingChanged(visible);
    if (visible) {
        positionOnCurrentData();
        grid_->setFocus();
        UpdateFunctionKeys();
    }
}

void TDataSentakuBox::done(int r)
{
    closingResult_ = r;
    TBSDI::done(r);
}

void TDataSentakuBox::closeEvent(QCloseEvent* e)
{
    closingResult_ = 2;
    // The host's start (type 1): the window's close box ends the program
    // after a confirmation (result 3); cancelled, the screen stays open.
    if (params_.SyoriType == 1 && isVisible()) {
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Confirmation, m);
        m.buttons = msgbtn::OK | msgbtn::Cancel;
        m.lines[0].text = SysDef.ProgramName + "を終了します。よろしいですか？";
        e->ignore();
        if (ShowMessage2(m) != modal::Ok) {
            escape_ = false;
            setResult(0);
            return;
        }
        done(3);
        return;
    }
    TBSDI::closeEvent(e);
}

void TDataSentakuBox::CMFocusChanged(QWidget* now)
{
    UpdateFunctionKeys();
    TBSDI::CMFocusChanged(now);
}

bool TDataSentakuBox::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == cmbDataMan_ && e->type() == QEvent::FocusOut
        && static_cast<QFocusEvent*>(e)->reason() != Qt::PopupFocusReason)
        cmbDataManExit();
    if (watched == grid_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            F12Click();
            return true;
        }
        if (grid_->rowCount() > 0) {
            if (const char c = incSearchChar(*k)) {
                addIncSearchChar(c);
                return true;
            }
        }
    }
    return TBSDI::eventFilter(watched, e);
}

void RegisterDataSentakuBox()
{
    // RegisterProc keeps the first registration of a class: calling this
    // again (after the process registry was restored) is harmless.
    RegisterProc(&ProcFormClass<TDataSentakuBox>, "QzDataSenkaku");
}
