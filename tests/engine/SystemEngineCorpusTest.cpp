#include "SystemPDFEngine.h"

#include "PopplerCommands.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>

namespace zurbo::engine {
namespace {

using testing::TestFolder;

std::vector<std::filesystem::path> corpusOrPlaceholder()
{
    auto files = testing::corpusFiles();
    // One empty entry keeps the suite instantiated; the test skips it.
    return files.empty() ? std::vector<std::filesystem::path>{{}} : files;
}

std::map<std::string, int> words(const std::string& text)
{
    std::map<std::string, int> counts;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        ++counts[word];
    }
    return counts;
}

// The engine's refusal, if it refuses.
std::optional<PDFEngine::EngineError::Kind> refusal(const std::filesystem::path& source,
                                                    const std::filesystem::path& output)
{
    try {
        runSystemPDFEngine(source, output, {150, 82}, false);
    } catch (const PDFEngine::EngineError& error) {
        return error.kind();
    }
    return std::nullopt;
}

class SystemEngineCorpusTest : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(SystemEngineCorpusTest, KeepsTheTextOrRefusesOnlyWhatCannotBeRead)
{
    ZURBO_REQUIRE_CORPUS();
    const std::filesystem::path source = GetParam();
    const TestFolder folder;
    const auto output = folder / "out.pdf";
    const auto refused = refusal(source, output);
    const auto sourceWords = words(bench::extractText(source).value_or(""));

    if (source.filename() == "libreoffice-writer-password.pdf") {
        EXPECT_EQ(refused, PDFEngine::EngineError::Kind::documentUnreadable);
        return;
    }
    if (refused) {
        // Refused only as unreadable, and only when poppler finds nothing in it either.
        EXPECT_EQ(*refused, PDFEngine::EngineError::Kind::documentUnreadable);
        EXPECT_TRUE(sourceWords.empty());
        return;
    }
    // Flattened form fields may show words poppler did not take from the
    // interactive layer, so the output's words must include the source's
    // rather than equal them.
    const auto outputWords = words(bench::extractText(output).value_or(""));
    for (const auto& [word, count] : sourceWords) {
        EXPECT_GE(outputWords.count(word) ? outputWords.at(word) : 0, count) << word;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, SystemEngineCorpusTest, ::testing::ValuesIn(corpusOrPlaceholder()),
                         [](const auto& info) {
                             std::string name = info.param.stem().string();
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name.empty() ? std::string("absent") : name;
                         });

} // namespace
} // namespace zurbo::engine
