#include "BackupHeader.h"

#include <QUuid>

namespace standin {

namespace {

constexpr qint64 PageSize = 8192;

ResultColumn column(const char *name, SqlType type, int length = 0, bool nullable = true)
{
    return ResultColumn { QString::fromLatin1(name), type, length, 0, nullable };
}

ResultColumn numericColumn(const char *name, int precision, bool nullable = true)
{
    return ResultColumn { QString::fromLatin1(name), SqlType::NumericN, 0, precision, nullable };
}

// Stable identifiers per backup, so repeated answers agree.
QUuid backupGuid(const BackupContents &backup, const char *what)
{
    return QUuid::createUuidV5(QUuid(QStringLiteral("{0e7d5c43-8f1a-4f0e-b9a8-2b6f4c1d9e21}")),
        backup.databaseName.toLower() + QLatin1Char('/') + backup.created.toString(Qt::ISODate)
            + QLatin1Char('/') + QLatin1String(what));
}

} // namespace

QList<ResultColumn> backupHeaderColumns(const ServerVersion &server)
{
    QList<ResultColumn> columns {
        column("BackupName", SqlType::NVarChar, 128),
        column("BackupDescription", SqlType::NVarChar, 255),
        column("BackupType", SqlType::SmallIntN),
        column("ExpirationDate", SqlType::DateTimeN),
        column("Compressed", SqlType::TinyIntN),
        column("Position", SqlType::SmallIntN),
        column("DeviceType", SqlType::TinyIntN),
        column("UserName", SqlType::NVarChar, 128),
        column("ServerName", SqlType::NVarChar, 128),
        column("DatabaseName", SqlType::NVarChar, 128),
        column("DatabaseVersion", SqlType::IntN),
        column("DatabaseCreationDate", SqlType::DateTimeN),
        numericColumn("BackupSize", 20),
        numericColumn("FirstLSN", 25),
        numericColumn("LastLSN", 25),
        numericColumn("CheckpointLSN", 25),
        numericColumn("DatabaseBackupLSN", 25),
        column("BackupStartDate", SqlType::DateTimeN),
        column("BackupFinishDate", SqlType::DateTimeN),
        column("SortOrder", SqlType::SmallIntN),
        column("CodePage", SqlType::SmallIntN),
        column("UnicodeLocaleId", SqlType::IntN),
        column("UnicodeComparisonStyle", SqlType::IntN),
        column("CompatibilityLevel", SqlType::TinyIntN),
        column("SoftwareVendorId", SqlType::IntN),
        column("SoftwareVersionMajor", SqlType::IntN),
        column("SoftwareVersionMinor", SqlType::IntN),
        column("SoftwareVersionBuild", SqlType::IntN),
        column("MachineName", SqlType::NVarChar, 128),
        column("Flags", SqlType::IntN),
        column("BindingID", SqlType::UniqueIdentifier),
        column("RecoveryForkID", SqlType::UniqueIdentifier),
        column("Collation", SqlType::NVarChar, 128),
        column("FamilyGUID", SqlType::UniqueIdentifier),
        column("HasBulkLoggedData", SqlType::Bit),
        column("IsSnapshot", SqlType::Bit),
        column("IsReadOnly", SqlType::Bit),
        column("IsSingleUser", SqlType::Bit),
        column("HasBackupChecksums", SqlType::Bit),
        column("IsDamaged", SqlType::Bit),
        column("BeginsLogChain", SqlType::Bit),
        column("HasIncompleteMetaData", SqlType::Bit),
        column("IsForceOffline", SqlType::Bit),
        column("IsCopyOnly", SqlType::Bit),
        column("FirstRecoveryForkID", SqlType::UniqueIdentifier),
        numericColumn("ForkPointLSN", 25),
        column("RecoveryModel", SqlType::NVarChar, 60),
        numericColumn("DifferentialBaseLSN", 25),
        column("DifferentialBaseGUID", SqlType::UniqueIdentifier),
        column("BackupTypeDescription", SqlType::NVarChar, 60),
        column("BackupSetGUID", SqlType::UniqueIdentifier),
        column("CompressedBackupSize", SqlType::BigIntN),
        column("Containment", SqlType::TinyIntN),
        column("KeyAlgorithm", SqlType::NVarChar, 32),
        column("EncryptorThumbprint", SqlType::VarBinary, 20),
        column("EncryptorType", SqlType::NVarChar, 32),
    };
    if (server.major >= 16) {
        columns << column("LastValidRestoreTime", SqlType::DateTimeN)
                << column("TimeZone", SqlType::NVarChar, 32)
                << column("CompressionAlgorithm", SqlType::NVarChar, 32);
    }
    return columns;
}

ResultRow backupHeaderRow(const BackupContents &backup, const ServerVersion &server)
{
    qint64 dataBytes = 0;
    for (const BackupFileEntry &file : backup.files) {
        if (file.type != QLatin1Char('L'))
            dataBytes += file.size;
    }
    const qint64 backupSize = dataBytes + 16 * PageSize; // the data pages plus the backup's own header
    const qint64 firstLsn = 37000000012800001;
    const qint64 lastLsn = 37000000015200001;
    const ServerVersion &made = backup.softwareVersion;
    const QVariant created = backup.created;
    ResultRow row {
        QStringLiteral("%1-Full Database Backup").arg(backup.databaseName),
        QVariant(),
        qint64(1), // database
        QVariant(),
        qint64(0),
        qint64(1),
        qint64(2), // disk
        QStringLiteral("sa"),
        QStringLiteral("STANDIN"),
        backup.databaseName,
        qint64(backup.databaseVersion),
        created,
        backupSize,
        firstLsn,
        lastLsn,
        firstLsn,
        qint64(0),
        created,
        created,
        qint64(52),
        qint64(1252),
        qint64(1033),
        qint64(196609),
        qint64(made.major * 10),
        qint64(4608),
        qint64(made.major),
        qint64(made.minor),
        qint64(made.build),
        QStringLiteral("STANDIN"),
        qint64(512),
        backupGuid(backup, "binding"),
        backupGuid(backup, "recovery fork"),
        QStringLiteral("SQL_Latin1_General_CP1_CI_AS"),
        backupGuid(backup, "family"),
        false,
        false,
        false,
        false,
        backup.hasChecksums,
        false,
        false,
        false,
        false,
        false,
        backupGuid(backup, "recovery fork"),
        QVariant(),
        QStringLiteral("SIMPLE"),
        QVariant(),
        QVariant(),
        QStringLiteral("Database"),
        backupGuid(backup, "backup set"),
        backupSize,
        qint64(0),
        QVariant(),
        QVariant(),
        QVariant(),
    };
    if (server.major >= 16)
        row << QVariant() << QStringLiteral("00:00") << QStringLiteral("NONE");
    return row;
}

} // namespace standin
