#include "CompressorModel.h"

#include "BatchRun.h"
#include "ChangeNotification.h"
#include "JobListModel.h"
#include "LocalFileUrl.h"
#include "OpenPanel.h"
#include "ProgressTicker.h"
#include "QueueFigures.h"
#include "SavePanel.h"
#include "TargetMegabytesText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>

namespace zurbo {

namespace {

const QString notAPdfMessage = QStringLiteral("Eso no era un PDF. Buen intento, criatura.");
const QString saveCancelledMessage =
    QStringLiteral("Guardado cancelado. El PDF sigue aquí, tan ancho.");
const QString nothingSlimmedMessage =
    QStringLiteral("No ha adelgazado nadie. Revisa esos PDFs, que vienen torcidos.");
const QString saveMessage = QStringLiteral("Ponle el nombre que quieras. Si eliges el original, "
                                           "tendrás que confirmar la sustitución.");
const QString savePrompt = QStringLiteral("GUARDAR PDF");
const QString openMessage = QStringLiteral("Elige los PDFs que necesitan adelgazar urgentemente.");

// The path with "." and ".." segments worked out, as duplicates are judged.
QString standardizedPath(const QString& path)
{
    return QDir::cleanPath(path);
}

bool hasPdfExtension(const QString& path)
{
    return QFileInfo(path).suffix().toLower() == QLatin1String("pdf");
}

// None for anything that is not a regular file whose size can be read.
std::optional<std::int64_t> fileSize(const QString& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(QFile::encodeName(path).toStdString(), error);
    if (error) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(size);
}

SavePanel::Settings destinationPanelSettings(const PDFJob& job)
{
    const QFileInfo source(job.source);
    return {.message = saveMessage,
            .prompt = savePrompt,
            .pdfOnly = true,
            .canCreateFolders = true,
            .startFolder = source.absolutePath(),
            .proposedName = source.fileName()};
}

} // namespace

CompressorModel::CompressorModel(QObject* parent)
    : QObject(parent), m_jobs(new JobListModel(this)), m_compress(compressWithEngine),
      m_tickInterval(ProgressTicker::defaultInterval)
{
    connect(m_jobs, &JobListModel::jobsChanged, this, &CompressorModel::jobsChanged);
}

CompressorModel::~CompressorModel() = default;

// ---- Collaborators ----------------------------------------------------------

void CompressorModel::setCompressFunction(CompressFunction compress)
{
    m_compress = std::move(compress);
}

void CompressorModel::setSavePanel(std::shared_ptr<SavePanel> panel)
{
    m_savePanel = std::move(panel);
}

void CompressorModel::setOpenPanel(std::shared_ptr<OpenPanel> panel)
{
    m_openPanel = std::move(panel);
}

void CompressorModel::setTickInterval(std::chrono::milliseconds interval)
{
    m_tickInterval = interval;
}

// ---- The queue and its figures ---------------------------------------------

const QList<PDFJob>& CompressorModel::jobs() const
{
    return m_jobs->jobs();
}

QList<PDFJob> CompressorModel::completedJobs() const
{
    QList<PDFJob> completed;
    for (const PDFJob& job : jobs()) {
        if (job.state.is(JobState::Kind::complete)) {
            completed.append(job);
        }
    }
    return completed;
}

std::optional<PDFJob> CompressorModel::activeJob() const
{
    for (const PDFJob& job : jobs()) {
        if (job.state.is(JobState::Kind::compressing)) {
            return job;
        }
    }
    return std::nullopt;
}

QVariantList CompressorModel::completedJobsForQml() const
{
    QVariantList completed;
    for (int row = 0; row < m_jobs->count(); ++row) {
        if (jobs().at(row).state.is(JobState::Kind::complete)) {
            completed.append(m_jobs->get(row));
        }
    }
    return completed;
}

QVariant CompressorModel::activeJobForQml() const
{
    const std::optional<PDFJob> active = activeJob();
    return active ? QVariant(m_jobs->get(m_jobs->indexOf(active->id))) : QVariant();
}

double CompressorModel::overallProgress() const
{
    return zurbo::overallProgress(jobs());
}

qint64 CompressorModel::totalOutputBytes() const
{
    return zurbo::totalOutputBytes(jobs());
}

qint64 CompressorModel::completedOriginalBytes() const
{
    return totalCompletedOriginalBytes(jobs());
}

int CompressorModel::totalSavings() const
{
    return zurbo::totalSavings(jobs());
}

bool CompressorModel::hasFailedJobs() const
{
    return std::any_of(jobs().cbegin(), jobs().cend(),
                       [](const PDFJob& job) { return job.state.is(JobState::Kind::failed); });
}

std::int64_t CompressorModel::estimatedBytes(CompressionProfile profile) const
{
    return zurbo::estimatedBytes(jobs(), profile);
}

qint64 CompressorModel::estimatedBytes(const QString& profile) const
{
    const auto known = compressionProfileFromRaw(profile.toStdString());
    return known ? estimatedBytes(*known) : 0;
}

QVariantMap CompressorModel::estimates() const
{
    QVariantMap map;
    for (CompressionProfile profile : allCompressionProfiles) {
        map.insert(QString::fromLatin1(rawValue(profile)),
                   QVariant::fromValue(static_cast<qint64>(estimatedBytes(profile))));
    }
    return map;
}

// ---- Settings and flags -----------------------------------------------------

void CompressorModel::setProfile(CompressionProfile profile)
{
    assignAndNotify(this, m_profile, profile, &CompressorModel::profileChanged);
}

QString CompressorModel::profileName() const
{
    return QString::fromLatin1(rawValue(m_profile));
}

void CompressorModel::setProfileName(const QString& name)
{
    if (const auto profile = compressionProfileFromRaw(name.toStdString())) {
        setProfile(*profile);
    }
}

void CompressorModel::setDropTargeted(bool targeted)
{
    assignAndNotify(this, m_dropTargeted, targeted, &CompressorModel::isDropTargetedChanged);
}

void CompressorModel::setGlobalMessage(const QString& message)
{
    assignAndNotify(this, m_globalMessage, message, &CompressorModel::globalMessageChanged);
}

void CompressorModel::setWorking(bool working)
{
    assignAndNotify(this, m_working, working, &CompressorModel::isWorkingChanged);
}

void CompressorModel::setTargetEnabled(bool enabled)
{
    assignAndNotify(this, m_targetEnabled, enabled, &CompressorModel::targetEnabledChanged);
}

void CompressorModel::setTargetMegabytes(double megabytes)
{
    const bool same =
        m_targetMegabytes == megabytes || (std::isnan(m_targetMegabytes) && std::isnan(megabytes));
    if (!same) {
        m_targetMegabytes = megabytes;
        emit targetMegabytesChanged();
    }
}

QString CompressorModel::targetText() const
{
    return TargetMegabytesText::format(m_targetMegabytes, QLocale());
}

QString CompressorModel::setTargetText(const QString& text)
{
    const TargetMegabytesText::Reading reading = TargetMegabytesText::read(text, QLocale());
    if (reading.megabytes) {
        setTargetMegabytes(*reading.megabytes);
    }
    return reading.refusal;
}

void CompressorModel::setCleanMetadata(bool clean)
{
    assignAndNotify(this, m_cleanMetadata, clean, &CompressorModel::cleanMetadataChanged);
}

void CompressorModel::setExportMode(ExportMode mode)
{
    assignAndNotify(this, m_exportMode, mode, &CompressorModel::exportModeChanged);
}

QString CompressorModel::exportModeName() const
{
    return QString::fromLatin1(rawValue(m_exportMode));
}

void CompressorModel::setExportModeName(const QString& name)
{
    if (const auto mode = exportModeFromRaw(name.toStdString())) {
        setExportMode(*mode);
    }
}

// ---- Queue operations -------------------------------------------------------

void CompressorModel::add(const QList<QUrl>& urls)
{
    // Judged against the queue as it was: the same new file given twice in
    // one call is queued twice.
    QSet<QString> queued;
    for (const PDFJob& job : jobs()) {
        queued.insert(standardizedPath(job.source));
    }
    QList<PDFJob> added;
    for (const QUrl& url : urls) {
        const std::optional<QString> path = localFilePath(url);
        if (!path || !hasPdfExtension(*path) || queued.contains(standardizedPath(*path))) {
            continue;
        }
        if (const auto size = fileSize(*path)) {
            added.append(PDFJob::queued(*path, *size));
        }
    }
    m_jobs->append(added);
    setGlobalMessage(added.isEmpty() ? notAPdfMessage : QString());
}

void CompressorModel::remove(const QUuid& id)
{
    if (!m_working) {
        m_jobs->remove(id);
    }
}

void CompressorModel::remove(const QString& id)
{
    remove(QUuid::fromString(id));
}

void CompressorModel::setPassword(const QString& id, const QString& password)
{
    const int row = m_jobs->indexOf(QUuid::fromString(id));
    if (m_working || row < 0 || !m_jobs->jobs().at(row).needsPassword) {
        return;
    }
    m_jobs->update(row, [&password](PDFJob& job) { job.password = password; });
}

void CompressorModel::clearAll()
{
    if (m_working) {
        return;
    }
    m_jobs->clear();
    setGlobalMessage({});
    setDropTargeted(false);
}

// ---- Batch ------------------------------------------------------------------

void CompressorModel::compressAll()
{
    if (m_working || jobs().isEmpty()) {
        return;
    }
    std::optional<QHash<QUuid, QString>> destinations = outputDestinations();
    if (!destinations) {
        setGlobalMessage(saveCancelledMessage);
        return;
    }
    setWorking(true);
    setGlobalMessage({});
    m_batch = new BatchRun(m_jobs, std::move(*destinations), batchSettings(), m_compress,
                           m_tickInterval, this);
    connect(m_batch, &BatchRun::finished, this, &CompressorModel::finishBatch);
    m_batch->start();
}

std::optional<QHash<QUuid, QString>> CompressorModel::outputDestinations() const
{
    // A copy: files dropped while a panel is up join the queue but get no
    // destination, and so are not part of this batch.
    const QList<PDFJob> queue = jobs();
    QHash<QUuid, QString> destinations;
    for (const PDFJob& job : queue) {
        if (m_exportMode == ExportMode::replaceOriginal) {
            destinations.insert(job.id, job.source);
            continue;
        }
        const std::optional<QString> chosen =
            m_savePanel ? m_savePanel->run(destinationPanelSettings(job)) : std::nullopt;
        if (!chosen || chosen->isEmpty()) {
            return std::nullopt;
        }
        destinations.insert(job.id, *chosen);
    }
    return destinations;
}

BatchSettings CompressorModel::batchSettings() const
{
    BatchSettings settings{
        .profile = m_profile, .targetBytes = std::nullopt, .cleanMetadata = m_cleanMetadata};
    if (m_targetEnabled) {
        settings.targetBytes = BatchSettings::targetByteCount(m_targetMegabytes);
    }
    return settings;
}

void CompressorModel::finishBatch()
{
    m_batch->deleteLater();
    m_batch = nullptr;
    setWorking(false);
    if (completedJobs().isEmpty()) {
        setGlobalMessage(nothingSlimmedMessage);
    }
}

// ---- File intake ------------------------------------------------------------

void CompressorModel::chooseFiles()
{
    if (!m_openPanel) {
        return;
    }
    const std::optional<QList<QUrl>> chosen = m_openPanel->run({.message = openMessage,
                                                                .multipleSelection = true,
                                                                .pdfOnly = true,
                                                                .canChooseFolders = false});
    if (chosen) {
        add(*chosen);
    }
}

bool CompressorModel::acceptDrop(const QList<QUrl>& urls)
{
    const QList<QUrl> files = localFileUrls(urls);
    setDropTargeted(false);
    // Queued so that the drop is answered before the files are looked at.
    QMetaObject::invokeMethod(
        this, [this, files] { add(files); }, Qt::QueuedConnection);
    return true;
}

} // namespace zurbo
