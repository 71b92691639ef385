#pragma once

#include "CompressRequest.h"
#include "CompressorModel.h"
#include "FileBrowserReveal.h"
#include "TestFolder.h"

#include <QQmlEngine>
#include <QQuickView>
#include <QQuickWindow>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class QQuickItem;

namespace zurbo::testing {

// Records what the window asked the file browser to show.
class RecordingFileBrowser : public FileBrowserReveal {
    Q_OBJECT

public:
    using FileBrowserReveal::FileBrowserReveal;
    void reveal(const QString& path) override { revealed.append(path); }
    QStringList revealed;
};

// What the stand-in engine answers for one source file name.
struct ScriptedOutcome {
    std::int64_t bytes = 0;
    std::optional<bool> targetReached;
    std::filesystem::path output; // the request's destination when empty
    std::optional<std::string> failure;
};

// A real CompressorModel whose engine answers from a script, without touching
// files, and can be held so that a batch stays running. Results replace the
// originals, so no save panel is asked; the bar moves only when a test says so.
class QueueScenario {
public:
    QueueScenario();
    ~QueueScenario();

    void script(const QString& fileName, ScriptedOutcome outcome);
    // Writes a file of `bytes` bytes named `name` and queues it.
    void queueFile(const QString& name, std::int64_t bytes);
    void queuePath(const std::filesystem::path& path);
    // Compresses every waiting job and waits for the batch to end.
    void runBatch();
    // Engine calls block while held.
    void hold(bool held = true);
    // Starts a batch whose first job stays in the engine.
    void startHeldBatch();
    void setActiveProgress(double progress);

    CompressorModel model;
    TestFolder folder;

private:
    struct Engine;
    std::shared_ptr<Engine> m_engine;
};

// Shows one view of the Zurbo module offscreen and reads it: items are found
// by objectName ("a/b" is b inside a; a missing item fails the test), clicked
// where they are on screen, and the window can be saved as a picture.
class ViewHarness {
public:
    QQuickItem* show(const QString& fileName, const QVariantMap& properties, QSize size);
    QQuickItem* showContentView(CompressorModel& model, QSize size = {1180, 930});
    QQuickWindow* showMainWindow(CompressorModel& model);

    QQuickItem* find(const QString& objectName) const;
    QVariant read(const QString& objectName, const char* property) const;
    QString text(const QString& objectName) const { return read(objectName, "text").toString(); }
    bool visible(const QString& objectName) const { return read(objectName, "visible").toBool(); }
    // Visible and taking input.
    bool isShown(const QString& objectName) const;
    void click(const QString& objectName);
    void settle(int milliseconds = 50);
    void saveScreenshot(const QString& name);

    RecordingFileBrowser fileBrowser;
    QQuickWindow* window() const;

private:
    std::unique_ptr<QQuickView> m_view;
    std::unique_ptr<QQmlEngine> m_windowEngine;
    std::unique_ptr<QQuickWindow> m_mainWindow;
};

} // namespace zurbo::testing
