#pragma once

#include "OpenPanel.h"

namespace zurbo {

// The open panel as a modal QFileDialog. Needs a QApplication.
class FileDialogOpenPanel : public OpenPanel {
public:
    std::optional<QList<QUrl>> run(const Settings& settings) override;
};

} // namespace zurbo
