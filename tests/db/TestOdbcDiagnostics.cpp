#include "AccessFailures.h"
#include "OdbcDiagnostics.h"

#include <QTest>

using namespace brevane;
using namespace brevane::db;

Q_DECLARE_METATYPE(brevane::db::DiagRecord::Kind)

class TestOdbcDiagnostics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldStripOnlyDriverPrefixes_data();
    void shouldStripOnlyDriverPrefixes();
    void shouldClassifyRecords_data();
    void shouldClassifyRecords();
    void shouldReportTheServersRefusalOfALogon();
    void shouldReportTheDriversTextWhenTheServerIsUnreachable();
    void shouldReportALogonTimeout();
    void shouldReportTheFirstServerErrorOfAStatement();
    void shouldPreferTimeoutAndLostLinkOverServerErrors();
    void shouldTreatAnErrorWithoutRecordsAsAServerError();
    void shouldPinTheAdoTexts();
};

namespace {
DiagRecord rec(const char *state, qint32 native, const char *text)
{
    return { QString::fromLatin1(state), native, QString::fromUtf8(text) };
}
} // namespace

void TestOdbcDiagnostics::shouldStripOnlyDriverPrefixes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("FreeTDS") << "[FreeTDS][SQL Server]Login failed for user 'sa'."
                             << "Login failed for user 'sa'.";
    QTest::newRow("Microsoft 18")
        << "[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]Incorrect syntax near 'x'."
        << "Incorrect syntax near 'x'.";
    QTest::newRow("driver manager") << "[unixODBC][Driver Manager]Function sequence error"
                                    << "Function sequence error";
    QTest::newRow("server text in brackets kept") << "[FreeTDS][SQL Server][dbo] is not valid"
                                                  << "[dbo] is not valid";
    QTest::newRow("no prefix") << "Device dropped."
                               << "Device dropped.";
}

void TestOdbcDiagnostics::shouldStripOnlyDriverPrefixes()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    QCOMPARE(stripDriverPrefixes(text), message);
}

void TestOdbcDiagnostics::shouldClassifyRecords_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("native");
    QTest::addColumn<DiagRecord::Kind>("kind");
    using K = DiagRecord::Kind;
    QTest::newRow("restore progress") << "01000" << 4035 << K::Information;
    QTest::newRow("database context") << "01000" << 5701 << K::Information;
    QTest::newRow("server error") << "42000" << 3201 << K::ServerError;
    QTest::newRow("bad object") << "42S02" << 208 << K::ServerError;
    QTest::newRow("login refused (Microsoft)") << "28000" << 18456 << K::ServerError;
    QTest::newRow("timeout") << "HYT00" << 0 << K::Timeout;
    QTest::newRow("cancelled") << "HY008" << 0 << K::Cancelled;
    QTest::newRow("link failure") << "08S01" << 0 << K::LinkLost;
    QTest::newRow("unreachable") << "08S01" << 20009 << K::LinkLost;
    QTest::newRow("end of stream notice") << "01000" << 20017 << K::LinkLost;
    QTest::newRow("stuck driver") << "HY000" << 0 << K::DriverError;
    QTest::newRow("sequence error") << "HY010" << 0 << K::DriverError;
    QTest::newRow("driver missing") << "IM002" << 0 << K::DriverError;
}

void TestOdbcDiagnostics::shouldClassifyRecords()
{
    QFETCH(QString, state);
    QFETCH(int, native);
    QFETCH(DiagRecord::Kind, kind);
    QCOMPARE((DiagRecord { state, native, QStringLiteral("x") }.kind()), kind);
}

void TestOdbcDiagnostics::shouldReportTheServersRefusalOfALogon()
{
    const Failure failure
        = logonFailure({ rec("42000", 18456, "[FreeTDS][SQL Server]Login failed for user 'sa'."),
                           rec("08001", 0, "[FreeTDS][SQL Server]Unable to connect to data source") },
            QStringLiteral("FreeTDS"));
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    QCOMPARE(failure.description(), QStringLiteral("Login failed for user 'sa'."));
    QCOMPARE(failure.source(), QStringLiteral("FreeTDS"));
}

void TestOdbcDiagnostics::shouldReportTheDriversTextWhenTheServerIsUnreachable()
{
    Failure failure = logonFailure(
        { rec("08S01", 20009,
              "[FreeTDS][SQL Server]Unable to connect: Adaptive Server is unavailable or does not exist"),
            rec("08001", 0, "[FreeTDS][SQL Server]Unable to connect to data source") },
        {});
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    QCOMPARE(failure.description(),
        QStringLiteral("Unable to connect: Adaptive Server is unavailable or does not exist"));

    failure
        = logonFailure({ rec("08001", 0, "[FreeTDS][SQL Server]Unable to connect to data source"),
                           rec("01000", 20002, "[FreeTDS][SQL Server]Adaptive Server connection failed") },
            {});
    QCOMPARE(failure.description(), QStringLiteral("Adaptive Server connection failed"));

    QCOMPARE(logonFailure({}, {}).number(), FailureNumber::ConnectionFailed);
    QVERIFY(!logonFailure({}, {}).description().isEmpty());
}

void TestOdbcDiagnostics::shouldReportALogonTimeout()
{
    const Failure failure
        = logonFailure({ rec("HYT00", 0, "[FreeTDS][SQL Server]Timeout expired"),
                           rec("08001", 0, "[FreeTDS][SQL Server]Unable to connect to data source") },
            {});
    QCOMPARE(failure.number(), FailureNumber::Timeout);
    QCOMPARE(failure.description(), QStringLiteral("Login timeout expired"));
}

void TestOdbcDiagnostics::shouldReportTheFirstServerErrorOfAStatement()
{
    const Failure failure = statementFailure(
        { rec("01000", 5701, "[FreeTDS][SQL Server]Changed database context to 'master'."),
            rec("42000", 3201,
                "[FreeTDS][SQL Server]Cannot open backup device 'C:\\x.bak'. Operating system error 2(The "
                "system "
                "cannot find the file specified.)."),
            rec("42000", 3013, "[FreeTDS][SQL Server]RESTORE FILELIST is terminating abnormally."),
            rec("HY010", 0, "[unixODBC][Driver Manager]Function sequence error") },
        false, {});
    QCOMPARE(failure.number(), FailureNumber::ServerStatementError);
    QCOMPARE(failure.description(),
        QStringLiteral("Cannot open backup device 'C:\\x.bak'. Operating system error "
                       "2(The system cannot find the file specified.)."));
}

void TestOdbcDiagnostics::shouldPreferTimeoutAndLostLinkOverServerErrors()
{
    Failure failure = statementFailure({ rec("HYT00", 0, "[FreeTDS][SQL Server]Timeout expired"),
                                           rec("HY008", 0, "[FreeTDS][SQL Server]Operation was cancelled") },
        false, {});
    QCOMPARE(failure.number(), FailureNumber::Timeout);
    QCOMPARE(failure.description(), QStringLiteral("Query timeout expired"));

    failure
        = statementFailure({ rec("42000", 50000, "[FreeTDS][SQL Server]half done"),
                               rec("01000", 20017, "[FreeTDS][SQL Server]Unexpected EOF from the server") },
            false, {});
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    QCOMPARE(failure.description(), QStringLiteral("Unexpected EOF from the server"));

    failure = statementFailure({ rec("HY000", 0, "[FreeTDS][SQL Server]Unknown error") }, true, {});
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
}

void TestOdbcDiagnostics::shouldTreatAnErrorWithoutRecordsAsAServerError()
{
    const Failure failure = statementFailure({ rec("01000", 4035, "Processed 1 pages.") }, false, {});
    QCOMPARE(failure.number(), FailureNumber::ServerStatementError);
    QVERIFY(!failure.description().isEmpty());
}

void TestOdbcDiagnostics::shouldPinTheAdoTexts()
{
    QCOMPARE(AccessFailure::text(FailureNumber::NoCurrentRecord),
        QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. Requested "
                       "operation requires a current record."));
    const Failure failure
        = AccessFailure::make(AccessFailure::ConnectionUnusable, QStringLiteral("Connection"));
    QCOMPARE(failure.number(), 3709);
    QCOMPARE(failure.descriptionFirst(),
        QStringLiteral(
            "The connection cannot be used to perform this operation. It is either closed or invalid "
            "in this context. : 3709"));
    for (qint32 number : { 3001, 3265, 3704, 3705, 3706 })
        QVERIFY2(!AccessFailure::text(number).isEmpty(), qPrintable(QString::number(number)));
}

QTEST_GUILESS_MAIN(TestOdbcDiagnostics)
#include "TestOdbcDiagnostics.moc"
