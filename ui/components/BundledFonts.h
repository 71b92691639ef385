#pragma once

#include <QFont>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <filesystem>

namespace zurbo {

// ----------------------------------------------------------------------------
// The application's own faces, registered for this process and reachable by
// their PostScript names: "SinkRegular" (display), "RobotoCondensed-Regular"
// and "RobotoCondensed-Bold".
// ----------------------------------------------------------------------------
class BundledFonts : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // Registers Sink.ttf, RobotoCondensed-Regular.ttf and RobotoCondensed-Bold.ttf
    // from `resourceDirectory`/Fonts, in that order, and makes each PostScript
    // name a substitute for the family the file holds. A missing or broken
    // file leaves its name unresolved and the others unaffected.
    static void registerFrom(const std::filesystem::path& resourceDirectory);

    // The same from the application's resource folder; nothing without one.
    static void registerBundledFonts();

    // The registered file's own face at `pixelSize` pixels: its family and its
    // style, so that a family the system also has in other weights still
    // resolves to this file's. An unregistered name asks for the name itself.
    Q_INVOKABLE QFont face(const QString& postScriptName, int pixelSize) const;
};

} // namespace zurbo
