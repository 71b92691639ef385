#pragma once

#include "FileBrowserReveal.h"

#include <QStringList>

namespace zurbo::testing {

// Records what the window asked the file browser to show.
class RecordingFileBrowser : public FileBrowserReveal {
    Q_OBJECT

public:
    using FileBrowserReveal::FileBrowserReveal;

    void reveal(const QString& path) override { revealed.append(path); }

    QStringList revealed;
};

} // namespace zurbo::testing
