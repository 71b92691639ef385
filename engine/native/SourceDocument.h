#pragma once

#include <qpdf/QPDF.hh>

#include <filesystem>
#include <memory>
#include <string>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// SourceDocument: a source PDF opened with libqpdf, whatever lock it has.
//
// A document protected by an owner password only (printing or copying
// restricted) opens without a password, as in any reader. One locked with a
// user password opens with the password given, by the user or the owner
// password: as typed (UTF-8), or in PDFDocEncoding, which the older
// algorithms read passwords in.
// ----------------------------------------------------------------------------
class SourceDocument {
public:
    SourceDocument() = delete;

    // The document, its warnings silenced. Throws EngineError::passwordRequired
    // for a locked document when `password` is empty, passwordIncorrect when it
    // opens neither lock; what qpdf throws for a damaged file passes through.
    static std::shared_ptr<QPDF> open(const std::filesystem::path& pdf,
                                      const std::string& password);

    // Whether the document is encrypted, and so only written by an engine that
    // keeps its protection. False for a file that cannot be opened at all: the
    // engines tell what they make of it. The password errors are open()'s.
    static bool isProtected(const std::filesystem::path& pdf, const std::string& password);
};

} // namespace zurbo::engine
