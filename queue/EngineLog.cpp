#include "EngineLog.h"

namespace zurbo {

Q_LOGGING_CATEGORY(zurboEngine, "zurbo.engine", QtWarningMsg)

EngineNotices engineLog(const QString& source)
{
    if (!zurboEngine().isInfoEnabled()) {
        return {};
    }
    return [source](const EngineNotice& notice) {
        qCInfo(zurboEngine).noquote() << QStringLiteral("%1: %2: %3")
                                             .arg(source, EngineNotice::name(notice.reason),
                                                  QString::fromStdString(notice.detail));
    };
}

} // namespace zurbo
