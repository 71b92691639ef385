#include "GhostscriptRunner.h"

#include "DocumentSurvey.h"
#include "ToolRunner.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace zurbo::engine {

GhostscriptBudget ghostscriptBudget;

std::vector<std::string> ghostscriptCandidates{
    "/opt/homebrew/bin/gs",
    "/opt/homebrew/opt/ghostscript/bin/gs",
    "/usr/local/bin/gs",
    "/usr/bin/gs",
};

namespace {

// Ghostscript reads '%' in the output name as a page-number format.
std::string escapePercent(const std::string& path)
{
    std::string escaped;
    for (char c : path) {
        escaped += c;
        if (c == '%') {
            escaped += '%';
        }
    }
    return escaped;
}

constexpr std::int64_t bytesPerMegabyte = 1048576;
// Generous: what a document needs is far below it, and past it a hostile file
// fails an allocation instead of taking the machine's memory.
constexpr std::uint64_t addressSpaceBytes = std::uint64_t{2} << 30;

} // namespace

std::chrono::milliseconds ghostscriptTimeBudget(std::int64_t sourceBytes)
{
    return ghostscriptBudget.base + ghostscriptBudget.perMegabyte *
                                        (std::max<std::int64_t>(sourceBytes, 0) / bytesPerMegabyte);
}

std::optional<std::string> ghostscriptPath(std::span<const std::string> candidates)
{
    const char* force = std::getenv("ZURBO_FORCE_SYSTEM_ENGINE");
    if (force != nullptr && std::string_view(force) == "1") {
        return std::nullopt;
    }
    return firstExecutable(candidates);
}

std::vector<std::string> ghostscriptArguments(const std::filesystem::path& source,
                                              const std::filesystem::path& output,
                                              PDFEngine::Configuration configuration,
                                              bool cleanMetadata)
{
    const std::string resolution = std::to_string(configuration.resolution);
    const std::string preserve = cleanMetadata ? "false" : "true";

    std::vector<std::string> arguments{
        "-sDEVICE=pdfwrite", "-dCompatibilityLevel=1.6", "-dNOPAUSE", "-dQUIET", "-dBATCH",
        "-dSAFER",
    };
    if (cleanMetadata) {
        arguments.insert(arguments.end(), {"-dOmitInfoDate=true", "-dOmitID=true"});
    }
    arguments.insert(arguments.end(), {
                                          "-dDetectDuplicateImages=true",
                                          "-dCompressFonts=true",
                                          "-dSubsetFonts=true",
                                          "-dPreserveAnnots=true",
                                          "-dPreserveMarkedContent=true",
                                          "-dPreserveDocumentInfo=" + preserve,
                                          "-dPreserveMetadata=" + preserve,
                                          "-dDownsampleColorImages=true",
                                          "-dColorImageDownsampleType=/Bicubic",
                                          "-dColorImageResolution=" + resolution,
                                          "-dDownsampleGrayImages=true",
                                          "-dGrayImageDownsampleType=/Bicubic",
                                          "-dGrayImageResolution=" + resolution,
                                          // Its default of 1.5 would leave images of up
                                          // to one and a half times the resolution as
                                          // they are: a 219 ppi album kept at "150 ppp".
                                          "-dColorImageDownsampleThreshold=1.0",
                                          "-dGrayImageDownsampleThreshold=1.0",
                                          "-dDownsampleMonoImages=true",
                                          "-dMonoImageDownsampleType=/Subsample",
                                          "-dMonoImageResolution=300",
                                          "-dAutoFilterColorImages=false",
                                          "-dColorImageFilter=/DCTEncode",
                                          "-dAutoFilterGrayImages=false",
                                          "-dGrayImageFilter=/DCTEncode",
                                          "-dJPEGQ=" + std::to_string(configuration.jpegQuality),
                                          "-sOutputFile=" + escapePercent(output.string()),
                                          source.string(),
                                      });
    if (cleanMetadata) {
        arguments.insert(arguments.end(),
                         {"-c", "[/Title () /Author () /Subject () /Keywords () /Creator () "
                                "/DOCINFO pdfmark"});
    }
    return arguments;
}

void runGhostscript(const std::string& executable, const SourceFile& source,
                    const std::filesystem::path& output, PDFEngine::Configuration configuration,
                    bool cleanMetadata, StopToken stop)
{
    const auto kept = DocumentSurvey::of(source.descriptorPath());
    const ChildLimits limits{.deadline = std::chrono::steady_clock::now() +
                                         ghostscriptTimeBudget(source.size()),
                             .addressSpaceBytes = addressSpaceBytes};
    // A full disk shows as an I/O error when the device closes its output.
    runTool(executable,
            ghostscriptArguments(toolSourceName, toolOutputName, configuration, cleanMetadata),
            source, output,
            {.successStatuses = {0}, .keptErrorLines = 2, .outOfSpaceSigns = {"ioerror"}}, stop,
            limits);
    requireDocumentKept(kept, output);
}

} // namespace zurbo::engine
