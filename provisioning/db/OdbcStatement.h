#pragma once

#include "Failure.h"
#include "Recordset.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace brevane::db {

class OdbcHandle;

// Runs one batch on an open ODBC connection and drains it to its end.
//
// Every result and message the server sends is read (SQLMoreResults until
// SQL_NO_DATA) before the statement handle is freed, because freeing it
// early makes the driver cancel whatever the server is still doing, such as
// a restore. The first result with columns is kept with all its rows. The
// draining stops, and the batch fails, as soon as the link is lost (a
// communication SQLSTATE, FreeTDS's end-of-stream notice, or the driver
// marking the connection dead) or the driver stops making progress, so a
// cut-off reply never passes for a finished one.
class OdbcStatement
{
public:
    struct Outcome
    {
        Recordset recordset;
        QStringList messages; // informational server messages, in order
        std::optional<Failure> failure; // see statementFailure in OdbcDiagnostics.h
    };

    // Lets the caller follow a batch while it runs.
    struct Hooks
    {
        // Called with the statement handle before the batch is sent, and with
        // null before the handle is freed: another thread may cancel through
        // it in between.
        std::function<void(void *statement)> running;
        // Called with each informational message as soon as it has been read.
        std::function<void(const QString &message)> message;
        // Asked after every step; true stops the batch as cancelled.
        std::function<bool()> cancelRequested;
    };

    static Outcome execute(const OdbcHandle &connection, const QString &text, int timeoutSeconds,
        const QString &source, const Hooks &hooks = {});
};

} // namespace brevane::db
