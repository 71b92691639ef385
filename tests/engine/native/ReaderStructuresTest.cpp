#include "SystemPDFEngine.h"

#include "PopplerCommands.h"
#include "StructuralSimilarity.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace zurbo::engine {
namespace {

using namespace zurbo::testing;

std::string text(QPDFObjectHandle value)
{
    return value.isString() ? value.getUTF8Value() : value.isName() ? value.getName() : "";
}

void writeOutlines(std::vector<QPDFOutlineObjectHelper> items, std::ostream& out)
{
    for (QPDFOutlineObjectHelper& item : items) {
        out << "outline " << item.getTitle() << "\n";
        writeOutlines(item.getKids(), out);
    }
}

// What a reader finds besides the page content: outlines, annotations and
// where links lead, form values, attachments, layers and those hidden, tags.
// Pages are named by number, since the engine renumbers objects.
std::string readerView(const fs::path& pdf)
{
    QPDF document;
    document.setSuppressWarnings(true);
    document.processFile(pdf.c_str());
    std::ostringstream out;
    QPDFOutlineDocumentHelper outlines(document);
    writeOutlines(outlines.getTopLevelOutlines(), out);
    int number = 0;
    for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(document).getAllPages()) {
        ++number;
        for (QPDFAnnotationObjectHelper annotation : page.getAnnotations()) {
            QPDFObjectHandle action = annotation.getObjectHandle().getKey("/A");
            out << "annotation " << number << annotation.getSubtype() << " "
                << annotation.getRect().llx << " "
                << (action.isDictionary() ? text(action.getKey("/URI")) + text(action.getKey("/D"))
                                          : "")
                << "\n";
        }
    }
    for (QPDFFormFieldObjectHelper field : QPDFAcroFormDocumentHelper(document).getFormFields()) {
        out << "field " << field.getFullyQualifiedName() << "=" << field.getValueAsString() << "\n";
    }
    for (const auto& [name, file] : QPDFEmbeddedFileDocumentHelper(document).getEmbeddedFiles()) {
        out << "file " << name << " " << file->getEmbeddedFileStream().getStreamData()->getSize()
            << "\n";
    }
    QPDFObjectHandle layers = document.getRoot().getKey("/OCProperties");
    for (auto [label, list] : {std::pair("layer ", layers.getKey("/OCGs")),
                               std::pair("hidden ", layers.getKey("/D").getKey("/OFF"))}) {
        for (int i = 0; list.isArray() && i < list.getArrayNItems(); ++i) {
            out << label << text(list.getArrayItem(i).getKey("/Name")) << "\n";
        }
    }
    out << "language " << text(document.getRoot().getKey("/Lang")) << "\ntag "
        << text(document.getRoot().getKey("/StructTreeRoot").getKey("/K").getKey("/S")) << "\n";
    return out.str();
}

// One page of everything a reader uses: outlines down to a named destination,
// a link out and one in, a note and a highlight, a filled and an empty field,
// an attachment, a black square on a layer hidden by default, and tags in Spanish.
// Written without a cross-reference table or a /Size, as careless writers leave a file:
// qpdf rebuilds the table, and the engine must still write a readable file.
void writeReaderStructuresPdf(const fs::path& path)
{
    const std::string text =
        "%PDF-1.7\n1 0 obj << /Type /Catalog /Pages 2 0 R /Outlines 6 0 R /AcroForm << /Fields "
        "[9 0 R 10 0 R] >> /Names << /Dests << /Names [(capitulo) [3 0 R /XYZ 0 700 0]] >> "
        "/EmbeddedFiles << /Names [(notas.txt) 15 0 R] >> >> /OCProperties << /OCGs [5 0 R] /D "
        "<< /Order [5 0 R] /OFF [5 0 R] >> >> /StructTreeRoot 17 0 R /MarkInfo << /Marked true "
        ">> /Lang (es-ES) >> endobj\n"
        "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
        "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources "
        "<< /Properties << /L0 5 0 R >> >> /Annots [9 0 R 10 0 R 11 0 R 12 0 R 13 0 R 14 0 R] "
        ">> endobj\n"
        "4 0 obj << /Length 39 >> stream\n/OC /L0 BDC 0 g 72 72 400 400 re f EMC\nendstream "
        "endobj\n"
        "5 0 obj << /Type /OCG /Name (Soluciones) >> endobj\n"
        "6 0 obj << /Type /Outlines /First 7 0 R /Last 7 0 R /Count 2 >> endobj\n"
        "7 0 obj << /Title (Capitulo uno) /Parent 6 0 R /First 8 0 R /Last 8 0 R /Count 1 /Dest "
        "(capitulo) >> endobj\n"
        "8 0 obj << /Title (Seccion) /Parent 7 0 R /Dest (capitulo) >> endobj\n"
        "9 0 obj << /Subtype /Widget /FT /Tx /T (Nombre) /V (Alice) /Rect [72 600 300 620] /P "
        "3 0 R >> endobj\n"
        "10 0 obj << /Subtype /Widget /FT /Btn /T (Acepto) /Rect [72 560 90 578] /P 3 0 R >> "
        "endobj\n"
        "11 0 obj << /Subtype /Link /Rect [100 400 200 420] /A << /S /URI /URI "
        "(https://zurbo.example/) >> >> endobj\n"
        "12 0 obj << /Subtype /Link /Rect [110 380 200 400] /A << /S /GoTo /D (capitulo) >> >> "
        "endobj\n"
        "13 0 obj << /Subtype /Text /Rect [120 300 140 320] /Contents (Ojo) >> endobj\n"
        "14 0 obj << /Subtype /Highlight /Rect [130 700 300 720] /QuadPoints [130 720 300 720 130 "
        "700 300 700] >> endobj\n"
        "15 0 obj << /Type /Filespec /F (notas.txt) /UF (notas.txt) /EF << /F 16 0 R >> >> "
        "endobj\n"
        "16 0 obj << /Type /EmbeddedFile /Length 4 >> stream\nhola\nendstream endobj\n"
        "17 0 obj << /Type /StructTreeRoot /K << /Type /StructElem /S /P /K 0 /Pg 3 0 R >> >> "
        "endobj\ntrailer << /Root 1 0 R >>\n%%EOF\n";
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile("structures", text.data(), text.size());
    QPDFWriter(pdf, path.c_str()).write();
}

struct KeptStructure {
    const char* name;
    // A corpus file, or empty for the generated page of every structure.
    const char* file;
    // The first words of the reader view's lines that this row compares; none: every line.
    std::set<std::string> kinds;
    // Lines of the source's reader view that show the structure is there.
    const char* shownBy;

    friend void PrintTo(const KeptStructure& row, std::ostream* out) { *out << row.name; }
};

// The lines of `view` whose first word is one of `kinds`.
std::string linesOf(const std::string& view, const std::set<std::string>& kinds)
{
    std::istringstream in(view);
    std::string kept;
    for (std::string line; std::getline(in, line);) {
        kept += kinds.empty() || kinds.contains(line.substr(0, line.find(' '))) ? line + "\n" : "";
    }
    return kept;
}

class ReaderStructuresTest : public ::testing::TestWithParam<KeptStructure> {};

TEST_P(ReaderStructuresTest, OutliveTheNativeEngine)
{
    const KeptStructure& row = GetParam();
    const TestFolder folder;
    fs::path source = folder / "structures.pdf";
    if (*row.file) {
        ZURBO_REQUIRE_CORPUS();
        source = corpusDirectory() / row.file;
    } else {
        writeReaderStructuresPdf(source);
    }
    runSystemPDFEngine(source, folder / "out.pdf", {150, 82}, false);
    const std::string before = linesOf(readerView(source), row.kinds);
    EXPECT_NE(before.find(row.shownBy), std::string::npos) << before;
    EXPECT_EQ(linesOf(readerView(folder / "out.pdf"), row.kinds), before);
    if (!*row.file) {
        // Hidden content stays hidden: the page looks as it did.
        const auto shown = bench::renderGrayPages(folder / "out.pdf", 20);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_GT(
            bench::structuralSimilarity(bench::renderGrayPages(source, 20).front(), shown.front()),
            0.99);
    }
}

// The generated page's reader view, whole.
const char* const everyStructure =
    "outline Capitulo uno\noutline Seccion\nannotation 1/Widget 72 \nannotation 1/Widget 72 \n"
    "annotation 1/Link 100 https://zurbo.example/\nannotation 1/Link 110 capitulo\n"
    "annotation 1/Text 120 \nannotation 1/Highlight 130 \nfield Nombre=Alice\nfield Acepto=\n"
    "file notas.txt 4\nlayer Soluciones\nhidden Soluciones\nlanguage es-ES\ntag /P\n";
const std::set<std::string> annotations{"annotation"}, outlines{"outline"}, fields{"field"},
    files{"file"}, layers{"layer", "hidden"};

INSTANTIATE_TEST_SUITE_P(
    Structures, ReaderStructuresTest,
    ::testing::Values(
        KeptStructure{"everyStructure", "", {}, everyStructure},
        KeptStructure{"corpusLinks", "GeoTopo-komprimiert.pdf", annotations,
                      "annotation 2/Link 224.52 http://martin-thoma.com/geotopo/"},
        KeptStructure{"corpusLatexOutlines", "pdflatex-outline.pdf", outlines, "outline Baz"},
        KeptStructure{"corpusMistitledOutlines", "mistitled_outlines_example.pdf", outlines,
                      "outline Twenty-seventh"},
        KeptStructure{"corpusAttachment", "with-attachment.pdf", files, "file image.png 6669"},
        KeptStructure{"corpusLibreOfficeForm", "libreoffice-form.pdf", fields,
                      "field First Name=Alice"},
        KeptStructure{"corpusLatexForm", "pdflatex-forms.pdf", fields, "field Check="},
        KeptStructure{"corpusNotesAndHighlights", "annotated_pdf.pdf", annotations,
                      "annotation 1/Highlight"},
        KeptStructure{"corpusLayer", "base64image.pdf", layers, "layer PDF Annotator"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::engine
