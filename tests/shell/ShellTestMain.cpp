#include "BundledFonts.h"

#include <QApplication>
#include <QDir>
#include <QQmlExtensionPlugin>
#include <QTemporaryDir>

#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(ZurboPlugin)

// Nothing reaches the desktop of whoever runs the tests: no display, home,
// XDG and temporary folders of the run's own, and no session bus but the one
// dbus-run-session starts for the bus tests.
int main(int argc, char** argv)
{
    const QTemporaryDir desktop;
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                             "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
        QDir(desktop.path()).mkdir(name);
        QFile::setPermissions(desktop.filePath(name),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(desktop.filePath(name)));
    }
    if (!qEnvironmentVariableIsSet("ZURBO_PRIVATE_BUS")) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(desktop.path()));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    QApplication application(argc, argv);
    // Only an explicit quit may end a test's event loop.
    QApplication::setQuitOnLastWindowClosed(false);
    zurbo::BundledFonts::registerBundledFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
