#include "BundledFonts.h"

#include "ResourceLocation.h"

#include <QFont>
#include <QFontDatabase>
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

} // namespace

void BundledFonts::registerFrom(const std::filesystem::path& resourceDirectory)
{
    for (const BundledFace& face : bundledFaces) {
        const std::filesystem::path file = resourceDirectory / "Fonts" / face.fileName;
        const int id = QFontDatabase::addApplicationFont(QString::fromStdString(file.string()));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) {
            QFont::insertSubstitution(QString::fromLatin1(face.postScriptName), families.first());
        }
    }
}

void BundledFonts::registerBundledFonts()
{
    if (const auto directory = applicationResourceDirectory()) {
        registerFrom(*directory);
    }
}

} // namespace zurbo
