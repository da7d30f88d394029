#include "SystemViews.h"

#include "ServerPaths.h"

#include <QStorageInfo>

#include <pwd.h>
#include <unistd.h>

namespace standin {

namespace {

constexpr qint64 PageSize = 8192;

ResultColumn column(const char *name, SqlType type, int length = 0, bool nullable = false)
{
    return ResultColumn { QString::fromLatin1(name), type, length, 0, nullable };
}

bool isSysObject(const ObjectName &object, QStringView name)
{
    const QStringList &parts = object.parts;
    return parts.size() >= 2 && parts.size() <= 3 && parts.last().compare(name, Qt::CaseInsensitive) == 0
        && parts.at(parts.size() - 2).compare(u"sys", Qt::CaseInsensitive) == 0;
}

int stateNumber(const QString &state)
{
    static const QStringList states { QStringLiteral("ONLINE"), QStringLiteral("RESTORING"),
        QStringLiteral("RECOVERING"), QStringLiteral("RECOVERY_PENDING"), QStringLiteral("SUSPECT"),
        QStringLiteral("EMERGENCY"), QStringLiteral("OFFLINE") };
    return int(qMax<qsizetype>(0, states.indexOf(state.toUpper())));
}

struct FileKind
{
    int type;
    const char *description;
};

FileKind fileKind(QChar type)
{
    if (type == QLatin1Char('L'))
        return { 1, "LOG" };
    if (type == QLatin1Char('S'))
        return { 2, "FILESTREAM" };
    if (type == QLatin1Char('F'))
        return { 4, "FULLTEXT" };
    return { 0, "ROWS" };
}

QString runningUser()
{
    const passwd *user = ::getpwuid(::geteuid());
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(::geteuid());
}

Table databases(const BatchState &batch)
{
    Table table;
    table.columns << column("name", SqlType::NVarChar, 128) << column("database_id", SqlType::IntN)
                  << column("compatibility_level", SqlType::TinyIntN)
                  << column("collation_name", SqlType::NVarChar, 128, true)
                  << column("state", SqlType::TinyIntN, 0, true)
                  << column("state_desc", SqlType::NVarChar, 60, true)
                  << column("recovery_model_desc", SqlType::NVarChar, 60, true);
    for (const Database &database : batch.catalogue.databases()) {
        table.rows << ResultRow { database.name, qint64(database.id), qint64(batch.server.version.major * 10),
            QStringLiteral("SQL_Latin1_General_CP1_CI_AS"), qint64(stateNumber(database.state)),
            database.state.toUpper(), QStringLiteral("SIMPLE") };
    }
    return table;
}

Table masterFiles(const BatchState &batch)
{
    Table table;
    table.columns << column("database_id", SqlType::IntN) << column("file_id", SqlType::IntN)
                  << column("type", SqlType::TinyIntN) << column("type_desc", SqlType::NVarChar, 60, true)
                  << column("data_space_id", SqlType::IntN) << column("name", SqlType::NVarChar, 128)
                  << column("physical_name", SqlType::NVarChar, 260)
                  << column("state", SqlType::TinyIntN, 0, true)
                  << column("state_desc", SqlType::NVarChar, 60, true) << column("size", SqlType::IntN)
                  << column("max_size", SqlType::IntN) << column("growth", SqlType::IntN);
    for (const Database &database : batch.catalogue.databases()) {
        qint64 fileId = 0;
        for (const DatabaseFile &file : database.files) {
            const FileKind kind = fileKind(file.type);
            const bool log = kind.type == 1;
            table.rows << ResultRow { qint64(database.id), ++fileId, qint64(kind.type),
                QString::fromLatin1(kind.description), qint64(log ? 0 : 1), file.logicalName,
                file.physicalName, qint64(stateNumber(database.state)), database.state.toUpper(),
                qint64((file.size + PageSize - 1) / PageSize), qint64(log ? 268435456 : -1), qint64(8192) };
        }
    }
    return table;
}

Table backupDevices(const BatchState &batch)
{
    Table table;
    table.columns << column("name", SqlType::NVarChar, 128) << column("type", SqlType::TinyIntN)
                  << column("type_desc", SqlType::NVarChar, 60, true)
                  << column("physical_name", SqlType::NVarChar, 260, true);
    for (const BackupDevice &device : batch.catalogue.devices()) {
        const bool tape = device.type.compare(u"tape", Qt::CaseInsensitive) == 0;
        table.rows << ResultRow { device.name, qint64(tape ? 5 : 2),
            tape ? QStringLiteral("TAPE") : QStringLiteral("DISK"), device.physicalName };
    }
    return table;
}

Table serverServices(const BatchState &batch)
{
    const std::optional<QString> &account = batch.server.host.serviceAccount;
    if (account && account->isEmpty())
        throw StatementError { { serverMessage(Msg::NoPermission) } };
    Table table;
    table.columns << column("servicename", SqlType::NVarChar, 256)
                  << column("startup_type", SqlType::IntN, 0, true)
                  << column("startup_type_desc", SqlType::NVarChar, 256)
                  << column("status", SqlType::IntN, 0, true) << column("status_desc", SqlType::NVarChar, 256)
                  << column("process_id", SqlType::IntN, 0, true)
                  << column("service_account", SqlType::NVarChar, 256)
                  << column("filename", SqlType::NVarChar, 256)
                  << column("is_clustered", SqlType::NVarChar, 1);
    const QString program = batch.server.host.isWindows()
        ? QStringLiteral(
            "\"C:\\Program Files\\Microsoft SQL Server\\MSSQL15.MSSQLSERVER\\MSSQL\\Binn\\sqlservr.exe\" "
            "-sMSSQLSERVER")
        : QStringLiteral("/opt/mssql/bin/sqlservr");
    table.rows << ResultRow { QStringLiteral("SQL Server (MSSQLSERVER)"), qint64(2),
        QStringLiteral("Automatic"), qint64(4), QStringLiteral("Running"), qint64(::getpid()),
        account.value_or(runningUser()), program, QStringLiteral("N") };
    return table;
}

// sys.dm_os_volume_stats for one file of one database: the volume it lies on.
QList<ResultRow> volumeStats(const BatchState &batch, const QVariant &databaseId, const QVariant &fileId)
{
    const ServerPaths paths(batch.server.host, batch.catalogue.dataDir());
    for (const Database &database : batch.catalogue.databases()) {
        if (databaseId.isNull() || database.id != databaseId.toLongLong())
            continue;
        const qint64 index = fileId.isNull() ? 0 : fileId.toLongLong();
        if (index < 1 || index > database.files.size())
            return {};
        const QString physical = database.files.at(index - 1).physicalName;
        const QString mountPoint = paths.volumeMountPoint(physical);
        const QString local = batch.server.host.isWindows()
            ? paths.driveFolder(mountPoint.at(0))
            : ServerPaths::existingAncestor(paths.toLocal(physical));
        const QStorageInfo volume(local);
        const QString fileSystem = batch.server.host.isWindows() ? QStringLiteral("NTFS")
                                                                 : QString::fromUtf8(volume.fileSystemType());
        return { ResultRow { qint64(database.id), index, mountPoint, mountPoint, QString(), fileSystem,
            volume.bytesTotal(), volume.bytesAvailable(), false, false, true, volume.isReadOnly(), false } };
    }
    return {};
}

int columnIndex(const Table &table, const QString &name)
{
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        if (table.columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    throw StatementError { { serverMessage(Msg::InvalidColumn, { name }) } };
}

QVariant argumentValue(const Table &table, const ResultRow &row, const Operand &operand)
{
    if (operand.kind == Operand::Kind::Column)
        return row.at(columnIndex(table, operand.column));
    if (operand.kind == Operand::Kind::Literal && operand.literal.kind == SqlValue::Kind::Number)
        return operand.literal.text.toLongLong();
    return QVariant();
}

} // namespace

std::optional<Table> systemView(BatchState &batch, const ObjectName &object)
{
    if (object.parts.size() == 3 && !batch.catalogue.findDatabase(object.parts.first()))
        return std::nullopt;
    if (isSysObject(object, u"databases"))
        return databases(batch);
    if (isSysObject(object, u"master_files"))
        return masterFiles(batch);
    if (isSysObject(object, u"backup_devices"))
        return backupDevices(batch);
    if (isSysObject(object, u"dm_server_services"))
        return serverServices(batch);
    return std::nullopt;
}

Table applyFunction(BatchState &batch, const Table &source, const AppliedFunction &apply)
{
    if (!isSysObject(apply.function, u"dm_os_volume_stats"))
        throw StatementError { { serverMessage(Msg::InvalidObject, { apply.function.written }) } };
    if (apply.arguments.size() != 2)
        throw StatementError { { serverMessage(
            Msg::FunctionArgumentCount, { apply.function.name(), QStringLiteral("2") }) } };
    Table table;
    table.columns = source.columns;
    table.columns << column("database_id", SqlType::IntN) << column("file_id", SqlType::IntN)
                  << column("volume_mount_point", SqlType::NVarChar, 512, true)
                  << column("volume_id", SqlType::NVarChar, 512, true)
                  << column("logical_volume_name", SqlType::NVarChar, 512, true)
                  << column("file_system_type", SqlType::NVarChar, 512, true)
                  << column("total_bytes", SqlType::BigIntN, 0, true)
                  << column("available_bytes", SqlType::BigIntN, 0, true)
                  << column("supports_compression", SqlType::Bit, 0, true)
                  << column("supports_alternate_streams", SqlType::Bit, 0, true)
                  << column("supports_sparse_files", SqlType::Bit, 0, true)
                  << column("is_read_only", SqlType::Bit, 0, true)
                  << column("is_compressed", SqlType::Bit, 0, true);
    for (const ResultRow &row : source.rows) {
        const QList<ResultRow> applied = volumeStats(batch, argumentValue(source, row, apply.arguments.at(0)),
            argumentValue(source, row, apply.arguments.at(1)));
        for (const ResultRow &volume : applied)
            table.rows << row + volume;
    }
    return table;
}

} // namespace standin
