#pragma once

class QWidget;

// The resource window is built into a module of its own, which the program loads when the
// version gate first opens the window: starting the program then does not load the web engine.
namespace xingfan::ui {

inline constexpr char kResourcesModuleName[] = "xingfan-resources";
inline constexpr char kCreateResourceWindowSymbol[] = "xingfan_createResourceWindow";

// The module's one entry point: a new resource window, hidden, owned by the caller.
using CreateResourceWindow = QWidget* (*)();

}  // namespace xingfan::ui
