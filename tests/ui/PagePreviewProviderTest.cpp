#include "PagePreviewProvider.h"

#include "PdfFixtures.h"
#include "TestFolder.h"

#include <QQuickTextureFactory>
#include <QSignalSpy>
#include <QThreadPool>
#include <QUrl>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

// Qt deletes a response once its request is cancelled (a page flipped, the sheet closed),
// maybe while the page still renders; the pages still wanted come all the same.
TEST(PagePreviewProviderTest, AResponseMayGoWhileItsPageRenders)
{
    const TestFolder folder;
    writeFixturePdf(folder / "a.pdf", imageHeavyDocument(2));
    const QString id = "1/" + QUrl::toPercentEncoding(QString::fromStdString((folder / "a.pdf")));
    PagePreviewProvider provider;
    for (int dropped = 0; dropped < 8; ++dropped) {
        std::unique_ptr<QQuickImageResponse> response(provider.requestImageResponse(id, {}));
        if (dropped % 2 == 0) {
            response->cancel();
        }
    }
    const std::unique_ptr<QQuickImageResponse> kept(provider.requestImageResponse(id, {}));
    QSignalSpy finished(kept.get(), &QQuickImageResponse::finished);
    ASSERT_TRUE(finished.wait(20'000));
    EXPECT_EQ(kept->errorString(), "");
    EXPECT_EQ(std::unique_ptr<QQuickTextureFactory>(kept->textureFactory())->image().size(),
              QSize(850, 1100));
    QThreadPool::globalInstance()->waitForDone();
}

} // namespace
} // namespace zurbo::testing
