#pragma once

#include "BatchSettings.h"
#include "CompressRequest.h"
#include "CompressionProfile.h"
#include "ExportMode.h"
#include "JobListModel.h"
#include "PDFJob.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace zurbo {

class BatchRun;
class OpenPanel;
class SavePanel;

// ----------------------------------------------------------------------------
// The main window's model: the queue of PDFs, the user's compression
// settings, the running batch and the one message line.
//
// Lives on the main thread and is touched only there; the engine runs on a
// worker thread and its outcome comes back through the event loop. No
// operation throws or reports an error to its caller: a failure becomes a
// job's state or the message line.
//
// QML reads `profile` and `exportMode` as their raw names ("balanced",
// "chooseName", ...); a name that is not one of them is ignored when written.
// Every figure derived from the queue is announced with jobsChanged().
// ----------------------------------------------------------------------------
class CompressorModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(zurbo::JobListModel* queue READ queue CONSTANT)
    Q_PROPERTY(QString profile READ profileName WRITE setProfileName NOTIFY profileChanged)
    Q_PROPERTY(
        bool isDropTargeted READ isDropTargeted WRITE setDropTargeted NOTIFY isDropTargetedChanged)
    Q_PROPERTY(QString globalMessage READ globalMessage NOTIFY globalMessageChanged)
    Q_PROPERTY(bool isWorking READ isWorking NOTIFY isWorkingChanged)
    Q_PROPERTY(
        bool targetEnabled READ targetEnabled WRITE setTargetEnabled NOTIFY targetEnabledChanged)
    Q_PROPERTY(double targetMegabytes READ targetMegabytes WRITE setTargetMegabytes NOTIFY
                   targetMegabytesChanged)
    // The target as the field shows it, in the user's locale: "10", "2,5".
    Q_PROPERTY(QString targetText READ targetText NOTIFY targetMegabytesChanged)
    Q_PROPERTY(
        bool cleanMetadata READ cleanMetadata WRITE setCleanMetadata NOTIFY cleanMetadataChanged)
    Q_PROPERTY(
        QString exportMode READ exportModeName WRITE setExportModeName NOTIFY exportModeChanged)
    // Lists of jobs as maps keyed like the queue's roles.
    Q_PROPERTY(QVariantList completedJobs READ completedJobsForQml NOTIFY jobsChanged)
    Q_PROPERTY(QVariant activeJob READ activeJobForQml NOTIFY jobsChanged)
    Q_PROPERTY(double overallProgress READ overallProgress NOTIFY jobsChanged)
    Q_PROPERTY(qint64 totalOutputBytes READ totalOutputBytes NOTIFY jobsChanged)
    Q_PROPERTY(qint64 completedOriginalBytes READ completedOriginalBytes NOTIFY jobsChanged)
    Q_PROPERTY(int totalSavings READ totalSavings NOTIFY jobsChanged)
    Q_PROPERTY(bool hasFailedJobs READ hasFailedJobs NOTIFY jobsChanged)
    // estimatedBytes() of each profile, keyed by the profile's raw name.
    Q_PROPERTY(QVariantMap estimates READ estimates NOTIFY jobsChanged)

public:
    explicit CompressorModel(QObject* parent = nullptr);
    ~CompressorModel() override;

    // ---- Collaborators: the real engine by default; no panels until given.
    void setCompressFunction(CompressFunction compress);
    // Without a save panel, choosing names counts as cancelled.
    void setSavePanel(std::shared_ptr<SavePanel> panel);
    // Without an open panel, chooseFiles() does nothing.
    void setOpenPanel(std::shared_ptr<OpenPanel> panel);
    void setTickInterval(std::chrono::milliseconds interval);

    // ---- The queue and what is derived from it.
    JobListModel* queue() const { return m_jobs; }
    const QList<PDFJob>& jobs() const;
    QList<PDFJob> completedJobs() const;
    // The job in the engine now, if any.
    std::optional<PDFJob> activeJob() const;
    double overallProgress() const;
    qint64 totalOutputBytes() const;
    qint64 completedOriginalBytes() const;
    int totalSavings() const;
    bool hasFailedJobs() const;
    std::int64_t estimatedBytes(CompressionProfile profile) const;
    // The same for a profile's raw name; 0 for an unknown name.
    Q_INVOKABLE qint64 estimatedBytes(const QString& profile) const;
    QVariantMap estimates() const;

    // ---- Settings and flags.
    CompressionProfile profile() const { return m_profile; }
    void setProfile(CompressionProfile profile);
    QString profileName() const;
    void setProfileName(const QString& name);
    bool isDropTargeted() const { return m_dropTargeted; }
    void setDropTargeted(bool targeted);
    // Empty when there is no message.
    QString globalMessage() const { return m_globalMessage; }
    bool isWorking() const { return m_working; }
    bool targetEnabled() const { return m_targetEnabled; }
    void setTargetEnabled(bool enabled);
    double targetMegabytes() const { return m_targetMegabytes; }
    void setTargetMegabytes(double megabytes);
    QString targetText() const;
    // Reads what the user typed as the target (TargetMegabytesText) and makes
    // it the target. Returns why the text was refused, the target left as it
    // was, or an empty text.
    Q_INVOKABLE QString setTargetText(const QString& text);
    bool cleanMetadata() const { return m_cleanMetadata; }
    void setCleanMetadata(bool clean);
    ExportMode exportMode() const { return m_exportMode; }
    void setExportMode(ExportMode mode);
    QString exportModeName() const;
    void setExportModeName(const QString& name);

    // ---- Operations.

    // Queues the local files (LocalFileUrl.h) named ".pdf" (any letter case)
    // that are not queued yet and whose size can be read, in the order given.
    // Sets the message "Eso no era un PDF..." when nothing was queued,
    // empties it otherwise.
    Q_INVOKABLE void add(const QList<QUrl>& urls);
    // Does nothing while a batch runs.
    void remove(const QUuid& id);
    Q_INVOKABLE void remove(const QString& id);
    // Empties the queue and the message, and drops the hover flag; does
    // nothing while a batch runs.
    Q_INVOKABLE void clearAll();
    // Asks where the results go, then runs every queued job through the
    // engine one after another. Returns at once; does nothing while a batch
    // runs or when the queue is empty.
    Q_INVOKABLE void compressAll();
    // The password that opens the job `id` locked with one, for its next run
    // only; nothing while a batch runs or for a job that does not ask for one.
    Q_INVOKABLE void setPassword(const QString& id, const QString& password);
    // Shows the open panel and queues what the user chose.
    Q_INVOKABLE void chooseFiles();
    // The hand-over of a drop on the window: accepts it at once and queues
    // its local files with one add() from the event loop; other items are
    // dropped in silence.
    Q_INVOKABLE bool acceptDrop(const QList<QUrl>& urls);

signals:
    void jobsChanged();
    void profileChanged();
    void isDropTargetedChanged();
    void globalMessageChanged();
    void isWorkingChanged();
    void targetEnabledChanged();
    void targetMegabytesChanged();
    void cleanMetadataChanged();
    void exportModeChanged();

private:
    QVariantList completedJobsForQml() const;
    QVariant activeJobForQml() const;
    void setGlobalMessage(const QString& message);
    void setWorking(bool working);
    // Where each queued job's result goes, or none when the user cancelled.
    std::optional<QHash<QUuid, QString>> outputDestinations() const;
    BatchSettings batchSettings() const;
    void finishBatch();

    JobListModel* m_jobs;
    CompressionProfile m_profile = CompressionProfile::balanced;
    bool m_dropTargeted = false;
    QString m_globalMessage;
    bool m_working = false;
    bool m_targetEnabled = false;
    double m_targetMegabytes = 10.0;
    bool m_cleanMetadata = false;
    ExportMode m_exportMode = ExportMode::chooseName;

    CompressFunction m_compress;
    std::shared_ptr<SavePanel> m_savePanel;
    std::shared_ptr<OpenPanel> m_openPanel;
    std::chrono::milliseconds m_tickInterval;
    BatchRun* m_batch = nullptr;
};

} // namespace zurbo
