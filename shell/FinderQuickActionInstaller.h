#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace zurbo {

class SystemLog;
struct QuickActionPlacement;

// ----------------------------------------------------------------------------
// Places the quick action where file managers look for it. At every launch
// each file of the resource folder's "FinderQuickAction.workflow" that a file
// manager reads goes under the user's data folder:
//
//   nautilus/scripts/Comprimir con ZURBO           GNOME Files' script
//   kio/servicemenus/zurbo-quick-action.desktop    Dolphin's service menu
//   nemo/actions/zurbo-quick-action.nemo_action    Nemo's action
//
// only for a file manager that is installed (its program is on the search
// path, or its own folder is in the user's data folder), and only when the
// copy there is missing or differs from the resource's. Dolphin and Nemo also
// read a system data folder; where one of those already holds their entry
// (the package installs them), no per-user copy is written, and one that an
// earlier version wrote is removed. GNOME Files reads the user's folder only.
//
// All of them run the launcher that stays in the resource folder, and each
// hides itself once the launcher is gone. None is an application entry, so
// which application opens PDFs never changes. Earlier versions copied the
// whole folder into applications/ as "Zurbo.workflow" (or "Comprimir con
// ZURBO.workflow"), which made it the default for PDFs on desktops without
// one of their own; those copies go first, and the desktop's applications
// cache is rebuilt.
//
// The first step that fails writes one line to the system log and ends the
// installation; nothing done before it is undone.
// ----------------------------------------------------------------------------
class FinderQuickActionInstaller {
public:
    // The folders that decide what goes where.
    struct Desktop {
        // $XDG_DATA_HOME, or ~/.local/share.
        std::filesystem::path dataDirectory;
        // $XDG_DATA_DIRS, or /usr/local/share and /usr/share.
        std::vector<std::filesystem::path> systemDataDirectories;
        // $PATH.
        std::vector<std::filesystem::path> programDirectories;

        // The ones of this process's session, from its environment.
        static Desktop ofThisSession();
    };

    // Without a resource folder nothing is touched.
    FinderQuickActionInstaller(std::optional<std::filesystem::path> resourceDirectory,
                               Desktop desktop, SystemLog& log);

    // Removes the older copies, then places or removes each file manager's
    // file. Never throws.
    void install() const;

private:
    void removeOlderCopies() const;
    void place(const QuickActionPlacement& placement) const;
    bool isInstalled(const QuickActionPlacement& placement) const;
    bool systemFolderHolds(const std::filesystem::path& entry) const;

    std::optional<std::filesystem::path> m_resourceDirectory;
    Desktop m_desktop;
    SystemLog& m_log;
};

} // namespace zurbo
