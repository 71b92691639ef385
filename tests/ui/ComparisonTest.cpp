#include "PdfFixtures.h"
#include "UiSupport.h"

#include <QQuickItem>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

FixtureDocument pagesOfText(int pages)
{
    FixtureDocument document;
    document.pages.resize(static_cast<std::size_t>(pages));
    return document;
}

QString pathText(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

const QString pageLine = QStringLiteral("Si no lo encuentras, hemos ganado. Página %1 de %2");

// A 5-page source whose result has 3 pages, queued and compressed.
TEST(Comparison, PagesThroughTheShorterDocument)
{
    QueueScenario scenario;
    ViewHarness view;
    writeFixturePdf(scenario.folder / "largo.pdf", pagesOfText(5));
    writeFixturePdf(scenario.folder / "corto.pdf", pagesOfText(3));
    scenario.script("largo.pdf", {.bytes = 1000, .output = scenario.folder / "corto.pdf"});
    scenario.queuePath(scenario.folder / "largo.pdf");
    scenario.runBatch();
    view.showContentView(scenario.model);

    view.click("jobTile0/revealButton");
    EXPECT_EQ(view.fileBrowser.revealed, QStringList{pathText(scenario.folder / "corto.pdf")});

    view.click("compareResults");
    ASSERT_TRUE(view.visible("comparisonSheet"));
    EXPECT_EQ(view.text("pageLine"), pageLine.arg(1).arg(3));
    EXPECT_FALSE(view.isShown("previousPage"));
    for (const QString& preview : QStringList{"beforePreview", "afterPreview"}) {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return view.read(preview + "/thumbnail", "status").toInt() == 1; }, 10000))
            << preview.toStdString();
    }
    // A US Letter page, 612 x 792, fitted into 900 x 1100 by height.
    EXPECT_EQ(view.read("beforePreview/thumbnail", "sourceSize").toSize(), QSize(850, 1100));
    EXPECT_FALSE(view.visible("beforePreview/previewFallback"));
    EXPECT_EQ(view.text("afterPreview/previewLabel"), "DESPUÉS · 1 kB");
    view.saveScreenshot(QStringLiteral("comparison"));

    view.click("nextPage");
    view.click("nextPage");
    EXPECT_EQ(view.text("pageLine"), pageLine.arg(3).arg(3));
    EXPECT_FALSE(view.isShown("nextPage"));
    EXPECT_TRUE(view.isShown("previousPage"));
}

TEST(Comparison, UnreadableFilesShowTheFallbackText)
{
    TestFolder folder;
    writeFile(folder / "roto.pdf", "esto no es un PDF");
    ViewHarness view;
    const QVariantMap job{{"source", pathText(folder / "roto.pdf")}, {"originalBytes", 17}};
    view.show(QStringLiteral("PDFComparisonView.qml"), {{"job", job}}, {900, 650});

    EXPECT_EQ(view.text("pageLine"), pageLine.arg(1).arg(1));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return view.visible("beforePreview/previewFallback"); }, 10000));
    EXPECT_EQ(view.text("beforePreview/previewFallback"), "No se ha podido abrir esta página.");
    // No output at all: the right side has nothing to show either.
    EXPECT_TRUE(view.visible("afterPreview/previewFallback"));
    EXPECT_EQ(view.text("afterPreview/previewLabel"), "DESPUÉS · 0 kB");
}

} // namespace
} // namespace zurbo::testing
