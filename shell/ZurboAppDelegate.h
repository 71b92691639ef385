#pragma once

#include "FinderServicePanelController.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QStringList>
#include <QUrl>

#include <memory>

namespace zurbo {

class FileBrowserReveal;

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
    ~ZurboAppDelegate() override;

    // Called once, after the main window exists and the event loop runs.
    void applicationDidFinishLaunching();

    // Whether the main window appears at once: not when the quick action
    // handed over a list of files, whose panel takes its place.
    bool showsMainWindowAtLaunch() const;

    // The newest panel still open; null when none is.
    FinderServicePanelController* servicePanelController() const
    {
        return m_panels.isEmpty() ? nullptr : m_panels.last();
    }
    // Replaces the real save dialogs, engine and file browser of later panels.
    void setPanelTools(FinderServicePanelController::Tools tools);

    // At most this many panels are open at once, and this many requests wait
    // for one.
    static constexpr int maxOpenPanels = 4;
    static constexpr int maxWaitingRequests = 32;

    // Opens a panel for `urls`, down and right of the panels still open, so
    // that none hides another; returns once the user has answered its save
    // dialogs. Every panel stays open with its run until it is closed. With
    // `terminateWhenClosed` the application quits once the last open panel
    // has closed, whichever that is.
    //
    // Panels ask for their destinations one at a time, and only
    // maxOpenPanels are open at once: a request that comes while another
    // panel asks, or while that many are open, waits its turn.
    void showServicePanel(const QList<QUrl>& urls, bool terminateWhenClosed);

    // A request from the session bus: its panel opens from the event loop, in
    // its turn. False, with nothing queued, when maxWaitingRequests wait
    // already.
    bool queueServicePanel(const QList<QUrl>& urls);

private:
    // Answers requests on the session bus, when there is one.
    void registerServicesProvider();
    // Places the quick action where the file managers look for it; a
    // failure is logged and the launch goes on.
    void installFinderQuickAction();
    // Opens the panel for the files the quick action handed over, if any;
    // otherwise brings out the main window held back at launch.
    void runQuickActionLaunch();
    // Hides the main window and brings the panel to the front.
    void raiseServicePanel();
    // Lets a closed panel go, and the application too when it was the last
    // panel of a process started by the quick action.
    void servicePanelClosed(FinderServicePanelController* controller);
    // Opens the panels whose turn has come, one after another.
    void showWaitingPanels();
    void openServicePanel(const QList<QUrl>& urls);

    // Fits the main window twice, shortly after launch, unless the process was
    // started by the quick action.
    void runWindowModeStep();
    // Sizes and centres the first visible window that is not a panel; nothing
    // without one or without a screen.
    void fitMainWindowToVisibleScreen();

    QStringList m_arguments;
    std::unique_ptr<FileBrowserReveal> m_fileBrowser;
    FinderServicePanelController::Tools m_panelTools;
    // The open panels, oldest first; the delegate is their parent.
    QList<FinderServicePanelController*> m_panels;
    // The requests whose panels are yet to open, oldest first.
    QQueue<QList<QUrl>> m_waiting;
    // A panel is asking for its destinations.
    bool m_askingDestinations = false;
    bool m_quitWithLastPanel = false;
};

} // namespace zurbo
