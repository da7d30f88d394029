#include "ClassModule.h"
#include "Failure.h"
#include "StandinProcess.h"

#include <QTest>

using brevane::ClassModule;
using brevane::Failure;
using brevane::db::Connection;

// GetDynamicRecordset against the SQL Server stand-in on a loopback port.
class TestClassModuleRecordset : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void shouldReturnTheRowsTheStatementYields();
    void shouldPassTheServersRefusalToTheCaller();

private:
    hall::test::StandinProcess m_server;
    Connection m_connection;
    ClassModule m_module;
};

void TestClassModuleRecordset::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
    m_connection.setConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;Password=Secret#1;Persist Security Info=True;"
                       "User ID=sa;Initial Catalog=master;Data Source=127.0.0.1,%1")
            .arg(m_server.port()));
    m_connection.setCursorLocation(Connection::UseClient);
    m_connection.Open();
}

void TestClassModuleRecordset::shouldReturnTheRowsTheStatementYields()
{
    brevane::db::Recordset rows
        = m_module.GetDynamicRecordset(m_connection, QStringLiteral("SELECT 'abc', 42"));
    QCOMPARE(rows.RecordCount(), 1);
    QCOMPARE(rows.FieldCount(), 2);
    rows.MoveFirst();
    QCOMPARE(rows.Fields(0), QStringLiteral("abc"));
    QCOMPARE(rows.Fields(1), QStringLiteral("42"));
    QVERIFY(m_server.statements().contains(QStringLiteral("SELECT 'abc', 42")));
}

void TestClassModuleRecordset::shouldPassTheServersRefusalToTheCaller()
{
    try {
        m_module.GetDynamicRecordset(m_connection, QStringLiteral("SELECT FROM WHERE"));
        QFAIL("no failure");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), brevane::FailureNumber::ServerStatementError);
    }
}

QTEST_GUILESS_MAIN(TestClassModuleRecordset)
#include "TestClassModuleRecordset.moc"
