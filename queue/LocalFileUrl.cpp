#include "LocalFileUrl.h"

namespace zurbo {

std::optional<QString> localFilePath(const QUrl& url)
{
    // QUrl keeps scheme and host in lower case.
    if (url.scheme() != QLatin1String("file") ||
        !(url.host().isEmpty() || url.host() == QLatin1String("localhost"))) {
        return std::nullopt;
    }
    const QString path = url.path();
    if (!path.startsWith(QLatin1Char('/'))) {
        return std::nullopt;
    }
    return path;
}

QList<QUrl> localFileUrls(const QList<QUrl>& urls)
{
    QList<QUrl> files;
    for (const QUrl& url : urls) {
        if (const std::optional<QString> path = localFilePath(url)) {
            files.append(QUrl::fromLocalFile(*path));
        }
    }
    return files;
}

} // namespace zurbo
