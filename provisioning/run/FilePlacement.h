#pragma once

#include "BackupFileList.h"
#include "RestoreRequest.h"

#include <QList>
#include <QMap>
#include <QString>

namespace brevane::run {

// Where the new database's files go: data files into dataFolder, logs into
// logFolder, and the files named in `moves` (by logical name) to their own path.
struct FolderChoice
{
    QString dataFolder;
    QString logFolder;
    QMap<QString, QString> moves;
};

// Places every file of a backup by its Type, never by its row: the first data
// file becomes NAME.mdf, further data files NAME_2.ndf, NAME_3.ndf ... in
// file-list order; the first log NAME_Log.ldf, further logs NAME_Log2.ldf ...;
// FILESTREAM and full-text rows folders NAME_<logical name> beside the data.
class FilePlacement
{
public:
    // The names of a database's first data file and first log: NAME.mdf, NAME_Log.ldf.
    static QString dataFileName(const QString &databaseName);
    static QString logFileName(const QString &databaseName);

    // The kinds of row a restore can move.
    static bool isKnownType(const QString &type);

    // Why the list cannot be restored whole (a row of unknown type, no data
    // file, no log), or an empty text when every row can be placed.
    static QString refusal(const BackupFileList &list);

    static QList<FileMove> place(
        const BackupFileList &list, const QString &databaseName, const FolderChoice &folders);

    // folder and name joined with the folder's own separator ("\" for a
    // folder written with backslashes only), one separator between them.
    static QString join(const QString &folder, const QString &name);
};

} // namespace brevane::run
