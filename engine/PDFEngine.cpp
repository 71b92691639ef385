#include "PDFEngine.h"

#include "FileInstall.h"
#include "GhostscriptRunner.h"
#include "QPDFRunner.h"
#include "SystemPDFEngine.h"
#include "WorkingFile.h"

#include <limits>
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

    void run(const fs::path& source, const fs::path& output, PDFEngine::Configuration configuration,
             bool cleanMetadata, StopToken stop) const
    {
        if (ghostscript) {
            engine::runGhostscript(*ghostscript, source, output, configuration, cleanMetadata,
                                   stop);
        } else if (qpdf) {
            engine::runQPDF(*qpdf, source, output, configuration, cleanMetadata, stop);
        } else {
            engine::runSystemPDFEngine(source, output, configuration, cleanMetadata, stop);
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

std::int64_t sizeOrMaximum(const fs::path& file)
{
    std::error_code error;
    const auto size = fs::file_size(file, error);
    return error ? std::numeric_limits<std::int64_t>::max() : static_cast<std::int64_t>(size);
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return a.lexically_normal() == b.lexically_normal() || fs::equivalent(a, b, error);
}

void throwIfStopped(StopToken stop)
{
    if (stop.stopRequested()) {
        throw PDFEngine::Cancelled();
    }
}

} // namespace

PDFEngine::Result PDFEngine::compress(const fs::path& sourceGiven, const fs::path& destinationGiven,
                                      CompressionProfile profile,
                                      std::optional<std::int64_t> targetBytes, bool cleanMetadata,
                                      StopToken stop, Engine engine)
{
    const fs::path source = fs::absolute(sourceGiven);
    const fs::path destination = fs::absolute(destinationGiven);
    const fs::path target = engine::installTarget(destination);
    const engine::WorkingFile working(target);
    const EngineChoice chosenEngine = chooseEngine(engine);

    std::int64_t outputBytes = 0;
    for (const Configuration& configuration : attemptList(profile, targetBytes)) {
        throwIfStopped(stop);
        working.reset();
        chosenEngine.run(source, working.path(), configuration, cleanMetadata, stop);
        std::error_code error;
        const auto size = fs::file_size(working.path(), error);
        if (error) {
            throw EngineError::outputMissing();
        }
        outputBytes = static_cast<std::int64_t>(size);
        if (targetBytes && outputBytes <= *targetBytes) {
            break;
        }
    }

    const std::int64_t originalBytes = sizeOrMaximum(source);
    std::int64_t reportedBytes = outputBytes;
    bool installWorkingFile = true;
    if (outputBytes >= originalBytes && !cleanMetadata) {
        reportedBytes = originalBytes;
        if (sameFile(target, source)) {
            installWorkingFile = false;
        } else {
            working.copyFrom(source);
        }
    }
    if (installWorkingFile) {
        throwIfStopped(stop);
        engine::installFile(working.path(), target, source);
    }

    Result result{destination, reportedBytes, std::nullopt};
    if (targetBytes) {
        result.targetReached = reportedBytes <= *targetBytes;
    }
    return result;
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
