#include "FinderServicePhase.h"

namespace zurbo {

QString FinderServicePhase::rawValue() const
{
    switch (m_kind) {
    case Kind::working:
        return QStringLiteral("working");
    case Kind::complete:
        return QStringLiteral("complete");
    case Kind::failed:
        return QStringLiteral("failed");
    }
    return {};
}

} // namespace zurbo
