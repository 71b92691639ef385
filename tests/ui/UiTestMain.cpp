#include "BundledFonts.h"

#include <QGuiApplication>
#include <QQmlExtensionPlugin>
#include <QQuickWindow>

#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(ZurboPlugin)

// Views are drawn offscreen by the software renderer, so that the tests run
// without a display and pictures can be grabbed from any window.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication application(argc, argv);
    zurbo::BundledFonts::registerBundledFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
