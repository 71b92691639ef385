#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace zurbo {

// ----------------------------------------------------------------------------
// Shows a file, selected, in the user's file browser. Behind an interface so
// that views can be tested with a stand-in that records what it was asked.
// ----------------------------------------------------------------------------
class FileBrowserReveal : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("given to the window by the application")

public:
    using QObject::QObject;

    // `path` is an absolute local path; returns at once.
    Q_INVOKABLE virtual void reveal(const QString& path) = 0;
};

} // namespace zurbo
