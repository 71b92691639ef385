#pragma once

#include "CompressorModel.h"
#include "ScriptedEngine.h"
#include "TestFolder.h"

#include <QString>
#include <QUrl>

#include <cstdint>
#include <filesystem>

namespace zurbo::testing {

// ----------------------------------------------------------------------------
// A real CompressorModel with the scripted engine, brought into the states
// the window shows: files on disk are queued, batches run or are held.
// Results replace the originals, so no save panel is asked.
// ----------------------------------------------------------------------------
class QueueScenario {
public:
    QueueScenario();
    ~QueueScenario();

    // Writes a file of `bytes` bytes named `name` and queues it.
    void queueFile(const QString& name, std::int64_t bytes);
    // Queues an existing file.
    void queuePath(const std::filesystem::path& path);
    // Runs every waiting job through the engine and waits for the batch to end.
    void runBatch();
    // Starts a batch whose first job stays in the engine until release().
    void startHeldBatch();
    // Sets the compressing job's bar, as the ticker would.
    void setActiveProgress(double progress);

    CompressorModel model;
    ScriptedEngine engine;
    TestFolder folder;
};

} // namespace zurbo::testing
