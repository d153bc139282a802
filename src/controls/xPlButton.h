#pragma once
// The painted push button of the dialogs: a vertical colour gradation, an
// optional picture, up to two caption lines, five frame styles, and a modal
// result handed to its form when clicked.

#include "controls/ColorUtil.h"

#include <QPixmap>
#include <QWidget>

#include <vector>

class QShortcut;
class TxPlButton;

enum class TxPlButtonStyle { bsNormal, bsFlat, bsFlatNoFrame, bsRoundRect, bsRoundRectNoFrame };
enum class TxPlBtnAlignment { taCenter, taLeft, taRight, taEven };
enum class TxPlBtnFrameType { bffFlat, bffEtched, bffBump };

class TxPlBtnCaption {
public:
    explicit TxPlBtnCaption(TxPlButton* owner)
        : owner_(owner)
    {
    }
    QString Caption() const { return caption_; }
    void SetCaption(const QString& text);
    TxPlBtnAlignment Alignment() const { return alignment_; }
    void SetAlignment(TxPlBtnAlignment value);
    int Left() const { return left_; }
    void SetLeft(int value);
    int Right() const { return right_; }
    void SetRight(int value);
    void Assign(const TxPlBtnCaption& other);

private:
    TxPlButton* owner_;
    QString caption_;
    TxPlBtnAlignment alignment_ = TxPlBtnAlignment::taCenter;
    int left_ = 0;
    int right_ = 0;
};

class TxPlBtnImage {
public:
    enum PictureKind { pkBitmap, pkIcon, pkOther };
    explicit TxPlBtnImage(TxPlButton* owner)
        : owner_(owner)
    {
    }

    // Only a bitmap or an icon is kept; any other kind of picture is
    // dropped and leaves the image empty. Returns whether it was kept.
    bool SetPicture(const QPixmap& picture, PictureKind kind);
    // Loads a .bmp or .ico file; other formats are refused.
    bool LoadFromFile(const QString& path);
    const QPixmap& Picture() const { return picture_; }
    PictureKind Kind() const { return kind_; }
    bool HasPicture() const { return !picture_.isNull(); }

    int Left() const { return left_; }
    void SetLeft(int value);
    int Top() const { return top_; }
    void SetTop(int value);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    bool TransParent() const { return transparent_; }
    void SetTransParent(bool on);
    bool VertCenter() const { return vertCenter_; }
    void SetVertCenter(bool on);
    bool HorzCenter() const { return horzCenter_; }
    void SetHorzCenter(bool on);
    void Assign(const TxPlBtnImage& other);

private:
    TxPlButton* owner_;
    QPixmap picture_;
    PictureKind kind_ = pkOther;
    int left_ = 10;
    int top_ = 0;
    bool visible_ = true;
    bool transparent_ = false;
    bool vertCenter_ = true;
    bool horzCenter_ = false;
};

class TxPlButton : public QWidget {
    Q_OBJECT
public:
    explicit TxPlButton(QWidget* parent = nullptr);
    ~TxPlButton() override;

    TxPlButtonStyle ButtonStyle() const { return style_; }
    void SetButtonStyle(TxPlButtonStyle value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool on);
    bool Gradation() const { return gradation_; }
    void SetGradation(bool on);
    TColorValue GradBeginColor() const { return gradBegin_; }
    void SetGradBeginColor(TColorValue c);
    TColorValue GradEndColor() const { return gradEnd_; }
    void SetGradEndColor(TColorValue c);
    TColorValue Color() const { return color_; }
    void SetColor(TColorValue c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool on);
    bool HasFocus() const { return hasFocus_; }
    void SetHasFocus(bool on);
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    TxPlBtnImage& Image() { return image_; }
    TxPlBtnCaption& CaptionA() { return captionA_; }
    TxPlBtnCaption& CaptionB() { return captionB_; }
    int CaptionLineSpace() const { return lineSpace_; }
    void SetCaptionLineSpace(int value);
    int CaptionTop() const { return captionTop_; }
    void SetCaptionTop(int value);
    bool CaptionVertCenter() const { return vertCenter_; }
    void SetCaptionVertCenter(bool on);
    TxPlBtnFrameType FlatFrameType() const { return frameType_; }
    void SetFlatFrameType(TxPlBtnFrameType value);

    bool IsPressed() const { return pressed_; }
    // Clicks the button as a mouse click or Enter would.
    void Click();
    // Whether anything handles OnClick (F12 presses only such a button).
    bool HasOnClick() const;

    QSize sizeHint() const override { return {75, 26}; }

signals:
    void OnClick();
    void OnMouseEnter(Qt::KeyboardModifiers shift, QPoint pos);
    void OnMouseLeave(Qt::KeyboardModifiers shift, QPoint pos);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    friend class TxPlBtnCaption;
    friend class TxPlBtnImage;
    void updateRegion();
    void updateShortcut();
    void paintTo(QPainter& p);

    TxPlButtonStyle style_ = TxPlButtonStyle::bsNormal;
    bool cancel_ = false;
    bool gradation_ = true;
    TColorValue gradBegin_ = 0xFFFFFF;
    TColorValue gradEnd_ = 0xC0C0C0;
    TColorValue color_ = controls::clBtnFace;
    bool parentColor_ = false;
    bool hasFocus_ = true;
    int modalResult_ = 0;
    TxPlBtnImage image_ {this};
    TxPlBtnCaption captionA_ {this};
    TxPlBtnCaption captionB_ {this};
    int lineSpace_ = 4;
    int captionTop_ = 0;
    bool vertCenter_ = true;
    TxPlBtnFrameType frameType_ = TxPlBtnFrameType::bffFlat;
    bool pressed_ = false;
    bool namedOnce_ = false;
    QShortcut* escShortcut_ = nullptr;
};

namespace controls {

// Left edges of the characters of an evenly spread caption: the span from
// spanLeft to spanRight holds the characters with equal gaps, the remainder
// of the division going one pixel each to the first gaps (taken away when
// negative). A single character is centred in the span.
std::vector<int> evenCharPositions(const std::vector<int>& charWidths, int spanLeft, int spanRight);

// A caption as shown: "&x" is x with an underline, "&&" a single "&".
QString stripMnemonic(const QString& caption);

// Colour of row y of a gradation of the given height (integer channels).
QColor gradationRow(TColorValue begin, TColorValue end, int y, int height);

} // namespace controls
