#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace zurbo {
namespace {

// Whether the process has a handler for `signal`: from then on it is ready to take it.
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return false;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
        }
    }
    return false;
}

// Logout, shutdown and Ctrl+C close the application as its window's close button does:
// an orderly end, not a sudden death that leaves an engine and a working file behind.
TEST(ZurboAppTest, TerminationSignalsCloseTheApplication)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        QProcess application;
        application.start(ZURBO_EXECUTABLE, {});
        ASSERT_TRUE(application.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([&] { return catches(application.processId(), signal); }));
        ::kill(static_cast<pid_t>(application.processId()), signal);
        ASSERT_TRUE(application.waitForFinished(10'000));
        EXPECT_EQ(application.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(application.exitCode(), 0);
    }
}

} // namespace
} // namespace zurbo
