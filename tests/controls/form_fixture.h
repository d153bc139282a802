#pragma once
// A small top-level form with controls in tab order, shown and active, so
// focus moves can be observed under the offscreen platform.

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <memory>

class TestForm {
public:
    TestForm()
        : window_(std::make_unique<QWidget>())
    {
        window_->resize(400, 300);
    }

    template <class W> W* add(int y = -1)
    {
        auto* w = new W(window_.get());
        w->move(10, y < 0 ? 10 + 30 * count_ : y);
        ++count_;
        return w;
    }

    // Shows the form and waits until it is active (focus only moves inside
    // an active window).
    bool show()
    {
        window_->show();
        window_->activateWindow();
        return QTest::qWaitForWindowActive(window_.get());
    }

    QWidget* window() const { return window_.get(); }
    static QWidget* focused() { return QApplication::focusWidget(); }

private:
    std::unique_ptr<QWidget> window_;
    int count_ = 0;
};
