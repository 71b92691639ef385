#include "SystemPDFEngine.h"

#include "FilterDescription.h"
#include "ImageFilter.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace zurbo::engine {

namespace {

using EngineError = PDFEngine::EngineError;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OutputFile = std::unique_ptr<std::FILE, FileCloser>;

OutputFile openOutput(const std::filesystem::path& output)
{
    OutputFile file(std::fopen(output.c_str(), "wb"));
    if (!file) {
        throw EngineError::systemFilterUnavailable();
    }
    return file;
}

void openSource(QPDF& source, const std::filesystem::path& path)
{
    try {
        source.setSuppressWarnings(true);
        source.processFile(path.c_str());
        // Damage in the page tree shows here rather than halfway through.
        QPDFPageDocumentHelper(source).getAllPages();
    } catch (const std::exception&) {
        throw EngineError::documentUnreadable();
    }
}

bool isRectangle(QPDFObjectHandle box)
{
    if (!box.isArray() || box.getArrayNItems() != 4) {
        return false;
    }
    const auto numbers = box.getArrayAsVector();
    return std::all_of(numbers.begin(), numbers.end(), [](QPDFObjectHandle n) { return n.isNumber(); });
}

// A US Letter page for the rare source page without a usable media box.
QPDFObjectHandle mediaBoxOf(QPDFPageObjectHelper page)
{
    QPDFObjectHandle box = page.getAttribute("/MediaBox", false);
    return isRectangle(box) ? box.shallowCopy() : QPDFObjectHandle::parse("[0 0 612 792]");
}

// The source page's content and resources, copied into `target`, on a page
// of the source's media box. Crop box and rotation come along because they
// decide how the content is seen.
QPDFObjectHandle copiedPage(QPDF& source, QPDF& target, QPDFPageObjectHelper page)
{
    QPDFObjectHandle parts = QPDFObjectHandle::newDictionary();
    parts.replaceKey("/Resources", page.getAttribute("/Resources", false));
    parts.replaceKey("/Contents", page.getObjectHandle().getKey("/Contents"));
    QPDFObjectHandle copied = target.copyForeignObject(source.makeIndirectObject(parts));

    QPDFObjectHandle result = QPDFObjectHandle::newDictionary();
    result.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    result.replaceKey("/MediaBox", mediaBoxOf(page));
    QPDFObjectHandle cropBox = page.getAttribute("/CropBox", false);
    if (isRectangle(cropBox)) {
        result.replaceKey("/CropBox", cropBox.shallowCopy());
    }
    QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
    if (rotate.isInteger() && rotate.getIntValue() % 90 == 0) {
        result.replaceKey("/Rotate", rotate.shallowCopy());
    }
    for (const char* key : {"/Resources", "/Contents"}) {
        QPDFObjectHandle value = copied.getKey(key);
        if (!value.isNull()) {
            result.replaceKey(key, value);
        }
    }
    return target.makeIndirectObject(result);
}

void copyPages(QPDF& source, QPDF& target)
{
    QPDFPageDocumentHelper pages(target);
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(source).getAllPages()) {
        try {
            pages.addPage(QPDFPageObjectHelper(copiedPage(source, target, page)), false);
        } catch (const std::exception&) {
            // A page that cannot be read is skipped like a missing one.
        }
    }
}

void copyInformation(QPDF& source, QPDF& target, bool cleanMetadata)
{
    QPDFObjectHandle information = QPDFObjectHandle::newDictionary();
    information.replaceKey("/Creator", QPDFObjectHandle::newString("ZURBO"));
    QPDFObjectHandle sourceInformation = source.getTrailer().getKey("/Info");
    if (!cleanMetadata && sourceInformation.isDictionary()) {
        for (const char* key : {"/Title", "/Author", "/Subject", "/Keywords"}) {
            QPDFObjectHandle value = sourceInformation.getKey(key);
            if (value.isString()) {
                information.replaceKey(key, QPDFObjectHandle::newString(value.getStringValue()));
            }
        }
    }
    target.getTrailer().replaceKey("/Info", target.makeIndirectObject(information));
}

void write(QPDF& document, OutputFile file)
{
    try {
        QPDFWriter writer(document);
        writer.setOutputFile("output", file.get(), false);
        writer.setObjectStreamMode(qpdf_o_generate);
        // Streams pass through as stored; only unfiltered ones get compressed.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(true);
        writer.setSuppressOriginalObjectIDs(true);
        writer.write();
    } catch (const QPDFExc&) {
        // Source data that only turned out damaged while being copied out.
        throw EngineError::documentUnreadable();
    } catch (const std::exception&) {
        throw EngineError::systemFilterUnavailable();
    }
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()) || std::fclose(file.release()) != 0) {
        throw EngineError::systemFilterUnavailable();
    }
}

} // namespace

void runSystemPDFEngine(const std::filesystem::path& source, const std::filesystem::path& output,
                        PDFEngine::Configuration configuration, bool cleanMetadata)
{
    QPDF input;
    openSource(input, source);
    const FilterDescription filter = FilterDescription::forConfiguration(configuration);
    OutputFile file = openOutput(output);

    QPDF document;
    document.setSuppressWarnings(true);
    try {
        document.emptyPDF();
        copyPages(input, document);
        copyInformation(input, document, cleanMetadata);
        ImageFilter::apply(document.getAllPages(), filter.imageSettings());
    } catch (const std::exception&) {
        throw EngineError::documentUnreadable();
    }
    write(document, std::move(file));
}

} // namespace zurbo::engine
