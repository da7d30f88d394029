#pragma once

#include "BackupFileList.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace brevane::run {

// Where one of the backup's files goes.
struct FileMove
{
    QString logicalName;
    QString physicalName;
    QString type; // D, L, S or F
};

// What a restore needs: the backup, the new name and where each of the
// backup's two files goes. Texts are used as given (the restore trims them).
struct RestoreRequest
{
    QString backupFile;
    QString databaseName;
    QString logicalData;
    QString logicalLog;
    QString physicalData;
    QString physicalLog;
    QList<FileMove> moreMoves; // the backup's files beyond the data file and the log
    int progressPercent = 0; // 0: no progress messages; else the STATS step
    bool backupOnServerOnly = false; // the backup lies where only the server sees it: not looked for here

    // The restore statement from the dump device: two MOVE clauses, data and
    // log, then one for each further file.
    QString restoreStatement(const QString &deviceName) const;
    // Every new file's path, data file first.
    QStringList newFiles() const;

    // The files of `list` moved into `folder` under the database's name, as
    // the folder chooser names them: NAME.mdf and NAME_Log.ldf.
    static RestoreRequest intoFolder(const QString &backupFile, const BackupFileList &list,
        const QString &databaseName, const QString &folder);
    // The restore of every placed file: the first data file and the first
    // log fill the two MOVE clauses, the others follow in their order.
    static RestoreRequest fromMoves(
        const QString &backupFile, const QString &databaseName, const QList<FileMove> &moves);
};

} // namespace brevane::run
