#include "UiSupport.h"

#include "JobListModel.h"
#include "PagePreviewProvider.h"

#include <QDir>
#include <QFileInfo>
#include <QQmlComponent>
#include <QQuickItem>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include <gtest/gtest.h>

namespace zurbo::testing {

struct QueueScenario::Engine {
    std::mutex mutex;
    std::condition_variable released;
    bool held = false;
    std::map<QString, ScriptedOutcome> outcomes;
};

QueueScenario::QueueScenario() : m_engine(std::make_shared<Engine>())
{
    model.setCompressFunction([engine = m_engine](const CompressRequest& request) {
        std::unique_lock lock(engine->mutex);
        engine->released.wait(lock, [&] { return !engine->held; });
        const ScriptedOutcome outcome = engine->outcomes[QFileInfo(request.source).fileName()];
        if (outcome.failure) {
            throw PDFEngine::EngineError::compressionFailed(*outcome.failure);
        }
        return PDFEngine::Result{outcome.output.empty()
                                     ? std::filesystem::path(request.destination.toStdString())
                                     : outcome.output,
                                 outcome.bytes, outcome.targetReached};
    });
    model.setTickInterval(std::chrono::hours(1));
    model.setExportModeName(QStringLiteral("replaceOriginal"));
}

QueueScenario::~QueueScenario()
{
    hold(false);
    QTRY_VERIFY_WITH_TIMEOUT(!model.isWorking(), 5000);
}

void QueueScenario::script(const QString& fileName, ScriptedOutcome outcome)
{
    const std::lock_guard lock(m_engine->mutex);
    m_engine->outcomes[fileName] = std::move(outcome);
}

void QueueScenario::hold(bool held)
{
    {
        const std::lock_guard lock(m_engine->mutex);
        m_engine->held = held;
    }
    m_engine->released.notify_all();
}

void QueueScenario::queueFile(const QString& name, std::int64_t bytes)
{
    writeFile(folder / name.toStdString(), std::string(static_cast<std::size_t>(bytes), 'x'));
    queuePath(folder / name.toStdString());
}

void QueueScenario::queuePath(const std::filesystem::path& path)
{
    model.add({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
}

void QueueScenario::runBatch()
{
    model.compressAll();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !model.isWorking(); }, 5000));
}

void QueueScenario::startHeldBatch()
{
    hold();
    model.compressAll();
    EXPECT_TRUE(QTest::qWaitFor([this] { return model.activeJob().has_value(); }, 5000));
}

void QueueScenario::setActiveProgress(double progress)
{
    const auto active = model.activeJob();
    ASSERT_TRUE(active.has_value());
    model.queue()->update(model.queue()->indexOf(active->id),
                          [progress](PDFJob& job) { job.progress = progress; });
}

namespace {

QUrl moduleFile(const QString& fileName)
{
    return QUrl(QStringLiteral("qrc:/qt-project.org/imports/Zurbo/") + fileName);
}

QQuickItem* findItem(QQuickItem* item, const QString& objectName)
{
    if (item == nullptr || item->objectName() == objectName) {
        return item;
    }
    for (QQuickItem* child : item->childItems()) {
        if (QQuickItem* found = findItem(child, objectName)) {
            return found;
        }
    }
    return nullptr;
}

// Scrolls every scroll area around `item` so that the item is on screen, as a user would.
void scrollIntoView(QQuickItem* item)
{
    for (QQuickItem* area = item->parentItem(); area != nullptr; area = area->parentItem()) {
        if (area->inherits("QQuickFlickable")) {
            auto* content = area->property("contentItem").value<QQuickItem*>();
            const qreal top = item->mapToItem(content, QPointF{0, 0}).y();
            const qreal range =
                std::max(0.0, area->property("contentHeight").toReal() - area->height());
            area->setProperty("contentY", std::clamp(top - 20, 0.0, range));
        }
    }
}

void reportErrors(const QList<QQmlError>& errors)
{
    for (const QQmlError& error : errors) {
        ADD_FAILURE() << error.toString().toStdString();
    }
}

} // namespace

QQuickItem* ViewHarness::show(const QString& fileName, const QVariantMap& properties, QSize size)
{
    m_view = std::make_unique<QQuickView>();
    PagePreviewProvider::installInto(*m_view->engine());
    m_view->setInitialProperties(properties);
    m_view->setResizeMode(QQuickView::SizeRootObjectToView);
    m_view->resize(size);
    m_view->setSource(moduleFile(fileName));
    reportErrors(m_view->errors());
    m_view->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
    settle();
    return m_view->rootObject();
}

QQuickItem* ViewHarness::showContentView(CompressorModel& model, QSize size)
{
    return show(QStringLiteral("ContentView.qml"),
                {{"model", QVariant::fromValue(&model)},
                 {"fileBrowser", QVariant::fromValue(&fileBrowser)}},
                size);
}

QQuickWindow* ViewHarness::showMainWindow(CompressorModel& model)
{
    m_windowEngine = std::make_unique<QQmlEngine>();
    QQmlComponent component(m_windowEngine.get(), moduleFile(QStringLiteral("MainWindow.qml")));
    QObject* created =
        component.createWithInitialProperties({{"model", QVariant::fromValue(&model)},
                                               {"fileBrowser", QVariant::fromValue(&fileBrowser)}});
    reportErrors(component.errors());
    m_mainWindow.reset(qobject_cast<QQuickWindow*>(created));
    if (m_mainWindow) {
        m_mainWindow->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_mainWindow.get()));
    }
    return m_mainWindow.get();
}

QQuickWindow* ViewHarness::window() const
{
    return m_mainWindow ? m_mainWindow.get() : static_cast<QQuickWindow*>(m_view.get());
}

QQuickItem* ViewHarness::find(const QString& objectName) const
{
    QQuickItem* item = m_mainWindow ? m_mainWindow->contentItem() : m_view->rootObject();
    for (const QString& name : objectName.split(QLatin1Char('/'))) {
        item = findItem(item, name);
    }
    EXPECT_NE(item, nullptr) << "no item named " << objectName.toStdString();
    return item;
}

QVariant ViewHarness::read(const QString& objectName, const char* property) const
{
    const QQuickItem* item = find(objectName);
    return item ? item->property(property) : QVariant();
}

bool ViewHarness::isShown(const QString& objectName) const
{
    const QQuickItem* item = find(objectName);
    return item && item->isVisible() && item->isEnabled();
}

void ViewHarness::click(const QString& objectName)
{
    if (QQuickItem* item = find(objectName)) {
        scrollIntoView(item);
        const QPointF centre = item->mapToScene({item->width() / 2, item->height() / 2});
        QTest::mouseClick(window(), Qt::LeftButton, {}, centre.toPoint());
        settle();
    }
}

void ViewHarness::settle(int milliseconds)
{
    QTest::qWait(milliseconds);
}

void ViewHarness::saveScreenshot(const QString& name)
{
    settle(400);
    QDir().mkpath(QStringLiteral(ZURBO_SCREENSHOT_DIR));
    const QImage picture = window()->grabWindow();
    EXPECT_TRUE(picture.save(QStringLiteral(ZURBO_SCREENSHOT_DIR "/") + name + ".png"));
}

} // namespace zurbo::testing
