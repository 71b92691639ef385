#pragma once

#include "OpenPanel.h"
#include "SavePanel.h"

#include <functional>

namespace zurbo::testing {

// Answers save panels from a list, in order; cancels once the list is used up.
class ScriptedSavePanel : public SavePanel {
public:
    QList<std::optional<QString>> answers;
    // Runs while each panel is "up", before it answers.
    std::function<void()> whileShown = [] {};
    QList<Settings> shown;

    std::optional<QString> run(const Settings& settings) override
    {
        shown.append(settings);
        whileShown();
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
};

class ScriptedOpenPanel : public OpenPanel {
public:
    std::optional<QList<QUrl>> answer;
    QList<Settings> shown;

    std::optional<QList<QUrl>> run(const Settings& s) override { return shown.append(s), answer; }
};

} // namespace zurbo::testing
