#include "GrayImage.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace zurbo::bench {

namespace {

// PGM headers are whitespace-separated numbers with '#' comments in between.
int readHeaderNumber(std::istream& in)
{
    for (;;) {
        const int next = in.peek();
        if (next == '#') {
            std::string comment;
            std::getline(in, comment);
        } else if (next != EOF && std::isspace(next)) {
            in.get();
        } else {
            break;
        }
    }
    int value = -1;
    if (!(in >> value) || value < 0) {
        throw std::runtime_error("malformed PGM header");
    }
    return value;
}

} // namespace

GrayImage GrayImage::readPgm(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    char magic[2] = {};
    if (!in.read(magic, 2) || magic[0] != 'P' || magic[1] != '5') {
        throw std::runtime_error("not a binary PGM: " + path.string());
    }
    GrayImage image;
    image.width = readHeaderNumber(in);
    image.height = readHeaderNumber(in);
    if (readHeaderNumber(in) != 255) {
        throw std::runtime_error("PGM is not 8-bit: " + path.string());
    }
    in.get(); // the single whitespace byte that ends the header
    const std::size_t size = static_cast<std::size_t>(image.width) * image.height;
    image.pixels.resize(size);
    if (!in.read(reinterpret_cast<char*>(image.pixels.data()),
                 static_cast<std::streamsize>(size))) {
        throw std::runtime_error("truncated PGM: " + path.string());
    }
    return image;
}

} // namespace zurbo::bench
