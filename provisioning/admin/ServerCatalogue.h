#pragma once

#include "Recordset.h"

#include <QList>
#include <QMap>
#include <QString>

#include <functional>
#include <optional>

namespace brevane::admin {

// Sends one statement to the server and returns its first result; failures are thrown.
using StatementSender = std::function<db::Recordset(const QString &statement)>;

// One file of a database as the server's catalogue lists it.
struct CatalogueFile
{
    QString logicalName;
    QString physicalName;
    QString type; // ROWS, LOG, FILESTREAM, FULLTEXT
    qint64 pages = -1; // 8-KB pages
};

// What the server's catalogue says about databases and dump devices.
class ServerCatalogue
{
public:
    explicit ServerCatalogue(StatementSender send);

    // ONLINE, RESTORING, OFFLINE ...; nullopt when no database has that name.
    std::optional<QString> databaseState(const QString &name);
    QList<CatalogueFile> databaseFiles(const QString &name);
    // Every registered dump device: name to physical path.
    QMap<QString, QString> dumpDevices();
    // The path of the dump device of that name (compared as the server
    // compares names, without regard to case); nullopt when there is none.
    std::optional<QString> dumpDevice(const QString &name);

private:
    StatementSender m_send;
};

// Whether two paths the server uses name the same file: Windows paths
// (a drive letter or a backslash) without regard to letter case or to the
// kind of separator, others exactly.
bool sameServerPath(const QString &a, const QString &b);

} // namespace brevane::admin
