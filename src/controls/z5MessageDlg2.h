#pragma once
// The standard message box: an icon by kind, a caption, up to ten coloured
// lines that may be links, up to three buttons of the standard set and an
// optional agree box. ShowMessage2 reaches it once installMessageBoxHandler
// has made it the message service's handler.

#include "core/MessageService.h"

#include <QDialog>
#include <QLabel>

#include <array>

class TxCheckBox;
class TxPlButton;

// A caption line that can act as a link.
class TMessageLineLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

class TMessageBox2 : public QDialog {
    Q_OBJECT
public:
    explicit TMessageBox2(QWidget* owner = nullptr);

    // Hands the message over and lays the box out. With a message number
    // other than 0 the catalogue entry replaces the record's content.
    void SetMessage(std::int32_t number, const TMessage2InfoRec& rec);
    void LayoutBox();

    const TMessage2InfoRec& Record() const { return rec_; }
    bool AgreeChecked() const;
    int AgreeMode() const { return agreeMode_; }

    TMessageLineLabel* Label(int index) const { return labels_.at(static_cast<std::size_t>(index)); }
    TxPlButton* Button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }
    TxCheckBox* AgreeBox() const { return btnAgree_; }
    QLabel* Image() const { return image1_; }
    QWidget* ClientPanel() const { return pnlClient_; }
    QWidget* AgreePanel() const { return pnlAgree_; }
    QWidget* BottomPanel() const { return pnlBottom_; }

    // The text Ctrl+C puts onto the clipboard.
    QString ClipboardText() const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    bool handleKey(QKeyEvent* e);
    int scaled(int value) const;
    void btnAgreeClick();

    std::int32_t number_ = 0;
    TMessage2InfoRec rec_;
    int agreeMode_ = 0;
    QString agreeCaption_;
    bool agreeTick_ = false;
    QWidget* pnlClient_ = nullptr;
    QWidget* pnlAgree_ = nullptr;
    QWidget* pnlBottom_ = nullptr;
    QLabel* image1_ = nullptr;
    std::array<TMessageLineLabel*, 10> labels_ {};
    std::array<TxPlButton*, 3> buttons_ {};
    TxCheckBox* btnAgree_ = nullptr;
};

namespace controls {

// Fills rec (already reset as an information message) from the catalogue
// entry of number; false when the catalogue holds no such entry.
bool message2Catalogue(std::int32_t number, TMessage2InfoRec& rec);

// Caption of a standard button bit (0..10).
QString messageButtonCaption(int bit);

// Makes the Qt message box the message service's handler; returns the
// handler it replaces.
core::MessageHandler installMessageBoxHandler();

// Shows rec in a TMessageBox2 owned by the active window and returns the
// modal result; the agree tick is written back into rec.
int showMessageBox2(TMessage2InfoRec& rec);

} // namespace controls
