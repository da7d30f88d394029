#pragma once

#include "BackupFileList.h"
#include "ConnectionSettingsFile.h"
#include "Failure.h"
#include "NameRules.h"
#include "RestoreRequest.h"
#include "RunTimeouts.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>

namespace brevane::db {
class Connection;
}

namespace brevane::run {

// One provisioning run without a window: it holds the server connection and
// carries the steps the installer takes. It returns results and throws
// brevane::Failure; it never shows anything. Every statement passes through
// one place, so a caller can follow what is sent and what the server says.
class ProvisioningRun
{
public:
    enum class RestoreOutcome { Restored, BackupMissing, ReservedDevice, DatabaseExists };

    ProvisioningRun();
    ~ProvisioningRun();
    ProvisioningRun(const ProvisioningRun &) = delete;
    ProvisioningRun &operator=(const ProvisioningRun &) = delete;

    // Called with each statement just before it is sent.
    void setStatementObserver(std::function<void(const QString &statement)> observer);
    // Called with each informational server message as it arrives.
    void setMessageObserver(std::function<void(const QString &message)> observer);

    // How long the log-on, the statements and the restore wait for the
    // server; by default as the window waits.
    void setTimeouts(const RunTimeouts &timeouts) { m_timeouts = timeouts; }

    // Whether a log-on holds an open connection.
    bool isLoggedOn() const;

    // The connection; null while empty (before a log-on, after a failed one, after release()).
    db::Connection *connection() const { return m_connection.get(); }
    // Gives up the connection (logs off).
    void release();

    // Logs on to the server's master catalog with SQL Server authentication
    // (values trimmed of blanks). Closes an open connection first. On failure
    // the connection is empty, *failure holds the cause and the result is false.
    bool logOn(
        const QString &server, const QString &login, const QString &password, Failure *failure = nullptr);

    // The backup's file list, in the backup's order.
    BackupFileList readBackupFileList(const QString &backupFile);
    // Whether a database of that name exists (the server's collation decides letter case).
    bool databaseExists(const QString &databaseName);
    // The backup's software version (major.minor.build) and the server's product version.
    QString backupSoftwareVersion(const QString &backupFile);
    QString serverProductVersion();

    // Where the product keeps the template backup and the settings file:
    // beside and above the folder that holds the program, ".." kept as is.
    static QString defaultBackupFile(const QString &programFolder);
    static QString defaultSettingsFile(const QString &programFolder);

    // The rule for new database names, applied to the trimmed name.
    static NameCheck checkName(const QString &databaseName);

    // The statements a restore sends when nothing stops it, in order:
    // existence query, replacement of the dump device, its registration, the restore.
    static QStringList restoreStatements(const RestoreRequest &request);
    // Restores the backup under the new name. Refusals come back as the
    // outcome; a failure of the server or the link is thrown, and what the
    // server completed before it stays (the device may be registered). A lost
    // link empties the connection, so the next step logs on again.
    RestoreOutcome restore(const RestoreRequest &request);

    // Writes the six settings entries into an existing settings file. False
    // (nothing written) when the file does not exist; a failed write throws.
    static bool writeSettings(const QString &settingsFile, const ConnectionSettings &settings);

    // Sends a question that changes nothing and returns the server's answer
    // (through the same place as every other statement).
    db::Recordset ask(const QString &statement) { return execute(statement); }

    // Asks the server to stop the running statement. Safe from another thread.
    void cancel();

    // Sends one statement of a step outside the run (verification, a
    // catalogue look-up, an undo), followed as the run's own statements are.
    db::Recordset send(const QString &statement) { return execute(statement); }

private:
    db::Connection &openConnection();
    db::Recordset execute(const QString &statement);

    std::unique_ptr<db::Connection> m_connection;
    RunTimeouts m_timeouts;
    // Guards replacing the connection against cancel() from another thread.
    std::mutex m_connectionMutex;
    std::function<void(const QString &)> m_statementObserver;
    std::function<void(const QString &)> m_messageObserver;
};

} // namespace brevane::run
