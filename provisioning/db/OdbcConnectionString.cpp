#include "OdbcConnectionString.h"

#include "AccessFailures.h"
#include "ServerAddress.h"

namespace brevane::db {

namespace {

bool isSqlServerProvider(const QString &provider)
{
    static const QLatin1StringView known[] = {
        QLatin1StringView("SQLOLEDB"),
        QLatin1StringView("SQLNCLI"),
        QLatin1StringView("MSOLEDBSQL"),
    };
    const QString name = provider.trimmed();
    for (QLatin1StringView prefix : known) {
        // "SQLOLEDB", "SQLOLEDB.1", "SQLNCLI11", "MSOLEDBSQL19" ...
        if (name.startsWith(prefix, Qt::CaseInsensitive)) {
            const QStringView rest = QStringView(name).mid(prefix.size());
            bool plain = true;
            for (QChar c : rest)
                plain = plain && (c.isDigit() || c == QLatin1Char('.'));
            if (plain)
                return true;
        }
    }
    return false;
}

} // namespace

std::optional<QString> OdbcConnectionString::quote(const QString &value, SqlServerDriver::Kind kind)
{
    if (kind == SqlServerDriver::Kind::FreeTds) {
        if (!value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('{')))
            return value;
        if (value.contains(QLatin1String("};")))
            return std::nullopt;
        return QLatin1Char('{') + value + QLatin1Char('}');
    }

    const bool needsBraces = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{'))
        || value.contains(QLatin1Char('}')) || value.startsWith(QLatin1Char(' '))
        || value.endsWith(QLatin1Char(' '));
    if (!needsBraces)
        return value;
    QString doubled = value;
    doubled.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + doubled + QLatin1Char('}');
}

QString OdbcConnectionString::translate(const AdoConnectionString &ado, const SqlServerDriver &driver)
{
    if (ado.contains(AdoKey::Provider) && !isSqlServerProvider(ado.value(AdoKey::Provider)))
        throw AccessFailure::make(AccessFailure::ProviderNotFound, QStringLiteral("Connection"));

    const bool freeTds = driver.kind == SqlServerDriver::Kind::FreeTds;
    QString out;
    auto add = [&](QLatin1StringView key, const QString &value) {
        const std::optional<QString> quoted = quote(value, driver.kind);
        if (!quoted) {
            throw Failure(FailureNumber::ConnectionFailed,
                QStringLiteral("The %1 value contains \"};\", which the %2 driver cannot accept.")
                    .arg(key, driver.name),
                QStringLiteral("Connection"));
        }
        out += key + QLatin1Char('=') + *quoted + QLatin1Char(';');
    };

    // The driver name goes first: the driver manager looks for it before it
    // hands the whole string to the driver.
    if (driver.name.startsWith(QLatin1Char('/')))
        out += QLatin1String("DRIVER=") + driver.name + QLatin1Char(';');
    else
        out += QLatin1String("DRIVER={") + driver.name + QLatin1String("};");

    const ServerAddress address = ServerAddress::fromDataSource(ado.value(AdoKey::DataSource));
    if (freeTds) {
        if (address.port) {
            add(QLatin1StringView("Server"), address.host);
            out += QLatin1String("Port=") + QString::number(*address.port) + QLatin1Char(';');
        } else {
            add(QLatin1StringView("Server"), address.host + QLatin1Char('\\') + address.instance);
        }
    } else if (address.port) {
        add(QLatin1StringView("Server"),
            QLatin1String("tcp:") + address.host + QLatin1Char(',') + QString::number(*address.port));
    } else {
        add(QLatin1StringView("Server"), address.host + QLatin1Char('\\') + address.instance);
    }

    if (ado.contains(AdoKey::UserId))
        add(QLatin1StringView("UID"), ado.value(AdoKey::UserId));
    if (ado.contains(AdoKey::Password))
        add(QLatin1StringView("PWD"), ado.value(AdoKey::Password));
    if (ado.contains(AdoKey::InitialCatalog))
        add(QLatin1StringView("Database"), ado.value(AdoKey::InitialCatalog));

    switch (driver.kind) {
    case SqlServerDriver::Kind::FreeTds:
        out += QLatin1String("TDS_Version=7.4;ClientCharset=UTF-8;");
        break;
    case SqlServerDriver::Kind::MicrosoftOdbc18:
        out += QLatin1String("Encrypt=Optional;");
        break;
    case SqlServerDriver::Kind::MicrosoftOdbc17:
        out += QLatin1String("Encrypt=no;");
        break;
    }
    return out;
}

} // namespace brevane::db
