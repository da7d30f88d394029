#pragma once

#include "Recordset.h"

#include <QList>
#include <QString>

namespace brevane::run {

// One file of the database a backup holds, as the server's file list names it.
struct BackupFile
{
    QString logicalName;
    QString physicalName; // where the file lay on the server that made the backup
    QString type; // "D" data, "L" log, ... (empty when the server sent no such column)
    qint64 size = -1; // bytes; -1 when the server sent no size
};

// The rows of a backup's file list: the first row is taken as the data file,
// the second as the log file.
class BackupFileList
{
public:
    BackupFileList() = default;
    explicit BackupFileList(QList<BackupFile> files)
        : m_files(std::move(files))
    { }
    // Reads every row: columns 0 and 1 by position, Type and Size by name.
    // A result without a second column fails as the recordset does (3265).
    static BackupFileList fromRecordset(db::Recordset recordset);

    const QList<BackupFile> &files() const { return m_files; }
    bool hasDataAndLog() const { return m_files.size() >= 2; }
    const BackupFile &data() const { return m_files.at(0); }
    const BackupFile &log() const { return m_files.at(1); }
    // The sum of the sizes the list reports (files without a size count 0).
    qint64 totalSize() const;

private:
    QList<BackupFile> m_files;
};

// The database name proposed for a backup: the logical data file name
// without its last five characters ("rivazadUZ_Data" gives "rivazadUZ"), or
// nothing when that name is five characters or shorter.
std::optional<QString> proposedDatabaseName(const QString &logicalDataName);

} // namespace brevane::run
