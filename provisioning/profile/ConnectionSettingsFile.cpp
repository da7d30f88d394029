#include "ConnectionSettingsFile.h"

#include "PrivateProfile.h"

namespace brevane {

QList<profile::ProfileEntry> connectionSettingsEntries(const ConnectionSettings &settings)
{
    const QString sqlServer = QStringLiteral("SQL Server");
    return {
        {QStringLiteral("DataSource"), QStringLiteral("DataBase"), sqlServer},
        {sqlServer, QStringLiteral("Provider"), QStringLiteral("SQLOLEDB.1")},
        {sqlServer, QStringLiteral("Server"), settings.server},
        {sqlServer, QStringLiteral("User"), settings.user},
        {sqlServer, QStringLiteral("PassWord"), settings.password},
        {sqlServer, QStringLiteral("Initial Catalog"), settings.database},
    };
}

void writeConnectionSettings(
    const QString &settingsFile, const ConnectionSettings &settings, profile::AnsiCodePage codePage)
{
    const profile::PrivateProfile profile(codePage);
    for (const profile::ProfileEntry &entry : connectionSettingsEntries(settings))
        profile.writeString(entry.section, entry.key, entry.value, settingsFile);
}

} // namespace brevane
