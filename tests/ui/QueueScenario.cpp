#include "QueueScenario.h"

#include "JobListModel.h"

#include <QTest>

#include <chrono>
#include <string>

#include <gtest/gtest.h>

namespace zurbo::testing {

namespace {

using namespace std::chrono_literals;

} // namespace

QueueScenario::QueueScenario() {
    model.setCompressFunction(engine.function());
    // The bar moves only when a test says so.
    model.setTickInterval(1h);
    model.setExportModeName(QStringLiteral("replaceOriginal"));
}

QueueScenario::~QueueScenario() {
    engine.release();
    QTRY_VERIFY_WITH_TIMEOUT(!model.isWorking(), 5000);
}

void QueueScenario::queueFile(const QString& name, std::int64_t bytes) {
    const std::filesystem::path path = folder / name.toStdString();
    writeFile(path, std::string(static_cast<std::size_t>(bytes), 'x'));
    queuePath(path);
}

void QueueScenario::queuePath(const std::filesystem::path& path) {
    model.add({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
}

void QueueScenario::runBatch() {
    model.compressAll();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !model.isWorking(); }, 5000));
}

void QueueScenario::startHeldBatch() {
    engine.hold();
    model.compressAll();
    EXPECT_TRUE(QTest::qWaitFor([this] { return model.activeJob().has_value(); }, 5000));
}

void QueueScenario::setActiveProgress(double progress) {
    const auto active = model.activeJob();
    ASSERT_TRUE(active.has_value());
    model.queue()->update(model.queue()->indexOf(active->id),
                          [progress](PDFJob& job) { job.progress = progress; });
}

} // namespace zurbo::testing
