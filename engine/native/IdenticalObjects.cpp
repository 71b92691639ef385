#include "IdenticalObjects.h"

#include "WordHash.h"

#include <qpdf/QPDFPageObjectHelper.hh>

#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace zurbo::engine {

namespace {

using Replacements = std::map<QPDFObjGen, QPDFObjectHandle>;

// Deeper chains of references are cut there, so that a hostile file cannot
// exhaust the stack; what lies beyond keeps its identity.
constexpr std::size_t maximumDepth = 200;
constexpr std::size_t maximumLookalikes = 64;

// Objects that stand for themselves: two of them alike are still two.
bool hasIdentity(QPDFObjectHandle object)
{
    static const std::set<std::string> types{
        "/Page", "/Pages",      "/Catalog",        "/Annot",    "/OCG",    "/OCMD",
        "/Sig",  "/StructElem", "/StructTreeRoot", "/Outlines", "/Thread", "/Bead"};
    QPDFObjectHandle dictionary = object.isStream() ? object.getDict() : object;
    if (!dictionary.isDictionary()) {
        return false;
    }
    QPDFObjectHandle type = dictionary.getKey("/Type");
    return (type.isName() && types.count(type.getName())) || dictionary.hasKey("/Parent") ||
           dictionary.hasKey("/P");
}

// One set of identical objects: the text they share, with references as
// tokens, and the object kept for all of them.
struct ContentClass {
    std::string text;
    QPDFObjectHandle kept;
    std::optional<std::uint64_t> dataHash;
};

std::optional<std::uint64_t> hashOfData(QPDFObjectHandle stream)
{
    WordHash hash;
    if (!stream.pipeStreamData(&hash, nullptr, 0, qpdf_dl_none, true, false)) {
        return std::nullopt;
    }
    return hash.value();
}

bool sameData(QPDFObjectHandle a, QPDFObjectHandle b)
{
    const auto first = a.getRawStreamData();
    const auto second = b.getRawStreamData();
    return first->getSize() == second->getSize() &&
           std::memcmp(first->getBuffer(), second->getBuffer(), first->getSize()) == 0;
}

// Gives every object reached a class: its text with each reference replaced
// by the class of what it points at, so that equal texts (and, for streams,
// equal data) mean equal content.
class Classifier {
public:
    explicit Classifier(Notices notices) : m_notices(notices) {}

    void visit(QPDFObjectHandle root)
    {
        std::string ignored;
        append(ignored, root, 0);
    }

    Replacements replacements;

private:
    void append(std::string& text, QPDFObjectHandle object, std::size_t depth)
    {
        if (object.isIndirect()) {
            text += reference(object, depth + 1);
        } else {
            appendContent(text, object, depth);
        }
    }

    // The object itself, direct or not, with what it refers to as tokens.
    void appendContent(std::string& text, QPDFObjectHandle object, std::size_t depth)
    {
        if (object.isArray()) {
            text += '[';
            for (QPDFObjectHandle item : object.aitems()) {
                append(text, item, depth);
                text += ' ';
            }
            text += ']';
        } else if (object.isDictionary()) {
            text += "<<";
            for (auto [key, value] : object.ditems()) {
                text += key;
                text += ' ';
                append(text, value, depth);
            }
            text += ">>";
        } else {
            text += object.unparse();
        }
    }

    std::string reference(QPDFObjectHandle object, std::size_t depth)
    {
        const QPDFObjGen id = object.getObjGen();
        const std::string own = "@" + id.unparse(' ');
        if (m_apart.count(id)) {
            return own;
        }
        if (const auto known = m_classOf.find(id); known != m_classOf.end()) {
            return "#" + std::to_string(known->second);
        }
        if (m_active.count(id) || depth > maximumDepth) {
            m_apart.insert(id);
            return own;
        }
        std::string text;
        m_active.insert(id);
        try {
            if (hasIdentity(object)) {
                m_apart.insert(id);
            } else {
                text = object.isStream() ? "S" : "";
                appendContent(text, object.isStream() ? object.getDict() : object, depth);
            }
        } catch (const std::exception& error) {
            m_apart.insert(id);
            m_notices.report(EngineNotice::Reason::objectNotMerged, object, error.what());
        }
        m_active.erase(id);
        // A cycle through this object, found below it, leaves it apart too.
        if (m_apart.count(id)) {
            return own;
        }
        const std::size_t index = classify(object, std::move(text));
        m_classOf.emplace(id, index);
        return "#" + std::to_string(index);
    }

    std::size_t classify(QPDFObjectHandle object, std::string text)
    {
        std::vector<std::size_t>& bucket = m_byText[WordHash::of(text)];
        Candidate candidate{object};
        for (std::size_t index : bucket) {
            ContentClass& known = m_classes[index];
            if (known.text == text && candidate.sameContentAs(known, m_notices)) {
                replacements.emplace(object.getObjGen(), known.kept);
                return index;
            }
        }
        m_classes.push_back({std::move(text), object, std::nullopt});
        // Objects alike in all but their data, past a few, are not worth
        // reading over and over: the later ones stay apart.
        if (bucket.size() < maximumLookalikes) {
            bucket.push_back(m_classes.size() - 1);
        }
        return m_classes.size() - 1;
    }

    // An object being classified; a stream's data is hashed once, and only
    // when another stream shares its text.
    struct Candidate {
        QPDFObjectHandle object;
        std::optional<std::uint64_t> dataHash = std::nullopt;

        // Texts are equal already: streams must also hold the same bytes.
        bool sameContentAs(ContentClass& known, Notices notices)
        {
            if (!object.isStream()) {
                return true;
            }
            try {
                if (!known.dataHash) {
                    known.dataHash = hashOfData(known.kept);
                }
                if (!dataHash) {
                    dataHash = hashOfData(object);
                }
                return known.dataHash && dataHash == known.dataHash && sameData(known.kept, object);
            } catch (const std::exception& error) {
                notices.report(EngineNotice::Reason::objectNotMerged, object, error.what());
                return false;
            }
        }
    };

    Notices m_notices;
    std::set<QPDFObjGen> m_apart;
    std::set<QPDFObjGen> m_active;
    std::map<QPDFObjGen, std::size_t> m_classOf;
    std::vector<ContentClass> m_classes;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> m_byText;
};

// The masks images point at: stream objects under /SMask or /Mask.
std::set<QPDFObjGen> imageMasks(const std::vector<QPDFObjectHandle>& objects)
{
    std::set<QPDFObjGen> masks;
    for (QPDFObjectHandle object : objects) {
        if (!object.isStream() || !object.getDict().getKey("/Subtype").isNameAndEquals("/Image")) {
            continue;
        }
        for (const char* key : {"/SMask", "/Mask"}) {
            QPDFObjectHandle mask = object.getDict().getKey(key);
            if (mask.isStream()) {
                masks.insert(mask.getObjGen());
            }
        }
    }
    return masks;
}

// The appearance streams of an annotation; not the dictionaries that hold
// them, which a form filler may change for that one field.
void visitAppearances(QPDFObjectHandle annotation, Classifier& classifier)
{
    QPDFObjectHandle appearances =
        annotation.isDictionary() ? annotation.getKey("/AP") : QPDFObjectHandle::newNull();
    if (!appearances.isDictionary()) {
        return;
    }
    for (auto [kind, appearance] : appearances.ditems()) {
        if (appearance.isStream()) {
            classifier.visit(appearance);
        } else if (appearance.isDictionary()) {
            for (auto [state, stream] : appearance.ditems()) {
                if (stream.isStream()) {
                    classifier.visit(stream);
                }
            }
        }
    }
}

// Every place a page, its annotations or a form reader reaches content from.
void visitRoots(QPDF& document, Classifier& classifier, Notices notices)
{
    for (QPDFObjectHandle page : document.getAllPages()) {
        try {
            classifier.visit(QPDFPageObjectHelper(page).getAttribute("/Resources", false));
            classifier.visit(page.getKey("/Contents"));
            QPDFObjectHandle annotations = page.getKey("/Annots");
            for (QPDFObjectHandle annotation : annotations.isArray()
                                                   ? annotations.getArrayAsVector()
                                                   : std::vector<QPDFObjectHandle>{}) {
                visitAppearances(annotation, classifier);
            }
        } catch (const std::exception& error) {
            // A damaged page keeps its own objects.
            notices.report(EngineNotice::Reason::objectNotMerged, page, error.what());
        }
    }
    QPDFObjectHandle form = document.getRoot().getKey("/AcroForm");
    if (form.isDictionary()) {
        classifier.visit(form.getKey("/DR"));
    }
}

void redirect(QPDFObjectHandle container, const Replacements& replacements, std::size_t depth)
{
    const auto replacement = [&](QPDFObjectHandle value) -> std::optional<QPDFObjectHandle> {
        if (value.isIndirect()) {
            const auto found = replacements.find(value.getObjGen());
            if (found != replacements.end()) {
                return found->second;
            }
        } else if ((value.isArray() || value.isDictionary()) && depth < maximumDepth) {
            redirect(value, replacements, depth + 1);
        }
        return std::nullopt;
    };
    if (container.isDictionary()) {
        for (auto [key, value] : container.ditems()) {
            if (const auto kept = replacement(value)) {
                container.replaceKey(key, *kept);
            }
        }
    } else if (container.isArray()) {
        for (int i = 0; i < container.getArrayNItems(); ++i) {
            if (const auto kept = replacement(container.getArrayItem(i))) {
                container.setArrayItem(i, *kept);
            }
        }
    }
}

} // namespace

void IdenticalObjects::merge(QPDF& document, Masks masks, Notices notices)
{
    Replacements replacements;
    std::vector<QPDFObjectHandle> objects;
    try {
        objects = document.getAllObjects();
        Classifier classifier(notices);
        visitRoots(document, classifier, notices);
        replacements = std::move(classifier.replacements);
        if (masks == Masks::apart) {
            for (const QPDFObjGen& mask : imageMasks(objects)) {
                replacements.erase(mask);
            }
        }
    } catch (const std::exception& error) {
        // A document too damaged to walk keeps its objects as they are.
        notices.report(EngineNotice::Reason::objectNotMerged, document.getRoot(), error.what());
        return;
    }
    if (replacements.empty()) {
        return;
    }
    for (QPDFObjectHandle object : objects) {
        try {
            redirect(object.isStream() ? object.getDict() : object, replacements, 0);
        } catch (const std::exception& error) {
            // That object keeps pointing at its own copies.
            notices.report(EngineNotice::Reason::objectNotMerged, object, error.what());
        }
    }
    redirect(document.getTrailer(), replacements, 0);
}

} // namespace zurbo::engine
