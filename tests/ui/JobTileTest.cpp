#include "ViewHarness.h"

#include <QLocale>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

struct TileCase {
    const char* name;
    QVariantMap job;
    QString status;
    // Which of the trailing controls the tile offers.
    bool remove;
    QString progress;
    bool compareAndReveal;
};

std::ostream& operator<<(std::ostream& out, const TileCase& tile) {
    return out << tile.name;
}

QVariantMap job(const QString& state, const QVariantMap& fields) {
    QVariantMap job{{"fileName", "informe.pdf"},
                    {"state", state},
                    {"originalBytes", 1'234'567},
                    {"message", ""},
                    {"progress", 0.0}};
    job.insert(fields);
    return job;
}

const TileCase tileCases[] = {
    {"waiting", job("waiting", {}), "1.2 MB · en el corredor", true, {}, false},
    {"compressing", job("compressing", {{"progress", 0.456}}), "perdiendo kilos digitales", false,
     "45%", false},
    {"complete",
     job("complete", {{"outputBytes", 500'000}, {"savings", 59}}),
     "1.2 MB → 500 kB · −59%",
     false,
     {},
     true},
    {"completeTargetReached",
     job("complete", {{"outputBytes", 500'000}, {"savings", 59}, {"targetReached", true}}),
     "1.2 MB → 500 kB · −59%",
     false,
     {},
     true},
    {"completeTargetMissed",
     job("complete", {{"outputBytes", 500'000}, {"savings", 59}, {"targetReached", false}}),
     "1.2 MB → 500 kB · −59% · objetivo no alcanzado",
     false,
     {},
     true},
    {"completeWithoutFigures", job("complete", {}), "1.2 MB → 0 kB · −0%", false, {}, true},
    {"failed",
     job("failed", {{"message", "Este PDF viene con las tripas raras."}}),
     "Este PDF viene con las tripas raras.",
     false,
     {},
     false},
};

class JobTiles : public ::testing::TestWithParam<TileCase> {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    ViewHarness view;
};

TEST_P(JobTiles, ShowTheirStateAndItsControls) {
    const TileCase& tile = GetParam();
    view.show(QStringLiteral("JobTile.qml"), {{"job", tile.job}}, {560, 60});

    EXPECT_EQ(view.text("fileName"), "informe.pdf");
    EXPECT_EQ(view.text("statusText"), tile.status);
    EXPECT_EQ(view.isShown("removeButton"), tile.remove);
    EXPECT_EQ(view.isShown("progressText"), !tile.progress.isEmpty());
    if (!tile.progress.isEmpty()) {
        EXPECT_EQ(view.text("progressText"), tile.progress);
    }
    EXPECT_EQ(view.isShown("compareButton"), tile.compareAndReveal);
    EXPECT_EQ(view.isShown("revealButton"), tile.compareAndReveal);
}

INSTANTIATE_TEST_SUITE_P(Tile, JobTiles, ::testing::ValuesIn(tileCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JobTileLocale, ByteTextUsesTheLocalesDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    ViewHarness view;
    view.show(QStringLiteral("JobTile.qml"), {{"job", job("waiting", {})}}, {560, 60});
    EXPECT_EQ(view.text("statusText"), "1,2 MB · en el corredor");
    QLocale::setDefault(QLocale::c());
}

} // namespace
} // namespace zurbo::testing
