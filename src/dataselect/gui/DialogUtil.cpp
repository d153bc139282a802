#include "dataselect/gui/DialogUtil.h"

#include "controls/xAnimeProgressDialog.h"
#include "controls/xPlButton.h"
#include "core/MessageService.h"
#include "core/uAccRecord.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <QDialog>
#include <QKeyEvent>

namespace dataselect::gui {

TxPlButton* PlButton(QWidget* parent, const QString& caption, int modalResult)
{
    auto* b = new TxPlButton(parent);
    b->CaptionA().SetCaption(caption);
    b->SetModalResult(modalResult);
    return b;
}

TProgressScope::TProgressScope(QWidget* screen, const QString& caption, const QString& line, bool cancelButton)
    : screen_(screen)
    , dialog_(std::make_unique<TxAnimeProgressDialog>())
{
    dialog_->SetCaption(caption);
    dialog_->SetInfoLabel(line);
    dialog_->SetAviFile(QString::fromStdString(platform::paths::join(SysDef.ExeDir, "progress.avi")));
    dialog_->SetCancelBtnShow(cancelButton);
    dialog_->Show(screen);
}

TProgressScope::~TProgressScope()
{
    dialog_->Hide();
    if (screen_ != nullptr) {
        screen_->raise();
        screen_->activateWindow();
    }
}

void ShowYesBox(std::uint8_t kind, const std::string& text)
{
    TMessage2InfoRec rec;
    InitMessage2Info(kind, rec);
    rec.buttons = msgbtn::Yes;
    const auto lines = platform::text::splitLines(text, platform::text::LastLine::Keep);
    for (std::size_t i = 0; i < lines.size() && i < rec.lines.size(); ++i)
        rec.lines[i].text = lines[i];
    ShowMessage2(rec);
}

bool HoldBackEscPress(QKeyEvent* e)
{
    if (e->key() != Qt::Key_Escape)
        return false;
    e->accept();
    return true;
}

bool HandleKeyUp(
    QDialog* dialog, QKeyEvent* e, int escResult, const TxPlButton* ok, const std::function<void()>& okClick)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        e->accept();
        if (escResult >= 0)
            dialog->done(escResult);
        return true;
    case Qt::Key_F12:
        e->accept();
        if (ok != nullptr && ok->isEnabled())
            okClick();
        return true;
    default:
        return false;
    }
}

} // namespace dataselect::gui
