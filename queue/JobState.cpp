#include "JobState.h"

namespace zurbo {

QString JobState::rawValue() const
{
    switch (m_kind) {
    case Kind::waiting:
        return QStringLiteral("waiting");
    case Kind::compressing:
        return QStringLiteral("compressing");
    case Kind::complete:
        return QStringLiteral("complete");
    case Kind::failed:
        return QStringLiteral("failed");
    }
    return {};
}

} // namespace zurbo
