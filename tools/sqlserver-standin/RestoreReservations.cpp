#include "RestoreReservations.h"

#include "Catalogue.h"

namespace standin {

int RestoreReservations::add(const QString &database, const QStringList &files)
{
    const int id = m_nextId++;
    m_entries << Entry { id, database, files };
    return id;
}

void RestoreReservations::remove(int id)
{
    m_entries.removeIf([id](const Entry &entry) { return entry.id == id; });
}

bool RestoreReservations::hasDatabase(const QString &database) const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(),
        [&](const Entry &entry) { return Catalogue::sameName(entry.database, database); });
}

std::optional<QString> RestoreReservations::fileOwner(const QString &file) const
{
    for (const Entry &entry : m_entries) {
        for (const QString &held : entry.files) {
            if (Catalogue::samePath(held, file))
                return entry.database;
        }
    }
    return std::nullopt;
}

} // namespace standin
