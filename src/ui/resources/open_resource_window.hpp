#pragma once

namespace xingfan::ui {

// Builds the resource window afresh and runs it in dialog mode: the program's other windows
// stay disabled until it closes, and the call returns only then. Closing destroys the window
// and both of its browsers, so the next opening starts again on page 0 at the start address.
void openResourceWindow();

}  // namespace xingfan::ui
