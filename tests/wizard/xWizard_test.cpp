// The wizard page control under the offscreen platform.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "wizard/gui/xWizard.h"

namespace {

struct Harness {
    QWidget form;
    TxWizard* wizard = new TxWizard(&form);
    QPushButton* next = new QPushButton(&form);
    QPushButton* back = new QPushButton(&form);
    QLabel* header = new QLabel("header-initial", &form);
    QLabel* info = new QLabel("info-initial", &form);
    std::vector<std::string> events;
    bool allow = true;

    explicit Harness(int pages)
    {
        for (int i = 0; i < pages; ++i)
            wizard->addPage(QString("page%1").arg(i + 1), new QWidget);
        // The clicks come from the Next and Back buttons the wizard took over.
        QObject::connect(wizard, &TxWizard::nextClicking, [this](bool finalState, bool* allowChange) {
            events.push_back(
                std::string("clicking:") + (finalState ? "1" : "0") + ":next:" + wizard->activePage().toStdString());
            *allowChange = allow;
        });
        QObject::connect(wizard, &TxWizard::nextClicked, [this](bool finalState) {
            events.push_back(
                std::string("next:") + (finalState ? "1" : "0") + ":next:" + wizard->activePage().toStdString());
        });
        QObject::connect(wizard, &TxWizard::backClicked,
            [this] { events.push_back("back:back:" + wizard->activePage().toStdString()); });
        wizard->setNextButton(next);
        wizard->setBackButton(back);
        form.show();
    }
    void clickNext() { QTest::mouseClick(next, Qt::LeftButton); }
    void clickBack() { QTest::mouseClick(back, Qt::LeftButton); }
};

} // namespace

TEST(TxWizard, DefaultsAndButtonTakeOver)
{
    Harness h(3);
    EXPECT_EQ(h.wizard->NextButtonCap, QString::fromUtf8("次へ(&N) >"));
    EXPECT_EQ(h.wizard->NextButtonFinCap, QString::fromUtf8("完了(&F)"));
    EXPECT_EQ(h.back->text(), QString::fromUtf8("< 戻る(&B)"));
    EXPECT_EQ(h.next->text(), QString::fromUtf8("次へ(&N) >"));
    EXPECT_TRUE(h.back->isHidden());
    EXPECT_EQ(h.wizard->pageIndex(), 0);
}

TEST(TxWizard, NextWalksToTheLastPageAndTheFinishKeepsThePage)
{
    Harness h(3);
    h.clickNext();
    EXPECT_EQ(h.wizard->pageIndex(), 1);
    EXPECT_FALSE(h.back->isHidden());
    EXPECT_EQ(h.next->text(), QString::fromUtf8("次へ(&N) >"));
    h.clickNext();
    EXPECT_EQ(h.wizard->pageIndex(), 2);
    EXPECT_EQ(h.next->text(), QString::fromUtf8("完了(&F)"));
    h.clickNext(); // the finish
    EXPECT_EQ(h.wizard->pageIndex(), 2);
    EXPECT_EQ(h.events,
        (std::vector<std::string> {
            "clicking:0:next:page1",
            "next:0:next:page2",
            "clicking:0:next:page2",
            "next:0:next:page3",
            "clicking:0:next:page3",
            "next:1:next:page3",
        }));
}

TEST(TxWizard, AVetoStopsTheStepAndTheFinish)
{
    Harness h(3);
    h.allow = false;
    h.clickNext();
    EXPECT_EQ(h.wizard->pageIndex(), 0);
    h.allow = true;
    h.clickNext();
    h.clickNext();
    h.events.clear();
    h.allow = false;
    h.clickNext(); // veto on the last page: no finish
    EXPECT_EQ(h.events, (std::vector<std::string> {"clicking:0:next:page3"}));
    EXPECT_EQ(h.wizard->pageIndex(), 2);
}

TEST(TxWizard, SinglePageShowsTheFinishCaptionAndEveryAllowedClickFinishes)
{
    Harness h(1);
    EXPECT_EQ(h.next->text(), QString::fromUtf8("完了(&F)"));
    h.clickNext();
    h.clickNext();
    EXPECT_EQ(h.events,
        (std::vector<std::string> {
            "clicking:0:next:page1", "next:1:next:page1", "clicking:0:next:page1", "next:1:next:page1"}));
    h.events.clear();
    h.wizard->backClick();
    EXPECT_TRUE(h.back->isHidden());
    EXPECT_EQ(h.events, (std::vector<std::string> {"back:back:page1"}));
}

TEST(TxWizard, BackToTheFirstPageHidesBackAndRestoresTheNextCaption)
{
    Harness h(3);
    h.clickNext();
    h.clickNext();
    h.events.clear();
    h.clickBack();
    EXPECT_EQ(h.wizard->pageIndex(), 1);
    EXPECT_FALSE(h.back->isHidden());
    EXPECT_EQ(h.next->text(), QString::fromUtf8("次へ(&N) >"));
    h.clickBack();
    EXPECT_EQ(h.wizard->pageIndex(), 0);
    EXPECT_TRUE(h.back->isHidden());
    EXPECT_EQ(h.events, (std::vector<std::string> {"back:back:page2", "back:back:page1"}));
    // Back on the first page: no page change, the event still fires.
    h.wizard->backClick();
    EXPECT_EQ(h.wizard->pageIndex(), 0);
    EXPECT_EQ(h.events.size(), 3u);
}

TEST(TxWizard, CaptionLabelsFollowThePagesWhileTheListsHaveLines)
{
    Harness h(3);
    h.wizard->setHeaderCaption({"H1", "H2"});
    h.wizard->setInfoCaption({"I1"});
    h.wizard->setLblHeader(h.header);
    h.wizard->setLblInfo(h.info);
    EXPECT_EQ(h.header->text(), "H1");
    EXPECT_EQ(h.info->text(), "I1");
    h.clickNext();
    EXPECT_EQ(h.header->text(), "H2");
    EXPECT_EQ(h.info->text(), "I1"); // no line for page 2: unchanged
    h.clickNext();
    EXPECT_EQ(h.header->text(), "H2");
    h.clickBack();
    h.clickBack();
    EXPECT_EQ(h.header->text(), "H1");
}

TEST(TxWizard, DeletingPagesMovesTheLastPage)
{
    Harness h(4);
    EXPECT_TRUE(h.wizard->deletePage("page4"));
    EXPECT_FALSE(h.wizard->deletePage("page4"));
    EXPECT_EQ(h.wizard->pageNames(), (QStringList {"page1", "page2", "page3"}));
    h.clickNext();
    h.clickNext();
    EXPECT_EQ(h.wizard->activePage(), "page3");
    EXPECT_EQ(h.next->text(), QString::fromUtf8("完了(&F)"));
    h.events.clear();
    h.clickNext();
    EXPECT_EQ(h.events.back(), "next:1:next:page3");
}

TEST(TxWizard, TheButtonsEarlierClickHandlersAreReplaced)
{
    QWidget form;
    auto* wizard = new TxWizard(&form);
    wizard->addPage("a", new QWidget);
    wizard->addPage("b", new QWidget);
    auto* next = new QPushButton(&form);
    int oldHandler = 0;
    QObject::connect(next, &QPushButton::clicked, [&] { ++oldHandler; });
    wizard->setNextButton(next);
    form.show();
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(oldHandler, 0);
    EXPECT_EQ(wizard->activePage(), "b");
}
