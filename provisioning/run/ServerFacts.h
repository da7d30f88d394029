#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace brevane::run {

class ProvisioningRun;

// What the server tells about itself and its file system, asked through the
// run. Each question answers nothing (nullopt) where the server cannot or
// may not tell; a failure of the link itself is thrown.
class ServerFacts
{
public:
    // What xp_fileexist answers for one path.
    struct PathState
    {
        bool isFile = false;
        bool isFolder = false;
        bool parentExists = false;
    };
    struct Device
    {
        QString name;
        QString physicalName;
    };

    explicit ServerFacts(ProvisioningRun &run);

    // SERVERPROPERTY('MachineName'), ('InstanceDefaultDataPath'), ('InstanceDefaultLogPath').
    std::optional<QString> machineName();
    std::optional<QString> defaultDataPath();
    std::optional<QString> defaultLogPath();
    // Whether @@VERSION names Windows as the server's system; nullopt when it names neither.
    std::optional<bool> runsOnWindows();
    std::optional<PathState> pathState(const QString &path);
    // Free bytes of the volume that holds `folder`, where the server can tell.
    std::optional<qint64> freeBytes(const QString &folder, bool windows);
    // The account the database engine runs as (sys.dm_server_services).
    std::optional<QString> serviceAccount();
    // Where the server keeps its own databases' files (sys.master_files).
    QStringList serverFiles();
    // sys.databases' state_desc of a database (ONLINE, RESTORING ...).
    std::optional<QString> databaseState(const QString &databaseName);
    std::optional<QList<Device>> backupDevices();

private:
    std::optional<QString> property(const char *name);
    std::optional<qint64> driveFreeBytes(const QString &folder);
    std::optional<qint64> volumeFreeBytes(const QString &folder, bool windows);

    ProvisioningRun &m_run;
};

} // namespace brevane::run
