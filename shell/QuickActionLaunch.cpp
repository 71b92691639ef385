#include "QuickActionLaunch.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace zurbo::quickaction {

namespace {

bool isLineBreak(QChar character)
{
    switch (character.unicode()) {
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

QString readUtf8(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {};
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    return decoder.hasError() ? QString() : text;
}

} // namespace

bool hasFlag(const QStringList& arguments)
{
    return arguments.contains(flag, Qt::CaseSensitive);
}

std::optional<QString> pathListFile(const QStringList& arguments)
{
    const qsizetype at = arguments.indexOf(flag);
    if (at < 0 || at + 1 >= arguments.size()) {
        return std::nullopt;
    }
    return arguments.at(at + 1);
}

QStringList splitPathList(const QString& text)
{
    QStringList lines;
    qsizetype lineStart = 0;
    for (qsizetype at = 0; at <= text.size(); ++at) {
        if (at < text.size() && !isLineBreak(text.at(at))) {
            continue;
        }
        if (at > lineStart) {
            lines.append(text.mid(lineStart, at - lineStart));
        }
        lineStart = at + 1;
    }
    return lines;
}

QStringList takePathList(const QString& file)
{
    const QString text = readUtf8(file);
    QFile::remove(file);
    return splitPathList(text);
}

QList<QUrl> pdfUrls(const QList<QUrl>& urls)
{
    QList<QUrl> pdfs;
    for (const QUrl& url : urls) {
        if (QFileInfo(url.path()).suffix().toLower() == QLatin1String("pdf")) {
            pdfs.append(url);
        }
    }
    return pdfs;
}

QList<QUrl> fileUrls(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    return urls;
}

QList<QUrl> takeHandedOverPdfs(const QStringList& arguments)
{
    const std::optional<QString> list = pathListFile(arguments);
    return list ? pdfUrls(fileUrls(takePathList(*list))) : QList<QUrl>();
}

} // namespace zurbo::quickaction
