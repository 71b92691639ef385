#include "FileDialogSavePanel.h"
#include "QueueTestSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

// Qt's own dialog reads double quotes in the name field as a list of names; the name the
// user confirmed is the name written, never the part after a quote.
TEST(FileDialogSavePanelTest, AcceptsTheProposedNameAsItStands)
{
    const testing::TestFolder folder;
    const QString name = "quo'te\"d.pdf";
    QTimer accepter;
    QObject::connect(&accepter, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        }
    });
    accepter.start(50);
    const std::optional<QString> chosen =
        FileDialogSavePanel().run({.message = "m",
                                   .prompt = "GUARDAR PDF",
                                   .startFolder = testing::pathIn(folder, ""),
                                   .proposedName = name});
    EXPECT_EQ(chosen, testing::pathIn(folder, name));
}

} // namespace
} // namespace zurbo
