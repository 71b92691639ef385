#include "PagePreviewProvider.h"

#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QQmlEngine>
#include <QRunnable>
#include <QThreadPool>
#include <QUrl>

namespace zurbo {

namespace {

constexpr QSizeF previewBox{900.0, 1100.0};

struct PageRequest {
    QString path;
    int pageIndex = -1;
};

PageRequest parseId(const QString& id)
{
    const qsizetype slash = id.indexOf(QLatin1Char('/'));
    bool ok = false;
    const int page = id.left(slash).toInt(&ok);
    if (slash < 0 || !ok) {
        return {};
    }
    return {QUrl::fromPercentEncoding(id.mid(slash + 1).toUtf8()), page};
}

// The page fitted into the preview box, or a null image with `error` set.
QImage renderPage(const PageRequest& request, QString& error)
{
    QPdfDocument document;
    if (request.path.isEmpty() || document.load(request.path) != QPdfDocument::Error::None) {
        error = QStringLiteral("unreadable document");
        return {};
    }
    if (request.pageIndex < 0 || request.pageIndex >= document.pageCount()) {
        error = QStringLiteral("no such page");
        return {};
    }
    const QSizeF page = document.pagePointSize(request.pageIndex);
    if (page.isEmpty()) {
        error = QStringLiteral("empty page");
        return {};
    }
    const QSize fitted = page.scaled(previewBox, Qt::KeepAspectRatio).toSize();
    const QImage rendered = document.render(request.pageIndex, fitted);
    if (rendered.isNull()) {
        error = QStringLiteral("page could not be rendered");
        return {};
    }
    // Pages are drawn on transparency; paper is white.
    QImage paper(rendered.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter(&paper).drawImage(0, 0, rendered);
    return paper;
}

class PagePreviewResponse : public QQuickImageResponse, public QRunnable {
public:
    explicit PagePreviewResponse(PageRequest request) : m_request(std::move(request))
    {
        setAutoDelete(false);
    }

    QQuickTextureFactory* textureFactory() const override
    {
        return QQuickTextureFactory::textureFactoryForImage(m_image);
    }

    QString errorString() const override { return m_error; }

    void run() override
    {
        m_image = renderPage(m_request, m_error);
        emit finished();
    }

private:
    PageRequest m_request;
    QImage m_image;
    QString m_error;
};

} // namespace

void PagePreviewProvider::installInto(QQmlEngine& engine)
{
    engine.addImageProvider(QStringLiteral("pdfpage"), new PagePreviewProvider);
}

QQuickImageResponse* PagePreviewProvider::requestImageResponse(const QString& id, const QSize&)
{
    auto* response = new PagePreviewResponse(parseId(id));
    QThreadPool::globalInstance()->start(response);
    return response;
}

} // namespace zurbo
