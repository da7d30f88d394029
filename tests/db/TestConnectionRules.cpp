#include "AccessFailures.h"
#include "Connection.h"

#include <QTcpServer>
#include <QTest>

using namespace brevane;
using namespace brevane::db;

// Connection behaviour that needs the ODBC driver but no database server:
// property rules and a peer that accepts the connection and never answers.
class TestConnectionRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldStartWithTheOldDefaults();
    void shouldRefuseOperationsOnAClosedConnection();
    void shouldRefuseBadPropertyValues();
    void shouldNotWaitForEverWithAZeroLogonTimeout();
};

namespace {
template<typename Call> qint32 failureOf(Call call)
{
    try {
        call();
    } catch (const Failure &failure) {
        return failure.number();
    }
    return 0;
}

QString logonText(quint16 port)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;"
                          "Initial Catalog=master;Data Source=127.0.0.1,%1")
        .arg(port);
}
} // namespace

void TestConnectionRules::shouldStartWithTheOldDefaults()
{
    Connection connection;
    QCOMPARE(connection.State(), Connection::StateClosed);
    QCOMPARE(connection.ConnectionTimeout(), 15);
    QCOMPARE(connection.CommandTimeout(), 30);
    QCOMPARE(connection.CursorLocation(), Connection::UseServer);
    QVERIFY(connection.ConnectionString().isEmpty());
}

void TestConnectionRules::shouldRefuseOperationsOnAClosedConnection()
{
    Connection connection;
    QCOMPARE(failureOf([&] { connection.Execute(QStringLiteral("SELECT 1")); }),
        AccessFailure::ConnectionUnusable);
    QCOMPARE(failureOf([&] { connection.Close(); }), AccessFailure::ObjectClosed);
}

void TestConnectionRules::shouldRefuseBadPropertyValues()
{
    Connection connection;
    QCOMPARE(failureOf([&] { connection.setConnectionTimeout(-1); }), AccessFailure::InvalidArgument);
    QCOMPARE(failureOf([&] { connection.setCommandTimeout(-5); }), AccessFailure::InvalidArgument);
    QCOMPARE(failureOf([&] { connection.setCursorLocation(7); }), AccessFailure::InvalidArgument);
    connection.setCursorLocation(Connection::UseClient);
    connection.setCommandTimeout(0);
    QCOMPARE(connection.CursorLocation(), 3);
    QCOMPARE(connection.CommandTimeout(), 0);
}

void TestConnectionRules::shouldNotWaitForEverWithAZeroLogonTimeout()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));

    Connection connection;
    connection.setConnectionString(logonText(silent.serverPort()));
    connection.setConnectionTimeout(0);
    QCOMPARE(failureOf([&] { connection.Open(); }), FailureNumber::Timeout);
}

QTEST_GUILESS_MAIN(TestConnectionRules)
#include "TestConnectionRules.moc"
