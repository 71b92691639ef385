#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QDBusConnection;

namespace zurbo {

// ----------------------------------------------------------------------------
// The session-bus entry through which other programs (a file manager's
// script, a desktop shortcut) hand PDFs to the running application: name
// "app.zurbo.Zurbo", object "/app/zurbo/Zurbo", interface "app.zurbo.Services".
// ----------------------------------------------------------------------------
class ZurboServices : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.zurbo.Services")

public:
    static const QString serviceName;
    static const QString objectPath;

    // `requestPanel` receives the PDFs of each request that holds any, and
    // answers whether a panel will open for them; it must not open one
    // before returning, so that the caller gets its answer first.
    explicit ZurboServices(std::function<bool(const QList<QUrl>&)> requestPanel,
                           QObject* parent = nullptr);

    // Claims the name and exports compressPDFs(); false, with nothing left
    // registered, when there is no bus or the name is taken.
    bool registerOn(QDBusConnection connection);

public slots:
    // Keeps the local file URIs (LocalFileUrl.h) whose name ends in ".pdf"
    // (any letter case) and asks for one panel for them.
    // Returns the error text when none remain or too many requests wait
    // already, otherwise the empty text.
    Q_SCRIPTABLE QString compressPDFs(const QStringList& uris);

private:
    std::function<bool(const QList<QUrl>&)> m_requestPanel;
};

} // namespace zurbo
