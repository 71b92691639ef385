#include "QueueTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <algorithm>
#include <iterator>
#include <string>

namespace zurbo::testing {

QString pathIn(const TestFolder& folder, const QString& relativePath)
{
    return QDir(QString::fromStdString(folder.path().string())).filePath(relativePath);
}

QString writeSizedFile(const TestFolder& folder, const QString& relativePath, std::int64_t bytes)
{
    const QString path = pathIn(folder, relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFile(path.toStdString(), std::string(static_cast<std::size_t>(bytes), 'x'));
    return path;
}

QList<QUrl> fileUrls(const QStringList& paths)
{
    QList<QUrl> urls;
    std::ranges::transform(paths, std::back_inserter(urls), &QUrl::fromLocalFile);
    return urls;
}

bool waitForBatch(const CompressorModel& model, int seconds)
{
    return QTest::qWaitFor([&model] { return !model.isWorking(); }, seconds * 1000);
}

QStringList fileNames(const QList<PDFJob>& jobs)
{
    QStringList names;
    std::ranges::transform(jobs, std::back_inserter(names), &PDFJob::fileName);
    return names;
}

QList<JobState> states(const QList<PDFJob>& jobs)
{
    QList<JobState> result;
    std::ranges::transform(jobs, std::back_inserter(result), &PDFJob::state);
    return result;
}

} // namespace zurbo::testing
