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

class Reveal : public ::testing::Test {
protected:
    void SetUp() override { QDesktopServices::setUrlHandler("file", &urls, "open"); }
    void TearDown() override {
        QDesktopServices::unsetUrlHandler("file");
        daemon.kill();
        daemon.waitForFinished();
    }

    // A private session bus; empty when no dbus-daemon can be started.
    QString startBus() {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
            return {};
        }
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!daemon.waitForReadyRead(5000)) {
            return {};
        }
        return QString::fromUtf8(daemon.readLine()).trimmed();
    }

    OpenedUrls urls;
    QProcess daemon;
};

TEST_F(Reveal, WithoutABusOpensTheContainingFolder) {
    DesktopFileBrowserReveal reveal(
        QDBusConnection::connectToBus("unix:path=/nonexistent", "none"));
    reveal.reveal(revealedPath);
    EXPECT_EQ(urls.opened, QList<QUrl>{QUrl::fromLocalFile("/home/ana/informes")});
}

TEST_F(Reveal, AsksTheFileManagerToShowTheFile) {
    const QString address = startBus();
    if (address.isEmpty()) {
        GTEST_SKIP() << "no dbus-daemon";
    }
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

TEST_F(Reveal, FallsBackToTheFolderWhenNoFileManagerAnswers) {
    const QString address = startBus();
    if (address.isEmpty()) {
        GTEST_SKIP() << "no dbus-daemon";
    }
    DesktopFileBrowserReveal reveal(QDBusConnection::connectToBus(address, "lonely"));
    reveal.reveal(revealedPath);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !urls.opened.isEmpty(); }, 5000));
    EXPECT_EQ(urls.opened, QList<QUrl>{QUrl::fromLocalFile("/home/ana/informes")});
}

} // namespace
} // namespace zurbo::testing

#include "FileBrowserRevealTest.moc"
