#include "CompressRequest.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

#include <filesystem>
#include <system_error>
#include <utility>

namespace zurbo {

namespace {

std::filesystem::path filePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

PDFEngine::Result compressWithEngine(const CompressRequest& request)
{
    return PDFEngine::compress(filePath(request.source), filePath(request.destination),
                               request.profile, request.targetBytes, request.cleanMetadata);
}

CompressOutcome runCompress(const CompressFunction& compress, const CompressRequest& request)
{
    try {
        return {compress(request), {}};
    } catch (const PDFEngine::EngineError& error) {
        return {std::nullopt, QString::fromUtf8(error.what())};
    } catch (const std::system_error& error) {
        // what() of these carries the library's "filesystem error: ..." wording
        // and the paths; the user sees only the system's own sentence.
        return {std::nullopt, QString::fromLocal8Bit(error.code().message())};
    } catch (const std::exception& error) {
        return {std::nullopt, QString::fromLocal8Bit(error.what())};
    } catch (...) {
        return {std::nullopt,
                QString::fromUtf8(PDFEngine::EngineError::compressionFailed({}).what())};
    }
}

QFuture<CompressOutcome> runCompressInBackground(CompressFunction compress, CompressRequest request)
{
    return QtConcurrent::run([compress = std::move(compress), request = std::move(request)] {
        return runCompress(compress, request);
    });
}

} // namespace zurbo
