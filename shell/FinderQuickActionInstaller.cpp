#include "FinderQuickActionInstaller.h"

#include "SystemLog.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>

namespace zurbo {

namespace fs = std::filesystem;

// One file manager: the program and the folder of its own that tell it is
// installed, the folder under a data folder where it reads entries and the
// entry's name (the same in the resource folder), whether the entry must be
// executable there, and whether the file manager also reads it from the
// system's data folders.
struct QuickActionPlacement {
    const char* program;
    const char* ownFolder;
    const char* folder;
    const char* name;
    bool executable;
    bool readFromSystem;
};

namespace {

const char* const resourceName = "FinderQuickAction.workflow";

// Dolphin runs a service menu of the user's own only when it is executable.
const QuickActionPlacement placements[] = {
    {"nautilus", "nautilus", "nautilus/scripts", "Comprimir con ZURBO", true, false},
    {"dolphin", "dolphin", "kio/servicemenus", "zurbo-quick-action.desktop", true, true},
    {"nemo", "nemo", "nemo/actions", "zurbo-quick-action.nemo_action", false, true},
};

// What earlier versions left in the applications folder.
const char* const olderCopies[] = {"Comprimir con ZURBO.workflow", "Zurbo.workflow"};

constexpr fs::perms everyoneRuns =
    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

std::vector<fs::path> pathsIn(const QString& list)
{
    std::vector<fs::path> paths;
    for (const QString& path : list.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        paths.emplace_back(QFile::encodeName(path).toStdString());
    }
    return paths;
}

std::string contentOf(const fs::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// Whether `placed` is a plain file with the source's content and, when it
// must be, executable. Nothing else is read: not a special file, nor one of
// another size.
bool isUpToDate(const fs::path& source, const fs::path& placed, bool executable)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(placed, error);
    if (error || !fs::is_regular_file(status) ||
        (executable && (status.permissions() & fs::perms::owner_exec) == fs::perms::none)) {
        return false;
    }
    const std::uintmax_t size = fs::file_size(placed, error);
    return !error && size == fs::file_size(source, error) && !error &&
           contentOf(placed) == contentOf(source);
}

// File managers read a cache of which entry opens which type; an older copy
// stays the default for PDFs until the cache is rebuilt without it.
void refreshApplications(const fs::path& folder)
{
    const QString program =
        QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (program.isEmpty()) {
        return;
    }
    // When it cannot run, the copy is still gone; the desktop forgets it at its own next scan.
    QProcess refresh;
    refresh.setStandardInputFile(QProcess::nullDevice());
    refresh.setStandardOutputFile(QProcess::nullDevice());
    refresh.setStandardErrorFile(QProcess::nullDevice());
    refresh.start(program, {QFile::decodeName(folder.c_str())});
    refresh.waitForFinished(-1);
}

} // namespace

FinderQuickActionInstaller::Desktop FinderQuickActionInstaller::Desktop::ofThisSession()
{
    QStringList data = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    Desktop desktop;
    desktop.dataDirectory = QFile::encodeName(data.takeFirst()).toStdString();
    desktop.systemDataDirectories = pathsIn(data.join(QLatin1Char(':')));
    desktop.programDirectories = pathsIn(qEnvironmentVariable("PATH"));
    return desktop;
}

FinderQuickActionInstaller::FinderQuickActionInstaller(
    std::optional<std::filesystem::path> resourceDirectory, Desktop desktop, SystemLog& log)
    : m_resourceDirectory(std::move(resourceDirectory)), m_desktop(std::move(desktop)), m_log(log)
{
}

void FinderQuickActionInstaller::install() const
{
    if (!m_resourceDirectory) {
        return;
    }
    try {
        removeOlderCopies();
        for (const QuickActionPlacement& placement : placements) {
            place(placement);
        }
    } catch (const fs::filesystem_error& failure) {
        m_log.write("ZURBO no pudo instalar la acción rápida: " + failure.code().message() + ": " +
                    failure.path1().string());
    }
}

void FinderQuickActionInstaller::removeOlderCopies() const
{
    const fs::path applications = m_desktop.dataDirectory / "applications";
    bool removed = false;
    for (const char* name : olderCopies) {
        removed = fs::remove_all(applications / name) > 0 || removed;
    }
    if (removed) {
        refreshApplications(applications);
    }
}

void FinderQuickActionInstaller::place(const QuickActionPlacement& placement) const
{
    const fs::path entry = fs::path(placement.folder) / placement.name;
    const fs::path placed = m_desktop.dataDirectory / entry;
    const fs::path source = *m_resourceDirectory / resourceName / placement.name;
    if (placement.readFromSystem && systemFolderHolds(entry)) {
        fs::remove_all(placed);
        return;
    }
    if (!isInstalled(placement) || isUpToDate(source, placed, placement.executable)) {
        return;
    }
    fs::create_directories(placed.parent_path());
    fs::remove_all(placed);
    fs::copy_file(source, placed);
    if (placement.executable) {
        fs::permissions(placed, everyoneRuns, fs::perm_options::add);
    }
}

bool FinderQuickActionInstaller::isInstalled(const QuickActionPlacement& placement) const
{
    QStringList programDirectories;
    for (const fs::path& folder : m_desktop.programDirectories) {
        programDirectories.append(QFile::decodeName(folder.c_str()));
    }
    std::error_code error;
    return fs::is_directory(m_desktop.dataDirectory / placement.ownFolder, error) ||
           (!programDirectories.isEmpty() &&
            !QStandardPaths::findExecutable(QString::fromUtf8(placement.program),
                                            programDirectories)
                 .isEmpty());
}

// The user's own data folder may be listed among the system's too; its copy
// is not the system's.
bool FinderQuickActionInstaller::systemFolderHolds(const std::filesystem::path& entry) const
{
    std::error_code error;
    return std::any_of(m_desktop.systemDataDirectories.begin(),
                       m_desktop.systemDataDirectories.end(), [&](const fs::path& folder) {
                           return !fs::equivalent(folder, m_desktop.dataDirectory, error) &&
                                  fs::exists(folder / entry, error);
                       });
}

} // namespace zurbo
