#include "app/start_application.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    return xingfan::app::startApplication();
}
