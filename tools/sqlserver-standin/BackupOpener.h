#pragma once

#include "BackupFile.h"
#include "SqlStatement.h"
#include "StatementRunner.h"

namespace standin {

// Finds and reads the backup a RESTORE names (one DISK file or one dump device), or throws the
// errors SQL Server gives (3201, 3206, 3241, ...; the caller adds 3013).
BackupFile::ReadResult openBackup(BatchState &batch, const RestoreStatement &restore);
// The backup file's path as the server names it, for messages.
QString backupPathOf(BatchState &batch, const RestoreStatement &restore);
// What reading the backup's data finds wrong: 3203 for a file cut short, and for a changed byte in
// a backup with checksums 3189 (VERIFYONLY) or 3183 naming the page (RESTORE DATABASE). Nothing when
// the statement says NO_CHECKSUM, as SQL Server then skips the checksums.
QList<ServerMessage> integrityProblems(
    BatchState &batch, const RestoreStatement &restore, const BackupFile::ReadResult &read);

} // namespace standin
