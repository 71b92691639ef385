#include "PageCount.h"

#include <qpdf/QPDF.hh>

namespace zurbo::engine {

std::optional<int> pdfPageCount(const std::filesystem::path& path)
{
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(path.c_str());
        return static_cast<int>(pdf.getAllPages().size());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace zurbo::engine
