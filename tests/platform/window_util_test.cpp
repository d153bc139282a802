#include "platform/gui/window_util.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QTimer>

#include <memory>
#include <QWidget>

namespace {

class KeyCounter : public QWidget {
public:
    int keys = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

QApplication& app()
{
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = qApp ? nullptr : new QApplication(argc, argv);
    (void)instance;
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// Answers the next input dialog with a text (or Cancel when null). The
// flag it returns tells whether the answer was given, so a test also fails
// when no dialog came up.
std::shared_ptr<bool> answerInputDialog(const char* text)
{
    auto answered = std::make_shared<bool>(false);
    QTimer::singleShot(0, [text, answered] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (text) {
            dialog->setTextValue(QString::fromUtf8(text));
            dialog->accept();
        } else {
            dialog->reject();
        }
        *answered = true;
    });
    return answered;
}

} // namespace

TEST(WindowUtil, ClearInputMessagesDropsPendingKeys)
{
    app();
    KeyCounter widget;
    widget.show();
    QCoreApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    platform::gui::clearInputMessages(&widget);
    QCoreApplication::processEvents();
    EXPECT_EQ(widget.keys, 0);
    QCoreApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    QCoreApplication::processEvents();
    EXPECT_EQ(widget.keys, 1); // the filter is gone again
    platform::gui::forceForegroundWindow(&widget);
    platform::gui::forceForegroundWindow(nullptr);
}

TEST(WindowUtil, ComputerPromptTrimsAndTreatsBlankAsCancel)
{
    app();
    auto answered = answerInputDialog("  server1 ");
    EXPECT_EQ(platform::gui::browseComputer("コンピュータを選択して下さい", ""), std::optional<std::string>("server1"));
    EXPECT_TRUE(*answered);
    answered = answerInputDialog("   ");
    EXPECT_EQ(platform::gui::browseComputer("t", "x"), std::nullopt);
    EXPECT_TRUE(*answered);
    answered = answerInputDialog(nullptr);
    EXPECT_EQ(platform::gui::browseComputer("t", "x"), std::nullopt);
    EXPECT_TRUE(*answered);
}

TEST(WindowUtil, Metrics)
{
    app();
    EXPECT_GT(platform::gui::screenDotsPerInch(), 0);
    EXPECT_GE(platform::gui::frameHeight(), 0);
    EXPECT_EQ(platform::gui::findWindowByName("desktop", ""), nullptr);
}
