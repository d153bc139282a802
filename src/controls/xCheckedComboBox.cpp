#include "controls/xCheckedComboBox.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

// --- the drop-down -------------------------------------------------------------------

TxCheckListDropDown::TxCheckListDropDown(TxCheckedComboBox* owner)
    : QFrame(owner, Qt::Popup)
    , owner_(owner)
{
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    List = new QListWidget(this);
    List->setFrameShape(QFrame::NoFrame);
    List->setContextMenuPolicy(Qt::ActionsContextMenu);
    SelectAll = new QAction(List);
    DeSelectAll = new QAction(List);
    List->addAction(SelectAll);
    List->addAction(DeSelectAll);
    layout->addWidget(List);
    List->installEventFilter(this);
    connect(SelectAll, &QAction::triggered, owner, &TxCheckedComboBox::CheckAll);
    connect(DeSelectAll, &QAction::triggered, owner, &TxCheckedComboBox::UnCheckAll);
    connect(List, &QListWidget::itemChanged, owner, &TxCheckedComboBox::itemToggled);
}

void TxCheckListDropDown::hideEvent(QHideEvent* e)
{
    QFrame::hideEvent(e);
    owner_->setLook(TDropDownLook::Normal);
    owner_->closedOverButton_ = owner_->buttonRect().contains(owner_->mapFromGlobal(QCursor::pos()));
    owner_->setFocus(Qt::PopupFocusReason);
    emit owner_->OnCloseUp();
}

bool TxCheckListDropDown::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == List && e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        const int key = ke->key();
        if (key == Qt::Key_Escape) {
            hide();
            return true;
        }
        const bool forward = (key == Qt::Key_Tab || key == Qt::Key_Return || key == Qt::Key_Enter)
            && ke->modifiers() == Qt::NoModifier;
        const bool backward = key == Qt::Key_Backtab;
        if (forward || backward) {
            hide();
            owner_->setFocus();
            if (QWidget* w = forward ? owner_->nextInFocusChain() : owner_->previousInFocusChain()) {
                // Walk to the next widget that takes the keyboard.
                QWidget* target = w;
                while (target && target != owner_
                    && !(target->focusPolicy() & Qt::TabFocus && target->isVisible() && target->isEnabled()))
                    target = forward ? target->nextInFocusChain() : target->previousInFocusChain();
                if (target)
                    target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            }
            return true;
        }
    }
    return QFrame::eventFilter(watched, e);
}

// --- the control ----------------------------------------------------------------------------

TxCheckedComboBox::TxCheckedComboBox(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    panel_ = new QLabel(this);
    panel_->setAutoFillBackground(true);
    panel_->setFrameShape(QFrame::Box);
    panel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel_->setFocusPolicy(Qt::NoFocus);
    dropDown_ = new TxCheckListDropDown(this);
    resize(120, 20);
    DropDownWidth = 120;
    relayout();
    refresh();
}

void TxCheckedComboBox::SetItems(const QStringList& items)
{
    items_ = items;
    if (sorted_)
        items_.sort();
    checked_.clear();
    syncing_ = true;
    dropDown_->List->clear();
    for (const QString& text : items_) {
        auto* item = new QListWidgetItem(text, dropDown_->List);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    syncing_ = false;
    refresh();
}

void TxCheckedComboBox::SetSorted(bool on)
{
    sorted_ = on;
    if (on)
        SetItems(items_);
}

void TxCheckedComboBox::SetColumns(int columns)
{
    columns_ = columns;
    if (columns > 1) {
        dropDown_->List->setFlow(QListView::TopToBottom);
        dropDown_->List->setWrapping(true);
    }
}

void TxCheckedComboBox::SetDropDownLines(int lines)
{
    if (lines >= 1 && lines <= 20)
        dropDownLines_ = lines;
}

void TxCheckedComboBox::SetEmptyValue(const QString& text)
{
    emptyValue_ = text;
    refresh();
}

void TxCheckedComboBox::SetDispStyle(TCHBDispStyle s)
{
    dispStyle_ = s;
    refresh();
}

void TxCheckedComboBox::SetMultiSelect(bool on)
{
    multiSelect_ = on;
    dropDown_->SelectAll->setEnabled(on);
}

bool TxCheckedComboBox::IsChecked(int index) const
{
    const QListWidgetItem* item = dropDown_->List->item(index);
    return item && item->checkState() == Qt::Checked;
}

QString TxCheckedComboBox::DisplayText() const
{
    if (checked_.isEmpty())
        return emptyValue_;
    if (dispStyle_ == TCHBDispStyle::dsItems) {
        if (!SortDisplay)
            return CheckedText();
        QStringList ordered;
        for (const QString& item : items_)
            if (checked_.contains(item))
                ordered << item;
        return ordered.join(QLatin1Char(','));
    }
    if (checked_.size() == 1)
        return checked_.front();
    QString text = KensuValueFormat;
    return text.replace(QStringLiteral("%d"), QString::number(checked_.size()));
}

void TxCheckedComboBox::SetChecked(int index, bool on)
{
    if (QListWidgetItem* item = dropDown_->List->item(index))
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void TxCheckedComboBox::itemToggled(QListWidgetItem* item)
{
    if (syncing_)
        return;
    const QString text = item->text();
    if (item->checkState() == Qt::Checked) {
        if (!multiSelect_) {
            syncing_ = true;
            for (int i = 0; i < dropDown_->List->count(); ++i) {
                QListWidgetItem* other = dropDown_->List->item(i);
                if (other != item)
                    other->setCheckState(Qt::Unchecked);
            }
            syncing_ = false;
            checked_.clear();
        }
        if (!checked_.contains(text))
            checked_ << text;
    } else {
        checked_.removeOne(text);
    }
    refresh();
    emit OnChange();
    emit OnClickCheck();
}

void TxCheckedComboBox::CheckAll()
{
    if (!multiSelect_)
        return;
    syncing_ = true;
    for (int i = 0; i < dropDown_->List->count(); ++i)
        dropDown_->List->item(i)->setCheckState(Qt::Checked);
    syncing_ = false;
    checked_ = items_;
    refresh();
    update();
    emit OnChange();
}

void TxCheckedComboBox::UnCheckAll()
{
    syncing_ = true;
    for (int i = 0; i < dropDown_->List->count(); ++i)
        dropDown_->List->item(i)->setCheckState(Qt::Unchecked);
    syncing_ = false;
    checked_.clear();
    refresh();
    emit OnChange();
}

int TxCheckedComboBox::DropLines() const
{
    const int count = static_cast<int>(items_.size());
    int lines = dropDownLines_;
    if (columns_ < 2)
        lines = std::min(lines, count);
    else
        lines = std::min(lines, count / columns_ + 1);
    return std::clamp(lines, 1, 20);
}

bool TxCheckedComboBox::IsDroppedDown() const
{
    return dropDown_->isVisible();
}

void TxCheckedComboBox::DropDown()
{
    setLook(TDropDownLook::Press);
    setFocus(Qt::MouseFocusReason);
    if (items_.isEmpty()) {
        setLook(TDropDownLook::Normal);
        return;
    }
    if (closedOverButton_) {
        closedOverButton_ = false;
        setLook(TDropDownLook::Normal);
        return;
    }
    const int lines = DropLines();
    dropDown_->setFont(font());
    dropDown_->SelectAll->setText(CapSelectAll);
    dropDown_->DeSelectAll->setText(CapDeSelectAll);
    dropDown_->SelectAll->setEnabled(multiSelect_);
    const int itemHeight
        = dropDown_->List->sizeHintForRow(0) > 0 ? dropDown_->List->sizeHintForRow(0) : fontMetrics().height() + 2;
    const int w = std::max(width(), DropDownWidth);
    const int h = itemHeight * lines + 4;
    QPoint at = mapToGlobal(QPoint(0, height()));
    const QScreen* s = screen();
    const int screenHeight = s ? s->geometry().height() : 768;
    if (at.y() + h > screenHeight - 20)
        at = mapToGlobal(QPoint(0, -h));
    dropDown_->setGeometry(at.x(), at.y(), w, h);
    dropDown_->show();
    dropDown_->List->setFocus();
    update();
}

void TxCheckedComboBox::CloseUp()
{
    dropDown_->hide();
}

QRect TxCheckedComboBox::buttonRect() const
{
    const int side = height() - 4;
    return QRect(width() - height() + 2, 2, side, side);
}

void TxCheckedComboBox::relayout()
{
    const int h = fontMetrics().height() + 8;
    if (height() != h)
        resize(width(), h);
    panel_->setGeometry(0, 0, std::max(0, width() - height() - 3), height());
    QPalette pal = panel_->palette();
    pal.setColor(QPalette::Window, hasFocus() ? palette().color(QPalette::Highlight) : QColor(Qt::white));
    pal.setColor(QPalette::WindowText,
        !isEnabled()     ? QColor(0x6D, 0x6D, 0x6D)
            : hasFocus() ? QColor(Qt::white)
                         : palette().color(QPalette::WindowText));
    panel_->setPalette(pal);
    panel_->setEnabled(isEnabled());
    setLook(isEnabled() ? (look_ == TDropDownLook::Gray ? TDropDownLook::Normal : look_) : TDropDownLook::Gray);
}

void TxCheckedComboBox::refresh()
{
    panel_->setText(QStringLiteral(" ") + DisplayText());
}

void TxCheckedComboBox::setLook(TDropDownLook look)
{
    look_ = look;
    update();
}

void TxCheckedComboBox::paintEvent(QPaintEvent*)
{
    // The drop-down button: a square with a small arrow, in four looks.
    QPainter p(this);
    const QRect r = buttonRect();
    QColor face(0xF0, 0xF0, 0xF0);
    QColor arrow(Qt::black);
    switch (look_) {
    case TDropDownLook::Hot:
        face = QColor(0xE5, 0xF1, 0xFB);
        break;
    case TDropDownLook::Press:
        face = QColor(0xCC, 0xE4, 0xF7);
        break;
    case TDropDownLook::Gray:
        arrow = QColor(0xA0, 0xA0, 0xA0);
        break;
    default:
        break;
    }
    p.fillRect(r, face);
    p.setPen(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(Qt::NoPen);
    p.setBrush(arrow);
    const QPointF c = QRectF(r).center();
    const double a = r.width() / 5.0;
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPolygon(QPolygonF(
        {QPointF(c.x() - a, c.y() - a / 2), QPointF(c.x() + a, c.y() - a / 2), QPointF(c.x(), c.y() + a / 2)}));
}

void TxCheckedComboBox::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    relayout();
}

void TxCheckedComboBox::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::EnabledChange)
        relayout();
}

void TxCheckedComboBox::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F4) {
        DropDown();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        focusNextChild();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TxCheckedComboBox::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    if (buttonRect().contains(e->position().toPoint())) {
        DropDown();
        emit OnButtonClick();
    } else {
        emit OnPanelClick();
    }
}

void TxCheckedComboBox::mouseMoveEvent(QMouseEvent* e)
{
    if (isEnabled() && !IsDroppedDown())
        setLook(buttonRect().contains(e->position().toPoint()) ? TDropDownLook::Hot : TDropDownLook::Normal);
    QWidget::mouseMoveEvent(e);
}

void TxCheckedComboBox::leaveEvent(QEvent* e)
{
    if (isEnabled() && !IsDroppedDown())
        setLook(TDropDownLook::Normal);
    QWidget::leaveEvent(e);
}

void TxCheckedComboBox::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    relayout();
}

void TxCheckedComboBox::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    relayout();
}
