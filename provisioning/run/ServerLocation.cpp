#include "ServerLocation.h"

#include <QHostAddress>
#include <QSysInfo>

namespace brevane::run {

bool ServerLocation::addressNamesThisMachine(const QString &server)
{
    QString host = server.trimmed();
    if (host.startsWith(QStringLiteral("tcp:"), Qt::CaseInsensitive))
        host = host.mid(4);
    host = host.section(QLatin1Char(','), 0, 0).section(QLatin1Char('\\'), 0, 0).trimmed();
    if (host == u"." || host.compare(QStringLiteral("(local)"), Qt::CaseInsensitive) == 0
        || host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool ServerLocation::isThisMachine(const QString &machineName)
{
    return !machineName.isEmpty()
        && machineName.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

} // namespace brevane::run
