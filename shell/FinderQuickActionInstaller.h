#pragma once

#include <filesystem>
#include <optional>

namespace zurbo {

class SystemLog;

// ----------------------------------------------------------------------------
// Places the quick action where file managers find it: the resource folder's
// "FinderQuickAction.workflow" is copied, as a whole, into the user's
// applications folder as "Zurbo.workflow" at every launch, replacing whatever
// is there and removing a copy under the product's older name. The program
// never reads or edits what the folder holds.
//
// The first step that fails writes one line to the system log and ends the
// installation; nothing done before it is undone, so a missing resource
// leaves no quick action installed.
// ----------------------------------------------------------------------------
class FinderQuickActionInstaller {
public:
    // Without a resource folder nothing is touched.
    FinderQuickActionInstaller(std::optional<std::filesystem::path> resourceDirectory,
                               std::filesystem::path servicesDirectory, SystemLog& log);

    // $XDG_DATA_HOME/applications, or ~/.local/share/applications when
    // XDG_DATA_HOME is unset, empty or not absolute.
    static std::filesystem::path userServicesDirectory();

    // Creates the folder, removes the copy under the older name, then the
    // installed copy, copies the resource in, and asks the desktop to reread
    // its applications. Never throws.
    void install() const;

private:
    std::optional<std::filesystem::path> m_resourceDirectory;
    std::filesystem::path m_servicesDirectory;
    SystemLog& m_log;
};

} // namespace zurbo
