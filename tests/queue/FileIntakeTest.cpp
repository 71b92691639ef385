#include "QueueTestSupport.h"
#include "ScriptedPanels.h"

#include <QCoreApplication>
#include <QDir>
#include <QMetaProperty>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using testing::fileNames;
using testing::fileUrls;
using testing::pathIn;
using testing::writeSizedFile;

const QString notAPdf = QStringLiteral("Eso no era un PDF. Buen intento, criatura.");

class FileIntakeTest : public ::testing::Test {
protected:
    QString file(const QString& name, std::int64_t bytes = 100)
    {
        return writeSizedFile(folder, name, bytes);
    }

    testing::TestFolder folder;
    CompressorModel model;
};

struct AddCase {
    const char* name;
    friend void PrintTo(const AddCase& value, std::ostream* out) { *out << value.name; }
    QStringList existing; // files made before the call; a trailing "/" makes a folder
    QStringList given;    // names inside the folder, or whole URLs
    QStringList queued;
    QString message;
};

class AddTest : public FileIntakeTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddTest, QueuesReadablePdfsOnly)
{
    for (const QString& name : GetParam().existing) {
        if (name.endsWith('/')) {
            QDir().mkpath(pathIn(folder, name));
        } else {
            file(name);
        }
    }
    QList<QUrl> urls;
    for (const QString& name : GetParam().given) {
        urls.append(name.contains("://") ? QUrl(name) : QUrl::fromLocalFile(pathIn(folder, name)));
    }
    model.add(urls);
    EXPECT_EQ(fileNames(model.jobs()), GetParam().queued);
    EXPECT_EQ(model.globalMessage(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Files, AddTest,
    ::testing::Values(
        AddCase{"CapitalExtension", {"A.PDF"}, {"A.PDF"}, {"A.PDF"}, ""},
        AddCase{"ZipOfAPdf", {"a.pdf.zip"}, {"a.pdf.zip"}, {}, notAPdf},
        AddCase{"TextFile", {"notes.txt"}, {"notes.txt"}, {}, notAPdf},
        AddCase{"FolderNamedLikeAPdf", {"dir.pdf/"}, {"dir.pdf"}, {}, notAPdf},
        AddCase{"UnreadableSizeSkipped", {"b.pdf"}, {"missing.pdf", "b.pdf"}, {"b.pdf"}, ""},
        AddCase{"OnlyUnreadable", {}, {"missing.pdf"}, {}, notAPdf},
        AddCase{"SameNewPathTwice", {"a.pdf"}, {"a.pdf", "a.pdf"}, {"a.pdf", "a.pdf"}, ""},
        AddCase{"KeepsTheGivenOrder", {"b.pdf", "a.pdf"}, {"b.pdf", "a.pdf"}, {"b.pdf", "a.pdf"},
                ""},
        AddCase{"NotALocalFile", {}, {"https://example.org/a.pdf"}, {}, notAPdf},
        AddCase{"NothingGiven", {}, {}, {}, notAPdf}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileIntakeTest, AFileAlreadyQueuedIsRecognisedThroughDotDot)
{
    QDir().mkpath(pathIn(folder, "sub"));
    model.add(fileUrls({file("a.pdf")}));
    QSignalSpy announced(&model, &CompressorModel::jobsChanged);

    model.add(fileUrls({pathIn(folder, "sub/../a.pdf"), pathIn(folder, "./a.pdf")}));
    EXPECT_EQ(model.jobs().size(), 1);
    EXPECT_EQ(model.globalMessage(), notAPdf);

    const QString newThroughDotDot = pathIn(folder, "sub/../b.pdf");
    file("b.pdf");
    model.add(fileUrls({newThroughDotDot}));
    ASSERT_EQ(model.jobs().size(), 2);
    EXPECT_EQ(model.jobs().at(1).source, newThroughDotDot);
    EXPECT_EQ(model.globalMessage(), "");
    EXPECT_EQ(announced.size(), 2);
}

TEST_F(FileIntakeTest, AnEmptyPdfIsQueuedWithoutSavingsOrEstimate)
{
    model.add(fileUrls({file("empty.pdf", 0)}));
    ASSERT_EQ(model.jobs().size(), 1);
    const PDFJob& job = model.jobs().at(0);
    EXPECT_EQ(job.originalBytes, 0);
    EXPECT_EQ(job.state, JobState::waiting());
    EXPECT_EQ(job.savings(), std::nullopt);
    EXPECT_EQ(model.estimatedBytes(CompressionProfile::respectful), 0);
}

TEST_F(FileIntakeTest, RemoveTakesOutOneJobById)
{
    model.add(fileUrls({file("a.pdf"), file("b.pdf"), file("c.pdf")}));
    QSignalSpy announced(&model, &CompressorModel::jobsChanged);
    model.remove(model.jobs().at(1).id);
    model.remove(model.jobs().at(0).id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(fileNames(model.jobs()), QStringList{"c.pdf"});
    model.remove(QUuid::createUuid());
    EXPECT_EQ(fileNames(model.jobs()), QStringList{"c.pdf"});
    EXPECT_EQ(announced.size(), 3);
}

TEST_F(FileIntakeTest, ClearAllEmptiesQueueMessageAndHover)
{
    model.add(fileUrls({file("a.pdf")}));
    model.add({});
    model.setDropTargeted(true);
    model.clearAll();
    EXPECT_TRUE(model.jobs().isEmpty());
    EXPECT_EQ(model.globalMessage(), "");
    EXPECT_FALSE(model.isDropTargeted());
}

TEST_F(FileIntakeTest, ChooseFilesQueuesTheChosenFilesInTheirOrder)
{
    auto panel = std::make_shared<testing::ScriptedOpenPanel>();
    panel->answer = fileUrls({file("b.pdf"), file("a.pdf")});
    model.setOpenPanel(panel);
    model.chooseFiles();
    EXPECT_EQ(fileNames(model.jobs()), (QStringList{"b.pdf", "a.pdf"}));
    ASSERT_EQ(panel->shown.size(), 1);
    const OpenPanel::Settings& settings = panel->shown.at(0);
    EXPECT_EQ(settings.message, "Elige los PDFs que necesitan adelgazar urgentemente.");
    EXPECT_TRUE(settings.multipleSelection);
    EXPECT_TRUE(settings.pdfOnly);
    EXPECT_FALSE(settings.canChooseFolders);
}

TEST_F(FileIntakeTest, ACancelledOpenPanelChangesNothing)
{
    auto panel = std::make_shared<testing::ScriptedOpenPanel>();
    model.setOpenPanel(panel);
    model.add({});
    QSignalSpy announced(&model, &CompressorModel::jobsChanged);
    model.chooseFiles();
    EXPECT_EQ(panel->shown.size(), 1);
    EXPECT_EQ(announced.size(), 0);
    EXPECT_EQ(model.globalMessage(), notAPdf);
}

TEST_F(FileIntakeTest, ADropIsAcceptedAtOnceAndQueuedFromTheEventLoop)
{
    model.setDropTargeted(true);
    QSignalSpy announced(&model, &CompressorModel::jobsChanged);
    const QList<QUrl> dropped{QUrl::fromLocalFile(file("a.pdf")),
                              QUrl("https://example.org/b.pdf"),
                              QUrl::fromLocalFile(file("c.pdf"))};
    EXPECT_TRUE(model.acceptDrop(dropped));
    EXPECT_FALSE(model.isDropTargeted());
    EXPECT_TRUE(model.jobs().isEmpty());

    QCoreApplication::processEvents();
    EXPECT_EQ(fileNames(model.jobs()), (QStringList{"a.pdf", "c.pdf"}));
    EXPECT_EQ(announced.size(), 1);
}

TEST_F(FileIntakeTest, ADropOfNothingUsableSetsTheMessage)
{
    EXPECT_TRUE(model.acceptDrop({QUrl("https://example.org/b.pdf")}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(model.jobs().isEmpty());
    EXPECT_EQ(model.globalMessage(), notAPdf);
}

struct PropertyCase {
    const char* name;
    friend void PrintTo(const PropertyCase& value, std::ostream* out) { *out << value.name; }
    QVariant initial;
    QVariant changed;
};

class ModelPropertyTest : public ::testing::TestWithParam<PropertyCase> {};

// QML sees each setting under its own name, starts from the defaults and is
// told of a change only when the value really changed.
TEST_P(ModelPropertyTest, StartsAtItsDefaultAndNotifiesRealChangesOnly)
{
    CompressorModel model;
    const QMetaObject* meta = model.metaObject();
    const QMetaProperty property = meta->property(meta->indexOfProperty(GetParam().name));
    ASSERT_TRUE(property.isValid());
    ASSERT_TRUE(property.hasNotifySignal());
    EXPECT_EQ(property.read(&model), GetParam().initial);

    QSignalSpy notified(&model, property.notifySignal());
    property.write(&model, GetParam().changed);
    property.write(&model, GetParam().changed);
    EXPECT_EQ(property.read(&model), GetParam().changed);
    EXPECT_EQ(notified.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ModelPropertyTest,
    ::testing::Values(PropertyCase{"profile", "balanced", "demolition"},
                      PropertyCase{"isDropTargeted", false, true},
                      PropertyCase{"targetEnabled", false, true},
                      PropertyCase{"targetMegabytes", 10.0, 2.5},
                      PropertyCase{"cleanMetadata", false, true},
                      PropertyCase{"exportMode", "chooseName", "replaceOriginal"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModelSettingsTest, UnknownNamesFromQmlAreIgnored)
{
    CompressorModel model;
    QSignalSpy profileSpy(&model, &CompressorModel::profileChanged);
    QSignalSpy modeSpy(&model, &CompressorModel::exportModeChanged);
    model.setProfileName("Balanced");
    model.setExportModeName("replace");
    EXPECT_EQ(model.profile(), CompressionProfile::balanced);
    EXPECT_EQ(model.exportMode(), ExportMode::chooseName);
    EXPECT_EQ(profileSpy.size() + modeSpy.size(), 0);
    EXPECT_FALSE(model.isWorking());
    EXPECT_EQ(model.globalMessage(), "");
}

} // namespace
} // namespace zurbo
