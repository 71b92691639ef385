// Compares Zurbo's compression engines on a folder of PDFs, or writes the
// benchmark's own documents. The Markdown report goes to a file because the
// engines and tools share our standard output (Ghostscript reports its errors
// there); progress goes to standard error.
#include "BenchDocumentSet.h"
#include "BenchReport.h"
#include "ByteKinds.h"
#include "EngineBench.h"
#include "HostileDocuments.h"
#include "PopplerCommands.h"
#include "StructuralSimilarity.h"
#include "TextDocumentSet.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

namespace {

int usage()
{
    std::cerr << "usage: zurbo-engine-bench generate FOLDER    (photo, text and hostile folders)\n"
                 "       zurbo-engine-bench run FOLDER REPORT.md [REPEATS]\n"
                 "       zurbo-engine-bench compare BEFORE.pdf AFTER.pdf\n"
                 "       zurbo-engine-bench kinds FILE...\n";
    return 2;
}

// Whether two outputs look and read the same: the lowest page SSIM at 150 dpi
// and whether pdftotext gives the same text. Exit status 0 when both hold.
int compareOutputs(const fs::path& before, const fs::path& after)
{
    const auto first = zurbo::bench::renderGrayPages(before, 150);
    const auto second = zurbo::bench::renderGrayPages(after, 150);
    double lowest = first.size() == second.size() ? 1 : 0;
    for (std::size_t page = 0; page < std::min(first.size(), second.size()); ++page) {
        lowest = std::min(lowest, zurbo::bench::structuralSimilarity(first[page], second[page]));
    }
    const bool sameText = zurbo::bench::extractText(before) == zurbo::bench::extractText(after);
    std::cout << "pages " << first.size() << "/" << second.size() << " lowest SSIM " << lowest
              << " text " << (sameText ? "same" : "changed") << '\n';
    return lowest == 1 && sameText ? 0 : 1;
}

// The hostile inputs lie in a folder of their own, measured apart.
const char* const hostileFolder = "hostile";

// The PDFs in `folder` and the folders below it but the hostile one; each
// belongs to the set its folder names.
std::vector<fs::path> pdfsIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) {
        return files;
    }
    for (auto entry = fs::recursive_directory_iterator(folder);
         entry != fs::recursive_directory_iterator(); ++entry) {
        if (entry->is_directory() && entry->path().filename() == hostileFolder) {
            entry.disable_recursion_pending();
        }
        if (entry->path().extension() == ".pdf") {
            files.push_back(entry->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

int runBench(const fs::path& folder, const fs::path& reportFile, int repeats)
{
    const std::vector<fs::path> documents = pdfsIn(folder);
    if (documents.empty()) {
        std::cerr << "no PDF files in " << folder << '\n';
        return 1;
    }
    zurbo::bench::EngineBench bench(documents.front(), repeats);
    const auto rows = bench.run(documents, std::cerr);
    const auto hostileRows = bench.runHostile(pdfsIn(folder / hostileFolder), std::cerr);
    std::ofstream report(reportFile);
    zurbo::bench::writeMarkdownReport(report, rows, hostileRows, bench.notes());
    report.close();
    if (!report) {
        std::cerr << "could not write " << reportFile << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string_view command = argc > 1 ? argv[1] : "";
    try {
        if (command == "generate" && argc == 3) {
            zurbo::bench::BenchDocumentSet::generate(fs::path(argv[2]) / "photo", std::cerr);
            zurbo::bench::TextDocumentSet::generate(fs::path(argv[2]) / "text", std::cerr);
            zurbo::bench::HostileDocuments::generate(fs::path(argv[2]) / hostileFolder, std::cerr);
            return 0;
        }
        if (command == "run" && (argc == 4 || argc == 5)) {
            const int repeats = argc == 5 ? std::stoi(argv[4]) : 1;
            return repeats > 0 ? runBench(argv[2], argv[3], repeats) : usage();
        }
        if (command == "kinds" && argc > 2) {
            for (int i = 2; i < argc; ++i) {
                const auto bytes = zurbo::bench::ByteKinds::of(argv[i]);
                std::cout << argv[i] << " fonts " << bytes.fonts << " content " << bytes.content
                          << " images " << bytes.images << " other " << bytes.other << '\n';
            }
            return 0;
        }
        if (command == "compare" && argc == 4) {
            return compareOutputs(argv[2], argv[3]);
        }
        // One measured run, started by `run` in a process of its own.
        if (command == "measure" && argc == 8) {
            zurbo::bench::EngineBench::compressInChild(
                argv[2], argv[3], argv[4], {std::stoll(argv[5]), std::stoll(argv[6])}, argv[7]);
            return 0;
        }
    } catch (const std::exception& error) {
        std::cerr << "zurbo-engine-bench: " << error.what() << '\n';
        return 1;
    }
    return usage();
}
