#include "PDFEngine.h"

#include "FileInstall.h"
#include "GhostscriptRunner.h"
#include "QPDFRunner.h"
#include "SourceFile.h"
#include "SystemPDFEngine.h"
#include "WorkingFile.h"

#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace zurbo {

namespace {

// One engine run from the source into the working file, by the engine the
// discovery found: Ghostscript, else qpdf, else the native engine.
struct EngineChoice {
    std::optional<std::string> ghostscript;
    std::optional<std::string> qpdf;

    void run(const engine::SourceFile& source, const fs::path& output,
             PDFEngine::Configuration configuration, bool cleanMetadata, StopToken stop,
             const EngineNotices& notices) const
    {
        if (ghostscript) {
            engine::runGhostscript(*ghostscript, source, output, configuration, cleanMetadata,
                                   stop);
        } else if (qpdf) {
            engine::runQPDF(*qpdf, source, output, configuration, cleanMetadata, stop);
        } else {
            engine::runSystemPDFEngine(source.descriptorPath(), output, configuration,
                                       cleanMetadata, stop, nullptr, notices);
        }
    }
};

EngineChoice chooseEngine(PDFEngine::Engine engine)
{
    using Engine = PDFEngine::Engine;
    const EngineChoice found{engine::ghostscriptPath(), engine::bundledQPDFPath()};
    if ((engine == Engine::ghostscript && !found.ghostscript) ||
        (engine == Engine::qpdf && !found.qpdf)) {
        throw std::invalid_argument("the engine asked for is not available");
    }
    switch (engine) {
    case Engine::ghostscript:
        return {found.ghostscript, std::nullopt};
    case Engine::qpdf:
        return {std::nullopt, found.qpdf};
    case Engine::native:
        return {};
    case Engine::automatic:
        break;
    }
    return found;
}

void throwIfStopped(StopToken stop)
{
    if (stop.stopRequested()) {
        throw PDFEngine::Cancelled();
    }
}

// Runs the attempts into the working file until one fits the target; the
// size of the last output.
std::int64_t compressIntoWorkingFile(const engine::SourceFile& source,
                                     const engine::WorkingFile& working, EngineChoice engine,
                                     const std::vector<PDFEngine::Configuration>& attempts,
                                     std::optional<std::int64_t> targetBytes, bool cleanMetadata,
                                     StopToken stop, const EngineNotices& notices)
{
    std::int64_t outputBytes = 0;
    for (const PDFEngine::Configuration& configuration : attempts) {
        throwIfStopped(stop);
        working.reset();
        engine.run(source, working.path(), configuration, cleanMetadata, stop, notices);
        std::error_code error;
        const auto size = fs::file_size(working.path(), error);
        if (error) {
            throw PDFEngine::EngineError::outputMissing();
        }
        outputBytes = static_cast<std::int64_t>(size);
        if (targetBytes && outputBytes <= *targetBytes) {
            break;
        }
    }
    return outputBytes;
}

// What goes to the destination: the working file (the compressed output, or
// a copy of the source put there), or nothing when the source stays as it is.
struct Outcome {
    bool installsWorkingFile = true;
    std::int64_t bytes = 0;
};

// The output, unless it is no smaller than the source and metadata stays: then
// the source is kept, copied to a destination of its own.
Outcome chooseOutcome(const engine::SourceFile& source, const engine::WorkingFile& working,
                      const engine::FileInstall& install, std::int64_t outputBytes,
                      bool cleanMetadata)
{
    if (outputBytes < source.size() || cleanMetadata) {
        return {true, outputBytes};
    }
    if (source.isFileAt(install.target())) {
        return {false, source.size()};
    }
    working.copyFrom(source.descriptor(), source.size());
    return {true, source.size()};
}

// The last checks, then the rename; once it has happened the outcome is
// installed and the call succeeds, whatever a stop request says by then.
void installOutcome(const engine::SourceFile& source, const engine::WorkingFile& working,
                    const engine::FileInstall& install, StopToken stop)
{
    install.prepare(working.path(), source.mode());
    source.requireUnchanged();
    throwIfStopped(stop);
    install.commit(working.path());
}

PDFEngine::Result runPipeline(const fs::path& sourcePath, const fs::path& destination,
                              CompressionProfile profile, std::optional<std::int64_t> targetBytes,
                              bool cleanMetadata, StopToken stop, PDFEngine::Engine engine,
                              PDFEngine::Overwrite overwrite, const EngineNotices& notices)
{
    // Everything that can refuse the run does so before an engine starts.
    const engine::SourceFile source(sourcePath);
    const engine::FileInstall install(destination, overwrite);
    const engine::WorkingFile working(install.target());
    const EngineChoice chosenEngine = chooseEngine(engine);

    const std::int64_t outputBytes = compressIntoWorkingFile(
        source, working, chosenEngine, PDFEngine::attemptList(profile, targetBytes), targetBytes,
        cleanMetadata, stop, notices);
    const Outcome outcome = chooseOutcome(source, working, install, outputBytes, cleanMetadata);
    if (outcome.installsWorkingFile) {
        installOutcome(source, working, install, stop);
    }
    PDFEngine::Result result{destination, outcome.bytes, std::nullopt};
    if (targetBytes) {
        result.targetReached = outcome.bytes <= *targetBytes;
    }
    return result;
}

} // namespace

PDFEngine::Result PDFEngine::compress(const fs::path& source, const fs::path& destination,
                                      CompressionProfile profile,
                                      std::optional<std::int64_t> targetBytes, bool cleanMetadata,
                                      StopToken stop, Engine engine, Overwrite overwrite,
                                      const EngineNotices& notices)
{
    // What fails once a stop was asked for is part of stopping: a read cut
    // short by the signal, a child ended on purpose.
    try {
        return runPipeline(fs::absolute(source), fs::absolute(destination), profile, targetBytes,
                           cleanMetadata, stop, engine, overwrite, notices);
    } catch (const Cancelled&) {
        throw;
    } catch (const std::system_error& error) {
        throwIfStopped(stop);
        // The engine's own words for a write that ran out of space, wherever it failed.
        if (error.code().category() == std::generic_category() &&
            engine::isOutOfSpace(error.code().value())) {
            throw EngineError::diskFull();
        }
        throw;
    } catch (...) {
        throwIfStopped(stop);
        throw;
    }
}

std::vector<PDFEngine::Engine> PDFEngine::availableEngines()
{
    std::vector<Engine> engines;
    if (engine::ghostscriptPath()) {
        engines.push_back(Engine::ghostscript);
    }
    if (engine::bundledQPDFPath()) {
        engines.push_back(Engine::qpdf);
    }
    engines.push_back(Engine::native);
    return engines;
}

} // namespace zurbo
