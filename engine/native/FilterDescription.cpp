#include "FilterDescription.h"

#include <algorithm>
#include <stdexcept>

namespace zurbo::engine {

FilterDescription FilterDescription::forConfiguration(PDFEngine::Configuration configuration)
{
    const std::int64_t resolution = configuration.resolution;
    Entries scaleSettings{
        {"ImageResolution", resolution},
        {"ImageScaleInterpolate", true},
        {"ImageSizeMax", resolution * 17},
        {"ImageSizeMin", std::int64_t{0}},
    };
    Entries imageSettings{
        {"Compression Quality", static_cast<double>(configuration.jpegQuality) / 100.0},
        {"ImageCompression", std::string("ImageJPEGCompress")},
        {"ImageScaleSettings", std::move(scaleSettings)},
    };
    Entries colorSettings{{"ImageSettings", std::move(imageSettings)}};
    return Entries{
        {"FilterType", std::int64_t{1}},
        {"Name", "ZURBO " + std::to_string(resolution) + " ppp"},
        {"Domains", Entries{{"Applications", true}}},
        {"FilterData", Entries{{"ColorSettings", std::move(colorSettings)}}},
    };
}

const FilterDescription& FilterDescription::at(std::string_view key) const
{
    const auto* entries = std::get_if<Entries>(&m_value);
    if (entries) {
        const auto found = std::find_if(entries->begin(), entries->end(),
                                        [key](const Entry& entry) { return entry.first == key; });
        if (found != entries->end()) {
            return found->second;
        }
    }
    throw std::out_of_range("no filter entry " + std::string(key));
}

std::size_t FilterDescription::size() const
{
    const auto* entries = std::get_if<Entries>(&m_value);
    return entries ? entries->size() : 0;
}

FilterDescription::ImageSettings FilterDescription::imageSettings() const
{
    const FilterDescription& image = at("FilterData").at("ColorSettings").at("ImageSettings");
    const FilterDescription& scale = image.at("ImageScaleSettings");
    return {
        std::clamp(image.at("Compression Quality").real(), 0.0, 1.0),
        static_cast<double>(scale.at("ImageResolution").integer()),
        scale.at("ImageSizeMax").integer(),
        scale.at("ImageSizeMin").integer(),
    };
}

} // namespace zurbo::engine
