#include "ImagePlacement.h"

#include "ContentOperators.h"

#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <string>

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

// The operators that move images around, in the order a stream gives them.
struct Operation {
    enum class Kind { save, restore, concat, paint };
    Kind kind;
    Matrix matrix;
    std::string name;
};

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

// The operators that move images around, in the order the stream gives them.
class OperationScanner {
public:
    explicit OperationScanner(std::vector<Operation>& operations) : m_operations(operations) {}

    void scan(const std::string& content)
    {
        ContentOperators::scan(
            content, [this](const std::string& op, const ContentOperators::Operands& operands) {
                operation(op, operands);
            });
    }

private:
    void operation(const std::string& op, const ContentOperators::Operands& operands)
    {
        using Kind = Operation::Kind;
        if (op == "q") {
            m_operations.push_back({Kind::save, {}, {}});
        } else if (op == "Q") {
            m_operations.push_back({Kind::restore, {}, {}});
        } else if (op == "cm") {
            if (const auto matrix = matrixOperands(operands)) {
                m_operations.push_back({Kind::concat, *matrix, {}});
            }
        } else if (op == "Do" && operands.count == 1 &&
                   operands.last.front().getType() == QPDFTokenizer::tt_name) {
            m_operations.push_back({Kind::paint, {}, operands.last.front().getValue()});
        }
    }

    static std::optional<Matrix> matrixOperands(const ContentOperators::Operands& operands)
    {
        if (operands.count != 6) {
            return std::nullopt;
        }
        double v[6];
        for (std::size_t i = 0; i < 6; ++i) {
            const auto type = operands.last[i].getType();
            if (type != QPDFTokenizer::tt_integer && type != QPDFTokenizer::tt_real) {
                return std::nullopt;
            }
            const std::string& text = operands.last[i].getValue();
            const char* first = text.data() + (text.rfind('+', 0) == 0 ? 1 : 0);
            const auto [end, error] = std::from_chars(first, text.data() + text.size(), v[i]);
            if (error != std::errc() || !std::isfinite(v[i])) {
                return std::nullopt;
            }
        }
        return Matrix{v[0], v[1], v[2], v[3], v[4], v[5]};
    }

    std::vector<Operation>& m_operations;
};

bool hasSubtype(QPDFObjectHandle stream, const char* subtype)
{
    return stream.isStream() && stream.getDict().getKey("/Subtype").isNameAndEquals(subtype);
}

class Walk {
public:
    ImagePlacement::ShownSizes sizes;

    // `content` is a page or a form XObject.
    void content(QPDFObjectHandle content, QPDFObjectHandle resources, const Matrix& ctm,
                 bool sizeKnown)
    {
        const QPDFObjGen id = content.getObjGen();
        if (m_active.count(id) || m_active.size() > maximumDepth || m_replayed >= maximumReplayed) {
            return;
        }
        if (!canPaintImages(resources)) {
            return;
        }
        m_active.insert(id);
        patterns(resources);
        replay(operations(content), resources, ctm, sizeKnown);
        m_active.erase(id);
    }

private:
    static constexpr std::size_t maximumDepth = 64;
    // Bounds the work on forms that paint forms that paint forms many times over.
    static constexpr std::size_t maximumReplayed = 20'000'000;

    const std::vector<Operation>& operations(QPDFObjectHandle content)
    {
        const QPDFObjGen id = content.getObjGen();
        const auto cached = m_operations.find(id);
        if (cached != m_operations.end()) {
            return cached->second;
        }
        std::vector<Operation>& list = m_operations[id];
        try {
            OperationScanner(list).scan(ContentOperators::contentOf(content));
        } catch (const std::exception&) {
            // What was read before the damage still counts.
        }
        return list;
    }

    void replay(const std::vector<Operation>& list, QPDFObjectHandle resources, Matrix ctm,
                bool sizeKnown)
    {
        m_replayed += list.size();
        std::vector<Matrix> saved;
        for (const Operation& operation : list) {
            switch (operation.kind) {
            case Operation::Kind::save:
                saved.push_back(ctm);
                break;
            case Operation::Kind::restore:
                if (!saved.empty()) {
                    ctm = saved.back();
                    saved.pop_back();
                }
                break;
            case Operation::Kind::concat:
                ctm = operation.matrix.then(ctm);
                break;
            case Operation::Kind::paint:
                paint(operation.name, resources, ctm, sizeKnown);
                break;
            }
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

    std::map<QPDFObjGen, std::vector<Operation>> m_operations;
    std::set<QPDFObjGen> m_active;
    std::set<QPDFObjGen> m_patternsSeen;
    std::size_t m_replayed = 0;
};

} // namespace

ImagePlacement::ShownSizes ImagePlacement::find(const std::vector<QPDFObjectHandle>& pages)
{
    Walk walk;
    for (QPDFObjectHandle page : pages) {
        try {
            QPDFObjectHandle resources =
                QPDFPageObjectHelper(page).getAttribute("/Resources", false);
            walk.content(page, resources, Matrix{}, true);
        } catch (const std::exception&) {
            // A damaged page keeps what was found on it so far.
        }
    }
    return walk.sizes;
}

} // namespace zurbo::engine
