#include "StandinProcess.h"
#include "TdsTestClient.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hall::test;

// The stand-in as a TDS server: framing, log-on, attention and the fault options, seen from a raw client.
class TestProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void shouldAnswerPreloginWithoutEncryptionOrMars();
    void shouldLogOnWithTheConfiguredLogins_data();
    void shouldLogOnWithTheConfiguredLogins();
    void shouldRefuseWrongCredentialsAndClose_data();
    void shouldRefuseWrongCredentialsAndClose();
    void shouldRefuseAnUnknownInitialDatabase();
    void shouldSplitAnswersAtTheNegotiatedPacketSize();
    void shouldReassembleBatchesSentInManyPackets();
    void shouldAcknowledgeAnAttentionAfterTheBatchEnded();
    void shouldDropARequestTheClientAbandoned();
    void shouldCancelADelayedBatchOnAttention();
    void shouldSpreadProgressOverASlowedRestoreAndStopItOnAttention();
    void shouldLogEveryBatchUnambiguously();
    void shouldKeepPasswordsOutOfItsArgumentsAndLog();
    void shouldStayQuietWhenToldTo();
    void shouldDropTheConnectionAfterNBatches();
    void shouldDropTheConnectionMidRestoreAndUndoIt();
    void shouldKeepItsCatalogueAcrossRestarts();

private:
    bool startServer(StandinProcess &server);
    void connectAndLogIn(StandinProcess &server, TdsTestClient &client);
    QString makeBackup();

    QTemporaryDir m_files;
};

void TestProtocol::initTestCase()
{
    QVERIFY(m_files.isValid());
}

bool TestProtocol::startServer(StandinProcess &server)
{
    const bool started = server.start();
    if (!started)
        qWarning("%s", qPrintable(server.errorString()));
    return started;
}

void TestProtocol::connectAndLogIn(StandinProcess &server, TdsTestClient &client)
{
    QVERIFY(client.connectTo(server.port()));
    const QList<TdsToken> tokens = client.logIn(QStringLiteral("sa"), QStringLiteral("Secret#1"));
    QVERIFY(hasToken(tokens, Token::LoginAck));
}

QString TestProtocol::makeBackup()
{
    return StandinProcess::makeTemplateBackup(m_files.path());
}

void TestProtocol::shouldAnswerPreloginWithoutEncryptionOrMars()
{
    StandinProcess server;
    QVERIFY(startServer(server));
    TdsTestClient client;
    QVERIFY(client.connectTo(server.port()));
    QVERIFY(client.sendMessage(0x12, TdsTestClient::freetdsPrelogin()));
    const auto answer = client.readAnswer();
    QVERIFY(answer);
    QCOMPARE(answer->packetLengths.size(), 1);
    QCOMPARE(answer->payload.toHex(),
        QByteArray("00001a000601002000010200210001030022000004002200"
                   "01ff0f0007d00000020000"));
}

void TestProtocol::shouldLogOnWithTheConfiguredLogins_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("database");
    QTest::newRow("sa") << QStringLiteral("sa") << QStringLiteral("Secret#1") << QString();
    QTest::newRow("name in other case") << QStringLiteral("SA") << QStringLiteral("Secret#1") << QString();
    QTest::newRow("colons and semicolons in the password")
        << QStringLiteral("installer") << QStringLiteral("a:b;c} d") << QStringLiteral("master");
    QTest::newRow("non-ASCII") << QStringLiteral("zoë") << QStringLiteral("pä€:日本")
                               << QStringLiteral("MSDB");
}

void TestProtocol::shouldLogOnWithTheConfiguredLogins()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, database);
    StandinProcess::Options options;
    options.logins = QStringList { QStringLiteral("sa:Secret#1"), QStringLiteral("installer:a:b;c} d"),
        QStringLiteral("zoë:pä€:日本") };
    StandinProcess server(options);
    QVERIFY(startServer(server));
    TdsTestClient client;
    QVERIFY(client.connectTo(server.port()));
    const QList<TdsToken> tokens = client.logIn(user, password, database, 8192);
    QVERIFY(hasToken(tokens, Token::LoginAck));
    QCOMPARE(messageNumbers(tokens), QList<int>({ 5701, 5703 }));
    QCOMPARE(tokens.last().type, Token::Done);
    QCOMPARE(tokens.last().status, quint16(0));
    // The database as the server spells it, and the packet size the client asked for.
    QStringList changes;
    for (const TdsToken &token : tokens) {
        if (token.type == Token::EnvChange && token.number != 0)
            changes << QStringLiteral("%1=%2").arg(token.number).arg(token.text);
    }
    const QString expectedDatabase = database.isEmpty() ? QStringLiteral("master") : database.toLower();
    QCOMPARE(changes,
        QStringList({ QStringLiteral("1=") + expectedDatabase, QStringLiteral("2=us_english"),
            QStringLiteral("4=8192") }));
}

void TestProtocol::shouldRefuseWrongCredentialsAndClose_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("wrong password") << QStringLiteral("sa") << QStringLiteral("secret#1");
    QTest::newRow("unknown login") << QStringLiteral("guest") << QStringLiteral("Secret#1");
    QTest::newRow("empty password") << QStringLiteral("sa") << QString();
}

void TestProtocol::shouldRefuseWrongCredentialsAndClose()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    StandinProcess server;
    QVERIFY(startServer(server));
    TdsTestClient client;
    QVERIFY(client.connectTo(server.port()));
    const QList<TdsToken> tokens = client.logIn(user, password);
    QVERIFY(!hasToken(tokens, Token::LoginAck));
    QCOMPARE(messageNumbers(tokens), QList<int> { 18456 });
    QCOMPARE(tokens.first().text, QStringLiteral("Login failed for user '%1'.").arg(user));
    QCOMPARE(tokens.first().level, 14);
    QCOMPARE(tokens.first().state, 1);
    QCOMPARE(tokens.last().status, quint16(0x0002));
    QVERIFY(client.waitForClosed());
}

void TestProtocol::shouldRefuseAnUnknownInitialDatabase()
{
    StandinProcess server;
    QVERIFY(startServer(server));
    TdsTestClient client;
    QVERIFY(client.connectTo(server.port()));
    const QList<TdsToken> tokens
        = client.logIn(QStringLiteral("sa"), QStringLiteral("Secret#1"), QStringLiteral("Hall"));
    QCOMPARE(messageNumbers(tokens), QList<int>({ 4060, 18456 }));
    QCOMPARE(tokens.first().text,
        QStringLiteral("Cannot open database \"Hall\" requested by the login. The login failed."));
    QVERIFY(client.waitForClosed());
}

void TestProtocol::shouldSplitAnswersAtTheNegotiatedPacketSize()
{
    StandinProcess server;
    QVERIFY(startServer(server));
    const QString backup = makeBackup();
    TdsTestClient client;
    QVERIFY(client.connectTo(server.port()));
    QVERIFY(client.sendMessage(0x12, TdsTestClient::freetdsPrelogin()));
    QVERIFY(client.readAnswer());
    QVERIFY(client.sendMessage(
        0x10, TdsTestClient::login7(QStringLiteral("sa"), QStringLiteral("Secret#1"), QString(), 512)));
    QVERIFY(client.readAnswer());

    QVERIFY(client.sendMessage(0x01,
        TdsTestClient::batch(QStringLiteral("RESTORE FILELISTONLY FROM DISK = '%1'").arg(backup)), 512));
    const auto answer = client.readAnswer();
    QVERIFY(answer);
    QVERIFY(answer->packetLengths.size() > 1);
    for (qsizetype i = 0; i < answer->packetLengths.size(); ++i) {
        QVERIFY(answer->packetLengths.at(i) <= 512);
        QCOMPARE(answer->packetStatuses.at(i) & 0x01, i == answer->packetLengths.size() - 1 ? 1 : 0);
    }
    const QList<TdsToken> tokens = TdsTestClient::parseTokens(answer->payload);
    QCOMPARE(tokens.first().type, Token::ColMetadata);
    QCOMPARE(tokens.first().rows.size(), 2);
    QCOMPARE(tokens.first().rows.at(0).at(0), QStringLiteral("rivazadUZ_Data"));
    QCOMPARE(tokens.first().rows.at(1).at(1), QStringLiteral("C:\\Data\\rivazadUZ_Log.LDF"));
    QCOMPARE(tokens.last().type, Token::Done);
    QCOMPARE(tokens.last().count, quint64(2));
}

void TestProtocol::shouldReassembleBatchesSentInManyPackets()
{
    StandinProcess server;
    QVERIFY(startServer(server));
    TdsTestClient client;
    connectAndLogIn(server, client);
    // A long comment makes the batch span many 512-byte packets.
    const QString sql
        = QStringLiteral("/* %1 */ SELECT name FROM master.dbo.sysdatabases WHERE name = N'tempdb'")
              .arg(QString(3000, QLatin1Char('x')));
    QVERIFY(client.sendMessage(0x01, TdsTestClient::batch(sql), 512));
    const auto answer = client.readAnswer();
    QVERIFY(answer);
    const QList<TdsToken> tokens = TdsTestClient::parseTokens(answer->payload);
    QCOMPARE(tokens.first().rows, QList<QStringList> { { QStringLiteral("tempdb") } });
    QCOMPARE(server.statements(), QStringList { sql });
}

void TestProtocol::shouldAcknowledgeAnAttentionAfterTheBatchEnded()
{
    StandinProcess server;
    QVERIFY(startServer(server));
    TdsTestClient client;
    connectAndLogIn(server, client);
    QVERIFY(!client.execute(QStringLiteral("SELECT name FROM sysdatabases")).isEmpty());
    QVERIFY(client.sendPacket(0x06, 0x01, QByteArray()));
    const auto answer = client.readAnswer();
    QVERIFY(answer);
    const QList<TdsToken> tokens = TdsTestClient::parseTokens(answer->payload);
    QCOMPARE(tokens.size(), 1);
    QCOMPARE(tokens.first().status, quint16(0x0020));
    // The connection goes on.
    QCOMPARE(messageNumbers(client.execute(QStringLiteral("SELECT nosuch FROM sysdatabases"))),
        QList<int> { 207 });
}

void TestProtocol::shouldDropARequestTheClientAbandoned()
{
    StandinProcess server;
    QVERIFY(startServer(server));
    TdsTestClient client;
    connectAndLogIn(server, client);
    const QByteArray payload
        = TdsTestClient::batch(QStringLiteral("exec sp_addumpdevice 'disk', 'dev', '/x.Bak'"));
    QVERIFY(client.sendPacket(0x01, 0x00, payload.left(30)));
    QVERIFY(client.sendPacket(0x01, 0x03, QByteArray())); // IGNORE | EOM
    const auto answer = client.readAnswer();
    QVERIFY(answer);
    const QList<TdsToken> tokens = TdsTestClient::parseTokens(answer->payload);
    QCOMPARE(tokens.size(), 1);
    QCOMPARE(tokens.first().status, quint16(0));
    QVERIFY(server.statements().isEmpty());
}

void TestProtocol::shouldCancelADelayedBatchOnAttention()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-delay"), QStringLiteral("60000"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("sp_addumpdevice") };
    StandinProcess server(options);
    QVERIFY(startServer(server));
    TdsTestClient client;
    connectAndLogIn(server, client);
    QVERIFY(client.sendMessage(
        0x01, TdsTestClient::batch(QStringLiteral("exec sp_addumpdevice 'disk', 'dev', '/x.Bak'"))));
    QTRY_COMPARE(server.statements().size(), 1);
    QVERIFY(client.sendPacket(0x06, 0x01, QByteArray()));
    const auto answer = client.readAnswer();
    QVERIFY(answer);
    const QList<TdsToken> tokens = TdsTestClient::parseTokens(answer->payload);
    QCOMPARE(tokens.size(), 1);
    QCOMPARE(tokens.first().status, quint16(0x0020));

    // The cancelled statement never ran; statements that do not match the pattern are not delayed.
    const QList<TdsToken> check = client.execute(QStringLiteral(
        "if exists (select name from sysdevices where name = 'dev') exec sp_dropdevice 'dev'"));
    QVERIFY(messageNumbers(check).isEmpty());
}

void TestProtocol::shouldSpreadProgressOverASlowedRestoreAndStopItOnAttention()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-delay"), QStringLiteral("100000"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("STATS") };
    StandinProcess server(options);
    QVERIFY(startServer(server));
    const QString backup = makeBackup();
    const QString data = m_files.filePath(QStringLiteral("Slow.Mdf"));
    TdsTestClient client;
    connectAndLogIn(server, client);
    // STATS = 1: a hundred pauses of a second each; the first message comes on its own, at once.
    QVERIFY(client.sendMessage(0x01,
        TdsTestClient::batch(
            QStringLiteral("RESTORE DATABASE Slow FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%2', "
                           "MOVE 'rivazadUZ_Log' TO '%3', STATS = 1")
                .arg(backup, data, m_files.filePath(QStringLiteral("Slow_Log.Ldf"))))));
    const auto first = client.readPacket(30000);
    QVERIFY(first);
    QVERIFY(!(first->packetStatuses.first() & 0x01));
    const QList<TdsToken> progress = TdsTestClient::parseTokens(first->payload);
    QCOMPARE(messageNumbers(progress), QList<int> { 3211 });
    QCOMPARE(progress.first().text, QStringLiteral("1 percent processed."));
    QCOMPARE(progress.last().status, quint16(0x0001));
    QVERIFY(QFile::exists(data));

    QVERIFY(client.sendPacket(0x06, 0x01, QByteArray()));
    const auto answer = client.readAnswer(30000);
    QVERIFY(answer);
    const QList<TdsToken> tokens = TdsTestClient::parseTokens(answer->payload);
    QCOMPARE(tokens.last().type, Token::Done);
    QCOMPARE(tokens.last().status, quint16(0x0020));
    for (const TdsToken &token : tokens) {
        if (token.type == Token::Info)
            QCOMPARE(token.number, 3211); // no "Processed ... pages": the restore stopped
    }
    QCOMPARE(server.attentions(), 1);
    QTRY_VERIFY(server.standardError().contains(QStringLiteral("attention")));
    QVERIFY(!QFile::exists(data));

    const QList<TdsToken> found
        = client.execute(QStringLiteral("SELECT name FROM sysdatabases WHERE name = 'Slow'"));
    QVERIFY(!found.isEmpty());
    QVERIFY(found.first().rows.isEmpty());
}

void TestProtocol::shouldLogEveryBatchUnambiguously()
{
    StandinProcess server;
    QVERIFY(startServer(server));
    TdsTestClient client;
    connectAndLogIn(server, client);
    const QStringList batches { QStringLiteral("SELECT 1"),
        QStringLiteral("SELECT 'a\"b'\n-- line \\ two\r\nSELECT 2"), QStringLiteral("SELECT N'日本'") };
    for (const QString &batch : batches)
        QVERIFY(!client.execute(batch).isEmpty());
    QCOMPARE(server.statements(), batches);
}

void TestProtocol::shouldKeepPasswordsOutOfItsArgumentsAndLog()
{
    StandinProcess::Options options;
    options.logins = QStringList { QStringLiteral("sa:Pass word#7") };
    StandinProcess server(options);
    QVERIFY(startServer(server));
    QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(server.processId()));
    QVERIFY(commandLine.open(QIODevice::ReadOnly));
    const QByteArray arguments = commandLine.readAll();
    QVERIFY(arguments.contains("--login-file"));
    QVERIFY(!arguments.contains("Pass word#7"));

    TdsTestClient client;
    QVERIFY(client.connectTo(server.port()));
    QVERIFY(hasToken(client.logIn(QStringLiteral("sa"), QStringLiteral("Pass word#7")), Token::LoginAck));
    QVERIFY(!client.execute(QStringLiteral("SELECT 1")).isEmpty());
    QFile log(server.statementLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(!log.readAll().contains("Pass word#7"));
}

void TestProtocol::shouldStayQuietWhenToldTo()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-silent") };
    StandinProcess server(options);
    QVERIFY(startServer(server));
    TdsTestClient client;
    QVERIFY(client.connectTo(server.port()));
    QVERIFY(client.sendMessage(0x12, TdsTestClient::freetdsPrelogin()));
    QVERIFY(client.readAvailable(500).isEmpty());
    QCOMPARE(client.socket().state(), QAbstractSocket::ConnectedState);
}

void TestProtocol::shouldDropTheConnectionAfterNBatches()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-drop-after"), QStringLiteral("1") };
    StandinProcess server(options);
    QVERIFY(startServer(server));
    TdsTestClient client;
    connectAndLogIn(server, client);
    QVERIFY(!client.execute(QStringLiteral("SELECT 1")).isEmpty());
    QVERIFY(client.execute(QStringLiteral("SELECT 2")).isEmpty());
    QVERIFY(client.waitForClosed());
    QCOMPARE(server.statements().size(), 2);

    // Each connection gets its own count.
    TdsTestClient second;
    connectAndLogIn(server, second);
    QVERIFY(!second.execute(QStringLiteral("SELECT 3")).isEmpty());
}

void TestProtocol::shouldDropTheConnectionMidRestoreAndUndoIt()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-drop-mid-restore") };
    StandinProcess server(options);
    QVERIFY(startServer(server));
    const QString backup = makeBackup();
    const QString data = m_files.filePath(QStringLiteral("Cut.Mdf"));
    TdsTestClient client;
    connectAndLogIn(server, client);
    QVERIFY(client.sendMessage(0x01,
        TdsTestClient::batch(
            QStringLiteral("RESTORE DATABASE Cut FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%2', "
                           "MOVE 'rivazadUZ_Log' TO '%3'")
                .arg(backup, data, m_files.filePath(QStringLiteral("Cut_Log.Ldf"))))));
    // The first progress message arrives, then the connection ends without the rest.
    QVERIFY(client.waitForClosed());
    const QByteArray partial = client.readAvailable(0);
    QVERIFY(partial.size() > 8);
    const QList<TdsToken> tokens = TdsTestClient::parseTokens(partial.mid(8));
    QCOMPARE(messageNumbers(tokens), QList<int> { 4035 });
    QCOMPARE(tokens.last().status, quint16(0x0001));
    QVERIFY(!(quint8(partial.at(1)) & 0x01));
    QVERIFY(!QFile::exists(data));

    TdsTestClient check;
    connectAndLogIn(server, check);
    const QList<TdsToken> found
        = check.execute(QStringLiteral("SELECT name FROM sysdatabases WHERE name = 'Cut'"));
    QVERIFY(found.first().rows.isEmpty());
}

void TestProtocol::shouldKeepItsCatalogueAcrossRestarts()
{
    QTemporaryDir dataDir;
    StandinProcess::Options options;
    options.dataDir = dataDir.path();
    const QString backup = makeBackup();
    QDir(m_files.path()).mkpath(QStringLiteral("kept"));
    {
        StandinProcess server(options);
        QVERIFY(startServer(server));
        TdsTestClient client;
        connectAndLogIn(server, client);
        QVERIFY(messageNumbers(
            client.execute(QStringLiteral("exec sp_addumpdevice 'disk', 'rivazadUZ','%1'").arg(backup)))
                    .isEmpty());
        const QList<TdsToken> restored = client.execute(
            QStringLiteral("RESTORE DATABASE Kept FROM rivazadUZ WITH MOVE 'rivazadUZ_Data' TO '%1', MOVE "
                           "'rivazadUZ_Log' TO '%2'")
                .arg(m_files.filePath(QStringLiteral("kept/Kept.Mdf")),
                    m_files.filePath(QStringLiteral("kept/Kept_Log.Ldf"))));
        QCOMPARE(messageNumbers(restored), QList<int>({ 4035, 4035, 3014 }));
    }
    StandinProcess restarted(options);
    QVERIFY(startServer(restarted));
    TdsTestClient client;
    connectAndLogIn(restarted, client);
    const QList<TdsToken> found
        = client.execute(QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N'KEPT')"));
    QCOMPARE(found.first().rows, QList<QStringList> { { QStringLiteral("Kept") } });
    const QList<TdsToken> dropped = client.execute(QStringLiteral("exec sp_dropdevice 'rivazadUZ'"));
    QCOMPARE(messageNumbers(dropped), QList<int> { 15463 });
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "TestProtocol.moc"
