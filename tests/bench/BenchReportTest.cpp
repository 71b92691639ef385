#include "BenchReport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace zurbo::bench {
namespace {

BenchRow run(const std::string& file, CompressionProfile profile, const std::string& engine,
             std::int64_t bytes, double seconds, double ssim, bool textSame = true)
{
    return {.file = file,
            .profile = profile,
            .engine = engine,
            .sourceBytes = 1000,
            .outputBytes = bytes,
            .seconds = seconds,
            .meanSsim = ssim,
            .textUnchanged = textSame};
}

BenchRow failure(const std::string& file, CompressionProfile profile, const std::string& engine,
                 const std::string& error)
{
    return {
        .file = file, .profile = profile, .engine = engine, .sourceBytes = 1000, .error = error};
}

constexpr auto balanced = CompressionProfile::balanced;
constexpr auto demolition = CompressionProfile::demolition;

TEST(BenchReportTest, ComparesEachRunWithGhostscriptOnTheSameFileAndProfile)
{
    const std::vector<BenchRow> rows{
        run("a.pdf", balanced, "ghostscript", 400, 2.0, 0.90),
        run("a.pdf", balanced, "native", 200, 1.0, 0.95),
        run("a.pdf", demolition, "ghostscript", 100, 4.0, 0.80),
        run("a.pdf", demolition, "native", 400, 1.0, 0.70, false),
    };
    const auto summaries = summarize(rows);
    ASSERT_EQ(summaries.size(), 2u);
    const EngineSummary& native = summaries[1];
    EXPECT_EQ(native.engine, "native");
    EXPECT_EQ(native.comparedRuns, 2);
    // Size ratios 0.5 and 4, speed-ups 2 and 4.
    EXPECT_NEAR(*native.sizeRatioGeometricMean, std::sqrt(0.5 * 4), 1e-12);
    EXPECT_NEAR(*native.speedupGeometricMean, std::sqrt(2.0 * 4.0), 1e-12);
    EXPECT_NEAR(*native.ssimMeanDifference, (0.05 - 0.10) / 2, 1e-12);
    EXPECT_EQ(native.textUnchanged, 1);
    EXPECT_NEAR(*summaries[0].sizeRatioGeometricMean, 1.0, 1e-12);
}

TEST(BenchReportTest, FailedRunsAreCountedButNeverCompared)
{
    const std::vector<BenchRow> rows{
        failure("a.pdf", balanced, "ghostscript", "boom"),
        run("a.pdf", balanced, "native", 200, 1.0, 0.95),
        run("b.pdf", balanced, "ghostscript", 400, 1.0, 0.9),
        failure("b.pdf", balanced, "native", "stub"),
    };
    const auto summaries = summarize(rows);
    ASSERT_EQ(summaries.size(), 2u);
    EXPECT_EQ(summaries[0].failures, 1);
    EXPECT_EQ(summaries[1].runs, 2);
    EXPECT_EQ(summaries[1].failures, 1);
    EXPECT_EQ(summaries[1].comparedRuns, 0);
    EXPECT_FALSE(summaries[1].sizeRatioGeometricMean.has_value());
}

TEST(BenchReportTest, TableShowsMeasurementsErrorsAndNotes)
{
    const std::vector<BenchRow> rows{
        run("a.pdf", balanced, "ghostscript", 250, 1.5, 0.98765),
        failure("a.pdf", balanced, "native", "bad | pipe\nsecond line"),
    };
    std::ostringstream out;
    writeMarkdownReport(out, rows, {"qpdf skipped"});
    const std::string text = out.str();
    EXPECT_NE(text.find("| a.pdf | balanced | ghostscript | 250 | 0.250 | 1.500 | 0.9877 | same |"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("| a.pdf | balanced | native | error: bad \\| pipe second line | — |"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("| native | 0/1 | 0 | — | — | 0/0 | — |"), std::string::npos) << text;
    EXPECT_NE(text.find("- qpdf skipped"), std::string::npos) << text;
}

} // namespace
} // namespace zurbo::bench
