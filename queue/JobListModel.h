#pragma once

#include "PDFJob.h"

#include <QAbstractListModel>
#include <QList>
#include <QUuid>
#include <QVariantMap>

#include <functional>

namespace zurbo {

// ----------------------------------------------------------------------------
// The queue of PDFJob values, shown to QML as a list model with one row per
// job. It owns the only list of jobs; every write goes through it so that
// the rows and the list never disagree, and every write ends with
// jobsChanged(), even one that found nothing to change.
// ----------------------------------------------------------------------------
class JobListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY jobsChanged)

public:
    enum Role {
        IdRole = Qt::UserRole, // text, without braces
        SourceRole,
        FileNameRole,
        OutputRole, // undefined until a run succeeded
        OriginalBytesRole,
        OutputBytesRole, // undefined until a run succeeded
        StateRole,       // "waiting", "compressing", "complete" or "failed"
        MessageRole,     // the failure's text, otherwise empty
        ProgressRole,
        TargetReachedRole, // undefined when the run had no target
        SavingsRole,       // undefined when there is no figure
        EngineRole,        // "ghostscript", "qpdf" or "native"; undefined until a run succeeded
        NeedsPasswordRole, // the last run failed for want of the source's password
    };
    Q_ENUM(Role)

    explicit JobListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // One job as a map keyed by the role names; empty for a row out of range.
    Q_INVOKABLE QVariantMap get(int row) const;

    const QList<PDFJob>& jobs() const { return m_jobs; }
    int count() const { return static_cast<int>(m_jobs.size()); }
    // The row of the job with `id`, or -1.
    int indexOf(const QUuid& id) const;

    void append(const QList<PDFJob>& jobs);
    void remove(const QUuid& id);
    void clear();
    // Applies `change` to the job at `row`, which must exist.
    void update(int row, const std::function<void(PDFJob&)>& change);

    static QVariant roleValue(const PDFJob& job, int role);

signals:
    void jobsChanged();

private:
    QList<PDFJob> m_jobs;
};

} // namespace zurbo
