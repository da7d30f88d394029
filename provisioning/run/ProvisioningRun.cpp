#include "ProvisioningRun.h"

#include "Blanks.h"
#include "Connection.h"
#include "Platform.h"
#include "ServerLogon.h"
#include "Statements.h"

#include <QFileInfo>

namespace brevane::run {

ProvisioningRun::ProvisioningRun() = default;
ProvisioningRun::~ProvisioningRun() = default;

void ProvisioningRun::setStatementObserver(std::function<void(const QString &)> observer)
{
    m_statementObserver = std::move(observer);
}

void ProvisioningRun::setMessageObserver(std::function<void(const QString &)> observer)
{
    m_messageObserver = std::move(observer);
    if (m_connection)
        m_connection->setMessageHandler(m_messageObserver);
}

bool ProvisioningRun::isLoggedOn() const
{
    return m_connection && m_connection->State() == db::Connection::StateOpen;
}

void ProvisioningRun::release()
{
    const std::lock_guard lock(m_connectionMutex);
    m_connection.reset();
}

bool ProvisioningRun::logOn(
    const QString &server, const QString &login, const QString &password, Failure *failure)
{
    const std::lock_guard lock(m_connectionMutex);
    const bool opened
        = db::OpenServerConnection(m_connection, server, login, password, failure, m_timeouts.logon);
    if (opened) {
        m_connection->setMessageHandler(m_messageObserver);
        if (m_timeouts.query)
            m_connection->setCommandTimeout(*m_timeouts.query);
    }
    return opened;
}

db::Connection &ProvisioningRun::openConnection()
{
    // An empty connection field gets a fresh, unopened connection: the
    // statement then fails as one sent on a closed connection.
    if (!m_connection) {
        const std::lock_guard lock(m_connectionMutex);
        m_connection = std::make_unique<db::Connection>();
        m_connection->setMessageHandler(m_messageObserver);
    }
    return *m_connection;
}

db::Recordset ProvisioningRun::execute(const QString &statement)
{
    db::Connection &connection = openConnection();
    // Only what reaches the server is reported: not a statement on a closed
    // connection, nor one that a pending cancel stops before it is sent.
    if (m_statementObserver && connection.State() == db::Connection::StateOpen
        && !connection.cancelRequested())
        m_statementObserver(statement);
    try {
        return connection.Execute(statement);
    } catch (const Failure &failure) {
        // A lost link leaves a connection that fails every later statement at
        // once; without it the next step logs on afresh.
        if (failure.number() == FailureNumber::ConnectionFailed) {
            const std::lock_guard lock(m_connectionMutex);
            m_connection.reset();
        }
        throw;
    }
}

BackupFileList ProvisioningRun::readBackupFileList(const QString &backupFile)
{
    return BackupFileList::fromRecordset(execute(Statements::fileList(backupFile)));
}

bool ProvisioningRun::databaseExists(const QString &databaseName)
{
    return execute(Statements::databaseExists(databaseName)).RecordCount() >= 1;
}

QString ProvisioningRun::backupSoftwareVersion(const QString &backupFile)
{
    db::Recordset header = execute(Statements::backupHeader(backupFile));
    const int major = header.columnIndex(QStringLiteral("SoftwareVersionMajor"));
    const int minor = header.columnIndex(QStringLiteral("SoftwareVersionMinor"));
    const int build = header.columnIndex(QStringLiteral("SoftwareVersionBuild"));
    if (header.RecordCount() == 0 || major < 0)
        return {};
    header.MoveFirst();
    QString version = header.Fields(major).trimmed();
    if (minor >= 0)
        version += QLatin1Char('.') + header.Fields(minor).trimmed();
    if (minor >= 0 && build >= 0)
        version += QLatin1Char('.') + header.Fields(build).trimmed();
    return version;
}

QString ProvisioningRun::serverProductVersion()
{
    db::Recordset result = execute(Statements::serverVersion());
    if (result.RecordCount() == 0 || result.FieldCount() == 0)
        return {};
    result.MoveFirst();
    return result.Fields(0).trimmed();
}

QString ProvisioningRun::defaultBackupFile(const QString &programFolder)
{
    return programFolder + QStringLiteral("/../DB/rivazadUZ") + QStringLiteral(".Bak");
}

QString ProvisioningRun::defaultSettingsFile(const QString &programFolder)
{
    return programFolder + QStringLiteral("/../Connect.sys");
}

NameCheck ProvisioningRun::checkName(const QString &databaseName)
{
    return checkDatabaseName(trimBlanks(databaseName));
}

QStringList ProvisioningRun::restoreStatements(const RestoreRequest &request)
{
    const QString device = dumpDeviceName(request.backupFile);
    QString restore = request.restoreStatement(device);
    if (request.progressPercent > 0)
        restore = Statements::withProgress(restore, request.progressPercent);
    return {
        Statements::databaseExists(request.databaseName),
        Statements::dropDevice(device, request.backupFile),
        Statements::addDevice(device, request.backupFile),
        restore,
    };
}

ProvisioningRun::RestoreOutcome ProvisioningRun::restore(const RestoreRequest &request)
{
    if (!request.backupOnServerOnly && !Platform::current().ordinaryFileExists(request.backupFile))
        return RestoreOutcome::BackupMissing;

    const QStringList statements = restoreStatements(request);
    if (execute(statements.at(0)).RecordCount() >= 1)
        return RestoreOutcome::DatabaseExists;

    openConnection().setCommandTimeout(m_timeouts.restore);
    if (isReservedDeviceName(dumpDeviceName(request.backupFile)))
        return RestoreOutcome::ReservedDevice;

    for (qsizetype i = 1; i < statements.size(); ++i)
        execute(statements.at(i));
    return RestoreOutcome::Restored;
}

bool ProvisioningRun::writeSettings(const QString &settingsFile, const ConnectionSettings &settings)
{
    if (!Platform::current().ordinaryFileExists(settingsFile))
        return false;
    writeConnectionSettings(settingsFile, settings);
    return true;
}

void ProvisioningRun::cancel()
{
    const std::lock_guard lock(m_connectionMutex);
    if (m_connection)
        m_connection->cancel();
}

} // namespace brevane::run
