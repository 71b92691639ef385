#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace zurbo {

// ----------------------------------------------------------------------------
// How many pages a PDF on disk has, for the comparison's page navigation.
// Opens the file afresh on every call; nothing is cached.
// ----------------------------------------------------------------------------
class PdfPageCounter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The page count of the PDF at `path`, or 1 when it cannot be opened.
    Q_INVOKABLE int pageCount(const QString& path) const;
};

} // namespace zurbo
