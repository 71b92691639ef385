#include "PDFEngine.h"

#include "FileInstall.h"
#include "GhostscriptRunner.h"
#include "QPDFRunner.h"
#include "SystemPDFEngine.h"
#include "Uuid.h"

#include <limits>
#include <system_error>

namespace fs = std::filesystem;

namespace zurbo {

namespace {

// The hidden working file beside the destination; removed on every way out
// unless it was installed.
class WorkingFile {
public:
    explicit WorkingFile(const fs::path& destination)
        : m_path(destination.parent_path() / (".zurbo-" + engine::randomUuidText() + ".pdf"))
    {
    }
    WorkingFile(const WorkingFile&) = delete;
    WorkingFile& operator=(const WorkingFile&) = delete;
    ~WorkingFile() { removeQuietly(); }

    const fs::path& path() const { return m_path; }
    void removeQuietly() const
    {
        std::error_code ignored;
        fs::remove(m_path, ignored);
    }

private:
    fs::path m_path;
};

// One engine run from the source into the working file, by the engine the
// discovery found: Ghostscript, else qpdf, else the native engine.
struct EngineChoice {
    std::optional<std::string> ghostscript;
    std::optional<std::string> qpdf;

    void run(const fs::path& source, const fs::path& output, PDFEngine::Configuration configuration,
             bool cleanMetadata) const
    {
        if (ghostscript) {
            engine::runGhostscript(*ghostscript, source, output, configuration, cleanMetadata);
        } else if (qpdf) {
            engine::runQPDF(*qpdf, source, output, configuration, cleanMetadata);
        } else {
            engine::runSystemPDFEngine(source, output, configuration, cleanMetadata);
        }
    }
};

std::int64_t sizeOrMaximum(const fs::path& file)
{
    std::error_code error;
    const auto size = fs::file_size(file, error);
    return error ? std::numeric_limits<std::int64_t>::max() : static_cast<std::int64_t>(size);
}

} // namespace

PDFEngine::Result PDFEngine::compress(const fs::path& sourceGiven, const fs::path& destinationGiven,
                                      CompressionProfile profile,
                                      std::optional<std::int64_t> targetBytes, bool cleanMetadata)
{
    const fs::path source = fs::absolute(sourceGiven);
    const fs::path destination = fs::absolute(destinationGiven);
    const EngineChoice chosenEngine{engine::ghostscriptPath(), engine::bundledQPDFPath()};
    const WorkingFile working(destination);

    std::int64_t outputBytes = 0;
    for (const Configuration& configuration : attemptList(profile, targetBytes)) {
        working.removeQuietly();
        chosenEngine.run(source, working.path(), configuration, cleanMetadata);
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
        fs::remove(working.path());
        reportedBytes = originalBytes;
        if (destination.lexically_normal() == source.lexically_normal()) {
            installWorkingFile = false;
        } else {
            fs::copy_file(source, working.path());
        }
    }
    if (installWorkingFile) {
        engine::installFile(working.path(), destination, source);
    }

    Result result{destination, reportedBytes, std::nullopt};
    if (targetBytes) {
        result.targetReached = reportedBytes <= *targetBytes;
    }
    return result;
}

} // namespace zurbo
