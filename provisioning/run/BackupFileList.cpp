#include "BackupFileList.h"

namespace brevane::run {

BackupFileList BackupFileList::fromRecordset(db::Recordset recordset)
{
    QList<BackupFile> files;
    if (recordset.RecordCount() == 0)
        return BackupFileList(files);
    const int typeColumn = recordset.columnIndex(QStringLiteral("Type"));
    const int sizeColumn = recordset.columnIndex(QStringLiteral("Size"));
    for (recordset.MoveFirst(); !recordset.atEnd(); recordset.MoveNext()) {
        BackupFile file;
        file.logicalName = recordset.Fields(0);
        file.physicalName = recordset.Fields(1);
        if (typeColumn >= 0)
            file.type = recordset.Fields(typeColumn).trimmed();
        if (sizeColumn >= 0) {
            bool ok = false;
            const qint64 size = recordset.Fields(sizeColumn).trimmed().toLongLong(&ok);
            file.size = ok && size >= 0 ? size : -1;
        }
        files.append(file);
    }
    return BackupFileList(files);
}

qint64 BackupFileList::totalSize() const
{
    qint64 total = 0;
    for (const BackupFile &file : m_files)
        total += qMax<qint64>(0, file.size);
    return total;
}

std::optional<QString> proposedDatabaseName(const QString &logicalDataName)
{
    if (logicalDataName.size() <= 5)
        return std::nullopt;
    return logicalDataName.left(logicalDataName.size() - 5);
}

} // namespace brevane::run
