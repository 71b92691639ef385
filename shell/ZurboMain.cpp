#include "CompressRequest.h"
#include "ZurboApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zurbo"));
    QApplication::setDesktopFileName(QStringLiteral("app.zurbo.Zurbo"));
    int status = 0;
    {
        zurbo::ZurboApp app;
        app.start();
        if (app.mainWindow() == nullptr) {
            return 1;
        }
        status = QApplication::exec();
    }
    // Every run asked its engine call to stop as it went; those end within a moment.
    zurbo::waitForEngineCalls();
    return status;
}
