#include "TextDocumentSet.h"

#include "BenchDocumentSet.h"
#include "ChildProcess.h"
#include "PopplerCommands.h"
#include "TextFixtures.h"

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace zurbo::bench {

namespace {

using Kind = testing::EmbeddedFont::Kind;

struct OwnDocument {
    const char* fileName;
    Kind kind;
    const char* fontFile;
    bool fontPerPage;
};

constexpr int pageCount = 12;

std::vector<std::string> pagesOfProse(int lines, std::uint32_t seed)
{
    std::vector<std::string> pages;
    for (int page = 0; page < pageCount; ++page) {
        std::string text;
        for (const std::string& line : BenchDocumentSet::prose(lines, seed + page)) {
            text += line + '\n';
        }
        pages.push_back(text);
    }
    return pages;
}

// A LibreOffice flat document: paragraphs of prose in three styles.
std::string flatOpenDocument(const std::vector<std::string>& fonts, std::uint32_t seed)
{
    std::ostringstream document;
    document << R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles>
)";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        document << "<style:style style:name=\"P" << i << R"(" style:family="paragraph">)"
                 << R"(<style:text-properties fo:font-family=")" << fonts[i] << "\" fo:font-size=\""
                 << 10 + i << "pt\"" << (i == 2 ? R"( fo:font-style="italic")" : "")
                 << "/></style:style>\n";
    }
    document << "</office:automatic-styles><office:body><office:text>\n";
    const auto lines = BenchDocumentSet::prose(400, seed);
    for (std::size_t i = 0; i < lines.size(); i += 4) {
        document << "<text:p text:style-name=\"P" << (i / 4) % fonts.size() << "\">";
        for (std::size_t j = i; j < i + 4 && j < lines.size(); ++j) {
            document << lines[j] << ' ';
        }
        document << "</text:p>\n";
    }
    document << "</office:text></office:body></office:document>\n";
    return document.str();
}

void writeOwn(const fs::path& folder, std::ostream& progress, std::vector<fs::path>& files)
{
    const OwnDocument documents[] = {
        {"text-truetype-whole.pdf", Kind::trueType, "DejaVuSans.ttf", false},
        {"text-composite-truetype-whole.pdf", Kind::trueTypeComposite, "DejaVuSerif.ttf", false},
        {"text-opentype-cff-whole.pdf", Kind::openType, "NimbusSans-Regular.otf", false},
        {"text-bare-cff-whole.pdf", Kind::bareCff, "NimbusRoman-Regular.otf", false},
        {"text-font-on-every-page.pdf", Kind::trueType, "LiberationSerif-Regular.ttf", true}};
    std::uint32_t seed = 800;
    for (const OwnDocument& document : documents) {
        const auto font = testing::systemFont(document.fontFile);
        if (!font) {
            progress << "skipped " << document.fileName << ": " << document.fontFile
                     << " is not installed" << std::endl;
            continue;
        }
        const fs::path file = folder / document.fileName;
        testing::writeTextPdf(
            file, {{document.kind, *font}, pagesOfProse(48, seed += 100), document.fontPerPage});
        files.push_back(file);
    }
}

void writeLibreOffice(const fs::path& folder, std::ostream& progress, std::vector<fs::path>& files)
{
    const auto office = findOnPath("soffice");
    if (!office) {
        progress << "skipped the LibreOffice documents: soffice is not installed" << std::endl;
        return;
    }
    const std::vector<std::pair<std::string, std::vector<std::string>>> documents{
        {"libreoffice-dejavu", {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans"}},
        {"libreoffice-liberation", {"Liberation Serif", "Liberation Sans", "Liberation Serif"}}};
    const fs::path sources = folder / "sources";
    fs::create_directories(sources);
    std::uint32_t seed = 900;
    for (const auto& [name, fonts] : documents) {
        const fs::path source = sources / (name + ".fodt");
        std::ofstream(source) << flatOpenDocument(fonts, seed += 100);
        // A profile of its own, so that a running LibreOffice is left alone.
        const auto run = engine::runChildProcess(
            *office,
            {"-env:UserInstallation=file://" + (sources / "profile").string(), "--headless",
             "--convert-to", "pdf", "--outdir", folder.string(), source.string()});
        const fs::path file = folder / (name + ".pdf");
        if (!run.exitedWith(0) || !fs::exists(file)) {
            progress << "LibreOffice did not convert " << source << ": " << run.standardError
                     << std::endl;
            continue;
        }
        files.push_back(file);
    }
    fs::remove_all(sources);
}

} // namespace

std::vector<fs::path> TextDocumentSet::generate(const fs::path& folder, std::ostream& progress)
{
    fs::create_directories(folder);
    std::vector<fs::path> files;
    writeOwn(folder, progress, files);
    writeLibreOffice(folder, progress, files);
    for (const fs::path& file : files) {
        progress << file.string() << ": " << fs::file_size(file) << " bytes" << std::endl;
    }
    return files;
}

} // namespace zurbo::bench
