#include "SystemPDFEngine.h"

#include "PdfFixtures.h"
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
            out << number << annotation.getSubtype() << " " << annotation.getRect().llx << " "
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

// One page whose black square is on a layer hidden by default, tagged as a
// paragraph in Spanish.
void writeLayeredTaggedPdf(const fs::path& path)
{
    writeFixturePdf(path, textOnlyDocument());
    QPDF pdf;
    pdf.processFile(path.c_str());
    QPDFObjectHandle page = pdf.getAllPages().front();
    QPDFObjectHandle root = pdf.getRoot();
    const std::string layer =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /OCG /Name (Soluciones) >>"))
            .unparse();
    const auto parse = [&](const std::string& text) { return QPDFObjectHandle::parse(&pdf, text); };
    root.replaceKey("/OCProperties", parse("<< /OCGs [" + layer + "] /D << /Order [" + layer +
                                           "] /OFF [" + layer + "] >> >>"));
    page.getKey("/Resources").replaceKey("/Properties", parse("<< /L0 " + layer + " >>"));
    QPDFPageObjectHelper(page).addPageContents(
        pdf.newStream(std::string("/OC /L0 BDC 0 g 72 72 400 400 re f EMC\n")), false);
    root.replaceKey("/StructTreeRoot",
                    pdf.makeIndirectObject(parse("<< /Type /StructTreeRoot /K << /Type /StructElem "
                                                 "/S /P /K 0 /Pg " +
                                                 page.unparse() + " >> >>")));
    root.replaceKey("/MarkInfo", parse("<< /Marked true >>"));
    root.replaceKey("/Lang", QPDFObjectHandle::newString("es-ES"));
    QPDFWriter(pdf, path.c_str()).write();
}

struct KeptStructure {
    const char* name;
    // A corpus file, or empty for the generated layered and tagged page.
    const char* file;
    // A line of the source's reader view that shows the structure is there.
    const char* shownBy;

    friend void PrintTo(const KeptStructure& row, std::ostream* out) { *out << row.name; }
};

class ReaderStructuresTest : public ::testing::TestWithParam<KeptStructure> {};

TEST_P(ReaderStructuresTest, OutliveTheNativeEngine)
{
    const KeptStructure& row = GetParam();
    const TestFolder folder;
    fs::path source = folder / "layered.pdf";
    if (*row.file) {
        ZURBO_REQUIRE_CORPUS();
        source = corpusDirectory() / row.file;
    } else {
        writeLayeredTaggedPdf(source);
    }
    runSystemPDFEngine(source, folder / "out.pdf", {150, 82}, false);
    const std::string before = readerView(source);
    EXPECT_NE(before.find(row.shownBy), std::string::npos) << before;
    EXPECT_EQ(readerView(folder / "out.pdf"), before);
    if (!*row.file) {
        // Hidden content stays hidden: the page looks as it did.
        const auto shown = bench::renderGrayPages(folder / "out.pdf", 20);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_GT(
            bench::structuralSimilarity(bench::renderGrayPages(source, 20).front(), shown.front()),
            0.99);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Structures, ReaderStructuresTest,
    ::testing::Values(KeptStructure{"links", "GeoTopo-komprimiert.pdf",
                                    "2/Link 224.52 http://martin-thoma.com/geotopo/"},
                      KeptStructure{"latexOutlines", "pdflatex-outline.pdf", "outline Baz"},
                      KeptStructure{"mistitledOutlines", "mistitled_outlines_example.pdf",
                                    "outline Twenty-seventh"},
                      KeptStructure{"attachment", "with-attachment.pdf", "file image.png 6669"},
                      KeptStructure{"libreOfficeForm", "libreoffice-form.pdf",
                                    "field First Name=Alice"},
                      KeptStructure{"latexForm", "pdflatex-forms.pdf", "field Check="},
                      KeptStructure{"notesAndHighlights", "annotated_pdf.pdf", "1/Highlight"},
                      KeptStructure{"corpusLayer", "base64image.pdf", "layer PDF Annotator"},
                      KeptStructure{"hiddenLayerAndTags", "",
                                    "layer Soluciones\nhidden Soluciones\n"
                                    "language es-ES\ntag /P"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::engine
