#include "FileDialogSavePanel.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

namespace zurbo {

namespace {

// Qt's own dialog reads double quotes in the name field as a list of names
// ("a" "b"), so a name holding one came back as another file: the part after
// the quote. Such a name is taken as typed, with the same confirmation
// before replacing a file.
class SaveDialog : public QFileDialog {
public:
    QString chosenFile() const
    {
        if (!m_typedPath.isEmpty()) {
            return m_typedPath;
        }
        const QStringList files = selectedFiles();
        return files.isEmpty() ? QString() : files.constFirst();
    }

protected:
    void accept() override
    {
        const auto* nameField = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = nameField ? nameField->text() : QString();
        if (!typed.contains(u'"')) {
            QFileDialog::accept();
            return;
        }
        QString path = directory().absoluteFilePath(typed);
        if (QFileInfo(path).suffix().isEmpty() && !defaultSuffix().isEmpty()) {
            path += u'.' + defaultSuffix();
        }
        const QFileInfo file(path);
        if (file.isDir() || (file.exists() && !confirmReplacing(file.fileName()))) {
            return;
        }
        m_typedPath = path;
        QDialog::accept();
    }

private:
    bool confirmReplacing(const QString& name)
    {
        const QString question = QCoreApplication::translate(
            "QFileDialog", "%1 already exists.\nDo you want to replace it?");
        return QMessageBox::warning(this, windowTitle(), question.arg(name),
                                    QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    }

    QString m_typedPath;
};

} // namespace

std::optional<QString> FileDialogSavePanel::run(const Settings& settings)
{
    SaveDialog dialog;
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
    if (dialog.exec() != QDialog::Accepted || dialog.chosenFile().isEmpty()) {
        return std::nullopt;
    }
    return dialog.chosenFile();
}

} // namespace zurbo
