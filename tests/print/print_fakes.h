#pragma once
// Stand-ins for the printer and the user in print-loop tests: a journal
// device that records documents, pages and orientations, and a scripted UI.
#include "print/PrintLoop.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

namespace print_test {

class JournalDevice : public print::PrintDevice {
public:
    std::vector<std::string> journal;
    int copies = 1;
    std::string docName;

    void setDocName(const std::string& n) override { docName = n; }
    void setCopies(int c) override
    {
        copies = c;
        journal.push_back("copies " + std::to_string(c));
    }
    int orientation() const override { return orientation_; }
    void setOrientation(int o) override { orientation_ = o; }
    bool beginDocument() override
    {
        journal.push_back("begin o=" + std::to_string(orientation_));
        startPage();
        return true;
    }
    bool newPage() override
    {
        journal.push_back("page o=" + std::to_string(orientation_));
        startPage();
        return true;
    }
    bool endDocument() override
    {
        painter_.reset();
        journal.push_back("end");
        return true;
    }
    void abortDocument() override
    {
        painter_.reset();
        journal.push_back("abort");
    }
    QPainter& painter() override { return *painter_; }
    int dpiX() const override { return 72; }
    int dpiY() const override { return 72; }
    int paperCode() const override { return 9; }
    QSizeF printableMM() const override { return paperMM(); }
    QSizeF paperMM() const override { return orientation_ == 1 ? QSizeF(297, 210) : QSizeF(210, 297); }

private:
    void startPage()
    {
        painter_.reset();
        image_ = QImage(orientation_ == 1 ? QSize(842, 595) : QSize(595, 842), QImage::Format_RGB32);
        painter_ = std::make_unique<QPainter>(&image_);
    }
    int orientation_ = 0;
    QImage image_;
    std::unique_ptr<QPainter> painter_;
};

class ScriptedUi : public print::PrintUi {
public:
    std::optional<print::PrintChoice> choice; // nullopt = the dialog is cancelled
    bool answerDialog = true;
    int cancelAfter = 0; // cancel after this printer page (0 = never)
    std::vector<std::string> messages, errors;
    int dialogs = 0;
    std::vector<std::string>* journal = nullptr;

    std::optional<print::PrintChoice> askPrint(print::PrintDevice&, const print::TP808DEF& job, int maxPage) override
    {
        ++dialogs;
        if (!answerDialog)
            return std::nullopt;
        if (choice)
            return choice;
        print::PrintChoice c;
        c.to = maxPage;
        c.copies = job.Copie;
        return c;
    }
    void showMessage(const std::string& t) override
    {
        messages.push_back(t);
        if (journal)
            journal->push_back("message " + t);
    }
    void showError(const std::string& t) override { errors.push_back(t); }
    bool pagePrinted(int page) override { return cancelAfter != 0 && page >= cancelAfter; }
};

} // namespace print_test
