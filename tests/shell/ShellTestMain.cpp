#include "BundledFonts.h"

#include <QApplication>
#include <QQmlExtensionPlugin>

#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(ZurboPlugin)

// Windows, views and file dialogs without a display (the offscreen platform
// and the software renderer, unless the caller chose otherwise); the models
// need the event loop to bring engine outcomes and ticks back.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) {
        qputenv("QT_QUICK_BACKEND", "software");
    }
    QApplication application(argc, argv);
    // Only an explicit quit may end a test's event loop.
    QApplication::setQuitOnLastWindowClosed(false);
    zurbo::BundledFonts::registerBundledFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
