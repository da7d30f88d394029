#pragma once

#include <QString>

#include <optional>

namespace brevane::run {

// Whether the server runs on this machine, so that the paths it is sent
// name this machine's files.
class ServerLocation
{
public:
    // ".", "(local)", "localhost" or a loopback address, with or without a
    // port (",1433") or an instance ("\NAME").
    static bool addressNamesThisMachine(const QString &server);
    // The server's machine name against this machine's host name, without regard to case.
    static bool isThisMachine(const QString &machineName);
};

} // namespace brevane::run
