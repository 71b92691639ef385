#pragma once

#include <QString>

#include <utility>

namespace zurbo {

// ----------------------------------------------------------------------------
// Where a quick-action run is: still asking or compressing, done, or stopped
// with the user-facing text of why.
//
// Two phases are equal when they are the same case; two failures only when
// their messages are equal too.
// ----------------------------------------------------------------------------
class FinderServicePhase {
public:
    enum class Kind { working, complete, failed };

    FinderServicePhase() = default;

    static FinderServicePhase working() { return FinderServicePhase(Kind::working, {}); }
    static FinderServicePhase complete() { return FinderServicePhase(Kind::complete, {}); }
    static FinderServicePhase failed(QString message)
    {
        return FinderServicePhase(Kind::failed, std::move(message));
    }

    Kind kind() const { return m_kind; }
    bool is(Kind kind) const { return m_kind == kind; }
    // The failure's text; empty for the other cases.
    const QString& message() const { return m_message; }
    // "working", "complete" or "failed": the case's name, as QML reads it.
    QString rawValue() const;

    friend bool operator==(const FinderServicePhase&, const FinderServicePhase&) = default;

private:
    FinderServicePhase(Kind kind, QString message) : m_kind(kind), m_message(std::move(message)) {}

    Kind m_kind = Kind::working;
    QString m_message;
};

} // namespace zurbo
