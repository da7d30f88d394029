#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace standin {

// What stands in the way of a restore: its database name or one of its files.
struct RestoreConflict
{
    enum class Kind { DatabaseExists, DatabaseBeingRestored, FileInUse };
    Kind kind = Kind::DatabaseExists;
    QString file; // FileInUse: the file as given
    QString owner; // FileInUse: the database that has or is restoring it
};

// The database names and files of the restores under way, so that no two restores take the same
// name or file at once. It has no lock of its own: the catalogue's lock covers it.
class RestoreReservations
{
public:
    // Records a restore; the id releases it.
    int add(const QString &database, const QStringList &files);
    void remove(int id);
    bool hasDatabase(const QString &database) const;
    // The database whose restore holds this file, if any.
    std::optional<QString> fileOwner(const QString &file) const;

private:
    struct Entry
    {
        int id;
        QString database;
        QStringList files;
    };

    QList<Entry> m_entries;
    int m_nextId = 1;
};

} // namespace standin
