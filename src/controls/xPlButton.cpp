#include "controls/xPlButton.h"

#include <QDialog>
#include <QEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>

using controls::toQColor;

namespace {

constexpr int RoundCorner = 10;

void line(QPainter& p, TColorValue c, int x1, int y1, int x2, int y2)
{
    p.setPen(toQColor(c));
    p.drawLine(x1, y1, x2, y2);
}

// One ring of a 3-D edge: top and left in `tl`, bottom and right in `br`.
void edgeRing(QPainter& p, const QRect& r, TColorValue tl, TColorValue br)
{
    line(p, tl, r.left(), r.bottom(), r.left(), r.top());
    line(p, tl, r.left(), r.top(), r.right(), r.top());
    line(p, br, r.right(), r.top(), r.right(), r.bottom());
    line(p, br, r.left(), r.bottom(), r.right(), r.bottom());
}

enum class Edge { Raised, Etched, Bump, FlatBump };

void drawEdge(QPainter& p, const QRect& rect, Edge edge)
{
    using namespace controls;
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    switch (edge) {
    case Edge::Raised:
        edgeRing(p, rect, cl3DLight, cl3DDkShadow);
        edgeRing(p, inner, clBtnHighlight, clBtnShadow);
        break;
    case Edge::Etched:
        edgeRing(p, rect, clBtnShadow, clBtnHighlight);
        edgeRing(p, inner, clBtnHighlight, clBtnShadow);
        break;
    case Edge::Bump:
        edgeRing(p, rect, cl3DLight, cl3DDkShadow);
        edgeRing(p, inner, clBtnShadow, clBtnHighlight);
        break;
    case Edge::FlatBump:
        edgeRing(p, rect, clBtnShadow, clBtnShadow);
        break;
    }
}

void drawFocusRect(QPainter& p, const QRect& r)
{
    QPen pen(QColor(0, 0, 0));
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace

// ----------------------------------------------------------- part classes

void TxPlBtnCaption::SetCaption(const QString& text)
{
    if (text != caption_) {
        caption_ = text;
        owner_->update();
    }
}
void TxPlBtnCaption::SetAlignment(TxPlBtnAlignment value)
{
    alignment_ = value;
    owner_->update();
}
void TxPlBtnCaption::SetLeft(int value)
{
    left_ = value;
    owner_->update();
}
void TxPlBtnCaption::SetRight(int value)
{
    right_ = value;
    owner_->update();
}
void TxPlBtnCaption::Assign(const TxPlBtnCaption& other)
{
    caption_ = other.caption_;
    alignment_ = other.alignment_;
    left_ = other.left_;
    right_ = other.right_;
    owner_->update();
}

bool TxPlBtnImage::SetPicture(const QPixmap& picture, PictureKind kind)
{
    if (kind == pkOther) {
        picture_ = QPixmap();
        kind_ = pkOther;
        owner_->update();
        return false;
    }
    picture_ = picture;
    kind_ = kind;
    owner_->update();
    return true;
}

bool TxPlBtnImage::LoadFromFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const PictureKind kind = suffix == QLatin1String("bmp") ? pkBitmap
        : suffix == QLatin1String("ico")                    ? pkIcon
                                                            : pkOther;
    if (kind == pkOther) {
        return SetPicture(QPixmap(), pkOther);
    }
    QPixmap pm;
    if (!pm.load(path)) {
        return SetPicture(QPixmap(), pkOther);
    }
    return SetPicture(pm, kind);
}

void TxPlBtnImage::SetLeft(int value)
{
    left_ = value;
    horzCenter_ = false;
    owner_->update();
}
void TxPlBtnImage::SetTop(int value)
{
    top_ = value;
    vertCenter_ = false;
    owner_->update();
}
void TxPlBtnImage::SetVisible(bool on)
{
    visible_ = on;
    owner_->update();
}
void TxPlBtnImage::SetTransParent(bool on)
{
    transparent_ = on;
    owner_->update();
}
void TxPlBtnImage::SetVertCenter(bool on)
{
    vertCenter_ = on;
    if (on)
        owner_->update();
}
void TxPlBtnImage::SetHorzCenter(bool on)
{
    horzCenter_ = on;
    if (on)
        owner_->update();
}
void TxPlBtnImage::Assign(const TxPlBtnImage& other)
{
    picture_ = other.picture_;
    kind_ = other.kind_;
    left_ = other.left_;
    top_ = other.top_;
    visible_ = other.visible_;
    transparent_ = other.transparent_;
    vertCenter_ = other.vertCenter_;
    horzCenter_ = other.horzCenter_;
    owner_->update();
}

// ------------------------------------------------------------- the button

TxPlButton::TxPlButton(QWidget* parent)
    : QWidget(parent)
{
    resize(75, 26);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

TxPlButton::~TxPlButton() = default;

void TxPlButton::SetButtonStyle(TxPlButtonStyle value)
{
    style_ = value;
    updateRegion();
    update();
}

void TxPlButton::SetCancel(bool on)
{
    cancel_ = on;
    updateShortcut();
}

void TxPlButton::SetGradation(bool on)
{
    gradation_ = on;
    if (on) {
        parentColor_ = false;
    }
    update();
}
void TxPlButton::SetGradBeginColor(TColorValue c)
{
    gradBegin_ = c;
    update();
}
void TxPlButton::SetGradEndColor(TColorValue c)
{
    gradEnd_ = c;
    update();
}
void TxPlButton::SetColor(TColorValue c)
{
    color_ = c;
    parentColor_ = false;
    update();
}
void TxPlButton::SetParentColor(bool on)
{
    parentColor_ = on;
    update();
}
void TxPlButton::SetHasFocus(bool on)
{
    hasFocus_ = on;
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
    updateShortcut();
    update();
}
void TxPlButton::SetCaptionLineSpace(int value)
{
    lineSpace_ = value;
    update();
}
void TxPlButton::SetCaptionTop(int value)
{
    captionTop_ = value;
    vertCenter_ = false;
    update();
}
void TxPlButton::SetCaptionVertCenter(bool on)
{
    vertCenter_ = on;
    update();
}
void TxPlButton::SetFlatFrameType(TxPlBtnFrameType value)
{
    frameType_ = value;
    update();
}

void TxPlButton::updateShortcut()
{
    // Esc presses a Cancel button from anywhere on its window.
    const bool wanted = cancel_ && hasFocus_;
    if (wanted && escShortcut_ == nullptr) {
        escShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        escShortcut_->setContext(Qt::WindowShortcut);
        connect(escShortcut_, &QShortcut::activated, this, [this] {
            if (isEnabled() && isVisible())
                Click();
        });
    } else if (!wanted && escShortcut_ != nullptr) {
        delete escShortcut_;
        escShortcut_ = nullptr;
    }
}

void TxPlButton::updateRegion()
{
    if (style_ == TxPlButtonStyle::bsRoundRect || style_ == TxPlButtonStyle::bsRoundRectNoFrame) {
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, width() + 1, height() + 1), RoundCorner / 2.0, RoundCorner / 2.0);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    } else {
        clearMask();
    }
}

void TxPlButton::Click()
{
    pressed_ = false;
    auto* dialog = qobject_cast<QDialog*>(window());
    if (dialog != nullptr && modalResult_ != 0) {
        dialog->setResult(modalResult_);
    }
    emit OnClick();
    if (dialog != nullptr && modalResult_ != 0 && dialog->isVisible()) {
        dialog->done(modalResult_);
    }
    update();
}

void TxPlButton::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    if (hasFocus_) {
        setFocus(Qt::MouseFocusReason);
    }
    pressed_ = true;
    update();
}

void TxPlButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    const bool wasPressed = pressed_;
    pressed_ = false;
    update();
    if (wasPressed && rect().contains(e->position().toPoint())) {
        Click();
    }
}

void TxPlButton::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && isEnabled() && hasFocus_
        && (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0) {
        e->accept();
        pressed_ = true;
        Click();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TxPlButton::keyReleaseEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        pressed_ = false;
        update();
        e->accept();
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void TxPlButton::enterEvent(QEnterEvent* e)
{
    emit OnMouseEnter(Qt::NoModifier, e->position().toPoint());
    if (QWidget::mouseGrabber() == this)
        update();
}

void TxPlButton::leaveEvent(QEvent*)
{
    emit OnMouseLeave(Qt::NoModifier, mapFromGlobal(QCursor::pos()));
    pressed_ = false;
    update();
}

void TxPlButton::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    updateRegion();
}

void TxPlButton::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::PaletteChange) {
        update();
    }
}

void TxPlButton::showEvent(QShowEvent* e)
{
    // A new button shows its name until a caption is set.
    if (!namedOnce_) {
        namedOnce_ = true;
        if (captionA_.Caption().isEmpty() && captionB_.Caption().isEmpty() && !objectName().isEmpty()) {
            captionA_.SetCaption(objectName());
        }
    }
    QWidget::showEvent(e);
}

void TxPlButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintTo(p);
}

void TxPlButton::paintTo(QPainter& p)
{
    using namespace controls;
    const int w = width();
    const int h = height();
    const bool down = pressed_ && hasFocus_;

    // 1. Background.
    if (gradation_) {
        for (int y = 0; y < h; ++y) {
            p.setPen(gradationRow(gradBegin_, gradEnd_, y, h));
            p.drawLine(0, y, w - 1, y);
        }
    } else {
        const QColor bg = parentColor_ && parentWidget() != nullptr ? parentWidget()->palette().color(QPalette::Window)
                                                                    : toQColor(color_);
        p.fillRect(rect(), bg);
    }

    // 2. Picture.
    if (image_.Visible() && image_.HasPicture()) {
        const QPixmap& pm = image_.Picture();
        int left = image_.Left();
        int top = image_.Top();
        if (image_.VertCenter())
            top = (h - pm.height()) / 2;
        if (image_.HorzCenter())
            left = (w - pm.width()) / 2;
        if (image_.Kind() == TxPlBtnImage::pkBitmap && image_.TransParent()) {
            QPixmap masked = pm;
            // The bottom-left pixel's colour is the transparent one.
            const QColor key = pm.toImage().pixelColor(0, pm.height() - 1);
            masked.setMask(pm.createMaskFromColor(key, Qt::MaskInColor));
            p.drawPixmap(left, top, masked);
        } else {
            const int d = down ? 1 : 0;
            if (!isEnabled() && hasFocus_) {
                p.drawPixmap(left + d, top + d, QIcon(pm).pixmap(pm.size(), QIcon::Disabled));
            } else {
                p.drawPixmap(left + d, top + d, pm);
            }
        }
    }

    // 3.-5. Caption lines.
    p.setFont(font());
    const QFontMetrics fm(font());
    const int lineHeight = fm.height();
    const QString a = captionA_.Caption();
    const QString b = captionB_.Caption();
    int topA = captionTop_;
    int topB = 0;
    if (vertCenter_) {
        if (!b.isEmpty()) {
            topA = (h - 2 * lineHeight - lineSpace_) / 2;
        } else {
            topA = (h - lineHeight) / 2 + 1;
        }
        captionTop_ = topA;
        if (a.isEmpty() && !b.isEmpty()) {
            topB = (h - lineHeight) / 2;
            captionTop_ = topB;
        } else {
            topB = topA + lineHeight + lineSpace_;
        }
    } else {
        topB = captionTop_ + (a.isEmpty() ? 0 : lineHeight + lineSpace_);
    }
    const int shift = down ? 1 : 0;
    auto drawLineText = [&](const TxPlBtnCaption& cap, int top) {
        const QString text = cap.Caption();
        if (text.isEmpty())
            return;
        // "&" marks the accelerator letter (drawn underlined), "&&" is a "&".
        const QString plain = controls::stripMnemonic(text);
        const int textWidth = fm.horizontalAdvance(plain);
        auto drawAt = [&](int dx, int dy, const QColor& colour) {
            p.setPen(colour);
            const int y = top + dy;
            auto drawSpan = [&](int x) {
                p.drawText(
                    QRect(x, y, textWidth + 2, lineHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text);
            };
            switch (cap.Alignment()) {
            case TxPlBtnAlignment::taLeft:
                drawSpan(cap.Left() + 2 + dx);
                break;
            case TxPlBtnAlignment::taRight:
                drawSpan(w - cap.Right() - 2 - textWidth + dx);
                break;
            case TxPlBtnAlignment::taCenter:
                drawSpan(w / 2 - textWidth / 2 + dx);
                break;
            case TxPlBtnAlignment::taEven: {
                std::vector<int> widths;
                for (QChar c : plain)
                    widths.push_back(fm.horizontalAdvance(c));
                const auto xs = evenCharPositions(widths, cap.Left() + 2, w - cap.Right() - 2);
                for (qsizetype i = 0; i < plain.size(); ++i) {
                    p.drawText(xs[static_cast<std::size_t>(i)] + dx, y + fm.ascent(), QString(plain.at(i)));
                }
                break;
            }
            }
        };
        if (!isEnabled() && hasFocus_) {
            drawAt(1, 1, toQColor(clBtnHighlight));
            drawAt(0, 0, toQColor(clBtnShadow));
        } else {
            drawAt(shift, shift, isEnabled() ? palette().color(QPalette::ButtonText) : toQColor(clGrayText));
        }
    };
    drawLineText(captionA_, topA);
    drawLineText(captionB_, topB);

    // 6. Frame.
    const QRect r = rect();
    switch (style_) {
    case TxPlButtonStyle::bsNormal:
        if (down) {
            p.setBrush(Qt::NoBrush);
            p.setPen(toQColor(clBtnShadow));
            p.drawRect(r.adjusted(0, 0, -1, -1));
            p.setPen(toQColor(clGray));
            p.drawRect(r.adjusted(1, 1, -2, -2));
        } else {
            drawEdge(p, r, Edge::Raised);
        }
        break;
    case TxPlButtonStyle::bsFlat:
        drawEdge(p, r,
            frameType_ == TxPlBtnFrameType::bffFlat         ? Edge::FlatBump
                : frameType_ == TxPlBtnFrameType::bffEtched ? Edge::Etched
                                                            : Edge::Bump);
        break;
    case TxPlButtonStyle::bsRoundRect:
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(Qt::NoBrush);
        p.setPen(QColor(0x75, 0x75, 0x75));
        p.drawRoundedRect(QRect(0, 0, w - 1, h - 1), RoundCorner / 2.0, RoundCorner / 2.0);
        break;
    case TxPlButtonStyle::bsFlatNoFrame:
    case TxPlButtonStyle::bsRoundRectNoFrame:
        break;
    }

    // 7. Focus mark.
    if (hasFocus() && hasFocus_) {
        if (style_ == TxPlButtonStyle::bsRoundRect || style_ == TxPlButtonStyle::bsRoundRectNoFrame) {
            QPen pen(QColor(0x20, 0x20, 0x20));
            pen.setStyle(Qt::DotLine);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRect(2, 2, w - 5, h - 5), 4, 4);
        } else {
            QRect fr = r.adjusted(3, 3, -3, -3);
            if (style_ == TxPlButtonStyle::bsFlat && frameType_ == TxPlBtnFrameType::bffBump)
                fr.adjust(0, 0, 1, 1);
            if (style_ == TxPlButtonStyle::bsFlat && frameType_ == TxPlBtnFrameType::bffEtched)
                fr.adjust(0, 0, -1, -1);
            drawFocusRect(p, fr);
        }
    }
}

std::vector<int> controls::evenCharPositions(const std::vector<int>& charWidths, int spanLeft, int spanRight)
{
    std::vector<int> xs;
    const int n = static_cast<int>(charWidths.size());
    if (n == 0)
        return xs;
    int total = 0;
    for (int cw : charWidths)
        total += cw;
    const int span = spanRight - spanLeft;
    if (n == 1) {
        xs.push_back(spanLeft + (span - total) / 2);
        return xs;
    }
    const int gap = (span - total) / (n - 1);
    const int rem = (span - total) % (n - 1);
    int x = spanLeft;
    for (int i = 0; i < n; ++i) {
        xs.push_back(x);
        int g = gap;
        if (i < std::abs(rem))
            g += rem > 0 ? 1 : -1;
        x += charWidths[static_cast<std::size_t>(i)] + g;
    }
    return xs;
}

QString controls::stripMnemonic(const QString& caption)
{
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i; // "&x" shows x, "&&" shows "&"
        }
        out += caption.at(i);
    }
    return out;
}

QColor controls::gradationRow(TColorValue begin, TColorValue end, int y, int height)
{
    const QColor b = toQColor(begin);
    const QColor e = toQColor(end);
    if (height <= 1)
        return b;
    auto ch = [&](int cb, int ce) { return cb + (ce - cb) * y / (height - 1); };
    return QColor(ch(b.red(), e.red()), ch(b.green(), e.green()), ch(b.blue(), e.blue()));
}

bool TxPlButton::HasOnClick() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&TxPlButton::OnClick));
}
