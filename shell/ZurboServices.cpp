#include "ZurboServices.h"

#include "LocalFileUrl.h"
#include "QuickActionLaunch.h"

#include <QDBusConnection>

#include <utility>

namespace zurbo {

const QString ZurboServices::serviceName = QStringLiteral("app.zurbo.Zurbo");
const QString ZurboServices::objectPath = QStringLiteral("/app/zurbo/Zurbo");

ZurboServices::ZurboServices(std::function<bool(const QList<QUrl>&)> requestPanel, QObject* parent)
    : QObject(parent), m_requestPanel(std::move(requestPanel))
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
    if (!m_requestPanel(pdfs)) {
        return QStringLiteral(
            "ZURBO va hasta arriba de PDFs. Acaba con los que tiene y vuelve a pedírselo.");
    }
    return {};
}

} // namespace zurbo
