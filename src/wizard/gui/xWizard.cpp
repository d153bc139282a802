#include "wizard/gui/xWizard.h"

#include <QAbstractButton>
#include <QLabel>

TxWizard::TxWizard(QWidget* parent)
    : QStackedWidget(parent)
{
    if (NextButtonCap.isEmpty())
        NextButtonCap = QString::fromUtf8("次へ(&N) >");
    if (NextButtonFinCap.isEmpty())
        NextButtonFinCap = QString::fromUtf8("完了(&F)");
    if (BackButtonCap.isEmpty())
        BackButtonCap = QString::fromUtf8("< 戻る(&B)");
    connect(this, &QStackedWidget::currentChanged, this, &TxWizard::pageChanged);
}

void TxWizard::setNextButton(QAbstractButton* button)
{
    if (next_ != nullptr)
        disconnect(next_, &QAbstractButton::clicked, this, nullptr);
    next_ = button;
    if (next_ == nullptr)
        return;
    // The step-forward routine replaces whatever the button did on a click.
    disconnect(next_, &QAbstractButton::clicked, nullptr, nullptr);
    connect(next_, &QAbstractButton::clicked, this, [this] { nextClick(); });
    next_->setText(count() == 1 ? NextButtonFinCap : NextButtonCap);
}

void TxWizard::setBackButton(QAbstractButton* button)
{
    if (back_ != nullptr)
        disconnect(back_, &QAbstractButton::clicked, this, nullptr);
    back_ = button;
    if (back_ == nullptr)
        return;
    disconnect(back_, &QAbstractButton::clicked, nullptr, nullptr);
    connect(back_, &QAbstractButton::clicked, this, [this] { backClick(); });
    back_->hide();
    back_->setText(BackButtonCap);
}

void TxWizard::setLblHeader(QLabel* label)
{
    lblHeader_ = label;
    showCaptions();
}

void TxWizard::setLblInfo(QLabel* label)
{
    lblInfo_ = label;
    showCaptions();
}

void TxWizard::setHeaderCaption(const QStringList& lines)
{
    header_ = lines;
}
void TxWizard::setInfoCaption(const QStringList& lines)
{
    info_ = lines;
}

int TxWizard::addPage(const QString& name, QWidget* page)
{
    page->setObjectName(name);
    return addWidget(page);
}

bool TxWizard::deletePage(const QString& name)
{
    const int i = pageIndexOf(name);
    return i >= 0 && deletePage(widget(i));
}

bool TxWizard::deletePage(QWidget* page)
{
    if (page == nullptr || indexOf(page) < 0)
        return false;
    removeWidget(page);
    delete page;
    if (next_ != nullptr)
        next_->setText(count() == pageIndex() + 1 ? NextButtonFinCap : NextButtonCap);
    return true;
}

QStringList TxWizard::pageNames() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names << widget(i)->objectName();
    return names;
}

QString TxWizard::pageName(int index) const
{
    QWidget* w = widget(index);
    return w != nullptr ? w->objectName() : QString();
}

int TxWizard::pageIndexOf(const QString& name) const
{
    for (int i = 0; i < count(); ++i)
        if (widget(i)->objectName() == name)
            return i;
    return -1;
}

void TxWizard::setPageIndex(int index)
{
    setCurrentIndex(index);
}

void TxWizard::setActivePage(const QString& name)
{
    const int i = pageIndexOf(name);
    if (i >= 0)
        setCurrentIndex(i);
}

void TxWizard::showCaptions()
{
    const int i = currentIndex();
    if (lblHeader_ != nullptr && i >= 0 && i < header_.size())
        lblHeader_->setText(header_.at(i));
    if (lblInfo_ != nullptr && i >= 0 && i < info_.size())
        lblInfo_->setText(info_.at(i));
}

void TxWizard::nextClick()
{
    const bool wasLast = count() == pageIndex() + 1;
    bool allow = true;
    emit nextClicking(false, &allow);
    if (!allow)
        return;
    bool finalState = false;
    if (count() == 1 || wasLast) {
        finalState = true;
    } else {
        setCurrentIndex(pageIndex() + 1);
        showCaptions();
        if (back_ != nullptr)
            back_->show();
    }
    if (count() == pageIndex() + 1 && next_ != nullptr)
        next_->setText(NextButtonFinCap);
    emit nextClicked(finalState);
}

void TxWizard::backClick()
{
    if (count() == 1 || pageIndex() == 0) {
        if (back_ != nullptr)
            back_->hide();
    } else {
        setCurrentIndex(pageIndex() - 1);
        showCaptions();
        if (next_ != nullptr)
            next_->setText(NextButtonCap);
        if (pageIndex() == 0 && count() > 1 && back_ != nullptr)
            back_->hide();
    }
    emit backClicked();
}
