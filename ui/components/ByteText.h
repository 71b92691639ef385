#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace zurbo {

// ----------------------------------------------------------------------------
// The one byte-count text of every view: kB, MB or GB, decimal multiples of
// 1000, with the decimal separator of the current default locale.
// ----------------------------------------------------------------------------
class ByteText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // "12,4 MB" under a comma-decimal locale; negative counts read as zero.
    Q_INVOKABLE QString format(qint64 bytes) const;
};

} // namespace zurbo
