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

void openContainingFolder(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

} // namespace

DesktopFileBrowserReveal::DesktopFileBrowserReveal(QDBusConnection bus, QObject* parent)
    : FileBrowserReveal(parent), m_bus(std::move(bus))
{
}

void DesktopFileBrowserReveal::reveal(const QString& path)
{
    if (!m_bus.isConnected()) {
        openContainingFolder(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    // Asynchronous: a file manager that is slow to start must not freeze the window.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [path](QDBusPendingCallWatcher* done) {
                if (done->isError()) {
                    openContainingFolder(path);
                }
                done->deleteLater();
            });
}

} // namespace zurbo
