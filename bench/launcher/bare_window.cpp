// The yardstick of the launcher's start-up figures: a bare Qt Widgets program that shows one
// window of the launcher's size and runs until it is closed.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(250, 251);
    window.show();
    return QApplication::exec();
}
