#include "DocumentSurvey.h"

#include "ContentOperators.h"
#include "PDFEngine.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

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
// What a form was found to draw is not read again for the same resources, so
// forms that draw forms many times over cost their size once.
class PaintSearch {
public:
    explicit PaintSearch(InflateBudget& budget) : m_budget(budget) {}

    // `owner` is the page or form whose resources `resources` are.
    bool paints(QPDFObjectHandle content, QPDFObjectHandle resources, QPDFObjGen owner)
    {
        const std::pair key{content.getObjGen(), owner};
        if (const auto known = m_known.find(key); known != m_known.end()) {
            return known->second;
        }
        if (m_visiting.count(content.getObjGen()) || m_visiting.size() >= maximumDepth) {
            // A cut cycle leaves the forms on it undecided.
            m_cut = true;
            return false;
        }
        m_visiting.insert(content.getObjGen());
        const bool cutBefore = std::exchange(m_cut, false);
        const bool found = scan(content, resources, owner);
        m_visiting.erase(content.getObjGen());
        if (found || !m_cut) {
            m_known.emplace(key, found);
        }
        m_cut = m_cut || cutBefore;
        return found;
    }

private:
    static constexpr std::size_t maximumDepth = 64;

    // The XObjects of some resources by name, read before a scan, since the
    // scan must not read the document.
    struct XObjects {
        std::set<std::string> images;
        std::map<std::string, QPDFObjectHandle> forms;
    };

    static XObjects xobjectsOf(QPDFObjectHandle resources)
    {
        XObjects found;
        QPDFObjectHandle xobjects =
            resources.isDictionary() ? resources.getKey("/XObject") : resources;
        if (!xobjects.isDictionary()) {
            return found;
        }
        for (auto [name, xobject] : xobjects.ditems()) {
            QPDFObjectHandle subtype =
                xobject.isStream() ? xobject.getDict().getKey("/Subtype") : xobject;
            if (subtype.isNameAndEquals("/Image")) {
                found.images.insert(name);
            } else if (subtype.isNameAndEquals("/Form")) {
                found.forms.emplace(name, xobject);
            }
        }
        return found;
    }

    // The scan stops at the first thing drawn, long pages not read to the
    // end; the forms drawn are followed once it is done.
    bool scan(QPDFObjectHandle content, QPDFObjectHandle resources, QPDFObjGen owner)
    {
        struct Found {};
        const XObjects xobjects = xobjectsOf(resources);
        std::vector<QPDFObjectHandle> forms;
        std::set<std::string> formsSeen;
        try {
            ContentOperators::scan(
                content, m_budget,
                [&](const std::string& op, const ContentOperators::Operands& operands) {
                    if (isPaintingOperator(op)) {
                        throw Found{};
                    }
                    if (op != "Do" || operands.count != 1) {
                        return;
                    }
                    const std::string& name = operands.last.front().name;
                    if (xobjects.images.count(name)) {
                        throw Found{};
                    }
                    const auto form = xobjects.forms.find(name);
                    if (form != xobjects.forms.end() && formsSeen.insert(name).second) {
                        forms.push_back(form->second);
                    }
                });
        } catch (const Found&) {
            return true;
        } catch (const PDFEngine::EngineError&) {
            throw;
        } catch (const std::exception&) {
            // Content that cannot be read may still show something.
            return true;
        }
        return std::any_of(forms.begin(), forms.end(), [&](QPDFObjectHandle form) {
            QPDFObjectHandle own = form.getDict().getKey("/Resources");
            // Old files let a form use the resources of what draws it.
            return own.isDictionary() ? paints(form, own, form.getObjGen())
                                      : paints(form, resources, owner);
        });
    }

    InflateBudget& m_budget;
    std::set<QPDFObjGen> m_visiting;
    std::map<std::pair<QPDFObjGen, QPDFObjGen>, bool> m_known;
    bool m_cut = false;
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

std::optional<DocumentSurvey> DocumentSurvey::of(const std::filesystem::path& pdf,
                                                 InflateBudget budget)
{
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processFile(pdf.c_str());
        DocumentSurvey survey;
        PaintSearch search(budget);
        for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(document).getAllPages()) {
            QPDFObjectHandle object = page.getObjectHandle();
            survey.pagesThatPaint.push_back(
                search.paints(object, page.getAttribute("/Resources", false), object.getObjGen()));
        }
        survey.fields = fieldsOf(document);
        return survey;
    } catch (const PDFEngine::EngineError&) {
        throw;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void requireDocumentKept(const std::optional<DocumentSurvey>& before,
                         const std::filesystem::path& output)
{
    std::optional<DocumentSurvey> after;
    try {
        after = DocumentSurvey::of(output);
    } catch (const PDFEngine::EngineError&) {
        std::error_code ignored;
        std::filesystem::remove(output, ignored);
        throw;
    }
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
