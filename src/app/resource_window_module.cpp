#include "app/resource_window_module.hpp"

#include "platform/gui/gui.hpp"
#include "ui/resources/resources_module.hpp"

#include <QCoreApplication>
#include <QLibrary>
#include <QStringList>
#include <QWidget>
#include <QtDebug>

#include <memory>

namespace xingfan::app {
namespace {

// Beside the executable in the build tree; in <libdir>/xingfan once installed.
QStringList moduleCandidates()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(ui::kResourcesModuleName);
    return {programDir + u'/' + name,
            programDir + u'/' + QStringLiteral(XINGFAN_INSTALLED_MODULE_DIR) + u'/' + name};
}

ui::CreateResourceWindow resolveCreateResourceWindow()
{
    // Never unloaded: the web engine cannot be shut down and loaded again within one run.
    static QLibrary module;
    if (!module.isLoaded()) {
        QStringList errors;
        for (const QString& candidate : moduleCandidates()) {
            module.setFileName(candidate);
            if (module.load())
                break;
            errors << module.errorString();
        }
        if (!module.isLoaded()) {
            qWarning().noquote() << "The resource window's module could not be loaded:" << errors.join(u"; ");
            return nullptr;
        }
    }
    return reinterpret_cast<ui::CreateResourceWindow>(module.resolve(ui::kCreateResourceWindowSymbol));
}

}  // namespace

void openResourceWindow()
{
    const ui::CreateResourceWindow create = resolveCreateResourceWindow();
    if (create == nullptr)
        return;
    // Closing destroys the window with both of its browsers; the next opening starts afresh.
    const std::unique_ptr<QWidget> window(create());
    platform::gui::runDialog(*window);
}

}  // namespace xingfan::app
