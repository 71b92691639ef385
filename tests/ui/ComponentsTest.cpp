#include "ByteText.h"
#include "ViewHarness.h"

#include <QFontInfo>
#include <QLocale>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

struct ByteTextCase {
    const char* name;
    QLocale locale;
    qint64 bytes;
    QString text;
};

std::ostream& operator<<(std::ostream& out, const ByteTextCase& byteText) {
    return out << byteText.name;
}

const ByteTextCase byteTextCases[] = {
    {"megabytesWithComma", QLocale(QLocale::German), 1'234'567, "1,2 MB"},
    {"twelveMegabytesWithComma", QLocale(QLocale::Spanish), 12'400'000, "12,4 MB"},
    {"megabytesWithPoint", QLocale::c(), 12'400'000, "12.4 MB"},
};

class ByteTexts : public ::testing::TestWithParam<ByteTextCase> {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_P(ByteTexts, FollowTheDefaultLocale) {
    QLocale::setDefault(GetParam().locale);
    EXPECT_EQ(ByteText().format(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Components, ByteTexts, ::testing::ValuesIn(byteTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct FontCase {
    const char* name;
    QString family;
    QString resolvedFamily;
    bool bold;
};

std::ostream& operator<<(std::ostream& out, const FontCase& font) {
    return out << font.name;
}

const FontCase fontCases[] = {
    {"sink", "SinkRegular", "Bebas Neue", true},
    {"condensed", "RobotoCondensed-Regular", "Roboto Condensed", false},
    {"condensedBold", "RobotoCondensed-Bold", "Roboto Condensed", true},
};

class BundledFaces : public ::testing::TestWithParam<FontCase> {};

TEST_P(BundledFaces, ResolveByTheirNames) {
    QFont font(GetParam().family);
    font.setBold(GetParam().bold);
    const QFontInfo resolved(font);
    EXPECT_EQ(resolved.family(), GetParam().resolvedFamily);
    EXPECT_EQ(resolved.bold(), GetParam().bold);
}

INSTANTIATE_TEST_SUITE_P(Components, BundledFaces, ::testing::ValuesIn(fontCases),
                         [](const auto& info) { return std::string(info.param.name); });

class ActionButton : public ::testing::Test {
protected:
    QQuickItem* show(const QString& title, bool disabled) {
        return view.show(QStringLiteral("PhysicalActionButton.qml"),
                         {{"title", title}, {"subtitle", "sub"}, {"disabled", disabled}},
                         {400, 70});
    }

    ViewHarness view;
};

TEST_F(ActionButton, DisabledIgnoresClicksButLooksTheSame) {
    show("ZURBO THIS PDF", false);
    const QImage enabledLook = view.window()->grabWindow();
    QQuickItem* button = show("ZURBO THIS PDF", true);
    QSignalSpy activated(button, SIGNAL(activated()));
    QTest::mouseClick(view.window(), Qt::LeftButton, {}, {200, 35});
    EXPECT_EQ(activated.count(), 0);
    EXPECT_EQ(view.window()->grabWindow(), enabledLook);
}

TEST_F(ActionButton, EnabledTakesClicks) {
    QQuickItem* button = show("ZURBO THIS PDF", false);
    QSignalSpy activated(button, SIGNAL(activated()));
    QTest::mouseClick(view.window(), Qt::LeftButton, {}, {200, 35});
    EXPECT_EQ(activated.count(), 1);
}

TEST_F(ActionButton, StretchesOnlyItsOwnTitle) {
    show("ZURBO THIS PDF", false);
    EXPECT_EQ(view.text("actionTitle"), "ZUUURBO THIS PDF");
    show("APRETANDO TU PDF", false);
    EXPECT_EQ(view.text("actionTitle"), "APRETANDO TU PDF");
}

TEST(Mascot, ErrorShowsTheBottomRightQuarterAtTheFramesSize) {
    ViewHarness view;
    QQuickItem* mascot =
        view.show(QStringLiteral("MascotSprite.qml"), {{"mascotState", 3}, {"size", 64}}, {64, 64});
    ASSERT_NE(mascot, nullptr);
    EXPECT_EQ(mascot->width(), 64);
    EXPECT_TRUE(mascot->clip());
    QQuickItem* sheet = view.find("mascotSheet");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(QRectF(sheet->position(), sheet->size()), QRectF(-64, -64, 128, 128));
    EXPECT_EQ(sheet->property("status").toInt(), 1) << "the sheet is part of the build";
}

} // namespace
} // namespace zurbo::testing
