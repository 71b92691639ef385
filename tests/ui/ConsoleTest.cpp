#include "QueueScenario.h"
#include "ViewHarness.h"

#include <QTest>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

struct PhraseCase {
    const char* name;
    double progress;
    QString phrase;
    QString percentage;
};

std::ostream& operator<<(std::ostream& out, const PhraseCase& phrase) {
    return out << phrase.name;
}

const PhraseCase phraseCases[] = {
    {"start", 0.0, "Calentando la trituradora de megas…", "0%"},
    {"justUnderSixSevenths", 0.857, "Comprimiendo sin convertirlo en una patata…", "85%"},
    {"pastSixSevenths", 0.86, "Guardando el cadáver con dignidad…", "86%"},
    {"almostDone", 0.999, "Guardando el cadáver con dignidad…", "99%"},
    {"full", 1.0, "Guardando el cadáver con dignidad…", "100%"},
};

class ConsolePhrases : public ::testing::TestWithParam<PhraseCase> {};

// One job in the queue, so that the overall progress is the active job's.
TEST_P(ConsolePhrases, FollowTheActiveJobsProgress) {
    QueueScenario scenario;
    ViewHarness view;
    scenario.queueFile("uno.pdf", 1000);
    scenario.startHeldBatch();
    scenario.setActiveProgress(GetParam().progress);
    view.showContentView(scenario.model);

    EXPECT_EQ(view.text("consolePhrase"), GetParam().phrase);
    EXPECT_EQ(view.text("consolePercentage"), GetParam().percentage);
    EXPECT_EQ(view.text("console/activeFileName"), "uno.pdf");
}

INSTANTIATE_TEST_SUITE_P(Console, ConsolePhrases, ::testing::ValuesIn(phraseCases),
                         [](const auto& info) { return std::string(info.param.name); });

// MascotSprite's cells, in sheet order.
enum Mascot { idle, compressing, success, error };

TEST(ConsoleMascot, FailedJobBeatsCompletedOneInTheConsoleButNotInTheResultCard) {
    QueueScenario scenario;
    ViewHarness view;
    scenario.engine.script("roto.pdf", ScriptedOutcome::failing("gs: ha explotado"));
    scenario.engine.script("bueno.pdf", ScriptedOutcome::result(10));
    scenario.queueFile("roto.pdf", 1000);
    scenario.queueFile("bueno.pdf", 1000);
    scenario.runBatch();
    view.showContentView(scenario.model);

    EXPECT_TRUE(view.read("consoleMascot", "visible").toBool());
    EXPECT_EQ(view.read("consoleMascot", "mascotState").toInt(), error);
    EXPECT_EQ(view.read("resultMascot", "mascotState").toInt(), success);
}

TEST(ConsoleMascot, ShownWhileWorkingAndHiddenAfterASuccessfulBatch) {
    QueueScenario scenario;
    ViewHarness view;
    scenario.queueFile("uno.pdf", 1000);
    view.showContentView(scenario.model);
    EXPECT_FALSE(view.read("consoleMascot", "visible").toBool());

    scenario.startHeldBatch();
    view.settle();
    EXPECT_TRUE(view.read("consoleMascot", "visible").toBool());
    EXPECT_EQ(view.read("consoleMascot", "mascotState").toInt(), compressing);

    scenario.engine.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !scenario.model.isWorking(); }, 5000));
    view.settle();
    EXPECT_FALSE(view.read("consoleMascot", "visible").toBool());
    EXPECT_EQ(view.read("consoleMascot", "mascotState").toInt(), success);
}

} // namespace
} // namespace zurbo::testing
