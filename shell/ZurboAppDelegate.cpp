#include "ZurboAppDelegate.h"

#include "DesktopFileBrowserReveal.h"
#include "FileDialogSavePanel.h"
#include "FinderQuickActionInstaller.h"
#include "QuickActionLaunch.h"
#include "ResourceLocation.h"
#include "SyslogSystemLog.h"
#include "WindowFitting.h"
#include "ZurboServices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QQuickView>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <utility>

namespace zurbo {

namespace {

using namespace std::chrono_literals;

// Two runs: the first as soon as the window exists, the second after the
// window manager has had its say about the first size.
constexpr std::chrono::milliseconds fittingDelays[] = {80ms, 350ms};

// The window manager may still be placing the windows of a fresh process;
// the panel is brought forward again until it surely stays in front.
constexpr std::chrono::milliseconds panelRaisingDelays[] = {0ms, 120ms, 350ms, 800ms};

QWindow* firstVisibleMainWindow()
{
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->type() != Qt::Tool) {
            return window;
        }
    }
    return nullptr;
}

} // namespace

ZurboAppDelegate::ZurboAppDelegate(QStringList arguments, QObject* parent)
    : QObject(parent), m_arguments(std::move(arguments)),
      m_fileBrowser(std::make_unique<DesktopFileBrowserReveal>())
{
    m_panelTools.savePanel = std::make_shared<FileDialogSavePanel>();
    m_panelTools.fileBrowser = m_fileBrowser.get();
}

ZurboAppDelegate::~ZurboAppDelegate() = default;

void ZurboAppDelegate::applicationDidFinishLaunching()
{
    registerServicesProvider();
    installFinderQuickAction();
    runQuickActionLaunch();
    runWindowModeStep();
}

bool ZurboAppDelegate::showsMainWindowAtLaunch() const
{
    return !quickaction::pathListFile(m_arguments);
}

void ZurboAppDelegate::setPanelTools(FinderServicePanelController::Tools tools)
{
    m_panelTools = std::move(tools);
}

void ZurboAppDelegate::registerServicesProvider()
{
    auto* services = new ZurboServices(
        [this](const QList<QUrl>& urls) { return queueServicePanel(urls); }, this);
    if (!services->registerOn(QDBusConnection::sessionBus())) {
        delete services;
    }
}

void ZurboAppDelegate::installFinderQuickAction()
{
    SyslogSystemLog log;
    FinderQuickActionInstaller(applicationResourceDirectory(),
                               FinderQuickActionInstaller::Desktop::ofThisSession(), log)
        .install();
}

void ZurboAppDelegate::runQuickActionLaunch()
{
    if (showsMainWindowAtLaunch()) {
        return;
    }
    const QList<QUrl> pdfs = quickaction::takeHandedOverPdfs(m_arguments);
    if (pdfs.isEmpty()) {
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (window->type() == Qt::Window) {
                window->show();
            }
        }
        return;
    }
    showServicePanel(pdfs, true);
    for (const auto delay : panelRaisingDelays) {
        QTimer::singleShot(delay, this, &ZurboAppDelegate::raiseServicePanel);
    }
}

void ZurboAppDelegate::showServicePanel(const QList<QUrl>& urls, bool terminateWhenClosed)
{
    m_quitWithLastPanel = m_quitWithLastPanel || terminateWhenClosed;
    m_waiting.enqueue(urls);
    showWaitingPanels();
}

bool ZurboAppDelegate::queueServicePanel(const QList<QUrl>& urls)
{
    if (m_waiting.size() >= maxWaitingRequests) {
        return false;
    }
    m_waiting.enqueue(urls);
    // The caller gets its answer before the panel's save dialogs take over.
    QMetaObject::invokeMethod(this, &ZurboAppDelegate::showWaitingPanels, Qt::QueuedConnection);
    return true;
}

void ZurboAppDelegate::showWaitingPanels()
{
    // The panel asking now opens the next one when its dialogs are answered.
    if (m_askingDestinations) {
        return;
    }
    const QPointer<ZurboAppDelegate> alive(this);
    while (!m_waiting.isEmpty() && m_panels.size() < maxOpenPanels) {
        m_askingDestinations = true;
        openServicePanel(m_waiting.dequeue());
        if (!alive) {
            return;
        }
        m_askingDestinations = false;
    }
}

void ZurboAppDelegate::openServicePanel(const QList<QUrl>& urls)
{
    auto* controller = new FinderServicePanelController(m_panelTools, this);
    // Listed before show(), whose save dialogs let further requests in.
    m_panels.append(controller);
    const QPointer<ZurboAppDelegate> delegate(this);
    controller->show(urls, [delegate, controller] {
        if (delegate) {
            delegate->servicePanelClosed(controller);
        }
    });
}

void ZurboAppDelegate::servicePanelClosed(FinderServicePanelController* controller)
{
    m_panels.removeOne(controller);
    controller->deleteLater();
    if (m_quitWithLastPanel && m_panels.isEmpty() && m_waiting.isEmpty()) {
        QCoreApplication::quit();
        return;
    }
    // Not from within the closing panel's own events.
    QMetaObject::invokeMethod(this, &ZurboAppDelegate::showWaitingPanels, Qt::QueuedConnection);
}

void ZurboAppDelegate::raiseServicePanel()
{
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->type() != Qt::Tool) {
            window->hide();
        }
    }
    QQuickView* panel = servicePanelController() ? servicePanelController()->panel() : nullptr;
    if (panel != nullptr) {
        panel->raise();
        panel->requestActivate();
    }
}

void ZurboAppDelegate::runWindowModeStep()
{
    if (quickaction::hasFlag(m_arguments)) {
        return;
    }
    for (const auto delay : fittingDelays) {
        // `this` as the context drops the run when the delegate is gone.
        QTimer::singleShot(delay, this, &ZurboAppDelegate::fitMainWindowToVisibleScreen);
    }
}

void ZurboAppDelegate::fitMainWindowToVisibleScreen()
{
    QWindow* window = firstVisibleMainWindow();
    if (window == nullptr) {
        return;
    }
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const WindowFitting fitting = WindowFitting::forAvailableGeometry(screen->availableGeometry());
    window->setMinimumSize(fitting.minimumSize);
    window->setGeometry(fitting.frame);
}

} // namespace zurbo
