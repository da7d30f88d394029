#include "ServerProperties.h"

#include "ServerPaths.h"

namespace standin {

namespace {

QString edition()
{
    return QStringLiteral("Developer Edition (64-bit)");
}

// The build's date line in @@VERSION.
QString buildDate(const ServerVersion &version)
{
    if (version.major == 15)
        return QStringLiteral("Sep 24 2019 13:48:23");
    return QStringLiteral("Oct  8 %1 12:00:00").arg(version.releaseYear());
}

bool isTextType(const QString &type)
{
    return type == u"nvarchar" || type == u"varchar" || type == u"nchar" || type == u"char"
        || type == u"sysname";
}

} // namespace

QVariant serverProperty(const ServerIdentity &server, const QString &name)
{
    const QString key = name.trimmed().toLower();
    const ServerVersion &version = server.version;
    if (key == u"productversion")
        return version.productVersion();
    if (key == u"productmajorversion")
        return QString::number(version.major);
    if (key == u"productminorversion")
        return QString::number(version.minor);
    if (key == u"productbuild")
        return QString::number(version.build);
    if (key == u"productlevel")
        return QStringLiteral("RTM");
    if (key == u"edition")
        return edition();
    if (key == u"engineedition")
        return qint64(3);
    if (key == u"servername")
        return server.name;
    if (key == u"machinename" || key == u"computernamephysicalnetbios")
        return server.host.machineName.isEmpty() ? server.name : server.host.machineName;
    if (key == u"instancedefaultdatapath" || key == u"instancedefaultlogpath") {
        if (!server.host.defaultPaths || server.dataDir.isEmpty())
            return QVariant();
        return ServerPaths(server.host, server.dataDir).dataFolder();
    }
    if (key == u"pathseparator")
        return server.host.isWindows() ? QStringLiteral("\\") : QStringLiteral("/");
    if (key == u"collation")
        return QStringLiteral("SQL_Latin1_General_CP1_CI_AS");
    if (key == u"isintegratedsecurityonly" || key == u"isclustered")
        return qint64(0);
    return QVariant();
}

std::optional<QVariant> systemVariable(const ServerIdentity &server, const QString &name)
{
    const ServerVersion &version = server.version;
    if (name == u"@@VERSION") {
        const QString system = server.host.isWindows()
            ? QStringLiteral("Windows Server 2019 Standard 10.0 <X64> (Build 17763: ) (Hypervisor)\n")
            : QStringLiteral("Linux (Debian GNU/Linux 12) <X64>");
        return QStringLiteral(
            "Microsoft SQL Server %1 (RTM) - %2 (X64) \n\t%3 \n\tCopyright (C) %1 Microsoft "
            "Corporation\n\t%4 on %5")
            .arg(version.releaseYear())
            .arg(version.productVersion(), buildDate(version), edition(), system);
    }
    if (name == u"@@SERVERNAME")
        return QVariant(server.name);
    if (name == u"@@MICROSOFTVERSION")
        return qint64((version.major << 24) | (version.minor << 16) | version.build);
    return std::nullopt;
}

ResultColumn serverValueColumn(const SelectItem &item, const QVariant &value)
{
    ResultColumn column;
    column.name = item.alias;
    column.nullable = true;
    if (item.cast) {
        const CastTarget &cast = *item.cast;
        if (isTextType(cast.type)) {
            column.type = SqlType::NVarChar;
            column.length = cast.type == u"sysname" ? 128 : (cast.length < 0 ? 4000 : cast.length);
        } else if (cast.type == u"int" || cast.type == u"bigint" || cast.type == u"smallint") {
            column.type = cast.type == u"bigint" ? SqlType::BigIntN : SqlType::IntN;
        } else {
            column.type = SqlType::Variant;
        }
        return column;
    }
    if (item.kind == SelectItem::Kind::ServerProperty) {
        column.type = SqlType::Variant;
    } else if (value.typeId() == QMetaType::LongLong) {
        column.type = SqlType::IntN;
    } else {
        column.type = SqlType::NVarChar;
        column.length = item.column == u"@@VERSION" ? 300 : 128;
    }
    return column;
}

QVariant castServerValue(const SelectItem &item, const QVariant &value)
{
    if (!item.cast || value.isNull())
        return value;
    if (isTextType(item.cast->type)) {
        const QString text = value.toString();
        const int length = item.cast->type == u"sysname" ? 128 : item.cast->length;
        return length < 0 ? text : text.left(length);
    }
    return value;
}

} // namespace standin
