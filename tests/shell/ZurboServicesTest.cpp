#include "ZurboServices.h"

#include "QueueTestSupport.h"

#include <QDBusConnection>
#include <QDir>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using testing::pathIn;

// Runs on a private session bus (dbus-run-session); the request comes from
// another process, as a file manager's would.
class ZurboServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QDBusConnection::sessionBus().isConnected()) {
            GTEST_SKIP() << "no session bus; run under dbus-run-session";
        }
        ASSERT_TRUE(services.registerOn(QDBusConnection::sessionBus()));
    }

    void TearDown() override
    {
        QDBusConnection::sessionBus().unregisterObject(ZurboServices::objectPath);
        QDBusConnection::sessionBus().unregisterService(ZurboServices::serviceName);
    }

    // The method's answer as dbus-send prints it, once the event loop has
    // had a moment to open whatever the request opens.
    QString request(const QStringList& uris)
    {
        QProcess client;
        client.start("dbus-send",
                     {"--session", "--print-reply=literal", "--dest=" + ZurboServices::serviceName,
                      ZurboServices::objectPath, "app.zurbo.Services.compressPDFs",
                      "array:string:" + uris.join(',')});
        EXPECT_TRUE(
            QTest::qWaitFor([&client] { return client.state() == QProcess::NotRunning; }, 10000));
        EXPECT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString();
        QTest::qWait(20);
        return QString::fromUtf8(client.readAllStandardOutput()).trimmed();
    }

    testing::TestFolder folder;
    QList<QList<QUrl>> panels;
    ZurboServices services{[this](const QList<QUrl>& urls) { panels.append(urls); }};
};

TEST_F(ZurboServicesTest, ARequestWithoutPdfsGetsTheErrorTextAndOpensNothing)
{
    const QString notes = testing::writeSizedFile(folder, "notes.txt", 10);
    EXPECT_EQ(request({QUrl::fromLocalFile(notes).toString()}),
              "ZURBO no ha recibido ningún PDF. El Finder se ha hecho el sueco.");
    EXPECT_TRUE(panels.isEmpty());
}

TEST_F(ZurboServicesTest, OnlyThePdfsOfARequestReachThePanel)
{
    QDir().mkpath(pathIn(folder, "scans"));
    const QString report = testing::writeSizedFile(folder, "report.PDF", 10);
    EXPECT_EQ(request({QUrl::fromLocalFile(pathIn(folder, "scans")).toString(),
                       QUrl::fromLocalFile(report).toString(), "https://example.org/web.pdf"}),
              "");
    ASSERT_EQ(panels.size(), 1);
    EXPECT_EQ(panels.front(), QList<QUrl>{QUrl::fromLocalFile(report)});
}

} // namespace
} // namespace zurbo
