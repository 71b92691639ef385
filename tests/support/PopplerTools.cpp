#include "PopplerTools.h"

#include "TestFolder.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace zurbo::testing {

namespace {

std::string quoted(const std::filesystem::path& path)
{
    std::string result = "'";
    for (const char c : path.string()) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

void run(const std::string& command)
{
    if (std::system((command + " 2>/dev/null").c_str()) != 0) {
        throw std::runtime_error("failed: " + command);
    }
}

RenderedPage readPpm(const std::string& bytes)
{
    std::istringstream in(bytes);
    std::string magic;
    int maximum = 0;
    RenderedPage page;
    in >> magic >> page.width >> page.height >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255) {
        throw std::runtime_error("not an 8-bit PPM");
    }
    page.rgb.resize(static_cast<std::size_t>(page.width) * page.height * 3);
    in.read(reinterpret_cast<char*>(page.rgb.data()),
            static_cast<std::streamsize>(page.rgb.size()));
    return page;
}

} // namespace

std::vector<double> RenderedPage::meanColor(double left, double top, double right,
                                            double bottom) const
{
    std::vector<double> sums(3, 0.0);
    long count = 0;
    for (int y = static_cast<int>(top * height); y < static_cast<int>(bottom * height); ++y) {
        for (int x = static_cast<int>(left * width); x < static_cast<int>(right * width); ++x) {
            for (std::size_t c = 0; c < 3; ++c) {
                sums[c] += rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c];
            }
            ++count;
        }
    }
    for (double& sum : sums) {
        sum /= std::max(count, 1L);
    }
    return sums;
}

RenderedPage renderPage(const std::filesystem::path& pdf, int page, int dpi)
{
    const TestFolder folder;
    const std::string pageText = std::to_string(page);
    run("pdftoppm -r " + std::to_string(dpi) + " -f " + pageText + " -l " + pageText +
        " -singlefile " + quoted(pdf) + " " + quoted(folder / "page"));
    return readPpm(readFile(folder / "page.ppm"));
}

} // namespace zurbo::testing
