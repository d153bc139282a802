#pragma once
// The preview window "印刷ﾌﾟﾚﾋﾞｭｰ" (TImageDispForm): the job's sheets at a
// zoom, with the printable area outlined, paged, zoomed and printed from.

#include "print/FormVariables.h"
#include "print/Lumen808.h"
#include "print/PageBook.h"
#include "print/PageRenderer.h"
#include "print/PrintData.h"

#include <QDialog>
#include <QSizeF>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QScrollArea;
class QToolButton;

namespace print {

class Tfmyohaku;

// The printer's paper as the preview lays it out.
struct PaperInfo {
    int paperCode = 9;
    QSizeF paperMM {210, 297}; // portrait
    QSizeF printableMM {210, 297}; // portrait
};
// The default printer's paper, or the job's paper drawn edge to edge when
// there is no printer.
PaperInfo currentPaperInfo(const TP808DEF& job);

// What the preview asks of the rest of the engine (tests replace them).
struct PreviewServices {
    std::function<std::optional<QString>()> askPage; // jump box; nullopt = cancelled
    std::function<int(TP808DEF&)> print; // the whole job
    std::function<void(TP808DEF&, int page, int orientation)> printPage; // the current page
    std::function<void()> printerSetup;
    std::function<bool(Tfmyohaku&)> marginDialog; // runs the margin dialog; true = OK
    std::optional<PaperInfo> paper; // default: currentPaperInfo
};

class TImageDispForm;

// The paint box: draws the current sheet's form and data layers.
class PreviewPage : public QWidget {
public:
    explicit PreviewPage(TImageDispForm& form);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    TImageDispForm& form_;
    QPoint dragStart_;
    bool dragging_ = false;
};

class TImageDispForm : public QDialog {
    Q_OBJECT
public:
    TImageDispForm(TP808DEF& job, PreviewServices services, QWidget* parent = nullptr);
    ~TImageDispForm() override;

    int CloseCode = 1;
    int zoom() const { return zoom_; }
    int currentPage() const { return page_; }
    int pageTotal() const { return total_; }
    QString pageLabel() const;
    QString zoomLabel() const;
    bool loaded() const { return loaded_; }

    // Draws the current sheet as the paint box shows it (the printable area
    // at the window's dpi and the zoom), the outline left out.
    void drawSheet(QPainter& p, int dpi) const;
    int screenDpi() const;

public slots:
    void ZoomInButtonClick();
    void ZoomOutButtonClick();
    void SpeedButton3Click();
    void ZoomJustButtonClick();
    void Top_PageClick();
    void DispPrev();
    void DispNext();
    void Bottom_PageClick();
    void PgJumpClick();
    void PrintButtonClick();
    void CurrentPageClick();
    void PrintSetupButtonClick();
    void SB_MARGINClick();
    void CloseButtonClick();
    void PrevPaperClick();
    void NextPaperClick();

protected:
    void showEvent(QShowEvent*) override;

private:
    friend class PreviewPage;
    void FormCreate();
    void FormResize();
    void showPage(int page);
    int orientationOfPage() const;
    QSizeF paperNow() const; // mm, current orientation
    QSizeF printableNow() const; // mm, current orientation
    std::optional<int> fitZoom() const;
    void load();

    TP808DEF& job_;
    PreviewServices services_;
    PaperInfo paper_;
    int zoom_ = 10;
    int page_ = 1;
    int total_ = 1;
    bool created_ = false;
    bool loaded_ = false;
    bool painting_ = false;
    std::optional<PageSplit> data_;
    std::optional<PageSplit> form_;
    std::vector<int> orientations_;
    PageNumbers numbers_;
    mutable VariableTables vars_; // a FORM record may reload them while drawing

    QScrollArea* scroll_ = nullptr;
    QWidget* paperPanel_ = nullptr;
    PreviewPage* paintBox_ = nullptr;
    QLabel* dispZoom_ = nullptr;
    QLabel* wherePage_ = nullptr;
    QToolButton* printButton_ = nullptr;
    QToolButton* printSetupButton_ = nullptr;
    QToolButton* currentPageButton_ = nullptr;
    QToolButton* prevPaper_ = nullptr;
    QToolButton* nextPaper_ = nullptr;
};

// Shows the job in the preview window (modal); answers its close code.
int RunPreview(TP808DEF& job, PreviewServices services = {});

} // namespace print
