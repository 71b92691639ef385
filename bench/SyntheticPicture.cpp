#include "SyntheticPicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

namespace zurbo::bench {

namespace {

// Smooth random field in [0, 1]: octaves of bilinearly interpolated lattice
// noise, each twice as fine as the one before and `persistence` times as strong.
class FractalNoise {
public:
    FractalNoise(int width, int height, double coarsestCell, int octaves, double persistence,
                 std::mt19937& random)
    {
        double cell = coarsestCell;
        double amplitude = 1;
        for (int i = 0; i < octaves; ++i, cell /= 2, amplitude *= persistence) {
            Octave octave{cell, amplitude, static_cast<int>(width / cell) + 2, {}};
            const int rows = static_cast<int>(height / cell) + 2;
            std::uniform_real_distribution<double> value(0, 1);
            octave.lattice.resize(static_cast<std::size_t>(octave.columns) * rows);
            std::generate(octave.lattice.begin(), octave.lattice.end(),
                          [&] { return value(random); });
            m_totalAmplitude += amplitude;
            m_octaves.push_back(std::move(octave));
        }
    }

    double at(int x, int y) const
    {
        double sum = 0;
        for (const Octave& octave : m_octaves) {
            sum += octave.amplitude * octave.at(x, y);
        }
        return sum / m_totalAmplitude;
    }

private:
    struct Octave {
        double cell;
        double amplitude;
        int columns;
        std::vector<double> lattice;

        double at(int x, int y) const
        {
            const double fx = x / cell;
            const double fy = y / cell;
            const int ix = static_cast<int>(fx);
            const int iy = static_cast<int>(fy);
            const double tx = smooth(fx - ix);
            const double ty = smooth(fy - iy);
            const auto v = [&](int dx, int dy) {
                return lattice[static_cast<std::size_t>(iy + dy) * columns + ix + dx];
            };
            const double top = v(0, 0) + (v(1, 0) - v(0, 0)) * tx;
            const double bottom = v(0, 1) + (v(1, 1) - v(0, 1)) * tx;
            return top + (bottom - top) * ty;
        }
        static double smooth(double t) { return t * t * (3 - 2 * t); }
    };

    std::vector<Octave> m_octaves;
    double m_totalAmplitude = 0;
};

// A soft-edged ellipse with its own colour: the "objects" of the scene.
struct Blob {
    double cx, cy, rx, ry;
    std::array<double, 3> rgb;

    double coverage(int x, int y) const
    {
        const double dx = (x - cx) / rx;
        const double dy = (y - cy) / ry;
        const double distance = std::sqrt(dx * dx + dy * dy);
        return std::clamp((1.05 - distance) * 12, 0.0, 1.0);
    }
};

std::uint8_t toByte(double value)
{
    return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0) + 0.5);
}

void storePixel(std::uint8_t* out, const std::array<double, 3>& rgb, int components)
{
    if (components == 1) {
        out[0] = toByte(0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]);
    } else if (components == 3) {
        for (int c = 0; c < 3; ++c) {
            out[c] = toByte(rgb[c]);
        }
    } else {
        const double k = 255 - std::max({rgb[0], rgb[1], rgb[2]});
        const double scale = k < 255 ? 255 / (255 - k) : 0;
        for (int c = 0; c < 3; ++c) {
            out[c] = toByte((255 - rgb[c] - k) * scale);
        }
        out[3] = toByte(k);
    }
}

// One text-like glyph: a few stems, bars and a bowl, as a pen would make them.
void stampGlyph(std::vector<double>& ink, int width, int left, int baseline, int glyphHeight,
                std::mt19937& random)
{
    const double pen = std::max(1.5, glyphHeight / 12.0);
    const auto dot = [&](double x, double y) {
        for (int py = static_cast<int>(y - pen); py <= static_cast<int>(y + pen); ++py) {
            for (int px = static_cast<int>(x - pen); px <= static_cast<int>(x + pen); ++px) {
                const double d = std::hypot(px - x, py - y);
                if (px >= 0 && px < width && py >= 0 && d <= pen) {
                    double& cell = ink[static_cast<std::size_t>(py) * width + px];
                    cell = std::max(cell, std::clamp(pen - d + 0.5, 0.0, 1.0));
                }
            }
        }
    };
    const auto stroke = [&](double x0, double y0, double x1, double y1) {
        const int steps = static_cast<int>(std::hypot(x1 - x0, y1 - y0) / (pen / 2)) + 1;
        for (int i = 0; i <= steps; ++i) {
            const double t = static_cast<double>(i) / steps;
            dot(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t);
        }
    };
    std::uniform_int_distribution<int> shape(0, 5);
    const double w = glyphHeight * 0.55;
    const double top = baseline - glyphHeight * (shape(random) < 2 ? 1.0 : 0.7);
    stroke(left, baseline, left, top);
    switch (shape(random)) {
    case 0:
        stroke(left, top, left + w, baseline);
        break;
    case 1:
        stroke(left, (top + baseline) / 2, left + w, (top + baseline) / 2);
        break;
    case 2:
        stroke(left + w, baseline, left + w, top);
        break;
    default:
        for (int a = 0; a <= 24; ++a) {
            const double angle = a * 3.14159265 / 12;
            dot(left + w / 2 + std::cos(angle) * w / 2, baseline - w / 2 + std::sin(angle) * w / 2);
        }
    }
}

} // namespace

std::vector<std::uint8_t> SyntheticPicture::photograph(int width, int height, int components,
                                                       std::uint32_t seed)
{
    std::mt19937 random(seed);
    // Real pictures carry detail at every scale down to the pixel; a texture
    // that fades slowly with scale keeps downsampled copies honest for JPEG.
    const FractalNoise light(width, height, width / 3.0, 5, 0.5, random);
    const FractalNoise texture(width, height, 96, 6, 0.9, random);
    std::uniform_real_distribution<double> unit(0, 1);
    const std::array<double, 3> sky{90 + 120 * unit(random), 90 + 120 * unit(random),
                                    120 + 120 * unit(random)};
    const std::array<double, 3> ground{60 + 100 * unit(random), 50 + 90 * unit(random),
                                       30 + 60 * unit(random)};
    std::vector<Blob> blobs(30);
    for (Blob& blob : blobs) {
        blob = {unit(random) * width,
                unit(random) * height,
                (0.02 + 0.2 * unit(random)) * width,
                (0.02 + 0.2 * unit(random)) * height,
                {255 * unit(random), 255 * unit(random), 255 * unit(random)}};
    }
    std::normal_distribution<double> grain(0, 5);

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * components);
    std::uint8_t* out = pixels.data();
    for (int y = 0; y < height; ++y) {
        const double v = static_cast<double>(y) / height;
        for (int x = 0; x < width; ++x, out += components) {
            const double shade = 0.55 + 0.6 * light.at(x, y);
            const double detail = 110 * (texture.at(x, y) - 0.5);
            std::array<double, 3> rgb;
            for (int c = 0; c < 3; ++c) {
                rgb[c] = sky[c] + (ground[c] - sky[c]) * v;
            }
            for (const Blob& blob : blobs) {
                const double cover = blob.coverage(x, y);
                for (int c = 0; c < 3; ++c) {
                    rgb[c] += (blob.rgb[c] - rgb[c]) * cover;
                }
            }
            const double noise = grain(random);
            for (double& channel : rgb) {
                channel = channel * shade + detail + noise;
            }
            storePixel(out, rgb, components);
        }
    }
    return pixels;
}

std::vector<std::uint8_t> SyntheticPicture::scan(int width, int height, int dpi, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<double> ink(static_cast<std::size_t>(width) * height, 0.0);
    const int glyphHeight = dpi / 10;
    const int lineHeight = glyphHeight * 2;
    const int margin = dpi;
    std::uniform_int_distribution<int> wordLength(2, 9);
    for (int baseline = margin + glyphHeight; baseline < height - margin; baseline += lineHeight) {
        int x = margin;
        while (x < width - margin - glyphHeight * 5) {
            for (int letters = wordLength(random); letters > 0;
                 --letters, x += glyphHeight * 3 / 4) {
                stampGlyph(ink, width, x, baseline, glyphHeight, random);
            }
            x += glyphHeight / 2;
        }
    }
    const FractalNoise paper(width, height, width / 2.0, 4, 0.5, random);
    std::normal_distribution<double> grain(0, 3);
    std::vector<std::uint8_t> pixels(ink.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const int x = static_cast<int>(i % width);
        const int y = static_cast<int>(i / width);
        const double background = 222 + 24 * paper.at(x, y);
        pixels[i] = toByte(background - ink[i] * (background - 35) + grain(random));
    }
    return pixels;
}

} // namespace zurbo::bench
