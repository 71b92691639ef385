#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace zurbo {

// ----------------------------------------------------------------------------
// The quick action's hand-over: the launcher starts the program with
// "--finder-quick-action LIST", where LIST is a UTF-8 file holding one path
// per line. The paths never stand on the command line itself.
// ----------------------------------------------------------------------------
namespace quickaction {

inline const QString flag = QStringLiteral("--finder-quick-action");

// Whether the exact flag is among the arguments, wherever it stands.
bool hasFlag(const QStringList& arguments);

// The argument right after the first flag; none without the flag or when it
// is the last argument.
std::optional<QString> pathListFile(const QStringList& arguments);

// The text cut at every line break (LF, VT, FF, CR, NEL, LS, PS; CR LF counts
// as one), empty lines dropped, every other line kept whole, spaces included.
QStringList splitPathList(const QString& text);

// Reads the file as UTF-8 (anything unreadable or not UTF-8 reads as no
// text), deletes it whether or not the read worked, and splits the text.
QStringList takePathList(const QString& file);

// The locations whose name ends in ".pdf" in any letter case, in order,
// duplicates kept.
QList<QUrl> pdfUrls(const QList<QUrl>& urls);

QList<QUrl> fileUrls(const QStringList& paths);

// The PDFs the launcher handed over: the list file after the first flag,
// taken as above and filtered to PDFs; empty without a list file.
QList<QUrl> takeHandedOverPdfs(const QStringList& arguments);

} // namespace quickaction
} // namespace zurbo
