#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace standin {

struct DatabaseFile
{
    QString logicalName;
    QString physicalName;
    QChar type;
    qint64 size = 0;
};

struct Database
{
    QString name;
    int id = 0;
    bool system = false;
    QString state = QStringLiteral("ONLINE"); // as sys.databases.state_desc: ONLINE, RESTORING, OFFLINE
    QList<DatabaseFile> files;
};

struct BackupDevice
{
    QString name;
    QString physicalName;
    QString type; // "disk" or "tape"
};

// What the stand-in server knows: its databases (the four system ones are built in) and its backup
// devices. It lives in catalogue.json in the data folder and is rewritten atomically on each change.
class Catalogue
{
public:
    explicit Catalogue(QString dataDir);

    // Creates the data folder when needed; a missing catalogue file means an empty catalogue.
    bool load(QString *error);
    bool save(QString *error) const;

    QString dataDir() const { return m_dataDir; }
    QString filePath() const;

    QList<Database> databases() const; // system databases first
    std::optional<Database> findDatabase(const QString &name) const;
    // The database one of whose files is at this path, if any.
    std::optional<Database> databaseUsingFile(const QString &physicalName) const;
    int nextDatabaseId() const;
    void addDatabase(const Database &database);
    bool removeDatabase(const QString &name);
    bool setDatabaseState(const QString &name, const QString &state);
    // Where the system databases' files are, as the server names them (default: the data folder).
    void setSystemFileFolder(const QString &folder) { m_systemFileFolder = folder; }

    QList<BackupDevice> devices() const { return m_devices; }
    std::optional<BackupDevice> findDevice(const QString &name) const;
    std::optional<BackupDevice> findDeviceByPhysicalName(const QString &physicalName) const;
    void addDevice(const BackupDevice &device);
    bool removeDevice(const QString &name);

    // Names compare as the server's default collation does: case-insensitive, trailing blanks ignored.
    static bool sameName(const QString &a, const QString &b);
    // Windows-style paths (drive letter or backslash) compare case-insensitively, others exactly.
    static bool samePath(const QString &a, const QString &b);

private:
    QList<Database> systemDatabases() const;

    QString m_dataDir;
    QString m_systemFileFolder;
    QList<Database> m_databases; // user databases only
    QList<BackupDevice> m_devices;
};

} // namespace standin
