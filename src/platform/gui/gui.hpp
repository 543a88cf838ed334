#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

// The window services the program's windows rely on beyond plain Qt.
namespace xingfan::platform::gui {

// Loads a window: `window` is constructed hidden by the caller; `created` runs while it is still
// hidden, then the window is shown. Returns at once.
void loadWindow(QWidget& window, const std::function<void()>& created);

// Dialog mode: every other top-level window of the program is disabled while `window` is open
// and gets its earlier enabled state back when it closes. Returns only when `window` has closed.
void runDialog(QWidget& window);

enum class MessageIcon { None, Information };

// A message box with no owner, modal for the whole program, with one OK button.
void showMessageBox(const QString& text, const QString& title, MessageIcon icon);

// A window's native handle as a signed 32-bit integer, and the title of the window with a given
// handle (empty when there is none).
std::int32_t nativeHandle(QWidget& window);
QString windowTitleOf(std::int32_t handle);

// The routine to run when the program ends.
void setExitRoutine(std::function<void()> routine);

}  // namespace xingfan::platform::gui
