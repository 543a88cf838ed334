#include "platform/gui/gui.hpp"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace xingfan::platform::gui {

namespace {

struct RegisteredWindow {
    std::int32_t handle;
    QPointer<QWidget> window;
};

// The handle registry stands in for the platform's window handles, so that handles and titles
// work alike on every Qt platform, offscreen included.
struct HandleRegistry {
    std::vector<RegisteredWindow> windows;
    std::int32_t lastHandle = 0;

    void forgetDestroyed()
    {
        std::erase_if(windows, [](const RegisteredWindow& entry) { return entry.window.isNull(); });
    }
};

HandleRegistry& handleRegistry()
{
    static HandleRegistry registry;
    return registry;
}

std::function<void()>& exitRoutine()
{
    static std::function<void()> routine;
    return routine;
}

// Popups and tool tips are Qt's helpers, not windows of the program.
bool isProgramWindow(const QWidget& widget)
{
    const Qt::WindowType type = widget.windowType();
    return widget.isWindow() && type != Qt::Popup && type != Qt::ToolTip;
}

class EscapeCloser final : public QObject {
public:
    using QObject::QObject;

protected:
    // The window sees the key only when the control with the focus has left it alone.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            static_cast<QWidget*>(watched)->close();
            return true;
        }
        return false;
    }
};

class CloseWatcher final : public QObject {
public:
    explicit CloseWatcher(QEventLoop& loop) : loop_(loop) {}

protected:
    // Closing hides the window; a spontaneous hide (the window manager minimizing it) does not.
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && !event->spontaneous())
            loop_.quit();
        return false;
    }

private:
    QEventLoop& loop_;
};

}  // namespace

void setUp()
{
    QApplication::setApplicationName(QStringLiteral(XINGFAN_EXECUTABLE_NAME));
    QApplication::setApplicationVersion(QStringLiteral(XINGFAN_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(XINGFAN_DESKTOP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/xingfan/xingfan.svg")));
    QApplication::setQuitOnLastWindowClosed(true);
}

void loadWindow(QWidget& window, const std::function<void()>& created)
{
    if (created)
        created();
    window.show();
}

void runDialog(QWidget& window)
{
    std::vector<std::pair<QPointer<QWidget>, bool>> others;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget* other : topLevels) {
        if (other == &window || !isProgramWindow(*other))
            continue;
        others.emplace_back(other, other->isEnabled());
        other->setEnabled(false);
    }

    QPointer<QWidget> dialog(&window);
    QEventLoop loop;
    CloseWatcher watcher(loop);
    window.installEventFilter(&watcher);
    QObject::connect(&window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window.show();
    if (dialog && dialog->isVisible())
        loop.exec();
    if (dialog)
        dialog->removeEventFilter(&watcher);

    for (auto& [other, wasEnabled] : others) {
        if (other)
            other->setEnabled(wasEnabled);
    }
}

void closeOnEscape(QWidget& window)
{
    window.installEventFilter(new EscapeCloser(&window));
}

void showMessageBox(const QString& text, const QString& title, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::NoIcon, title, text,
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

std::int32_t nativeHandle(QWidget& window)
{
    HandleRegistry& registry = handleRegistry();
    registry.forgetDestroyed();
    const auto known = std::find_if(registry.windows.begin(), registry.windows.end(),
                                    [&window](const RegisteredWindow& entry) { return entry.window == &window; });
    if (known != registry.windows.end())
        return known->handle;
    registry.windows.push_back({++registry.lastHandle, QPointer<QWidget>(&window)});
    return registry.lastHandle;
}

QString windowTitleOf(std::int32_t handle)
{
    HandleRegistry& registry = handleRegistry();
    registry.forgetDestroyed();
    const auto found = std::find_if(registry.windows.begin(), registry.windows.end(),
                                    [handle](const RegisteredWindow& entry) { return entry.handle == handle; });
    return found != registry.windows.end() ? found->window->windowTitle() : QString();
}

void setExitRoutine(std::function<void()> routine)
{
    exitRoutine() = std::move(routine);
}

void runMessageLoop()
{
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    const bool windowShown = std::any_of(topLevels.begin(), topLevels.end(), [](const QWidget* widget) {
        return isProgramWindow(*widget) && widget->isVisible();
    });
    if (windowShown)
        QApplication::exec();
    // Windows closed with delete-on-close are only queued for deletion when the loop ends; the
    // exit routine must not run while any of them still exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (std::function<void()> routine = std::exchange(exitRoutine(), nullptr))
        routine();
}

void failStartup(const QString& reason)
{
    std::fprintf(stderr, "%s\n", reason.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

}  // namespace xingfan::platform::gui
