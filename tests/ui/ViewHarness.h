#pragma once

#include "RecordingFileBrowser.h"

#include <QQmlEngine>
#include <QQuickView>
#include <QSize>
#include <QString>
#include <QVariantMap>

#include <memory>

class QQuickItem;
class QQuickWindow;

namespace zurbo {
class CompressorModel;
}

namespace zurbo::testing {

// ----------------------------------------------------------------------------
// Shows one view of the Zurbo module in an offscreen window and reads what it
// shows: items are found by objectName, clicked where they are on screen,
// and the window can be saved as a picture under the build's screenshots/.
// Failures to find an item fail the current test.
// ----------------------------------------------------------------------------
class ViewHarness {
public:
    ViewHarness();
    ~ViewHarness();

    // Shows `fileName` (e.g. "JobTile.qml") with `properties` in a window of `size`.
    QQuickItem* show(const QString& fileName, const QVariantMap& properties, QSize size);
    // Shows ContentView for `model`, with the recording file browser.
    QQuickItem* showContentView(CompressorModel& model, QSize size = {1180, 930});
    // Creates MainWindow for `model` and shows it; the harness owns it.
    QQuickWindow* showMainWindow(CompressorModel& model);

    // The visible or hidden item named `objectName` under the shown root; null if none.
    // "a/b" is the item named b inside the item named a.
    QQuickItem* find(const QString& objectName) const;
    // The item's property, or an invalid value when the item is missing.
    QVariant read(const QString& objectName, const char* property) const;
    QString text(const QString& objectName) const;
    // Whether the item is visible on screen and takes input (it and its parents enabled).
    bool isShown(const QString& objectName) const;
    // A left click at the item's centre.
    void click(const QString& objectName);
    // Lets bindings, animations and image loads settle.
    void settle(int milliseconds = 50);
    void saveScreenshot(const QString& name);

    RecordingFileBrowser& fileBrowser() { return m_fileBrowser; }
    QQuickWindow* window() const;

private:
    QQuickItem* root() const;

    RecordingFileBrowser m_fileBrowser;
    std::unique_ptr<QQuickView> m_view;
    std::unique_ptr<QQmlEngine> m_windowEngine;
    std::unique_ptr<QQuickWindow> m_mainWindow;
};

} // namespace zurbo::testing
