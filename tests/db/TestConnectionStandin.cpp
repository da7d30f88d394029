#include "Connection.h"
#include "ServerLogon.h"
#include "StandinProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace brevane;
using namespace brevane::db;
using hall::test::StandinProcess;

// The access layer through the real client stack (unixODBC and the FreeTDS
// driver) against the SQL Server stand-in.
class TestConnectionStandin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldLogOnWithTheRightPasswordOnly();
    void shouldLogOnWithPasswordsHoldingSeparators_data();
    void shouldLogOnWithPasswordsHoldingSeparators();
    void shouldSendTrimmedValues();
    void shouldReopenAnOpenConnection();
    void shouldGiveUpOnASilentServer();
    void shouldReportTheServersErrorText();
    void shouldReturnEveryRowOfAResult();
    void shouldReadLongValuesWhole();
    void shouldSucceedForABatchWithoutResult();
    void shouldCancelAStatementPastItsTimeoutAndStayUsable();
    void shouldFailWhenTheServerDropsTheConnection();
    void shouldNotTakeACutOffRestoreForSuccess();
    void shouldDrainARestoreToItsEnd();
};

namespace {
QString logonText(quint16 port, const QString &login, const QString &password)
{
    return serverLogonConnectionString(QStringLiteral("127.0.0.1,%1").arg(port), login, password);
}

std::unique_ptr<StandinProcess> startStandin(StandinProcess::Options options = {})
{
    auto standin = std::make_unique<StandinProcess>(std::move(options));
    if (!standin->start())
        qWarning("stand-in did not start: %s", qPrintable(standin->errorString()));
    return standin;
}

std::unique_ptr<Connection> openOn(const StandinProcess &standin, int commandTimeout = 30)
{
    auto connection = std::make_unique<Connection>();
    connection->setConnectionString(
        logonText(standin.port(), QStringLiteral("sa"), QStringLiteral("Secret#1")));
    connection->setConnectionTimeout(10);
    connection->setCursorLocation(Connection::UseClient);
    connection->setCommandTimeout(commandTimeout);
    connection->Open();
    return connection;
}

template<typename Call> Failure failureOf(Call call)
{
    try {
        call();
    } catch (const Failure &failure) {
        return failure;
    }
    return {};
}

// A template backup with a data file and a log file, written into `folder`.
QString makeBackup(const QTemporaryDir &folder)
{
    const QString file = folder.filePath(QStringLiteral("template.bak"));
    QString error;
    if (!StandinProcess::makeBackup(file,
            { QStringLiteral("--data"), QStringLiteral("tpl_Data=C:\\data\\tpl.mdf"), QStringLiteral("--log"),
                QStringLiteral("tpl_Log=C:\\data\\tpl_log.ldf") },
            &error))
        qWarning("make-backup failed: %s", qPrintable(error));
    return file;
}

QString restoreStatement(const QString &database, const QString &backup)
{
    return QStringLiteral("RESTORE DATABASE %1 FROM DISK = '%2' WITH MOVE 'tpl_Data' TO '%1.mdf', "
                          "MOVE 'tpl_Log' TO '%1_log.ldf'")
        .arg(database, backup);
}

int databasesNamed(Connection &connection, const QString &name)
{
    return connection
        .Execute(QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE (name = N'%1')").arg(name))
        .RecordCount();
}
} // namespace

void TestConnectionStandin::shouldLogOnWithTheRightPasswordOnly()
{
    auto standin = startStandin();
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));

    auto conMaster = std::make_unique<Connection>();
    Failure failure;
    QVERIFY2(OpenServerConnection(conMaster, QStringLiteral("127.0.0.1,%1").arg(standin->port()),
                 QStringLiteral("sa"), QStringLiteral("Secret#1"), &failure),
        qPrintable(failure.numberFirst()));
    QCOMPARE(conMaster->State(), Connection::StateOpen);
    QCOMPARE(conMaster->ConnectionTimeout(), 180);
    QCOMPARE(conMaster->CursorLocation(), Connection::UseClient);

    QVERIFY(!OpenServerConnection(conMaster, QStringLiteral("127.0.0.1,%1").arg(standin->port()),
        QStringLiteral("sa"), QStringLiteral("wrong"), &failure));
    QVERIFY(!conMaster);
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    QCOMPARE(failure.description(), QStringLiteral("Login failed for user 'sa'."));
}

void TestConnectionStandin::shouldLogOnWithPasswordsHoldingSeparators_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::newRow("semicolon, brace, blank") << "sa"
                                             << "a;b} c";
    QTest::newRow("ends with a brace") << "sa"
                                       << "x;y}";
    QTest::newRow("opening brace first") << "sa"
                                         << "{pw";
    QTest::newRow("looks like more keys") << "sa"
                                          << "p;Data Source=elsewhere;User ID=x";
    QTest::newRow("a second driver key") << "sa"
                                         << "x}y;DRIVER={nowhere";
    QTest::newRow("equals and quotes") << "sa"
                                       << "=\"'=";
    QTest::newRow("non-ASCII") << QStringLiteral("sä") << QStringLiteral("pä€;日本");
    QTest::newRow("empty password") << "nopw"
                                    << "";
}

void TestConnectionStandin::shouldLogOnWithPasswordsHoldingSeparators()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    StandinProcess::Options options;
    options.logins = QStringList { login + QLatin1Char(':') + password };
    auto standin = startStandin(options);
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));

    auto conMaster = std::make_unique<Connection>();
    Failure failure;
    QVERIFY2(OpenServerConnection(
                 conMaster, QStringLiteral("127.0.0.1,%1").arg(standin->port()), login, password, &failure),
        qPrintable(failure.numberFirst()));
    QCOMPARE(
        conMaster->Execute(
                     QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE (name = N'master')"))
            .RecordCount(),
        1);
}

void TestConnectionStandin::shouldSendTrimmedValues()
{
    StandinProcess::Options options;
    options.logins = QStringList { QStringLiteral("sa:in ner") };
    auto standin = startStandin(options);
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));

    auto conMaster = std::make_unique<Connection>();
    Failure failure;
    QVERIFY2(OpenServerConnection(conMaster, QStringLiteral("  127.0.0.1,%1 ").arg(standin->port()),
                 QStringLiteral("  sa "), QStringLiteral(" in ner  "), &failure),
        qPrintable(failure.numberFirst()));

    // Only blanks are trimmed: a tab is part of the password.
    conMaster = std::make_unique<Connection>();
    QVERIFY(!OpenServerConnection(conMaster, QStringLiteral("127.0.0.1,%1").arg(standin->port()),
        QStringLiteral("sa"), QStringLiteral("in ner\t"), &failure));
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
}

void TestConnectionStandin::shouldReopenAnOpenConnection()
{
    StandinProcess::Options options;
    options.logins = QStringList { QStringLiteral("sa:Secret#1"), QStringLiteral("other:pw2") };
    auto standin = startStandin(options);
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));
    const QString server = QStringLiteral("127.0.0.1,%1").arg(standin->port());

    auto conMaster = std::make_unique<Connection>();
    QVERIFY(OpenServerConnection(conMaster, server, QStringLiteral("sa"), QStringLiteral("Secret#1")));
    Connection *const same = conMaster.get();
    QVERIFY(OpenServerConnection(conMaster, server, QStringLiteral("sa"), QStringLiteral("Secret#1")));
    QVERIFY(OpenServerConnection(conMaster, server, QStringLiteral("other"), QStringLiteral("pw2")));
    QCOMPARE(conMaster.get(), same);
    QVERIFY(conMaster->ConnectionString().contains(QStringLiteral("User ID=other;")));
    QCOMPARE(conMaster->State(), Connection::StateOpen);
    QCOMPARE(databasesNamed(*conMaster, QStringLiteral("master")), 1);

    // Opening an open connection directly is refused, as it always was.
    QCOMPARE(failureOf([&] { conMaster->Open(); }).number(), 3705);
}

void TestConnectionStandin::shouldGiveUpOnASilentServer()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-silent") };
    auto standin = startStandin(options);
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));

    Connection connection;
    connection.setConnectionString(
        logonText(standin->port(), QStringLiteral("sa"), QStringLiteral("Secret#1")));
    connection.setConnectionTimeout(3);
    QElapsedTimer clock;
    clock.start();
    const Failure failure = failureOf([&] { connection.Open(); });
    QCOMPARE(failure.number(), FailureNumber::Timeout);
    QCOMPARE(failure.description(), QStringLiteral("Login timeout expired"));
    QVERIFY(clock.elapsed() >= 2500);
    QCOMPARE(connection.State(), Connection::StateClosed);
}

void TestConnectionStandin::shouldReportTheServersErrorText()
{
    auto standin = startStandin();
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));
    auto connection = openOn(*standin);

    Failure failure = failureOf([&] {
        connection->Execute(QStringLiteral("RESTORE FILELISTONLY from DISK ='C:\\nowhere\\missing.Bak'"));
    });
    QCOMPARE(failure.number(), FailureNumber::ServerStatementError);
    QVERIFY2(failure.description().startsWith(
                 QStringLiteral("Cannot open backup device 'C:\\nowhere\\missing.Bak'.")),
        qPrintable(failure.description()));

    // A path with an apostrophe breaks the statement; the server's syntax error comes back.
    failure = failureOf(
        [&] { connection->Execute(QStringLiteral("RESTORE FILELISTONLY from DISK ='C:\\it's.Bak'")); });
    QCOMPARE(failure.number(), FailureNumber::ServerStatementError);
    QVERIFY(!failure.description().startsWith(QLatin1Char('[')));

    // The connection survives statement errors.
    QCOMPARE(databasesNamed(*connection, QStringLiteral("master")), 1);
}

void TestConnectionStandin::shouldReturnEveryRowOfAResult()
{
    auto standin = startStandin();
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));
    QTemporaryDir folder;
    const QString backup = folder.filePath(QStringLiteral("three.bak"));
    QVERIFY(StandinProcess::makeBackup(backup,
        { QStringLiteral("--data"), QStringLiteral("three_Data=C:\\d\\3.mdf"), QStringLiteral("--log"),
            QStringLiteral("three_Log=C:\\d\\3_log.ldf"), QStringLiteral("--file"),
            QStringLiteral("ft=C:\\d\\ft:F") }));
    auto connection = openOn(*standin);

    Recordset rs = connection->Execute(QStringLiteral("RESTORE FILELISTONLY from DISK ='%1'").arg(backup));
    QCOMPARE(rs.RecordCount(), 3);
    QVERIFY(rs.FieldCount() >= 2);
    QCOMPARE(rs.columnName(0), QStringLiteral("LogicalName"));
    rs.MoveFirst();
    QCOMPARE(rs.Fields(0), QStringLiteral("three_Data"));
    QCOMPARE(rs.Fields(1), QStringLiteral("C:\\d\\3.mdf"));
    rs.MoveNext();
    QCOMPARE(rs.Fields(0), QStringLiteral("three_Log"));
    rs.MoveNext();
    rs.MoveNext();
    QVERIFY(rs.atEnd());
    QCOMPARE(failureOf([&] { rs.Fields(0); }).number(), FailureNumber::NoCurrentRecord);

    const Recordset none = connection->Execute(
        QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE (name = N'no_such_db')"));
    QCOMPARE(none.RecordCount(), 0);
    QVERIFY(none.atBeginning() && none.atEnd());
}

void TestConnectionStandin::shouldReadLongValuesWhole()
{
    auto standin = startStandin();
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));
    QTemporaryDir folder;
    const QString backup = folder.filePath(QStringLiteral("long.bak"));
    // As long as the column allows (260), read in more than one piece, with
    // a piece boundary inside a surrogate pair.
    const QString longPath
        = QStringLiteral("C:\\x") + QString::fromUtf8("\U0001F600").repeated(126) + QStringLiteral(".mdf");
    QCOMPARE(longPath.size(), 260);
    QVERIFY(StandinProcess::makeBackup(backup,
        { QStringLiteral("--data"), QStringLiteral("long_Data=") + longPath, QStringLiteral("--log"),
            QStringLiteral("long_Log=C:\\l.ldf") }));
    auto connection = openOn(*standin);

    Recordset rs = connection->Execute(QStringLiteral("RESTORE FILELISTONLY from DISK ='%1'").arg(backup));
    QCOMPARE(rs.RecordCount(), 2);
    QCOMPARE(rs.Fields(1), longPath);
}

void TestConnectionStandin::shouldSucceedForABatchWithoutResult()
{
    auto standin = startStandin();
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));
    auto connection = openOn(*standin);

    const Recordset rs
        = connection->Execute(QStringLiteral("EXEC sp_addumpdevice 'disk', 'dev_a', 'C:\\b\\a.bak'"));
    QCOMPARE(rs.RecordCount(), 0);
    QCOMPARE(rs.FieldCount(), 0);
    QCOMPARE(
        connection->Execute(QStringLiteral("SELECT name FROM master.dbo.sysdevices WHERE (name = N'dev_a')"))
            .RecordCount(),
        1);
}

void TestConnectionStandin::shouldCancelAStatementPastItsTimeoutAndStayUsable()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-delay"), QStringLiteral("6000"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("sysdevices") };
    auto standin = startStandin(options);
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));
    auto connection = openOn(*standin, 1);

    const Failure failure
        = failureOf([&] { connection->Execute(QStringLiteral("SELECT name FROM master.dbo.sysdevices")); });
    QCOMPARE(failure.number(), FailureNumber::Timeout);
    QCOMPARE(failure.description(), QStringLiteral("Query timeout expired"));

    QCOMPARE(connection->State(), Connection::StateOpen);
    QCOMPARE(databasesNamed(*connection, QStringLiteral("master")), 1);
}

void TestConnectionStandin::shouldFailWhenTheServerDropsTheConnection()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-drop-after"), QStringLiteral("1") };
    auto standin = startStandin(options);
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));
    auto connection = openOn(*standin);

    QCOMPARE(databasesNamed(*connection, QStringLiteral("master")), 1);
    Failure failure = failureOf([&] { databasesNamed(*connection, QStringLiteral("master")); });
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    QVERIFY(!failure.description().isEmpty());

    // Every later statement on the dead link fails the same way, at once.
    failure = failureOf([&] { databasesNamed(*connection, QStringLiteral("master")); });
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
}

void TestConnectionStandin::shouldNotTakeACutOffRestoreForSuccess()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-drop-mid-restore") };
    auto standin = startStandin(options);
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));
    QTemporaryDir folder;
    const QString backup = makeBackup(folder);
    auto connection = openOn(*standin);
    connection->setCommandTimeout(180);

    const Failure failure
        = failureOf([&] { connection->Execute(restoreStatement(QStringLiteral("cutoff"), backup)); });
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    QVERIFY(!connection->lastMessages()
                 .join(QLatin1Char('\n'))
                 .contains(QStringLiteral("successfully processed")));
}

void TestConnectionStandin::shouldDrainARestoreToItsEnd()
{
    auto standin = startStandin();
    QVERIFY2(standin->port() != 0, qPrintable(standin->errorString()));
    QTemporaryDir folder;
    const QString backup = makeBackup(folder);
    auto connection = openOn(*standin);
    connection->setCommandTimeout(180);

    const Recordset rs = connection->Execute(restoreStatement(QStringLiteral("fresh"), backup));
    QCOMPARE(rs.FieldCount(), 0);
    const QStringList messages = connection->lastMessages();
    QVERIFY2(messages.size() >= 3, qPrintable(messages.join(QLatin1Char('\n'))));
    QVERIFY(messages.first().startsWith(QStringLiteral("Processed ")));
    QVERIFY(messages.last().startsWith(QStringLiteral("RESTORE DATABASE successfully processed")));
    QCOMPARE(databasesNamed(*connection, QStringLiteral("fresh")), 1);
    QVERIFY(QFileInfo::exists(QDir(standin->dataDir()).filePath(QStringLiteral("fresh.mdf"))));

    // Restoring over it again is the server's error, not a lost connection.
    const Failure failure
        = failureOf([&] { connection->Execute(restoreStatement(QStringLiteral("fresh"), backup)); });
    QCOMPARE(failure.number(), FailureNumber::ServerStatementError);
}

QTEST_GUILESS_MAIN(TestConnectionStandin)
#include "TestConnectionStandin.moc"
