#include "BundledFonts.h"
#include "CompressorModel.h"
#include "DarkPalette.h"
#include "DesktopFileBrowserReveal.h"
#include "NamedStep.h"
#include "PagePreviewProvider.h"
#include "PdfFixtures.h"
#include "ScriptedPanels.h"
#include "TestFolder.h"
#include "ViewProbe.h"
#include "WindowFitting.h"

#include <QAccessibleActionInterface>
#include <QDesktopServices>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

Q_IMPORT_QML_PLUGIN(ZurboPlugin)

namespace zurbo::testing {
namespace {

// What the stand-in engine answers for one file name.
struct Outcome {
    std::int64_t bytes = 0;
    std::optional<bool> targetReached;
    std::filesystem::path output; // the request's destination when empty
    bool fails = false;
    bool locked = false; // opens with "clave" only
};

struct RecordingFileBrowser : FileBrowserReveal {
    void reveal(const QStringList& paths) override { revealed.append(paths); }
    QStringList revealed;
};

// The main window of a real CompressorModel whose engine answers from a script, touching no
// file, and waits while `held`. Results replace the originals: no save panel is asked.
class Window : public ::testing::Test {
protected:
    ~Window() override { release(); }
    void SetUp() override
    {
        PagePreviewProvider::installInto(engine);
        model.setCompressFunction([this](const CompressRequest& request) {
            lastTarget = request.targetBytes.value_or(-1);
            while (held) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            const Outcome outcome = script.value(request.source.section('/', -1));
            if (outcome.fails) {
                throw std::runtime_error("Este PDF viene con las tripas raras.");
            }
            if (outcome.locked && request.password != "clave") {
                throw PDFEngine::EngineError::passwordRequired();
            }
            const std::filesystem::path destination = request.destination.toStdString();
            return PDFEngine::Result{outcome.output.empty() ? destination : outcome.output,
                                     outcome.bytes, outcome.targetReached};
        });
        model.setTickInterval(std::chrono::hours(1)); // the bar moves only when told
        model.setExportModeName(QStringLiteral("replaceOriginal"));
        model.setOpenPanel(openPanel);
        QQmlComponent component(&engine,
                                QUrl("qrc:/qt-project.org/imports/Zurbo/window/MainWindow.qml"));
        window.reset(qobject_cast<QQuickWindow*>(component.createWithInitialProperties(
            {{"model", QVariant::fromValue(&model)},
             {"fileBrowser", QVariant::fromValue<FileBrowserReveal*>(&files)}})));
        ASSERT_TRUE(window) << component.errorString().toStdString();
        // What assistive technology hears: a notification that shows with the news as its name.
        QQuickItem* announcer = item("announcer");
        QObject::connect(announcer, &QQuickItem::visibleChanged, [this, announcer] {
            if (announcer->isVisible()) {
                announced.append(
                    QAccessible::queryAccessibleInterface(announcer)->text(QAccessible::Name));
            }
        });
        window->resize(1180, 820); // as fitted on a large screen: the canvas is shrunk
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QUrl file(const QString& name, Outcome outcome = {}, std::size_t size = 1'000'000)
    {
        script.insert(name, outcome);
        writeFile((dir + name).toStdString(), std::string(size, 'x'));
        return QUrl::fromLocalFile(dir + name);
    }
    void release()
    {
        held = false;
        EXPECT_TRUE(QTest::qWaitFor([this] { return !model.isWorking(); }));
    }
    // The item at a path of objectNames ("jobTile0/statusText"), else the menu command so named.
    QObject* find(const QString& path, QQuickItem* in = nullptr)
    {
        for (QQuickItem* child : (in ? in : window->contentItem())->childItems()) {
            const bool named = child->objectName() == path.section('/', 0, 0);
            const QString rest = named ? path.section('/', 1) : path; // empty once all named
            if (QObject* found = rest.isEmpty() ? child : find(rest, child)) {
                return found;
            }
        }
        return in ? nullptr : window->findChild<QObject*>(path);
    }
    // "path.name" is that property, the text without a name; "shown" is visible and enabled;
    // "face" is the font as resolved among the installed ones; "spoken" is what assistive
    // technology finds there (ViewProbe::spoken).
    QString read(const QString& key)
    {
        QObject* found = find(key.section('.', 0, 0));
        auto* item = qobject_cast<QQuickItem*>(found);
        const QString property = key.section('.', 1).isEmpty() ? "text" : key.section('.', 1);
        const QFontInfo face(found ? found->property("font").value<QFont>() : QFont());
        return property == "shown"
                   ? (item && item->isVisible() && item->isEnabled() ? "true" : "false")
               : property == "spoken" ? (item ? ViewProbe::spoken(item) : "(nothing)")
               : property == "face"   ? face.family() + ' ' + face.styleName()
               : found                ? found->property(property.toLatin1()).toString()
                                      : "(nothing)";
    }
    // "key=value" pairs separated by "; ", waiting for the frames that make lists and pages.
    void expect(const QString& shown)
    {
        for (const QString& pair : shown.split("; ")) {
            const QString key = pair.section('=', 0, 0), value = pair.section('=', 1);
            (void)QTest::qWaitFor([&] { return read(key) == value; });
            EXPECT_EQ(read(key).toStdString(), value.toStdString()) << key.toStdString();
        }
    }
    // Scrolls the areas around the item to their end, as a user would, and clicks it.
    void click(const QString& path)
    {
        QQuickItem* item = nullptr;
        (void)QTest::qWaitFor([&] { return (item = qobject_cast<QQuickItem*>(find(path))); });
        ASSERT_NE(item, nullptr) << path.toStdString();
        for (QQuickItem* area = item->parentItem(); area; area = area->parentItem()) {
            if (area->inherits("QQuickFlickable")) {
                const qreal end = area->property("contentHeight").toReal() - area->height();
                area->setProperty("contentY", std::max(0.0, end));
            }
        }
        QTest::qWait(50); // for the areas to lay out what they now show
        const QPointF middle = item->mapToScene({item->width() / 2, item->height() / 2});
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, middle.toPoint());
    }
    QQuickItem* item(const QString& path) { return qobject_cast<QQuickItem*>(find(path)); }
    // Where the control card's parts lie in it, by name.
    QString controlCardLayout()
    {
        QStringList parts;
        for (const char* name : {"targetModePills", "profileKeys", "metadataRow", "exportBlock",
                                 "console", "consoleTitle", "consolePercentage", "consolePhrase",
                                 "consoleMascot", "activeFileName", "actionButton"}) {
            QQuickItem* part = item(QStringLiteral("controlCard/") + name);
            // A text's width follows its words; where it stands and its height may not.
            const QRectF area = part->mapRectToItem(item("controlCard"), {{}, part->size()});
            parts.append(QString("%1 %2 %3 %4 %5")
                             .arg(name)
                             .arg(part->inherits("QQuickText") ? -1 : area.x())
                             .arg(area.y())
                             .arg(part->inherits("QQuickText") ? -1 : area.width())
                             .arg(area.height()));
        }
        return parts.join('\n');
    }
    // Presses the control at `path` through the press action of assistive technology.
    void pressAccessibly(const QString& path)
    {
        for (QQuickItem* part : item(path)->childItems()) {
            QAccessibleInterface* control = QAccessible::queryAccessibleInterface(part);
            if (control && control->actionInterface()) {
                return control->actionInterface()->doAction(
                    QAccessibleActionInterface::pressAction());
            }
        }
        ADD_FAILURE() << "nothing to press at " << path.toStdString();
    }
    // A picture of the window as it is; every state also keeps each text inside its card and,
    // by profile, the control card exactly where the first state had it.
    void picture(const QString& name)
    {
        QTest::qWait(400); // past the bar's animation
        QDir().mkpath(QStringLiteral(ZURBO_SCREENSHOT_DIR));
        EXPECT_TRUE(window->grabWindow().save(ZURBO_SCREENSHOT_DIR "/" + name + ".png"));
        for (const char* card : {"queueCard", "controlCard", "resultCard"}) {
            EXPECT_EQ(ViewProbe::textsOutside(item(card)).join('|').toStdString(), "")
                << card << " " << name.toStdString();
        }
        if (!model.targetEnabled()) {
            firstLayout = firstLayout.isEmpty() ? controlCardLayout() : firstLayout;
            EXPECT_EQ(controlCardLayout().toStdString(), firstLayout.toStdString())
                << name.toStdString();
        }
    }

    TestFolder folder;
    const QString dir = QString::fromStdString(folder.path().string()) + '/';
    std::atomic<bool> held = false;
    std::atomic<std::int64_t> lastTarget = -1;
    QHash<QString, Outcome> script;
    CompressorModel model;
    RecordingFileBrowser files;
    const std::shared_ptr<ScriptedOpenPanel> openPanel = std::make_shared<ScriptedOpenPanel>();
    QQmlEngine engine;
    std::unique_ptr<QQuickWindow> window;
    QString firstLayout;
    QStringList announced;
};

const QString settings = QStringLiteral("qualityPill.shown=%1; metadataSwitch.shown=%1; "
                                        "replacePill.shown=%1; profileKey_demolition.shown=true");
const QString go = QStringLiteral("actionTitle=ZUUURBO THIS PDF; actionSubtitle=CTRL  ENTER  ·  "
                                  "empezar la escabechina; compressCommand.enabled=");
const QString pageLine = QStringLiteral("pageLine=Si no lo encuentras, hemos ganado. Página ");
const std::string settingsWalk(
    "radio POR CALIDAD|radio PESO OBJETIVO|radio CON CARIÑO|radio SIN PIEDAD|radio A TOMAR POR "
    "PDF|check BORRAR METADATOS Y RASTROS|radio SUSTITUIR ORIGINAL|radio OTRO NOMBRE");

// One PDF dropped, compressed and compared; then more with a failure, a reached and a missed
// target and a 5-page source whose result has 3 pages; then all cleared.
TEST_F(Window, FollowsABatchFromTheDropToTheClear)
{
    const auto buttonLook = [&] {
        return window->grabWindow().copy(
            item("actionButton")->mapRectToScene(item("actionButton")->boundingRect()).toRect());
    };
    QImage ignoringClicks;
    const QString uno = "uno, " + QString("el del nombre larguísimo, ").repeated(6) + "fin.pdf";
    const QString note = QStringLiteral("Las letras conservan la dignidad. Los vectores, sus "
                                        "curvas. Los megas absurdos, la puerta.");
    const QString kept = "resultNote=" + note;
    step("an empty window offers only what can be done", [&] {
        expect("queueTitle=PDFS CON\nSOBREPESO; emptyQueue.visible=true; "
               "queueSubtitle=Se aceptan uno, veinte o una barbaridad.; "
               "dropTitle=ARRASTRA AQUÍ\nEL GORDITO; consoleTitle=ESPERANDO UNA VÍCTIMA; "
               "consolePhrase=Échame un PDF,\ntengo hambre.; consolePercentage=0%; "
               "consoleMascot.visible=false; profileKey_respectful/estimate.visible=false; "
               "resultCard.visible=false; compressCommand=Comprimir PDFs; "
               "chooseFilesCommand=Elegir PDFs…; chooseFilesCommand.enabled=true; "
               "queueTitle.face=Bebas Neue Bold; queueSubtitle.face=Roboto Condensed Regular; " +
               go + "false; actionButton.disabled=true; " + settings.arg("true") +
               "; actionButton.spoken=button ZUUURBO THIS PDF disabled");
        ignoringClicks = buttonLook();
        picture("window-empty");
        const QRectF settingsArea =
            item("exportBlock")->mapRectToScene(item("exportBlock")->boundingRect());
        EXPECT_LE(settingsArea.bottom() + 4, item("console")->mapToScene({}).y())
            << "settings overlap";
    });
    step("Tab reaches every control in reading order; Space and Return press it", [&] {
        EXPECT_EQ(ViewProbe::tabWalk(window.get()),
                  "button ARRASTRA AQUÍ EL GORDITO|" + settingsWalk);
        ViewProbe::press(window.get(), "ARRASTRA AQUÍ EL GORDITO", Qt::Key_Space);
        EXPECT_EQ(openPanel->shown.size(), 1);
        ViewProbe::press(window.get(), "PESO OBJETIVO", Qt::Key_Return);
        expect("targetBox.visible=true; profileKeys.visible=false");
        EXPECT_TRUE(
            ViewProbe::tabWalk(window.get()).find("PESO OBJETIVO|field QUE PESE MENOS DE|") !=
            std::string::npos);
        picture("window-target");
        ViewProbe::press(window.get(), "POR CALIDAD", Qt::Key_Space);
        expect("profileKeys.visible=true");
        QTest::keyClick(window.get(), Qt::Key_F10);
        expect("fileMenu.visible=true; chooseFilesCommandKeys=Ctrl+O");
        picture("window-menu");
        QTest::keyClick(window.get(), Qt::Key_Escape);
    });
    step("a drag lights the drop zone; the dropped PDF's long name stays inside", [&] {
        QMimeData dragged;
        dragged.setUrls({file(uno, {.bytes = 400'000})});
        QDragEnterEvent enter({10, 700}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window.get(), &enter);
        expect("dropTitle=SUELTA ESA BESTIA");
        QDropEvent drop({10, 700}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window.get(), &drop);
        expect(
            "emptyQueue.visible=false; queueTitle=LA COLA DEL\nMATADERO; moreButton.shown=true; "
            "queueSubtitle=1 archivo esperando su destino.; dropTitle=ARRASTRA AQUÍ\nEL GORDITO; "
            "jobTile0/statusText=1.0 MB · en el corredor; jobTile0/removeButton.shown=true; "
            "jobTile0/compareButton.shown=false; jobTile0/progressText.shown=false; "
            "consoleTitle=TODO LISTO PARA LIARLA; profileKey_respectful/estimate=≈ 760 kB; "
            "consolePhrase=Tres, dos, uno… cuando tú quieras.; chooseFilesCommand.enabled=true; "
            "profileKey_respectful/estimate.face=Roboto Condensed Bold; " +
            go + "true; actionButton.disabled=false; jobTile0.spoken=text " + uno +
            "|text 1.0 MB · en el corredor|button Quitar " + uno + " de la cola");
        EXPECT_EQ(buttonLook(), ignoringClicks) << "a button that ignores clicks looks the same";
        picture("window-queuedOne");
    });
    // The mascot sheet is a 2 x 2 grid: idle, compressing / success, error.
    step("a running batch shows its file and its phrases and locks the settings", [&] {
        held = true;
        QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
        expect("moreButton.shown=false; jobTile0/removeButton.shown=false; "
               "consoleTitle=TORTURA EN CURSO; consoleMascot.visible=true; "
               "consoleMascot/mascotSheet.x=-64; consoleMascot/mascotSheet.y=0; "
               "consoleMascot/mascotSheet.width=128; actionTitle=APRETANDO TU PDF; "
               "actionSubtitle=ahora no toques nada, artista; actionButton.disabled=true; "
               "compressCommand.enabled=false; " +
               settings.arg("false") + "; console/activeFileName=" + uno);
        picture("window-running");
        ASSERT_TRUE(model.activeJob()) << "the bar of a batch of one is its job's";
        const std::tuple<double, QString, QString> phrases[] = {
            {0.0, "Calentando la trituradora de megas…", "0%"},
            {0.857, "Comprimiendo sin convertirlo en una patata…", "85%"},
            {0.86, "Guardando el cadáver con dignidad…", "86%"},
            {0.999, "Guardando el cadáver con dignidad…", "99%"},
            {1.0, "Guardando el cadáver con dignidad…", "100%"}};
        for (const auto& [progress, phrase, percentage] : phrases) {
            model.queue()->update(0, [&](PDFJob& job) { job.progress = progress; });
            expect("consolePhrase=" + phrase + "; consolePercentage=" + percentage +
                   "; jobTile0/progressText=" + percentage);
        }
        expect("jobTile0.spoken=text " + uno + "|text perdiendo kilos digitales|text 100%");
    });
    // The result card first appears as the batch ends, here while the window is away: it is in
    // view once the window shows it.
    step("the results show the savings in view, and are heard", [&] {
        window->hide();
        release();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        expect("jobTile0.spoken=text " + uno +
               "|text 1.0 MB → 400 kB · −60% · hecho en casa|button Comparar " + uno +
               " antes y después|button Ver " + uno +
               " en su carpeta; console.spoken=heading TODO LISTO PARA LIARLA|text 100%|text PDF "
               "domado. Puedes recoger los restos.|bar TODO LISTO PARA LIARLA 100; "
               "resultCard.spoken=text 60%|text MENOS MIERDA DIGITAL|text De 1.0 MB a 400 "
               "kB|text " +
               note + "|image Mascota de ZURBO celebrando|button COMPARAR|button LIMPIAR");
        EXPECT_EQ(
            announced,
            QStringList(
                {uno + ": perdiendo kilos digitales.",
                 uno + ": 1.0 MB → 400 kB · −60% · hecho en casa. 60% MENOS MIERDA DIGITAL. De 1.0 "
                       "MB a 400 kB."}));
        expect("resultMascot/mascotSheet.x=0; resultMascot/mascotSheet.y=-82; "
               "resultMascot/mascotSheet.status=Ready; consoleMascot.visible=false; "
               "jobTile0/compareButton.shown=true; jobTile0/revealButton.shown=true; " +
               go + "true; " + settings.arg("true"));
        picture("window-results");
        const QRectF inView =
            item("scrollArea")->mapRectToScene(item("scrollArea")->boundingRect());
        EXPECT_TRUE(inView.contains(
            item("resultCard")->mapRectToScene(item("resultCard")->boundingRect())));
        EXPECT_EQ(ViewProbe::tabWalk(window.get()),
                  ("button Comparar " + uno + " antes y después|button Ver " + uno +
                   " en su carpeta|button METER MÁS CARNE|")
                          .toStdString() +
                      settingsWalk + "|button ZUUURBO THIS PDF|button COMPARAR|button LIMPIAR");
    });
    // The failure beats the completed jobs in the console's mascot, not in the card's.
    step("a failure among more jobs leaves its file removable, and is heard", [&] {
        const QUrl largo =
            file("largo.pdf", {.targetReached = true, .output = folder / "corto.pdf"});
        writeFixturePdf(folder / "largo.pdf", imageHeavyDocument(5));
        writeFixturePdf(folder / "corto.pdf", imageHeavyDocument(3));
        model.add({largo, file("roto.pdf", {.fails = true}), file("quita.pdf")});
        click("jobTile3/removeButton");
        expect("queueSubtitle=3 archivos esperando su destino.");
        model.compressAll();
        release();
        expect(kept +
               "; jobTile2.spoken=text roto.pdf|text Este PDF viene con las tripas "
               "raras.|button Quitar roto.pdf de la cola; jobTile2/compareButton.shown=false; "
               "consoleMascot.visible=true; consoleMascot/mascotSheet.x=-64; "
               "consoleMascot/mascotSheet.y=-64; resultMascot/mascotSheet.y=-82");
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return announced.last().startsWith("roto.pdf: Este PDF viene con las tripas");
        }));
        picture("window-failure");
    });
    // Sizes follow the locale; unreadable files say so. The sheet holds the keyboard, the
    // wheel and the menu bar, keeps its least size in a smaller window, and Escape closes it.
    step("COMPARAR, pressed as a screen reader does, opens the first completed job", [&] {
        QLocale::setDefault(QLocale(QLocale::Spanish));
        pressAccessibly("compareResults");
        QLocale::setDefault(QLocale::c());
        expect(pageLine + "1 de 1; beforePreview/previewFallback.visible=true; "
                          "afterPreview/previewFallback.visible=true; "
                          "beforePreview/previewLabel=ANTES · 1,0 MB; "
                          "afterPreview/previewLabel=DESPUÉS · 400 kB; "
                          "beforePreview/previewFallback=No se ha podido abrir esta página.");
        EXPECT_EQ(ViewProbe::tabWalk(window.get(), false), "button CERRAR");
        item("scrollArea")->setProperty("contentY", 40);
        QWheelEvent wheel({590, 400}, window->mapToGlobal(QPointF(590, 400)), {}, {0, 480},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window.get(), &wheel);
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, {30, 15});
        window->resize(1000, 760);
        QTest::qWait(200);
        EXPECT_EQ(item("scrollArea")->property("contentY").toReal(), 40);
        const QRectF sheet =
            item("comparisonView")->mapRectToScene(item("comparisonView")->boundingRect());
        EXPECT_GE(std::min(sheet.width() - 900, sheet.height() - 650), 0) << sheet.width();
        expect("fileMenu.visible=false");
        window->resize(1180, 820);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        expect("comparisonSheet.visible=false");
    });
    step("a job's result is revealed and compared page by page", [&] {
        click("jobTile1/revealButton");
        EXPECT_EQ(files.revealed, QStringList{dir + "corto.pdf"});
        click("jobTile1/compareButton");
        // A US Letter page, 612 x 792, fitted into 900 x 1100 by its height.
        expect(pageLine +
               "1 de 3; comparisonSheet.visible=true; beforePreview/thumbnail.status=Ready; "
               "afterPreview/thumbnail.status=Ready; beforePreview/thumbnail.implicitWidth=850; "
               "beforePreview/thumbnail.implicitHeight=1100; previousPage.shown=false; "
               "previousPage.spoken=button Página anterior disabled; "
               "beforePreview/previewFallback.visible=false");
        picture("comparison");
        EXPECT_EQ(ViewProbe::tabWalk(window.get(), false), "button Página siguiente|button CERRAR");
        click("nextPage");
        click("nextPage");
        expect(pageLine + "3 de 3; nextPage.shown=false; previousPage.shown=true");
        click("closeComparison");
    });
    // The failure beats a running batch too; only an explicit miss is admitted; empty saves 0.
    // Under a comma locale a point is the decimal separator where it cannot group thousands.
    step("the batch runs with the target on screen, even while its field has the focus", [&] {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
        model.add({file("vacio.pdf", {.targetReached = false}, 0)});
        model.setTargetEnabled(true);
        QQuickItem* target = item("targetField");
        target->forceActiveFocus();
        target->setProperty("text", "0.5");
        held = true;
        click("actionButton");
        expect("consoleTitle=TORTURA EN CURSO; consoleMascot/mascotSheet.y=-64");
        release();
        EXPECT_EQ(lastTarget, 524'288);
        expect("targetField=0,5; targetRefusal.visible=false");
        // A text that is not a positive number leaves the last target, shown again, says why,
        // and starts nothing.
        lastTarget = -1;
        target->forceActiveFocus();
        target->setProperty("text", "-3");
        QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
        expect("targetField=0,5; targetRefusal=Tiene que pesar algo más que cero, criatura.");
        EXPECT_EQ(lastTarget, -1);
        picture("window-refused");
        QLocale::setDefault(QLocale::c());
        expect("jobTile3/statusText=0 kB → 0 kB · −0% · objetivo no alcanzado · hecho en casa; "
               "resultNote=No hemos llegado al peso pedido sin hacer una barbaridad mayor. Te "
               "dejamos la versión más ligera conseguida.; comparisonSheet.visible=false");
        click("clearResults");
        expect("resultCard.visible=false; queueTitle=PDFS CON\nSOBREPESO");
    });
    step("a locked file asks for its password on its tile, and the next run opens it", [&] {
        model.setTargetEnabled(false);
        model.add({file("candado.pdf", {.locked = true})});
        model.compressAll();
        release();
        expect("jobTile0/statusText=Este PDF va con candado. Dinos la contraseña y lo "
               "comprimimos.; jobTile0/passwordField.visible=true");
        picture("window-locked");
        item("jobTile0/passwordField")->forceActiveFocus();
        for (const char key : std::string("clave")) {
            QTest::keyClick(window.get(), key);
        }
        model.compressAll();
        release();
        expect("jobTile0/statusText=1.0 MB → 0 kB · −100% · hecho en casa; "
               "jobTile0/passwordField.visible=false");
        EXPECT_TRUE(model.jobs().at(0).password.isEmpty()) << "the password outlived its run";
        click("clearResults");
    });
    step("with nothing completed, failed files are cleared from the queue's card", [&] {
        model.add({file("roto.pdf", {.fails = true})});
        model.compressAll();
        release();
        expect("resultCard.visible=false; clearFailed.shown=true");
        picture("window-allFailed");
        click("clearFailed");
        expect("queueTitle=PDFS CON\nSOBREPESO; clearFailed.visible=false");
    });
    step("Salir closes the window", [&] {
        QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
        EXPECT_FALSE(window->isVisible());
    });
}

// The canvas shrinks with the window, never grows, and stays centred on whole pixels.
TEST_F(Window, ScalesTheCanvasDownToTheWindowOnWholePixels)
{
    QQuickItem* canvas = item("canvas");
    const int menuBar = window->height() - canvas->parentItem()->height();
    const std::pair<QSize, double> rows[] = {
        {{590, 930}, 0.5}, {{1180, 465}, 0.5}, {{1180, 930}, 1.0}, {{1600, 1100}, 1.0}};
    for (const auto& [size, scale] : rows) {
        window->resize(size + QSize(0, menuBar));
        QTest::qWait(50);
        const QRectF onScreen = canvas->mapRectToItem(canvas->parentItem(), canvas->boundingRect());
        EXPECT_EQ(onScreen.size(), QSizeF(1180, 930) * scale) << size.width();
        const QPointF offCentre = onScreen.center() - QPointF(size.width(), size.height()) / 2;
        EXPECT_LE(offCentre.manhattanLength(), 0.5) << size.width();
    }
}

TEST(Launch, FittingFollowsTheAvailableGeometry)
{
    const std::tuple<QRect, QRect, QSize> rows[] = {
        {{0, 0, 800, 600}, {20, 20, 760, 560}, {760, 560}},
        {{0, 30, 2560, 1410}, {690, 325, 1180, 820}, {860, 650}}};
    for (const auto& [available, frame, minimum] : rows) {
        const WindowFitting fitting = WindowFitting::forAvailableGeometry(available);
        EXPECT_EQ(fitting.frame, frame) << available.width();
        EXPECT_EQ(fitting.minimumSize, minimum) << available.width();
    }
}

// Stands in for the desktop's file manager on a bus, and for the folder opener.
class FileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    FileManager() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~FileManager() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QStringList> shown; // one entry per call
    QList<QUrl> opened;

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString&) { shown.append(uris); }
    void open(const QUrl& url) { opened += url; }
};

// Each containing folder opens once until a file manager answers; then that shows the files
// themselves, all in one call.
TEST(Reveal, AsksTheFileManagerToShowTheFilesAtOnceAndFallsBackToTheirFolders)
{
    const QStringList paths{"/home/ana/informes/informe.pdf", "/home/ana/fotos/a.pdf",
                            "/home/ana/informes/anexo.pdf"};
    const QList<QUrl> folders{QUrl::fromLocalFile("/home/ana/informes"),
                              QUrl::fromLocalFile("/home/ana/fotos")};
    FileManager fileManager;

    // A bus of the test's own that starts no services, so that no real file manager answers.
    TestFolder bus;
    writeFile(bus / "bus.conf",
              "<busconfig><listen>unix:tmpdir=" + bus.path().string() +
                  "</listen><auth>EXTERNAL</auth><policy context='default'><allow own='*'/>"
                  "<allow send_destination='*'/><allow receive_sender='*'/></policy></busconfig>");
    QProcess daemon; // killed when it goes
    daemon.start("dbus-daemon",
                 {QString::fromStdString("--config-file=" + (bus / "bus.conf").string()),
                  "--nofork", "--print-address=1"});
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    DesktopFileBrowserReveal lonely(QDBusConnection::connectToBus(address, "lonely"));
    lonely.reveal(paths);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileManager.opened == folders; }));

    QDBusConnection service = QDBusConnection::connectToBus(address, "fileManager");
    ASSERT_TRUE(service.registerService("org.freedesktop.FileManager1"));
    ASSERT_TRUE(service.registerObject("/org/freedesktop/FileManager1", &fileManager,
                                       QDBusConnection::ExportScriptableSlots));
    DesktopFileBrowserReveal reveal(QDBusConnection::connectToBus(address, "window"));
    reveal.reveal(paths);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fileManager.shown.isEmpty(); }));
    const QStringList uris{"file:///home/ana/informes/informe.pdf", "file:///home/ana/fotos/a.pdf",
                           "file:///home/ana/informes/anexo.pdf"};
    EXPECT_EQ(fileManager.shown, QList<QStringList>{uris});
    EXPECT_EQ(fileManager.opened.size(), 2);
}

} // namespace
} // namespace zurbo::testing

// Offscreen and by the software renderer, so that any window can be pictured.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication application(argc, argv);
    zurbo::BundledFonts::registerBundledFonts();
    zurbo::DarkPalette::applyToApplication();
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "WindowTest.moc"
