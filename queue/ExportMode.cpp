#include "ExportMode.h"

namespace zurbo {

std::string_view rawValue(ExportMode mode)
{
    switch (mode) {
    case ExportMode::replaceOriginal:
        return "replaceOriginal";
    case ExportMode::chooseName:
        return "chooseName";
    }
    return {};
}

std::optional<ExportMode> exportModeFromRaw(std::string_view raw)
{
    for (ExportMode mode : allExportModes) {
        if (rawValue(mode) == raw) {
            return mode;
        }
    }
    return std::nullopt;
}

} // namespace zurbo
