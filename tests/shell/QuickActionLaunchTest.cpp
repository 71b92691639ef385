#include "QuickActionLaunch.h"

#include "QueueTestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <ostream>

namespace zurbo {
namespace {

using testing::pathIn;

struct SplitCase {
    const char* name;
    QString text;
    QStringList paths;
    friend void PrintTo(const SplitCase& value, std::ostream* out) { *out << value.name; }
};

class PathListSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathListSplitTest, CutsAtEveryLineBreakAndDropsEmptyLines) {
    EXPECT_EQ(quickaction::splitPathList(GetParam().text), GetParam().paths);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PathListSplitTest,
    ::testing::Values(
        SplitCase{"example", "a.pdf\n\nb.PDF\nc.txt\n", {"a.pdf", "b.PDF", "c.txt"}},
        SplitCase{"crlf", "/x/a.pdf\r\n/x/b.pdf\r\n", {"/x/a.pdf", "/x/b.pdf"}},
        SplitCase{"lineSeparator", QString::fromUtf8("a.pdf\u2028b.pdf"), {"a.pdf", "b.pdf"}},
        SplitCase{"everyOtherBreak",
                  QString::fromUtf8("a\vb\fc\rd\u0085e\u2029f"),
                  {"a", "b", "c", "d", "e", "f"}},
        SplitCase{"spacesKept", " a.pdf\nb.pdf \n \n", {" a.pdf", "b.pdf ", " "}},
        SplitCase{"tabIsNoBreak", "a\tb.pdf", {"a\tb.pdf"}}, SplitCase{"empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ArgumentsCase {
    const char* name;
    QStringList arguments;
    std::optional<QString> listFile;
    bool flag;
    friend void PrintTo(const ArgumentsCase& value, std::ostream* out) { *out << value.name; }
};

class QuickActionArgumentsTest : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(QuickActionArgumentsTest, TakesTheArgumentAfterTheFirstFlag) {
    EXPECT_EQ(quickaction::pathListFile(GetParam().arguments), GetParam().listFile);
    EXPECT_EQ(quickaction::hasFlag(GetParam().arguments), GetParam().flag);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, QuickActionArgumentsTest,
    ::testing::Values(
        ArgumentsCase{"plain", {"zurbo"}, std::nullopt, false},
        ArgumentsCase{"flagAndList", {"zurbo", "--finder-quick-action", "/t/l"}, "/t/l", true},
        ArgumentsCase{"flagTwice",
                      {"zurbo", "--finder-quick-action", "/t/1", "--finder-quick-action", "/t/2"},
                      "/t/1",
                      true},
        ArgumentsCase{"flagLast", {"zurbo", "/t/l", "--finder-quick-action"}, std::nullopt, true},
        ArgumentsCase{
            "otherCase", {"zurbo", "--Finder-Quick-Action", "/t/l"}, std::nullopt, false}),
    [](const auto& info) { return std::string(info.param.name); });

class PathListFileTest : public ::testing::Test {
protected:
    QString writeList(const QByteArray& bytes) {
        const QString path = pathIn(folder, "list");
        testing::writeFile(path.toStdString(), bytes.toStdString());
        return path;
    }

    testing::TestFolder folder;
};

TEST_F(PathListFileTest, HandsOverThePdfsInOrderAndDeletesTheList) {
    const QString list = writeList("/d/a.pdf\n\n/d/b.PDF\n/d/c.txt\n /d/a.pdf\n/d/a.pdf\n");
    const QList<QUrl> pdfs =
        quickaction::takeHandedOverPdfs({"zurbo", "--finder-quick-action", list});
    EXPECT_EQ(pdfs, testing::fileUrls({"/d/a.pdf", "/d/b.PDF", " /d/a.pdf", "/d/a.pdf"}));
    EXPECT_FALSE(QFile::exists(list));
}

TEST_F(PathListFileTest, TextThatIsNotUtf8ReadsAsNothingAndIsDeletedAnyway) {
    const QString list = writeList("/d/caf\xe9.pdf\n");
    EXPECT_TRUE(quickaction::takePathList(list).isEmpty());
    EXPECT_FALSE(QFile::exists(list));
}

TEST_F(PathListFileTest, AMissingListIsAnEmptyList) {
    EXPECT_TRUE(quickaction::takePathList(pathIn(folder, "gone")).isEmpty());
}

TEST_F(PathListFileTest, WithTheFlagLastNothingIsRead) {
    const QString list = writeList("/d/a.pdf\n");
    const QStringList arguments{"zurbo", list, "--finder-quick-action"};
    EXPECT_TRUE(quickaction::takeHandedOverPdfs(arguments).isEmpty());
    EXPECT_TRUE(QFile::exists(list));
}

TEST(PdfUrlsTest, KeepsNamesEndingInPdfInAnyCase) {
    const QList<QUrl> urls = testing::fileUrls(
        {"/d/a.pdf", "/d/b.PDF", "/d/c.txt", "/d/folder", "/d/d.pdf.txt", "/d/e.tar.Pdf"});
    EXPECT_EQ(quickaction::pdfUrls(urls),
              testing::fileUrls({"/d/a.pdf", "/d/b.PDF", "/d/e.tar.Pdf"}));
}

} // namespace
} // namespace zurbo
