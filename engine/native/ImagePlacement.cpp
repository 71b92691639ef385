#include "ImagePlacement.h"

#include "ContentOperators.h"
#include "PDFEngine.h"

#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <cmath>
#include <deque>
#include <set>
#include <string>
#include <unordered_map>

namespace zurbo::engine {

namespace {

// A PDF transformation matrix [a b c d e f].
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    // This matrix applied first, then `outer`.
    Matrix then(const Matrix& outer) const
    {
        return {a * outer.a + b * outer.c,           a * outer.b + b * outer.d,
                c * outer.a + d * outer.c,           c * outer.b + d * outer.d,
                e * outer.a + f * outer.c + outer.e, e * outer.b + f * outer.d + outer.f};
    }
};

// Far deeper than real content nests q, and more paints than real pages hold;
// the kept paints of every content stream together stay within the second.
constexpr std::size_t maximumSavedStates = 4096;
constexpr std::size_t maximumKeptBytes = std::size_t{64} << 20;
// Forms that paint forms that paint forms: at most this many paints replayed,
// about a second of work; an image past it keeps its size and its bytes.
constexpr std::size_t maximumReplayed = 2'000'000;
constexpr std::size_t maximumDepth = 64;

std::optional<Matrix> matrixOf(std::vector<QPDFObjectHandle> numbers)
{
    if (numbers.size() != 6) {
        return std::nullopt;
    }
    double v[6];
    for (std::size_t i = 0; i < 6; ++i) {
        if (!numbers[i].isNumber()) {
            return std::nullopt;
        }
        v[i] = numbers[i].getNumericValue();
        if (!std::isfinite(v[i])) {
            return std::nullopt;
        }
    }
    return Matrix{v[0], v[1], v[2], v[3], v[4], v[5]};
}

// Where one content stream paints XObjects, in the coordinates at its start.
struct Paints {
    struct Paint {
        Matrix matrix;
        std::uint32_t name;
    };
    std::vector<std::string> names;
    // Grown without copying what it holds, so that it never takes twice its size.
    std::deque<Paint> paints;
    // More than could be kept: every XObject it may paint counts as shown at an unknown size.
    bool tooMany = false;

    std::size_t bytes() const
    {
        std::size_t total = paints.size() * sizeof(Paint);
        for (const std::string& name : names) {
            total += sizeof(std::string) + name.capacity();
        }
        return total;
    }
};

// Reads the operators of one content stream into its Paints.
class PaintScanner {
public:
    PaintScanner(Paints& paints, std::size_t room) : m_paints(paints), m_room(room) {}

    void operation(const std::string& op, const ContentOperators::Operands& operands)
    {
        if (op == "q") {
            if (m_saved.size() == maximumSavedStates) {
                throw TooMany{};
            }
            m_saved.push_back(m_matrix);
        } else if (op == "Q") {
            if (!m_saved.empty()) {
                m_matrix = m_saved.back();
                m_saved.pop_back();
            }
        } else if (op == "cm") {
            if (const auto matrix = matrixOperands(operands)) {
                m_matrix = matrix->then(m_matrix);
            }
        } else if (op == "Do" && operands.count == 1 &&
                   operands.last.front().kind == ContentOperators::Operand::Kind::name) {
            paint(operands.last.front().name);
        }
    }

    // Thrown once the content holds more than may be kept.
    struct TooMany {};

private:
    void paint(const std::string& name)
    {
        const auto [entry, added] =
            m_nameIndex.emplace(name, static_cast<std::uint32_t>(m_paints.names.size()));
        if (added) {
            m_paints.names.push_back(name);
            take(sizeof(std::string) + name.size() + 64);
        }
        m_paints.paints.push_back({m_matrix, entry->second});
        take(sizeof(Paints::Paint));
    }

    void take(std::size_t bytes)
    {
        if (bytes > m_room) {
            throw TooMany{};
        }
        m_room -= bytes;
    }

    static std::optional<Matrix> matrixOperands(const ContentOperators::Operands& operands)
    {
        if (operands.count != 6) {
            return std::nullopt;
        }
        double v[6];
        for (std::size_t i = 0; i < 6; ++i) {
            if (operands.last[i].kind != ContentOperators::Operand::Kind::number) {
                return std::nullopt;
            }
            v[i] = operands.last[i].number;
        }
        return Matrix{v[0], v[1], v[2], v[3], v[4], v[5]};
    }

    Paints& m_paints;
    std::size_t m_room;
    Matrix m_matrix;
    std::vector<Matrix> m_saved;
    std::unordered_map<std::string, std::uint32_t> m_nameIndex;
};

bool hasSubtype(QPDFObjectHandle stream, const char* subtype)
{
    return stream.isStream() && stream.getDict().getKey("/Subtype").isNameAndEquals(subtype);
}

class Walk {
public:
    Walk(InflateBudget& budget, Notices notices) : m_budget(budget), m_notices(notices) {}

    ImagePlacement::ShownSizes sizes;

    // `content` is a page or a form XObject.
    void content(QPDFObjectHandle content, QPDFObjectHandle resources, const Matrix& ctm,
                 bool sizeKnown)
    {
        const QPDFObjGen id = content.getObjGen();
        if (m_active.size() > maximumDepth || m_replayed >= maximumReplayed) {
            tellCut(content);
            return;
        }
        if (m_active.count(id)) {
            return;
        }
        if (!canPaintImages(resources)) {
            return;
        }
        m_active.insert(id);
        patterns(resources);
        replay(paintsOf(content), resources, ctm, sizeKnown);
        m_active.erase(id);
        // A page is read once; forms and patterns may be painted again.
        if (!content.isStream()) {
            forget(id);
        }
    }

private:
    const Paints& paintsOf(QPDFObjectHandle content)
    {
        const QPDFObjGen id = content.getObjGen();
        const auto cached = m_paints.find(id);
        if (cached != m_paints.end()) {
            return cached->second;
        }
        Paints& paints = m_paints[id];
        PaintScanner scanner(paints, maximumKeptBytes - m_keptBytes);
        try {
            ContentOperators::scan(
                content, m_budget,
                [&scanner](const std::string& op, const ContentOperators::Operands& operands) {
                    scanner.operation(op, operands);
                });
        } catch (const PaintScanner::TooMany&) {
            paints = Paints{{}, {}, true};
            m_notices.report(EngineNotice::Reason::contentPastLimit, content,
                             "paints more, or nests q deeper, than is followed: its images' shown "
                             "size is unknown");
        } catch (const PDFEngine::EngineError&) {
            throw;
        } catch (const std::exception& error) {
            // What was read before the damage still counts.
            m_notices.report(EngineNotice::Reason::contentUnreadable, content, error.what());
        }
        m_keptBytes += paints.bytes();
        return paints;
    }

    // Told once: past the bound, all further content is cut the same way.
    void tellCut(QPDFObjectHandle content)
    {
        if (!m_cutTold) {
            m_cutTold = true;
            m_notices.report(EngineNotice::Reason::contentPastLimit, content,
                             "forms nested too deep or painted too often: the images they paint "
                             "keep their size");
        }
    }

    void forget(QPDFObjGen id)
    {
        const auto cached = m_paints.find(id);
        if (cached != m_paints.end()) {
            m_keptBytes -= cached->second.bytes();
            m_paints.erase(cached);
        }
    }

    void replay(const Paints& content, QPDFObjectHandle resources, const Matrix& ctm,
                bool sizeKnown)
    {
        if (content.tooMany) {
            paintEverything(resources);
            return;
        }
        m_replayed += content.paints.size();
        for (const Paints::Paint& paint : content.paints) {
            this->paint(content.names[paint.name], resources, paint.matrix.then(ctm), sizeKnown);
        }
    }

    // What content too large to follow may paint, at sizes this walk does not know.
    void paintEverything(QPDFObjectHandle resources)
    {
        QPDFObjectHandle xobjects =
            resources.isDictionary() ? resources.getKey("/XObject") : resources;
        if (!xobjects.isDictionary()) {
            return;
        }
        const std::set<std::string> names = xobjects.getKeys();
        m_replayed += names.size();
        for (const std::string& name : names) {
            paint(name, resources, Matrix{}, false);
        }
    }

    void paint(const std::string& name, QPDFObjectHandle resources, const Matrix& ctm,
               bool sizeKnown)
    {
        if (!resources.isDictionary()) {
            return;
        }
        QPDFObjectHandle xobjects = resources.getKey("/XObject");
        if (!xobjects.isDictionary()) {
            return;
        }
        QPDFObjectHandle xobject = xobjects.getKey(name);
        if (hasSubtype(xobject, "/Image")) {
            record(xobject.getObjGen(),
                   sizeKnown ? std::optional<ShownSize>(shownSize(ctm)) : std::nullopt);
        } else if (hasSubtype(xobject, "/Form")) {
            form(xobject, resources, ctm, sizeKnown);
        }
    }

    void form(QPDFObjectHandle form, QPDFObjectHandle resources, const Matrix& ctm, bool sizeKnown)
    {
        QPDFObjectHandle dictionary = form.getDict();
        Matrix placed = ctm;
        QPDFObjectHandle matrix = dictionary.getKey("/Matrix");
        if (matrix.isArray()) {
            if (const auto formMatrix = matrixOf(matrix.getArrayAsVector())) {
                placed = formMatrix->then(ctm);
            }
        }
        QPDFObjectHandle own = dictionary.getKey("/Resources");
        // Old files let a form use the resources of what paints it.
        content(form, own.isDictionary() ? own : resources, placed, sizeKnown);
    }

    // Images in tiling patterns are shown at sizes this walk does not follow.
    void patterns(QPDFObjectHandle resources)
    {
        if (!resources.isDictionary()) {
            return;
        }
        QPDFObjectHandle patterns = resources.getKey("/Pattern");
        if (!patterns.isDictionary()) {
            return;
        }
        for (auto [key, pattern] : patterns.ditems()) {
            if (!pattern.isStream() || !m_patternsSeen.insert(pattern.getObjGen()).second) {
                continue;
            }
            QPDFObjectHandle own = pattern.getDict().getKey("/Resources");
            content(pattern, own, Matrix{}, false);
        }
    }

    // Content without XObjects or patterns paints no image; most text pages
    // are spared the parsing this way.
    static bool canPaintImages(QPDFObjectHandle resources)
    {
        if (!resources.isDictionary()) {
            return false;
        }
        for (const char* key : {"/XObject", "/Pattern"}) {
            QPDFObjectHandle entries = resources.getKey(key);
            if (entries.isDictionary() && !entries.getKeys().empty()) {
                return true;
            }
        }
        return false;
    }

    static ShownSize shownSize(const Matrix& ctm)
    {
        return {std::hypot(ctm.a, ctm.b), std::hypot(ctm.c, ctm.d)};
    }

    void record(QPDFObjGen image, std::optional<ShownSize> shown)
    {
        const auto [entry, inserted] = sizes.emplace(image, shown);
        if (inserted) {
            return;
        }
        if (!entry->second || !shown) {
            entry->second.reset();
            return;
        }
        entry->second->width = std::max(entry->second->width, shown->width);
        entry->second->height = std::max(entry->second->height, shown->height);
    }

    InflateBudget& m_budget;
    Notices m_notices;
    std::map<QPDFObjGen, Paints> m_paints;
    std::size_t m_keptBytes = 0;
    std::set<QPDFObjGen> m_active;
    std::set<QPDFObjGen> m_patternsSeen;
    std::size_t m_replayed = 0;
    bool m_cutTold = false;
};

} // namespace

ImagePlacement::ShownSizes ImagePlacement::find(const std::vector<QPDFObjectHandle>& pages,
                                                InflateBudget& budget, Notices notices)
{
    Walk walk(budget, notices);
    for (QPDFObjectHandle page : pages) {
        try {
            QPDFObjectHandle resources =
                QPDFPageObjectHelper(page).getAttribute("/Resources", false);
            walk.content(page, resources, Matrix{}, true);
        } catch (const PDFEngine::EngineError&) {
            throw;
        } catch (const std::exception& error) {
            // A damaged page keeps what was found on it so far.
            notices.report(EngineNotice::Reason::contentUnreadable, page, error.what());
        }
    }
    return walk.sizes;
}

} // namespace zurbo::engine
