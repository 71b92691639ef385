#include "ResourceLocation.h"

#include <system_error>

namespace zurbo {

std::optional<std::filesystem::path> applicationResourceDirectory()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::nullopt;
    }
    const auto folder = executable.parent_path();
    for (const auto& candidate : {folder / "resources", folder / ".." / "share" / "zurbo"}) {
        if (std::filesystem::is_directory(candidate, error)) {
            return candidate.lexically_normal();
        }
    }
    return std::nullopt;
}

} // namespace zurbo
