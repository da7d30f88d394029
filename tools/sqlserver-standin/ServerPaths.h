#pragma once

#include "HostProfile.h"

#include <QStringList>

namespace standin {

// Paths as the server names them, and where they lie on this machine. On Linux they are this
// machine's paths, relative ones taken from the data folder. In Windows mode a drive-letter path
// X:\a\b lies in <data folder>/drives/X/a/b; a drive's folder is made when a path names the drive.
class ServerPaths
{
public:
    ServerPaths(const HostProfile &host, QString dataDir);

    // The server's own data folder as the server names it, ending in its separator
    // (C:\SQLData\ in Windows mode).
    QString dataFolder() const;
    // Where the server's path lies on this machine; empty for a path that can lie nowhere here
    // (a network path in Windows mode).
    QString toLocal(const QString &serverPath) const;
    // The mount point of the volume the path lies on, as the server names it ("/", "C:\").
    QString volumeMountPoint(const QString &serverPath) const;
    // Windows mode: the drive letters that have a folder here, C first.
    QStringList drives() const;
    // The folder of a drive in Windows mode.
    QString driveFolder(QChar letter) const;
    // The nearest folder that exists at or above this machine's path (for volume sizes).
    static QString existingAncestor(const QString &localPath);

private:
    const HostProfile &m_host;
    QString m_dataDir;
};

} // namespace standin
