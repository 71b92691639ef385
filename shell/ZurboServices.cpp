#include "ZurboServices.h"

#include "LocalFileUrl.h"
#include "QuickActionLaunch.h"

#include <QDBusConnection>

#include <utility>

namespace zurbo {

const QString ZurboServices::serviceName = QStringLiteral("app.zurbo.Zurbo");
const QString ZurboServices::objectPath = QStringLiteral("/app/zurbo/Zurbo");

ZurboServices::ZurboServices(std::function<void(const QList<QUrl>&)> showPanel, QObject* parent)
    : QObject(parent), m_showPanel(std::move(showPanel))
{
}

bool ZurboServices::registerOn(QDBusConnection connection)
{
    if (!connection.isConnected()) {
        return false;
    }
    if (!connection.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots)) {
        return false;
    }
    if (!connection.registerService(serviceName)) {
        connection.unregisterObject(objectPath);
        return false;
    }
    return true;
}

QString ZurboServices::compressPDFs(const QStringList& uris)
{
    QList<QUrl> urls;
    for (const QString& uri : uris) {
        urls.append(QUrl(uri));
    }
    // Anything but a local file is never looked at.
    const QList<QUrl> pdfs = quickaction::pdfUrls(localFileUrls(urls));
    if (pdfs.isEmpty()) {
        return QStringLiteral(
            "ZURBO no ha recibido ningún PDF. El gestor de archivos se ha hecho el sueco.");
    }
    // The panel's save dialogs are modal; the caller gets its answer first
    // rather than waiting on them.
    QMetaObject::invokeMethod(
        this, [this, pdfs] { m_showPanel(pdfs); }, Qt::QueuedConnection);
    return {};
}

} // namespace zurbo
