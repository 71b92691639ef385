#pragma once

#include <QQuickAsyncImageProvider>
#include <QString>

class QQmlEngine;

namespace zurbo {

// ----------------------------------------------------------------------------
// Page pictures for the comparison, rendered with Qt PDF on the global thread
// pool so that the window keeps drawing while a page renders.
//
// An image id is the 0-based page index, a slash, then the percent-encoded
// path of the PDF: image://pdfpage/2/%2Fhome%2Fana%2Fa.pdf. The page's crop
// box is fitted into 900 x 1100 with its proportions kept. An unreadable file
// or a page out of range answers with an error and no image. A response may
// be cancelled or deleted while its page renders: the rendering keeps to
// itself and its page is dropped.
// ----------------------------------------------------------------------------
class PagePreviewProvider : public QQuickAsyncImageProvider {
public:
    // Makes the provider answer image://pdfpage/ URLs in `engine`, which takes it.
    static void installInto(QQmlEngine& engine);

    QQuickImageResponse* requestImageResponse(const QString& id,
                                              const QSize& requestedSize) override;
};

} // namespace zurbo
