#pragma once

#include "EngineNotice.h"

#include <QLoggingCategory>
#include <QString>

namespace zurbo {

// What the native engine left as it was, and why: info lines, off unless
// turned on, e.g. QT_LOGGING_RULES="zurbo.engine.info=true".
Q_DECLARE_LOGGING_CATEGORY(zurboEngine)

// Writes the notices of compressing `source` to the zurbo.engine category;
// none (and no work for the engine) while its info lines are off.
EngineNotices engineLog(const QString& source);

} // namespace zurbo
