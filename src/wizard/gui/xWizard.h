#pragma once
// The wizard's page control: a stack of named pages driving a Next and a
// Back button. It asks its owner (OnNextClicking) before every step forward,
// gives the Next button the finish caption on the last page and reports the
// click on the last page as the finish (OnNextClick with FinalState true).

#include <QStackedWidget>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QLabel;

class TxWizard : public QStackedWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;
    using TNextClickEvent = std::function<void(QObject* sender, bool finalState)>;
    using TNextClickingEvent = std::function<void(QObject* sender, bool finalState, bool& allowChange)>;

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
    QStringList pageNames() const;
    QString pageName(int index) const;
    int pageIndexOf(const QString& name) const;
    int pageIndex() const { return currentIndex(); }
    // Shows a page without the step rules (no events but pageChanged).
    void setPageIndex(int index);
    void setActivePage(const QString& name);
    QString activePage() const { return pageName(currentIndex()); }

    TNotifyEvent OnBackClick;
    TNextClickEvent OnNextClick;
    TNextClickingEvent OnNextClicking;

    // The Next and Back clicks (public so the owner may step by keyboard).
    void nextClick();
    void backClick();

signals:
    void pageChanged(int index);

private:
    void showCaptions();

    QAbstractButton* next_ = nullptr;
    QAbstractButton* back_ = nullptr;
    QLabel* lblHeader_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QStringList header_;
    QStringList info_;
};
