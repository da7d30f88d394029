#pragma once

#include "HostProfile.h"

#include <QString>

#include <optional>

namespace standin {

// A SQL Server product version (major.minor.build.revision) and the on-disk database version that
// goes with it.
struct ServerVersion
{
    int major = 15;
    int minor = 0;
    int build = 2000;
    int revision = 5;

    // "15.0.2000" or "15.0.2000.5"; a missing revision is 0.
    static std::optional<ServerVersion> parse(const QString &text);

    // As SERVERPROPERTY('ProductVersion') gives it: 15.0.2000.5
    QString productVersion() const;
    // As messages quote it: 15.00.2000
    QString messageForm() const;
    // The database format version this release writes (904 for SQL Server 2019).
    int databaseVersion() const;
    // The release's name year (2019 for 15.x), for @@VERSION.
    int releaseYear() const;
};

// Who the server says it is.
struct ServerIdentity
{
    QString name = QStringLiteral("STANDIN");
    ServerVersion version;
    int codePage = 1252; // of the default collation: literals without N are converted through it
    HostProfile host;
    QString dataDir; // this machine's folder of the catalogue, the server's own data folder
};

} // namespace standin
