#include "CompressRequest.h"

#include "EngineLog.h"
#include "Secret.h"

#include <QFile>
#include <QThread>
#include <QThreadPool>
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

// Engine calls run on threads of their own: the main window's batch and
// each quick-action panel have one call at a time. As many run at once as
// the machine has processors, and at least two, so that a panel does not wait
// behind the batch; more would only take turns on the processors and share
// the native engine's workers and memory, which are the process's.
QThreadPool& engineThreadPool()
{
    struct EnginePool : QThreadPool {
        EnginePool() { setMaxThreadCount(std::max(2, QThread::idealThreadCount())); }
    };
    static EnginePool pool;
    return pool;
}

} // namespace

CompressionRun::File runFile(const QString& source, const QString& destination)
{
    return {filePath(source), filePath(destination)};
}

PDFEngine::Result compressWithEngine(const CompressRequest& request)
{
    return PDFEngine::compress(
        filePath(request.source), filePath(request.destination), request.profile,
        request.targetBytes, request.cleanMetadata, request.stop, PDFEngine::Engine::automatic,
        PDFEngine::Overwrite::throughLinks, request.password, engineLog(request.source));
}

CompressionRun::Outcome runCompress(const CompressFunction& compress,
                                    const CompressRequest& request)
{
    try {
        return {compress(request), {}};
    } catch (const PDFEngine::Cancelled&) {
        return {std::nullopt, {}, true};
    } catch (const PDFEngine::EngineError& error) {
        return {std::nullopt, error.what(), false, error.needsPassword()};
    } catch (const std::system_error& error) {
        // what() of these carries the library's "filesystem error: ..." wording
        // and the paths; the user sees only the system's own sentence.
        return {std::nullopt, QString::fromLocal8Bit(error.code().message()).toStdString()};
    } catch (const std::exception& error) {
        return {std::nullopt, QString::fromLocal8Bit(error.what()).toStdString()};
    } catch (...) {
        return {std::nullopt, PDFEngine::EngineError::compressionFailed({}).what()};
    }
}

QFuture<CompressionRun::Outcome> runCompressInBackground(CompressFunction compress,
                                                         CompressRequest request)
{
    return QtConcurrent::run(&engineThreadPool(), [compress = std::move(compress),
                                                   request = std::move(request)]() mutable {
        CompressionRun::Outcome outcome = runCompress(compress, request);
        wipeSecret(request.password);
        return outcome;
    });
}

void waitForEngineCalls()
{
    engineThreadPool().waitForDone();
}

} // namespace zurbo
