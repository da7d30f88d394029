#pragma once

#include <QString>

namespace brevane::admin::AdminStatements {

// The statements of verification, the script's guard, the catalogue look-ups
// and the undo, exactly as they are sent. Names and paths are Unicode
// literals (N'...') with their apostrophes doubled.
QString unicodeLiteral(const QString &text);

QString verifyBackup(const QString &backupPath, bool withChecksum);
// Raises error 50000 when the database exists; sqlcmd -b stops there.
QString existenceGuard(const QString &databaseName);
QString databaseState(const QString &databaseName);
QString databaseFiles(const QString &databaseName);
QString dumpDevices();
QString dropDatabase(const QString &databaseName);

} // namespace brevane::admin::AdminStatements
