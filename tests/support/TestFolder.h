#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zurbo::testing {

// A fresh temporary folder, removed with everything in it when the value goes.
class TestFolder {
public:
    TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    ~TestFolder();

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    // Names of the entries directly inside, or inside its folder `inside`, sorted.
    std::vector<std::string> entries(const std::string& inside = {}) const;

private:
    std::filesystem::path m_path;
};

// The shared corpus of real-world PDFs, or an empty path when it is absent.
std::filesystem::path corpusDirectory();
// Every PDF of the corpus, sorted by name; empty when the corpus is absent.
std::vector<std::filesystem::path> corpusFiles();

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

} // namespace zurbo::testing

// Skips the current test when the shared corpus is absent.
#define ZURBO_REQUIRE_CORPUS()                                                                     \
    do {                                                                                           \
        if (zurbo::testing::corpusDirectory().empty()) {                                           \
            GTEST_SKIP() << "the shared PDF corpus is absent";                                     \
        }                                                                                          \
    } while (false)
