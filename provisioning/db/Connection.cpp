#include "Connection.h"

#include "AccessFailures.h"
#include "AdoConnectionString.h"
#include "OdbcConnectionString.h"
#include "OdbcDiagnostics.h"
#include "OdbcHandle.h"
#include "OdbcStatement.h"
#include "SqlServerDriver.h"

#include <atomic>
#include <mutex>

namespace brevane::db {

namespace {
const QString source = QStringLiteral("Connection");
constexpr int defaultConnectionTimeout = 15;
constexpr int defaultCommandTimeout = 30;
} // namespace

class Connection::Private
{
public:
    void disconnect()
    {
        if (connection) {
            SQLDisconnect(connection.get());
            connection.reset();
        }
        environment.reset();
    }

    OdbcHandle environment;
    OdbcHandle connection; // set while open
    QString connectionString;
    QString driverName;
    QStringList lastMessages;
    int connectionTimeout = defaultConnectionTimeout;
    int cursorLocation = UseServer;
    int commandTimeout = defaultCommandTimeout;
    std::function<void(const QString &)> messageHandler;

    // The statement that is running, for cancel() from another thread.
    std::mutex runningMutex;
    void *running = nullptr;
    std::atomic<bool> cancelRequested = false;
};

Connection::Connection()
    : d(std::make_unique<Private>())
{ }

Connection::~Connection()
{
    d->disconnect();
}

int Connection::State() const
{
    return d->connection ? StateOpen : StateClosed;
}

void Connection::Close()
{
    if (!d->connection)
        throw AccessFailure::make(AccessFailure::ObjectClosed, source);
    d->disconnect();
}

QString Connection::ConnectionString() const
{
    return d->connectionString;
}

void Connection::setConnectionString(const QString &text)
{
    if (d->connection)
        throw AccessFailure::make(AccessFailure::ObjectOpen, source);
    d->connectionString = text;
}

int Connection::ConnectionTimeout() const
{
    return d->connectionTimeout;
}

void Connection::setConnectionTimeout(int seconds)
{
    if (d->connection)
        throw AccessFailure::make(AccessFailure::ObjectOpen, source);
    if (seconds < 0)
        throw AccessFailure::make(AccessFailure::InvalidArgument, source);
    d->connectionTimeout = seconds;
}

int Connection::CursorLocation() const
{
    return d->cursorLocation;
}

void Connection::setCursorLocation(int location)
{
    if (location != UseServer && location != UseClient)
        throw AccessFailure::make(AccessFailure::InvalidArgument, source);
    d->cursorLocation = location;
}

int Connection::CommandTimeout() const
{
    return d->commandTimeout;
}

void Connection::setCommandTimeout(int seconds)
{
    if (seconds < 0)
        throw AccessFailure::make(AccessFailure::InvalidArgument, source);
    d->commandTimeout = seconds;
}

void Connection::Open()
{
    if (d->connection)
        throw AccessFailure::make(AccessFailure::ObjectOpen, source);

    const std::optional<SqlServerDriver> driver = SqlServerDriver::find();
    if (!driver)
        throw AccessFailure::make(AccessFailure::ProviderNotFound, source);
    const QString odbcText
        = OdbcConnectionString::translate(AdoConnectionString::parse(d->connectionString), *driver);

    OdbcHandle environment = OdbcHandle::environment();
    if (!environment)
        throw AccessFailure::make(AccessFailure::ProviderNotFound, source);
    OdbcHandle connection = OdbcHandle::allocate(SQL_HANDLE_DBC, environment);
    if (!connection)
        throw logonFailure(readDiagnostics(SQL_HANDLE_ENV, environment.get()), source);

    // Without a log-on timeout the driver may wait for ever on a server that
    // accepts the connection and never answers.
    const int timeout = d->connectionTimeout > 0 ? d->connectionTimeout : defaultConnectionTimeout;
    SQLSetConnectAttrW(connection.get(), SQL_ATTR_LOGIN_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeout)), 0);

    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(connection.get(), nullptr,
        const_cast<SQLWCHAR *>(reinterpret_cast<const SQLWCHAR *>(odbcText.utf16())),
        SQLSMALLINT(odbcText.size()), nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc))
        throw logonFailure(readDiagnostics(SQL_HANDLE_DBC, connection.get()), driver->name);

    d->environment = std::move(environment);
    d->connection = std::move(connection);
    d->driverName = driver->name;
    d->lastMessages.clear();
}

Recordset Connection::Execute(const QString &statement)
{
    if (!d->connection)
        throw AccessFailure::make(AccessFailure::ConnectionUnusable, source);
    d->lastMessages.clear();
    // A cancel asked for between statements stops the next one before it is sent.
    if (d->cancelRequested.exchange(false))
        throw Failure(FailureNumber::Cancelled, QStringLiteral("Operation cancelled"), source);

    OdbcStatement::Hooks hooks;
    hooks.message = d->messageHandler;
    hooks.cancelRequested = [this] { return d->cancelRequested.load(); };
    hooks.running = [this](void *handle) {
        const std::lock_guard lock(d->runningMutex);
        d->running = handle;
    };
    OdbcStatement::Outcome outcome
        = OdbcStatement::execute(d->connection, statement, d->commandTimeout, d->driverName, hooks);
    d->lastMessages = outcome.messages;
    if (outcome.failure) {
        if (d->cancelRequested.exchange(false)
            && outcome.failure->number() != FailureNumber::ConnectionFailed)
            throw Failure(FailureNumber::Cancelled, QStringLiteral("Operation cancelled"), source);
        throw *outcome.failure;
    }
    return outcome.recordset;
}

void Connection::setMessageHandler(std::function<void(const QString &)> handler)
{
    d->messageHandler = std::move(handler);
}

void Connection::cancel()
{
    const std::lock_guard lock(d->runningMutex);
    d->cancelRequested = true;
    if (d->running)
        SQLCancel(d->running);
}

bool Connection::cancelRequested() const
{
    return d->cancelRequested;
}

QStringList Connection::lastMessages() const
{
    return d->lastMessages;
}

QString Connection::driverName() const
{
    return d->driverName;
}

} // namespace brevane::db
