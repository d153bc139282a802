#pragma once
// The animated progress window: a small window with a caption, an
// animation, one information line and optionally a Cancel button, shown
// while a long step runs on the main thread. While it is shown it is the
// progress window core's long steps report to (core/ProgressService.h).
//
// The work runs on the main thread, so the window is repainted when the
// information line changes and whenever the work lets the event loop run;
// the indicator moves on both.

#include "core/ProgressService.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <exception>
#include <functional>

class QLabel;
class QMovie;
class QTimer;
class TxPlButton;

enum class TxLabelPosition { xlpRight, xlpBottom };
enum class TCommonAVI {
    aviNone,
    aviFindFolder,
    aviFindFile,
    aviFindComputer,
    aviCopyFiles,
    aviCopyFile,
    aviRecycleFile,
    aviEmptyRecycle,
    aviDeleteFile
};

// The window built while the dialog is shown.
class TxProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TxProgressForm(QWidget* owner);
    QLabel* Animation = nullptr;
    QLabel* Label = nullptr;
    TxPlButton* CancelButton = nullptr;
    std::function<void()> OnShowMessage; // the modal variant's work
    std::function<void()> OnCloseEvent;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

class TxAnimeProgressDialog : public QObject, public TActiveProgress {
    Q_OBJECT
public:
    explicit TxAnimeProgressDialog(QObject* owner = nullptr);
    ~TxAnimeProgressDialog() override;

    TxProgressForm* Form() const { return form_.data(); }
    bool Showing() const { return showing_; }
    bool Cancelled() const { return cancelled_; }

    QWidget* ParentHandle() const { return parentHandle_.data(); }
    void SetParentHandle(QWidget* w) { parentHandle_ = w; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString& text);
    QString InfoLabel() const { return info_; }
    void SetInfoLabel(const QString& text);
    TxLabelPosition LabelPosition() const { return labelPosition_; }
    void SetLabelPosition(TxLabelPosition p);
    TCommonAVI CommonAVI() const { return commonAvi_; }
    void SetCommonAVI(TCommonAVI kind);
    QString AviFile() const { return aviFile_; }
    void SetAviFile(const QString& file);
    bool AnimeActive() const { return animeActive_; }
    void SetAnimeActive(bool on) override;
    bool CancelBtnShow() const { return cancelBtnShow_; }
    void SetCancelBtnShow(bool on) { cancelBtnShow_ = on; }
    // When set, Show becomes modal and runs this inside the window's loop.
    std::function<void(TxProgressForm*)> OnShow;
    std::function<void(TxAnimeProgressDialog*)> OnClose;

    void Show(QWidget* parentForm);
    void Hide();
    void PlayAnime(bool active);

    // The indicator's frame (it moves on each information line and timer tick).
    int AnimeFrame() const { return frame_; }

    // TActiveProgress
    void SetInfoLabel(const std::string& text) override { SetInfoLabel(QString::fromStdString(text)); }
    bool IsCancelled() const override { return cancelled_; }

private:
    void layoutForm();
    void loadAnimation();
    void placeLabel();
    void advance();
    void centreOver(QWidget* parent);

    QPointer<QWidget> parentForm_;
    QPointer<QWidget> parentHandle_;
    QPointer<TxProgressForm> form_;
    QMovie* movie_ = nullptr;
    QTimer* timer_ = nullptr;
    QString caption_;
    QString info_;
    TxLabelPosition labelPosition_ = TxLabelPosition::xlpRight;
    TCommonAVI commonAvi_ = TCommonAVI::aviNone;
    QString aviFile_;
    bool animeActive_ = false;
    bool cancelBtnShow_ = true;
    bool showing_ = false;
    bool cancelled_ = false;
    bool parentDisabled_ = false;
    int frame_ = 0;
    TActiveProgress* previousProgress_ = nullptr;
    bool registered_ = false;
    std::exception_ptr pending_;
};
