#include "platform/gui/window_util.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace platform::gui {
namespace {

QString q(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Swallows input events meant for one window (or for all).
class InputEater : public QObject {
public:
    explicit InputEater(QWidget* target)
        : target_(target)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (!target_ || watched == target_
                || (watched->isWidgetType() && target_->isAncestorOf(static_cast<QWidget*>(watched))))
                return true;
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* target_;
};

QWidget* activeOwner()
{
    return QApplication::activeWindow();
}

} // namespace

std::optional<std::string> browseFolder(const std::string& title, const std::string& initial, const std::string& root)
{
    QFileDialog dialog(activeOwner(), q(title), q(initial.empty() ? root : initial));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // The status line: the folder the user is on.
    QObject::connect(&dialog, &QFileDialog::currentChanged,
        [&dialog](const QString& path) { dialog.setLabelText(QFileDialog::LookIn, path); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> browseComputer(const std::string& title, const std::string& initial)
{
    bool ok = false;
    const QString name = QInputDialog::getText(activeOwner(), q(title), QString(), QLineEdit::Normal, q(initial), &ok);
    if (!ok || name.trimmed().isEmpty())
        return std::nullopt;
    return name.trimmed().toStdString();
}

std::function<std::optional<std::string>()> fileDialogRunner(QFileDialog& dialog)
{
    return [&dialog]() -> std::optional<std::string> {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front().toStdString();
    };
}

void forceForegroundWindow(QWidget* window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

void clearInputMessages(QWidget* window)
{
    if (!QCoreApplication::instance())
        return;
    InputEater eater(window);
    QCoreApplication::instance()->installEventFilter(&eater);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&eater);
}

QWidget* findWindowByName(const std::string&, const std::string&)
{
    return nullptr;
}

int screenDotsPerInch()
{
    QScreen* screen = nullptr;
    if (QWidget* main = QApplication::activeWindow())
        screen = main->screen();
    if (!screen && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(screen->logicalDotsPerInch()) : 96;
}

int frameHeight()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 4;
    return QApplication::style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
}

} // namespace platform::gui
