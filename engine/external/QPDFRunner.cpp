#include "QPDFRunner.h"

#include "DocumentSurvey.h"
#include "ResourceLocation.h"
#include "ToolRunner.h"

namespace zurbo::engine {

std::int64_t qpdfJpegQuality(std::int64_t resolution)
{
    if (resolution >= 190) {
        return 68;
    }
    return resolution >= 130 ? 45 : 32;
}

std::function<std::optional<std::filesystem::path>()> qpdfResourceFolder =
    applicationResourceDirectory;

std::optional<std::string> bundledQPDFPath()
{
    const auto resources = qpdfResourceFolder();
    if (!resources) {
        return std::nullopt;
    }
    const std::string candidate = (*resources / "Engine" / "qpdf").string();
    return firstExecutable(std::span(&candidate, 1));
}

std::vector<std::string> qpdfArguments(const std::filesystem::path& source,
                                       const std::filesystem::path& output,
                                       PDFEngine::Configuration configuration, bool cleanMetadata)
{
    std::vector<std::string> arguments{
        "--object-streams=generate",
        "--compress-streams=y",
        "--optimize-images",
        "--jpeg-quality=" + std::to_string(qpdfJpegQuality(configuration.resolution)),
    };
    if (cleanMetadata) {
        arguments.insert(arguments.end(), {"--remove-info", "--remove-metadata"});
    }
    arguments.insert(arguments.end(), {"--", source.string(), output.string()});
    return arguments;
}

void runQPDF(const std::string& executable, const SourceFile& source,
             const std::filesystem::path& output, PDFEngine::Configuration configuration,
             bool cleanMetadata, StopToken stop)
{
    const auto kept = DocumentSurvey::of(source.descriptorPath());
    runTool(executable, qpdfArguments(toolSourceName, toolOutputName, configuration, cleanMetadata),
            source, output,
            {.successStatuses = {0, 3},
             .keptErrorLines = 3,
             .outOfSpaceSigns = {"No space left on device", "Disk quota exceeded"}},
            stop);
    requireDocumentKept(kept, output);
}

} // namespace zurbo::engine
