#pragma once

#include "TerminationSignals.h"

#include <QObject>
#include <QQmlApplicationEngine>
#include <QSocketNotifier>
#include <QTranslator>

#include <memory>

class QQuickWindow;

namespace zurbo {

class CompressorModel;
class FileBrowserReveal;
class ZurboAppDelegate;

// ----------------------------------------------------------------------------
// The application in its ordinary form: owns the one CompressorModel of the
// process, registers the bundled fonts and Qt's Spanish texts before any view
// loads, queues the files named on the command line, shows the main window
// and tells the delegate when launching has finished. SIGINT, SIGTERM
// and SIGHUP quit it like closing does; every run stops as it goes away.
//
// Needs a QApplication, since the open and save panels are file dialogs.
// ----------------------------------------------------------------------------
class ZurboApp : public QObject {
    Q_OBJECT

public:
    explicit ZurboApp(QObject* parent = nullptr);
    ~ZurboApp() override;

    // Queues the files named on the command line ("zurbo FILE..."), loads the
    // main window and, from the event loop, runs the delegate's launch steps.
    void start();

    CompressorModel& model() const { return *m_model; }
    // The main window once start() has loaded it; null before or when loading failed.
    QQuickWindow* mainWindow() const;

private:
    std::unique_ptr<CompressorModel> m_model;
    std::unique_ptr<FileBrowserReveal> m_fileBrowser;
    ZurboAppDelegate* m_delegate;
    QTranslator m_qtTranslations;
    TerminationSignals m_signals;
    QSocketNotifier m_signalNotifier;
    QQmlApplicationEngine m_engine;
};

} // namespace zurbo
