#include "ScriptedPanels.h"

namespace zurbo::testing {

std::optional<QString> ScriptedSavePanel::run(const Settings& settings)
{
    shown.append(settings);
    if (whileShown) {
        whileShown();
    }
    return answers.isEmpty() ? std::nullopt : answers.takeFirst();
}

std::optional<QList<QUrl>> ScriptedOpenPanel::run(const Settings& settings)
{
    shown.append(settings);
    return answer;
}

} // namespace zurbo::testing
