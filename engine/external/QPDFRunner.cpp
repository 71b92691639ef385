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

std::optional<std::string> bundledQPDFPath()
{
    std::vector<std::string> candidates;
    if (const auto resources = applicationResourceDirectory()) {
        candidates.push_back((*resources / "Engine" / "qpdf").string());
    }
    std::error_code error;
    const auto workingDirectory = std::filesystem::current_path(error);
    if (!error) {
        candidates.push_back(workingDirectory.string() + "/App/Resources/Engine/qpdf");
    }
    return firstExecutable(candidates);
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

void runQPDF(const std::string& executable, const std::filesystem::path& source,
             const std::filesystem::path& output, PDFEngine::Configuration configuration,
             bool cleanMetadata, StopToken stop)
{
    runTool(executable, qpdfArguments(source, output, configuration, cleanMetadata), output,
            {.successStatuses = {0, 3}, .keptErrorLines = 3}, stop);
    requireDocumentKept(source, output);
}

} // namespace zurbo::engine
