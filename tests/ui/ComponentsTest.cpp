#include "ByteText.h"
#include "UiSupport.h"
#include "WindowFitting.h"
#include "ZurboAppDelegate.h"

#include <QFontInfo>
#include <QLocale>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo::testing {

namespace {

// Only a waiting job can be removed; only a complete one compared and revealed.
TEST(Components, JobTilesShowTheirStateAndItsControls)
{
    struct Row {
        QString state;
        QVariantMap fields;
        QString status;
        QString progress; // empty when the tile shows none
    };
    const QVariantMap shrunk{{"outputBytes", 500'000}, {"savings", 59}};
    const QString shrunkText = QStringLiteral("1.2 MB → 500 kB · −59%");
    const auto with = [&](bool targetReached) {
        QVariantMap fields = shrunk;
        fields.insert("targetReached", targetReached);
        return fields;
    };
    const Row rows[] = {
        {"waiting", {}, "1.2 MB · en el corredor", {}},
        {"compressing", {{"progress", 0.456}}, "perdiendo kilos digitales", "45%"},
        {"complete", shrunk, shrunkText, {}},
        {"complete", with(true), shrunkText, {}},
        {"complete", with(false), shrunkText + " · objetivo no alcanzado", {}},
        {"complete", {}, "1.2 MB → 0 kB · −0%", {}},
        {"failed",
         {{"message", "Este PDF viene con las tripas raras."}},
         "Este PDF viene con las tripas raras.",
         {}},
    };
    QLocale::setDefault(QLocale::c());
    for (const Row& tile : rows) {
        SCOPED_TRACE(tile.status.toStdString());
        QVariantMap job{{"fileName", "informe.pdf"},
                        {"state", tile.state},
                        {"originalBytes", 1'234'567},
                        {"message", ""},
                        {"progress", 0.0}};
        job.insert(tile.fields);
        ViewHarness view;
        view.show(QStringLiteral("JobTile.qml"), {{"job", job}}, {560, 60});

        EXPECT_EQ(view.text("fileName"), "informe.pdf");
        EXPECT_EQ(view.text("statusText"), tile.status);
        EXPECT_EQ(view.isShown("removeButton"), tile.state == "waiting");
        EXPECT_EQ(view.isShown("progressText"), !tile.progress.isEmpty());
        if (!tile.progress.isEmpty()) {
            EXPECT_EQ(view.text("progressText"), tile.progress);
        }
        EXPECT_EQ(view.isShown("compareButton"), tile.state == "complete");
        EXPECT_EQ(view.isShown("revealButton"), tile.state == "complete");
    }
}

TEST(Components, ByteTextFollowsTheDefaultLocale)
{
    const std::tuple<QLocale, qint64, QString> rows[] = {
        {QLocale(QLocale::German), 1'234'567, "1,2 MB"},
        {QLocale(QLocale::Spanish), 12'400'000, "12,4 MB"},
        {QLocale::c(), 12'400'000, "12.4 MB"}};
    for (const auto& [locale, bytes, text] : rows) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        EXPECT_EQ(ByteText().format(bytes), text);
    }
    QLocale::setDefault(QLocale::c());
}

TEST(Components, BundledFacesResolveByTheirNames)
{
    const std::tuple<QString, QString, bool> rows[] = {
        {"SinkRegular", "Bebas Neue", true},
        {"RobotoCondensed-Regular", "Roboto Condensed", false},
        {"RobotoCondensed-Bold", "Roboto Condensed", true}};
    for (const auto& [family, resolvedFamily, bold] : rows) {
        SCOPED_TRACE(family.toStdString());
        QFont font(family);
        font.setBold(bold);
        const QFontInfo resolved(font);
        EXPECT_EQ(resolved.family(), resolvedFamily);
        EXPECT_EQ(resolved.bold(), bold);
    }
}

TEST(Components, DisabledActionButtonIgnoresClicksButLooksTheSame)
{
    ViewHarness view;
    const auto showButton = [&](const QString& title, bool disabled) {
        return view.show(QStringLiteral("PhysicalActionButton.qml"),
                         {{"title", title}, {"subtitle", "sub"}, {"disabled", disabled}},
                         {400, 70});
    };
    const auto clicksTaken = [&](QQuickItem* button) {
        QSignalSpy activated(button, SIGNAL(activated()));
        QTest::mouseClick(view.window(), Qt::LeftButton, {}, {200, 35});
        return activated.count();
    };
    QQuickItem* enabled = showButton("ZURBO THIS PDF", false);
    const QImage enabledLook = view.window()->grabWindow();
    // Only its own title is stretched.
    EXPECT_EQ(view.text("actionTitle"), "ZUUURBO THIS PDF");
    EXPECT_EQ(clicksTaken(enabled), 1);

    EXPECT_EQ(clicksTaken(showButton("ZURBO THIS PDF", true)), 0);
    EXPECT_EQ(view.window()->grabWindow(), enabledLook);
    showButton("APRETANDO TU PDF", false);
    EXPECT_EQ(view.text("actionTitle"), "APRETANDO TU PDF");
}

TEST(Components, MascotErrorShowsTheBottomRightQuarterAtTheFramesSize)
{
    ViewHarness view;
    QQuickItem* mascot =
        view.show(QStringLiteral("MascotSprite.qml"), {{"mascotState", 3}, {"size", 64}}, {64, 64});
    QQuickItem* sheet = view.find("mascotSheet");
    ASSERT_TRUE(mascot && sheet);
    EXPECT_EQ(mascot->width(), 64);
    EXPECT_TRUE(mascot->clip());
    EXPECT_EQ(QRectF(sheet->position(), sheet->size()), QRectF(-64, -64, 128, 128));
    EXPECT_EQ(sheet->property("status").toInt(), 1) << "the sheet is part of the build";
}

TEST(Window, CanvasShrinksToTheWindowAndStaysCentred)
{
    const std::pair<QSize, double> rows[] = {
        {{590, 930}, 0.5}, {{1180, 465}, 0.5}, {{1180, 930}, 1.0}, {{1600, 1100}, 1.0}};
    QueueScenario scenario;
    for (const auto& [size, scale] : rows) {
        SCOPED_TRACE(::testing::Message() << size.width() << " x " << size.height());
        ViewHarness view;
        view.showContentView(scenario.model, size);
        QQuickItem* canvas = view.find("canvas");
        ASSERT_NE(canvas, nullptr);
        EXPECT_DOUBLE_EQ(canvas->scale(), scale);
        const QRectF onScreen = canvas->mapRectToScene(canvas->boundingRect());
        EXPECT_NEAR(onScreen.width(), 1180 * scale, 0.5);
        EXPECT_NEAR(onScreen.center().x(), size.width() / 2.0, 0.5);
        EXPECT_NEAR(onScreen.center().y(), size.height() / 2.0, 0.5);
    }
}

// Sizes and centres the window on the inset screen.
TEST(Window, FittingFollowsTheAvailableGeometry)
{
    const std::tuple<QRect, QRect, QSize> rows[] = {
        {{0, 0, 1000, 700}, {20, 20, 960, 660}, {860, 650}},
        {{0, 0, 800, 600}, {20, 20, 760, 560}, {760, 560}},
        {{0, 30, 2560, 1410}, {690, 325, 1180, 820}, {860, 650}}};
    for (const auto& [available, frame, minimum] : rows) {
        SCOPED_TRACE(::testing::Message() << available.width() << " x " << available.height());
        const WindowFitting fitting = WindowFitting::forAvailableGeometry(available);
        EXPECT_EQ(fitting.frame, frame);
        EXPECT_EQ(fitting.minimumSize, minimum);
    }
}

TEST(Window, LaunchFitsTheWindowUnlessStartedByTheQuickAction)
{
    const std::pair<QStringList, bool> rows[] = {
        {{"zurbo"}, true},
        {{"zurbo", "--finder-quick-action", "/tmp/list"}, false},
        {{"zurbo", "--finder-quick-action"}, false}};
    for (const auto& [arguments, fitted] : rows) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        QWindow window;
        window.resize(300, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const WindowFitting expected =
            WindowFitting::forAvailableGeometry(window.screen()->availableGeometry());

        ZurboAppDelegate delegate(arguments);
        delegate.applicationDidFinishLaunching();
        QTest::qWait(450);
        EXPECT_EQ(window.size() == expected.frame.size(), fitted);
        EXPECT_EQ(window.minimumSize() == expected.minimumSize, fitted);
    }
}

} // namespace
} // namespace zurbo::testing
