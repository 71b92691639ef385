#include "FinderQuickActionInstaller.h"

#include "SystemLog.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <functional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace zurbo {

namespace {

namespace fs = std::filesystem;

const char* const resourceName = "FinderQuickAction.workflow";

// Where each file manager looks, under the data folder, and the file it reads
// there, which has the same name in the resource folder.
const std::pair<const char*, const char*> placements[] = {
    {"nautilus/scripts", "Comprimir con ZURBO"},
    {"kio/servicemenus", "zurbo-quick-action.desktop"},
    {"nemo/actions", "zurbo-quick-action.nemo_action"},
};

// What earlier versions left in the applications folder.
const char* const olderCopies[] = {"Comprimir con ZURBO.workflow", "Zurbo.workflow"};

using Step = std::pair<fs::path, std::function<void(std::error_code&)>>;

std::string failureReason(const std::error_code& error, const fs::path& path)
{
    return error.message() + ": " + path.string();
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

FinderQuickActionInstaller::FinderQuickActionInstaller(
    std::optional<std::filesystem::path> resourceDirectory, std::filesystem::path dataDirectory,
    SystemLog& log)
    : m_resourceDirectory(std::move(resourceDirectory)), m_dataDirectory(std::move(dataDirectory)),
      m_log(log)
{
}

std::filesystem::path FinderQuickActionInstaller::userDataDirectory()
{
    return fs::path(
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .toStdString());
}

void FinderQuickActionInstaller::install() const
{
    if (!m_resourceDirectory) {
        return;
    }
    const fs::path source = *m_resourceDirectory / resourceName;
    const fs::path applications = m_dataDirectory / "applications";
    bool removedOlder = false;

    std::vector<Step> steps;
    for (const char* name : olderCopies) {
        steps.emplace_back(applications / name, [&, older = applications / name](auto& error) {
            removedOlder = fs::remove_all(older, error) > 0 || removedOlder;
        });
    }
    for (const auto& [folder, name] : placements) {
        const fs::path placed = m_dataDirectory / folder / name;
        steps.emplace_back(placed.parent_path(), [placed](auto& error) {
            fs::create_directories(placed.parent_path(), error);
        });
        steps.emplace_back(placed, [placed](auto& error) { fs::remove_all(placed, error); });
        steps.emplace_back(source / name, [from = source / name, placed](auto& error) {
            fs::copy_file(from, placed, error);
        });
    }
    // Each step runs only when every one before it worked; none is undone.
    for (const auto& [subject, step] : steps) {
        std::error_code error;
        step(error);
        if (error) {
            m_log.write("ZURBO no pudo instalar la acción rápida: " +
                        failureReason(error, subject));
            return;
        }
    }
    if (removedOlder) {
        refreshApplications(applications);
    }
}

} // namespace zurbo
