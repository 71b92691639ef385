#include "FinderServiceProgressModel.h"

#include "ChangeNotification.h"
#include "SavePanel.h"
#include "Secret.h"
#include "SizeFigures.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace zurbo {

namespace {

// The bar never looks finished while a file is still in the engine.
constexpr double tickerCeiling = 0.96;
constexpr double tickerFirstFraction = 0.05;
constexpr double tickerStep = 0.045;
constexpr double tickerLastFraction = 0.9;

const std::array<QString, 5>& progressPhrases()
{
    static const std::array<QString, 5> phrases{
        QStringLiteral("Calentando la prensa de megas..."),
        QStringLiteral("Las tipografías quedan a salvo."),
        QStringLiteral("Quitando aire premium del PDF..."),
        QStringLiteral("Aplastando imágenes con educación..."),
        QStringLiteral("Guardando los restos con dignidad..."),
    };
    return phrases;
}

qint64 totalSize(const QList<QUrl>& urls)
{
    qint64 total = 0;
    for (const QUrl& url : urls) {
        const QFileInfo file(url.toLocalFile());
        total += file.isFile() ? file.size() : 0;
    }
    return total;
}

SavePanel::Settings savePanelSettings(const QFileInfo& source)
{
    SavePanel::Settings settings;
    settings.message =
        QStringLiteral("Mantén el nombre para sustituirlo o escribe otro. Tú mandas.");
    settings.prompt = QStringLiteral("GUARDAR PDF");
    settings.pdfOnly = true;
    settings.canCreateFolders = true;
    settings.startFolder = source.absolutePath();
    settings.proposedName = source.fileName();
    return settings;
}

} // namespace

FinderServiceProgressModel::FinderServiceProgressModel(QList<QUrl> urls,
                                                       std::shared_ptr<SavePanel> savePanel,
                                                       CompressFunction compress, QObject* parent)
    : QObject(parent), m_sourceURLs(std::move(urls)), m_savePanel(std::move(savePanel)),
      m_compress(std::move(compress)), m_originalBytes(totalSize(m_sourceURLs))
{
    m_ticker.setInterval(tickInterval);
    connect(&m_ticker, &QTimer::timeout, this, &FinderServiceProgressModel::tick);
    connect(&m_engineCall, &QFutureWatcher<CompressionRun::Outcome>::finished, this, [this] {
        m_ticker.stop();
        m_run->finish(m_current - m_firstFile, m_engineCall.result());
        compressNext();
    });
}

FinderServiceProgressModel::~FinderServiceProgressModel()
{
    m_stop.requestStop();
    wipeSecret(m_password);
}

QString FinderServiceProgressModel::statusTitle() const
{
    switch (m_phase.kind()) {
    case FinderServicePhase::Kind::working:
        return m_sourceURLs.size() == 1
                   ? QStringLiteral("APLASTANDO\nTU PDF")
                   : QStringLiteral("APLASTANDO\n%1 PDFS").arg(m_sourceURLs.size());
    case FinderServicePhase::Kind::complete:
        return QStringLiteral("MISIÓN\nCUMPLIDA");
    case FinderServicePhase::Kind::failed:
        return QStringLiteral("EL PDF\nHA GANADO");
    }
    return {};
}

QString FinderServiceProgressModel::statusPhrase() const
{
    switch (m_phase.kind()) {
    case FinderServicePhase::Kind::working:
        return progressPhrase(m_progress);
    case FinderServicePhase::Kind::complete:
        return QStringLiteral("Ya cabe donde antes daba vergüenza enviarlo.");
    case FinderServicePhase::Kind::failed:
        return m_phase.message();
    }
    return {};
}

int FinderServiceProgressModel::savings() const
{
    return savingsPercent(m_originalBytes, m_outputBytes);
}

QStringList FinderServiceProgressModel::outputPaths() const
{
    QStringList paths;
    for (const QUrl& url : m_outputURLs) {
        paths.append(url.toLocalFile());
    }
    return paths;
}

QString FinderServiceProgressModel::progressPhrase(double progress)
{
    const int index = std::clamp(static_cast<int>(progress * 5.0), 0, 4);
    return progressPhrases().at(static_cast<std::size_t>(index));
}

void FinderServiceProgressModel::start()
{
    setPhase(FinderServicePhase::working());
    setProgress(0.03);
    setCompletedCount(0);
    setOutputs({}, 0);

    const std::optional<QStringList> destinations = chooseDestinations();
    if (!destinations) {
        setPhase(FinderServicePhase::failed(
            QStringLiteral("Guardado cancelado. Aquí no sustituimos nada a traición.")));
        return;
    }
    m_destinations = *destinations;
    runFrom(0);
}

void FinderServiceProgressModel::continueWithPassword(const QString& password)
{
    if (!m_lockedFile) {
        return;
    }
    const std::size_t locked = *m_lockedFile;
    m_lockedFile.reset();
    wipeSecret(m_password);
    m_password = password.toStdString();
    setPhase(FinderServicePhase::working());
    runFrom(locked);
}

void FinderServiceProgressModel::runFrom(std::size_t first)
{
    std::vector<CompressionRun::File> files;
    for (qsizetype index = static_cast<qsizetype>(first); index < m_sourceURLs.size(); ++index) {
        files.push_back(runFile(m_sourceURLs.at(index).toLocalFile(), m_destinations.at(index)));
    }
    m_firstFile = first;
    m_run.emplace(std::move(files), CompressionRun::AfterFailure::stop, m_stop.token(),
                  [this](std::size_t index, const CompressionRun::Outcome& outcome) {
                      record(m_firstFile + index, outcome);
                  });
    QTimer::singleShot(0, this, &FinderServiceProgressModel::compressNext);
}

std::optional<QStringList> FinderServiceProgressModel::chooseDestinations() const
{
    QStringList destinations;
    for (const QUrl& source : m_sourceURLs) {
        const std::optional<QString> chosen =
            m_savePanel ? m_savePanel->run(savePanelSettings(QFileInfo(source.toLocalFile())))
                        : std::nullopt;
        if (!chosen || chosen->isEmpty()) {
            return std::nullopt;
        }
        destinations.append(*chosen);
    }
    return destinations;
}

void FinderServiceProgressModel::compressNext()
{
    const std::optional<std::size_t> index = m_run->startNext();
    if (!index) {
        if (m_run->ranToTheEnd()) {
            setProgress(1.0);
            setPhase(FinderServicePhase::complete());
        }
        if (m_run->isOver()) {
            wipeSecret(m_password);
        }
        return;
    }
    m_current = m_firstFile + *index;
    const QString source = m_sourceURLs.at(static_cast<qsizetype>(m_current)).toLocalFile();
    setActiveFile(QFileInfo(source).fileName());
    m_tickFraction = tickerFirstFraction;
    tick();
    m_ticker.start();
    m_engineCall.setFuture(runCompressInBackground(
        m_compress, CompressRequest{source, m_destinations.at(static_cast<qsizetype>(m_current)),
                                    CompressionProfile::balanced, std::nullopt, false, m_password,
                                    m_stop.token()}));
}

void FinderServiceProgressModel::record(std::size_t source, const CompressionRun::Outcome& outcome)
{
    if (outcome.cancelled) {
        return;
    }
    if (!outcome.result) {
        if (outcome.needsPassword) {
            m_lockedFile = source;
        }
        setPhase(FinderServicePhase::failed(QString::fromStdString(outcome.error)));
        return;
    }
    QList<QUrl> outputs = m_outputURLs;
    outputs.append(QUrl::fromLocalFile(QFile::decodeName(outcome.result->url.c_str())));
    setOutputs(std::move(outputs), m_outputBytes + outcome.result->bytes);
    setCompletedCount(m_completedCount + 1);
    setProgress(static_cast<double>(m_completedCount) / m_sourceURLs.size());
}

void FinderServiceProgressModel::tick()
{
    const double share = 1.0 / m_sourceURLs.size();
    const double base = m_completedCount * share;
    setProgress(std::min(base + m_tickFraction * share, tickerCeiling));
    m_tickFraction = std::min(m_tickFraction + tickerStep, tickerLastFraction);
}

void FinderServiceProgressModel::setPhase(FinderServicePhase phase)
{
    if (m_phase == phase) {
        return;
    }
    const QString phrase = statusPhrase();
    m_phase = std::move(phase);
    emit phaseChanged();
    if (statusPhrase() != phrase) {
        emit statusPhraseChanged();
    }
}

void FinderServiceProgressModel::setProgress(double progress)
{
    if (m_progress == progress) {
        return;
    }
    const QString phrase = statusPhrase();
    m_progress = progress;
    emit progressChanged();
    if (statusPhrase() != phrase) {
        emit statusPhraseChanged();
    }
}

void FinderServiceProgressModel::setActiveFile(const QString& name)
{
    assignAndNotify(this, m_activeFile, name, &FinderServiceProgressModel::activeFileChanged);
}

void FinderServiceProgressModel::setCompletedCount(int count)
{
    assignAndNotify(this, m_completedCount, count,
                    &FinderServiceProgressModel::completedCountChanged);
}

void FinderServiceProgressModel::setOutputs(QList<QUrl> urls, qint64 bytes)
{
    if (m_outputURLs != urls || m_outputBytes != bytes) {
        m_outputURLs = std::move(urls);
        m_outputBytes = bytes;
        emit outputsChanged();
    }
}

} // namespace zurbo
