#include "TextFixtures.h"

#include "TestFolder.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <iomanip>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace zurbo::testing {

namespace {

using Kind = EmbeddedFont::Kind;

// The CFF table of an OpenType font, which PDFs embed bare.
std::string cffTable(const std::string& openType)
{
    hb_blob_t* blob = hb_blob_create(openType.data(), static_cast<unsigned>(openType.size()),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* face = hb_face_create(blob, 0);
    hb_blob_t* table = hb_face_reference_table(face, HB_TAG('C', 'F', 'F', ' '));
    unsigned length = 0;
    const char* data = hb_blob_get_data(table, &length);
    std::string cff(data, length);
    hb_blob_destroy(table);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
    return cff;
}

// What the font dictionaries need from the font: glyph numbers and widths.
class Metrics {
public:
    explicit Metrics(const std::string& program)
    {
        FT_Init_FreeType(&m_library);
        if (FT_New_Memory_Face(m_library, reinterpret_cast<const FT_Byte*>(program.data()),
                               static_cast<FT_Long>(program.size()), 0, &m_face) != 0) {
            throw std::runtime_error("FreeType refuses the fixture font");
        }
        FT_Select_Charmap(m_face, FT_ENCODING_UNICODE);
    }
    ~Metrics()
    {
        FT_Done_Face(m_face);
        FT_Done_FreeType(m_library);
    }

    unsigned glyph(char c) const { return FT_Get_Char_Index(m_face, static_cast<FT_ULong>(c)); }

    long width(unsigned glyph) const
    {
        FT_Load_Glyph(m_face, glyph, FT_LOAD_NO_SCALE);
        return m_face->glyph->metrics.horiAdvance * 1000 / m_face->units_per_EM;
    }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
};

std::string hexGlyphs(const std::string& line, const Metrics& metrics)
{
    std::ostringstream hex;
    hex << '<' << std::hex << std::setfill('0');
    for (char c : line) {
        hex << std::setw(4) << metrics.glyph(c);
    }
    hex << '>';
    return hex.str();
}

std::string pageContent(const std::string& text, bool composite, const Metrics& metrics)
{
    std::ostringstream content;
    content << "BT /F1 11 Tf 14 TL 72 740 Td\n";
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        content << (composite ? hexGlyphs(line, metrics) : "(" + line + ")") << " '\n";
    }
    content << "ET\n";
    return content.str();
}

QPDFObjectHandle newStream(QPDF& pdf, const std::string& data, const std::string& dictionary)
{
    QPDFObjectHandle stream = pdf.newStream(data);
    for (auto [key, value] : QPDFObjectHandle::parse(dictionary).ditems()) {
        stream.getDict().replaceKey(key, value);
    }
    return stream;
}

// Maps the glyph numbers of the ASCII characters back to them, for text extraction.
std::string toUnicode(const Metrics& metrics)
{
    std::ostringstream map;
    map << "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /Fixture def "
           "1 begincodespacerange <0000> <FFFF> endcodespacerange 95 beginbfchar\n"
        << std::hex << std::setfill('0');
    for (char c = ' '; c <= '~'; ++c) {
        map << '<' << std::setw(4) << metrics.glyph(c) << "> <" << std::setw(4) << int(c) << ">\n";
    }
    map << "endbfchar endcmap CMapName currentdict /CMap defineresource pop end end\n";
    return map.str();
}

QPDFObjectHandle fontObject(QPDF& pdf, const EmbeddedFont& font, const std::string& program,
                            const Metrics& metrics)
{
    const std::string name = "/" + font.file.stem().string();
    QPDFObjectHandle descriptor = QPDFObjectHandle::parse(
        "<< /Type /FontDescriptor /Flags 32 /FontBBox [-1000 -500 2000 1200] /ItalicAngle 0 "
        "/Ascent 900 /Descent -250 /CapHeight 700 /StemV 80 >>");
    descriptor.replaceKey("/FontName", QPDFObjectHandle::newName(name));
    const std::string embedded = font.kind == Kind::bareCff ? cffTable(program) : program;
    const char* key =
        font.kind == Kind::openType || font.kind == Kind::bareCff ? "/FontFile3" : "/FontFile2";
    const std::string subtype = font.kind == Kind::openType ? "/Subtype /OpenType"
                                : font.kind == Kind::bareCff
                                    ? "/Subtype /Type1C"
                                    : "/Length1 " + std::to_string(embedded.size());
    descriptor.replaceKey(key, newStream(pdf, embedded, "<< " + subtype + " >>"));
    if (font.kind == Kind::trueTypeComposite) {
        std::ostringstream widths;
        widths << "[";
        for (char c = ' '; c <= '~'; ++c) {
            widths << metrics.glyph(c) << " [" << metrics.width(metrics.glyph(c)) << "] ";
        }
        QPDFObjectHandle cidFont = QPDFObjectHandle::parse(
            "<< /Type /Font /Subtype /CIDFontType2 /CIDToGIDMap /Identity /CIDSystemInfo "
            "<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /W " +
            widths.str() + "] >>");
        cidFont.replaceKey("/BaseFont", QPDFObjectHandle::newName(name));
        cidFont.replaceKey("/FontDescriptor", descriptor);
        QPDFObjectHandle type0 =
            QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type0 /Encoding /Identity-H >>");
        type0.replaceKey("/BaseFont", QPDFObjectHandle::newName(name));
        type0.replaceKey("/DescendantFonts", QPDFObjectHandle::newArray({cidFont}));
        type0.replaceKey("/ToUnicode", newStream(pdf, toUnicode(metrics), "<< >>"));
        return pdf.makeIndirectObject(type0);
    }
    std::ostringstream widths;
    for (char c = ' '; c <= '~'; ++c) {
        widths << metrics.width(metrics.glyph(c)) << ' ';
    }
    QPDFObjectHandle simple = QPDFObjectHandle::parse(
        std::string("<< /Type /Font /Subtype ") +
        (font.kind == Kind::trueType ? "/TrueType" : "/Type1") +
        " /Encoding /WinAnsiEncoding /FirstChar 32 /LastChar 126 /Widths [" + widths.str() +
        "] >>");
    simple.replaceKey("/BaseFont", QPDFObjectHandle::newName(name));
    simple.replaceKey("/FontDescriptor", descriptor);
    return pdf.makeIndirectObject(simple);
}

// A text field whose appearance and default appearance both use the font.
void addFormField(QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle font)
{
    QPDFObjectHandle resources = QPDFObjectHandle::parse("<< /Font << >> >>");
    resources.getKey("/Font").replaceKey("/F1", font);
    QPDFObjectHandle appearance =
        newStream(pdf, "/Tx BMC BT /F1 12 Tf 2 6 Td (Zurbo) Tj ET EMC",
                  "<< /Type /XObject /Subtype /Form /BBox [0 0 200 24] >>");
    appearance.getDict().replaceKey("/Resources", resources);
    QPDFObjectHandle field = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Widget /FT /Tx /T (name) /V (Zurbo) /DA (/F1 12 Tf 0 g) "
        "/Rect [72 72 272 96] /F 4 >>"));
    field.replaceKey("/AP", QPDFObjectHandle::parse("<< >>"));
    field.getKey("/AP").replaceKey("/N", appearance);
    field.replaceKey("/P", page);
    page.replaceKey("/Annots", QPDFObjectHandle::newArray({field}));
    QPDFObjectHandle form = QPDFObjectHandle::parse("<< /DA (/F1 12 Tf 0 g) >>");
    form.replaceKey("/Fields", QPDFObjectHandle::newArray({field}));
    form.replaceKey("/DR", resources);
    pdf.getRoot().replaceKey("/AcroForm", form);
}

} // namespace

void writeTextPdf(const std::filesystem::path& path, const TextDocument& document)
{
    const std::string program = readFile(document.font.file); // FreeType refuses an unread one
    const Metrics metrics(program);
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle font;
    for (const std::string& text : document.pages) {
        if (!font.isInitialized() || document.fontPerPage) {
            font = fontObject(pdf, document.font, program, metrics);
        }
        QPDFObjectHandle page = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] /Resources "
                                    "<< /Font << >> >> >>"));
        page.getKey("/Resources").getKey("/Font").replaceKey("/F1", font);
        const bool composite = document.font.kind == Kind::trueTypeComposite;
        std::string content = pageContent(text, composite, metrics);
        if (document.inheritedByForm) {
            // The form sets no font: it shows the text in the one the page left set.
            QPDFObjectHandle form = newStream(
                pdf, "BT 14 TL 72 740 Td\n" + content.substr(content.find('\n') + 1),
                "<< /Type /XObject /Subtype /Form /BBox [0 0 612 792] /Resources << >> >>");
            page.getKey("/Resources").replaceKey("/XObject", QPDFObjectHandle::newDictionary());
            page.getKey("/Resources").getKey("/XObject").replaceKey("/Fm0", form);
            content = "BT /F1 11 Tf ET /Fm0 Do\n";
        }
        page.replaceKey("/Contents", newStream(pdf, content, "<< >>"));
        QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);
        if (document.formField && pdf.getAllPages().size() == 1) {
            addFormField(pdf, page, font);
        }
    }
    QPDFWriter writer(pdf, path.c_str());
    writer.setStaticID(true);
    writer.write();
}

std::optional<std::filesystem::path> systemFont(const std::string& fileName)
{
    const std::filesystem::path root = "/usr/share/fonts";
    std::error_code error;
    for (auto entry = std::filesystem::recursive_directory_iterator(root, error);
         entry != std::filesystem::recursive_directory_iterator(); entry.increment(error)) {
        if (entry->path().filename() == fileName) {
            return entry->path();
        }
    }
    return std::nullopt;
}

} // namespace zurbo::testing
