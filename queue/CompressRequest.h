#pragma once

#include "CompressionProfile.h"
#include "PDFEngine.h"

#include <QFuture>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

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
};

// Blocks while it compresses; throws as PDFEngine::compress does.
using CompressFunction = std::function<PDFEngine::Result(const CompressRequest&)>;

// A result, or the user-facing text of the failure; never both.
struct CompressOutcome {
    std::optional<PDFEngine::Result> result;
    QString errorMessage;
};

// The real engine: PDFEngine::compress with the paths in the file system's encoding.
PDFEngine::Result compressWithEngine(const CompressRequest& request);

// Runs `compress` and turns whatever it throws into a message: the engine's
// own text, or the system's text for file-system and launch errors.
CompressOutcome runCompress(const CompressFunction& compress, const CompressRequest& request);

// runCompress() on a worker thread of the global pool, so that the calling
// (main) thread stays free; the outcome comes back through the future.
QFuture<CompressOutcome> runCompressInBackground(CompressFunction compress,
                                                 CompressRequest request);

} // namespace zurbo
