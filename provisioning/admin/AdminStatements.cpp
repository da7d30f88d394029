#include "AdminStatements.h"

#include "Statements.h"

namespace brevane::admin::AdminStatements {

QString unicodeLiteral(const QString &text)
{
    return QStringLiteral("N'") + Statements::quoted(text) + QLatin1Char('\'');
}

QString verifyBackup(const QString &backupPath, bool withChecksum)
{
    return QStringLiteral("RESTORE VERIFYONLY FROM DISK = ") + unicodeLiteral(backupPath)
        + (withChecksum ? QStringLiteral(" WITH CHECKSUM") : QString());
}

QString existenceGuard(const QString &databaseName)
{
    const QString message
        = QStringLiteral("Database '%1' already exists. Choose a different database name.").arg(databaseName);
    return QStringLiteral("IF DB_ID(") + unicodeLiteral(databaseName)
        + QStringLiteral(") IS NOT NULL RAISERROR(") + unicodeLiteral(message) + QStringLiteral(", 16, 1)");
}

QString databaseState(const QString &databaseName)
{
    return QStringLiteral("SELECT name, state_desc FROM sys.databases WHERE name = ")
        + unicodeLiteral(databaseName);
}

QString databaseFiles(const QString &databaseName)
{
    return QStringLiteral(
               "SELECT name, physical_name, type_desc, size FROM sys.master_files WHERE database_id = DB_ID(")
        + unicodeLiteral(databaseName) + QLatin1Char(')');
}

QString dumpDevices()
{
    return QStringLiteral("SELECT name, physical_name FROM sys.backup_devices");
}

QString dropDatabase(const QString &databaseName)
{
    QString escaped = databaseName;
    escaped.replace(QLatin1Char(']'), QStringLiteral("]]"));
    return QStringLiteral("DROP DATABASE [") + escaped + QLatin1Char(']');
}

} // namespace brevane::admin::AdminStatements
