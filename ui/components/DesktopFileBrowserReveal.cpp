#include "DesktopFileBrowserReveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <utility>

namespace zurbo {

namespace {

void openContainingFolders(const QStringList& paths)
{
    QStringList folders;
    for (const QString& path : paths) {
        folders.append(QFileInfo(path).absolutePath());
    }
    folders.removeDuplicates();
    for (const QString& folder : folders) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
}

} // namespace

DesktopFileBrowserReveal::DesktopFileBrowserReveal(QDBusConnection bus, QObject* parent)
    : FileBrowserReveal(parent), m_bus(std::move(bus))
{
}

void DesktopFileBrowserReveal::reveal(const QStringList& paths)
{
    if (!m_bus.isConnected()) {
        openContainingFolders(paths);
        return;
    }
    QStringList uris;
    for (const QString& path : paths) {
        uris.append(QUrl::fromLocalFile(path).toString());
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    // Asynchronous: a file manager that is slow to start must not freeze the window.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [paths](QDBusPendingCallWatcher* done) {
                if (done->isError()) {
                    openContainingFolders(paths);
                }
                done->deleteLater();
            });
}

} // namespace zurbo
