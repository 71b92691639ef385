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

    // `showPanel` receives the PDFs of each request that holds any.
    explicit ZurboServices(std::function<void(const QList<QUrl>&)> showPanel,
                           QObject* parent = nullptr);

    // Claims the name and exports compressPDFs(); false, with nothing left
    // registered, when there is no bus or the name is taken.
    bool registerOn(QDBusConnection connection);

public slots:
    // Keeps the local file URIs (LocalFileUrl.h) whose name ends in ".pdf"
    // (any letter case) and opens one panel for them from the event loop,
    // right after answering.
    // Returns the error text when none remain, otherwise the empty text.
    Q_SCRIPTABLE QString compressPDFs(const QStringList& uris);

private:
    std::function<void(const QList<QUrl>&)> m_showPanel;
};

} // namespace zurbo
