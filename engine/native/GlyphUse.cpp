#include "GlyphUse.h"

#include "ContentOperators.h"

#include <qpdf/QPDFPageObjectHelper.hh>

#include <set>
#include <stdexcept>
#include <tuple>

namespace zurbo::engine {

namespace {

constexpr std::size_t maximumDepth = 64;
// Bounds the work on forms that paint forms that paint forms many times over.
constexpr std::size_t maximumOperators = 20'000'000;

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
    explicit Walk(GlyphUse::Result& result) : m_result(result) {}

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
        if (!scope.resources.empty()) {
            see(scope.resources.front(), scope, depth);
        }
        Text text{*this, scope, font, depth};
        ContentOperators::scan(
            ContentOperators::contentOf(content),
            [&text](const std::string& op, const ContentOperators::Operands& operands) {
                text.operation(op, operands);
            });
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
        std::size_t depth;
        std::vector<QPDFObjectHandle> saved = {};

        void operation(const std::string& op, const ContentOperators::Operands& operands)
        {
            if (++walk.m_operators > maximumOperators) {
                throw TooMuchWork();
            }
            if (op == "Tj" || op == "TJ" || op == "'" || op == "\"") {
                walk.show(font, operands.strings);
            } else if (op == "Tf" && operands.count == 2 &&
                       operands.last.front().getType() == QPDFTokenizer::tt_name) {
                font = scope.find("/Font", operands.last.front().getValue());
            } else if (op == "q") {
                saved.push_back(font);
            } else if (op == "Q" && !saved.empty()) {
                font = saved.back();
                saved.pop_back();
            } else if (op == "Do" && operands.count == 1 &&
                       operands.last.front().getType() == QPDFTokenizer::tt_name) {
                QPDFObjectHandle xobject = scope.find("/XObject", operands.last.front().getValue());
                if (xobject.isStream() &&
                    xobject.getDict().getKey("/Subtype").isNameAndEquals("/Form")) {
                    walk.paint(xobject, scope.inner(xobject), font, depth + 1);
                }
            }
        }
    };

    // The fonts of a resource dictionary, and the content it brings along.
    void see(QPDFObjectHandle resources, const Scope& scope, std::size_t depth)
    {
        if (resources.isIndirect() && !m_seen.insert(resources.getObjGen()).second) {
            return;
        }
        for (QPDFObjectHandle font : valuesOf(resources.getKey("/Font"))) {
            record(font, scope, depth);
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

    void show(QPDFObjectHandle font, const std::vector<std::string>& strings)
    {
        if (!font.isDictionary()) {
            return;
        }
        if (!font.isIndirect()) {
            m_result.anonymousFonts.push_back(font);
            return;
        }
        auto shown = m_result.fonts.find(font.getObjGen());
        if (shown == m_result.fonts.end()) {
            // A font some scope lent: its resources were seen elsewhere, or not at all.
            record(font, Scope{}, 0);
            shown = m_result.fonts.find(font.getObjGen());
        }
        std::vector<bool>& codes = shown->second.codes;
        const std::size_t width = codes.size() == 256 ? 1 : 2;
        for (const std::string& text : strings) {
            for (std::size_t i = 0; !codes.empty() && i + width <= text.size(); i += width) {
                const auto first = static_cast<unsigned char>(text[i]);
                codes[width == 1 ? first : first * 256U + static_cast<unsigned char>(text[i + 1])] =
                    true;
            }
        }
    }

    GlyphUse::Result& m_result;
    std::set<std::tuple<QPDFObjGen, QPDFObjGen, QPDFObjGen>> m_painted;
    std::set<QPDFObjGen> m_seen;
    std::size_t m_operators = 0;
};

} // namespace

GlyphUse::Result GlyphUse::collect(QPDF& document)
{
    Result result;
    try {
        Walk walk(result);
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
    } catch (const std::exception&) {
        result.complete = false;
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
