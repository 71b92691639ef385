#pragma once

#include <filesystem>
#include <optional>

namespace zurbo {

class SystemLog;

// ----------------------------------------------------------------------------
// Places the quick action where file managers look for it. At every launch
// each file of the resource folder's "FinderQuickAction.workflow" that a file
// manager reads is copied under the user's data folder, replacing whatever is
// there:
//
//   nautilus/scripts/Comprimir con ZURBO           GNOME Files' script
//   kio/servicemenus/zurbo-quick-action.desktop    Dolphin's service menu
//   nemo/actions/zurbo-quick-action.nemo_action    Nemo's action
//
// All three run the launcher that stays in the resource folder. None of them
// is an application entry, so which application opens PDFs never changes.
// Earlier versions copied the whole folder into applications/ as
// "Zurbo.workflow" (or "Comprimir con ZURBO.workflow"), which made it the
// default for PDFs on desktops without one of their own; those copies go
// first, and then the desktop's applications cache is rebuilt.
//
// The first step that fails writes one line to the system log and ends the
// installation; nothing done before it is undone.
// ----------------------------------------------------------------------------
class FinderQuickActionInstaller {
public:
    // Without a resource folder nothing is touched.
    FinderQuickActionInstaller(std::optional<std::filesystem::path> resourceDirectory,
                               std::filesystem::path dataDirectory, SystemLog& log);

    // $XDG_DATA_HOME, or ~/.local/share when XDG_DATA_HOME is unset, empty or
    // not absolute.
    static std::filesystem::path userDataDirectory();

    // Removes the older copies, then places each file, creating its folder.
    // Never throws.
    void install() const;

private:
    std::optional<std::filesystem::path> m_resourceDirectory;
    std::filesystem::path m_dataDirectory;
    SystemLog& m_log;
};

} // namespace zurbo
