#include "ZurboApp.h"

#include "BundledFonts.h"
#include "CompressorModel.h"
#include "DarkPalette.h"
#include "DesktopFileBrowserReveal.h"
#include "FileDialogOpenPanel.h"
#include "FileDialogSavePanel.h"
#include "PagePreviewProvider.h"
#include "QuickActionLaunch.h"
#include "ZurboAppDelegate.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QQmlExtensionPlugin>
#include <QQuickWindow>
#include <QTimer>

#include <unistd.h>

Q_IMPORT_QML_PLUGIN(ZurboPlugin)

namespace zurbo {

namespace {

const QUrl mainWindowUrl(QStringLiteral("qrc:/qt-project.org/imports/Zurbo/window/MainWindow.qml"));

// "zurbo FILE..." queues the files as choosing them would; the quick action's
// arguments are its own.
QList<QUrl> filesToQueue(const QStringList& arguments)
{
    QList<QUrl> files;
    if (quickaction::hasFlag(arguments)) {
        return files;
    }
    for (const QString& argument : arguments.mid(1)) {
        files.append(QUrl::fromLocalFile(QFileInfo(argument).absoluteFilePath()));
    }
    return files;
}

} // namespace

ZurboApp::ZurboApp(QObject* parent)
    : QObject(parent), m_model(std::make_unique<CompressorModel>()),
      m_fileBrowser(std::make_unique<DesktopFileBrowserReveal>()),
      m_delegate(new ZurboAppDelegate(QCoreApplication::arguments(), this)),
      m_signalNotifier(m_signals.fd(), QSocketNotifier::Read)
{
    connect(&m_signalNotifier, &QSocketNotifier::activated, this, [this] {
        char taken[16];
        while (::read(m_signals.fd(), taken, sizeof taken) > 0) {
        }
        QCoreApplication::quit();
    });
    // The file dialogs' own buttons and labels speak the application's language.
    if (m_qtTranslations.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"),
                              QStringLiteral("_"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&m_qtTranslations);
    }
    BundledFonts::registerBundledFonts();
    DarkPalette::applyToApplication();
    m_model->setOpenPanel(std::make_shared<FileDialogOpenPanel>());
    m_model->setSavePanel(std::make_shared<FileDialogSavePanel>());
    PagePreviewProvider::installInto(m_engine);
}

ZurboApp::~ZurboApp() = default;

void ZurboApp::start()
{
    if (const QList<QUrl> files = filesToQueue(QCoreApplication::arguments()); !files.isEmpty()) {
        m_model->add(files);
    }
    m_engine.setInitialProperties(
        {{QStringLiteral("model"), QVariant::fromValue(m_model.get())},
         {QStringLiteral("fileBrowser"), QVariant::fromValue(m_fileBrowser.get())},
         {QStringLiteral("visible"), m_delegate->showsMainWindowAtLaunch()}});
    m_engine.load(mainWindowUrl);
    QTimer::singleShot(0, m_delegate, &ZurboAppDelegate::applicationDidFinishLaunching);
}

QQuickWindow* ZurboApp::mainWindow() const
{
    const QList<QObject*> roots = m_engine.rootObjects();
    return roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(roots.first());
}

} // namespace zurbo
