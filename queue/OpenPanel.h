#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace zurbo {

// ----------------------------------------------------------------------------
// A modal "open files" dialog, behind an interface so that models can be
// driven by scripted answers.
// ----------------------------------------------------------------------------
class OpenPanel {
public:
    struct Settings {
        QString message;
        bool multipleSelection = true;
        bool pdfOnly = true;
        bool canChooseFolders = false;
    };

    virtual ~OpenPanel() = default;

    // Blocks until the user answers: the chosen files in the dialog's order,
    // or none when the user cancelled.
    virtual std::optional<QList<QUrl>> run(const Settings& settings) = 0;
};

} // namespace zurbo
