#include "dataselect/gui/DataPlaceBox.h"
#include "dataselect/gui/ScreenText.h"

#include "controls/xPlButton.h"
#include "core/AppInfo.h"
#include "core/uAccRecord.h"
#include "dataselect/gui/DialogUtil.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTableWidget>

using dataselect::gui::qs;
using dataselect::gui::ShowInformation;

TDataPlaceBox::TDataPlaceBox(QWidget* owner)
    : TBSDI(owner)
{
    RunLog = false;
    SizeMemory = false;
    setWindowTitle(QStringLiteral("データの場所の設定"));
    setFixedSize(691, 437);
    grid_ = new QTableWidget(0, 3, this);
    grid_->setGeometry(24, 24, 522, 289);
    grid_->setHorizontalHeaderLabels({QStringLiteral("No"), QStringLiteral("名称"), QStringLiteral("フォルダパス")});
    grid_->setColumnWidth(0, 40);
    grid_->setColumnWidth(1, 230);
    grid_->setColumnWidth(2, 230);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setVisible(false);
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int, int, int, int) { updateKeys(); });
    controls::SetHint(grid_, qs(PlacesGridHint()));
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        paintRow(previous, false);
        paintRow(row, true);
    });
    grid_->installEventFilter(this);

    auto key = [this](const char* caption, int y, void (TDataPlaceBox::*handler)()) {
        auto* b = dataselect::gui::PlButton(this, QString::fromUtf8(caption));
        b->setGeometry(567, y, 100, 32);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &TxPlButton::OnClick, this, handler);
        return b;
    };
    F2 = key("F2:新規作成", 36, &TDataPlaceBox::F2Click);
    F3 = key("F3:名称変更", 76, &TDataPlaceBox::F3Click);
    F5 = key("F5:削除", 116, &TDataPlaceBox::F5Click);
    F6 = key("上へ", 228, &TDataPlaceBox::F6Click);
    F7 = key("下へ", 268, &TDataPlaceBox::F7Click);

    hintArea_ = new QPlainTextEdit(this);
    hintArea_->setReadOnly(true);
    hintArea_->setFocusPolicy(Qt::NoFocus);
    hintArea_->setGeometry(8, 325, 540, 104);
    HelpMemo = hintArea_;
    btnOK = dataselect::gui::PlButton(this, QStringLiteral("閉じる"), 1);
    btnOK->setGeometry(580, 380, 90, 40);
    connect(btnOK, &TxPlButton::OnClick, this, [this] { done(1); });
    controls::SetHint(btnOK, QStringLiteral("内容を登録して画面を閉じます。|内容を登録して画面を閉じます。"));
    btnCancel = dataselect::gui::PlButton(this, QStringLiteral("キャンセル"), 2);
    btnCancel->setGeometry(580, 330, 90, 40);
    btnCancel->hide();
    controls::SetHint(btnCancel, QStringLiteral("画面を閉じます。|画面を閉じます。"));
    F1 = dataselect::gui::PlButton(this, QStringLiteral("F1:ヘルプ"));
    F1->setGeometry(567, 160, 100, 32);
    F1->hide();
    DefaultButton = btnOK;
    InitOK = true;
}

std::string PlacesGridHint()
{
    std::string folder = "ﾄﾞﾗｲﾌﾞ:\\ROZIVORADUZ\\DATA";
    if (DistKind == 1 || DistKind == 2) {
        // The edition keeps its data under its own folder name.
        const QString edition = qs(AppInfo.Varov.ServerDir).replace(QLatin1Char('/'), QLatin1Char('\\')).toUpper();
        folder = QString::fromUtf8(folder.c_str())
                     .replace(QStringLiteral("\\ROZIVORADUZ\\DATA"), edition, Qt::CaseInsensitive)
                     .toStdString();
    }
    return "データ管理フォルダの情報を管理します。|[F2]で新規作成、[F3]で名称変更、[F5]で削除します。（例外：\""
        + folder + "\"行の削除は禁止）\n[上へ][下へ]でリストの並べ替えが行えます。";
}

void TDataPlaceBox::paintRow(int row, bool focused)
{
    if (row < 0 || row >= grid_->rowCount())
        return;
    for (int c = 0; c < grid_->columnCount(); ++c) {
        QTableWidgetItem* item = grid_->item(row, c);
        if (item == nullptr)
            continue;
        if (focused)
            item->setBackground(
                QColor(SysDef.ActiveColor & 0xFF, (SysDef.ActiveColor >> 8) & 0xFF, (SysDef.ActiveColor >> 16) & 0xFF));
        else
            item->setData(Qt::BackgroundRole, QVariant());
    }
}

bool TDataPlaceBox::eventFilter(QObject* watched, QEvent* e)
{
    // Enter on the list is a double click, which does nothing here.
    if (watched == grid_ && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return TBSDI::eventFilter(watched, e);
}

void TDataPlaceBox::CMShowingChanged(bool visible)
{
    TBSDI::CMShowingChanged(visible);
    if (!ReadyWhenShown(visible))
        return;
    grid_->setFocus();
    paintRow(grid_->currentRow(), true);
    updateKeys();
}

void TDataPlaceBox::ShowPlaces(std::uint8_t mode)
{
    mode_ = mode;
    places_.LoadDataPlaces(false);
    fillGrid(std::max(0, places_.FindPlaceIndex(SysDef.ServerDataPlace)));
}

void TDataPlaceBox::fillGrid(int current)
{
    grid_->setRowCount(static_cast<int>(places_.List.size()));
    for (int r = 0; r < grid_->rowCount(); ++r) {
        const auto& e = places_.List[static_cast<std::size_t>(r)];
        grid_->setItem(r, 0, new QTableWidgetItem(QString::number(r + 1)));
        grid_->setItem(r, 1, new QTableWidgetItem(qs(e.NAME)));
        grid_->setItem(r, 2, new QTableWidgetItem(qs(e.PATH)));
    }
    if (grid_->rowCount() > 0)
        grid_->setCurrentCell(std::min(current, grid_->rowCount() - 1), 0);
    updateKeys();
}

int TDataPlaceBox::row() const
{
    return grid_->currentRow();
}

void TDataPlaceBox::updateKeys()
{
    const auto k = places_.UpdatePlaceKeys(row());
    F2->CaptionA().SetCaption(qs(k.F2));
    F3->CaptionA().SetCaption(qs(k.F3));
    F5->CaptionA().SetCaption(qs(k.F5));
    F6->setEnabled(k.UpEnabled);
    F7->setEnabled(k.DownEnabled);
}

void TDataPlaceBox::F2Click()
{
    const int r = row();
    if (places_.NewPlace(r))
        fillGrid(r);
}

void TDataPlaceBox::F3Click()
{
    const int r = row();
    if (places_.RenamePlace(r))
        fillGrid(r);
}

void TDataPlaceBox::F5Click()
{
    const int r = row();
    if (places_.DeletePlace(r))
        fillGrid(r);
}

void TDataPlaceBox::F6Click()
{
    fillGrid(places_.MovePlace(row(), -1));
}

void TDataPlaceBox::F7Click()
{
    fillGrid(places_.MovePlace(row(), +1));
}

void TDataPlaceBox::FormKeyUp(int& key, Qt::KeyboardModifiers shift)
{
    switch (key) {
    case Qt::Key_F2:
        F2Click();
        break;
    case Qt::Key_F3:
        F3Click();
        break;
    case Qt::Key_F5:
        F5Click();
        break;
    case Qt::Key_F4:
    case Qt::Key_F6:
    case Qt::Key_F7:
    case Qt::Key_F8:
    case Qt::Key_F12:
        key = 0;
        return;
    default:
        break;
    }
    TBSDI::FormKeyUp(key, shift);
}

void TDataPlaceBox::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
}
