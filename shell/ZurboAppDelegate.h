#pragma once

#include <QObject>
#include <QStringList>

namespace zurbo {

// ----------------------------------------------------------------------------
// What happens once the application has started: the launch steps of the
// quick action, then the window-mode step that fits the main window to the
// screen. Runs on the main thread.
// ----------------------------------------------------------------------------
class ZurboAppDelegate : public QObject {
    Q_OBJECT

public:
    // `arguments` are the process arguments, the program path included.
    explicit ZurboAppDelegate(QStringList arguments, QObject* parent = nullptr);

    // Called once, after the main window exists and the event loop runs.
    void applicationDidFinishLaunching();

private:
    // Fits the main window twice, shortly after launch, unless the process was
    // started by the quick action.
    void runWindowModeStep();
    // Sizes and centres the first visible window that is not a panel; nothing
    // without one or without a screen.
    void fitMainWindowToVisibleScreen();

    QStringList m_arguments;
};

} // namespace zurbo
