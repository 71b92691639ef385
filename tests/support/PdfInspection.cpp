#include "PdfInspection.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace zurbo::testing {

namespace {

std::string text(const std::shared_ptr<Buffer>& buffer)
{
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

// Empty when a specialised filter (DCT, JPX, ...) remains.
std::string decoded(QPDFObjectHandle image)
{
    try {
        return text(image.getStreamData(qpdf_dl_generalized));
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

struct PdfInspection::Members {
    QPDF pdf;
};

PdfInspection::PdfInspection(const std::filesystem::path& pdf) : m(std::make_unique<Members>())
{
    m->pdf.processFile(pdf.c_str());
}

PdfInspection::~PdfInspection() = default;

std::size_t PdfInspection::pageCount() const
{
    return m->pdf.getAllPages().size();
}

std::vector<std::array<double, 4>> PdfInspection::mediaBoxes() const
{
    std::vector<std::array<double, 4>> boxes;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(m->pdf).getAllPages()) {
        QPDFObjectHandle box = page.getAttribute("/MediaBox", false);
        std::array<double, 4> values{};
        for (int i = 0; i < 4; ++i) {
            values[static_cast<std::size_t>(i)] = box.getArrayItem(i).getNumericValue();
        }
        boxes.push_back(values);
    }
    return boxes;
}

std::map<std::string, std::string> PdfInspection::information() const
{
    std::map<std::string, std::string> result;
    QPDFObjectHandle info = m->pdf.getTrailer().getKey("/Info");
    if (info.isDictionary()) {
        for (auto [key, value] : info.ditems()) {
            result[key.substr(1)] = value.isString() ? value.getUTF8Value() : value.unparse();
        }
    }
    return result;
}

std::map<std::string, StoredImage> PdfInspection::pageImages(std::size_t pageIndex) const
{
    std::map<std::string, StoredImage> images;
    QPDFPageObjectHelper page = QPDFPageDocumentHelper(m->pdf).getAllPages().at(pageIndex);
    const auto isImage = [](QPDFObjectHandle object) {
        return object.isStream() && object.getDict().getKey("/Subtype").isNameAndEquals("/Image");
    };
    page.forEachXObject(
        true,
        [&](QPDFObjectHandle& image, QPDFObjectHandle&, std::string const& key) {
            QPDFObjectHandle dictionary = image.getDict();
            QPDFObjectHandle filter = dictionary.getKey("/Filter");
            images[key.substr(1)] = {
                dictionary.getKey("/Width").getIntValueAsInt(),
                dictionary.getKey("/Height").getIntValueAsInt(),
                filter.isName() ? filter.getName().substr(1) : "",
                text(image.getRawStreamData()),
                decoded(image),
                dictionary.getKey("/SMask").isStream(),
                image.getObjectID(),
            };
        },
        isImage);
    return images;
}

bool PdfInspection::catalogHas(const std::string& key) const
{
    return m->pdf.getRoot().hasKey(key);
}

} // namespace zurbo::testing
