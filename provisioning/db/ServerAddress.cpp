#include "ServerAddress.h"

namespace brevane::db {

namespace {

bool isLocalName(QStringView host)
{
    return host.isEmpty() || host == QLatin1String(".")
        || host.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0
        || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
}

std::optional<quint16> parsePort(QStringView text)
{
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok);
    if (!ok || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<quint16>(value);
}

} // namespace

ServerAddress ServerAddress::fromDataSource(const QString &dataSource)
{
    QStringView rest(dataSource);
    if (rest.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        rest = rest.mid(4);

    ServerAddress address;
    const qsizetype comma = rest.lastIndexOf(QLatin1Char(','));
    if (comma >= 0) {
        if (const auto port = parsePort(rest.mid(comma + 1))) {
            address.port = port;
            rest = rest.left(comma);
        }
    }

    QStringView instance;
    const qsizetype backslash = rest.indexOf(QLatin1Char('\\'));
    if (backslash >= 0) {
        instance = rest.mid(backslash + 1);
        rest = rest.left(backslash);
    }

    if (isLocalName(rest)) {
        address.host = QStringLiteral("127.0.0.1");
        if (!address.port)
            address.port = defaultPort;
        return address;
    }

    address.host = rest.toString();
    if (!address.port) {
        if (instance.isEmpty())
            address.port = defaultPort;
        else
            address.instance = instance.toString();
    }
    return address;
}

} // namespace brevane::db
