#pragma once

#include "BenchRow.h"
#include "PDFEngine.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zurbo::bench {

// One compression engine under test, as the pipeline would call it; an
// engine that reports stages and notices adds them to `measured`.
struct BenchEngine {
    std::string name;
    std::function<void(const std::filesystem::path& source, const std::filesystem::path& output,
                       PDFEngine::Configuration configuration, BenchRow& measured)>
        compress;

    // "ghostscript", "qpdf" or "native", when that engine is on this machine.
    static std::optional<BenchEngine> named(const std::string& name);
};

// Runs every engine found on this machine over documents and profiles and
// measures what each output costs and keeps: size, wall and CPU time, peak
// memory, page likeness (SSIM at 100 dpi) and extracted text.
class EngineBench {
public:
    // Looks for Ghostscript and qpdf; qpdf is tried once on `probeDocument`
    // and left out, with a note, when it rejects the options the runner gives
    // it. The native engine is always included. Each engine runs `repeats`
    // times per document and profile; the fastest run counts.
    EngineBench(const std::filesystem::path& probeDocument, int repeats);

    // Why engines were left out, and documents skipped during run().
    const std::vector<std::string>& notes() const { return m_notes; }

    // One row per document, profile and engine, in that nesting order. An
    // engine's failure becomes an error row; a source that cannot be rendered
    // is skipped with a note. Progress lines go to `progress`.
    std::vector<BenchRow> run(const std::vector<std::filesystem::path>& documents,
                              std::ostream& progress);
    // One run per document and engine with the balanced profile, for what it
    // costs (time, CPU, peak memory) and whether it succeeds; the outputs are
    // not rendered, since the sources are built to exhaust a careless reader.
    std::vector<BenchRow> runHostile(const std::vector<std::filesystem::path>& documents,
                                     std::ostream& progress);

    // The child's side of one measured run: compresses with the engine named
    // `engineName` and writes how it went to `reportFile` for measure() to read.
    static void compressInChild(const std::string& engineName, const std::filesystem::path& source,
                                const std::filesystem::path& output,
                                PDFEngine::Configuration configuration,
                                const std::filesystem::path& reportFile);

private:
    void addQPDFIfUsable(const std::filesystem::path& probeDocument);

    std::vector<BenchEngine> m_engines;
    std::vector<std::string> m_notes;
    int m_repeats;
};

} // namespace zurbo::bench
