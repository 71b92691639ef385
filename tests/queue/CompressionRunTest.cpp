#include "CompressionRun.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using namespace testing;

// A run over PDFs of a fresh folder where link.pdf leads to b.pdf.
struct RunRow {
    const char* name;
    // "a>b" compresses a.pdf into b.pdf.
    std::string files;
    CompressionRun::AfterFailure afterFailure;
    // "a:failed" or "a:cancelled"; others succeed. "a:stop" asks to stop as a starts.
    std::string engine;
    // What the run reports, in order: source:ok, :failed, :refused or :cancelled.
    std::string reported;
    bool ranToTheEnd;
    bool wasStopped;
    // Files in flight at most; the latest started ends first.
    std::size_t inFlight = 1;

    friend void PrintTo(const RunRow& row, std::ostream* out) { *out << row.name; }
};

class CompressionRunTest : public ::testing::TestWithParam<RunRow> {};

TEST_P(CompressionRunTest, ReportsEveryFileInOrderUnderTheSharedGuards)
{
    const RunRow& row = GetParam();
    const TestFolder folder;
    std::vector<CompressionRun::File> files;
    for (const std::string& file : split(row.files)) {
        const std::string source = file.substr(0, file.find('>')) + ".pdf";
        writeFile(folder / source, "%PDF");
        files.push_back({folder / source, folder / (file.substr(file.find('>') + 1) + ".pdf")});
    }
    writeFile(folder / "b.pdf", "%PDF");
    std::filesystem::create_symlink("b.pdf", folder / "link.pdf");
    const StopSource stop;
    std::string reported;
    CompressionRun run(
        files, row.afterFailure, stop.token(),
        [&](std::size_t index, const CompressionRun::Outcome& outcome) {
            const bool refused = outcome.error == CompressionRun::destinationIsLaterSourceMessage;
            reported += files[index].source.stem().string() + (outcome.result      ? ":ok "
                                                               : outcome.cancelled ? ":cancelled "
                                                               : refused           ? ":refused "
                                                                                   : ":failed ");
        },
        row.inFlight);
    using Outcome = CompressionRun::Outcome;
    // What a file in flight reads and writes stays as it found them until it ends.
    auto seen = [&](std::size_t index) {
        return readFile(files[index].source) + "|" + readFile(files[index].destination);
    };
    std::vector<std::pair<std::size_t, std::string>> flying;
    for (int written = 0;; flying.pop_back()) {
        while (const std::optional<std::size_t> index = run.startNext()) {
            flying.emplace_back(*index, seen(*index));
            if (row.engine == files[*index].source.stem().string() + ":stop") {
                stop.requestStop();
            }
        }
        if (flying.empty()) {
            break;
        }
        ASSERT_LE(flying.size(), row.inFlight);
        const auto& [index, before] = flying.back();
        EXPECT_EQ(seen(index), before) << "changed while in flight";
        writeFile(files[index].destination, std::to_string(++written));
        const std::string stem = files[index].source.stem().string() + ":";
        const std::string answer = row.engine.starts_with(stem) ? row.engine.substr(2) : "ok";
        run.finish(index, answer == "failed"      ? Outcome{{}, "se rompió"}
                          : answer == "cancelled" ? Outcome{{}, {}, true}
                                                  : Outcome{PDFEngine::Result{}});
    }
    EXPECT_EQ(reported, row.reported);
    EXPECT_TRUE(run.isOver());
    EXPECT_EQ(std::pair(run.ranToTheEnd(), run.wasStopped()),
              std::pair(row.ranToTheEnd, row.wasStopped));
}

using enum CompressionRun::AfterFailure;

INSTANTIATE_TEST_SUITE_P(
    Runs, CompressionRunTest,
    ::testing::Values(
        RunRow{"inOrder", "a>x b>y c>z", goOn, "", "a:ok b:ok c:ok ", true, false, 3},
        RunRow{"refusedBehindAFileInFlight", "a>x b>c c>y", goOn, "", "a:ok b:refused c:ok ", true,
               false, 2},
        RunRow{"writerWaitsForItsReader", "a>x c>a", goOn, "", "a:ok c:ok ", true, false, 2},
        RunRow{"oneWriterOfAFileAtATime", "a>x c>x", goOn, "", "a:ok c:ok ", true, false, 2},
        RunRow{"laterSourceRefused", "a>b b>x c>y", goOn, "", "a:refused b:ok c:ok ", true, false},
        RunRow{"laterSourceThroughALink", "a>link b>x", goOn, "", "a:refused b:ok ", true, false},
        RunRow{"ownSourceInPlace", "a>a b>b", goOn, "", "a:ok b:ok ", true, false},
        RunRow{"sameFileTwiceInPlace", "a>a a>a", goOn, "", "a:refused a:ok ", true, false},
        RunRow{"earlierSourceMayBeReplaced", "a>x c>a", goOn, "", "a:ok c:ok ", true, false},
        RunRow{"failureGoesOn", "a>x c>y", goOn, "a:failed", "a:failed c:ok ", true, false},
        RunRow{"failureStops", "a>x c>y", stop, "a:failed", "a:failed ", false, false},
        RunRow{"refusalStops", "a>b b>x", stop, "", "a:refused ", false, false},
        RunRow{"stopAskedBetweenFiles", "a>x c>y", goOn, "a:stop", "a:ok ", false, true},
        RunRow{"stoppedFileEndsTheRun", "a>x c>y", goOn, "a:cancelled", "a:cancelled ", false,
               true},
        RunRow{"installedAfterAStoppedFileReported", "a>x c>y", goOn, "a:cancelled",
               "a:cancelled c:ok ", false, true, 2}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo
