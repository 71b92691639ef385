#include "ViewHarness.h"

#include "CompressorModel.h"
#include "PagePreviewProvider.h"

#include <QDir>
#include <QQmlComponent>
#include <QQuickItem>
#include <QTest>

#include <algorithm>

#include <gtest/gtest.h>

namespace zurbo::testing {

namespace {

QUrl moduleFile(const QString& fileName) {
    return QUrl(QStringLiteral("qrc:/qt-project.org/imports/Zurbo/") + fileName);
}

QQuickItem* findItem(QQuickItem* item, const QString& objectName) {
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
void scrollIntoView(QQuickItem* item) {
    for (QQuickItem* area = item->parentItem(); area != nullptr; area = area->parentItem()) {
        if (!area->inherits("QQuickFlickable")) {
            continue;
        }
        auto* content = area->property("contentItem").value<QQuickItem*>();
        const qreal top = item->mapToItem(content, QPointF{0, 0}).y();
        const qreal range =
            std::max(0.0, area->property("contentHeight").toReal() - area->height());
        area->setProperty("contentY", std::clamp(top - 20, 0.0, range));
    }
}

void reportErrors(const QList<QQmlError>& errors) {
    for (const QQmlError& error : errors) {
        ADD_FAILURE() << error.toString().toStdString();
    }
}

} // namespace

ViewHarness::ViewHarness() = default;
ViewHarness::~ViewHarness() = default;

QQuickItem* ViewHarness::show(const QString& fileName, const QVariantMap& properties, QSize size) {
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

QQuickItem* ViewHarness::showContentView(CompressorModel& model, QSize size) {
    return show(QStringLiteral("ContentView.qml"),
                {{QStringLiteral("model"), QVariant::fromValue(&model)},
                 {QStringLiteral("fileBrowser"), QVariant::fromValue(&m_fileBrowser)}},
                size);
}

QQuickWindow* ViewHarness::showMainWindow(CompressorModel& model) {
    m_windowEngine = std::make_unique<QQmlEngine>();
    QQmlComponent component(m_windowEngine.get(), moduleFile(QStringLiteral("MainWindow.qml")));
    QObject* created = component.createWithInitialProperties(
        {{QStringLiteral("model"), QVariant::fromValue(&model)},
         {QStringLiteral("fileBrowser"), QVariant::fromValue(&m_fileBrowser)}});
    reportErrors(component.errors());
    m_mainWindow.reset(qobject_cast<QQuickWindow*>(created));
    if (m_mainWindow) {
        m_mainWindow->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_mainWindow.get()));
    }
    return m_mainWindow.get();
}

QQuickWindow* ViewHarness::window() const {
    return m_mainWindow ? m_mainWindow.get() : static_cast<QQuickWindow*>(m_view.get());
}

QQuickItem* ViewHarness::root() const {
    return m_mainWindow ? m_mainWindow->contentItem() : m_view->rootObject();
}

QQuickItem* ViewHarness::find(const QString& objectName) const {
    QQuickItem* item = root();
    for (const QString& name : objectName.split(QLatin1Char('/'))) {
        item = findItem(item, name);
    }
    EXPECT_NE(item, nullptr) << "no item named " << objectName.toStdString();
    return item;
}

QVariant ViewHarness::read(const QString& objectName, const char* property) const {
    const QQuickItem* item = find(objectName);
    return item ? item->property(property) : QVariant();
}

QString ViewHarness::text(const QString& objectName) const {
    return read(objectName, "text").toString();
}

bool ViewHarness::isShown(const QString& objectName) const {
    const QQuickItem* item = find(objectName);
    return item && item->isVisible() && item->isEnabled();
}

void ViewHarness::click(const QString& objectName) {
    QQuickItem* item = find(objectName);
    if (item == nullptr) {
        return;
    }
    scrollIntoView(item);
    const QPointF centre = item->mapToScene({item->width() / 2, item->height() / 2});
    QTest::mouseClick(window(), Qt::LeftButton, {}, centre.toPoint());
    settle();
}

void ViewHarness::settle(int milliseconds) {
    QTest::qWait(milliseconds);
}

void ViewHarness::saveScreenshot(const QString& name) {
    settle(400);
    QDir().mkpath(QStringLiteral(ZURBO_SCREENSHOT_DIR));
    const QImage picture = window()->grabWindow();
    EXPECT_TRUE(picture.save(QStringLiteral(ZURBO_SCREENSHOT_DIR "/") + name + ".png"));
}

} // namespace zurbo::testing
