#pragma once

#include "CompressionProfile.h"
#include "CompressionRun.h"
#include "PDFEngine.h"

#include <QFuture>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zurbo {

// ----------------------------------------------------------------------------
// One engine call of a batch, in plain values so that it can cross to a
// worker thread, and what came back from it.
// ----------------------------------------------------------------------------
struct CompressRequest {
    QString source;
    QString destination;
    CompressionProfile profile = CompressionProfile::balanced;
    std::optional<std::int64_t> targetBytes;
    bool cleanMetadata = false;
    // Opens a source locked with a password; empty for none.
    std::string password;
    // Asked by the run's owner when it goes (window closed, panel closed, signal).
    StopToken stop;
};

// Blocks while it compresses; throws as PDFEngine::compress does.
using CompressFunction = std::function<PDFEngine::Result(const CompressRequest&)>;

// A run's file from the paths the user chose, in the file system's encoding.
CompressionRun::File runFile(const QString& source, const QString& destination);

// The real engine: PDFEngine::compress with the paths in the file system's encoding.
PDFEngine::Result compressWithEngine(const CompressRequest& request);

// Runs `compress` and turns whatever it throws into a message: the engine's
// own text, or the system's text for file-system and launch errors.
CompressionRun::Outcome runCompress(const CompressFunction& compress,
                                    const CompressRequest& request);

// runCompress() on a worker thread of the engine's own pool, so that the
// calling (main) thread stays free and page previews on the global pool never
// wait behind a compression; the outcome comes back through the future.
QFuture<CompressionRun::Outcome> runCompressInBackground(CompressFunction compress,
                                                         CompressRequest request);

// Waits until every engine call started in the background has returned; the
// process calls it last, after asking every run to stop.
void waitForEngineCalls();

} // namespace zurbo
