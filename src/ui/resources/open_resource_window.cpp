#include "ui/resources/open_resource_window.hpp"

#include "platform/gui/gui.hpp"
#include "ui/resources/resource_window.hpp"

namespace xingfan::ui {

void openResourceWindow()
{
    ResourceWindow window;
    platform::gui::runDialog(window);
}

}  // namespace xingfan::ui
