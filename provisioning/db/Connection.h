#pragma once

#include "Recordset.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace brevane::db {

// A connection to SQL Server with the properties and behaviour of the old
// ADO Connection the program was written against, over the installed ODBC
// driver. Failures are thrown as brevane::Failure.
class Connection
{
public:
    static constexpr int StateClosed = 0;
    static constexpr int StateOpen = 1;
    static constexpr int UseServer = 2; // CursorLocation values
    static constexpr int UseClient = 3;

    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    int State() const;
    // Fails with 3704 when the connection is not open.
    void Close();

    // The ADO-style text, kept exactly as set (see AdoConnectionString for
    // how it is read). Fails with 3705 while open.
    QString ConnectionString() const;
    void setConnectionString(const QString &text);

    // Seconds the log-on may take (default 15). 0 does not mean "wait for
    // ever" here: a log-on to a server that never answers would hang, so 0
    // falls back to the default. Negative values fail with 3001; changes
    // fail with 3705 while open.
    int ConnectionTimeout() const;
    void setConnectionTimeout(int seconds);

    // 2 server side (default) or 3 client side; rows are always fetched at
    // Execute time, so both give exact record counts. Other values fail with 3001.
    int CursorLocation() const;
    void setCursorLocation(int location);

    // Seconds a statement may wait for the server before it is cancelled
    // (default 30; 0 = no limit). Negative values fail with 3001.
    int CommandTimeout() const;
    void setCommandTimeout(int seconds);

    // Logs on. Fails with 3705 when already open, 3706 without a usable
    // driver, the log-on timeout failure, or the driver's/server's refusal.
    void Open();

    // Runs the text as sent and returns its first result. Fails with 3709
    // when not open, or with the statement's failure.
    Recordset Execute(const QString &statement);

    // The informational messages of the last Execute (restore progress and the like).
    QStringList lastMessages() const;

    // Receives each informational message while a statement runs, as it arrives.
    void setMessageHandler(std::function<void(const QString &message)> handler);

    // Asks the server to stop the statement that is running (the driver sends
    // an attention); that Execute then fails with FailureNumber::Cancelled.
    // Safe to call from another thread. A cancel with no statement running
    // (or one that came too late to stop it) makes the next Execute fail the
    // same way without sending anything. Each cancel stops one statement.
    void cancel();
    bool cancelRequested() const;

    // The name of the ODBC driver used by the last Open.
    QString driverName() const;

private:
    class Private;
    const std::unique_ptr<Private> d;
};

} // namespace brevane::db
