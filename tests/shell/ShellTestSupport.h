#pragma once

#include "FinderServiceProgressModel.h"
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace zurbo::testing {

// Sources written into a fresh folder, save dialogs that put each one in
// "out/" under its own name, and a scripted engine.
class ShellTest : public ::testing::Test {
protected:
    QList<QUrl> addSources(const QStringList& names, qint64 bytes = 1000)
    {
        QStringList paths;
        for (const QString& name : names) {
            paths.append(writeSizedFile(folder, name, bytes));
            panel->answers.push_back(pathIn(folder, "out/" + name));
        }
        return fileUrls(paths);
    }

    std::unique_ptr<FinderServiceProgressModel> makeModel(const QStringList& names,
                                                          qint64 bytes = 1000)
    {
        return std::make_unique<FinderServiceProgressModel>(addSources(names, bytes), panel,
                                                            engine.function());
    }

    static bool runToEnd(FinderServiceProgressModel& model)
    {
        model.start();
        return QTest::qWaitFor(
            [&model] { return !model.phase().is(FinderServicePhase::Kind::working); }, 10000);
    }

    TestFolder folder;
    ScriptedEngine engine;
    std::shared_ptr<ScriptedSavePanel> panel = std::make_shared<ScriptedSavePanel>();
};

} // namespace zurbo::testing
