#include "PagePreviewProvider.h"

#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QQmlEngine>
#include <QRunnable>
#include <QThreadPool>
#include <QUrl>

#include <atomic>
#include <memory>
#include <utility>

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

// The rendering on a pool thread. It holds nothing of the response but the
// flag a cancel sets, and hands its page over by a signal, which Qt drops if
// the response is gone by then; the pool deletes it when it has run.
class PageRenderer : public QObject, public QRunnable {
    Q_OBJECT

public:
    PageRenderer(PageRequest request, std::shared_ptr<std::atomic<bool>> cancelled)
        : m_request(std::move(request)), m_cancelled(std::move(cancelled))
    {
    }

    void run() override
    {
        if (m_cancelled->load()) {
            return;
        }
        QString error;
        QImage image = renderPage(m_request, error);
        emit rendered(image, error);
    }

signals:
    void rendered(const QImage& image, const QString& error);

private:
    PageRequest m_request;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
};

// What QML holds while a page renders; Qt may delete it at any time after
// cancel() or finished(), on the thread it lives in.
class PagePreviewResponse : public QQuickImageResponse {
public:
    explicit PagePreviewResponse(PageRequest request)
    {
        auto* renderer = new PageRenderer(std::move(request), m_cancelled);
        connect(renderer, &PageRenderer::rendered, this,
                [this](const QImage& image, const QString& error) {
                    m_image = image;
                    m_error = error;
                    emit finished();
                });
        QThreadPool::globalInstance()->start(renderer);
    }

    QQuickTextureFactory* textureFactory() const override
    {
        return QQuickTextureFactory::textureFactoryForImage(m_image);
    }

    QString errorString() const override { return m_error; }

    // A page no longer wanted is not rendered, if it has not started yet.
    void cancel() override { m_cancelled->store(true); }

private:
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
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
    return new PagePreviewResponse(parseId(id));
}

} // namespace zurbo

#include "PagePreviewProvider.moc"
