#pragma once

#include "PDFEngine.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// FilterDescription: the nested key-value description of the native engine's
// image-recompressing filter. The engine reads its quality, resolution and
// image size bounds back from it, so the description is what drives the
// recompression.
// ----------------------------------------------------------------------------
class FilterDescription {
public:
    using Entry = std::pair<std::string, FilterDescription>;
    using Entries = std::vector<Entry>;

    // What the recompression takes from the description.
    struct ImageSettings {
        double compressionQuality; // 0 (smallest) to 1 (best)
        double resolution;         // target pixels per inch
        std::int64_t sizeMax;      // longest side in pixels, at most
        std::int64_t sizeMin;      // images whose longest side is below are left alone
    };

    FilterDescription(std::int64_t value) : m_value(value) {}
    FilterDescription(double value) : m_value(value) {}
    FilterDescription(bool value) : m_value(value) {}
    FilterDescription(std::string value) : m_value(std::move(value)) {}
    FilterDescription(Entries entries) : m_value(std::move(entries)) {}

    // The description for one configuration, entries in their usual order.
    static FilterDescription forConfiguration(PDFEngine::Configuration configuration);

    // The entry under `key`; throws std::out_of_range when this is not a
    // dictionary or has no such key.
    const FilterDescription& at(std::string_view key) const;
    // Number of entries of a dictionary; 0 for a plain value.
    std::size_t size() const;

    // The value itself; each throws std::bad_variant_access on another type.
    std::int64_t integer() const { return std::get<std::int64_t>(m_value); }
    double real() const { return std::get<double>(m_value); }
    bool boolean() const { return std::get<bool>(m_value); }
    const std::string& text() const { return std::get<std::string>(m_value); }

    // Reads the recompression's numbers from a full description.
    ImageSettings imageSettings() const;

private:
    std::variant<std::int64_t, double, bool, std::string, Entries> m_value;
};

} // namespace zurbo::engine
