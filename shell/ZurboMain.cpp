#include "CompressRequest.h"
#include "ZurboApp.h"
#include "ZurboCommandLine.h"

#include <QApplication>

#include <iostream>

int main(int argc, char** argv)
{
    if (const auto status = zurbo::answerHelpOrVersion({argv + 1, argv + argc}, std::cout)) {
        return *status;
    }
    QApplication application(argc, argv);
    // Docks and task bars match the windows to the desktop entry by these: the
    // window class on X11 is the application name (the entry's StartupWMClass),
    // the application id on Wayland the desktop file's name.
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
