#include "print/PreviewWindow.h"

#include "print/EngineLog.h"
#include "print/MarginDialog.h"
#include "print/PageBook.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPageLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

namespace print {

PaperInfo currentPaperInfo(const TP808DEF& job)
{
    PaperInfo info;
    const int code = job.OutPutPaper != 0 ? job.OutPutPaper : (job.PaperSize != 0 ? job.PaperSize : 9);
    const PaperMM table = paperSizeMM(code, 210, 277);
    info.paperCode = code;
    info.paperMM = QSizeF(table.width, table.height);
    // the engine prints full-page, so the whole sheet is printable
    info.printableMM = info.paperMM;
    return info;
}

// ---------------------------------------------------------------------------

PreviewPage::PreviewPage(TImageDispForm& form)
    : QWidget(nullptr)
    , form_(form)
{
    setObjectName("ImagePaintBox");
    setToolTip(QStringLiteral("印刷可能範囲"));
    setAutoFillBackground(false);
}

void PreviewPage::paintEvent(QPaintEvent*)
{
    if (form_.painting_)
        return;
    form_.painting_ = true;
    try {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (form_.job_.DataFile.empty()) {
            p.drawText(rect(), Qt::AlignCenter, QStringLiteral("印刷ファイルの指定がありません。"));
        } else if (!form_.loaded_) {
            p.drawText(rect(), Qt::AlignCenter,
                QStringLiteral("\"%1\"が見つかりません。").arg(QString::fromStdString(form_.job_.DataFile)));
        } else {
            form_.drawSheet(p, form_.screenDpi());
        }
        QPen outline(Qt::blue);
        outline.setStyle(Qt::DotLine);
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    } catch (const std::exception& e) {
        engineLog().write("PREVIEW.ImageBoxPaint", e.what());
    }
    form_.painting_ = false;
}

void PreviewPage::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && e->buttons() == Qt::LeftButton) {
        dragStart_ = e->globalPosition().toPoint();
        dragging_ = true;
        setCursor(Qt::SizeAllCursor);
    }
}

void PreviewPage::mouseMoveEvent(QMouseEvent* e)
{
    if (!dragging_ || !(e->buttons() & Qt::LeftButton))
        return;
    const QPoint now = e->globalPosition().toPoint();
    const QPoint d = now - dragStart_;
    dragStart_ = now;
    QScrollBar* h = form_.scroll_->horizontalScrollBar();
    QScrollBar* v = form_.scroll_->verticalScrollBar();
    h->setValue(std::max(0, h->value() - d.x()));
    v->setValue(std::max(0, v->value() - d.y()));
}

void PreviewPage::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
    unsetCursor();
}

// ---------------------------------------------------------------------------

namespace {
QToolButton* addButton(QToolBar* bar, const char* name, const QString& text, const QString& hint)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    bar->addWidget(b);
    return b;
}
} // namespace

TImageDispForm::TImageDispForm(TP808DEF& job, PreviewServices services, QWidget* parent)
    : QDialog(parent)
    , job_(job)
    , services_(std::move(services))
{
    setObjectName("ImageDispForm");
    setWindowTitle(job.Title.empty() ? QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ") : QString::fromStdString(job.Title));
    paper_ = services_.paper ? *services_.paper : currentPaperInfo(job);
    zoom_ = (job.Zoom >= 5 && job.Zoom <= 20) ? job.Zoom : 10;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    bar->setObjectName("SpeedBar");
    layout->addWidget(bar);
    connect(addButton(bar, "CloseButton", QStringLiteral("中止"), QStringLiteral("プレビューを中止する。")),
        &QToolButton::clicked, this, &TImageDispForm::CloseButtonClick);
    printButton_ = addButton(bar, "PrintButton", QStringLiteral("印刷"), QStringLiteral("印刷"));
    connect(printButton_, &QToolButton::clicked, this, &TImageDispForm::PrintButtonClick);
    printSetupButton_ = addButton(bar, "PrintSetupButton", QStringLiteral("設定"), QStringLiteral("ﾌﾟﾘﾝﾀ設定"));
    connect(printSetupButton_, &QToolButton::clicked, this, &TImageDispForm::PrintSetupButtonClick);
    connect(addButton(bar, "SB_MARGIN", QStringLiteral("余白"), QStringLiteral("上余白・左余白を設定します")),
        &QToolButton::clicked, this, &TImageDispForm::SB_MARGINClick);
    connect(addButton(bar, "ZoomJustButton", QStringLiteral("全体"), QStringLiteral("全体を表示する")),
        &QToolButton::clicked, this, &TImageDispForm::ZoomJustButtonClick);
    connect(addButton(bar, "SpeedButton3", QStringLiteral("100%"), QStringLiteral("１００％表示")),
        &QToolButton::clicked, this, &TImageDispForm::SpeedButton3Click);
    connect(addButton(bar, "ZoomInButton", QStringLiteral("拡大"), QStringLiteral("拡大")), &QToolButton::clicked, this,
        &TImageDispForm::ZoomInButtonClick);
    connect(addButton(bar, "ZoomOutButton", QStringLiteral("縮小"), QStringLiteral("縮小")), &QToolButton::clicked,
        this, &TImageDispForm::ZoomOutButtonClick);
    dispZoom_ = new QLabel(bar);
    dispZoom_->setObjectName("DispZoom");
    bar->addWidget(dispZoom_);
    connect(addButton(bar, "PgJump", QStringLiteral("Jmp"), QStringLiteral("ﾍﾟｰｼﾞ指定")), &QToolButton::clicked, this,
        &TImageDispForm::PgJumpClick);
    connect(addButton(bar, "TopPage", QStringLiteral("|<"), QStringLiteral("先頭ﾍﾟｰｼﾞ")), &QToolButton::clicked, this,
        &TImageDispForm::Top_PageClick);
    connect(addButton(bar, "PrevPage", QStringLiteral("<"), QStringLiteral("前ﾍﾟｰｼﾞ")), &QToolButton::clicked, this,
        &TImageDispForm::DispPrev);
    connect(addButton(bar, "NextPage", QStringLiteral(">"), QStringLiteral("次ﾍﾟｰｼﾞ")), &QToolButton::clicked, this,
        &TImageDispForm::DispNext);
    connect(addButton(bar, "LastPage", QStringLiteral(">|"), QStringLiteral("最終ﾍﾟｰｼﾞ")), &QToolButton::clicked, this,
        &TImageDispForm::Bottom_PageClick);
    currentPageButton_ = addButton(bar, "CurrentPage", QStringLiteral("現在頁"), QStringLiteral("現在のページを印刷"));
    connect(currentPageButton_, &QToolButton::clicked, this, &TImageDispForm::CurrentPageClick);
    wherePage_ = new QLabel(bar);
    wherePage_->setObjectName("WherePage");
    bar->addWidget(wherePage_);
    prevPaper_ = addButton(bar, "PrevPaper", QStringLiteral("前の帳票"), QStringLiteral("前の帳票"));
    connect(prevPaper_, &QToolButton::clicked, this, &TImageDispForm::PrevPaperClick);
    nextPaper_ = addButton(bar, "NextPaper", QStringLiteral("次の帳票"), QStringLiteral("次の帳票"));
    connect(nextPaper_, &QToolButton::clicked, this, &TImageDispForm::NextPaperClick);

    const bool paperButtons = job.PrevPaperButton || job.NextPaperButton;
    // a widget on a tool bar is shown and hidden through its action
    for (QAction* a : bar->actions()) {
        QWidget* w = bar->widgetForAction(a);
        if (w == prevPaper_ || w == nextPaper_)
            a->setVisible(paperButtons);
        if (w == currentPageButton_)
            a->setVisible(job.CurrentPage);
    }
    prevPaper_->setEnabled(job.PrevPaperButton);
    nextPaper_->setEnabled(job.NextPaperButton);
    printButton_->setEnabled(job.Permit);
    printSetupButton_->setEnabled(job.Permit);
    currentPageButton_->setEnabled(job.Permit);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("ImagePaintScrollBox");
    scroll_->setBackgroundRole(QPalette::Dark);
    paperPanel_ = new QWidget;
    paperPanel_->setObjectName("PaperPanel");
    paperPanel_->setAutoFillBackground(true);
    QPalette pal = paperPanel_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    paperPanel_->setPalette(pal);
    paintBox_ = new PreviewPage(*this);
    paintBox_->setParent(paperPanel_);
    auto* outer = new QWidget;
    outer->setObjectName("ScrollContent");
    paperPanel_->setParent(outer);
    scroll_->setWidget(outer);
    layout->addWidget(scroll_, 1);

    load();
    FormResize();
}

TImageDispForm::~TImageDispForm() = default;

void TImageDispForm::load()
{
    loaded_ = false;
    try {
        std::error_code ec;
        if (job_.DataFile.empty() || !std::filesystem::exists(job_.DataFile, ec))
            return;
        data_.emplace(readLines(job_.DataFile));
        if (!job_.FormFile.empty() && std::filesystem::exists(job_.FormFile, ec))
            form_.emplace(readLines(job_.FormFile));
        total_ = countTotalPages(form_ ? form_->pageCount() : 1, data_->pageCount());
        orientations_ = orientationList(*data_, job_.Orientation);
        numbers_ = pageNumberList(*data_, job_.PageBango.Switch);
        vars_.load(job_.FormFile, 0, 0, engineLog());
        loaded_ = true;
    } catch (const std::exception& e) {
        engineLog().write("PREVIEW.FormCreate", e.what());
    }
}

int TImageDispForm::screenDpi() const
{
    return logicalDpiX() > 0 ? logicalDpiX() : 96;
}

int TImageDispForm::orientationOfPage() const
{
    if (page_ >= 1 && page_ <= static_cast<int>(orientations_.size()))
        return orientations_[static_cast<std::size_t>(page_ - 1)];
    return job_.Orientation;
}

QSizeF TImageDispForm::paperNow() const
{
    return orientationOfPage() == 1 ? paper_.paperMM.transposed() : paper_.paperMM;
}

QSizeF TImageDispForm::printableNow() const
{
    return orientationOfPage() == 1 ? paper_.printableMM.transposed() : paper_.printableMM;
}

void TImageDispForm::FormResize()
{
    try {
        const double dpi = screenDpi();
        const QSizeF paper = paperNow();
        const QSizeF printable = printableNow();
        const int pw = roundEven(dpi * paper.width() / 25.4 * zoom_ / 10.0);
        const int ph = roundEven(dpi * paper.height() / 25.4 * zoom_ / 10.0);
        int left = roundEven((scroll_->viewport()->width() - pw - 15) / 2.0);
        if (left < 16)
            left = 15;
        paperPanel_->setGeometry(left, 8, pw, ph);
        const int bw = roundEven(printable.width() / 25.4 * dpi * zoom_ / 10.0) + 2;
        const int bh = roundEven(printable.height() / 25.4 * dpi * zoom_ / 10.0) + 2;
        paintBox_->setGeometry(roundEven((pw - bw) / 2.0), roundEven((ph - bh) / 2.0), bw, bh);
        paperPanel_->parentWidget()->resize(left + pw + 15, ph + 16);
        dispZoom_->setText(zoomLabel());
        wherePage_->setText(pageLabel());
        paintBox_->update();
    } catch (const std::exception& e) {
        engineLog().write("PREVIEW.FormResize", e.what());
    }
}

void TImageDispForm::drawSheet(QPainter& p, int dpi) const
{
    if (!loaded_)
        return;
    RenderSettings rs;
    rs.job = job_;
    rs.printer = false;
    rs.scaleX = rs.scaleY = dpi / 254.0;
    rs.ppi = dpi;
    rs.zoom = zoom_;
    rs.evenPage = page_ % 2 == 0;
    const QSizeF paper = paperNow();
    const QSizeF printable = printableNow();
    rs.leftMargin = job_.LeftMargin - roundEven((paper.width() - printable.width()) / 2) * 10;
    rs.topMargin = job_.TopMargin - roundEven((paper.height() - printable.height()) / 2) * 10;
    rs.numberedTotal = numbers_.total;
    double v = 0, h = 0; // the preview starts unconverted
    updateRatios(job_.PaperSize, paper_.paperCode, job_.VRATIO, job_.HRATIO, v, h);
    rs.vRatio = v;
    rs.hRatio = h;
    rs.vars = &vars_;
    rs.slot = vars_.slotForSheet(page_);
    rs.paperHeightMM = paperSizeMM(paper_.paperCode, 210, 277).height;
    const int dataPages = data_->pageCount();
    rs.pageNumber = page_ <= dataPages ? numbers_.numbers[static_cast<std::size_t>(page_ - 1)] : 0;
    PageRenderer renderer(rs, engineLog());
    if (form_) {
        const int fp = formPageForSheet(page_, form_->pageCount());
        renderer.render(Layer::Form, form_->page(fp), form_->endedByPageEnd(fp), p);
    }
    if (page_ <= dataPages)
        renderer.render(Layer::Data, data_->page(page_), data_->endedByPageEnd(page_), p);
}

QString TImageDispForm::pageLabel() const
{
    return QStringLiteral("%1/%2").arg(page_).arg(total_);
}
QString TImageDispForm::zoomLabel() const
{
    return QStringLiteral("%1%").arg(zoom_ * 10);
}

std::optional<int> TImageDispForm::fitZoom() const
{
    const double dpi = screenDpi();
    const QSizeF paper = paperNow();
    const QSize view = scroll_->viewport()->size();
    for (int n = 20; n >= 5; --n) {
        const int w = roundEven(dpi * paper.width() / 25.4 * n / 10.0) + 15;
        const int h = roundEven(n / 10.0 * dpi * paper.height() / 25.4) + 8;
        if (view.width() >= w && view.height() >= h)
            return n;
    }
    return std::nullopt;
}

void TImageDispForm::FormCreate()
{
    if (created_)
        return;
    created_ = true;
    CloseCode = (job_.PrevPaperButton || job_.NextPaperButton) ? 0 : 1;
    if (const auto n = fitZoom())
        zoom_ = *n;
    FormResize();
}

void TImageDispForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormCreate();
}

void TImageDispForm::ZoomInButtonClick()
{
    if (zoom_ < 20)
        ++zoom_;
    FormResize();
}
void TImageDispForm::ZoomOutButtonClick()
{
    if (zoom_ > 5)
        --zoom_;
    FormResize();
}
void TImageDispForm::SpeedButton3Click()
{
    zoom_ = 10;
    FormResize();
}
void TImageDispForm::ZoomJustButtonClick()
{
    if (const auto n = fitZoom()) {
        zoom_ = *n;
        FormResize();
    }
}

void TImageDispForm::showPage(int page)
{
    page_ = page;
    FormResize(); // the page's orientation may change the layout
}

void TImageDispForm::Top_PageClick()
{
    showPage(1);
}
void TImageDispForm::DispPrev()
{
    if (total_ > 1 && page_ > 1)
        showPage(page_ - 1);
}
void TImageDispForm::DispNext()
{
    if (total_ > 1 && page_ < total_)
        showPage(page_ + 1);
}
void TImageDispForm::Bottom_PageClick()
{
    showPage(total_);
}

void TImageDispForm::PgJumpClick()
{
    try {
        std::optional<QString> answer;
        if (services_.askPage) {
            answer = services_.askPage();
        } else {
            bool ok = false;
            const QString t = QInputDialog::getText(this, QStringLiteral("ページ指定"),
                QStringLiteral("表示したいページ番号を入力してください"), QLineEdit::Normal, QStringLiteral("1"), &ok);
            if (ok)
                answer = t;
        }
        if (!answer)
            return;
        bool ok = false;
        const int n = answer->trimmed().toInt(&ok);
        if (ok && n >= 1 && n <= total_)
            showPage(n);
        raise();
        activateWindow();
    } catch (const std::exception& e) {
        engineLog().write("ImageDispForm.PgJumpClick", e.what());
    }
}

void TImageDispForm::PrintButtonClick()
{
    if (!job_.Permit || !services_.print)
        return;
    const int page = page_;
    const bool prnDlg = job_.PrnDlg;
    const int zoom = job_.Zoom;
    const std::string data = job_.DataFile, form = job_.FormFile;
    job_.PrnDlg = true;
    job_.Zoom = 10;
    try {
        services_.print(job_);
    } catch (const std::exception& e) {
        engineLog().write("PRINT.開始", e.what());
    }
    page_ = page;
    job_.PrnDlg = prnDlg;
    job_.Zoom = zoom;
    job_.DataFile = data;
    job_.FormFile = form;
    FormResize();
}

void TImageDispForm::CurrentPageClick()
{
    if (!job_.Permit || !services_.printPage)
        return;
    const std::string data = job_.DataFile, form = job_.FormFile;
    try {
        services_.printPage(job_, page_, orientationOfPage());
    } catch (const std::exception& e) {
        engineLog().write("PRINT.現在のページ", e.what());
    }
    job_.DataFile = data;
    job_.FormFile = form;
    FormResize();
}

void TImageDispForm::PrintSetupButtonClick()
{
    if (services_.printerSetup)
        services_.printerSetup();
    FormResize();
}

void TImageDispForm::SB_MARGINClick()
{
    try {
        Tfmyohaku dlg(this);
        dlg.setTopMargin(job_.TopMargin);
        dlg.setLeftMargin(job_.LeftMargin);
        const bool samePaper = paper_.paperCode == job_.PaperSize;
        dlg.setSpacingVisible(samePaper);
        if (samePaper) {
            dlg.setVRatio(job_.VRATIO);
            dlg.setHRatio(job_.HRATIO);
        }
        const bool ok = services_.marginDialog ? services_.marginDialog(dlg) : dlg.exec() == QDialog::Accepted;
        if (ok) {
            job_.TopMargin = dlg.TopMargin;
            job_.LeftMargin = dlg.LeftMargin;
            if (samePaper) {
                job_.VRATIO = dlg.VRatio != 0 ? dlg.VRatio : 1000;
                job_.HRATIO = dlg.HRatio != 0 ? dlg.HRatio : 1000;
            }
        }
        raise();
        FormResize();
    } catch (const std::exception& e) {
        engineLog().write("PREVIEW.余白設定", e.what());
    }
}

void TImageDispForm::CloseButtonClick()
{
    CloseCode = 0;
    accept();
}
void TImageDispForm::PrevPaperClick()
{
    CloseCode = -1;
    accept();
}
void TImageDispForm::NextPaperClick()
{
    CloseCode = 1;
    accept();
}

int RunPreview(TP808DEF& job, PreviewServices services)
{
    try {
        std::error_code ec;
        if (!std::filesystem::exists(job.DataFile, ec)) {
            showEngineError("<" + job.DataFile + "> が見つかりません。");
            return 0;
        }
        if (!job.FormFile.empty() && !std::filesystem::exists(job.FormFile, ec)) {
            showEngineError("<" + job.FormFile + "> が見つかりません。");
            return 0;
        }
        if (job.Copie < 1 || job.Copie > 99)
            job.Copie = 1;
        if (job.Zoom < 5 || job.Zoom > 20)
            job.Zoom = 10;
        TImageDispForm form(job, std::move(services));
        form.setWindowState(Qt::WindowMaximized);
        form.exec();
        return form.CloseCode;
    } catch (const std::exception& e) {
        engineLog().write("PREVIEW.開始", e.what());
        return 0;
    }
}

} // namespace print
