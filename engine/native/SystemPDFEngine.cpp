#include "SystemPDFEngine.h"

#include "FilterDescription.h"
#include "FlateRecompressor.h"
#include "FontSubsets.h"
#include "IdenticalObjects.h"
#include "ImageFilter.h"
#include "ReaderStructures.h"
#include "SourceDocument.h"
#include "WorkingFile.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

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

std::shared_ptr<QPDF> openSource(const std::filesystem::path& path, const std::string& password)
{
    std::shared_ptr<QPDF> source;
    try {
        source = SourceDocument::open(path, password);
        // Damage in the page tree shows here rather than halfway through.
        QPDFPageDocumentHelper(*source).getAllPages();
    } catch (const EngineError&) {
        throw;
    } catch (const std::exception&) {
        throw EngineError::documentUnreadable();
    }
    // A catalogue that lost its page tree is damage, not an empty document:
    // writing it out would replace the user's file with a blank one.
    if (!source->getRoot().getKey("/Pages").isDictionary()) {
        throw EngineError::documentUnreadable();
    }
    return source;
}

bool isRectangle(QPDFObjectHandle box)
{
    if (!box.isArray() || box.getArrayNItems() != 4) {
        return false;
    }
    const auto numbers = box.getArrayAsVector();
    return std::all_of(numbers.begin(), numbers.end(),
                       [](QPDFObjectHandle n) { return n.isNumber(); });
}

// A US Letter page for the rare source page without a usable media box.
QPDFObjectHandle mediaBoxOf(QPDFObjectHandle page)
{
    QPDFObjectHandle box = page.getKey("/MediaBox");
    return isRectangle(box) ? box : QPDFObjectHandle::parse("[0 0 612 792]");
}

// Boxes and rotation that a reader could not use are left out, or replaced
// where a page cannot do without one.
void repairPage(QPDFObjectHandle page)
{
    page.replaceKey("/MediaBox", mediaBoxOf(page));
    if (!isRectangle(page.getKey("/CropBox"))) {
        page.removeKey("/CropBox");
    }
    QPDFObjectHandle rotate = page.getKey("/Rotate");
    if (!rotate.isInteger() || rotate.getIntValue() % 90 != 0) {
        page.removeKey("/Rotate");
    }
}

QPDFObjectHandle newInformation(QPDF& pdf, bool cleanMetadata)
{
    QPDFObjectHandle information = QPDFObjectHandle::newDictionary();
    information.replaceKey("/Creator", QPDFObjectHandle::newString("ZURBO"));
    QPDFObjectHandle sourceInformation = pdf.getTrailer().getKey("/Info");
    if (!cleanMetadata && sourceInformation.isDictionary()) {
        for (const char* key : {"/Title", "/Author", "/Subject", "/Keywords"}) {
            QPDFObjectHandle value = sourceInformation.getKey(key);
            if (value.isString()) {
                information.replaceKey(key, QPDFObjectHandle::newString(value.getStringValue()));
            }
        }
    }
    return pdf.makeIndirectObject(information);
}

// An identifier no other file shares. The writer keeps the first of the two
// and derives the second from this write.
QPDFObjectHandle freshIdentifier()
{
    std::string bytes(16, '\0');
    QUtil::initializeWithRandomBytes(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
    QPDFObjectHandle identifier = QPDFObjectHandle::newArray();
    identifier.appendItem(QPDFObjectHandle::newString(bytes));
    identifier.appendItem(QPDFObjectHandle::newString(bytes));
    return identifier;
}

// Whether the document's keys are derived from the first of its identifiers,
// as those of the encryption algorithms before AES-256 (revision 5) are: it
// keeps that identifier, or its passwords would open nothing.
bool keysFollowIdentifier(QPDF& document)
{
    int revision = 0;
    int permissions = 0;
    return document.isEncrypted(revision, permissions) && revision < 5;
}

// Gives the pages what they need and the document the information of the
// metadata choice; a cleaned document also gets an identifier of its own,
// unless its protection's keys depend on the one it has.
void finishDocument(QPDF& document, QPDFObjectHandle information, bool cleanMetadata)
{
    document.pushInheritedAttributesToPage();
    for (QPDFObjectHandle page : document.getAllPages()) {
        repairPage(page);
    }
    document.getTrailer().replaceKey("/Info", information);
    // qpdf writes its object count only in place of a /Size the trailer has: a
    // source whose trailer lacks one would come out with an unusable xref.
    document.getTrailer().replaceKey("/Size", QPDFObjectHandle::newInteger(0));
    if (cleanMetadata && !keysFollowIdentifier(document)) {
        document.getTrailer().replaceKey("/ID", freshIdentifier());
    }
}

void mergeIdentical(QPDF& document, IdenticalObjects::Masks masks, StageTimes* times,
                    Notices notices = {})
{
    const StageTimes::Timer merging(times, StageTimes::merge);
    IdenticalObjects::merge(document, masks, notices);
}

[[noreturn]] void throwWriteFailure(int code)
{
    if (isOutOfSpace(code)) {
        throw EngineError::diskFull();
    }
    throw EngineError::systemFilterUnavailable();
}

// Passes the written bytes on to the output file until a stop is requested.
class StoppableOutput : public Pipeline {
public:
    StoppableOutput(std::FILE* file, StopToken stop)
        : Pipeline("output", nullptr), m_file(file), m_stop(stop)
    {
    }

    void write(unsigned char const* data, size_t length) override
    {
        if (m_stop.stopRequested()) {
            throw PDFEngine::Cancelled();
        }
        if (std::fwrite(data, 1, length, m_file) != length) {
            throwWriteFailure(errno);
        }
    }
    void finish() override {}

private:
    std::FILE* m_file;
    StopToken m_stop;
};

void write(QPDF& document, OutputFile file, StopToken stop)
{
    StoppableOutput output(file.get(), stop);
    try {
        QPDFWriter writer(document);
        writer.setOutputPipeline(&output);
        writer.setObjectStreamMode(qpdf_o_generate);
        // Streams pass through as stored; only unfiltered ones get compressed.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(true);
        writer.setSuppressOriginalObjectIDs(true);
        // A protected source keeps its protection: the writer copies the
        // source's algorithm, permissions and password checks, so the same
        // passwords open it, the owner's included, unknown as it may be.
        writer.setPreserveEncryption(true);
        writer.write();
    } catch (const PDFEngine::Cancelled&) {
        throw;
    } catch (const EngineError&) {
        throw;
    } catch (const QPDFExc&) {
        // Source data that only turned out damaged while being copied out.
        throw EngineError::documentUnreadable();
    } catch (const std::exception&) {
        throw EngineError::systemFilterUnavailable();
    }
    if (std::fflush(file.get()) != 0 || std::fclose(file.release()) != 0) {
        throwWriteFailure(errno);
    }
}

} // namespace

void runSystemPDFEngine(const std::filesystem::path& source, const std::filesystem::path& output,
                        PDFEngine::Configuration configuration, bool cleanMetadata, StopToken stop,
                        StageTimes* times, const std::string& password,
                        const EngineNotices& notices)
{
    const Notices told(notices);
    std::optional<StageTimes::Timer> opening(std::in_place, times, StageTimes::open);
    const std::shared_ptr<QPDF> opened = openSource(source, password);
    QPDF& document = *opened;
    opening.reset();
    const FilterDescription filter = FilterDescription::forConfiguration(configuration);
    OutputFile file = openOutput(output);
    try {
        {
            // First: a damaged object shows as warnings only the first time it
            // is read, and adding an object reads the whole document.
            const StageTimes::Timer keeping(times, StageTimes::open);
            ReaderStructures::keep(document, cleanMetadata, told);
        }
        QPDFObjectHandle information = newInformation(document, cleanMetadata);
        mergeIdentical(document, IdenticalObjects::Masks::apart, times, told);
        InflateBudget content;
        ImageFilter::apply(document.getAllPages(), filter.imageSettings(), content, stop, times,
                           told);
        FontSubsets::apply(document, content, stop, times, told);
        // Masks the images no longer share, and whatever recompression made
        // alike; damage that keeps objects apart was told in the first pass.
        mergeIdentical(document, IdenticalObjects::Masks::merged, times);
        finishDocument(document, information, cleanMetadata);
        FlateRecompressor::apply(document, stop, times, told);
    } catch (const PDFEngine::Cancelled&) {
        throw;
    } catch (const EngineError&) {
        throw;
    } catch (const std::exception&) {
        throw EngineError::documentUnreadable();
    }
    const StageTimes::Timer writing(times, StageTimes::write);
    write(document, std::move(file), stop);
}

} // namespace zurbo::engine
