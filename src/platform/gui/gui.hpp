#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

// The window services the program's windows rely on beyond plain Qt. All of them run on the GUI
// thread, after the QApplication has been constructed.
namespace xingfan::platform::gui {

// GUI set-up: the program's name, version and icon (shown by every window without an icon of its
// own), and the quit rule: the program ends when its last window has been closed.
void setUp();

// Loads a window: `window` is constructed hidden by the caller; `created` runs while it is still
// hidden, then the window is shown. Returns at once.
void loadWindow(QWidget& window, const std::function<void()>& created);

// Dialog mode: every other top-level window of the program is disabled while `window` is open
// and gets its earlier enabled state back when it closes. Shows `window` and returns only when it
// has closed (or has been destroyed, or the program is ending).
void runDialog(QWidget& window);

// Esc closes `window` like its close box whenever the control with the focus leaves the key alone.
void closeOnEscape(QWidget& window);

enum class MessageIcon { None, Information };

// A message box with no owner, modal for the whole program, with one OK button. Returns when it
// has been dismissed.
void showMessageBox(const QString& text, const QString& title, MessageIcon icon);

// A window's native handle as a signed 32-bit integer: a number of the program's own, never 0,
// fixed for the window's lifetime and never given to another window. The title of the window
// with a given handle is empty when there is no such window (any more).
std::int32_t nativeHandle(QWidget& window);
QString windowTitleOf(std::int32_t handle);

// The routine to run when the program ends; replaces the one set before.
void setExitRoutine(std::function<void()> routine);

// The message loop: entered only when a window of the program is shown, it runs until the quit
// rule ends it. Windows closed on the way out are destroyed, then the exit routine runs.
void runMessageLoop();

// Ends the program at once with a fatal start-up error (exit status 1), saying `reason` on the
// standard error stream.
[[noreturn]] void failStartup(const QString& reason);

}  // namespace xingfan::platform::gui
