#include "ServerFacts.h"

#include "Failure.h"
#include "ProvisioningRun.h"
#include "Statements.h"

namespace brevane::run {

namespace {

// A statement the server refuses (no permission, unknown object) answers
// nothing; a lost link or a time-out is passed on.
template<typename Ask> auto orNothing(Ask ask) -> decltype(ask())
{
    try {
        return ask();
    } catch (const Failure &failure) {
        if (failure.number() != FailureNumber::ServerStatementError)
            throw;
        return std::nullopt;
    }
}

std::optional<db::Recordset> rows(ProvisioningRun &run, const QString &statement)
{
    return orNothing([&]() -> std::optional<db::Recordset> { return run.ask(statement); });
}

std::optional<QString> firstField(ProvisioningRun &run, const QString &statement)
{
    auto result = rows(run, statement);
    if (!result || result->RecordCount() == 0 || result->FieldCount() == 0)
        return std::nullopt;
    result->MoveFirst();
    if (result->isNull(0))
        return std::nullopt;
    return result->Fields(0).trimmed();
}

} // namespace

ServerFacts::ServerFacts(ProvisioningRun &run)
    : m_run(run)
{ }

std::optional<QString> ServerFacts::property(const char *name)
{
    return firstField(m_run,
        QStringLiteral("SELECT CONVERT(nvarchar(128), SERVERPROPERTY('%1'))").arg(QLatin1String(name)));
}

std::optional<QString> ServerFacts::machineName()
{
    return property("MachineName");
}

std::optional<QString> ServerFacts::defaultDataPath()
{
    return property("InstanceDefaultDataPath");
}

std::optional<QString> ServerFacts::defaultLogPath()
{
    return property("InstanceDefaultLogPath");
}

std::optional<bool> ServerFacts::runsOnWindows()
{
    const auto version = firstField(m_run, QStringLiteral("SELECT @@VERSION"));
    if (!version)
        return std::nullopt;
    if (version->contains(QStringLiteral(" on Windows")))
        return true;
    if (version->contains(QStringLiteral(" on Linux")))
        return false;
    return std::nullopt;
}

std::optional<ServerFacts::PathState> ServerFacts::pathState(const QString &path)
{
    auto result = rows(m_run, QStringLiteral("EXEC master.dbo.xp_fileexist ") + Statements::literal(path));
    if (!result || result->RecordCount() == 0 || result->FieldCount() < 3)
        return std::nullopt;
    result->MoveFirst();
    auto flag = [&](int column) { return result->Fields(column).trimmed() == u"1"; };
    return PathState { flag(0), flag(1), flag(2) };
}

std::optional<qint64> ServerFacts::freeBytes(const QString &folder, bool windows)
{
    if (windows) {
        if (const auto bytes = driveFreeBytes(folder))
            return bytes;
    }
    return volumeFreeBytes(folder, windows);
}

std::optional<qint64> ServerFacts::driveFreeBytes(const QString &folder)
{
    if (folder.size() < 2 || folder.at(1) != u':')
        return std::nullopt;
    auto result = rows(m_run, QStringLiteral("EXEC master.dbo.xp_fixeddrives"));
    if (!result || result->FieldCount() < 2)
        return std::nullopt;
    for (result->MoveFirst(); !result->atEnd(); result->MoveNext()) {
        if (result->Fields(0).trimmed().compare(folder.left(1), Qt::CaseInsensitive) != 0)
            continue;
        bool ok = false;
        const qint64 megabytes = result->Fields(1).trimmed().toLongLong(&ok);
        return ok ? std::optional<qint64>(megabytes * 1024 * 1024) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<qint64> ServerFacts::volumeFreeBytes(const QString &folder, bool windows)
{
    auto result = rows(m_run,
        QStringLiteral(
            "SELECT f.physical_name, v.volume_mount_point, v.available_bytes FROM sys.master_files "
            "AS f CROSS APPLY sys.dm_os_volume_stats(f.database_id, f.file_id) AS v"));
    if (!result || result->FieldCount() < 3)
        return std::nullopt;
    const Qt::CaseSensitivity letterCase = windows ? Qt::CaseInsensitive : Qt::CaseSensitive;
    std::optional<qint64> best;
    qsizetype bestLength = -1;
    for (result->MoveFirst(); !result->atEnd(); result->MoveNext()) {
        const QString mountPoint = result->Fields(1).trimmed();
        if (mountPoint.isEmpty() || !folder.startsWith(mountPoint, letterCase)
            || mountPoint.size() <= bestLength)
            continue;
        bool ok = false;
        const qint64 bytes = result->Fields(2).trimmed().toLongLong(&ok);
        if (ok) {
            best = bytes;
            bestLength = mountPoint.size();
        }
    }
    return best;
}

std::optional<QString> ServerFacts::serviceAccount()
{
    auto result
        = rows(m_run, QStringLiteral("SELECT servicename, service_account FROM sys.dm_server_services"));
    if (!result || result->FieldCount() < 2)
        return std::nullopt;
    for (result->MoveFirst(); !result->atEnd(); result->MoveNext()) {
        const QString account = result->Fields(1).trimmed();
        if (result->Fields(0).startsWith(QStringLiteral("SQL Server (")) && !account.isEmpty())
            return account;
    }
    return std::nullopt;
}

QStringList ServerFacts::serverFiles()
{
    QStringList files;
    auto result = rows(m_run,
        QStringLiteral(
            "SELECT f.physical_name, v.volume_mount_point, v.available_bytes FROM sys.master_files "
            "AS f CROSS APPLY sys.dm_os_volume_stats(f.database_id, f.file_id) AS v"));
    if (!result || result->FieldCount() < 1)
        return files;
    for (result->MoveFirst(); !result->atEnd(); result->MoveNext())
        files.append(result->Fields(0).trimmed());
    return files;
}

std::optional<QString> ServerFacts::databaseState(const QString &databaseName)
{
    auto result = rows(m_run,
        QStringLiteral("SELECT name, state_desc FROM sys.databases WHERE name = N'%1'")
            .arg(Statements::quoted(databaseName)));
    if (!result || result->RecordCount() == 0 || result->FieldCount() < 2)
        return std::nullopt;
    result->MoveFirst();
    return result->Fields(1).trimmed();
}

std::optional<QList<ServerFacts::Device>> ServerFacts::backupDevices()
{
    auto result = rows(m_run, QStringLiteral("SELECT name, physical_name FROM sys.backup_devices"));
    if (!result || result->FieldCount() < 2)
        return std::nullopt;
    QList<Device> devices;
    if (result->RecordCount() == 0)
        return devices;
    for (result->MoveFirst(); !result->atEnd(); result->MoveNext())
        devices.append({ result->Fields(0).trimmed(), result->Fields(1).trimmed() });
    return devices;
}

} // namespace brevane::run
