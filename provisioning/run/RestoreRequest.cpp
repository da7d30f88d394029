#include "RestoreRequest.h"

namespace brevane {

RestoreRequest RestoreRequest::intoFolder(
    const QString &backupFile, const BackupFileList &list, const QString &databaseName, const QString &folder)
{
    QString base = folder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');

    RestoreRequest request;
    request.backupFile = backupFile;
    request.databaseName = databaseName;
    if (list.hasDataAndLog()) {
        request.logicalData = list.data().logicalName;
        request.logicalLog = list.log().logicalName;
    }
    request.physicalData = base + databaseName + QStringLiteral(".mdf");
    request.physicalLog = base + databaseName + QStringLiteral("_Log.ldf");
    return request;
}

} // namespace brevane
