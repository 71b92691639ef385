#include "GlyphUse.h"

#include "ContentOperators.h"
#include "PDFEngine.h"

#include <qpdf/QPDFPageObjectHelper.hh>

#include <set>
#include <stdexcept>
#include <tuple>

namespace zurbo::engine {

namespace {

constexpr std::size_t maximumDepth = 64;
// Bounds the work on forms that paint forms that paint forms many times over.
constexpr std::size_t maximumOperators = 20'000'000;
// Distinct forms, each with the font it starts with, one content stream may paint.
constexpr std::size_t maximumFormsPainted = 100'000;
// Graphics states saved and not yet restored; readers give up far sooner.
constexpr std::size_t maximumSavedStates = 4096;

struct TooMuchWork : std::runtime_error {
    TooMuchWork() : std::runtime_error("content too deep or too long to follow") {}
};

// The resources content runs with, its own first and then, for old files
// whose forms borrow them, those of what paints it; and whose they are.
struct Scope {
    std::vector<QPDFObjectHandle> resources;
    QPDFObjGen owner;

    Scope inner(QPDFObjectHandle content) const
    {
        QPDFObjectHandle own = content.getDict().getKey("/Resources");
        if (!own.isDictionary()) {
            return *this;
        }
        Scope scope{{own}, content.getObjGen()};
        scope.resources.insert(scope.resources.end(), resources.begin(), resources.end());
        return scope;
    }

    QPDFObjectHandle find(const char* category, const std::string& name) const
    {
        for (QPDFObjectHandle dictionary : resources) {
            QPDFObjectHandle entries = dictionary.getKey(category);
            if (entries.isDictionary() && entries.hasKey(name)) {
                return entries.getKey(name);
            }
        }
        return QPDFObjectHandle::newNull();
    }
};

std::vector<QPDFObjectHandle> valuesOf(QPDFObjectHandle dictionary)
{
    std::vector<QPDFObjectHandle> values;
    if (dictionary.isDictionary()) {
        for (auto [key, value] : dictionary.ditems()) {
            values.push_back(value);
        }
    }
    return values;
}

class Walk {
public:
    Walk(GlyphUse::Result& result, InflateBudget& budget) : m_result(result), m_budget(budget) {}

    void paint(QPDFObjectHandle content, const Scope& scope, QPDFObjectHandle font,
               std::size_t depth)
    {
        if (depth > maximumDepth) {
            throw TooMuchWork();
        }
        const QPDFObjGen fontId = font.isIndirect() ? font.getObjGen() : QPDFObjGen();
        if (!m_painted.emplace(content.getObjGen(), fontId, scope.owner).second) {
            return;
        }
        // The scan must not read the document (see ContentOperators): everything
        // it looks up is read before, and the forms it paints are followed after.
        for (QPDFObjectHandle resources : scope.resources) {
            see(resources, scope, depth);
        }
        Text text{*this, scope, font};
        ContentOperators::scan(
            content, m_budget,
            [&text](const std::string& op, const ContentOperators::Operands& operands) {
                text.operation(op, operands);
            });
        for (const auto& [form, startFont] : text.forms) {
            paint(form, scope.inner(form), startFont, depth + 1);
        }
    }

    // An annotation's appearance streams (one, or one per state) and icons.
    void appearances(QPDFObjectHandle annotation)
    {
        QPDFObjectHandle appearance = annotation.getKey("/AP");
        std::vector<QPDFObjectHandle> streams;
        for (QPDFObjectHandle entry : valuesOf(appearance)) {
            streams.push_back(entry);
            for (QPDFObjectHandle state : valuesOf(entry)) {
                streams.push_back(state);
            }
        }
        QPDFObjectHandle characteristics = annotation.getKey("/MK");
        for (const char* icon : {"/I", "/RI", "/IX"}) {
            streams.push_back(characteristics.isDictionary() ? characteristics.getKey(icon)
                                                             : QPDFObjectHandle::newNull());
        }
        for (QPDFObjectHandle stream : streams) {
            if (stream.isStream()) {
                paint(stream, Scope{}.inner(stream), QPDFObjectHandle::newNull(), 1);
            }
        }
    }

private:
    // The text state of one content stream as it runs.
    struct Text {
        Walk& walk;
        const Scope& scope;
        QPDFObjectHandle font;
        std::vector<QPDFObjectHandle> saved = {};
        // The forms painted, each with the font it starts with, in order.
        std::vector<std::pair<QPDFObjectHandle, QPDFObjectHandle>> forms = {};
        std::set<std::pair<QPDFObjGen, QPDFObjGen>> formsSeen = {};

        void operation(const std::string& op, const ContentOperators::Operands& operands)
        {
            using Kind = ContentOperators::Operand::Kind;
            if (++walk.m_operators > maximumOperators) {
                throw TooMuchWork();
            }
            const bool named = !operands.last.empty() && operands.last.front().kind == Kind::name;
            if (op == "Tj" || op == "TJ" || op == "'" || op == "\"") {
                walk.show(font, operands);
            } else if (op == "Tf" && operands.count == 2 && named) {
                font = scope.find("/Font", operands.last.front().name);
            } else if (op == "q") {
                if (saved.size() == maximumSavedStates) {
                    throw TooMuchWork();
                }
                saved.push_back(font);
            } else if (op == "Q" && !saved.empty()) {
                font = saved.back();
                saved.pop_back();
            } else if (op == "Do" && operands.count == 1 && named) {
                paint(scope.find("/XObject", operands.last.front().name));
            }
        }

        void paint(QPDFObjectHandle xobject)
        {
            if (!xobject.isIndirect() || !walk.m_forms.count(xobject.getObjGen())) {
                return;
            }
            const QPDFObjGen fontId = font.isIndirect() ? font.getObjGen() : QPDFObjGen();
            if (formsSeen.emplace(xobject.getObjGen(), fontId).second) {
                if (forms.size() == maximumFormsPainted) {
                    throw TooMuchWork();
                }
                forms.emplace_back(xobject, font);
            }
        }
    };

    // The fonts and forms of a resource dictionary, read, and the content it brings along.
    void see(QPDFObjectHandle resources, const Scope& scope, std::size_t depth)
    {
        if (resources.isIndirect() && !m_seen.insert(resources.getObjGen()).second) {
            return;
        }
        for (QPDFObjectHandle font : valuesOf(resources.getKey("/Font"))) {
            record(font, scope, depth);
        }
        for (QPDFObjectHandle xobject : valuesOf(resources.getKey("/XObject"))) {
            if (xobject.isStream() &&
                xobject.getDict().getKey("/Subtype").isNameAndEquals("/Form")) {
                m_forms.insert(xobject.getObjGen());
            }
        }
        const auto none = QPDFObjectHandle::newNull();
        for (QPDFObjectHandle pattern : valuesOf(resources.getKey("/Pattern"))) {
            if (pattern.isStream()) {
                paint(pattern, Scope{}.inner(pattern), none, depth + 1);
            }
        }
        for (QPDFObjectHandle state : valuesOf(resources.getKey("/ExtGState"))) {
            QPDFObjectHandle mask = state.isDictionary() ? state.getKey("/SMask") : none;
            QPDFObjectHandle group = mask.isDictionary() ? mask.getKey("/G") : none;
            if (group.isStream()) {
                paint(group, Scope{}.inner(group), none, depth + 1);
            }
        }
    }

    void record(QPDFObjectHandle font, const Scope& scope, std::size_t depth)
    {
        if (!font.isDictionary()) {
            return;
        }
        if (!font.isIndirect()) {
            m_result.anonymousFonts.push_back(font);
            return;
        }
        const auto [entry, added] = m_result.fonts.emplace(font.getObjGen(), GlyphUse::Shown{font});
        const int bytes = GlyphUse::codeBytes(font);
        if (!added || bytes == 0) {
            return;
        }
        entry->second.codes.resize(bytes == 1 ? 256 : 65536);
        if (!font.getKey("/Subtype").isNameAndEquals("/Type3")) {
            return;
        }
        // Glyph procedures without resources of their own use those of the
        // content that shows them.
        QPDFObjectHandle own = font.getKey("/Resources");
        Scope procedures = scope;
        if (own.isDictionary()) {
            procedures = Scope{{own}, font.getObjGen()};
        }
        for (QPDFObjectHandle procedure : valuesOf(font.getKey("/CharProcs"))) {
            if (procedure.isStream()) {
                paint(procedure, procedures, QPDFObjectHandle::newNull(), depth + 1);
            }
        }
    }

    // `font` was recorded with the resources it came from, or it is none.
    void show(QPDFObjectHandle font, const ContentOperators::Operands& operands)
    {
        if (!font.isDictionary() || !font.isIndirect()) {
            return;
        }
        std::vector<bool>& codes = m_result.fonts.at(font.getObjGen()).codes;
        if (!operands.stringsWhole) {
            // What it shows cannot be told: the font stays whole.
            codes.clear();
        }
        const std::size_t width = codes.size() == 256 ? 1 : 2;
        for (const std::string& text : operands.strings) {
            for (std::size_t i = 0; !codes.empty() && i + width <= text.size(); i += width) {
                const auto first = static_cast<unsigned char>(text[i]);
                codes[width == 1 ? first : first * 256U + static_cast<unsigned char>(text[i + 1])] =
                    true;
            }
        }
    }

    GlyphUse::Result& m_result;
    InflateBudget& m_budget;
    std::set<std::tuple<QPDFObjGen, QPDFObjGen, QPDFObjGen>> m_painted;
    std::set<QPDFObjGen> m_seen;
    // The form XObjects of the resources seen.
    std::set<QPDFObjGen> m_forms;
    std::size_t m_operators = 0;
};

} // namespace

GlyphUse::Result GlyphUse::collect(QPDF& document, InflateBudget& budget)
{
    Result result;
    try {
        Walk walk(result, budget);
        for (QPDFObjectHandle page : document.getAllPages()) {
            QPDFObjectHandle resources =
                QPDFPageObjectHelper(page).getAttribute("/Resources", false);
            const Scope scope{resources.isDictionary() ? std::vector{resources}
                                                       : std::vector<QPDFObjectHandle>{},
                              page.getObjGen()};
            walk.paint(page, scope, QPDFObjectHandle::newNull(), 0);
            QPDFObjectHandle annotations = page.getKey("/Annots");
            for (QPDFObjectHandle annotation : annotations.isArray()
                                                   ? annotations.getArrayAsVector()
                                                   : std::vector<QPDFObjectHandle>{}) {
                if (annotation.isDictionary()) {
                    walk.appearances(annotation);
                }
            }
        }
    } catch (const PDFEngine::EngineError&) {
        throw;
    } catch (const std::exception& error) {
        result.incomplete = error.what();
    }
    return result;
}

int GlyphUse::codeBytes(QPDFObjectHandle font)
{
    if (!font.getKey("/Subtype").isNameAndEquals("/Type0")) {
        return 1;
    }
    QPDFObjectHandle encoding = font.getKey("/Encoding");
    return encoding.isNameAndEquals("/Identity-H") || encoding.isNameAndEquals("/Identity-V") ? 2
                                                                                              : 0;
}

} // namespace zurbo::engine
