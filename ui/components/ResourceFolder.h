#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace zurbo {

// ----------------------------------------------------------------------------
// Files of the application's resource folder as the views load them.
// ----------------------------------------------------------------------------
class ResourceFolder : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The file URL of `name` in the resource folder, looked up afresh; an
    // empty URL without a resource folder, so that an image stays blank.
    Q_INVOKABLE QUrl fileUrl(const QString& name) const;
};

} // namespace zurbo
