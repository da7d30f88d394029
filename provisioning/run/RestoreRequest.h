#pragma once

#include "BackupFileList.h"

#include <QString>

namespace brevane {

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
    int progressPercent = 0; // 0: no progress messages; else the STATS step

    // The files of `list` moved into `folder` under the database's name, as
    // the folder chooser names them: NAME.mdf and NAME_Log.ldf.
    static RestoreRequest intoFolder(const QString &backupFile, const BackupFileList &list,
        const QString &databaseName, const QString &folder);
};

} // namespace brevane
