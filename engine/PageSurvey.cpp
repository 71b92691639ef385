#include "PageSurvey.h"

#include <qpdf/Pl_Count.hh>
#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace zurbo::engine {

namespace {

// Below this many bytes a content stream can hold no more than a state
// save/restore and a transformation, which is what a blank page carries.
constexpr long long trivialContentBytes = 64;

bool paints(QPDFPageObjectHelper page)
{
    QPDFObjectHandle resources = page.getAttribute("/Resources", false);
    if (resources.isDictionary()) {
        for (const char* kind : {"/Font", "/XObject", "/Shading", "/Pattern"}) {
            QPDFObjectHandle entries = resources.getKey(kind);
            if (entries.isDictionary() && !entries.getKeys().empty()) {
                return true;
            }
        }
    }
    try {
        Pl_Discard discard;
        Pl_Count count("content", &discard);
        page.pipeContents(&count);
        return count.getCount() >= trivialContentBytes;
    } catch (const std::exception&) {
        // Content that cannot be read may still show something.
        return true;
    }
}

} // namespace

std::optional<std::vector<bool>> surveyPages(const std::filesystem::path& path)
{
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(path.c_str());
        std::vector<bool> painted;
        for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            painted.push_back(paints(page));
        }
        return painted;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace zurbo::engine
