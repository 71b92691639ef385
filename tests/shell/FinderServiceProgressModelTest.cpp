#include "FinderServiceProgressModel.h"

#include "PdfFixtures.h"
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

#include <memory>

namespace zurbo {
namespace {

using namespace std::chrono_literals;
using testing::fileUrls;
using testing::pathIn;
using testing::writeSizedFile;
using Answer = testing::ScriptedEngine::Answer;

const QString cancelled =
    QStringLiteral("Guardado cancelado. Aquí no sustituimos nada a traición.");

class FinderServiceProgressModelTest : public ::testing::Test {
protected:
    // Sources of 1000 bytes each, and a panel that accepts a destination per
    // source in "out/".
    std::unique_ptr<FinderServiceProgressModel> makeModel(const QStringList& names) {
        QStringList sources;
        for (const QString& name : names) {
            sources.append(writeSizedFile(folder, name, 1000));
            panel->answers.push_back(pathIn(folder, "out/" + name));
        }
        return std::make_unique<FinderServiceProgressModel>(fileUrls(sources), panel,
                                                            engine.function());
    }

    static bool waitForEnd(const FinderServiceProgressModel& model) {
        return QTest::qWaitFor(
            [&model] { return !model.phase().is(FinderServicePhase::Kind::working); }, 10000);
    }

    testing::TestFolder folder;
    testing::ScriptedEngine engine;
    std::shared_ptr<testing::ScriptedSavePanel> panel =
        std::make_shared<testing::ScriptedSavePanel>();
};

struct TitleCase {
    const char* name;
    int sources;
    QString title;
    friend void PrintTo(const TitleCase& value, std::ostream* out) { *out << value.name; }
};

class FinderServiceTitleTest : public FinderServiceProgressModelTest,
                               public ::testing::WithParamInterface<TitleCase> {};

TEST_P(FinderServiceTitleTest, NamesTheSourcesWhileWorking) {
    QStringList names;
    for (int i = 0; i < GetParam().sources; ++i) {
        names.append(QStringLiteral("f%1.pdf").arg(i));
    }
    const auto model = makeModel(names);
    EXPECT_EQ(model->statusTitle(), GetParam().title);
    EXPECT_EQ(model->phase(), FinderServicePhase::working());
    EXPECT_EQ(model->progress(), 0.03);
    EXPECT_EQ(model->statusPhrase(), "Calentando la prensa de megas...");
    EXPECT_EQ(model->originalBytes(), 1000 * GetParam().sources);
}

INSTANTIATE_TEST_SUITE_P(Sources, FinderServiceTitleTest,
                         ::testing::Values(TitleCase{"one", 1, "APLASTANDO\nTU PDF"},
                                           TitleCase{"three", 3, "APLASTANDO\n3 PDFS"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PhraseCase {
    const char* name;
    double progress;
    QString phrase;
    friend void PrintTo(const PhraseCase& value, std::ostream* out) { *out << value.name; }
};

class FinderServicePhraseTest : public ::testing::TestWithParam<PhraseCase> {};

TEST_P(FinderServicePhraseTest, FollowsTheBarInFifths) {
    EXPECT_EQ(FinderServiceProgressModel::progressPhrase(GetParam().progress), GetParam().phrase);
}

INSTANTIATE_TEST_SUITE_P(
    Progress, FinderServicePhraseTest,
    ::testing::Values(PhraseCase{"start", 0.03, "Calentando la prensa de megas..."},
                      PhraseCase{"fifth", 0.2, "Las tipografías quedan a salvo."},
                      PhraseCase{"almost", 0.99, "Guardando los restos con dignidad..."},
                      PhraseCase{"done", 1.0, "Guardando los restos con dignidad..."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FinderServiceProgressModelTest, AsksOnceForEachSourceWhereItGoes) {
    const auto model = makeModel({"a.pdf", "b.pdf"});
    model->start();
    ASSERT_EQ(panel->shown.size(), 2);
    const SavePanel::Settings& first = panel->shown.at(0);
    EXPECT_EQ(first.message, "Mantén el nombre para sustituirlo o escribe otro. Tú mandas.");
    EXPECT_EQ(first.prompt, "GUARDAR PDF");
    EXPECT_TRUE(first.pdfOnly);
    EXPECT_TRUE(first.canCreateFolders);
    EXPECT_EQ(first.startFolder, pathIn(folder, ""));
    EXPECT_EQ(first.proposedName, "a.pdf");
    EXPECT_EQ(panel->shown.at(1).proposedName, "b.pdf");
}

TEST_F(FinderServiceProgressModelTest, CompressesEverySourceWithTheFixedSettings) {
    engine.script("a.pdf", Answer::succeeds(400));
    engine.script("b.pdf", Answer::succeeds(100));
    const auto model = makeModel({"a.pdf", "b.pdf"});
    model->start();
    ASSERT_TRUE(waitForEnd(*model));

    EXPECT_EQ(model->phase(), FinderServicePhase::complete());
    EXPECT_EQ(model->statusTitle(), "MISIÓN\nCUMPLIDA");
    EXPECT_EQ(model->statusPhrase(), "Ya cabe donde antes daba vergüenza enviarlo.");
    EXPECT_EQ(model->progress(), 1.0);
    EXPECT_EQ(model->completedCount(), 2);
    EXPECT_EQ(model->outputURLs(),
              fileUrls({pathIn(folder, "out/a.pdf"), pathIn(folder, "out/b.pdf")}));
    EXPECT_EQ(model->outputBytes(), 500);
    EXPECT_EQ(model->originalBytes(), 2000);
    const auto calls = engine.calls();
    ASSERT_EQ(calls.size(), 2);
    for (const auto& call : calls) {
        EXPECT_FALSE(call.onMainThread);
        EXPECT_EQ(call.request.profile, CompressionProfile::balanced);
        EXPECT_FALSE(call.request.targetBytes);
        EXPECT_FALSE(call.request.cleanMetadata);
    }
    EXPECT_EQ(calls.at(1).request.destination, pathIn(folder, "out/b.pdf"));
}

TEST_F(FinderServiceProgressModelTest, BackingOutOfTheSecondPanelCompressesNothing) {
    const auto model = makeModel({"a.pdf", "b.pdf", "c.pdf"});
    panel->answers[1] = std::nullopt;
    model->start();
    QTest::qWait(50);

    EXPECT_EQ(panel->shown.size(), 2);
    EXPECT_TRUE(engine.calls().isEmpty());
    EXPECT_EQ(model->phase(), FinderServicePhase::failed(cancelled));
    EXPECT_EQ(model->statusPhrase(), cancelled);
    EXPECT_EQ(model->statusTitle(), "EL PDF\nHA GANADO");
    EXPECT_EQ(model->completedCount(), 0);
}

TEST_F(FinderServiceProgressModelTest, AFailingFileStopsTheRunAndKeepsWhatWasSaved) {
    engine.script("a.pdf", Answer::succeeds(300));
    engine.script("b.pdf", Answer::fails("gs: la página 2 está rota"));
    const auto model = makeModel({"a.pdf", "b.pdf", "c.pdf"});
    model->start();
    ASSERT_TRUE(waitForEnd(*model));
    QTest::qWait(50);

    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf"}));
    EXPECT_EQ(model->completedCount(), 1);
    EXPECT_EQ(model->outputURLs(), fileUrls({pathIn(folder, "out/a.pdf")}));
    EXPECT_EQ(model->outputBytes(), 300);
    const QString message = QString::fromUtf8(
        PDFEngine::EngineError::compressionFailed("gs: la página 2 está rota").what());
    EXPECT_EQ(model->phase(), FinderServicePhase::failed(message));
    EXPECT_EQ(model->statusPhrase(), message);
}

// The ticker's share of the bar per file, read at every change while that
// file is in the engine.
TEST_F(FinderServiceProgressModelTest, TheTickerStaysInsideEachFilesShare) {
    engine.script("a.pdf", Answer::succeeds(1, {}, 900ms));
    engine.script("b.pdf", Answer::succeeds(1, {}, 900ms));
    const auto model = makeModel({"a.pdf", "b.pdf"});
    QList<double> first;
    QList<double> second;
    QObject::connect(model.get(), &FinderServiceProgressModel::progressChanged, [&] {
        if (model->activeFile() == "a.pdf" && model->completedCount() == 0) {
            first.append(model->progress());
        } else if (model->activeFile() == "b.pdf" && model->completedCount() == 1) {
            second.append(model->progress());
        }
    });
    model->start();
    ASSERT_TRUE(waitForEnd(*model));

    for (const auto& [share, low, high] :
         {std::tuple{first, 0.025, 0.45}, std::tuple{second, 0.525, 0.95}}) {
        ASSERT_GE(share.size(), 3) << "the ticker should have moved the bar";
        EXPECT_DOUBLE_EQ(share.first(), low);
        for (double progress : share) {
            EXPECT_GE(progress, low - 1e-9);
            EXPECT_LE(progress, high + 1e-9);
        }
        EXPECT_GT(share.last(), share.first());
    }
}

// The engine keeps the source when its output would be larger, and reports
// the source's size; the run counts exactly that.
TEST_F(FinderServiceProgressModelTest, AnOutputLargerThanItsSourceCountsTheOriginalSize) {
    const QString source = pathIn(folder, "text.pdf");
    testing::writeFixturePdf(source.toStdString(), testing::textOnlyDocument());
    auto destination = std::make_shared<testing::ScriptedSavePanel>();
    destination->answers.push_back(pathIn(folder, "text-small.pdf"));
    FinderServiceProgressModel model(fileUrls({source}), destination);
    model.start();
    ASSERT_TRUE(waitForEnd(model));

    EXPECT_EQ(model.phase(), FinderServicePhase::complete());
    EXPECT_GT(model.originalBytes(), 0);
    EXPECT_EQ(model.outputBytes(), model.originalBytes());
}

} // namespace
} // namespace zurbo
