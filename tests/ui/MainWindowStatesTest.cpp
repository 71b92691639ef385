#include "QueueScenario.h"
#include "ViewHarness.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QQuickItem>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

// What the window shows in one of its four states, one row of the state tables.
struct WindowStateCase {
    const char* name;
    std::function<void(QueueScenario&)> enter;
    QString queueTitle;
    QString queueSubtitle;
    QString consoleTitle;
    QString phrase;
    QString percentage;
    bool settingsEnabled;
    QString actionTitle;
    QString actionSubtitle;
    bool actionIgnoresClicks;
    bool resultCardShown;
    bool estimatesShown;
};

std::ostream& operator<<(std::ostream& out, const WindowStateCase& state) {
    return out << state.name;
}

const QString readySubtitle = QStringLiteral("⌘  ENTER  ·  empezar la escabechina");

const WindowStateCase windowStates[] = {
    {"empty", [](QueueScenario&) {}, "PDFS CON\nSOBREPESO",
     "Se aceptan uno, veinte o una barbaridad.", "ESPERANDO UNA VÍCTIMA",
     "Échame un PDF,\ntengo hambre.", "0%", true, "ZUUURBO THIS PDF", readySubtitle, true, false,
     false},
    {"queuedOne", [](QueueScenario& s) { s.queueFile("uno.pdf", 1'234'567); },
     "LA COLA DEL\nMATADERO", "1 archivo esperando su destino.", "TODO LISTO PARA LIARLA",
     "Tres, dos, uno… cuando tú quieras.", "0%", true, "ZUUURBO THIS PDF", readySubtitle, false,
     false, true},
    {"queued",
     [](QueueScenario& s) {
         s.queueFile("uno.pdf", 1'234'567);
         s.queueFile("dos.pdf", 2'000'000);
         s.queueFile("tres.pdf", 900'000);
     },
     "LA COLA DEL\nMATADERO", "3 archivos esperando su destino.", "TODO LISTO PARA LIARLA",
     "Tres, dos, uno… cuando tú quieras.", "0%", true, "ZUUURBO THIS PDF", readySubtitle, false,
     false, true},
    {"running",
     [](QueueScenario& s) {
         s.queueFile("uno.pdf", 1'234'567);
         s.queueFile("dos.pdf", 2'000'000);
         s.startHeldBatch();
     },
     // The first job starts at 0.04 of two: 2 %.
     "LA COLA DEL\nMATADERO", "2 archivos esperando su destino.", "TORTURA EN CURSO",
     "Calentando la trituradora de megas…", "2%", false, "APRETANDO TU PDF",
     "ahora no toques nada, artista", true, false, true},
    {"results",
     [](QueueScenario& s) {
         s.engine.script("uno.pdf", ScriptedOutcome::result(400'000));
         s.engine.script("dos.pdf", ScriptedOutcome::result(600'000));
         s.queueFile("uno.pdf", 1'000'000);
         s.queueFile("dos.pdf", 1'000'000);
         s.runBatch();
     },
     "LA COLA DEL\nMATADERO", "2 archivos esperando su destino.", "TODO LISTO PARA LIARLA",
     "PDF domado. Puedes recoger los restos.", "100%", true, "ZUUURBO THIS PDF", readySubtitle,
     false, true, true},
};

class MainWindowStates : public ::testing::TestWithParam<WindowStateCase> {
protected:
    QueueScenario scenario;
    ViewHarness view;
};

TEST_P(MainWindowStates, ShowWhatTheStateTablesSay) {
    const WindowStateCase& state = GetParam();
    state.enter(scenario);
    view.showContentView(scenario.model);

    EXPECT_EQ(view.text("queueTitle"), state.queueTitle);
    EXPECT_EQ(view.text("queueSubtitle"), state.queueSubtitle);
    EXPECT_EQ(view.text("consoleTitle"), state.consoleTitle);
    EXPECT_EQ(view.text("consolePhrase"), state.phrase);
    EXPECT_EQ(view.text("consolePercentage"), state.percentage);
    EXPECT_EQ(view.isShown("qualityPill"), state.settingsEnabled);
    EXPECT_EQ(view.isShown("metadataSwitch"), state.settingsEnabled);
    EXPECT_EQ(view.isShown("replacePill"), state.settingsEnabled);
    // The profile keys stay usable during a batch.
    EXPECT_TRUE(view.isShown("profileKey_demolition"));
    EXPECT_EQ(view.read("profileKey_balanced", "estimate").toString().startsWith("≈ "),
              state.estimatesShown);
    EXPECT_EQ(view.text("actionTitle"), state.actionTitle);
    EXPECT_EQ(view.text("actionSubtitle"), state.actionSubtitle);
    EXPECT_EQ(view.read("actionButton", "disabled").toBool(), state.actionIgnoresClicks);
    EXPECT_EQ(view.read("resultCard", "visible").toBool(), state.resultCardShown);
    EXPECT_EQ(view.read("emptyQueue", "visible").toBool(), scenario.model.jobs().isEmpty());
    view.saveScreenshot(QStringLiteral("window-") + state.name);
}

INSTANTIATE_TEST_SUITE_P(Window, MainWindowStates, ::testing::ValuesIn(windowStates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MainWindowActions, ActionButtonStartsTheBatchOnlyWhenItTakesClicks) {
    QueueScenario scenario;
    ViewHarness view;
    view.showContentView(scenario.model);
    view.click("actionButton");
    EXPECT_FALSE(scenario.model.isWorking());

    scenario.queueFile("uno.pdf", 1000);
    scenario.engine.hold();
    view.click("actionButton");
    EXPECT_TRUE(scenario.model.isWorking());
    EXPECT_FALSE(view.isShown("moreButton"));
}

TEST(MainWindowActions, ProfileKeysAndPillsWriteTheModel) {
    QueueScenario scenario;
    ViewHarness view;
    view.showContentView(scenario.model);
    view.click("profileKey_demolition");
    view.click("chooseNamePill");
    view.click("targetPill");
    EXPECT_EQ(scenario.model.profileName(), "demolition");
    EXPECT_EQ(scenario.model.exportModeName(), "chooseName");
    EXPECT_TRUE(scenario.model.targetEnabled());
    EXPECT_TRUE(view.read("targetBox", "visible").toBool());
    EXPECT_FALSE(view.read("profileKeys", "visible").toBool());
    EXPECT_EQ(view.text("exportNote"), "Te preguntaremos el nombre antes de empezar.");
}

// A file manager's drag: hovering anywhere lights the drop zone, dropping queues the PDFs.
TEST(MainWindowActions, DroppedFilesJoinTheQueue) {
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

} // namespace
} // namespace zurbo::testing
