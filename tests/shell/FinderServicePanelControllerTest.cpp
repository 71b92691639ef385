#include "FinderServicePanelController.h"

#include "FinderServiceProgressModel.h"
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using testing::pathIn;
using testing::writeSizedFile;

class FinderServicePanelControllerTest : public ::testing::Test {
protected:
    FinderServicePanelControllerTest() {
        for (const char* name : {"a.pdf", "b.pdf"}) {
            sources.append(QUrl::fromLocalFile(writeSizedFile(folder, name, 100)));
            panel->answers.push_back(pathIn(folder, QString("out-") + name));
        }
    }

    testing::TestFolder folder;
    testing::ScriptedEngine engine;
    std::shared_ptr<testing::ScriptedSavePanel> panel =
        std::make_shared<testing::ScriptedSavePanel>();
    FinderServicePanelController controller{{panel, engine.function(), nullptr}};
    QList<QUrl> sources;
    int closes = 0;
};

TEST_F(FinderServicePanelControllerTest, ShowsAFloatingToolPanelAndAsksForEveryDestination) {
    EXPECT_EQ(controller.panel(), nullptr);
    controller.show(sources, [this] { ++closes; });

    QQuickView* shown = controller.panel();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->title(), "ZURBO");
    EXPECT_EQ(shown->size(), QSize(570, 350));
    EXPECT_EQ(shown->minimumSize(), shown->maximumSize());
    EXPECT_EQ(shown->type(), Qt::Tool);
    EXPECT_TRUE(shown->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(shown->geometry().center(), shown->screen()->availableGeometry().center());
    EXPECT_NE(shown->rootObject(), nullptr);
    // The dialogs were answered before show() returned; the run goes on after.
    EXPECT_EQ(panel->shown.size(), 2);
    ASSERT_NE(controller.model(), nullptr);
    EXPECT_EQ(controller.model()->sourceURLs(), sources);
    EXPECT_TRUE(QTest::qWaitFor([this] { return controller.model()->completedCount() == 2; }));
    EXPECT_EQ(closes, 0);
}

TEST_F(FinderServicePanelControllerTest, ClosingRunsTheCloseActionOnce) {
    controller.show(sources, [this] { ++closes; });
    controller.panel()->close();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(controller.panel(), nullptr);
    controller.windowWillClose();
    EXPECT_EQ(closes, 1);
}

TEST_F(FinderServicePanelControllerTest, TheViewsCloseButtonClosesThePanel) {
    controller.show(sources, [this] { ++closes; });
    QPointer<QQuickView> shown = controller.panel();
    QMetaObject::invokeMethod(shown->rootObject(), "closeRequested");
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(controller.panel(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&shown] { return shown.isNull(); }));
}

} // namespace
} // namespace zurbo
