#include "OdbcDiagnostics.h"

#include "OdbcHandle.h"

#include <QRegularExpression>

#include <algorithm>

namespace brevane::db {

namespace {

// FreeTDS's own numbers for a read failure, a write failure and an
// unexpected end of the server's stream.
bool isFreeTdsLinkNumber(qint32 number)
{
    return number == 20004 || number == 20006 || number == 20017;
}

QString fromWide(const SQLWCHAR *text, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

} // namespace

DiagRecord::Kind DiagRecord::kind() const
{
    if (sqlState.startsWith(QLatin1String("HYT")))
        return Kind::Timeout;
    if (sqlState == QLatin1String("HY008"))
        return Kind::Cancelled;
    if (sqlState.startsWith(QLatin1String("08")))
        return Kind::LinkLost;
    if ((sqlState == QLatin1String("01000") || sqlState == QLatin1String("HY000"))
        && isFreeTdsLinkNumber(nativeError))
        return Kind::LinkLost;
    if (sqlState.startsWith(QLatin1String("01")))
        return Kind::Information;
    if (sqlState.startsWith(QLatin1String("HY")) || sqlState.startsWith(QLatin1String("IM"))
        || nativeError == 0)
        return Kind::DriverError;
    return Kind::ServerError;
}

QString DiagRecord::message() const
{
    return stripDriverPrefixes(text);
}

QString stripDriverPrefixes(const QString &text)
{
    static const QRegularExpression prefix(
        QStringLiteral("^\\[(?:FreeTDS|SQL Server|Microsoft|unixODBC|Driver Manager|DBNETLIB|"
                       "ODBC Driver \\d+ for SQL Server|SQL Server Native Client [\\d.]+|"
                       "ODBC SQL Server Driver)\\]"));
    QString rest = text;
    for (int guard = 0; guard < 8; ++guard) {
        const QRegularExpressionMatch match = prefix.match(rest);
        if (!match.hasMatch())
            break;
        rest.remove(0, match.capturedLength());
    }
    return rest;
}

QList<DiagRecord> readDiagnostics(short handleType, void *handle)
{
    QList<DiagRecord> records;
    if (handle == SQL_NULL_HANDLE)
        return records;
    // Drivers keep a few records per call; the bound only stops a runaway.
    for (SQLSMALLINT number = 1; number <= 256; ++number) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR buffer[1024];
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(
            handleType, handle, number, state, &native, buffer, SQLSMALLINT(std::size(buffer)), &length);
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc))
            break;
        DiagRecord record;
        record.sqlState = fromWide(state, 5);
        record.nativeError = native;
        if (length >= SQLSMALLINT(std::size(buffer))) {
            // Longer than the buffer: ask again with room for all of it.
            QList<SQLWCHAR> large(length + 1);
            SQLSMALLINT again = 0;
            rc = SQLGetDiagRecW(
                handleType, handle, number, state, &native, large.data(), SQLSMALLINT(large.size()), &again);
            if (SQL_SUCCEEDED(rc))
                record.text = fromWide(large.constData(), std::clamp<qsizetype>(again, 0, large.size() - 1));
        } else {
            record.text = fromWide(buffer, std::max<qsizetype>(0, length));
        }
        records.append(record);
    }
    return records;
}

Failure logonFailure(const QList<DiagRecord> &records, const QString &source)
{
    for (const DiagRecord &record : records) {
        if (record.kind() == DiagRecord::Kind::Timeout)
            return Failure(FailureNumber::Timeout, QStringLiteral("Login timeout expired"), source);
    }

    // The server's refusal says most; then a driver message with a number of
    // its own (unreachable host, refused connection); then anything.
    const DiagRecord *best = nullptr;
    auto pick = [&](auto &&accept) {
        for (const DiagRecord &record : records) {
            if (!best && accept(record))
                best = &record;
        }
    };
    pick([](const DiagRecord &r) { return r.kind() == DiagRecord::Kind::ServerError; });
    pick([](const DiagRecord &r) { return r.nativeError != 0 && r.kind() != DiagRecord::Kind::Information; });
    pick([](const DiagRecord &r) { return r.nativeError != 0; });
    pick([](const DiagRecord &r) { return r.kind() != DiagRecord::Kind::Information; });
    pick([](const DiagRecord &) { return true; });

    const QString description = best ? best->message() : QStringLiteral("Unable to connect to the server.");
    return Failure(FailureNumber::ConnectionFailed, description, source);
}

Failure statementFailure(const QList<DiagRecord> &records, bool linkLost, const QString &source)
{
    auto first = [&](DiagRecord::Kind kind) -> const DiagRecord * {
        for (const DiagRecord &record : records) {
            if (record.kind() == kind)
                return &record;
        }
        return nullptr;
    };

    if (first(DiagRecord::Kind::Timeout))
        return Failure(FailureNumber::Timeout, QStringLiteral("Query timeout expired"), source);

    const DiagRecord *lost = first(DiagRecord::Kind::LinkLost);
    if (linkLost || lost) {
        const QString description = lost ? lost->message() : QStringLiteral("Communication link failure");
        return Failure(FailureNumber::ConnectionFailed, description, source);
    }

    if (const DiagRecord *error = first(DiagRecord::Kind::ServerError)) {
        Failure failure(FailureNumber::ServerStatementError, error->message(), source);
        QStringList messages;
        for (const DiagRecord &record : records) {
            if (record.kind() == DiagRecord::Kind::ServerError)
                messages.append(record.message());
        }
        failure.setServerMessages(messages);
        return failure;
    }

    if (const DiagRecord *error = first(DiagRecord::Kind::DriverError))
        return Failure(FailureNumber::ConnectionFailed, error->message(), source);

    // An error result with no record at all: the server ended the statement
    // with its error flag and no message.
    return Failure(
        FailureNumber::ServerStatementError, QStringLiteral("The server reported an error."), source);
}

} // namespace brevane::db
