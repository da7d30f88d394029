#pragma once

#include "AdoConnectionString.h"
#include "SqlServerDriver.h"

#include <QString>

namespace brevane::db {

// Turns the program's ADO-style connection text into the connection string
// of an ODBC driver for SQL Server.
//
// Login, password and catalog are passed as they are; the server name goes
// through ServerAddress. Values are quoted the way each driver reads them:
// Microsoft's drivers take {...} with '}' doubled; FreeTDS 1.3 ends a braced
// value at the first '}' that a ';' or the end follows and does not undouble,
// so a value is braced there only when it holds ';' or starts with '{'. A
// value FreeTDS cannot carry (one holding "};") raises a failure instead of
// logging on with a cut password. FreeTDS also gets TDS 7.4 and UTF-8; the
// Microsoft drivers ask for no encryption beyond what the server demands, as
// the old provider did.
class OdbcConnectionString
{
public:
    // Throws brevane::Failure: ProviderNotFound for a provider other than SQL
    // Server's, ConnectionFailed for a value the driver cannot carry.
    static QString translate(const AdoConnectionString &ado, const SqlServerDriver &driver);

    // One value written for `kind`; an empty optional when it cannot be written.
    static std::optional<QString> quote(const QString &value, SqlServerDriver::Kind kind);
};

} // namespace brevane::db
