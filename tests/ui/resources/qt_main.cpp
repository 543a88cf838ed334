#include <QApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
// The web engine pairs some of its sized deletes differently from its allocations, and keeps
// objects (and udev monitors) for the life of the process; both are inside its library, not ours.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\nleak:libudev.so\n";
}
#endif

// The window tests need a QApplication, headless, with the web engine's sandbox off (it refuses
// to start as root otherwise); the variables given by the caller win.
int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
