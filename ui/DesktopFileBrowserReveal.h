#pragma once

#include "FileBrowserReveal.h"

namespace zurbo {

// Asks the desktop's file manager over D-Bus (org.freedesktop.FileManager1
// ShowItems) and, when none answers, opens the containing folder instead.
class DesktopFileBrowserReveal : public FileBrowserReveal {
    Q_OBJECT

public:
    using FileBrowserReveal::FileBrowserReveal;

    void reveal(const QString& path) override;
};

} // namespace zurbo
