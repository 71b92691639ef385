#include "FileDialogSavePanel.h"

#include <QFileDialog>

namespace zurbo {

std::optional<QString> FileDialogSavePanel::run(const Settings& settings)
{
    QFileDialog dialog;
    // The quick-action panel floats above ordinary windows; its dialogs must not hide under it.
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog has no line for a message; its title carries it instead.
    dialog.setWindowTitle(settings.message);
    dialog.setLabelText(QFileDialog::Accept, settings.prompt);
    if (settings.pdfOnly) {
        dialog.setNameFilter(QStringLiteral("PDF (*.pdf *.PDF)"));
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
    }
    dialog.setOption(QFileDialog::ReadOnly, !settings.canCreateFolders);
    dialog.setDirectory(settings.startFolder);
    dialog.selectFile(settings.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace zurbo
