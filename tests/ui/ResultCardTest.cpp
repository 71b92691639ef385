#include "QueueScenario.h"
#include "ViewHarness.h"

#include <QLocale>

#include <optional>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

const QString dignityNote = QStringLiteral(
    "Las letras conservan la dignidad. Los vectores, sus curvas. Los megas absurdos, la puerta.");
const QString missedNote =
    QStringLiteral("No hemos llegado al peso pedido sin hacer una barbaridad mayor. Te dejamos la "
                   "versión más ligera conseguida.");

struct NoteCase {
    const char* name;
    std::optional<bool> targetReached;
    QString note;
};

std::ostream& operator<<(std::ostream& out, const NoteCase& note) {
    return out << note.name;
}

const NoteCase noteCases[] = {
    {"noTarget", std::nullopt, dignityNote},
    {"targetReached", true, dignityNote},
    {"targetMissed", false, missedNote},
};

class ResultNote : public ::testing::TestWithParam<NoteCase> {};

TEST_P(ResultNote, AdmitsDefeatOnlyForAnExplicitMiss) {
    QLocale::setDefault(QLocale::c());
    QueueScenario scenario;
    ViewHarness view;
    scenario.engine.script("a.pdf", ScriptedOutcome::result(400'000));
    scenario.engine.script("b.pdf", ScriptedOutcome::result(300'000, GetParam().targetReached));
    scenario.queueFile("a.pdf", 1'000'000);
    scenario.queueFile("b.pdf", 1'000'000);
    scenario.runBatch();
    view.showContentView(scenario.model);

    EXPECT_EQ(view.text("resultNote"), GetParam().note);
    EXPECT_EQ(view.text("resultSizes"), "De 2.0 MB a 700 kB");
    EXPECT_EQ(view.text("totalSavings"), "65%");
}

INSTANTIATE_TEST_SUITE_P(ResultCard, ResultNote, ::testing::ValuesIn(noteCases),
                         [](const auto& info) { return std::string(info.param.name); });

class ResultButtons : public ::testing::Test {
protected:
    // A failed job first, then two completed ones.
    void SetUp() override {
        scenario.engine.script("roto.pdf", ScriptedOutcome::failing("no"));
        scenario.engine.script("primero.pdf", ScriptedOutcome::result(10));
        scenario.engine.script("segundo.pdf", ScriptedOutcome::result(10));
        for (const char* name : {"roto.pdf", "primero.pdf", "segundo.pdf"}) {
            scenario.queueFile(name, 1000);
        }
        scenario.runBatch();
        view.showContentView(scenario.model);
    }

    QueueScenario scenario;
    ViewHarness view;
};

TEST_F(ResultButtons, CompareOpensTheFirstCompletedJob) {
    view.click("compareResults");
    ASSERT_TRUE(view.read("comparisonSheet", "visible").toBool());
    EXPECT_TRUE(view.text("beforePreview/previewLabel").startsWith("ANTES · 1 kB"));
    const QVariantMap job = view.read("comparisonView", "job").toMap();
    EXPECT_TRUE(job.value("source").toString().endsWith("/primero.pdf"));
}

TEST_F(ResultButtons, ClearEmptiesTheQueue) {
    view.click("clearResults");
    EXPECT_TRUE(scenario.model.jobs().isEmpty());
    EXPECT_FALSE(view.read("resultCard", "visible").toBool());
    EXPECT_EQ(view.text("queueTitle"), "PDFS CON\nSOBREPESO");
}

} // namespace
} // namespace zurbo::testing
