#include "DesktopFileBrowserReveal.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace zurbo::testing {
namespace {

// Stands in for the desktop's file manager on a private bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

// Catches what would go to QDesktopServices::openUrl for file URLs.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

const QString revealedPath = QStringLiteral("/home/ana/informes/informe.pdf");
const QList<QUrl> containingFolder{QUrl::fromLocalFile("/home/ana/informes")};

class Reveal : public ::testing::Test {
protected:
    void SetUp() override { QDesktopServices::setUrlHandler("file", &urls, "open"); }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler("file");
        daemon.kill();
        daemon.waitForFinished();
    }

    OpenedUrls urls;
    QProcess daemon;
};

TEST_F(Reveal, WithoutABusOpensTheContainingFolder)
{
    DesktopFileBrowserReveal reveal(
        QDBusConnection::connectToBus("unix:path=/nonexistent", "none"));
    reveal.reveal(revealedPath);
    EXPECT_EQ(urls.opened, containingFolder);
}

// On a private session bus: the folder while no file manager answers, then the file itself.
TEST_F(Reveal, AsksTheFileManagerToShowTheFileAndFallsBackToTheFolder)
{
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
        GTEST_SKIP() << "no dbus-daemon";
    }
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();

    DesktopFileBrowserReveal lonely(QDBusConnection::connectToBus(address, "lonely"));
    lonely.reveal(revealedPath);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !urls.opened.isEmpty(); }, 5000));
    EXPECT_EQ(urls.opened, containingFolder);
    urls.opened.clear();

    QDBusConnection service = QDBusConnection::connectToBus(address, "fileManager");
    FakeFileManager fileManager;
    ASSERT_TRUE(service.registerService("org.freedesktop.FileManager1"));
    ASSERT_TRUE(service.registerObject("/org/freedesktop/FileManager1", &fileManager,
                                       QDBusConnection::ExportScriptableSlots));
    DesktopFileBrowserReveal reveal(QDBusConnection::connectToBus(address, "window"));
    reveal.reveal(revealedPath);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fileManager.shown.isEmpty(); }, 5000));
    EXPECT_EQ(fileManager.shown, QStringList{"file:///home/ana/informes/informe.pdf"});
    EXPECT_TRUE(urls.opened.isEmpty());
}

} // namespace
} // namespace zurbo::testing

#include "FileBrowserRevealTest.moc"
