#include "OdbcStatement.h"

#include "OdbcDiagnostics.h"
#include "OdbcHandle.h"

#include <algorithm>
#include <limits>

namespace brevane::db {

namespace {

// Upper bounds for loops that a broken driver could otherwise keep going.
constexpr int maxResultSteps = 1'000'000;
constexpr int maxChunksPerValue = 1 << 16;

class Drain
{
public:
    Drain(const OdbcHandle &connection, OdbcHandle statement, const OdbcStatement::Hooks &hooks)
        : m_connection(connection)
        , m_statement(std::move(statement))
        , m_hooks(hooks)
    { }

    SQLHSTMT statement() const { return m_statement.get(); }

    // Records what the last call on the statement returned. Returns true
    // when this call produced a server error record.
    bool note(SQLRETURN rc)
    {
        bool serverError = false;
        if (rc != SQL_SUCCESS && rc != SQL_NO_DATA) {
            const QList<DiagRecord> records = readDiagnostics(SQL_HANDLE_STMT, m_statement.get());
            for (const DiagRecord &record : records) {
                switch (record.kind()) {
                case DiagRecord::Kind::Information:
                    m_outcome.messages.append(record.message());
                    if (m_hooks.message)
                        m_hooks.message(record.message());
                    break;
                case DiagRecord::Kind::LinkLost:
                    m_linkLost = true;
                    break;
                case DiagRecord::Kind::Timeout:
                    m_timedOut = true;
                    break;
                case DiagRecord::Kind::ServerError:
                    serverError = true;
                    break;
                default:
                    break;
                }
                if (record.sqlState == QLatin1String("HY010"))
                    m_outOfSequence = true;
            }
            m_records += records;
        }
        if (rc == SQL_ERROR || rc == SQL_INVALID_HANDLE) {
            m_failed = true;
            if (connectionDead())
                m_linkLost = true;
        }
        return serverError;
    }

    // Whether draining must stop: nothing more can be read.
    bool broken() const { return m_linkLost || m_timedOut || m_outOfSequence; }

    void keepFirstResult()
    {
        SQLSMALLINT columns = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(statement(), &columns)) || columns <= 0 || m_haveResult)
            return;
        m_haveResult = true;

        QStringList names;
        for (SQLUSMALLINT column = 1; column <= SQLUSMALLINT(columns); ++column)
            names.append(columnName(column));

        QList<QStringList> rows;
        while (rows.size() < std::numeric_limits<int>::max()) {
            const SQLRETURN rc = SQLFetch(statement());
            if (rc == SQL_NO_DATA)
                break;
            note(rc);
            if (!SQL_SUCCEEDED(rc) || broken())
                break;
            QStringList row;
            row.reserve(columns);
            for (SQLUSMALLINT column = 1; column <= SQLUSMALLINT(columns) && !broken() && !m_failed; ++column)
                row.append(value(column));
            if (broken() || m_failed)
                break;
            rows.append(row);
        }
        m_outcome.recordset = Recordset(names, rows);
    }

    OdbcStatement::Outcome finish(const QString &source)
    {
        if (m_failed || m_linkLost || m_timedOut)
            m_outcome.failure = statementFailure(m_records, m_linkLost, source);
        return std::move(m_outcome);
    }

    void fail(const DiagRecord &record)
    {
        m_records.append(record);
        m_failed = true;
    }

private:
    bool connectionDead() const
    {
        SQLUINTEGER dead = SQL_CD_FALSE;
        const SQLRETURN rc
            = SQLGetConnectAttrW(m_connection.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
        return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
    }

    QString columnName(SQLUSMALLINT column)
    {
        SQLWCHAR name[256];
        SQLSMALLINT length = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        if (!SQL_SUCCEEDED(SQLDescribeColW(statement(), column, name, SQLSMALLINT(std::size(name)), &length,
                &type, &size, &digits, &nullable)))
            return {};
        length = std::clamp<SQLSMALLINT>(length, 0, SQLSMALLINT(std::size(name) - 1));
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(name), length);
    }

    // One value as text, read in pieces so that long values arrive whole.
    QString value(SQLUSMALLINT column)
    {
        constexpr qsizetype bufferChars = 256;
        SQLWCHAR buffer[bufferChars];
        QString text = QStringLiteral(""); // empty but not null: NULL is the null QString
        for (int chunk = 0; chunk < maxChunksPerValue; ++chunk) {
            SQLLEN indicator = 0;
            const SQLRETURN rc
                = SQLGetData(statement(), column, SQL_C_WCHAR, buffer, sizeof(buffer), &indicator);
            if (rc == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(rc)) {
                note(rc);
                return {};
            }
            if (indicator == SQL_NULL_DATA)
                return {};
            const bool partial = indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof(buffer));
            const qsizetype chars
                = partial ? bufferChars - 1 : qsizetype(indicator) / qsizetype(sizeof(SQLWCHAR));
            text.append(QStringView(reinterpret_cast<const char16_t *>(buffer), chars));
            if (rc == SQL_SUCCESS || !partial)
                break;
        }
        return text;
    }

    const OdbcHandle &m_connection;
    OdbcHandle m_statement;
    const OdbcStatement::Hooks &m_hooks;
    OdbcStatement::Outcome m_outcome;
    QList<DiagRecord> m_records;
    bool m_failed = false;
    bool m_linkLost = false;
    bool m_timedOut = false;
    bool m_outOfSequence = false;
    bool m_haveResult = false;
};

// Tells the hooks that the statement handle is going away, before it is freed.
class RunningHandle
{
public:
    RunningHandle(const OdbcStatement::Hooks &hooks, void *statement)
        : m_hooks(hooks)
    {
        if (m_hooks.running)
            m_hooks.running(statement);
    }
    ~RunningHandle()
    {
        if (m_hooks.running)
            m_hooks.running(nullptr);
    }
    RunningHandle(const RunningHandle &) = delete;
    RunningHandle &operator=(const RunningHandle &) = delete;

private:
    const OdbcStatement::Hooks &m_hooks;
};

} // namespace

OdbcStatement::Outcome OdbcStatement::execute(const OdbcHandle &connection, const QString &text,
    int timeoutSeconds, const QString &source, const Hooks &hooks)
{
    OdbcHandle handle = OdbcHandle::allocate(SQL_HANDLE_STMT, connection);
    if (!handle)
        return { {}, {}, statementFailure(readDiagnostics(SQL_HANDLE_DBC, connection.get()), false, source) };

    Drain drain(connection, std::move(handle), hooks);
    const RunningHandle running(hooks, drain.statement());
    SQLSetStmtAttrW(drain.statement(), SQL_ATTR_QUERY_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(qMax(0, timeoutSeconds))), 0);

    SQLRETURN rc = SQLExecDirectW(drain.statement(),
        const_cast<SQLWCHAR *>(reinterpret_cast<const SQLWCHAR *>(text.utf16())), SQLINTEGER(text.size()));
    bool first = true;
    for (int step = 0;; ++step) {
        // A cancel asked for before the batch was seen to its end stops it
        // here. The driver may already have read and dropped the rest of the
        // answer for the canceller, so an orderly end afterwards proves nothing.
        if (hooks.cancelRequested && hooks.cancelRequested()) {
            drain.note(rc);
            SQLCancel(drain.statement());
            drain.fail({ QStringLiteral("HY008"), 0, QStringLiteral("Operation was cancelled") });
            break;
        }
        // SQL_NO_DATA from the batch itself is a batch that returned nothing.
        if (rc == SQL_NO_DATA)
            break;
        const bool serverError = drain.note(rc);
        if (drain.broken() || rc == SQL_INVALID_HANDLE)
            break;
        // A later call that fails without the server saying why means the
        // driver can no longer read the batch; asking again would not help.
        if (rc == SQL_ERROR && !first && !serverError)
            break;
        if (SQL_SUCCEEDED(rc)) {
            drain.keepFirstResult();
            if (drain.broken())
                break;
        }
        if (step >= maxResultSteps) {
            drain.fail(
                { QStringLiteral("HY000"), 0, QStringLiteral("The batch returned too many results.") });
            break;
        }
        rc = SQLMoreResults(drain.statement());
        first = false;
    }

    return drain.finish(source);
}

} // namespace brevane::db
