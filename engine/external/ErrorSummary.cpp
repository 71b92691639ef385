#include "ErrorSummary.h"

#include <vector>

namespace zurbo::engine {

namespace {

// Length of the sequence that `lead` starts, or 0 when it cannot start one.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// The allowed range of the byte after `lead`, which rules out overlongs,
// surrogates and code points past U+10FFFF.
bool secondByteFits(unsigned char lead, unsigned char second)
{
    switch (lead) {
    case 0xE0:
        return second >= 0xA0 && second <= 0xBF;
    case 0xED:
        return second >= 0x80 && second <= 0x9F;
    case 0xF0:
        return second >= 0x90 && second <= 0xBF;
    case 0xF4:
        return second >= 0x80 && second <= 0x8F;
    default:
        return second >= 0x80 && second <= 0xBF;
    }
}

} // namespace

bool isValidUtf8(const std::string& bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = sequenceLength(lead);
        if (length == 0 || i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            const bool fits = k == 1 ? secondByteFits(lead, next) : (next & 0xC0) == 0x80;
            if (!fits) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::string summarizeStandardError(const std::string& standardError, std::size_t keptLines)
{
    if (!isValidUtf8(standardError)) {
        return {};
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= standardError.size()) {
        std::size_t end = standardError.find('\n', start);
        if (end == std::string::npos) {
            end = standardError.size();
        }
        if (end > start) {
            lines.push_back(standardError.substr(start, end - start));
        }
        start = end + 1;
    }
    const std::size_t first = lines.size() > keptLines ? lines.size() - keptLines : 0;
    std::string message;
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (!message.empty()) {
            message += ' ';
        }
        message += lines[i];
    }
    return message;
}

} // namespace zurbo::engine
