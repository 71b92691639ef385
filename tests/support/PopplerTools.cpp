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

std::vector<double> luminance(const RenderedPage& page)
{
    std::vector<double> result(static_cast<std::size_t>(page.width) * page.height);
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] =
            0.299 * page.rgb[3 * i] + 0.587 * page.rgb[3 * i + 1] + 0.114 * page.rgb[3 * i + 2];
    }
    return result;
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

double meanSsim(const RenderedPage& a, const RenderedPage& b)
{
    if (a.width != b.width || a.height != b.height) {
        return 0;
    }
    const std::vector<double> x = luminance(a);
    const std::vector<double> y = luminance(b);
    constexpr int window = 8;
    constexpr double c1 = (0.01 * 255) * (0.01 * 255);
    constexpr double c2 = (0.03 * 255) * (0.03 * 255);
    double total = 0;
    int windows = 0;
    for (int top = 0; top + window <= a.height; top += window) {
        for (int left = 0; left + window <= a.width; left += window) {
            double mx = 0, my = 0, vx = 0, vy = 0, cov = 0;
            for (int dy = 0; dy < window; ++dy) {
                for (int dx = 0; dx < window; ++dx) {
                    const std::size_t i = static_cast<std::size_t>(top + dy) * a.width + left + dx;
                    mx += x[i];
                    my += y[i];
                }
            }
            const double n = window * window;
            mx /= n;
            my /= n;
            for (int dy = 0; dy < window; ++dy) {
                for (int dx = 0; dx < window; ++dx) {
                    const std::size_t i = static_cast<std::size_t>(top + dy) * a.width + left + dx;
                    vx += (x[i] - mx) * (x[i] - mx);
                    vy += (y[i] - my) * (y[i] - my);
                    cov += (x[i] - mx) * (y[i] - my);
                }
            }
            vx /= n - 1;
            vy /= n - 1;
            cov /= n - 1;
            total +=
                ((2 * mx * my + c1) * (2 * cov + c2)) / ((mx * mx + my * my + c1) * (vx + vy + c2));
            ++windows;
        }
    }
    return windows ? total / windows : 1.0;
}

std::optional<std::string> extractText(const std::filesystem::path& pdf)
{
    const TestFolder folder;
    try {
        run("pdftotext " + quoted(pdf) + " " + quoted(folder / "text.txt"));
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
    return readFile(folder / "text.txt");
}

} // namespace zurbo::testing
