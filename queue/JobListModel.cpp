#include "JobListModel.h"

namespace zurbo {

namespace {

template <typename T> QVariant optionalValue(const std::optional<T>& value)
{
    return value ? QVariant::fromValue(*value) : QVariant();
}

} // namespace

JobListModel::JobListModel(QObject* parent) : QAbstractListModel(parent) {}

int JobListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant JobListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    return roleValue(m_jobs.at(index.row()), role);
}

QHash<int, QByteArray> JobListModel::roleNames() const
{
    return {
        {IdRole, "id"},
        {SourceRole, "source"},
        {FileNameRole, "fileName"},
        {OutputRole, "output"},
        {OriginalBytesRole, "originalBytes"},
        {OutputBytesRole, "outputBytes"},
        {StateRole, "state"},
        {MessageRole, "message"},
        {ProgressRole, "progress"},
        {TargetReachedRole, "targetReached"},
        {SavingsRole, "savings"},
        {EngineRole, "engine"},
        {NeedsPasswordRole, "needsPassword"},
    };
}

QVariantMap JobListModel::get(int row) const
{
    QVariantMap map;
    if (row < 0 || row >= count()) {
        return map;
    }
    const QHash<int, QByteArray> names = roleNames();
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        map.insert(QString::fromLatin1(it.value()), roleValue(m_jobs.at(row), it.key()));
    }
    return map;
}

int JobListModel::indexOf(const QUuid& id) const
{
    for (int row = 0; row < count(); ++row) {
        if (m_jobs.at(row).id == id) {
            return row;
        }
    }
    return -1;
}

void JobListModel::append(const QList<PDFJob>& jobs)
{
    if (!jobs.isEmpty()) {
        beginInsertRows({}, count(), count() + static_cast<int>(jobs.size()) - 1);
        m_jobs.append(jobs);
        endInsertRows();
    }
    emit jobsChanged();
}

void JobListModel::remove(const QUuid& id)
{
    const int row = indexOf(id);
    if (row >= 0) {
        beginRemoveRows({}, row, row);
        m_jobs.removeAt(row);
        endRemoveRows();
    }
    emit jobsChanged();
}

void JobListModel::clear()
{
    beginResetModel();
    m_jobs.clear();
    endResetModel();
    emit jobsChanged();
}

void JobListModel::update(int row, const std::function<void(PDFJob&)>& change)
{
    change(m_jobs[row]);
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
    emit jobsChanged();
}

QVariant JobListModel::roleValue(const PDFJob& job, int role)
{
    switch (role) {
    case IdRole:
        return job.id.toString(QUuid::WithoutBraces);
    case SourceRole:
        return job.source;
    case FileNameRole:
        return job.fileName();
    case OutputRole:
        return optionalValue(job.output);
    case OriginalBytesRole:
        return QVariant::fromValue(static_cast<qint64>(job.originalBytes));
    case OutputBytesRole:
        return job.outputBytes ? QVariant::fromValue(static_cast<qint64>(*job.outputBytes))
                               : QVariant();
    case StateRole:
        return job.state.rawValue();
    case MessageRole:
        return job.state.message();
    case ProgressRole:
        return job.progress;
    case TargetReachedRole:
        return optionalValue(job.targetReached);
    case SavingsRole:
        return optionalValue(job.savings());
    case EngineRole:
        return job.engine ? QVariant(QString::fromLatin1(PDFEngine::engineName(*job.engine)))
                          : QVariant();
    case NeedsPasswordRole:
        return job.needsPassword;
    }
    return {};
}

} // namespace zurbo
