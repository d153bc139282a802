#pragma once
// Printing a job: the print interface the loop draws through (a Qt printer,
// a PDF file, or a recording fake in tests), the print loop itself, and the
// printing dialog with its Cancel button.
//
// Every sheet is rendered at zoom 10 on paper; the orientation of a sheet is
// settled before its document is begun or anything is drawn; the variable
// slot and the even-page shift come from the data page number, not from the
// printer's page counter (which restarts with every spooler document).

#include "print/Lumen808.h"
#include "print/PageRenderer.h"

#include <QDialog>
#include <QPageSize>
#include <QSizeF>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPainter;
class QPrinter;

namespace print {

// What the loop prints on. Document boundaries (MESSAGE, an orientation
// change, collation passes) end one document and begin the next; a device
// writing one file (PDF) continues in the same file instead.
class PrintDevice {
public:
    virtual ~PrintDevice() = default;
    virtual void setDocName(const std::string& name) = 0;
    virtual void setCopies(int copies) = 0;
    virtual int orientation() const = 0; // 0 portrait, 1 landscape
    virtual void setOrientation(int orientation) = 0; // takes effect at the next page or document
    virtual bool beginDocument() = 0;
    virtual bool newPage() = 0;
    virtual bool endDocument() = 0;
    virtual void abortDocument() = 0;
    // The last call: ends the output for good (a PDF file is written here).
    virtual bool finish() { return true; }
    virtual QPainter& painter() = 0;
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;
    virtual int paperCode() const = 0; // paper on the device, in the engine's codes
    virtual QSizeF printableMM() const = 0; // printable size, current orientation
    virtual QSizeF paperMM() const = 0; // paper size, current orientation
};

// The engine's paper codes and Qt's page sizes.
QPageSize pageSizeForCode(int paperCode);
int codeForPageSize(const QPageSize& size); // 0 when the table has none

// A QPrinter: a CUPS printer (documents are separate jobs) or a PDF file
// (one file; boundaries become new pages). The printer is used full-page, so
// record positions count from the paper's edge.
class QtPrinterDevice : public PrintDevice {
public:
    explicit QtPrinterDevice(QPrinter& printer);
    ~QtPrinterDevice() override;
    void setDocName(const std::string& name) override;
    void setCopies(int copies) override;
    int orientation() const override;
    void setOrientation(int orientation) override;
    bool beginDocument() override;
    bool newPage() override;
    bool endDocument() override;
    void abortDocument() override;
    bool finish() override;
    QPainter& painter() override;
    int dpiX() const override;
    int dpiY() const override;
    int paperCode() const override;
    QSizeF printableMM() const override;
    QSizeF paperMM() const override;
    QPrinter& printer() { return printer_; }

private:
    QPrinter& printer_;
    std::unique_ptr<QPainter> painter_;
    bool oneFile_;
    bool pendingBoundary_ = false;
};

// The page range and options chosen in the print dialog.
struct PrintChoice {
    bool rangeMode = false; // pages from..to rather than all
    int from = 1;
    int to = 1;
    bool collate = false;
    int copies = 1;
};

// What the loop asks the user; tests script it.
class PrintUi {
public:
    virtual ~PrintUi() = default;
    // The print dialog over pages 1..maxPage; nullopt = cancelled.
    virtual std::optional<PrintChoice> askPrint(PrintDevice& device, const TP808DEF& job, int maxPage) = 0;
    virtual void showMessage(const std::string& text) = 0; // MESSAGE records, OK only
    virtual void showError(const std::string& text) = 0;
    // Called after every page with the printer's page number; true = cancel.
    virtual bool pagePrinted(int printerPage) = 0;
};

struct PrintOutcome {
    int result = 0; // -1 printed, 0 not printed (the value RunPrint answers)
    int sheets = 0; // sheets drawn
    int failedRecords = 0; // records skipped because they could not be drawn
};

// The print loop over a device. With pageOnly set, prints that one data page
// without the print dialog (PrintCurrentPage).
PrintOutcome runPrintJob(
    TP808DEF& job, PrintDevice& device, PrintUi& ui, EngineLog& log, std::optional<int> pageOnly = std::nullopt);

// The printing dialog "印刷": " 印刷中です。", "(Page=%d)" and "ｷｬﾝｾﾙ" with the
// question "印刷を中止しますか？". Events are processed after every page so
// Cancel can be pressed while the job runs.
class TNowPrintingdlg : public QDialog {
    Q_OBJECT
public:
    explicit TNowPrintingdlg(QWidget* parent = nullptr);
    void setPage(int printerPage);
    bool cancelRequested() const { return cancel_; }
    // Replaces the Yes/No question (tests).
    std::function<bool()> confirmCancel;

public slots:
    void CancelButtonClick();

private:
    QLabel* pageMessage_;
    bool cancel_ = false;
};

// The real dialogs: QPrintDialog, message boxes, TNowPrintingdlg.
class QtPrintUi : public PrintUi {
public:
    QtPrintUi();
    ~QtPrintUi() override;
    std::optional<PrintChoice> askPrint(PrintDevice& device, const TP808DEF& job, int maxPage) override;
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    bool pagePrinted(int printerPage) override;

private:
    std::unique_ptr<TNowPrintingdlg> progress_;
};

} // namespace print
