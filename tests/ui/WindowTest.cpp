#include "QueueScenario.h"
#include "ViewHarness.h"
#include "WindowFitting.h"
#include "ZurboAppDelegate.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

struct ScaleCase {
    const char* name;
    QSize window;
    double scale;
};

std::ostream& operator<<(std::ostream& out, const ScaleCase& scale) {
    return out << scale.name;
}

const ScaleCase scaleCases[] = {
    {"halfWidth", {590, 930}, 0.5},
    {"shortWindow", {1180, 465}, 0.5},
    {"designSize", {1180, 930}, 1.0},
    {"larger", {1600, 1100}, 1.0},
};

class CanvasScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(CanvasScale, ShrinksToTheWindowAndStaysCentred) {
    QueueScenario scenario;
    ViewHarness view;
    view.showContentView(scenario.model, GetParam().window);
    QQuickItem* canvas = view.find("canvas");
    ASSERT_NE(canvas, nullptr);
    EXPECT_DOUBLE_EQ(canvas->scale(), GetParam().scale);
    const QRectF onScreen = canvas->mapRectToScene(canvas->boundingRect());
    EXPECT_NEAR(onScreen.width(), 1180 * GetParam().scale, 0.5);
    EXPECT_NEAR(onScreen.center().x(), GetParam().window.width() / 2.0, 0.5);
    EXPECT_NEAR(onScreen.center().y(), GetParam().window.height() / 2.0, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Window, CanvasScale, ::testing::ValuesIn(scaleCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct FittingCase {
    const char* name;
    QRect available;
    QRect frame;
    QSize minimum;
};

std::ostream& operator<<(std::ostream& out, const FittingCase& fitting) {
    return out << fitting.name;
}

const FittingCase fittingCases[] = {
    {"medium", {0, 0, 1000, 700}, {20, 20, 960, 660}, {860, 650}},
    {"small", {0, 0, 800, 600}, {20, 20, 760, 560}, {760, 560}},
    {"large", {0, 30, 2560, 1410}, {690, 325, 1180, 820}, {860, 650}},
};

class Fitting : public ::testing::TestWithParam<FittingCase> {};

TEST_P(Fitting, SizesAndCentresOnTheInsetScreen) {
    const WindowFitting fitting = WindowFitting::forAvailableGeometry(GetParam().available);
    EXPECT_EQ(fitting.frame, GetParam().frame);
    EXPECT_EQ(fitting.minimumSize, GetParam().minimum);
}

INSTANTIATE_TEST_SUITE_P(Window, Fitting, ::testing::ValuesIn(fittingCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct LaunchCase {
    const char* name;
    QStringList arguments;
    bool fitted;
};

std::ostream& operator<<(std::ostream& out, const LaunchCase& launch) {
    return out << launch.name;
}

const LaunchCase launchCases[] = {
    {"ordinary", {"zurbo"}, true},
    {"quickAction", {"zurbo", "--finder-quick-action", "/tmp/list"}, false},
    {"quickActionFlagLast", {"zurbo", "--finder-quick-action"}, false},
};

class Launch : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(Launch, FitsTheWindowUnlessStartedByTheQuickAction) {
    QWindow window;
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const WindowFitting expected =
        WindowFitting::forAvailableGeometry(window.screen()->availableGeometry());

    ZurboAppDelegate delegate(GetParam().arguments);
    delegate.applicationDidFinishLaunching();
    QTest::qWait(450);

    EXPECT_EQ(window.size() == expected.frame.size(), GetParam().fitted);
    EXPECT_EQ(window.minimumSize() == expected.minimumSize, GetParam().fitted);
}

INSTANTIATE_TEST_SUITE_P(Window, Launch, ::testing::ValuesIn(launchCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MenuCommands, CompressIsOfferedOnlyWithAQueueAndNoBatch) {
    QueueScenario scenario;
    ViewHarness view;
    QQuickWindow* window = view.showMainWindow(scenario.model);
    ASSERT_NE(window, nullptr);
    QObject* compress = window->findChild<QObject*>("compressCommand");
    QObject* choose = window->findChild<QObject*>("chooseFilesCommand");
    ASSERT_NE(compress, nullptr);
    ASSERT_NE(choose, nullptr);
    EXPECT_EQ(compress->property("text").toString(), "Comprimir PDFs");
    EXPECT_EQ(choose->property("text").toString(), "Elegir PDFs…");

    EXPECT_FALSE(compress->property("enabled").toBool());
    EXPECT_TRUE(choose->property("enabled").toBool());

    scenario.queueFile("uno.pdf", 1000);
    EXPECT_TRUE(compress->property("enabled").toBool());

    scenario.engine.hold();
    QTest::keyClick(window, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(scenario.model.isWorking());
    EXPECT_FALSE(compress->property("enabled").toBool());
    EXPECT_TRUE(choose->property("enabled").toBool());
    view.saveScreenshot(QStringLiteral("main-window-running"));
}

} // namespace
} // namespace zurbo::testing
