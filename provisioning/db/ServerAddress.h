#pragma once

#include <QString>

#include <optional>

namespace brevane::db {

// Where a server name such as ".", "(local)\SQLEXPRESS", "host,1444" or
// "tcp:host\INST" points.
//
// ".", "(local)" and "localhost" (any letter case, with or without an
// instance after them) and the empty name mean the default instance on this
// machine: 127.0.0.1, port 1433 unless a port is given. A named instance on
// another host keeps its instance name so that the driver can look its port
// up; any other host without a port gets 1433.
struct ServerAddress
{
    QString host;
    std::optional<quint16> port;
    QString instance; // only for remote named instances without a port

    static ServerAddress fromDataSource(const QString &dataSource);
    static constexpr quint16 defaultPort = 1433;
};

} // namespace brevane::db
