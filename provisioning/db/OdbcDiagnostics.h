#pragma once

#include "Failure.h"

#include <QList>
#include <QString>

namespace brevane::db {

// One diagnostic record of an ODBC call.
struct DiagRecord
{
    QString sqlState;
    qint32 nativeError = 0;
    QString text; // as the driver gave it, prefixes included

    // What the record tells the caller.
    enum class Kind {
        Information, // a server message of level 10 or less, or a driver notice
        ServerError, // the server rejected the statement or the log-on
        Timeout, // the log-on or statement timeout ran out
        Cancelled, // the statement was cancelled (follows a timeout)
        LinkLost, // the connection to the server is gone
        DriverError, // anything else the driver or driver manager reports
    };
    Kind kind() const;

    // The text without the driver's and driver manager's "[...]" prefixes.
    QString message() const;
};

// Reads every diagnostic record of a handle (up to a sane bound).
QList<DiagRecord> readDiagnostics(short handleType, void *handle);

// Removes leading vendor prefixes such as "[FreeTDS][SQL Server]" or
// "[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]"; other bracketed
// text that starts a server message is kept.
QString stripDriverPrefixes(const QString &text);

// The failure for a log-on the driver refused: Timeout ("Login timeout
// expired") when the log-on timeout ran out, else ConnectionFailed with the
// most telling text (the server's own message first, then the driver's).
Failure logonFailure(const QList<DiagRecord> &records, const QString &source);

// The failure for a statement, from every record its calls produced:
// Timeout ("Query timeout expired"), else ConnectionFailed when the link was
// lost, else ServerStatementError with the server's first error text, else
// ConnectionFailed with the driver's text.
Failure statementFailure(const QList<DiagRecord> &records, bool linkLost, const QString &source);

} // namespace brevane::db
