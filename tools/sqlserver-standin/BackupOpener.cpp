#include "BackupOpener.h"

namespace standin {

namespace {

class BackupOpening : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

    QString path(const RestoreStatement &restore) const
    {
        if (!restore.unsupportedOptions.isEmpty()) {
            throw StatementError { { serverMessage(Msg::UserDefined,
                { QStringLiteral("The SQL Server stand-in does not support the RESTORE option %1.")
                        .arg(restore.unsupportedOptions.join(QStringLiteral(", "))) }) } };
        }
        if (restore.sources.size() != 1 || restore.sources.first().kind == BackupSource::Kind::Other) {
            throw StatementError { { serverMessage(Msg::UserDefined,
                { QStringLiteral(
                    "The SQL Server stand-in restores only from one backup device or one DISK file.") }) } };
        }
        const BackupSource &source = restore.sources.first();
        if (source.kind != BackupSource::Kind::Device)
            return source.value;
        const std::optional<BackupDevice> device = m_catalogue.findDevice(source.value);
        if (!device)
            throw StatementError { { serverMessage(Msg::BackupDeviceMissing, { source.value }) } };
        return device->physicalName;
    }

    BackupFile::ReadResult open(const RestoreStatement &restore) const
    {
        const QString backup = path(restore);
        const BackupFile::ReadResult read = BackupFile::read(resolvePath(backup));
        switch (read.status) {
        case BackupFile::Status::Ok:
            return read;
        case BackupFile::Status::FileMissing:
            throw StatementError { { serverMessage(
                Msg::CannotOpenBackupDevice, { backup, OsError::fileNotFound() }) } };
        case BackupFile::Status::PathMissing:
            throw StatementError { { serverMessage(
                Msg::CannotOpenBackupDevice, { backup, OsError::pathNotFound() }) } };
        case BackupFile::Status::AccessDenied:
            throw StatementError { { serverMessage(
                Msg::CannotOpenBackupDevice, { backup, OsError::accessDenied() }) } };
        case BackupFile::Status::NotABackup:
            break;
        }
        throw StatementError { { serverMessage(Msg::MediaFamilyIncorrect, { backup }) } };
    }
};

} // namespace

BackupFile::ReadResult openBackup(BatchState &batch, const RestoreStatement &restore)
{
    return BackupOpening(batch).open(restore);
}

QString backupPathOf(BatchState &batch, const RestoreStatement &restore)
{
    return BackupOpening(batch).path(restore);
}

QList<ServerMessage> integrityProblems(
    BatchState &batch, const RestoreStatement &restore, const BackupFile::ReadResult &read)
{
    if (read.integrity == BackupFile::Integrity::Truncated)
        return { serverMessage(Msg::ReadFailed, { backupPathOf(batch, restore), OsError::invalidData() }) };
    if (read.integrity != BackupFile::Integrity::Damaged || restore.checksum == false)
        return {};
    if (restore.kind == RestoreStatement::Kind::VerifyOnly)
        return { serverMessage(Msg::BackupSetDamaged) };
    return { serverMessage(Msg::PageErrorInBackup,
        { QStringLiteral("1"), QString::number(read.damagedPage), restore.database }) };
}

} // namespace standin
