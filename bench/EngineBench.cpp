#include "EngineBench.h"

#include "ChildProcess.h"
#include "GhostscriptRunner.h"
#include "IsolatedRun.h"
#include "PopplerCommands.h"
#include "QPDFRunner.h"
#include "StructuralSimilarity.h"
#include "SystemPDFEngine.h"
#include "TestFolder.h"

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <sstream>

namespace fs = std::filesystem;

namespace zurbo::bench {

namespace {

constexpr int renderDpi = 100;

// What every output of one document is held against.
struct SourceReference {
    std::vector<GrayImage> pages;
    std::optional<std::string> text;
};

// How a run in the child went, as its report file tells.
struct ChildReport {
    std::optional<std::string> error;
    std::int64_t peakBytes = 0;
    BenchRow::Stages stages;
    BenchRow::NoticeCounts notices;
};

std::string describe(const std::exception& error)
{
    const auto* engineError = dynamic_cast<const PDFEngine::EngineError*>(&error);
    if (engineError != nullptr && !engineError->message().empty()) {
        return std::string(error.what()) + " (" + engineError->message() + ")";
    }
    return error.what();
}

std::optional<std::string> qpdfExecutable()
{
    auto qpdf = engine::bundledQPDFPath();
    return qpdf ? qpdf : findOnPath("qpdf");
}

double meanSsim(const std::vector<GrayImage>& source, const std::vector<GrayImage>& output)
{
    const std::size_t common = std::min(source.size(), output.size());
    const std::size_t total = std::max(source.size(), output.size());
    double sum = 0;
    for (std::size_t i = 0; i < common; ++i) {
        sum += structuralSimilarity(source[i], output[i]);
    }
    return total == 0 ? 0 : sum / static_cast<double>(total);
}

// An output that cannot be rendered has lost every page, which SSIM should
// show rather than hide behind an error row that the summary leaves out.
std::vector<GrayImage> renderedOrNone(const fs::path& output)
{
    try {
        return renderGrayPages(output, renderDpi);
    } catch (const std::runtime_error&) {
        return {};
    }
}

// "error<TAB>message" or "ok", the peak memory in bytes on the next line and
// then one "stage<TAB>seconds" or "notice<TAB>reason<TAB>count" per line.
ChildReport readChildReport(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    if (!std::getline(in, line)) {
        return {"the engine's process ended without a report"};
    }
    ChildReport report;
    if (line != "ok") {
        report.error = line.substr(line.find('\t') + 1);
    }
    in >> report.peakBytes >> std::ws;
    while (std::getline(in, line)) {
        const auto tab = line.rfind('\t');
        if (line.starts_with("notice\t")) {
            report.notices[line.substr(7, tab - 7)] = std::stoi(line.substr(tab + 1));
        } else {
            report.stages.emplace_back(line.substr(0, tab), std::stod(line.substr(tab + 1)));
        }
    }
    return report;
}

// Runs the engine in a fresh process `repeats` times and keeps the lowest
// wall and CPU times; peak memory and stages come from the fastest run. Any
// failure on the way, the engine's or the tools', is the row's error, with
// the cost of the run that failed. Without a reference the output is not
// looked at.
void measure(BenchRow& row, const std::string& engine, const fs::path& source,
             const SourceReference* reference, CompressionProfile profile, int repeats)
{
    static const std::string self = fs::read_symlink("/proc/self/exe").string();
    const testing::TestFolder scratch;
    const fs::path output = scratch.path() / "output.pdf";
    const fs::path reportFile = scratch.path() / "report.txt";
    const auto configuration = PDFEngine::configuration(profile);
    try {
        for (int run = 0; run < repeats; ++run) {
            fs::remove(reportFile);
            const ProcessCost cost =
                runIsolated({self, "measure", engine, source.string(), output.string(),
                             std::to_string(configuration.resolution),
                             std::to_string(configuration.jpegQuality), reportFile.string()});
            ChildReport report = readChildReport(reportFile);
            if (report.error) {
                row.error = report.error;
                row.seconds = cost.wallSeconds;
                row.cpuSeconds = cost.cpuSeconds;
                row.peakBytes = report.peakBytes;
                return;
            }
            if (run == 0 || cost.wallSeconds < row.seconds) {
                row.seconds = cost.wallSeconds;
                row.peakBytes = report.peakBytes;
                row.stages = std::move(report.stages);
                row.notices = std::move(report.notices);
            }
            row.cpuSeconds = run == 0 ? cost.cpuSeconds : std::min(row.cpuSeconds, cost.cpuSeconds);
        }
        if (!fs::exists(output)) {
            row.error = "no output written";
            return;
        }
        row.outputBytes = static_cast<std::int64_t>(fs::file_size(output));
        if (!reference) {
            return;
        }
        row.outputKinds = ByteKinds::of(output);
        row.meanSsim = meanSsim(reference->pages, renderedOrNone(output));
        const auto text = extractText(output);
        if (reference->text && text) {
            row.textUnchanged = *reference->text == *text;
        }
    } catch (const std::exception& error) {
        row.error = describe(error);
    }
}

void reportProgress(std::ostream& progress, const BenchRow& row)
{
    progress << row.file << ' ' << rawValue(row.profile) << ' ' << row.engine << ": "
             << (row.succeeded() ? "ok" : *row.error) << " in " << std::fixed
             << std::setprecision(2) << row.seconds << " s (CPU " << row.cpuSeconds << " s, "
             << row.peakBytes / 1000000 << " MB)" << std::endl;
}

} // namespace

std::optional<BenchEngine> BenchEngine::named(const std::string& name)
{
    if (name == "ghostscript") {
        const auto gs = engine::ghostscriptPath();
        if (!gs) {
            return std::nullopt;
        }
        return BenchEngine{name, [gs = *gs](const fs::path& source, const fs::path& output,
                                            PDFEngine::Configuration configuration, BenchRow&) {
                               engine::runGhostscript(gs, engine::SourceFile(source), output,
                                                      configuration, false);
                           }};
    }
    if (name == "qpdf") {
        const auto qpdf = qpdfExecutable();
        if (!qpdf) {
            return std::nullopt;
        }
        return BenchEngine{name, [qpdf = *qpdf](const fs::path& source, const fs::path& output,
                                                PDFEngine::Configuration configuration, BenchRow&) {
                               engine::runQPDF(qpdf, engine::SourceFile(source), output,
                                               configuration, false);
                           }};
    }
    if (name == "native") {
        return BenchEngine{name, [](const fs::path& source, const fs::path& output,
                                    PDFEngine::Configuration configuration, BenchRow& measured) {
                               using Times = engine::StageTimes;
                               Times times;
                               engine::runSystemPDFEngine(
                                   source, output, configuration, false, {}, &times, {},
                                   [&measured](const EngineNotice& notice) {
                                       ++measured.notices[EngineNotice::name(notice.reason)];
                                   });
                               for (int stage = 0; stage < Times::stageCount; ++stage) {
                                   const auto which = static_cast<Times::Stage>(stage);
                                   measured.stages.emplace_back(Times::name(which),
                                                                times.seconds(which));
                               }
                           }};
    }
    return std::nullopt;
}

EngineBench::EngineBench(const fs::path& probeDocument, int repeats) : m_repeats(repeats)
{
    if (auto gs = BenchEngine::named("ghostscript")) {
        m_engines.push_back(std::move(*gs));
    } else {
        m_notes.push_back(
            "Ghostscript not found (or ZURBO_FORCE_SYSTEM_ENGINE=1): no reference rows.");
    }
    addQPDFIfUsable(probeDocument);
    m_engines.push_back(*BenchEngine::named("native"));
}

void EngineBench::addQPDFIfUsable(const fs::path& probeDocument)
{
    const auto qpdf = qpdfExecutable();
    if (!qpdf) {
        m_notes.push_back("qpdf not found: no qpdf rows.");
        return;
    }
    // Older qpdf releases lack the image options the runner passes and stop at
    // the argument list; the runner's message keeps only qpdf's closing help lines.
    const testing::TestFolder scratch;
    const auto probe = engine::runChildProcess(
        *qpdf,
        engine::qpdfArguments(probeDocument, scratch.path() / "probe.pdf",
                              PDFEngine::configuration(CompressionProfile::balanced), false));
    const std::string& errors = probe.standardError;
    const auto complaint = errors.find("unrecognized argument");
    if (complaint != std::string::npos) {
        const std::string line = errors.substr(complaint, errors.find('\n', complaint) - complaint);
        m_notes.push_back("qpdf at " + *qpdf + " is not usable (" + line + "): no qpdf rows.");
        return;
    }
    m_engines.push_back(*BenchEngine::named("qpdf"));
}

std::vector<BenchRow> EngineBench::run(const std::vector<fs::path>& documents,
                                       std::ostream& progress)
{
    std::vector<BenchRow> rows;
    for (const fs::path& source : documents) {
        SourceReference reference;
        try {
            reference = {renderGrayPages(source, renderDpi), extractText(source)};
        } catch (const std::exception& error) {
            m_notes.push_back("Skipped " + source.filename().string() + ": " + error.what());
            continue;
        }
        for (const CompressionProfile profile : allCompressionProfiles) {
            for (const BenchEngine& engine : m_engines) {
                BenchRow row{.file = source.filename().string(),
                             .set = source.parent_path().filename().string(),
                             .profile = profile,
                             .engine = engine.name,
                             .sourceBytes = static_cast<std::int64_t>(fs::file_size(source))};
                measure(row, engine.name, source, &reference, profile, m_repeats);
                reportProgress(progress, row);
                rows.push_back(std::move(row));
            }
        }
    }
    return rows;
}

std::vector<BenchRow> EngineBench::runHostile(const std::vector<fs::path>& documents,
                                              std::ostream& progress)
{
    std::vector<BenchRow> rows;
    for (const fs::path& source : documents) {
        for (const BenchEngine& engine : m_engines) {
            BenchRow row{.file = source.filename().string(),
                         .engine = engine.name,
                         .sourceBytes = static_cast<std::int64_t>(fs::file_size(source))};
            measure(row, engine.name, source, nullptr, row.profile, 1);
            reportProgress(progress, row);
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

void EngineBench::compressInChild(const std::string& engineName, const fs::path& source,
                                  const fs::path& output, PDFEngine::Configuration configuration,
                                  const fs::path& reportFile)
{
    std::ostringstream report;
    try {
        const auto engine = BenchEngine::named(engineName);
        if (!engine) {
            throw std::runtime_error("no engine called " + engineName);
        }
        BenchRow measured;
        engine->compress(source, output, configuration, measured);
        report << "ok\n" << peakResidentBytes() << '\n';
        for (const auto& [stage, seconds] : measured.stages) {
            report << stage << '\t' << seconds << '\n';
        }
        for (const auto& [reason, count] : measured.notices) {
            report << "notice\t" << reason << '\t' << count << '\n';
        }
    } catch (const std::exception& error) {
        std::string message = describe(error);
        std::replace(message.begin(), message.end(), '\n', ' ');
        report << "error\t" << message << '\n' << peakResidentBytes() << '\n';
    }
    std::ofstream(reportFile) << report.str();
}

} // namespace zurbo::bench
