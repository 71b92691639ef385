#include "DocumentSurvey.h"

#include "ContentOperators.h"
#include "PDFEngine.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <set>

namespace zurbo::engine {

namespace {

const std::string formValuesLostMessage =
    "Este PDF trae un formulario relleno y el motor se comía las respuestas. "
    "Lo dejamos como estaba.";
const std::string formFieldsLostMessage =
    "Este PDF trae un formulario y el motor se comía las casillas. Lo dejamos como estaba.";

bool isPaintingOperator(const std::string& op)
{
    static const std::set<std::string> painting{"S",  "s",  "f",  "F",  "f*", "B",  "B*", "b",
                                                "b*", "sh", "Tj", "TJ", "'",  "\"", "BI"};
    return painting.count(op) > 0;
}

// Follows a page's content into the forms it draws, until something paints.
class PaintSearch {
public:
    bool paints(QPDFObjectHandle content, QPDFObjectHandle resources)
    {
        if (!m_visiting.insert(content.getObjGen()).second || m_visiting.size() > maximumDepth) {
            return false;
        }
        // The scan stops at the first thing drawn; long pages are not read to the end.
        struct Found {};
        bool found = false;
        try {
            ContentOperators::scan(
                ContentOperators::contentOf(content),
                [&](const std::string& op, const ContentOperators::Operands& operands) {
                    if (isPaintingOperator(op) ||
                        (op == "Do" && drawsSomething(operands, resources))) {
                        throw Found{};
                    }
                });
        } catch (const Found&) {
            found = true;
        } catch (const std::exception&) {
            // Content that cannot be read may still show something.
            found = true;
        }
        m_visiting.erase(content.getObjGen());
        return found;
    }

private:
    static constexpr std::size_t maximumDepth = 64;

    bool drawsSomething(const ContentOperators::Operands& operands, QPDFObjectHandle resources)
    {
        if (operands.count != 1 || !resources.isDictionary()) {
            return false;
        }
        QPDFObjectHandle xobjects = resources.getKey("/XObject");
        QPDFObjectHandle xobject =
            xobjects.isDictionary() ? xobjects.getKey(operands.last.front().getValue()) : xobjects;
        if (!xobject.isStream()) {
            return false;
        }
        QPDFObjectHandle subtype = xobject.getDict().getKey("/Subtype");
        if (subtype.isNameAndEquals("/Image")) {
            return true;
        }
        QPDFObjectHandle own = xobject.getDict().getKey("/Resources");
        // Old files let a form use the resources of what draws it.
        return subtype.isNameAndEquals("/Form") &&
               paints(xobject, own.isDictionary() ? own : resources);
    }

    std::set<QPDFObjGen> m_visiting;
};

std::map<std::string, std::string> fieldsOf(QPDF& pdf)
{
    std::map<std::string, std::string> fields;
    QPDFAcroFormDocumentHelper forms(pdf);
    if (!forms.hasAcroForm()) {
        return fields;
    }
    for (QPDFFormFieldObjectHelper field : forms.getFormFields()) {
        QPDFObjectHandle value = field.getInheritableFieldValue("/V");
        const std::string text = value.isString() ? value.getUTF8Value() : value.unparse();
        const bool filled = !value.isNull() && !text.empty() && text != "/Off";
        fields[field.getFullyQualifiedName()] = filled ? text : std::string();
    }
    return fields;
}

[[noreturn]] void refuse(const std::filesystem::path& output, std::string message)
{
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    throw PDFEngine::EngineError::compressionFailed(std::move(message));
}

} // namespace

std::optional<DocumentSurvey> DocumentSurvey::of(const std::filesystem::path& pdf)
{
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processFile(pdf.c_str());
        DocumentSurvey survey;
        for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(document).getAllPages()) {
            survey.pagesThatPaint.push_back(PaintSearch().paints(
                page.getObjectHandle(), page.getAttribute("/Resources", false)));
        }
        survey.fields = fieldsOf(document);
        return survey;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void requireDocumentKept(const std::filesystem::path& source, const std::filesystem::path& output)
{
    const auto before = DocumentSurvey::of(source);
    const auto after = DocumentSurvey::of(output);
    if (!before || !after || before->pagesThatPaint.size() != after->pagesThatPaint.size()) {
        refuse(output, {});
    }
    for (std::size_t i = 0; i < before->pagesThatPaint.size(); ++i) {
        if (before->pagesThatPaint[i] && !after->pagesThatPaint[i]) {
            refuse(output, {});
        }
    }
    for (const auto& [name, value] : before->fields) {
        const auto kept = after->fields.find(name);
        if (kept == after->fields.end()) {
            refuse(output, value.empty() ? formFieldsLostMessage : formValuesLostMessage);
        }
        if (kept->second != value) {
            refuse(output, formValuesLostMessage);
        }
    }
}

} // namespace zurbo::engine
