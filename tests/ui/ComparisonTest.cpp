#include "PdfFixtures.h"
#include "QueueScenario.h"
#include "ViewHarness.h"

#include <QQuickItem>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

FixtureDocument pagesOfText(int pages) {
    FixtureDocument document;
    document.pages.resize(static_cast<std::size_t>(pages));
    return document;
}

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

class Comparison : public ::testing::Test {
protected:
    // A 5-page source whose result has 3 pages, queued and compressed.
    void SetUp() override {
        writeFixturePdf(scenario.folder / "largo.pdf", pagesOfText(5));
        writeFixturePdf(scenario.folder / "corto.pdf", pagesOfText(3));
        scenario.engine.script("largo.pdf", ScriptedOutcome::result(1000, std::nullopt,
                                                                    scenario.folder / "corto.pdf"));
        scenario.queuePath(scenario.folder / "largo.pdf");
        scenario.runBatch();
        view.showContentView(scenario.model);
    }

    bool previewReady(const QString& preview) {
        return QTest::qWaitFor(
            [&] { return view.read(preview + "/thumbnail", "status").toInt() == 1; }, 10000);
    }

    QueueScenario scenario;
    ViewHarness view;
};

TEST_F(Comparison, PagesThroughTheShorterDocument) {
    view.click("compareResults");
    ASSERT_TRUE(view.read("comparisonSheet", "visible").toBool());
    EXPECT_EQ(view.text("pageLine"), "Si no lo encuentras, hemos ganado. Página 1 de 3");
    EXPECT_FALSE(view.isShown("previousPage"));
    ASSERT_TRUE(previewReady("beforePreview"));
    ASSERT_TRUE(previewReady("afterPreview"));
    view.saveScreenshot(QStringLiteral("comparison"));

    view.click("nextPage");
    view.click("nextPage");
    EXPECT_EQ(view.text("pageLine"), "Si no lo encuentras, hemos ganado. Página 3 de 3");
    EXPECT_FALSE(view.isShown("nextPage"));
    EXPECT_TRUE(view.isShown("previousPage"));
}

TEST_F(Comparison, RendersTheCropBoxFittedInto900By1100) {
    view.click("jobTile0/compareButton");
    ASSERT_TRUE(previewReady("beforePreview"));
    // A US Letter page, 612 x 792, fitted by height.
    EXPECT_EQ(view.read("beforePreview/thumbnail", "sourceSize").toSize(), QSize(850, 1100));
    EXPECT_FALSE(view.read("beforePreview/previewFallback", "visible").toBool());
    EXPECT_EQ(view.text("afterPreview/previewLabel"), "DESPUÉS · 1 kB");
}

TEST_F(Comparison, ClosingEmptiesTheSheet) {
    view.click("compareResults");
    view.click("closeComparison");
    EXPECT_FALSE(view.read("comparisonSheet", "visible").toBool());
}

TEST_F(Comparison, RevealShowsTheResultInTheFileBrowser) {
    view.click("jobTile0/revealButton");
    EXPECT_EQ(view.fileBrowser().revealed, QStringList{pathText(scenario.folder / "corto.pdf")});
}

TEST(ComparisonFallback, UnreadableFilesShowTheFallbackText) {
    TestFolder folder;
    writeFile(folder / "roto.pdf", "esto no es un PDF");
    ViewHarness view;
    const QVariantMap job{{"source", pathText(folder / "roto.pdf")}, {"originalBytes", 17}};
    view.show(QStringLiteral("PDFComparisonView.qml"), {{"job", job}}, {900, 650});

    EXPECT_EQ(view.text("pageLine"), "Si no lo encuentras, hemos ganado. Página 1 de 1");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return view.read("beforePreview/previewFallback", "visible").toBool(); }, 10000));
    EXPECT_EQ(view.text("beforePreview/previewFallback"), "No se ha podido abrir esta página.");
    // No output at all: the right side has nothing to show either.
    EXPECT_TRUE(view.read("afterPreview/previewFallback", "visible").toBool());
    EXPECT_EQ(view.text("afterPreview/previewLabel"), "DESPUÉS · 0 kB");
}

} // namespace
} // namespace zurbo::testing
