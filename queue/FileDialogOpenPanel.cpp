#include "FileDialogOpenPanel.h"

#include <QFileDialog>

namespace zurbo {

std::optional<QList<QUrl>> FileDialogOpenPanel::run(const Settings& settings)
{
    QFileDialog dialog;
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (settings.canChooseFolders) {
        dialog.setFileMode(QFileDialog::Directory);
    } else {
        dialog.setFileMode(settings.multipleSelection ? QFileDialog::ExistingFiles
                                                      : QFileDialog::ExistingFile);
    }
    // The dialog has no line for a message; its title carries it instead.
    dialog.setWindowTitle(settings.message);
    if (settings.pdfOnly) {
        dialog.setNameFilter(QStringLiteral("PDF (*.pdf *.PDF)"));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.selectedUrls();
}

} // namespace zurbo
