// Compares Zurbo's compression engines on a folder of PDFs, or writes the
// benchmark's own documents. The Markdown report goes to standard output,
// progress to standard error.
#include "BenchDocumentSet.h"
#include "BenchReport.h"
#include "EngineBench.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>

namespace fs = std::filesystem;

namespace {

int usage()
{
    std::cerr << "usage: zurbo-engine-bench generate FOLDER\n"
                 "       zurbo-engine-bench run FOLDER\n";
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

int runBench(const fs::path& folder)
{
    const std::vector<fs::path> documents = pdfsIn(folder);
    if (documents.empty()) {
        std::cerr << "no PDF files in " << folder << '\n';
        return 1;
    }
    zurbo::bench::EngineBench bench(documents.front());
    const auto rows = bench.run(documents, std::cerr);
    zurbo::bench::writeMarkdownReport(std::cout, rows, bench.notes());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        return usage();
    }
    const std::string_view command = argv[1];
    try {
        if (command == "generate") {
            zurbo::bench::BenchDocumentSet::generate(argv[2], std::cerr);
            return 0;
        }
        if (command == "run") {
            return runBench(argv[2]);
        }
    } catch (const std::exception& error) {
        std::cerr << "zurbo-engine-bench: " << error.what() << '\n';
        return 1;
    }
    return usage();
}
