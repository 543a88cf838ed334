#include "ui/resources/resource_window.hpp"
#include "ui/resources/resources_module.hpp"

#include <QQuickWindow>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

#include <type_traits>

namespace {

// The web engine normally settles its shared OpenGL context before the application object
// exists. Loaded later, as this module is, it has to be set up here, once, before its first
// view: that keeps the OpenGL stack out of every start of the program that never gets this far.
void setUpWebEngineOnce()
{
    static const bool ready = [] {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
        QtWebEngineQuick::initialize();
        return true;
    }();
    Q_UNUSED(ready);
}

}  // namespace

extern "C" Q_DECL_EXPORT QWidget* xingfan_createResourceWindow()
{
    setUpWebEngineOnce();
    return new xingfan::ui::ResourceWindow();
}

// The entry point must keep the signature that the loader expects.
static_assert(std::is_same_v<decltype(&xingfan_createResourceWindow), xingfan::ui::CreateResourceWindow>);
