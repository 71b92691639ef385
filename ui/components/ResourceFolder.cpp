#include "ResourceFolder.h"

#include "ResourceLocation.h"

namespace zurbo {

QUrl ResourceFolder::fileUrl(const QString& name) const
{
    const auto directory = applicationResourceDirectory();
    if (!directory) {
        return {};
    }
    return QUrl::fromLocalFile(QString::fromStdString((*directory / name.toStdString()).string()));
}

} // namespace zurbo
