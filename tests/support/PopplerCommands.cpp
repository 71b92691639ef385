#include "PopplerCommands.h"

#include "ChildProcess.h"
#include "TestFolder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zurbo::bench {

namespace {

std::string requiredTool(const std::string& name)
{
    if (auto path = findOnPath(name)) {
        return *path;
    }
    throw std::runtime_error(name + " not found; install poppler-utils");
}

} // namespace

std::optional<std::string> findOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder.empty() ? "." : folder) / name;
        std::error_code error;
        if (fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return std::nullopt;
}

std::vector<GrayImage> renderGrayPages(const fs::path& pdf, int dpi)
{
    static const std::string pdftoppm = requiredTool("pdftoppm");
    const testing::TestFolder scratch;
    const auto exit =
        engine::runChildProcess(pdftoppm, {"-r", std::to_string(dpi), "-gray", pdf.string(),
                                           (scratch.path() / "page").string()});
    if (!exit.exitedWith(0)) {
        throw std::runtime_error("pdftoppm failed on " + pdf.filename().string() + ": " +
                                 exit.standardError);
    }
    // pdftoppm pads page numbers to one width per document, so names sort in page order.
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(scratch.path())) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<GrayImage> pages;
    for (const fs::path& file : files) {
        pages.push_back(GrayImage::readPgm(file));
    }
    return pages;
}

std::optional<std::string> extractText(const fs::path& pdf)
{
    static const std::string pdftotext = requiredTool("pdftotext");
    const testing::TestFolder scratch;
    const fs::path textFile = scratch.path() / "text.txt";
    const auto exit =
        engine::runChildProcess(pdftotext, {"-enc", "UTF-8", pdf.string(), textFile.string()});
    if (!exit.exitedWith(0)) {
        return std::nullopt;
    }
    std::ifstream in(textFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace zurbo::bench
