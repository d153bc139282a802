// The animated progress window: shown over a disabled parent while a long
// step runs on the event loop, Cancel reaching the work, the layout without
// a Cancel button, the modal variant and its exception, and the window as
// the progress core's long steps report to.

#include "controls/xAnimeProgressDialog.h"
#include "controls/xPlButton.h"
#include "core/ProgressService.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <stdexcept>

namespace {

TEST(ProgressDialog, ShowsOverItsDisabledParentWhileALongStepRunsAndCancelReachesTheWork)
{
    QWidget parent;
    parent.setGeometry(100, 100, 600, 400);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    TxAnimeProgressDialog progress;
    progress.SetCaption(QStringLiteral("データの保存中"));
    progress.SetInfoLabel(QStringLiteral("データを保存しています…"));
    progress.SetCommonAVI(TCommonAVI::aviCopyFiles);
    progress.Show(&parent);
    ASSERT_TRUE(progress.Showing());
    TxProgressForm* form = progress.Form();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(parent.isEnabled()) << "the parent takes no input";
    EXPECT_EQ(form->windowTitle(), QStringLiteral("データの保存中"));
    // Centred over the parent (within the window frame, placed before the
    // frame is known).
    EXPECT_LE((form->frameGeometry().center() - parent.frameGeometry().center()).manhattanLength(), 8);
    EXPECT_EQ(core::activeProgress(), &progress);

    // The step: pieces of work, each reporting and letting the event loop
    // run; the user presses Cancel part way.
    int done = 0;
    QTimer::singleShot(0, form, [form] {
        ASSERT_TRUE(form->CancelButton->isEnabled());
        ASSERT_TRUE(form->CancelButton->isVisible());
        QTest::mouseClick(form->CancelButton, Qt::LeftButton);
    });
    const int frameBefore = progress.AnimeFrame();
    for (int i = 0; i < 1000 && !core::ProgressCancelled(); ++i) {
        core::ReportProgress("データを保存しています… " + std::to_string(i + 1));
        ASSERT_TRUE(form->isVisible());
        QCoreApplication::processEvents();
        ++done;
    }
    EXPECT_TRUE(progress.Cancelled());
    EXPECT_LT(done, 1000) << "the work saw Cancel and stopped";
    EXPECT_TRUE(form->Label->text().startsWith(QStringLiteral("データを保存しています… ")));
    EXPECT_NE(progress.AnimeFrame(), frameBefore) << "the indicator moves with the reports";

    progress.Hide();
    EXPECT_FALSE(progress.Showing());
    EXPECT_EQ(progress.Form(), nullptr);
    EXPECT_TRUE(parent.isEnabled());
    EXPECT_EQ(core::activeProgress(), nullptr);
}

TEST(ProgressDialog, WithoutAParentItStaysOnTopAndDisablesNothing)
{
    QWidget other;
    other.show();
    TxAnimeProgressDialog progress;
    progress.SetCancelBtnShow(false);
    progress.Show(nullptr);
    ASSERT_NE(progress.Form(), nullptr);
    EXPECT_TRUE(progress.Form()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(progress.Form()->CancelButton, nullptr);
    EXPECT_TRUE(other.isEnabled());
    progress.Hide();
}

TEST(ProgressDialog, LayoutWithoutCancelButton)
{
    struct Case {
        TxLabelPosition position;
        bool cancel;
        int animTop, labelLeft, labelTop;
    } cases[] = {{TxLabelPosition::xlpRight, false, 30, 60, 42}, {TxLabelPosition::xlpBottom, false, 30, 20, 70},
        {TxLabelPosition::xlpRight, true, 16, 60, 24}, {TxLabelPosition::xlpBottom, true, 16, 20, 52}};
    for (const auto& c : cases) {
        TxAnimeProgressDialog progress;
        progress.SetLabelPosition(c.position);
        progress.SetCancelBtnShow(c.cancel);
        progress.Show(nullptr);
        TxProgressForm* form = progress.Form();
        EXPECT_EQ(form->size(), QSize(380, 100));
        EXPECT_EQ(form->Animation->y(), c.animTop);
        EXPECT_EQ(form->Label->pos(), QPoint(c.labelLeft, c.labelTop));
        EXPECT_GE(form->Label->height(), form->fontMetrics().height()) << "the line fits its font";
        progress.Hide();
    }
}

TEST(ProgressDialog, ModalShowRunsTheWorkInsideAndIsNoLongerShowingAfterwards)
{
    TxAnimeProgressDialog progress;
    bool ranInside = false;
    progress.OnShow = [&](TxProgressForm* form) {
        ranInside = form->isVisible() && QApplication::activeModalWidget() == form && progress.Showing();
        core::ReportProgress("作業中");
    };
    progress.Show(nullptr);
    EXPECT_TRUE(ranInside);
    EXPECT_FALSE(progress.Showing()) << "nothing is shown once the modal show returned";
    EXPECT_EQ(progress.Form(), nullptr);
    EXPECT_EQ(core::activeProgress(), nullptr);

    progress.OnShow = [](TxProgressForm*) { throw std::runtime_error("途中で失敗"); };
    try {
        progress.Show(nullptr);
        FAIL() << "the work's exception reaches the caller";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "途中で失敗");
    }
    EXPECT_EQ(progress.Form(), nullptr);
    EXPECT_FALSE(progress.Showing());
}

TEST(ProgressDialog, HideWithoutShowAndAMissingAnimationFile)
{
    TxAnimeProgressDialog progress;
    progress.Hide();
    EXPECT_FALSE(progress.Showing());
    EXPECT_EQ(progress.Form(), nullptr);

    progress.SetAviFile(QStringLiteral("/nonexistent/progress.avi"));
    progress.Show(nullptr);
    EXPECT_EQ(progress.Form()->Animation->movie(), nullptr);
    EXPECT_TRUE(progress.Form()->Animation->pixmap().isNull()) << "no animation without a file or a system one";
    progress.Hide();
}

} // namespace
