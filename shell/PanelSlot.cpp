#include "PanelSlot.h"

#include <QDir>
#include <QStandardPaths>

namespace zurbo {

PanelSlot::PanelSlot(const QString& folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        return;
    }
    for (int index = 0; index < slotCount; ++index) {
        auto lock = std::make_unique<QLockFile>(
            QDir(folder).filePath(QStringLiteral("panel-%1.lock").arg(index)));
        // A holder that is gone leaves a stale file, which the lock takes over; age alone
        // never makes a live panel's slot free.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_index = index;
            return;
        }
    }
}

PanelSlot::~PanelSlot() = default;

QString PanelSlot::userFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QString() : QDir(runtime).filePath(QStringLiteral("zurbo"));
}

} // namespace zurbo
