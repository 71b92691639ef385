#include "SourceDocument.h"

#include "PDFEngine.h"

#include <qpdf/QPDFExc.hh>
#include <qpdf/QUtil.hh>

#include <vector>

namespace zurbo::engine {

namespace {

// The document opened with `password`, or none when the password opens no lock of it.
std::shared_ptr<QPDF> openWith(const std::filesystem::path& pdf, const std::string& password)
{
    auto document = QPDF::create();
    document->setSuppressWarnings(true);
    try {
        document->processFile(pdf.c_str(), password.c_str());
    } catch (const QPDFExc& error) {
        if (error.getErrorCode() == qpdf_e_password) {
            return nullptr;
        }
        throw;
    }
    return document;
}

// The password as typed, then in PDFDocEncoding when that differs and can hold it.
std::vector<std::string> spellings(const std::string& password)
{
    std::vector<std::string> forms{password};
    std::string pdfDoc;
    if (QUtil::utf8_to_pdf_doc(password, pdfDoc) && pdfDoc != password) {
        forms.push_back(pdfDoc);
    }
    return forms;
}

} // namespace

std::shared_ptr<QPDF> SourceDocument::open(const std::filesystem::path& pdf,
                                           const std::string& password)
{
    // Without a password first: a password given for other files of a batch
    // must not shut a document that needs none.
    if (auto document = openWith(pdf, {})) {
        return document;
    }
    if (password.empty()) {
        throw PDFEngine::EngineError::passwordRequired();
    }
    for (const std::string& spelling : spellings(password)) {
        if (auto document = openWith(pdf, spelling)) {
            return document;
        }
    }
    throw PDFEngine::EngineError::passwordIncorrect();
}

bool SourceDocument::isProtected(const std::filesystem::path& pdf, const std::string& password)
{
    try {
        return open(pdf, password)->isEncrypted();
    } catch (const PDFEngine::EngineError&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace zurbo::engine
