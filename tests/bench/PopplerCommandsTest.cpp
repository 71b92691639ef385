#include "PopplerCommands.h"

#include "BenchDocumentSet.h"
#include "StructuralSimilarity.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

namespace zurbo::bench {
namespace {

using zurbo::testing::TestFolder;

// Two Letter pages; the second holds a small photograph.
BenchDocument smallDocument()
{
    return {"small.pdf",
            {{{"Primera pagina"}, {}},
             {{"Segunda pagina"}, {{.ppi = 100, .width = 1, .height = 1, .seed = 3}}}}};
}

TEST(PopplerCommandsTest, RendersEveryPageInOrderAtTheGivenResolution)
{
    const TestFolder folder;
    BenchDocumentSet::write(smallDocument(), folder / "small.pdf");
    const auto pages = renderGrayPages(folder / "small.pdf", 100);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].width, 850);
    EXPECT_EQ(pages[0].height, 1100);
    // Only the second page carries the photograph.
    EXPECT_LT(structuralSimilarity(pages[0], pages[1]), 0.99);
    EXPECT_NEAR(structuralSimilarity(pages[1], renderGrayPages(folder / "small.pdf", 100)[1]), 1.0,
                1e-12);
}

TEST(PopplerCommandsTest, ExtractsTheTextOfEveryPage)
{
    const TestFolder folder;
    BenchDocumentSet::write(smallDocument(), folder / "small.pdf");
    const auto text = extractText(folder / "small.pdf");
    ASSERT_TRUE(text.has_value());
    EXPECT_LT(text->find("Primera pagina"), text->find("Segunda pagina"));
    EXPECT_NE(text->find("Segunda pagina"), std::string::npos);
}

TEST(PopplerCommandsTest, FailsOnSomethingThatIsNotAPdf)
{
    const TestFolder folder;
    zurbo::testing::writeFile(folder / "fake.pdf", "not a pdf at all");
    EXPECT_THROW(renderGrayPages(folder / "fake.pdf", 100), std::runtime_error);
    EXPECT_FALSE(extractText(folder / "fake.pdf").has_value());
}

TEST(PopplerCommandsTest, FindsProgramsOnThePathOnly)
{
    EXPECT_TRUE(findOnPath("pdftoppm").has_value());
    EXPECT_FALSE(findOnPath("zurbo-no-such-program").has_value());
}

} // namespace
} // namespace zurbo::bench
