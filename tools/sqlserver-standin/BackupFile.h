#pragma once

#include "ServerVersion.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace standin {

// One file of the database a backup holds, as RESTORE FILELISTONLY lists it.
struct BackupFileEntry
{
    QString logicalName;
    QString physicalName; // the path the file had on the server that made the backup
    QChar type; // D data, L log, F full-text catalogue, S FileStream container
    qint64 size = 0; // bytes
};

struct BackupContents
{
    QString databaseName;
    QList<BackupFileEntry> files;
    // The server that made the backup, as RESTORE HEADERONLY reports it. Files written before these
    // were recorded read as a backup of the default version.
    ServerVersion softwareVersion;
    int databaseVersion = ServerVersion().databaseVersion();
    QDateTime created;
    bool hasChecksums = true; // a checksum over the whole file, so a changed byte is found
};

// The stand-in's own backup format: a magic line, the file list as JSON, a few pages of made-up data
// and, unless left out, a checksum line over everything before it. It holds no real data.
class BackupFile
{
public:
    enum class Status { Ok, FileMissing, PathMissing, AccessDenied, NotABackup };
    // Intact also for a changed byte in a backup without checksums: nothing can find it.
    enum class Integrity { Intact, Truncated, Damaged };

    struct ReadResult
    {
        Status status = Status::NotABackup;
        BackupContents contents;
        Integrity integrity = Integrity::Intact;
        int damagedPage = 0; // for Damaged: the first data page that differs, 0 for the header
    };

    static QByteArray magicLine();
    static ReadResult read(const QString &path);
    static bool write(const QString &path, const BackupContents &contents, QString *error);
    // Default sizes when make-backup is given none.
    static qint64 defaultSize(QChar type);
};

} // namespace standin
