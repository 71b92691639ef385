#pragma once

#include "CompressRequest.h"
#include "PanelSlot.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QUrl>

#include <functional>
#include <memory>

class QQuickView;

namespace zurbo {

class FileBrowserReveal;
class FinderServiceProgressModel;
class SavePanel;

// ----------------------------------------------------------------------------
// The small floating panel of one quick-action run: a 570 x 350 tool window
// titled "ZURBO", kept above other windows, never minimised, and centred then
// cascaded down and right of the panels open on the desktop (PanelSlot),
// showing FinderServiceProgressView over its own FinderServiceProgressModel.
//
// The controller owns the panel and the model until the panel closes. show() returns once the user
// has answered every save dialog; the compression goes on after it. However
// the panel closes (its close button or the view's), windowWillClose() runs
// the close action, at most once.
// ----------------------------------------------------------------------------
class FinderServicePanelController : public QObject {
    Q_OBJECT

public:
    // What every panel's run and view use.
    struct Tools {
        std::shared_ptr<SavePanel> savePanel;
        CompressFunction compress = compressWithEngine;
        // Not owned; must outlive the panel.
        FileBrowserReveal* fileBrowser = nullptr;
    };

    static constexpr QSize panelSize{570, 350};
    // How far down and right each cascade step moves a panel from the centre.
    static constexpr int cascadeOffset = 32;

    explicit FinderServicePanelController(Tools tools, QObject* parent = nullptr);
    ~FinderServicePanelController() override;

    // The panel on screen; null before show() and after the panel closed.
    QQuickView* panel() const { return m_panel.get(); }
    // The run the panel shows; null before show() and after the panel closed.
    FinderServiceProgressModel* model() const { return m_model.get(); }

    // Opens the panel for `urls` in front of every other window, in the
    // lowest free place of the cascade, and starts the run; `onClose`
    // replaces any close action stored before.
    void show(const QList<QUrl>& urls, std::function<void()> onClose);

    // The panel is closing: lets it go and runs the close action, once.
    void windowWillClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<QQuickView> makePanel(FinderServiceProgressModel* model);

    Tools m_tools;
    std::unique_ptr<FinderServiceProgressModel> m_model;
    std::unique_ptr<QQuickView> m_panel;
    std::function<void()> m_onClose;
    std::unique_ptr<PanelSlot> m_slot;
};

} // namespace zurbo
