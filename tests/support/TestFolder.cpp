#include "TestFolder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zurbo::testing {

TestFolder::TestFolder()
{
    std::string pattern = (fs::temp_directory_path() / "zurbo-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_path = pattern;
}

TestFolder::~TestFolder()
{
    std::error_code ignored;
    // Tests may leave read-only folders behind; open them up so removal works.
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(m_path, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> TestFolder::entries(const std::string& inside) const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path / inside)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

fs::path corpusDirectory()
{
    const char* overridden = std::getenv("ZURBO_CORPUS_DIR");
    const fs::path folder = overridden ? overridden : ZURBO_CORPUS_DIR;
    std::error_code error;
    return fs::is_directory(folder, error) ? folder.lexically_normal() : fs::path();
}

std::vector<fs::path> corpusFiles()
{
    std::vector<fs::path> files;
    if (const fs::path folder = corpusDirectory(); !folder.empty()) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".pdf") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace zurbo::testing
