#include "BundledFonts.h"

#include "ResourceLocation.h"

#include <QFontDatabase>
#include <QHash>
#include <QRawFont>
#include <QStringList>

namespace zurbo {

namespace {

struct BundledFace {
    const char* postScriptName;
    const char* fileName;
};

constexpr BundledFace bundledFaces[] = {
    {"SinkRegular", "Sink.ttf"},
    {"RobotoCondensed-Regular", "RobotoCondensed-Regular.ttf"},
    {"RobotoCondensed-Bold", "RobotoCondensed-Bold.ttf"},
};

// Application fonts belong to the process, and so does what each was registered as.
QHash<QString, QFont>& registeredFaces()
{
    static QHash<QString, QFont> faces;
    return faces;
}

} // namespace

void BundledFonts::registerFrom(const std::filesystem::path& resourceDirectory)
{
    for (const BundledFace& face : bundledFaces) {
        const QString file =
            QString::fromStdString((resourceDirectory / "Fonts" / face.fileName).string());
        const int id = QFontDatabase::addApplicationFont(file);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            continue;
        }
        const QString name = QString::fromLatin1(face.postScriptName);
        QFont::insertSubstitution(name, families.first());
        QFont font(families.first());
        font.setStyleName(QRawFont(file, 1).styleName());
        registeredFaces().insert(name, font);
    }
}

void BundledFonts::registerBundledFonts()
{
    if (const auto directory = applicationResourceDirectory()) {
        registerFrom(*directory);
    }
}

QFont BundledFonts::face(const QString& postScriptName, int pixelSize) const
{
    QFont font = registeredFaces().value(postScriptName, QFont(postScriptName));
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace zurbo
