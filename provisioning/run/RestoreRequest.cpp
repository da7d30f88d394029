#include "RestoreRequest.h"

#include "Blanks.h"
#include "FilePlacement.h"
#include "NameRules.h"
#include "Statements.h"

namespace brevane::run {

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
    request.physicalData = base + FilePlacement::dataFileName(databaseName);
    request.physicalLog = base + FilePlacement::logFileName(databaseName);
    return request;
}

RestoreRequest RestoreRequest::fromMoves(
    const QString &backupFile, const QString &databaseName, const QList<FileMove> &moves)
{
    RestoreRequest request;
    request.backupFile = backupFile;
    request.databaseName = databaseName;
    bool data = false;
    bool log = false;
    for (const FileMove &move : moves) {
        if (!data && move.type == u"D") {
            data = true;
            request.logicalData = move.logicalName;
            request.physicalData = move.physicalName;
        } else if (!log && move.type == u"L") {
            log = true;
            request.logicalLog = move.logicalName;
            request.physicalLog = move.physicalName;
        } else {
            request.moreMoves.append(move);
        }
    }
    return request;
}

QString RestoreRequest::restoreStatement(const QString &deviceName) const
{
    QString statement = Statements::restoreDatabase(
        databaseName, deviceName, logicalData, physicalData, logicalLog, physicalLog);
    if (moreMoves.isEmpty())
        return statement;
    statement.chop(1);
    for (const FileMove &move : moreMoves)
        statement += QStringLiteral(", Move ") + Statements::literal(trimBlanks(move.logicalName))
            + QStringLiteral(" TO ") + Statements::literal(trimBlanks(move.physicalName));
    return statement + QLatin1Char(' ');
}

QStringList RestoreRequest::newFiles() const
{
    QStringList files { physicalData, physicalLog };
    for (const FileMove &move : moreMoves)
        files.append(move.physicalName);
    return files;
}

} // namespace brevane::run
