#include "ZurboApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zurbo"));
    QApplication::setDesktopFileName(QStringLiteral("zurbo"));
    zurbo::ZurboApp app;
    app.start();
    if (app.mainWindow() == nullptr) {
        return 1;
    }
    return QApplication::exec();
}
