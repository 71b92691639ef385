#include "ByteCountText.h"

#include <cmath>

namespace zurbo {

namespace {

struct Unit {
    const char* name;
    double size;
    int fractionDigits;
};

constexpr Unit units[] = {{"kB", 1e3, 0}, {"MB", 1e6, 1}, {"GB", 1e9, 2}};

// The count in `unit`, rounded to its fraction digits, as a whole number of
// its smallest step (tenths of MB, hundredths of GB).
long long roundedSteps(double count, const Unit& unit)
{
    return std::llround(count / unit.size * std::pow(10.0, unit.fractionDigits));
}

long long stepsPerUnit(const Unit& unit)
{
    return std::llround(std::pow(10.0, unit.fractionDigits));
}

} // namespace

std::string byteCountText(std::int64_t bytes, std::string_view decimalSeparator)
{
    const double count = bytes > 0 ? static_cast<double>(bytes) : 0.0;
    // Move up a unit once the rounded value would read 1000, so 999,999
    // bytes reads "1.0 MB" rather than "1000 kB".
    const Unit* unit = &units[0];
    while (unit != &units[2] && roundedSteps(count, *unit) >= 1000 * stepsPerUnit(*unit)) {
        ++unit;
    }
    // Built by hand: printf would follow the process locale's decimal point.
    const long long steps = roundedSteps(count, *unit);
    const long long scale = stepsPerUnit(*unit);
    std::string text = std::to_string(steps / scale);
    if (unit->fractionDigits > 0) {
        std::string fraction = std::to_string(steps % scale);
        fraction.insert(0, static_cast<std::size_t>(unit->fractionDigits) - fraction.size(), '0');
        text += decimalSeparator;
        text += fraction;
    }
    return text + " " + unit->name;
}

} // namespace zurbo
