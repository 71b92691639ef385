#pragma once

#include <QString>

#include <utility>

namespace zurbo {

// ----------------------------------------------------------------------------
// Where one queued PDF is in its life: waiting, being compressed, done, or
// failed with the user-facing text of what went wrong.
//
// Two states are equal when they are the same case; two failures only when
// their messages are equal too.
// ----------------------------------------------------------------------------
class JobState {
public:
    enum class Kind { waiting, compressing, complete, failed };

    JobState() = default;

    static JobState waiting() { return JobState(Kind::waiting, {}); }
    static JobState compressing() { return JobState(Kind::compressing, {}); }
    static JobState complete() { return JobState(Kind::complete, {}); }
    static JobState failed(QString message) { return JobState(Kind::failed, std::move(message)); }

    Kind kind() const { return m_kind; }
    bool is(Kind kind) const { return m_kind == kind; }
    // The failure's text; empty for the other cases.
    const QString& message() const { return m_message; }
    // "waiting", "compressing", "complete" or "failed": the case's name, as QML reads it.
    QString rawValue() const;

    friend bool operator==(const JobState&, const JobState&) = default;

private:
    JobState(Kind kind, QString message) : m_kind(kind), m_message(std::move(message)) {}

    Kind m_kind = Kind::waiting;
    QString m_message;
};

} // namespace zurbo
