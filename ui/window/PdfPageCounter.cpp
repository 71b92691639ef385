#include "PdfPageCounter.h"

#include <QPdfDocument>

namespace zurbo {

int PdfPageCounter::pageCount(const QString& path) const
{
    QPdfDocument document;
    if (path.isEmpty() || document.load(path) != QPdfDocument::Error::None) {
        return 1;
    }
    return document.pageCount();
}

} // namespace zurbo
