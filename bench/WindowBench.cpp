// How quickly the main window shows its first frame after the process starts, and how
// long its frames take while a batch of ten PDFs runs. Not part of the test suite.
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise. Prints one line per figure.

#include "CompressorModel.h"
#include "ZurboApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr int jobCount = 10;
constexpr auto engineTimePerJob = 300ms;

// Milliseconds since this process was started by the kernel (10 ms resolution).
double millisecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // Field 22, counted after the command name's closing parenthesis (field 2).
    std::size_t position = text.rfind(')') + 2;
    for (int field = 3; field < 22; ++field) {
        position = text.find(' ', position) + 1;
    }
    const double startTicks = std::stod(text.substr(position));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs =
        static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    return nowMs - startTicks * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The longest frame (synchronisation to swap) and the longest gap between two frames.
struct FrameTimes {
    QElapsedTimer clock;
    qint64 frameStart = -1;
    qint64 lastSwap = -1;
    qint64 longestFrameNs = 0;
    qint64 longestGapNs = 0;
    int frames = 0;

    void watch(QQuickWindow* window)
    {
        clock.start();
        QObject::connect(
            window, &QQuickWindow::beforeSynchronizing, window,
            [this] { frameStart = clock.nsecsElapsed(); }, Qt::DirectConnection);
        QObject::connect(
            window, &QQuickWindow::frameSwapped, window,
            [this] {
                const qint64 now = clock.nsecsElapsed();
                if (frameStart >= 0) {
                    longestFrameNs = std::max(longestFrameNs, now - frameStart);
                }
                if (lastSwap >= 0) {
                    longestGapNs = std::max(longestGapNs, now - lastSwap);
                }
                lastSwap = now;
                ++frames;
            },
            Qt::DirectConnection);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    zurbo::ZurboApp app;
    app.start();
    QQuickWindow* window = app.mainWindow();
    if (window == nullptr) {
        return 1;
    }
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [] {
        static bool reported = false;
        if (!reported) {
            reported = true;
            std::printf("first frame after process start: %.0f ms\n",
                        millisecondsSinceProcessStart());
        }
    });

    QTemporaryDir folder;
    QList<QUrl> files;
    for (int index = 0; index < jobCount; ++index) {
        const QString path = folder.filePath(QStringLiteral("job%1.pdf").arg(index));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(2'000'000, 'x'));
        files.append(QUrl::fromLocalFile(path));
    }

    zurbo::CompressorModel& model = app.model();
    model.setExportModeName(QStringLiteral("replaceOriginal"));
    model.setCompressFunction([](const zurbo::CompressRequest& request) {
        std::this_thread::sleep_for(engineTimePerJob);
        return zurbo::PDFEngine::Result{request.destination.toStdString(), 800'000, std::nullopt};
    });

    FrameTimes frames;
    QTimer::singleShot(1000, &model, [&] {
        model.add(files);
        frames.watch(window);
        model.compressAll();
    });
    QObject::connect(&model, &zurbo::CompressorModel::isWorkingChanged, &application, [&] {
        if (!model.isWorking()) {
            std::printf("batch of %d jobs: %d frames, longest frame %.1f ms, longest gap between "
                        "frames %.1f ms\n",
                        jobCount, frames.frames, static_cast<double>(frames.longestFrameNs) / 1e6,
                        static_cast<double>(frames.longestGapNs) / 1e6);
            QApplication::quit();
        }
    });
    return QApplication::exec();
}
