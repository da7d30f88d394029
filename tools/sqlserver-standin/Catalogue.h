#pragma once

#include "AtomicFile.h"
#include "RestoreReservations.h"

#include <QList>
#include <QString>

#include <mutex>
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

class Catalogue;

// A restore's hold on its database name and files, released when it goes out of scope.
class RestoreClaim
{
public:
    RestoreClaim() = default;
    RestoreClaim(Catalogue *catalogue, int id);
    RestoreClaim(RestoreClaim &&other) noexcept;
    RestoreClaim &operator=(RestoreClaim &&other) noexcept;
    ~RestoreClaim();

private:
    Catalogue *m_catalogue = nullptr;
    int m_id = 0;
};

// What the stand-in server knows: its databases (the four system ones are built in) and its backup
// devices. It lives in catalogue.json in the data folder and is rewritten atomically on each change.
// Every member locks, so sessions share one catalogue; a Change holds the lock for a check and its
// change together.
class Catalogue
{
public:
    explicit Catalogue(QString dataDir);

    // Holds the catalogue for one change: commit() saves it. A change that is not committed, or whose
    // save fails, is undone, so the catalogue in memory is always what its file holds.
    class Change
    {
    public:
        explicit Change(Catalogue &catalogue);
        ~Change();
        Change(const Change &) = delete;
        Change &operator=(const Change &) = delete;
        bool commit(FileWriteError *error);

    private:
        Catalogue &m_catalogue;
        std::unique_lock<std::recursive_mutex> m_lock;
        QList<Database> m_databases;
        QList<BackupDevice> m_devices;
        bool m_committed = false;
    };

    // Creates the data folder when needed; a missing catalogue file means an empty catalogue.
    bool load(QString *error);
    bool save(FileWriteError *error = nullptr) const;

    QString dataDir() const { return m_dataDir; }
    QString filePath() const;

    QList<Database> databases() const; // system databases first
    std::optional<Database> findDatabase(const QString &name) const;
    // The database one of whose files is at this path, if any.
    std::optional<Database> databaseUsingFile(const QString &physicalName) const;
    // The database that has this file or is being restored into it, if any.
    std::optional<QString> fileOwner(const QString &physicalName) const;
    bool isBeingRestored(const QString &name) const;
    // Claims the name and files for a restore, unless a database or another restore has one of them.
    std::optional<RestoreConflict> claimForRestore(
        const QString &name, const QStringList &files, RestoreClaim *claim);
    int nextDatabaseId() const;
    void addDatabase(const Database &database);
    bool removeDatabase(const QString &name);
    bool setDatabaseState(const QString &name, const QString &state);
    // Where the system databases' files are, as the server names them (default: the data folder).
    void setSystemFileFolder(const QString &folder) { m_systemFileFolder = folder; }

    QList<BackupDevice> devices() const;
    std::optional<BackupDevice> findDevice(const QString &name) const;
    std::optional<BackupDevice> findDeviceByPhysicalName(const QString &physicalName) const;
    void addDevice(const BackupDevice &device);
    bool removeDevice(const QString &name);

    // Names compare as the server's default collation does: case-insensitive, trailing blanks ignored.
    static bool sameName(const QString &a, const QString &b);
    // Windows-style paths (drive letter or backslash) compare case-insensitively, others exactly.
    static bool samePath(const QString &a, const QString &b);

private:
    friend class RestoreClaim;
    QList<Database> systemDatabases() const;

    mutable std::recursive_mutex m_mutex;
    RestoreReservations m_reservations;
    QString m_dataDir;
    QString m_systemFileFolder;
    QList<Database> m_databases; // user databases only
    QList<BackupDevice> m_devices;
};

} // namespace standin
