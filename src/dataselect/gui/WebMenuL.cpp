#include "dataselect/gui/WebMenuL.h"

#include "controls/xPlButton.h"
#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/gui/DialogUtil.h"
#include "core/MessageService.h"
#include "core/ProcessState.h"
#include "core/uAccRecord.h"
#include "platform/plain_text.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

namespace {

// The entries the last screen found, kept after it closes (EntryCount).
int g_entryCount = 0;
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(g_entryCount);

constexpr const char* kCaption = "ログインユーザー";

TxPlButton* functionButton(QWidget* parent, const QString& caption)
{
    auto* b = dataselect::gui::PlButton(parent, caption);
    b->setFocusPolicy(Qt::NoFocus);
    b->resize(90, 26);
    return b;
}

} // namespace

TfmWebMenuL::TfmWebMenuL(QWidget* owner)
    : TBSDI(owner)
{
    setWindowTitle(kCaption);
    setFixedSize(357, 361);

    auto* pnlClient = new QWidget(this);
    pnlClient->setGeometry(0, 0, 357, 361 - 137);
    PerfectGrid1 = new QTableWidget(pnlClient);
    PerfectGrid1->setGeometry(32, 24, 295, 193);
    PerfectGrid1->setColumnCount(3);
    PerfectGrid1->setHorizontalHeaderLabels({"No", "コード", "オペレータ名"});
    PerfectGrid1->setColumnWidth(0, 50);
    PerfectGrid1->setColumnWidth(1, 70);
    PerfectGrid1->setColumnWidth(2, 154);
    PerfectGrid1->verticalHeader()->hide();
    PerfectGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PerfectGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    // The operator's list colours with the one back colour of the list.
    SetGridColors(PerfectGrid1, 1);

    auto* pnlBottom = new QWidget(this);
    pnlBottom->setGeometry(0, 361 - 137, 357, 137);
    auto* panelHint = new QWidget(pnlBottom);
    panelHint->setGeometry(0, 0, 357, 113);
    panelHint->setEnabled(false);
    HintArea = new QPlainTextEdit(panelHint);
    HintArea->setGeometry(32, 8, 295, 73);
    HintArea->setFocusPolicy(Qt::NoFocus);
    HintArea->setPlainText("他のオペレーターがトルバン財務を利用中のため、バ\n"
                           "ージョンアップができません。\n"
                           "他のオペレータの利用がない状態で、管理者権限に\n"
                           "て、バージョンアップを実行してください。\n");
    F12 = functionButton(pnlBottom, "F12:閉じる");
    F12->move(357 - 90 - 32, 113 - 26 - 4);
    ESC = functionButton(pnlBottom, "ESC:ｷｬﾝｾﾙ");
    ESC->hide();
    F1 = functionButton(pnlBottom, "F1:ヘルプ");
    F1->hide();
    connect(F12, &TxPlButton::OnClick, this, [this] { F1Click(F12); });
    connect(F1, &TxPlButton::OnClick, this, [this] { F1Click(F1); });

    g_entryCount = 0;
    try {
        if (!dataselect::fnDBConect_OP(entries_))
            presetCancel_ = true;
        g_entryCount = static_cast<int>(entries_.size());
    } catch (const std::exception&) {
        // Logged by the load; Execute reports the failed set-up.
        return;
    }
    InitOK = true;
}

TfmWebMenuL::~TfmWebMenuL() = default;

int TfmWebMenuL::EntryCount()
{
    return g_entryCount;
}

void TfmWebMenuL::SetParams(const std::vector<std::string>& params)
{
    params_ = params;
    auto value = [&](const char* name) -> std::string {
        const std::string key = platform::text::upperAscii(name) + "=";
        for (const auto& line : params)
            if (platform::text::upperAscii(line.substr(0, key.size())) == key)
                return line.substr(key.size());
        return {};
    };
    const int kind = platform::text::toIntOr(value("SyoriType"), -1);
    if (kind >= 0)
        syoriType_ = kind;
    switch (platform::text::toIntOr(value("FormStyle"), 0)) {
    case 0:
        formStyle_ = TFormStyle::MdiChild;
        break;
    case 1:
        formStyle_ = TFormStyle::MdiForm;
        break;
    case 2:
        formStyle_ = TFormStyle::Normal;
        break;
    default:
        formStyle_ = TFormStyle::StayOnTop;
        break;
    }
    setWindowFlag(Qt::WindowStaysOnTopHint, formStyle_ == TFormStyle::StayOnTop);
}

void TfmWebMenuL::SetMode(std::uint8_t value)
{
    mode_ = value;
    AlwaysPlace = false;
}

std::int32_t TfmWebMenuL::Execute(std::uint8_t modal)
{
    SetDefaultProcCursor();
    if (modal != 1) {
        show();
        return 1;
    }
    // A modal screen is freed by its starter once it is done.
    deleteLater();
    if (!SkipProcCheck && OnHostMenu && OnHostMenu(10, "") > 0) {
        dataselect::gui::ShowYesBox(
            msgkind::Warning, "メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。");
    } else if (InitOK) {
        SetFormPosition(0, 0, 0, 0, 3); // the centre of the screen
        SetMode(1);
        exec();
    } else {
        dataselect::gui::ShowYesBox(
            msgkind::Error, std::string(kCaption) + "画面の初期化に失敗しました。\r処理を終了します。");
    }
    return g_entryCount != 0 ? 1 : 0;
}

void TfmWebMenuL::FormShow()
{
    TBSDI::FormShow();
    if (presetCancel_) {
        // Nobody else is logged on: the screen closes by itself.
        QTimer::singleShot(0, this, [this] { done(2); });
        return;
    }
    FillGrid();
}

void TfmWebMenuL::FillGrid()
{
    PerfectGrid1->setRowCount(static_cast<int>(entries_.size()));
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        const auto& e = entries_[static_cast<std::size_t>(i)];
        auto* no = new QTableWidgetItem(QString::number(i + 1));
        no->setTextAlignment(Qt::AlignCenter);
        PerfectGrid1->setItem(i, 0, no);
        PerfectGrid1->setItem(i, 1, new QTableWidgetItem(QString::number(e.OperatorCode)));
        PerfectGrid1->setItem(i, 2, new QTableWidgetItem(QString::fromStdString(e.OperatorName)));
    }
}

void TfmWebMenuL::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    entries_.clear(); // the count stays for Execute
}

void TfmWebMenuL::done(int)
{
    TBSDI::done(g_entryCount != 0 ? 1 : 2);
}

void TfmWebMenuL::F1Click(TxPlButton* sender)
{
    if (sender == F12)
        done(1);
}

void TfmWebMenuL::FormKeyUp(int& key, Qt::KeyboardModifiers shift)
{
    // Before the base form's keys: Esc does nothing here (and must not reach
    // the base form, which would close), F1 is the hidden help button's.
    switch (key) {
    case Qt::Key_Escape:
        key = 0;
        break;
    case Qt::Key_F1:
        F1Click(F1);
        break;
    case Qt::Key_F12:
        F1Click(F12);
        key = 0;
        break;
    default:
        break;
    }
    TBSDI::FormKeyUp(key, shift);
}

namespace dataselect {

void RegisterDataSelectProcs()
{
    RegisterProc(ProcFormClass<TfmWebMenuL>, "WebMenuL");
    RegisterDataSentakuBox();
}

} // namespace dataselect
