// Measures how long the main thread can go without running its event loop
// while the main window's model compresses a batch through the real engine:
// the longest gap between two ticks of a 10 ms timer. The window redraws only
// between ticks, so every gap above the interval is a visible stall.
//
// Usage: zurbo-queue-stall-bench [pages of the generated PDF, default 18 (~50 MB)]

#include "CompressorModel.h"
#include "PdfFixtures.h"
#include "TestFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto tickInterval = 10ms;
constexpr qint64 stallTargetMs = 50;

// The largest PDF of the shared corpus, copied into `folder`; none without a corpus.
std::optional<fs::path> copyLargestCorpusFile(const fs::path& folder)
{
    const std::vector<fs::path> files = zurbo::testing::corpusFiles();
    if (files.empty()) {
        return std::nullopt;
    }
    const fs::path largest =
        *std::max_element(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
            return fs::file_size(a) < fs::file_size(b);
        });
    const fs::path copy = folder / largest.filename();
    fs::copy_file(largest, copy);
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
    return copy;
}

struct StallWatch {
    QElapsedTimer sinceLastTick;
    qint64 longestGapMs = 0;
    long ticks = 0;

    void tick()
    {
        if (sinceLastTick.isValid()) {
            longestGapMs = std::max(longestGapMs, sinceLastTick.elapsed());
        }
        sinceLastTick.start();
        ++ticks;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int pages = argc > 1 ? std::stoi(argv[1]) : 18;

    zurbo::testing::TestFolder folder;
    std::vector<fs::path> files{folder / "generated-image-heavy.pdf"};
    zurbo::testing::writeFixturePdf(files[0], zurbo::testing::imageHeavyDocument(pages));
    if (const auto corpusFile = copyLargestCorpusFile(folder.path())) {
        files.push_back(*corpusFile);
    } else {
        std::printf("shared corpus absent: measuring the generated PDF only\n");
    }

    zurbo::CompressorModel model;
    model.setExportMode(zurbo::ExportMode::replaceOriginal);
    QList<QUrl> urls;
    for (const fs::path& file : files) {
        urls.append(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    }
    model.add(urls);

    StallWatch watch;
    QTimer ticker;
    ticker.setInterval(tickInterval);
    QObject::connect(&ticker, &QTimer::timeout, [&watch] { watch.tick(); });
    QObject::connect(&model, &zurbo::CompressorModel::isWorkingChanged, &application, [&] {
        if (!model.isWorking()) {
            application.quit();
        }
    });

    QElapsedTimer batchTime;
    ticker.start();
    QTimer::singleShot(tickInterval * 5, [&] {
        batchTime.start();
        model.compressAll();
    });
    application.exec();

    for (const zurbo::PDFJob& job : model.jobs()) {
        std::printf("%-40s %12lld -> %12lld bytes  %s\n", job.fileName().toStdString().c_str(),
                    static_cast<long long>(job.originalBytes),
                    static_cast<long long>(job.outputBytes.value_or(-1)),
                    job.state.rawValue().toStdString().c_str());
    }
    std::printf("batch: %.1f s, %ld ticks of %lld ms\n", batchTime.elapsed() / 1000.0, watch.ticks,
                static_cast<long long>(tickInterval.count()));
    std::printf("longest main-thread stall: %lld ms (target: at most %lld ms) %s\n",
                static_cast<long long>(watch.longestGapMs), static_cast<long long>(stallTargetMs),
                watch.longestGapMs <= stallTargetMs ? "OK" : "ABOVE TARGET");
    return watch.longestGapMs <= stallTargetMs ? 0 : 1;
}
