#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace zurbo {

// ----------------------------------------------------------------------------
// Which URIs name a file on this machine: a "file:" URI with an absolute path
// and either no host or the host "localhost" ("file:///d/a.pdf",
// "file://localhost/d/a.pdf"). A URI with another host, or a relative "file:"
// URI, names no local file.
// ----------------------------------------------------------------------------

// The local path that `url` names; none when it names no local file.
std::optional<QString> localFilePath(const QUrl& url);

// The URLs that name local files, in order, each rewritten as the plain
// "file:///" URL of its path.
QList<QUrl> localFileUrls(const QList<QUrl>& urls);

} // namespace zurbo
