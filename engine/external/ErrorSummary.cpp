#include "ErrorSummary.h"

#include "Utf8.h"

#include <vector>

namespace zurbo::engine {

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
