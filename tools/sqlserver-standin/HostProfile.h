#pragma once

#include <QString>

#include <optional>

namespace standin {

// The machine the stand-in plays: its name, its operating system and the account the server runs as.
struct HostProfile
{
    enum class Platform { Linux, Windows };

    QString machineName; // SERVERPROPERTY('MachineName'); empty: the server's name
    Platform platform = Platform::Linux;
    // sys.dm_server_services' account: nullopt for the user the stand-in runs as; an empty text
    // refuses the view as to a login without the permission.
    std::optional<QString> serviceAccount;
    bool defaultPaths = true; // SERVERPROPERTY('InstanceDefaultDataPath') and ...LogPath are known
    // A restore that is cancelled, fails after creating its files or loses its connection leaves the
    // database RESTORING, as a real server may, instead of being undone.
    bool leaveRestoring = false;

    bool isWindows() const { return platform == Platform::Windows; }
};

} // namespace standin
