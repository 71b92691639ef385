#include "EngineBench.h"

#include "ChildProcess.h"
#include "GhostscriptRunner.h"
#include "PopplerCommands.h"
#include "QPDFRunner.h"
#include "ScratchFolder.h"
#include "StructuralSimilarity.h"
#include "SystemPDFEngine.h"

#include <algorithm>
#include <chrono>
#include <iomanip>

namespace fs = std::filesystem;

namespace zurbo::bench {

namespace {

constexpr int renderDpi = 100;

// What every output of one document is held against.
struct SourceReference {
    std::vector<GrayImage> pages;
    std::optional<std::string> text;
};

std::string describe(const std::exception& error)
{
    const auto* engineError = dynamic_cast<const PDFEngine::EngineError*>(&error);
    if (engineError != nullptr && !engineError->message().empty()) {
        return std::string(error.what()) + " (" + engineError->message() + ")";
    }
    return error.what();
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

// Runs the engine into a scratch output and measures it; any failure on the
// way, the engine's or the tools', is the row's error.
void measure(BenchRow& row, const BenchEngine& engine, const fs::path& source,
             const SourceReference& reference, CompressionProfile profile)
{
    const ScratchFolder scratch;
    const fs::path output = scratch.path() / "output.pdf";
    try {
        const auto start = std::chrono::steady_clock::now();
        engine.compress(source, output, PDFEngine::configuration(profile));
        row.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!fs::exists(output)) {
            row.error = "no output written";
            return;
        }
        row.outputBytes = static_cast<std::int64_t>(fs::file_size(output));
        row.meanSsim = meanSsim(reference.pages, renderedOrNone(output));
        const auto text = extractText(output);
        if (reference.text && text) {
            row.textUnchanged = *reference.text == *text;
        }
    } catch (const std::exception& error) {
        row.error = describe(error);
    }
}

} // namespace

EngineBench::EngineBench(const fs::path& probeDocument)
{
    if (const auto gs = engine::ghostscriptPath()) {
        m_engines.push_back(
            {"ghostscript", [gs = *gs](const fs::path& source, const fs::path& output,
                                       PDFEngine::Configuration configuration) {
                 engine::runGhostscript(gs, source, output, configuration, false);
             }});
    } else {
        m_notes.push_back(
            "Ghostscript not found (or ZURBO_FORCE_SYSTEM_ENGINE=1): no reference rows.");
    }
    addQPDFIfUsable(probeDocument);
    m_engines.push_back({"native", [](const fs::path& source, const fs::path& output,
                                      PDFEngine::Configuration configuration) {
                             engine::runSystemPDFEngine(source, output, configuration, false);
                         }});
}

void EngineBench::addQPDFIfUsable(const fs::path& probeDocument)
{
    auto qpdf = engine::bundledQPDFPath();
    if (!qpdf) {
        qpdf = findOnPath("qpdf");
    }
    if (!qpdf) {
        m_notes.push_back("qpdf not found: no qpdf rows.");
        return;
    }
    // Older qpdf releases lack the image options the runner passes and stop at
    // the argument list; the runner's message keeps only qpdf's closing help lines.
    const ScratchFolder scratch;
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
    m_engines.push_back({"qpdf", [qpdf = *qpdf](const fs::path& source, const fs::path& output,
                                                PDFEngine::Configuration configuration) {
                             engine::runQPDF(qpdf, source, output, configuration, false);
                         }});
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
                             .profile = profile,
                             .engine = engine.name,
                             .sourceBytes = static_cast<std::int64_t>(fs::file_size(source))};
                measure(row, engine, source, reference, profile);
                progress << row.file << ' ' << rawValue(profile) << ' ' << engine.name << ": "
                         << (row.succeeded() ? "ok" : *row.error) << " in " << std::fixed
                         << std::setprecision(2) << row.seconds << " s" << std::endl;
                rows.push_back(std::move(row));
            }
        }
    }
    return rows;
}

} // namespace zurbo::bench
