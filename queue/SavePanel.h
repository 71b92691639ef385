#pragma once

#include <QString>

#include <optional>

namespace zurbo {

// ----------------------------------------------------------------------------
// A modal "save as" dialog, behind an interface so that models can be driven
// by scripted answers. The real one confirms before overwriting an existing
// file.
// ----------------------------------------------------------------------------
class SavePanel {
public:
    struct Settings {
        QString message;
        // The label of the button that accepts.
        QString prompt;
        bool pdfOnly = true;
        bool canCreateFolders = true;
        QString startFolder;
        QString proposedName;
    };

    virtual ~SavePanel() = default;

    // Blocks until the user answers: the chosen absolute path, or none when
    // the user cancelled.
    virtual std::optional<QString> run(const Settings& settings) = 0;
};

} // namespace zurbo
