#include "ServerCatalogue.h"

#include "AdminStatements.h"

namespace brevane::admin {

namespace {

bool looksLikeWindowsPath(const QString &path)
{
    return path.contains(QLatin1Char('\\')) || (path.size() >= 2 && path.at(1) == QLatin1Char(':'));
}

} // namespace

ServerCatalogue::ServerCatalogue(StatementSender send)
    : m_send(std::move(send))
{ }

std::optional<QString> ServerCatalogue::databaseState(const QString &name)
{
    db::Recordset result = m_send(AdminStatements::databaseState(name));
    if (result.RecordCount() == 0)
        return std::nullopt;
    result.MoveFirst();
    return result.Fields(result.columnIndex(QStringLiteral("state_desc"))).trimmed();
}

QList<CatalogueFile> ServerCatalogue::databaseFiles(const QString &name)
{
    db::Recordset result = m_send(AdminStatements::databaseFiles(name));
    const int logical = result.columnIndex(QStringLiteral("name"));
    const int physical = result.columnIndex(QStringLiteral("physical_name"));
    const int type = result.columnIndex(QStringLiteral("type_desc"));
    const int size = result.columnIndex(QStringLiteral("size"));
    QList<CatalogueFile> files;
    if (result.RecordCount() == 0)
        return files;
    for (result.MoveFirst(); !result.atEnd(); result.MoveNext()) {
        bool ok = false;
        const qint64 pages = result.Fields(size).trimmed().toLongLong(&ok);
        files.append({ result.Fields(logical), result.Fields(physical), result.Fields(type).trimmed(),
            ok ? pages : -1 });
    }
    return files;
}

QMap<QString, QString> ServerCatalogue::dumpDevices()
{
    db::Recordset result = m_send(AdminStatements::dumpDevices());
    QMap<QString, QString> devices;
    if (result.RecordCount() == 0)
        return devices;
    for (result.MoveFirst(); !result.atEnd(); result.MoveNext())
        devices.insert(result.Fields(0), result.Fields(1));
    return devices;
}

std::optional<QString> ServerCatalogue::dumpDevice(const QString &name)
{
    const QMap<QString, QString> devices = dumpDevices();
    for (auto device = devices.cbegin(); device != devices.cend(); ++device) {
        if (device.key().compare(name, Qt::CaseInsensitive) == 0)
            return device.value();
    }
    return std::nullopt;
}

bool sameServerPath(const QString &a, const QString &b)
{
    if (!looksLikeWindowsPath(a) && !looksLikeWindowsPath(b))
        return a == b;
    QString left = a;
    QString right = b;
    left.replace(QLatin1Char('/'), QLatin1Char('\\'));
    right.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

} // namespace brevane::admin
