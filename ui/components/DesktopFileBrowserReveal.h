#pragma once

#include "FileBrowserReveal.h"

#include <QDBusConnection>

namespace zurbo {

// Asks the desktop's file manager over D-Bus (org.freedesktop.FileManager1
// ShowItems), one call for all the files; when none answers, opens each
// containing folder once instead.
class DesktopFileBrowserReveal : public FileBrowserReveal {
    Q_OBJECT

public:
    // `bus` is where the file manager is asked; the session bus by default.
    explicit DesktopFileBrowserReveal(QDBusConnection bus = QDBusConnection::sessionBus(),
                                      QObject* parent = nullptr);

    void reveal(const QStringList& paths) override;

private:
    QDBusConnection m_bus;
};

} // namespace zurbo
