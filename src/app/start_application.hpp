#pragma once

#include <cstdint>

namespace xingfan::app {

// The program's start-up and run, once, on the GUI thread after the QApplication exists: GUI
// set-up, the empty program state, the exit routine, the start-up notice, the launcher (created
// step while hidden, then shown), the message loop until the last window has closed. Returns 0.
std::int32_t startApplication();

}  // namespace xingfan::app
