#include "UiSupport.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo::testing {

enum class Batch { none, running, finished };

// What the window shows in one of its states, one row of the state tables.
struct WindowState {
    const char* name;
    int files;
    Batch batch;
    QString queueTitle, queueSubtitle, consoleTitle, phrase, percentage;
    bool settingsEnabled;
    QString actionTitle, actionSubtitle;
    bool actionIgnoresClicks, clickStartsBatch, resultCardShown;
};
void PrintTo(const WindowState& row, std::ostream* out)
{
    *out << row.name;
}

namespace {

const QString emptyTitle = QStringLiteral("PDFS CON\nSOBREPESO");
const QString queueTitle = QStringLiteral("LA COLA DEL\nMATADERO");
const QString ready = QStringLiteral("TODO LISTO PARA LIARLA");
const QString countdown = QStringLiteral("Tres, dos, uno… cuando tú quieras.");
const QString go = QStringLiteral("ZUUURBO THIS PDF");
const QString goSubtitle = QStringLiteral("⌘  ENTER  ·  empezar la escabechina");

// A running batch of two starts its first job at 0.04 of two: 2 %; whether a
// click would start another is not observable, its button ignores clicks.
const WindowState windowStates[] = {
    {"empty", 0, Batch::none, emptyTitle, "Se aceptan uno, veinte o una barbaridad.",
     "ESPERANDO UNA VÍCTIMA", "Échame un PDF,\ntengo hambre.", "0%", true, go, goSubtitle, true,
     false, false},
    {"queuedOne", 1, Batch::none, queueTitle, "1 archivo esperando su destino.", ready, countdown,
     "0%", true, go, goSubtitle, false, true, false},
    {"queued", 3, Batch::none, queueTitle, "3 archivos esperando su destino.", ready, countdown,
     "0%", true, go, goSubtitle, false, true, false},
    {"running", 2, Batch::running, queueTitle, "2 archivos esperando su destino.",
     "TORTURA EN CURSO", "Calentando la trituradora de megas…", "2%", false, "APRETANDO TU PDF",
     "ahora no toques nada, artista", true, true, false},
    {"results", 2, Batch::finished, queueTitle, "2 archivos esperando su destino.", ready,
     "PDF domado. Puedes recoger los restos.", "100%", true, go, goSubtitle, false, true, true},
};

class WindowStates : public ::testing::TestWithParam<WindowState> {
protected:
    QueueScenario scenario;
    ViewHarness view;
};

TEST_P(WindowStates, ShowWhatTheStateTablesSay)
{
    const WindowState& state = GetParam();
    for (int file = 0; file < state.files; ++file) {
        const QString name = QStringLiteral("%1.pdf").arg(file);
        scenario.script(name, {.bytes = 400'000});
        scenario.queueFile(name, 1'000'000);
    }
    if (state.batch == Batch::running) {
        scenario.startHeldBatch();
    } else if (state.batch == Batch::finished) {
        scenario.runBatch();
    }
    view.showContentView(scenario.model);

    EXPECT_EQ(view.text("queueTitle"), state.queueTitle);
    EXPECT_EQ(view.text("queueSubtitle"), state.queueSubtitle);
    EXPECT_EQ(view.text("consoleTitle"), state.consoleTitle);
    EXPECT_EQ(view.text("consolePhrase"), state.phrase);
    EXPECT_EQ(view.text("consolePercentage"), state.percentage);
    for (const char* setting : {"qualityPill", "metadataSwitch", "replacePill"}) {
        EXPECT_EQ(view.isShown(setting), state.settingsEnabled) << setting;
    }
    // The profile keys stay usable during a batch.
    EXPECT_TRUE(view.isShown("profileKey_demolition"));
    EXPECT_EQ(view.text("actionTitle"), state.actionTitle);
    EXPECT_EQ(view.text("actionSubtitle"), state.actionSubtitle);
    EXPECT_EQ(view.read("actionButton", "disabled").toBool(), state.actionIgnoresClicks);
    EXPECT_EQ(view.visible("resultCard"), state.resultCardShown);
    EXPECT_EQ(view.visible("emptyQueue"), scenario.model.jobs().isEmpty());
    view.saveScreenshot(QStringLiteral("window-") + state.name);

    if (state.batch != Batch::running) {
        scenario.hold();
        view.click("actionButton");
        EXPECT_EQ(scenario.model.isWorking(), state.clickStartsBatch);
    }
}

INSTANTIATE_TEST_SUITE_P(Window, WindowStates, ::testing::ValuesIn(windowStates),
                         [](const auto& info) { return std::string(info.param.name); });

// MascotSprite's cells, in sheet order.
enum Mascot { idle, compressing, success, error };

// One job in the queue, so that the overall progress is the active job's.
TEST(Console, PhrasesAndMascotFollowTheBatch)
{
    struct Row {
        double progress;
        QString phrase, percentage;
    };
    const QString saving = QStringLiteral("Guardando el cadáver con dignidad…");
    const Row rows[] = {{0.0, "Calentando la trituradora de megas…", "0%"},
                        {0.857, "Comprimiendo sin convertirlo en una patata…", "85%"},
                        {0.86, saving, "86%"},
                        {0.999, saving, "99%"},
                        {1.0, saving, "100%"}};
    QueueScenario scenario;
    ViewHarness view;
    scenario.queueFile("uno.pdf", 1000);
    view.showContentView(scenario.model);
    EXPECT_FALSE(view.visible("consoleMascot"));

    scenario.startHeldBatch();
    view.settle();
    EXPECT_EQ(view.text("console/activeFileName"), "uno.pdf");
    EXPECT_TRUE(view.visible("consoleMascot"));
    EXPECT_EQ(view.read("consoleMascot", "mascotState").toInt(), compressing);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.progress);
        scenario.setActiveProgress(row.progress);
        view.settle();
        EXPECT_EQ(view.text("consolePhrase"), row.phrase);
        EXPECT_EQ(view.text("consolePercentage"), row.percentage);
    }

    scenario.hold(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !scenario.model.isWorking(); }, 5000));
    view.settle();
    EXPECT_FALSE(view.visible("consoleMascot"));
    EXPECT_EQ(view.read("consoleMascot", "mascotState").toInt(), success);
}

TEST(ResultCard, AdmitsDefeatOnlyForAnExplicitMiss)
{
    const QString dignity = QStringLiteral("Las letras conservan la dignidad. Los vectores, sus "
                                           "curvas. Los megas absurdos, la puerta.");
    const QString missed =
        QStringLiteral("No hemos llegado al peso pedido sin hacer una barbaridad "
                       "mayor. Te dejamos la versión más ligera conseguida.");
    const std::pair<std::optional<bool>, QString> rows[] = {
        {std::nullopt, dignity}, {true, dignity}, {false, missed}};
    for (const auto& [targetReached, note] : rows) {
        SCOPED_TRACE(targetReached ? (*targetReached ? "reached" : "missed") : "no target");
        QueueScenario scenario;
        ViewHarness view;
        scenario.script("a.pdf", {.bytes = 400'000});
        scenario.script("b.pdf", {.bytes = 300'000, .targetReached = targetReached});
        scenario.queueFile("a.pdf", 1'000'000);
        scenario.queueFile("b.pdf", 1'000'000);
        scenario.runBatch();
        view.showContentView(scenario.model);
        EXPECT_EQ(view.text("resultNote"), note);
        EXPECT_EQ(view.text("resultSizes"), "De 2.0 MB a 700 kB");
        EXPECT_EQ(view.text("totalSavings"), "65%");
    }
}

// A failed job first, then two completed ones.
TEST(ResultCard, CompareOpensTheFirstCompletedJobAndClearEmptiesTheQueue)
{
    QueueScenario scenario;
    ViewHarness view;
    scenario.script("roto.pdf", {.failure = "no"});
    for (const char* name : {"roto.pdf", "primero.pdf", "segundo.pdf"}) {
        scenario.queueFile(name, 1000);
    }
    scenario.runBatch();
    view.showContentView(scenario.model);
    // The failure beats the completed jobs in the console's mascot, not in the card's.
    EXPECT_TRUE(view.visible("consoleMascot"));
    EXPECT_EQ(view.read("consoleMascot", "mascotState").toInt(), error);
    EXPECT_EQ(view.read("resultMascot", "mascotState").toInt(), success);

    view.click("compareResults");
    ASSERT_TRUE(view.visible("comparisonSheet"));
    EXPECT_TRUE(view.text("beforePreview/previewLabel").startsWith("ANTES · 1 kB"));
    const QVariantMap job = view.read("comparisonView", "job").toMap();
    EXPECT_TRUE(job.value("source").toString().endsWith("/primero.pdf"));
    view.click("closeComparison");
    EXPECT_FALSE(view.visible("comparisonSheet"));

    view.click("clearResults");
    EXPECT_TRUE(scenario.model.jobs().isEmpty());
    EXPECT_FALSE(view.visible("resultCard"));
    EXPECT_EQ(view.text("queueTitle"), emptyTitle);
}

// A file manager's drag: hovering anywhere lights the drop zone, dropping queues the PDFs.
TEST(WindowInput, DroppedFilesJoinTheQueue)
{
    QueueScenario scenario;
    ViewHarness view;
    view.showContentView(scenario.model);
    writeFile(scenario.folder / "soltado.pdf", "%PDF-1.4");
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString((scenario.folder / "soltado.pdf").string()))});
    const QPoint inCorner(10, 900);

    QDragEnterEvent enter(inCorner, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.window(), &enter);
    view.settle();
    EXPECT_TRUE(scenario.model.isDropTargeted());
    EXPECT_EQ(view.text("dropTitle"), "SUELTA ESA BESTIA");

    QDropEvent drop(inCorner, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.window(), &drop);
    EXPECT_TRUE(QTest::qWaitFor([&] { return scenario.model.jobs().size() == 1; }, 2000));
    EXPECT_FALSE(scenario.model.isDropTargeted());
    EXPECT_EQ(view.text("queueSubtitle"), "1 archivo esperando su destino.");
}

TEST(WindowInput, MenuOffersCompressOnlyWithAQueueAndNoBatch)
{
    QueueScenario scenario;
    ViewHarness view;
    QQuickWindow* window = view.showMainWindow(scenario.model);
    ASSERT_NE(window, nullptr);
    QObject* compress = window->findChild<QObject*>("compressCommand");
    QObject* choose = window->findChild<QObject*>("chooseFilesCommand");
    ASSERT_TRUE(compress && choose);
    EXPECT_EQ(compress->property("text").toString(), "Comprimir PDFs");
    EXPECT_EQ(choose->property("text").toString(), "Elegir PDFs…");
    const auto enabled = [&](bool compressEnabled) {
        EXPECT_EQ(compress->property("enabled").toBool(), compressEnabled);
        EXPECT_TRUE(choose->property("enabled").toBool());
    };
    enabled(false);
    scenario.queueFile("uno.pdf", 1000);
    enabled(true);
    scenario.hold();
    QTest::keyClick(window, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(scenario.model.isWorking());
    enabled(false);
    view.saveScreenshot(QStringLiteral("main-window-running"));
}

} // namespace
} // namespace zurbo::testing
