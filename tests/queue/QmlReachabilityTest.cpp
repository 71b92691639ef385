#include "QueueTestSupport.h"

#include <QCoreApplication>
#include <QJSEngine>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

// The window drives the model from QML: what it reads and calls must get
// through the JavaScript engine's conversions, not only through C++.
class QmlReachabilityTest : public ::testing::Test {
protected:
    QmlReachabilityTest()
    {
        QJSEngine::setObjectOwnership(&model, QJSEngine::CppOwnership);
        js.globalObject().setProperty("model", js.newQObject(&model));
    }

    QJSValue run(const QString& script)
    {
        const QJSValue value = js.evaluate(script);
        EXPECT_FALSE(value.isError()) << value.toString().toStdString();
        return value;
    }

    testing::TestFolder folder;
    CompressorModel model;
    QJSEngine js;
};

TEST_F(QmlReachabilityTest, ADropAndTheQueueRoundTripThroughJavaScript)
{
    const auto urlOf = [this](const QString& name, std::int64_t bytes) {
        return QUrl::fromLocalFile(testing::writeSizedFile(folder, name, bytes)).toString();
    };
    const QString a = urlOf("a.pdf", 400'000);
    const QString b = urlOf("b.pdf", 10);
    EXPECT_TRUE(run(QString("model.acceptDrop(['%1', '%2'])").arg(a, b)).toBool());
    QCoreApplication::processEvents();

    EXPECT_EQ(run("model.queue.count").toInt(), 2);
    EXPECT_EQ(run("model.queue.get(0).fileName").toString(), "a.pdf");
    EXPECT_EQ(run("model.queue.get(1).state").toString(), "waiting");
    EXPECT_TRUE(run("model.queue.get(1).savings === undefined").toBool());
    EXPECT_EQ(run("model.estimates.balanced").toNumber(), 336'008);
    EXPECT_EQ(run("model.estimatedBytes('demolition')").toNumber(), 304'007);
    EXPECT_TRUE(run("model.activeJob === undefined && model.completedJobs.length === 0").toBool());

    run("model.remove(model.queue.get(0).id)");
    EXPECT_EQ(testing::fileNames(model.jobs()), QStringList{"b.pdf"});
}

TEST_F(QmlReachabilityTest, SettingsAreWrittenByName)
{
    run("model.profile = 'demolition'; model.exportMode = 'replaceOriginal';"
        "model.targetEnabled = true; model.targetMegabytes = 2.5; model.cleanMetadata = true;"
        "model.isDropTargeted = true");
    EXPECT_EQ(model.profile(), CompressionProfile::demolition);
    EXPECT_EQ(model.exportMode(), ExportMode::replaceOriginal);
    EXPECT_TRUE(model.targetEnabled() && model.cleanMetadata() && model.isDropTargeted());
    EXPECT_EQ(model.targetMegabytes(), 2.5);
    run("model.clearAll()");
    EXPECT_FALSE(model.isDropTargeted());
}

} // namespace
} // namespace zurbo
