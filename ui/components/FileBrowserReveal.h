#pragma once

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace zurbo {

// ----------------------------------------------------------------------------
// Shows files, selected, in the user's file browser. Behind an interface so
// that views can be tested with a stand-in that records what it was asked.
// ----------------------------------------------------------------------------
class FileBrowserReveal : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("given to the window by the application")

public:
    using QObject::QObject;

    // Asks for all of `paths` (absolute local paths) at once; returns at once.
    Q_INVOKABLE virtual void reveal(const QStringList& paths) = 0;
};

} // namespace zurbo
