#include "ZurboAppDelegate.h"

#include "WindowFitting.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <utility>

namespace zurbo {

namespace {

using namespace std::chrono_literals;

const QString quickActionFlag = QStringLiteral("--finder-quick-action");

// Two runs: the first as soon as the window exists, the second after the
// window manager has had its say about the first size.
constexpr std::chrono::milliseconds fittingDelays[] = {80ms, 350ms};

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
    : QObject(parent), m_arguments(std::move(arguments))
{
}

void ZurboAppDelegate::applicationDidFinishLaunching()
{
    // The steps of every launch (the services provider on the session bus, the
    // quick action's installation and its launch) go here, before the window mode.
    runWindowModeStep();
}

void ZurboAppDelegate::runWindowModeStep()
{
    if (m_arguments.contains(quickActionFlag)) {
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
