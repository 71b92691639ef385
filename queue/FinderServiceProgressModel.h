#pragma once

#include "CompressRequest.h"
#include "FinderServicePhase.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace zurbo {

class SavePanel;

// ----------------------------------------------------------------------------
// One quick-action run: asks where each of the given PDFs goes, then
// compresses them one after another with the fixed quick-action settings
// (the balanced profile, no target, metadata kept), publishing what the
// floating panel shows.
//
// Lives on the main thread and is touched only there; each engine call runs
// on a worker thread and its outcome comes back through the event loop. The
// model is used for one run and never throws: a cancelled dialog or a failed
// file becomes the `failed` phase with its text. A file locked with a
// password stops the run untouched, asking for it (`needsPassword`); given
// it, the run goes on from that file. A model that goes away (its panel
// closed) asks the engine call in progress to stop.
//
// QML reads `phase` as its raw name ("working", "complete", "failed").
// ----------------------------------------------------------------------------
class FinderServiceProgressModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString phase READ phaseName NOTIFY phaseChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(QString activeFile READ activeFile NOTIFY activeFileChanged)
    Q_PROPERTY(int completedCount READ completedCount NOTIFY completedCountChanged)
    Q_PROPERTY(QString statusTitle READ statusTitle NOTIFY phaseChanged)
    Q_PROPERTY(QString statusPhrase READ statusPhrase NOTIFY statusPhraseChanged)
    Q_PROPERTY(QList<QUrl> sourceURLs READ sourceURLs CONSTANT)
    Q_PROPERTY(QList<QUrl> outputURLs READ outputURLs NOTIFY outputsChanged)
    // The same as local paths, as the file browser takes them.
    Q_PROPERTY(QStringList outputPaths READ outputPaths NOTIFY outputsChanged)
    Q_PROPERTY(qint64 originalBytes READ originalBytes CONSTANT)
    Q_PROPERTY(qint64 outputBytes READ outputBytes NOTIFY outputsChanged)
    // The whole percentage the finished files save, never negative.
    Q_PROPERTY(int savings READ savings NOTIFY outputsChanged)
    // The run failed on a file locked with a password, and may go on with it.
    Q_PROPERTY(bool needsPassword READ needsPassword NOTIFY phaseChanged)

public:
    static constexpr std::chrono::milliseconds tickInterval{260};

    // Reads every source's size once; a size that cannot be read counts as 0.
    // `savePanel` asks for the destinations; `compress` is the engine.
    FinderServiceProgressModel(QList<QUrl> urls, std::shared_ptr<SavePanel> savePanel,
                               CompressFunction compress = compressWithEngine,
                               QObject* parent = nullptr);
    ~FinderServiceProgressModel() override;

    FinderServicePhase phase() const { return m_phase; }
    QString phaseName() const { return m_phase.rawValue(); }
    double progress() const { return m_progress; }
    // The file name of the source in the engine now; empty before the first.
    QString activeFile() const { return m_activeFile; }
    int completedCount() const { return m_completedCount; }
    // Two lines joined by a line feed.
    QString statusTitle() const;
    QString statusPhrase() const;
    const QList<QUrl>& sourceURLs() const { return m_sourceURLs; }
    const QList<QUrl>& outputURLs() const { return m_outputURLs; }
    QStringList outputPaths() const;
    qint64 originalBytes() const { return m_originalBytes; }
    qint64 outputBytes() const { return m_outputBytes; }
    int savings() const;
    bool needsPassword() const { return m_lockedFile.has_value(); }

    // The working phrase for a progress: one of five, a fifth of the bar each.
    static QString progressPhrase(double progress);

    // Asks for every destination with modal save dialogs, then returns with
    // the compression scheduled on the event loop. Backing out of any dialog
    // ends the run before any file is touched.
    Q_INVOKABLE void start();
    // Goes on from the locked file, opening it (and any locked file after it)
    // with `password`, kept only until the run ends; nothing unless the run
    // stopped for want of it.
    Q_INVOKABLE void continueWithPassword(const QString& password);

signals:
    void phaseChanged();
    void progressChanged();
    void activeFileChanged();
    void completedCountChanged();
    // Also when the phase changes what the phrase says.
    void statusPhraseChanged();
    // outputURLs and outputBytes change together.
    void outputsChanged();

private:
    // The chosen destination path of each source in order, or none when the
    // user backed out.
    std::optional<QStringList> chooseDestinations() const;
    // Runs the files from `first` on, in order.
    void runFrom(std::size_t first);
    void compressNext();
    // Shows the outcome of the file of `source`; a failure ends the run.
    void record(std::size_t source, const CompressionRun::Outcome& outcome);
    void tick();
    void setPhase(FinderServicePhase phase);
    void setProgress(double progress);
    void setActiveFile(const QString& name);
    void setCompletedCount(int count);
    void setOutputs(QList<QUrl> urls, qint64 bytes);

    QList<QUrl> m_sourceURLs;
    std::shared_ptr<SavePanel> m_savePanel;
    CompressFunction m_compress;
    qint64 m_originalBytes = 0;

    FinderServicePhase m_phase;
    double m_progress = 0.03;
    QString m_activeFile;
    int m_completedCount = 0;
    QList<QUrl> m_outputURLs;
    qint64 m_outputBytes = 0;

    QStringList m_destinations;
    std::optional<CompressionRun> m_run;
    // The source of the run's first file.
    std::size_t m_firstFile = 0;
    // The source in the engine now.
    std::size_t m_current = 0;
    // The source that stopped the run for want of its password.
    std::optional<std::size_t> m_lockedFile;
    std::string m_password;
    QFutureWatcher<CompressionRun::Outcome> m_engineCall;
    QTimer m_ticker;
    // How much of the current file's share of the bar the ticker shows.
    double m_tickFraction = 0.0;
    StopSource m_stop;
};

} // namespace zurbo
