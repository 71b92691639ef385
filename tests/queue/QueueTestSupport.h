#pragma once

#include "CompressorModel.h"
#include "TestFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <algorithm>
#include <iterator>
#include <type_traits>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace zurbo::testing {

inline QString pathIn(const TestFolder& folder, const QString& relativePath)
{
    return QDir(QString::fromStdString(folder.path().string())).filePath(relativePath);
}

// A file of `bytes` bytes (its contents are never read by the model).
inline QString writeSizedFile(const TestFolder& folder, const QString& relativePath,
                              std::int64_t bytes)
{
    const QString path = pathIn(folder, relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFile(path.toStdString(), std::string(static_cast<std::size_t>(bytes), 'x'));
    return path;
}

inline QList<QUrl> fileUrls(const QStringList& paths)
{
    QList<QUrl> urls;
    std::ranges::transform(paths, std::back_inserter(urls), &QUrl::fromLocalFile);
    return urls;
}

inline bool waitForBatch(const CompressorModel& model, int seconds = 10)
{
    return QTest::qWaitFor([&model] { return !model.isWorking(); }, seconds * 1000);
}

// One field of every job, in queue order: each(jobs, &PDFJob::state).
template <typename Field> auto each(const QList<PDFJob>& jobs, Field field)
{
    QList<std::decay_t<std::invoke_result_t<Field, const PDFJob&>>> values;
    std::ranges::transform(jobs, std::back_inserter(values), field);
    return values;
}

} // namespace zurbo::testing
