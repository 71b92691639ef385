#include "ByteKinds.h"

#include <qpdf/Pl_Count.hh>
#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <set>

namespace zurbo::bench {

namespace {

enum class Kind { font, content, image };

std::int64_t storedBytes(QPDFObjectHandle stream)
{
    Pl_Discard discard;
    Pl_Count count("stored bytes", &discard);
    stream.pipeStreamData(&count, nullptr, 0, qpdf_dl_none, true, false);
    return count.getCount();
}

// The streams of one kind that `object`, and the direct dictionaries within
// it, name under the keys they use for them.
void classify(QPDFObjectHandle object, std::map<QPDFObjGen, Kind>& kinds, int depth = 4)
{
    QPDFObjectHandle dictionary = object.isStream() ? object.getDict() : object;
    if (!dictionary.isDictionary()) {
        return;
    }
    for (auto [key, value] : dictionary.ditems()) {
        if (value.isDictionary() && !value.isIndirect() && depth > 0) {
            classify(value, kinds, depth - 1);
        }
    }
    for (const char* key : {"/FontFile", "/FontFile2", "/FontFile3"}) {
        if (dictionary.getKey(key).isStream()) {
            kinds.emplace(dictionary.getKey(key).getObjGen(), Kind::font);
        }
    }
    QPDFObjectHandle procedures = dictionary.getKey("/CharProcs");
    if (procedures.isDictionary()) {
        for (auto [name, procedure] : procedures.ditems()) {
            kinds.emplace(procedure.getObjGen(), Kind::font);
        }
    }
    if (object.isStream()) {
        QPDFObjectHandle subtype = dictionary.getKey("/Subtype");
        if (subtype.isNameAndEquals("/Image")) {
            kinds.emplace(object.getObjGen(), Kind::image);
        } else if (subtype.isNameAndEquals("/Form")) {
            kinds.emplace(object.getObjGen(), Kind::content);
        }
    }
}

} // namespace

ByteKinds ByteKinds::of(const std::filesystem::path& pdf)
{
    QPDF document;
    document.setSuppressWarnings(true);
    document.processFile(pdf.c_str());
    std::map<QPDFObjGen, Kind> kinds;
    for (QPDFObjectHandle object : document.getAllObjects()) {
        classify(object, kinds);
    }
    for (QPDFObjectHandle page : document.getAllPages()) {
        for (QPDFObjectHandle content : QPDFPageObjectHelper(page).getPageContents()) {
            kinds.emplace(content.getObjGen(), Kind::content);
        }
    }
    ByteKinds bytes;
    for (const auto& [id, kind] : kinds) {
        const std::int64_t stored = storedBytes(document.getObjectByObjGen(id));
        (kind == Kind::font    ? bytes.fonts
         : kind == Kind::image ? bytes.images
                               : bytes.content) += stored;
    }
    bytes.other = static_cast<std::int64_t>(std::filesystem::file_size(pdf)) - bytes.fonts -
                  bytes.content - bytes.images;
    return bytes;
}

ByteKinds& ByteKinds::operator+=(const ByteKinds& more)
{
    fonts += more.fonts;
    content += more.content;
    images += more.images;
    other += more.other;
    return *this;
}

} // namespace zurbo::bench
