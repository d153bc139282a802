#pragma once
// Answers the input dialogs the code under test opens: each time a
// TInputDlgBox becomes the modal window, the next text is typed into it and
// OK is pressed; the captions seen are recorded. onShown runs before OK.

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "controls/z5InputDlg.h"

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

class InputAnswers {
public:
    explicit InputAnswers(QStringList texts, std::function<void(TInputDlgBox&)> onShown = {})
        : texts_(std::move(texts))
        , onShown_(std::move(onShown))
    {
        arm();
    }
    const QStringList& captions() const { return captions_; }

private:
    void arm()
    {
        QTimer::singleShot(0, [this] { answer(); });
    }
    void answer()
    {
        auto* box = qobject_cast<TInputDlgBox*>(QApplication::activeModalWidget());
        if (!box) {
            arm(); // not up yet
            return;
        }
        captions_ << box->windowTitle();
        box->txtInput->setFocus();
        QTest::keyClicks(box->txtInput, texts_.value(captions_.size() - 1));
        if (onShown_)
            onShown_(*box);
        box->btnOK->Click();
        if (captions_.size() < texts_.size())
            arm();
    }

    QStringList texts_;
    std::function<void(TInputDlgBox&)> onShown_;
    QStringList captions_;
};
