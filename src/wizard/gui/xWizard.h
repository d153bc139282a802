#pragma once
// The wizard's page control: a stack of named pages driving a Next and a
// Back button. It asks its owner (OnNextClicking) before every step forward,
// gives the Next button the finish caption on the last page and reports the
// click on the last page as the finish (nextClicked with finalState true).

#include <QStackedWidget>
#include <QStringList>

class QAbstractButton;
class QLabel;

class TxWizard : public QStackedWidget {
    Q_OBJECT
public:
    explicit TxWizard(QWidget* parent = nullptr);

    // Captions; an empty one gets its default at construction.
    QString NextButtonCap = QString::fromUtf8("次へ(&N) >");
    QString NextButtonFinCap = QString::fromUtf8("完了(&F)");
    QString BackButtonCap = QString::fromUtf8("< 戻る(&B)");

    // Takes over the button's clicks; the Back button is hidden and gets
    // BackButtonCap, the Next button gets the caption of the current state.
    void setNextButton(QAbstractButton* button);
    void setBackButton(QAbstractButton* button);
    QAbstractButton* nextButton() const { return next_; }
    QAbstractButton* backButton() const { return back_; }

    // Labels showing the current page's line of the caption lists.
    void setLblHeader(QLabel* label);
    void setLblInfo(QLabel* label);
    void setHeaderCaption(const QStringList& lines);
    void setInfoCaption(const QStringList& lines);
    const QStringList& headerCaption() const { return header_; }
    const QStringList& infoCaption() const { return info_; }

    // Named pages in display order.
    int addPage(const QString& name, QWidget* page);
    // Removes and deletes the named page; false when there is none.
    bool deletePage(const QString& name);
    bool deletePage(QWidget* page);
    QStringList pageNames() const;
    QString pageName(int index) const;
    int pageIndexOf(const QString& name) const;
    int pageIndex() const { return currentIndex(); }
    // Shows a page without the step rules (no events but pageChanged).
    void setPageIndex(int index);
    void setActivePage(const QString& name);
    QString activePage() const { return pageName(currentIndex()); }

    // The Next and Back clicks (public so the owner may step by keyboard).
    void nextClick();
    void backClick();

signals:
    void pageChanged(int index);
    // Before every step forward; a receiver clears *allowChange to keep the
    // page (connect directly). finalState is always false here.
    void nextClicking(bool finalState, bool* allowChange);
    // After an allowed step; finalState true for the click on the last page.
    void nextClicked(bool finalState);
    void backClicked();

private:
    void showCaptions();

    QAbstractButton* next_ = nullptr;
    QAbstractButton* back_ = nullptr;
    QLabel* lblHeader_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QStringList header_;
    QStringList info_;
};
