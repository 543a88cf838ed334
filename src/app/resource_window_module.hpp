#pragma once

namespace xingfan::app {

// Opens the resource window in dialog mode and returns when it has closed. The window comes from
// its own module, loaded at the first opening and kept for the rest of the run, so that the web
// engine costs nothing until the version gate lets the user in.
void openResourceWindow();

}  // namespace xingfan::app
