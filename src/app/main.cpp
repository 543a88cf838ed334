#include "app/start_application.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    // The resource window's web engine shares OpenGL contexts, which must be settled before the
    // application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    return xingfan::app::startApplication();
}
