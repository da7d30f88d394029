#pragma once

#include "QuilvetInternal.h"

#include <QString>
#include <QStringList>

namespace quilvet::LibraryLocation {

// The file this library was loaded from, its SONAME, and the folders the
// dynamic loader searches by itself (its built-in folders and those of
// /etc/ld.so.conf), which neither the environment nor the run path of one
// process changes.
QString loadedFile();
QString soname();
QStringList loaderFolders();

// What the registration records as the library: the bare SONAME when the
// library lies in one of searchFolders, else the path of the SONAME link
// beside it, so that an upgrade (a new versioned file, the link moved on) or a
// move to another library folder keeps registered hosts working. The versioned
// file itself only when no SONAME link beside it leads to it.
QUILVET_INTERNAL QString serverPath(
    const QString &loadedFile, const QString &soname, const QStringList &searchFolders);

} // namespace quilvet::LibraryLocation
