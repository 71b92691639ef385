#include "ReaderStructures.h"

#include <qpdf/Pl_Discard.hh>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace zurbo::engine {

namespace {

// Catalogue entries a reader uses; /Pages is the page tree itself.
const std::set<std::string> keptCatalogueKeys{"/Type",          "/Pages",      "/Version",
                                              "/Extensions",    "/PageLabels", "/Names",
                                              "/Dests",         "/Outlines",   "/Threads",
                                              "/OpenAction",    "/AA",         "/URI",
                                              "/AcroForm",      "/Metadata",   "/StructTreeRoot",
                                              "/MarkInfo",      "/Lang",       "/OCProperties",
                                              "/OutputIntents", "/Collection", "/ViewerPreferences",
                                              "/PageLayout",    "/PageMode",   "/AF"};

// Finds whether a structure reaches a damaged object. Pages end the walk:
// they are written in any case, and whatever is wrong with them is not the
// structure's doing.
class DamageCheck {
public:
    DamageCheck(QPDF& document, Notices notices) : m_document(document), m_notices(notices)
    {
        m_pages.insert(document.getRoot().getKey("/Pages").getObjGen());
        for (QPDFObjectHandle page : document.getAllPages()) {
            m_pages.insert(page.getObjGen());
        }
    }

    bool intact(QPDFObjectHandle structure)
    {
        std::set<QPDFObjGen> visited;
        std::vector<QPDFObjectHandle> pending{structure};
        while (!pending.empty()) {
            QPDFObjectHandle object = pending.back();
            pending.pop_back();
            if (object.isIndirect() &&
                (m_pages.count(object.getObjGen()) || !visited.insert(object.getObjGen()).second)) {
                continue;
            }
            if (!sound(object)) {
                return false;
            }
            QPDFObjectHandle container = object.isStream() ? object.getDict() : object;
            if (container.isArray()) {
                const auto items = container.getArrayAsVector();
                pending.insert(pending.end(), items.begin(), items.end());
            } else if (container.isDictionary()) {
                for (auto& entry : container.getDictAsMap()) {
                    pending.push_back(entry.second);
                }
            }
        }
        return true;
    }

private:
    // Whether the object parses, and a stream's data reads, without a
    // warning; remembered, since qpdf warns only on the first read.
    bool sound(QPDFObjectHandle object)
    {
        if (!object.isIndirect()) {
            return true;
        }
        const auto known = m_sound.find(object.getObjGen());
        if (known != m_sound.end()) {
            return known->second;
        }
        const std::size_t warnings = m_document.numWarnings();
        std::string damage;
        try {
            if (object.isStream()) {
                Pl_Discard discard;
                if (!object.pipeStreamData(&discard, nullptr, 0, qpdf_dl_none, true, false)) {
                    damage = "stream data cannot be read";
                }
            }
        } catch (const std::exception& error) {
            damage = std::string("unreadable: ") + error.what();
        }
        if (damage.empty() && m_document.numWarnings() != warnings) {
            damage = "qpdf warned while reading it";
        }
        const bool sound = damage.empty();
        if (!sound) {
            m_notices.report(EngineNotice::Reason::structureDamaged, object,
                             damage + "; what refers to it is dropped");
        }
        m_sound.emplace(object.getObjGen(), sound);
        return sound;
    }

    QPDF& m_document;
    Notices m_notices;
    std::set<QPDFObjGen> m_pages;
    std::map<QPDFObjGen, bool> m_sound;
};

// Keeps the entries of `dictionary` whose values are intact.
void dropDamagedEntries(QPDFObjectHandle dictionary, DamageCheck& check)
{
    for (const std::string& key : dictionary.getKeys()) {
        if (!check.intact(dictionary.getKey(key))) {
            dictionary.removeKey(key);
        }
    }
}

void keepCatalogue(QPDF& document, bool cleanMetadata, DamageCheck& check)
{
    QPDFObjectHandle root = document.getRoot();
    for (const std::string& key : root.getKeys()) {
        const bool kept = keptCatalogueKeys.count(key) && !(cleanMetadata && key == "/Metadata");
        if (!kept) {
            root.removeKey(key);
        } else if (key == "/Names" && root.getKey(key).isDictionary()) {
            // Each name tree (destinations, embedded files, ...) stands on its own.
            dropDamagedEntries(root.getKey(key), check);
        } else if (key != "/Pages" && !check.intact(root.getKey(key))) {
            root.removeKey(key);
        }
    }
}

void keepPage(QPDFObjectHandle page, bool cleanMetadata, DamageCheck& check)
{
    page.removeKey("/PieceInfo");
    if (cleanMetadata) {
        page.removeKey("/Metadata");
    }
    QPDFObjectHandle annotations = page.getKey("/Annots");
    if (!annotations.isArray()) {
        page.removeKey("/Annots");
        return;
    }
    QPDFObjectHandle intact = QPDFObjectHandle::newArray();
    for (QPDFObjectHandle annotation : annotations.getArrayAsVector()) {
        if (annotation.isDictionary() && check.intact(annotation)) {
            intact.appendItem(annotation);
        }
    }
    page.replaceKey("/Annots", intact);
}

} // namespace

void ReaderStructures::keep(QPDF& document, bool cleanMetadata, Notices notices)
{
    try {
        DamageCheck check(document, notices);
        for (QPDFObjectHandle page : document.getAllPages()) {
            keepPage(page, cleanMetadata, check);
        }
        keepCatalogue(document, cleanMetadata, check);
    } catch (const std::exception& error) {
        // A catalogue too damaged to walk keeps only its pages.
        QPDFObjectHandle root = document.getRoot();
        notices.report(EngineNotice::Reason::structureDamaged, root,
                       std::string(error.what()) + "; the catalogue keeps only its pages");
        for (const std::string& key : root.getKeys()) {
            if (key != "/Type" && key != "/Pages") {
                root.removeKey(key);
            }
        }
    }
}

} // namespace zurbo::engine
