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

#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace zurbo::engine {
namespace {

using namespace zurbo::testing;

// What a reader finds of one kind of structure, written out; empty when the
// document has none. Pages are named by number, since objects are renumbered.
using Reading = std::function<std::string(QPDF&)>;

std::string pageNumber(QPDF& pdf, QPDFObjectHandle page)
{
    const auto pages = pdf.getAllPages();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (page.isIndirect() && pages[i].getObjGen() == page.getObjGen()) {
            return std::to_string(i + 1);
        }
    }
    return "-";
}

std::string text(QPDFObjectHandle value)
{
    return value.isString() ? value.getUTF8Value() : value.isName() ? value.getName() : "";
}

void writeOutlines(QPDF& pdf, std::vector<QPDFOutlineObjectHelper> items, std::ostream& out)
{
    for (QPDFOutlineObjectHelper& item : items) {
        out << item.getTitle() << "→" << pageNumber(pdf, item.getDestPage()) << " (";
        writeOutlines(pdf, item.getKids(), out);
        out << ") ";
    }
}

std::string outlines(QPDF& pdf)
{
    std::ostringstream out;
    QPDFOutlineDocumentHelper helper(pdf);
    writeOutlines(pdf, helper.getTopLevelOutlines(), out);
    return out.str();
}

// Each annotation's page, kind and place, and where a link leads.
std::string annotations(QPDF& pdf)
{
    std::ostringstream out;
    for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        for (QPDFAnnotationObjectHelper annotation : page.getAnnotations()) {
            QPDFObjectHandle object = annotation.getObjectHandle();
            QPDFObjectHandle action = object.getKey("/A");
            QPDFObjectHandle target =
                action.isDictionary() ? action.getKey("/D") : object.getKey("/Dest");
            out << pageNumber(pdf, page.getObjectHandle()) << annotation.getSubtype() << ' '
                << annotation.getRect().llx << ' ' << annotation.getRect().lly << ' '
                << (action.isDictionary() ? text(action.getKey("/URI")) : "") << ' '
                << (target.isArray() ? pageNumber(pdf, target.getArrayItem(0)) : text(target))
                << '\n';
        }
    }
    return out.str();
}

std::string fields(QPDF& pdf)
{
    std::string values;
    for (QPDFFormFieldObjectHelper field : QPDFAcroFormDocumentHelper(pdf).getFormFields()) {
        values += field.getFullyQualifiedName() + "=" + field.getValueAsString() + "\n";
    }
    return values;
}

std::string attachments(QPDF& pdf)
{
    std::string files;
    for (const auto& [name, file] : QPDFEmbeddedFileDocumentHelper(pdf).getEmbeddedFiles()) {
        const auto data = file->getEmbeddedFileStream().getStreamData();
        files += name + ": " + std::to_string(data->getSize()) + " bytes\n";
    }
    return files;
}

// The layers, and those hidden until the reader shows them.
std::string layers(QPDF& pdf)
{
    QPDFObjectHandle properties = pdf.getRoot().getKey("/OCProperties");
    std::string names;
    for (const char* list : {"/OCGs", "/OFF"}) {
        QPDFObjectHandle groups = list[1] == 'O' && list[2] == 'F'
                                      ? properties.getKey("/D").getKey(list)
                                      : properties.getKey(list);
        for (int i = 0; groups.isArray() && i < groups.getArrayNItems(); ++i) {
            names += std::string(list) + " " + text(groups.getArrayItem(i).getKey("/Name")) + "\n";
        }
    }
    return names;
}

void writeStructure(QPDFObjectHandle element, std::string& out)
{
    if (element.isArray()) {
        for (QPDFObjectHandle item : element.getArrayAsVector()) {
            writeStructure(item, out);
        }
    } else if (element.isDictionary() && element.getKey("/S").isName()) {
        out += element.getKey("/S").getName() + "(";
        writeStructure(element.getKey("/K"), out);
        out += ")";
    }
}

std::string tags(QPDF& pdf)
{
    QPDFObjectHandle root = pdf.getRoot();
    std::string structure;
    writeStructure(root.getKey("/StructTreeRoot").getKey("/K"), structure);
    return structure.empty() ? "" : text(root.getKey("/Lang")) + " " + structure;
}

std::string xmp(QPDF& pdf)
{
    QPDFObjectHandle metadata = pdf.getRoot().getKey("/Metadata");
    if (!metadata.isStream()) {
        return {};
    }
    const auto data = metadata.getStreamData();
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

// One page whose black square is on a layer hidden by default, tagged as a
// paragraph in Spanish.
void writeLayeredTaggedPdf(const fs::path& path)
{
    writeFixturePdf(path, textOnlyDocument());
    QPDF pdf;
    pdf.processFile(path.c_str());
    QPDFObjectHandle page = pdf.getAllPages().front();
    QPDFObjectHandle layer =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /OCG /Name (Soluciones) >>"));
    QPDFObjectHandle properties =
        QPDFObjectHandle::parse("<< /OCGs [ ] /D << /Order [ ] /OFF [ ] >> >>");
    for (QPDFObjectHandle list :
         {properties.getKey("/OCGs"), properties.getKey("/D").getKey("/Order"),
          properties.getKey("/D").getKey("/OFF")}) {
        list.appendItem(layer);
    }
    pdf.getRoot().replaceKey("/OCProperties", properties);
    page.getKey("/Resources").replaceKey("/Properties", QPDFObjectHandle::newDictionary());
    page.getKey("/Resources").getKey("/Properties").replaceKey("/L0", layer);
    QPDFPageObjectHelper(page).addPageContents(
        pdf.newStream(std::string("/OC /L0 BDC 0 g 72 72 400 400 re f EMC\n")), false);
    QPDFObjectHandle paragraph = QPDFObjectHandle::parse("<< /Type /StructElem /S /P /K 0 >>");
    paragraph.replaceKey("/Pg", page);
    QPDFObjectHandle tree =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /StructTreeRoot >>"));
    tree.replaceKey("/K", pdf.makeIndirectObject(paragraph));
    pdf.getRoot().replaceKey("/StructTreeRoot", tree);
    pdf.getRoot().replaceKey("/MarkInfo", QPDFObjectHandle::parse("<< /Marked true >>"));
    pdf.getRoot().replaceKey("/Lang", QPDFObjectHandle::newString("es-ES"));
    QPDFWriter(pdf, path.c_str()).write();
}

struct KeptStructure {
    const char* name;
    // A corpus file, or empty for the generated layered and tagged page.
    const char* file;
    Reading reading;

    friend void PrintTo(const KeptStructure& row, std::ostream* out) { *out << row.name; }
};

class ReaderStructuresTest : public ::testing::TestWithParam<KeptStructure> {};

// The structure is there before and reads the same after the native engine.
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
    QPDF before;
    before.processFile(source.c_str());
    QPDF after;
    after.processFile((folder / "out.pdf").c_str());
    const std::string expected = row.reading(before);
    EXPECT_FALSE(expected.empty()) << "the source has none";
    EXPECT_EQ(row.reading(after), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Structures, ReaderStructuresTest,
    ::testing::Values(KeptStructure{"geoTopoOutlines", "GeoTopo-komprimiert.pdf", outlines},
                      KeptStructure{"geoTopoLinks", "GeoTopo-komprimiert.pdf", annotations},
                      KeptStructure{"latexOutlines", "pdflatex-outline.pdf", outlines},
                      KeptStructure{"mistitledOutlines", "mistitled_outlines_example.pdf",
                                    outlines},
                      KeptStructure{"attachment", "with-attachment.pdf", attachments},
                      KeptStructure{"libreOfficeForm", "libreoffice-form.pdf", fields},
                      KeptStructure{"latexForm", "pdflatex-forms.pdf", fields},
                      KeptStructure{"notesAndHighlights", "annotated_pdf.pdf", annotations},
                      KeptStructure{"corpusLayer", "base64image.pdf", layers},
                      KeptStructure{"pdfaMetadata", "crazyones-pdfa.pdf", xmp},
                      KeptStructure{"hiddenLayer", "", layers}, KeptStructure{"tags", "", tags}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReaderStructuresRenderingTest, AHiddenLayerStaysHidden)
{
    const TestFolder folder;
    writeLayeredTaggedPdf(folder / "layered.pdf");
    runSystemPDFEngine(folder / "layered.pdf", folder / "out.pdf", {150, 82}, false);
    const auto before = bench::renderGrayPages(folder / "layered.pdf", 20);
    const auto after = bench::renderGrayPages(folder / "out.pdf", 20);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_GT(bench::structuralSimilarity(before.front(), after.front()), 0.99);
}

} // namespace
} // namespace zurbo::engine
