#pragma once

#include "CompressorModel.h"
#include "TestFolder.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace zurbo {
inline void PrintTo(const JobState& state, std::ostream* out)
{
    *out << state.rawValue().toStdString();
    if (state.is(JobState::Kind::failed)) {
        *out << "(\"" << state.message().toStdString() << "\")";
    }
}
} // namespace zurbo

namespace zurbo::testing {

// A file of `bytes` bytes (its contents are never read by the model).
QString writeSizedFile(const TestFolder& folder, const QString& relativePath, std::int64_t bytes);

QString pathIn(const TestFolder& folder, const QString& relativePath);
QList<QUrl> fileUrls(const QStringList& paths);

// Waits for the running batch to end; false when it did not within `seconds`.
bool waitForBatch(const CompressorModel& model, int seconds = 10);

QStringList fileNames(const QList<PDFJob>& jobs);
QList<JobState> states(const QList<PDFJob>& jobs);

} // namespace zurbo::testing
