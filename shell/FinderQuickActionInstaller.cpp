#include "FinderQuickActionInstaller.h"

#include "ChildProcess.h"
#include "SystemLog.h"

#include <QFile>
#include <QStandardPaths>

#include <functional>
#include <string>
#include <system_error>
#include <utility>

namespace zurbo {

namespace {

namespace fs = std::filesystem;

const char* const resourceName = "FinderQuickAction.workflow";
const char* const installedName = "Zurbo.workflow";
const char* const olderName = "Comprimir con ZURBO.workflow";

std::string failureReason(const std::error_code& error, const fs::path& path)
{
    return error.message() + ": " + path.string();
}

// File managers read a cache of which entry opens which type; without a fresh
// one the action would appear only after the next time something rebuilt it.
void refreshApplications(const fs::path& folder)
{
    const QString program =
        QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (program.isEmpty()) {
        return;
    }
    try {
        engine::runChildProcess(QFile::encodeName(program).toStdString(), {folder.string()});
    } catch (const std::system_error&) {
        // The action is in place; the desktop finds it at its own next scan.
    }
}

} // namespace

FinderQuickActionInstaller::FinderQuickActionInstaller(
    std::optional<std::filesystem::path> resourceDirectory, std::filesystem::path servicesDirectory,
    SystemLog& log)
    : m_resourceDirectory(std::move(resourceDirectory)),
      m_servicesDirectory(std::move(servicesDirectory)), m_log(log)
{
}

std::filesystem::path FinderQuickActionInstaller::userServicesDirectory()
{
    return fs::path(
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation))
            .toStdString());
}

void FinderQuickActionInstaller::install() const
{
    if (!m_resourceDirectory) {
        return;
    }
    const fs::path source = *m_resourceDirectory / resourceName;
    const fs::path installed = m_servicesDirectory / installedName;
    const fs::path older = m_servicesDirectory / olderName;

    // Each step runs only when every one before it worked; none is undone.
    const std::pair<fs::path, std::function<void(std::error_code&)>> steps[] = {
        {m_servicesDirectory,
         [&](std::error_code& error) { fs::create_directories(m_servicesDirectory, error); }},
        {older, [&](std::error_code& error) { fs::remove_all(older, error); }},
        {installed, [&](std::error_code& error) { fs::remove_all(installed, error); }},
        {source,
         [&](std::error_code& error) {
             fs::copy(source, installed, fs::copy_options::recursive, error);
         }},
    };
    for (const auto& [subject, step] : steps) {
        std::error_code error;
        step(error);
        if (error) {
            m_log.write("ZURBO no pudo instalar la acción rápida: " +
                        failureReason(error, subject));
            return;
        }
    }
    refreshApplications(m_servicesDirectory);
}

} // namespace zurbo
