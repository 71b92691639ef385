#include "DuplicateImages.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zurbo::engine {

namespace {

// FNV-1a over the stored bytes, so that candidates are found without holding
// every image's data at once.
class HashingSink : public Pipeline {
public:
    HashingSink() : Pipeline("image hash", nullptr) {}
    void write(unsigned char const* data, size_t length) override
    {
        for (size_t i = 0; i < length; ++i) {
            hash = (hash ^ data[i]) * 0x100000001b3ULL;
        }
        bytes += length;
    }
    void finish() override {}

    std::uint64_t hash = 0xcbf29ce484222325ULL;
    std::size_t bytes = 0;
};

// Images with different keys cannot be the same: the key is the dictionary
// with its stored length.
std::string dictionaryKey(QPDFObjectHandle image)
{
    QPDFObjectHandle dictionary = image.getDict().shallowCopy();
    const std::string length = dictionary.getKey("/Length").unparseResolved();
    dictionary.removeKey("/Length");
    return dictionary.unparse() + "|" + length;
}

// Equal keys mean, almost surely, equal data.
std::string contentKey(QPDFObjectHandle image)
{
    HashingSink sink;
    if (!image.pipeStreamData(&sink, nullptr, 0, qpdf_dl_none, true, false)) {
        return {};
    }
    return std::to_string(sink.bytes) + "|" + std::to_string(sink.hash);
}

bool sameData(QPDFObjectHandle a, QPDFObjectHandle b)
{
    const auto first = a.getRawStreamData();
    const auto second = b.getRawStreamData();
    return first->getSize() == second->getSize() &&
           std::equal(first->getBuffer(), first->getBuffer() + first->getSize(),
                      second->getBuffer());
}

std::optional<ShownSize> larger(const std::optional<ShownSize>& a,
                                const std::optional<ShownSize>& b)
{
    if (!a || !b) {
        return std::nullopt;
    }
    return ShownSize{std::max(a->width, b->width), std::max(a->height, b->height)};
}

// Which image object stands for which, by object.
using Replacements = std::map<QPDFObjGen, QPDFObjectHandle>;

// Images that share their dictionary and length, the only ones whose data
// is worth reading here.
std::vector<std::vector<QPDFObjectHandle>> lookalikes(QPDF& document,
                                                      const ImagePlacement::ShownSizes& sizes)
{
    std::map<std::string, std::vector<QPDFObjectHandle>> byKey;
    for (const auto& [id, shown] : sizes) {
        try {
            QPDFObjectHandle image = document.getObjectByObjGen(id);
            if (image.isStream()) {
                byKey[dictionaryKey(image)].push_back(image);
            }
        } catch (const std::exception&) {
            // An image that cannot be read is nobody's duplicate.
        }
    }
    std::vector<std::vector<QPDFObjectHandle>> groups;
    for (auto& [key, images] : byKey) {
        if (images.size() > 1) {
            groups.push_back(std::move(images));
        }
    }
    return groups;
}

Replacements findDuplicates(QPDF& document, const ImagePlacement::ShownSizes& sizes)
{
    Replacements replacements;
    for (const auto& group : lookalikes(document, sizes)) {
        std::map<std::string, QPDFObjectHandle> firstByKey;
        for (QPDFObjectHandle image : group) {
            try {
                const std::string key = contentKey(image);
                if (key.empty()) {
                    continue;
                }
                const auto [first, inserted] = firstByKey.emplace(key, image);
                if (!inserted && sameData(first->second, image)) {
                    replacements.emplace(image.getObjGen(), first->second);
                }
            } catch (const std::exception&) {
                // An image that cannot be read is nobody's duplicate.
            }
        }
    }
    return replacements;
}

// Rewrites the /XObject entries reachable from `resources`.
void rewrite(QPDFObjectHandle resources, const Replacements& replacements,
             std::set<QPDFObjGen>& visited)
{
    if (!resources.isDictionary()) {
        return;
    }
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    QPDFObjectHandle patterns = resources.getKey("/Pattern");
    for (QPDFObjectHandle dictionary : {xobjects, patterns}) {
        if (!dictionary.isDictionary()) {
            continue;
        }
        for (const std::string& name : dictionary.getKeys()) {
            QPDFObjectHandle entry = dictionary.getKey(name);
            const auto replacement = replacements.find(entry.getObjGen());
            if (entry.isIndirect() && replacement != replacements.end()) {
                dictionary.replaceKey(name, replacement->second);
            } else if (entry.isStream() && visited.insert(entry.getObjGen()).second) {
                rewrite(entry.getDict().getKey("/Resources"), replacements, visited);
            }
        }
    }
}

} // namespace

void DuplicateImages::merge(const std::vector<QPDFObjectHandle>& pages,
                            ImagePlacement::ShownSizes& sizes)
{
    if (pages.empty() || sizes.size() < 2) {
        return;
    }
    const Replacements replacements = findDuplicates(*pages.front().getOwningQPDF(), sizes);
    if (replacements.empty()) {
        return;
    }
    std::set<QPDFObjGen> visited;
    for (QPDFObjectHandle page : pages) {
        try {
            rewrite(QPDFPageObjectHelper(page).getAttribute("/Resources", false), replacements,
                    visited);
        } catch (const std::exception&) {
            // That page keeps its own copies.
        }
    }
    for (const auto& [duplicate, kept] : replacements) {
        auto& keptSize = sizes.at(kept.getObjGen());
        keptSize = larger(keptSize, sizes.at(duplicate));
        sizes.erase(duplicate);
    }
}

} // namespace zurbo::engine
