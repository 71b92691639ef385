// Compares Zurbo's compression engines on a folder of PDFs, or writes the
// benchmark's own documents. The Markdown report goes to a file because the
// engines and tools share our standard output (Ghostscript reports its errors
// there); progress goes to standard error.
#include "BenchDocumentSet.h"
#include "BenchReport.h"
#include "EngineBench.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>

namespace fs = std::filesystem;

namespace {

int usage()
{
    std::cerr << "usage: zurbo-engine-bench generate FOLDER\n"
                 "       zurbo-engine-bench run FOLDER REPORT.md\n";
    return 2;
}

std::vector<fs::path> pdfsIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".pdf") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

int runBench(const fs::path& folder, const fs::path& reportFile)
{
    const std::vector<fs::path> documents = pdfsIn(folder);
    if (documents.empty()) {
        std::cerr << "no PDF files in " << folder << '\n';
        return 1;
    }
    zurbo::bench::EngineBench bench(documents.front());
    const auto rows = bench.run(documents, std::cerr);
    std::ofstream report(reportFile);
    zurbo::bench::writeMarkdownReport(report, rows, bench.notes());
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
            zurbo::bench::BenchDocumentSet::generate(argv[2], std::cerr);
            return 0;
        }
        if (command == "run" && argc == 4) {
            return runBench(argv[2], argv[3]);
        }
    } catch (const std::exception& error) {
        std::cerr << "zurbo-engine-bench: " << error.what() << '\n';
        return 1;
    }
    return usage();
}
