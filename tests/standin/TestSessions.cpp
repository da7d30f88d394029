#include "StandinProcess.h"
#include "TdsTestClient.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

using namespace hall::test;

namespace {

// Generous for a loaded two-core machine running a sanitizer build: an answer between sessions
// that do not wait for one another took 0 to 10 ms in a plain build; one that waits for another
// takes as long as the other session is held up (seconds here).
constexpr int PromptAnswerMs = 1000;

const QString Sa = QStringLiteral("sa");
const QString Password = QStringLiteral("Secret#1");

bool logIn(TdsTestClient &client, quint16 port)
{
    return client.connectTo(port) && hasToken(client.logIn(Sa, Password), Token::LoginAck);
}

// Milliseconds of processor time the process has used so far.
qint64 processorTimeMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name in parentheses: state is the first, utime the 12th, stime the 13th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields.at(11).toLongLong() + fields.at(12).toLongLong()) * 1000 / ::sysconf(_SC_CLK_TCK);
}

} // namespace

// Many clients at once: each session runs on its own, and what a client can make the server hold is
// bounded.
class TestSessions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void shouldAnswerOthersWhileAClientDoesNotReadAndThenDropIt();
    void shouldServeOthersWhileARestoreIsSlowed_data();
    void shouldServeOthersWhileARestoreIsSlowed();
    void shouldCloseConnectionsPastTheLimitAtOnce();
    void shouldCloseConnectionsThatDoNotLogOnInTime_data();
    void shouldCloseConnectionsThatDoNotLogOnInTime();
    void shouldBackOffWhenOutOfDescriptors();
    void shouldNoteRepeatedAttentionsOncePerBatch();

private:
    QString makeBackup();

    QTemporaryDir m_files;
};

void TestSessions::initTestCase()
{
    QVERIFY(m_files.isValid());
}

QString TestSessions::makeBackup()
{
    return StandinProcess::makeTemplateBackup(m_files.path());
}

void TestSessions::shouldAnswerOthersWhileAClientDoesNotReadAndThenDropIt()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--send-timeout"), QStringLiteral("1500") };
    StandinProcess server(options);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    TdsTestClient reader;
    QVERIFY(logIn(reader, server.port()));
    // An answer of about 14 MB, far more than the socket buffers hold (the client's is kept small);
    // the client takes none of it.
    reader.socket().setReadBufferSize(4096);
    reader.socket().setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 65536);
    QVERIFY(
        reader.sendMessage(0x01, TdsTestClient::batch(QStringLiteral("SELECT @@VERSION\n").repeated(40000))));
    QTRY_COMPARE(server.statements().size(), 1);

    TdsTestClient other;
    QVERIFY(logIn(other, server.port()));
    QElapsedTimer timer;
    timer.start();
    const QList<TdsToken> answer = other.execute(QStringLiteral("SELECT @@VERSION"));
    const qint64 elapsed = timer.elapsed();
    QVERIFY(hasToken(answer, Token::ColMetadata));
    QVERIFY2(elapsed < PromptAnswerMs, qPrintable(QString::number(elapsed)));

    // Past the send time-out the stand-in gives up on the client: the rest of its answer never comes.
    QTRY_VERIFY_WITH_TIMEOUT(
        server.standardError().contains(QStringLiteral("took no part of an answer")), 60000);
    reader.socket().setReadBufferSize(0);
    QVERIFY(reader.waitForClosed(30000));
    QVERIFY(!reader.readAnswer(0));
    QVERIFY(hasToken(other.execute(QStringLiteral("SELECT @@VERSION")), Token::ColMetadata));
}

void TestSessions::shouldServeOthersWhileARestoreIsSlowed_data()
{
    // What a second session sends while the first restores Slow into slow/Slow.Mdf and slow/Slow_Log.Ldf.
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QList<int>>("messages");
    QTest::newRow("a query") << QStringLiteral("SELECT @@VERSION") << QList<int> {};
    QTest::newRow("a restore of the same name") << QStringLiteral(
        "RESTORE DATABASE slow FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%2/Other.Mdf', "
        "MOVE 'rivazadUZ_Log' TO '%2/Other_Log.Ldf'")
                                                << QList<int> { 3101, 3013 };
    QTest::newRow("a restore into the same file") << QStringLiteral(
        "RESTORE DATABASE Other FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%2/Other.Mdf', "
        "MOVE 'rivazadUZ_Log' TO '%2/slow/Slow_Log.Ldf'")
                                                  << QList<int> { 1834, 3156, 3119, 3013 };
    QTest::newRow("a restore of its own") << QStringLiteral(
        "RESTORE DATABASE Other FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO '%2/Other.Mdf', "
        "MOVE 'rivazadUZ_Log' TO '%2/Other_Log.Ldf'")
                                          << QList<int> { 4035, 4035, 3014 };
}

void TestSessions::shouldServeOthersWhileARestoreIsSlowed()
{
    QFETCH(QString, statement);
    QFETCH(QList<int>, messages);
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--fault-delay"), QStringLiteral("100000"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("STATS") };
    QTemporaryDir targets; // outlives the server, which removes the files of the restore it stops
    QVERIFY(QDir(targets.path()).mkdir(QStringLiteral("slow")));
    StandinProcess server(options);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    const QString backup = makeBackup();
    TdsTestClient restorer;
    QVERIFY(logIn(restorer, server.port()));
    QVERIFY(restorer.sendMessage(0x01,
        TdsTestClient::batch(
            QStringLiteral("RESTORE DATABASE Slow FROM DISK = '%1' WITH MOVE 'rivazadUZ_Data' TO "
                           "'%2/slow/Slow.Mdf', MOVE 'rivazadUZ_Log' TO '%2/slow/Slow_Log.Ldf', "
                           "STATS = 1")
                .arg(backup, targets.path()))));
    // Its files exist once the first progress message has come.
    QVERIFY(restorer.readPacket(30000));

    TdsTestClient other;
    QVERIFY(logIn(other, server.port()));
    QElapsedTimer timer;
    timer.start();
    const QList<TdsToken> answer = other.execute(QString(statement)
                                                     .replace(QStringLiteral("%1"), backup)
                                                     .replace(QStringLiteral("%2"), targets.path()));
    const qint64 elapsed = timer.elapsed();
    QVERIFY(!answer.isEmpty());
    QCOMPARE(messageNumbers(answer), messages);
    QVERIFY2(elapsed < PromptAnswerMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(QDir(targets.filePath(QStringLiteral("slow"))).entryList(QDir::Files),
        QStringList({ "Slow.Mdf", "Slow_Log.Ldf" }));
}

void TestSessions::shouldCloseConnectionsPastTheLimitAtOnce()
{
    StandinProcess::Options options;
    options.extraArgs = QStringList { QStringLiteral("--max-connections"), QStringLiteral("2") };
    StandinProcess server(options);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    auto first = std::make_unique<TdsTestClient>();
    TdsTestClient second;
    QVERIFY(logIn(*first, server.port()));
    QVERIFY(logIn(second, server.port()));

    TdsTestClient refused;
    QVERIFY(refused.connectTo(server.port()));
    QVERIFY(refused.waitForClosed(5000));
    QVERIFY(refused.readAvailable(0).isEmpty());
    QTRY_VERIFY(server.standardError().contains(QStringLiteral("--max-connections")));

    // Once a connection ends there is room again; those open are served as before.
    first.reset();
    const QDeadlineTimer deadline(10000);
    bool servedAgain = false;
    while (!servedAgain && !deadline.hasExpired()) {
        TdsTestClient again;
        servedAgain = logIn(again, server.port());
        if (!servedAgain)
            QTest::qWait(50);
    }
    QVERIFY(servedAgain);
    QVERIFY(hasToken(second.execute(QStringLiteral("SELECT @@VERSION")), Token::ColMetadata));
}

void TestSessions::shouldCloseConnectionsThatDoNotLogOnInTime_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("packets"); // what the client sends, packet headers included
    QTest::addColumn<bool>("logsOn");
    QTest::addColumn<bool>("closed");
    const QStringList shortLogOn { QStringLiteral("--logon-timeout"), QStringLiteral("300") };
    auto packet = [](quint8 type, quint8 status, const QByteArray &payload) {
        const int length = 8 + int(payload.size());
        const char header[]
            = { char(type), char(status), char(length >> 8), char(length & 0xFF), 0, 0, 1, 0 };
        return QByteArray(header, sizeof header) + payload;
    };
    QTest::newRow("nothing sent") << shortLogOn << QByteArray() << false << true;
    QTest::newRow("pre-login only") << shortLogOn << packet(0x12, 0x01, TdsTestClient::freetdsPrelogin())
                                    << false << true;
    QTest::newRow("half a log-on packet") << shortLogOn
                                          << packet(0x12, 0x01, TdsTestClient::freetdsPrelogin())
            + packet(0x10, 0x01, TdsTestClient::login7(Sa, Password, QString(), 4096)).left(60)
                                          << false << true;
    QTest::newRow("logged on and idle") << shortLogOn << QByteArray() << true << false;
    // Under the default log-on time-out: only the size ends these.
    QByteArray oversized;
    for (int i = 0; i < 17; ++i)
        oversized += packet(0x12, 0x00, QByteArray(4088, 'x'));
    QTest::newRow("pre-login over 64 KiB") << QStringList {} << oversized << false << true;
    QByteArray oversizedLogOn = packet(0x12, 0x01, TdsTestClient::freetdsPrelogin());
    for (int i = 0; i < 17; ++i)
        oversizedLogOn += packet(0x10, 0x00, QByteArray(4088, 'x'));
    QTest::newRow("log-on over 64 KiB") << QStringList {} << oversizedLogOn << false << true;
}

void TestSessions::shouldCloseConnectionsThatDoNotLogOnInTime()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, packets);
    QFETCH(bool, logsOn);
    QFETCH(bool, closed);
    StandinProcess::Options serverOptions;
    serverOptions.extraArgs = options;
    StandinProcess server(serverOptions);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    TdsTestClient client;
    QVERIFY(client.connectTo(server.port()));
    if (logsOn)
        QVERIFY(hasToken(client.logIn(Sa, Password), Token::LoginAck));
    client.socket().write(packets);
    client.socket().waitForBytesWritten(5000);
    // Well past the short log-on time-out, well short of the default one.
    QCOMPARE(client.waitForClosed(3000), closed);
    if (!closed)
        QVERIFY(hasToken(client.execute(QStringLiteral("SELECT @@VERSION")), Token::ColMetadata));
}

void TestSessions::shouldBackOffWhenOutOfDescriptors()
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' own checks open descriptors (UBSan tests memory through a pipe), so a stand-in
    // built with them fails in their runtime, not in its own code, once none are left.
    QSKIP("a sanitizer's runtime needs descriptors of its own");
#endif
    StandinProcess server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    // Room for three more descriptors: the fourth client waits in the listen queue and accept fails.
    const int open = int(QDir(QStringLiteral("/proc/%1/fd").arg(server.processId()))
                             .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                             .size());
    const rlimit limit { rlim_t(open + 3), rlim_t(open + 3) };
    if (::prlimit(pid_t(server.processId()), RLIMIT_NOFILE, &limit, nullptr) != 0)
        QSKIP("cannot lower another process's descriptor limit here (needs root or CAP_SYS_RESOURCE)");
    std::vector<std::unique_ptr<TdsTestClient>> clients;
    for (int i = 0; i < 8; ++i) {
        clients.push_back(std::make_unique<TdsTestClient>());
        QVERIFY(clients.back()->connectTo(server.port()));
    }
    QTRY_VERIFY(server.standardError().contains(QStringLiteral("cannot accept connections")));

    // A spinning accept loop burns a whole core (about 1000 ms a second); backing off leaves it
    // nearly idle (a few ms).
    const qint64 before = processorTimeMs(server.processId());
    QTest::qWait(1000);
    const qint64 used = processorTimeMs(server.processId()) - before;
    QVERIFY2(before >= 0 && used < 300, qPrintable(QString::number(used)));
    QCOMPARE(server.standardError().count(QStringLiteral("cannot accept connections")), 1);

    // Descriptors freed, it serves again.
    clients.clear();
    TdsTestClient later;
    QVERIFY(logIn(later, server.port()));
}

void TestSessions::shouldNoteRepeatedAttentionsOncePerBatch()
{
    StandinProcess server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    TdsTestClient client;
    QVERIFY(logIn(client, server.port()));
    for (int batch = 1; batch <= 2; ++batch) {
        QVERIFY(!client.execute(QStringLiteral("SELECT @@VERSION")).isEmpty());
        for (int i = 0; i < 200; ++i)
            QVERIFY(client.sendPacket(0x06, 0x01, QByteArray()));
        for (int i = 0; i < 200; ++i) {
            const auto acknowledgement = client.readAnswer();
            QVERIFY(acknowledgement);
            QCOMPARE(TdsTestClient::parseTokens(acknowledgement->payload).last().status, quint16(0x0020));
        }
        QCOMPARE(server.attentions(), batch);
    }
    QTRY_COMPARE(server.standardError().count(QStringLiteral("attention")), 2);
}

QTEST_GUILESS_MAIN(TestSessions)
#include "TestSessions.moc"
