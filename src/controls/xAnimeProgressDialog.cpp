#include "controls/xAnimeProgressDialog.h"

#include "controls/xPlButton.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

constexpr int kClientWidth = 380;
constexpr int kClientHeight = 100;
constexpr int kFrames = 8;

// The stand-in for the system animations: eight dots going round, the
// current one dark.
QPixmap indicator(int frame, bool active)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < kFrames; ++i) {
        const double angle = 2 * M_PI * i / kFrames;
        const QPointF c(16 + 11 * std::cos(angle), 16 + 11 * std::sin(angle));
        const int age = (frame - i + kFrames) % kFrames;
        const int shade = active ? std::min(200, 40 + age * 25) : 160;
        p.setBrush(QColor(shade, shade, std::min(255, shade + 40)));
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, 3.2, 3.2);
    }
    return pm;
}

} // namespace

// --- TxProgressForm ------------------------------------------------------------------

TxProgressForm::TxProgressForm(QWidget* owner)
    : QDialog(owner)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(kClientWidth, kClientHeight);
}

void TxProgressForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (OnShowMessage) {
        auto work = OnShowMessage;
        OnShowMessage = nullptr;
        QMetaObject::invokeMethod(
            this, [work] { work(); }, Qt::QueuedConnection);
    }
}

void TxProgressForm::closeEvent(QCloseEvent* e)
{
    if (OnCloseEvent)
        OnCloseEvent();
    QDialog::closeEvent(e);
}

void TxProgressForm::keyPressEvent(QKeyEvent* e)
{
    // Esc does not close the window; only Cancel or the caller does.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

// --- TxAnimeProgressDialog -----------------------------------------------------------

TxAnimeProgressDialog::TxAnimeProgressDialog(QObject* owner)
    : QObject(owner)
{
}

TxAnimeProgressDialog::~TxAnimeProgressDialog()
{
    if (parentDisabled_ && parentHandle_)
        parentHandle_->setEnabled(true);
    if (registered_ && core::activeProgress() == this)
        core::setActiveProgress(previousProgress_);
    delete form_.data();
}

void TxAnimeProgressDialog::SetCaption(const QString& text)
{
    caption_ = text;
    if (form_)
        form_->setWindowTitle(text);
}

void TxAnimeProgressDialog::SetInfoLabel(const QString& text)
{
    info_ = text;
    if (!form_)
        return;
    form_->Label->setText(text);
    advance();
    // The caller keeps the main thread busy: paint now.
    form_->repaint();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void TxAnimeProgressDialog::SetLabelPosition(TxLabelPosition p)
{
    labelPosition_ = p;
    if (form_)
        placeLabel();
}

void TxAnimeProgressDialog::SetCommonAVI(TCommonAVI kind)
{
    commonAvi_ = kind;
    if (form_)
        loadAnimation();
}

void TxAnimeProgressDialog::SetAviFile(const QString& file)
{
    aviFile_ = file;
    if (form_)
        loadAnimation();
}

void TxAnimeProgressDialog::SetAnimeActive(bool on)
{
    animeActive_ = on;
    if (!form_)
        return;
    if (movie_)
        movie_->setPaused(!on);
    if (timer_) {
        if (on)
            timer_->start();
        else
            timer_->stop();
    }
    advance();
}

void TxAnimeProgressDialog::PlayAnime(bool active)
{
    if (!form_ || (commonAvi_ == TCommonAVI::aviNone && aviFile_.isEmpty()))
        return;
    SetAnimeActive(active);
    form_->repaint();
}

void TxAnimeProgressDialog::advance()
{
    if (!form_ || movie_ || commonAvi_ == TCommonAVI::aviNone)
        return;
    if (animeActive_)
        frame_ = (frame_ + 1) % kFrames;
    form_->Animation->setPixmap(indicator(frame_, animeActive_));
}

void TxAnimeProgressDialog::loadAnimation()
{
    delete movie_;
    movie_ = nullptr;
    form_->Animation->clear();
    // A file that does not exist (or that no reader here can play) is
    // dropped; the system animation, if any, stands.
    if (!aviFile_.isEmpty() && QFileInfo::exists(aviFile_)) {
        auto* movie = new QMovie(aviFile_, QByteArray(), form_->Animation);
        if (movie->isValid()) {
            movie_ = movie;
            movie_->setScaledSize(QSize(32, 32));
            form_->Animation->setMovie(movie_);
            movie_->start();
            movie_->setPaused(!animeActive_);
            return;
        }
        delete movie;
    }
    if (commonAvi_ != TCommonAVI::aviNone)
        form_->Animation->setPixmap(indicator(frame_, animeActive_));
}

void TxAnimeProgressDialog::placeLabel()
{
    auto* anim = form_->Animation;
    auto* label = form_->Label;
    if (labelPosition_ == TxLabelPosition::xlpRight)
        label->move(60, 24);
    else
        label->move(20, 52);
    anim->move(20, 16);
    if (!cancelBtnShow_) {
        const int half = kClientHeight / 2;
        anim->move(anim->x(), half - 20);
        label->move(label->x(), labelPosition_ == TxLabelPosition::xlpRight ? half - 8 : half + 20);
    }
}

void TxAnimeProgressDialog::layoutForm()
{
    form_->setWindowTitle(caption_);
    form_->OnCloseEvent = [this] {
        if (OnClose)
            OnClose(this);
    };
    form_->Animation = new QLabel(form_);
    form_->Animation->setGeometry(20, 16, 32, 32);
    form_->Animation->setAlignment(Qt::AlignCenter);
    form_->Label = new QLabel(info_, form_);
    // As high as "Wq" in the window's font: the real font decides.
    form_->Label->resize(300, form_->fontMetrics().boundingRect(QStringLiteral("Wq")).height() + 2);
    loadAnimation();
    cancelled_ = false;
    if (cancelBtnShow_) {
        form_->CancelButton = new TxPlButton(form_);
        form_->CancelButton->CaptionA().SetCaption(QStringLiteral("キャンセル"));
        form_->CancelButton->setGeometry(152, 67, 76, 23);
        connect(form_->CancelButton, &TxPlButton::OnClick, this, [this] { cancelled_ = true; });
    }
    placeLabel();
    if (!timer_) {
        timer_ = new QTimer(this);
        timer_->setInterval(100);
        connect(timer_, &QTimer::timeout, this, [this] { advance(); });
    }
}

void TxAnimeProgressDialog::centreOver(QWidget* parent)
{
    const QRect ref = parent->frameGeometry();
    if (ref.width() == 0 && ref.height() == 0) {
        QScreen* s = QGuiApplication::primaryScreen();
        if (s)
            form_->move(s->availableGeometry().center() - QPoint(form_->width() / 2, form_->height() / 2));
        form_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        return;
    }
    form_->move(ref.x() + (ref.width() - form_->width()) / 2, ref.y() + (ref.height() - form_->height()) / 2);
}

void TxAnimeProgressDialog::Show(QWidget* parentForm)
{
    parentForm_ = parentForm;
    if (parentForm)
        parentHandle_ = parentForm->window();
    try {
        if (!form_) {
            form_ = new TxProgressForm(parentHandle_ ? parentHandle_.data() : nullptr);
            if (parentForm)
                form_->setFont(parentForm->font());
            layoutForm();
        }
        showing_ = true;
        if (!registered_) {
            previousProgress_ = core::setActiveProgress(this);
            registered_ = true;
        }
        PlayAnime(true);
        if (OnShow) {
            pending_ = nullptr;
            TxProgressForm* form = form_;
            form->OnShowMessage = [this, form] {
                try {
                    OnShow(form);
                } catch (...) {
                    pending_ = std::current_exception();
                }
                form->done(1);
            };
            if (parentHandle_)
                centreOver(parentHandle_);
            form->exec();
            if (timer_)
                timer_->stop();
            movie_ = nullptr; // goes with the window
            delete form_.data();
            // The modal show has ended: nothing is shown any more, so the
            // component does not claim to be (the original left Showing set
            // until a separate Hide).
            showing_ = false;
            if (registered_ && core::activeProgress() == this)
                core::setActiveProgress(previousProgress_);
            registered_ = false;
        } else if (parentHandle_) {
            centreOver(parentHandle_);
            parentHandle_->setEnabled(false);
            parentDisabled_ = true;
            form_->setEnabled(true);
            form_->show();
        } else {
            form_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            form_->show();
        }
    } catch (...) {
        QCoreApplication::processEvents();
        throw;
    }
    QCoreApplication::processEvents();
    // A short pause without event processing, as callers expect of Show.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (pending_) {
        auto e = pending_;
        pending_ = nullptr;
        std::rethrow_exception(e);
    }
}

void TxAnimeProgressDialog::Hide()
{
    if (parentDisabled_ && parentHandle_)
        parentHandle_->setEnabled(true);
    parentDisabled_ = false;
    showing_ = false;
    if (timer_)
        timer_->stop();
    movie_ = nullptr; // goes with the window
    delete form_.data();
    if (registered_ && core::activeProgress() == this)
        core::setActiveProgress(previousProgress_);
    registered_ = false;
}
