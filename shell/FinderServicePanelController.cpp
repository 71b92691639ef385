#include "FinderServicePanelController.h"

#include "FileBrowserReveal.h"
#include "FinderServiceProgressModel.h"

#include <QColor>
#include <QEvent>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>

#include <utility>

namespace zurbo {

namespace {

const QUrl
    viewUrl(QStringLiteral("qrc:/qt-project.org/imports/Zurbo/panel/FinderServiceProgressView.qml"));

QColor ink()
{
    return QColor::fromRgbF(0.059f, 0.059f, 0.059f);
}

QColor acid()
{
    return QColor::fromRgbF(0.78f, 1.0f, 0.18f);
}

void placeOnScreen(QWindow& window, int cascadeStep)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame(QPoint(), window.size());
    frame.moveCenter(screen->availableGeometry().center());
    const int offset = cascadeStep * FinderServicePanelController::cascadeOffset;
    window.setPosition(frame.topLeft() + QPoint(offset, offset));
}

} // namespace

FinderServicePanelController::FinderServicePanelController(Tools tools, QObject* parent)
    : QObject(parent), m_tools(std::move(tools))
{
}

FinderServicePanelController::~FinderServicePanelController() = default;

void FinderServicePanelController::show(const QList<QUrl>& urls, std::function<void()> onClose)
{
    m_onClose = std::move(onClose);
    m_slot = std::make_unique<PanelSlot>();
    auto model =
        std::make_unique<FinderServiceProgressModel>(urls, m_tools.savePanel, m_tools.compress);
    std::unique_ptr<QQuickView> panel = makePanel(model.get());
    placeOnScreen(*panel, m_slot->index());
    // A panel shown before goes first, while the run it shows still exists.
    m_panel = std::move(panel);
    m_model = std::move(model);
    m_panel->show();
    m_panel->raise();
    m_panel->requestActivate();
    m_model->start();
}

std::unique_ptr<QQuickView>
FinderServicePanelController::makePanel(FinderServiceProgressModel* model)
{
    auto panel = std::make_unique<QQuickView>();
    // A tool window: no taskbar entry of its own, never minimised, above
    // ordinary windows, only a close button.
    panel->setFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                    Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    panel->setTitle(QStringLiteral("ZURBO"));
    panel->resize(panelSize);
    panel->setMinimumSize(panelSize);
    panel->setMaximumSize(panelSize);
    panel->setColor(ink());
    panel->setResizeMode(QQuickView::SizeRootObjectToView);
    panel->setInitialProperties({
        {QStringLiteral("model"), QVariant::fromValue(model)},
        {QStringLiteral("fileBrowser"), QVariant::fromValue(m_tools.fileBrowser)},
        {QStringLiteral("ink"), ink()},
        {QStringLiteral("acid"), acid()},
    });
    panel->setSource(viewUrl);
    panel->installEventFilter(this);
    // Some window managers offer to minimise any window; the panel comes straight back.
    connect(panel.get(), &QWindow::windowStateChanged, panel.get(), [window = panel.get()] {
        if (window->windowStates() & Qt::WindowMinimized) {
            window->showNormal();
        }
    });
    if (QQuickItem* view = panel->rootObject()) {
        // The connection goes with the panel, so a late click reaches nothing.
        connect(view, SIGNAL(closeRequested()), panel.get(), SLOT(close()));
    }
    return panel;
}

bool FinderServicePanelController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panel.get() && event->type() == QEvent::Close) {
        windowWillClose();
    }
    return QObject::eventFilter(watched, event);
}

void FinderServicePanelController::windowWillClose()
{
    // The panel is still delivering its close event; it goes from the event
    // loop, and the run it shows goes with it.
    if (m_panel) {
        m_model.release()->setParent(m_panel.get());
        m_panel.release()->deleteLater();
    }
    m_slot.reset();
    std::function<void()> onClose = std::exchange(m_onClose, nullptr);
    if (onClose) {
        onClose();
    }
}

} // namespace zurbo
