#include "PDFEngine.h"

#include "ChildProcess.h"
#include "FileInstall.h"
#include "GhostscriptRunner.h"
#include "QPDFRunner.h"
#include "SourceDocument.h"
#include "SourceFile.h"
#include "SystemPDFEngine.h"
#include "WorkingFile.h"

#include <stdexcept>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace zurbo {

namespace {

using Engine = PDFEngine::Engine;
using EngineError = PDFEngine::EngineError;

// Failures that are Ghostscript's own, which the native engine need not
// share: its errors, an output our checks refuse, a stall past its budget.
bool isGhostscriptsOwn(const EngineError& error)
{
    return error.kind() == EngineError::Kind::compressionFailed ||
           error.kind() == EngineError::Kind::engineStalled;
}

// The engines of one call. Each attempt runs the first found of Ghostscript,
// the bundled qpdf and the native engine. When Ghostscript may hand over, an
// attempt it does not deliver goes to the native engine and the next one to
// Ghostscript again; once it stalled, the rest of the call goes to the native
// engine, since each further stall would cost a whole budget again.
class EngineChoice {
public:
    EngineChoice(std::optional<std::string> ghostscript, std::optional<std::string> qpdf,
                 bool handsOver)
        : m_ghostscript(std::move(ghostscript)), m_qpdf(std::move(qpdf)), m_handsOver(handsOver)
    {
    }

    // One attempt from the source into the working file, started afresh; the
    // engine whose output it holds.
    Engine run(const engine::SourceFile& source, const engine::WorkingFile& working,
               PDFEngine::Configuration configuration, bool cleanMetadata, StopToken stop,
               const std::string& password, const EngineNotices& notices)
    {
        working.reset();
        if (m_ghostscript) {
            if (!m_ghostscriptStalled &&
                runGhostscript(source, working, configuration, cleanMetadata, stop)) {
                return Engine::ghostscript;
            }
            working.reset();
        } else if (m_qpdf) {
            engine::runQPDF(*m_qpdf, source, working.path(), configuration, cleanMetadata, stop);
            return Engine::qpdf;
        }
        engine::runSystemPDFEngine(source.descriptorPath(), working.path(), configuration,
                                   cleanMetadata, stop, nullptr, password, notices);
        return Engine::native;
    }

private:
    // Whether Ghostscript delivered; when it may hand over, its own failures say it did not.
    bool runGhostscript(const engine::SourceFile& source, const engine::WorkingFile& working,
                        PDFEngine::Configuration configuration, bool cleanMetadata, StopToken stop)
    {
        try {
            engine::runGhostscript(*m_ghostscript, source, working.path(), configuration,
                                   cleanMetadata, stop);
            return true;
        } catch (const EngineError& error) {
            if (!m_handsOver || !isGhostscriptsOwn(error)) {
                throw;
            }
            m_ghostscriptStalled = error.kind() == EngineError::Kind::engineStalled;
        } catch (const engine::LaunchError&) {
            if (!m_handsOver) {
                throw;
            }
        }
        return false;
    }

    std::optional<std::string> m_ghostscript;
    std::optional<std::string> m_qpdf;
    bool m_handsOver;
    bool m_ghostscriptStalled = false;
};

// The engines `engine` asks for. A protected source goes to the native
// engine, the only one that keeps its protection; probing it is what throws
// for a missing or wrong password, before any engine runs.
EngineChoice chooseEngine(Engine engine, const engine::SourceFile& source,
                          const std::string& password)
{
    std::optional<std::string> ghostscript = engine::ghostscriptPath();
    std::optional<std::string> qpdf = engine::bundledQPDFPath();
    if ((engine == Engine::ghostscript && !ghostscript) || (engine == Engine::qpdf && !qpdf)) {
        throw std::invalid_argument("the engine asked for is not available");
    }
    const bool isProtected = engine::SourceDocument::isProtected(source.descriptorPath(), password);
    switch (engine) {
    case Engine::ghostscript:
    case Engine::qpdf:
        if (isProtected) {
            throw EngineError::protectionWouldBeLost();
        }
        return engine == Engine::ghostscript ? EngineChoice{ghostscript, std::nullopt, false}
                                             : EngineChoice{std::nullopt, qpdf, false};
    case Engine::native:
        return {std::nullopt, std::nullopt, false};
    case Engine::automatic:
        break;
    }
    if (isProtected) {
        return {std::nullopt, std::nullopt, false};
    }
    return {ghostscript, qpdf, true};
}

void throwIfStopped(StopToken stop)
{
    if (stop.stopRequested()) {
        throw PDFEngine::Cancelled();
    }
}

// The last attempt made: the size of its output and the engine that made it.
struct Attempt {
    std::int64_t bytes = 0;
    Engine engine = Engine::native;
};

// Runs the attempts into the working file until one fits the target.
Attempt compressIntoWorkingFile(const engine::SourceFile& source,
                                const engine::WorkingFile& working, EngineChoice& engines,
                                const std::vector<PDFEngine::Configuration>& attempts,
                                std::optional<std::int64_t> targetBytes, bool cleanMetadata,
                                StopToken stop, const std::string& password,
                                const EngineNotices& notices)
{
    Attempt last;
    for (const PDFEngine::Configuration& configuration : attempts) {
        throwIfStopped(stop);
        last.engine =
            engines.run(source, working, configuration, cleanMetadata, stop, password, notices);
        std::error_code error;
        const auto size = fs::file_size(working.path(), error);
        if (error) {
            throw PDFEngine::EngineError::outputMissing();
        }
        last.bytes = static_cast<std::int64_t>(size);
        if (targetBytes && last.bytes <= *targetBytes) {
            break;
        }
    }
    return last;
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
                              bool cleanMetadata, StopToken stop, Engine engine,
                              PDFEngine::Overwrite overwrite, const std::string& password,
                              const EngineNotices& notices)
{
    // Everything that can refuse the run does so before an engine starts.
    const engine::SourceFile source(sourcePath);
    const engine::FileInstall install(destination, overwrite);
    const engine::WorkingFile working(install.target());
    EngineChoice engines = chooseEngine(engine, source, password);

    const Attempt last = compressIntoWorkingFile(
        source, working, engines, PDFEngine::attemptList(profile, targetBytes), targetBytes,
        cleanMetadata, stop, password, notices);
    const Outcome outcome = chooseOutcome(source, working, install, last.bytes, cleanMetadata);
    if (outcome.installsWorkingFile) {
        installOutcome(source, working, install, stop);
    }
    PDFEngine::Result result{destination, outcome.bytes, std::nullopt, last.engine};
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
                                      const std::string& password, const EngineNotices& notices)
{
    // What fails once a stop was asked for is part of stopping: a read cut
    // short by the signal, a child ended on purpose.
    try {
        return runPipeline(fs::absolute(source), fs::absolute(destination), profile, targetBytes,
                           cleanMetadata, stop, engine, overwrite, password, notices);
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

namespace {

const std::pair<PDFEngine::Engine, std::string_view> engineNames[] = {
    {PDFEngine::Engine::automatic, "auto"},
    {PDFEngine::Engine::ghostscript, "ghostscript"},
    {PDFEngine::Engine::qpdf, "qpdf"},
    {PDFEngine::Engine::native, "native"}};

} // namespace

std::string_view PDFEngine::engineName(Engine engine)
{
    for (const auto& [named, name] : engineNames) {
        if (named == engine) {
            return name;
        }
    }
    return {};
}

std::optional<PDFEngine::Engine> PDFEngine::engineNamed(std::string_view name)
{
    for (const auto& [engine, text] : engineNames) {
        if (text == name) {
            return engine;
        }
    }
    return std::nullopt;
}

} // namespace zurbo
