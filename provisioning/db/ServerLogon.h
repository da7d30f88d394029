#pragma once

#include "Connection.h"
#include "Failure.h"

#include <QString>

#include <memory>

namespace brevane::db {

// The log-on connection text: "Provider=SQLOLEDB.1;Password=<pw>;Persist
// Security Info=True;User ID=<login>;Initial Catalog=master;Data
// Source=<server>", each value trimmed of blanks and otherwise unquoted.
QString serverLogonConnectionString(const QString &server, const QString &login, const QString &password);

// Opens `conMaster` on the server's master catalog with SQL Server
// authentication: closes it first when open, sets the connection text, a
// log-on timeout (180 seconds unless given) and client-side cursors, then opens it. On
// any failure `conMaster` is emptied, `*failure` (when given) receives the
// cause and the result is false. Shows nothing; the caller reports.
bool OpenServerConnection(std::unique_ptr<Connection> &conMaster, const QString &server, const QString &login,
    const QString &password, Failure *failure = nullptr, int logonTimeoutSeconds = 180);

} // namespace brevane::db
