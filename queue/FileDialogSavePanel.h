#pragma once

#include "SavePanel.h"

namespace zurbo {

// The save panel as a modal QFileDialog; it asks before overwriting a file.
// Needs a QApplication.
class FileDialogSavePanel : public SavePanel {
public:
    std::optional<QString> run(const Settings& settings) override;
};

} // namespace zurbo
