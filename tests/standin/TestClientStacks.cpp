// The stand-in driven by client stacks other than the raw test client: Node's tedious (which does not
// go through FreeTDS) with its own session setup and remote procedure calls, and FreeTDS's tsql with
// each encryption setting, watched on the wire by a relay.
#include "Login.h"
#include "StandinProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace hall::test;

namespace {

// Forwards loopback connections to the stand-in and keeps every byte that crosses, both ways.
class Relay : public QObject
{
public:
    explicit Relay(quint16 target)
        : m_target(target)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *client = m_server.nextPendingConnection();
            auto *upstream = new QTcpSocket(client);
            upstream->connectToHost(QHostAddress::LocalHost, m_target);
            auto forward = [this](QTcpSocket *from, QTcpSocket *to) {
                const QByteArray bytes = from->readAll();
                m_captured += bytes;
                to->write(bytes);
            };
            connect(client, &QTcpSocket::readyRead, this, [=] { forward(client, upstream); });
            connect(upstream, &QTcpSocket::readyRead, this, [=] { forward(upstream, client); });
            connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
            connect(client, &QTcpSocket::disconnected, upstream, &QTcpSocket::disconnectFromHost);
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    const QByteArray &captured() const { return m_captured; }

private:
    QTcpServer m_server;
    quint16 m_target;
    QByteArray m_captured;
};

// Runs a program to its end while the event loop (and so the relay) keeps going.
QByteArray runToEnd(
    QProcess &process, const QString &program, const QStringList &arguments, const QByteArray &input)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    QByteArray output;
    QDeadlineTimer deadline(60000);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QTest::qWait(20);
        output += process.readAll();
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return output + process.readAll();
}

QString nodeClientFolder()
{
    return QStringLiteral(HALL_NODE_CLIENT_BUILD_DIR);
}

} // namespace

class TestClientStacks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void shouldServeTheNodeClient_data();
    void shouldServeTheNodeClient();
    void shouldNeverCarryTheLogOnInClearTextWhenEncrypting_data();
    void shouldNeverCarryTheLogOnInClearTextWhenEncrypting();
};

void TestClientStacks::initTestCase()
{
    // The client library comes from the npm registry at the version the lock file pins.
    const QString source = QStringLiteral(HALL_NODE_CLIENT_SOURCE_DIR);
    const QString folder = nodeClientFolder();
    QVERIFY(QDir().mkpath(folder));
    bool changed = false;
    for (const QString &name : { QStringLiteral("package.json"), QStringLiteral("package-lock.json"),
             QStringLiteral("client.js") }) {
        QFile from(source + u'/' + name);
        QFile to(folder + u'/' + name);
        QVERIFY(from.open(QIODevice::ReadOnly));
        const QByteArray contents = from.readAll();
        if (to.open(QIODevice::ReadOnly) && to.readAll() == contents)
            continue;
        to.close();
        QVERIFY(to.open(QIODevice::WriteOnly | QIODevice::Truncate));
        to.write(contents);
        changed = true;
    }
    if (!changed && QFile::exists(folder + QStringLiteral("/node_modules/tedious/package.json")))
        return;
    QProcess npm;
    npm.setWorkingDirectory(folder);
    npm.setProcessChannelMode(QProcess::MergedChannels);
    npm.start(QStringLiteral("npm"),
        { QStringLiteral("ci"), QStringLiteral("--no-audit"), QStringLiteral("--no-fund") });
    if (!npm.waitForFinished(300000) || npm.exitStatus() != QProcess::NormalExit || npm.exitCode() != 0)
        QFAIL(
            qPrintable(QStringLiteral("cannot install the Node TDS client (tedious) with npm ci in %1: %2 %3")
                           .arg(folder, npm.errorString(), QString::fromUtf8(npm.readAll()))));
}

void TestClientStacks::shouldServeTheNodeClient_data()
{
    QTest::addColumn<QString>("encrypt");
    QTest::newRow("encrypted") << QStringLiteral("yes");
    QTest::newRow("plain") << QStringLiteral("no");
}

void TestClientStacks::shouldServeTheNodeClient()
{
    QFETCH(QString, encrypt);
    StandinProcess server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    const QString backup = QDir(server.dataDir()).filePath(QStringLiteral("template.Bak"));
    QVERIFY(StandinProcess::makeBackup(backup,
        { QStringLiteral("--data"), QStringLiteral("Tpl_Data=C:\\Data\\Tpl.mdf"), QStringLiteral("--log"),
            QStringLiteral("Tpl_Log=C:\\Data\\Tpl_Log.ldf") }));
    const QString data = server.dataDir();
    auto parameter = [](const char *name, const char *type, const QJsonValue &value) {
        return QJsonObject { { QStringLiteral("name"), QString::fromLatin1(name) },
            { QStringLiteral("type"), QString::fromLatin1(type) }, { QStringLiteral("value"), value } };
    };
    auto call = [](const QString &sql, const QJsonArray &parameters = {}) {
        return QJsonObject { { QStringLiteral("sql"), sql }, { QStringLiteral("params"), parameters } };
    };
    // Each request with the rows and message numbers it must bring back ("" for no error).
    struct Expected
    {
        QJsonObject request;
        QJsonArray rows;
        QList<int> messages;
        bool fails = false;
        int rowCount = -1; // -1: not checked; 0: no count at all (SET NOCOUNT ON)
    };
    QJsonObject noCount = call(QStringLiteral("SET NOCOUNT ON"));
    noCount.insert(QStringLiteral("batch"), true);
    const QJsonObject model
        = call(QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE name = N'model'"));
    const QJsonArray modelRows { QJsonArray { QStringLiteral("model") } };
    const QList<Expected> table {
        { model, modelRows, {}, false, 1 },
        { call(QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE name = @name OR dbid = @id"),
              { parameter("name", "NVarChar", QStringLiteral("msdb")), parameter("id", "Int", 1) }),
            QJsonArray { QJsonArray { QStringLiteral("master") }, QJsonArray { QStringLiteral("msdb") } },
            {} },
        { call(QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE name = @name"),
              { parameter("name", "NVarChar", QStringLiteral("Hall")) }),
            {}, {} },
        { call(QStringLiteral("EXEC sp_addumpdevice 'disk', @device, @path"),
              { parameter("device", "NVarChar", QStringLiteral("TplDevice")),
                  parameter("path", "NVarChar", backup) }),
            {}, {} },
        { call(QStringLiteral("RESTORE FILELISTONLY FROM DISK = @path"),
              { parameter("path", "NVarChar", backup) }),
            {}, {} },
        { call(QStringLiteral("RESTORE DATABASE [Hall] FROM TplDevice WITH MOVE 'Tpl_Data' TO @data, MOVE "
                              "'Tpl_Log' TO @log"),
              { parameter("data", "NVarChar", data + QStringLiteral("/Hall.mdf")),
                  parameter("log", "NVarChar", data + QStringLiteral("/Hall_Log.ldf")) }),
            {}, { 4035, 4035, 3014 } },
        { call(QStringLiteral("EXEC sp_dropdevice @device"),
              { parameter("device", "NVarChar", QStringLiteral("TplDevice")) }),
            {}, { 15463 } },
        { call(QStringLiteral("SELECT 1/0")), {}, { 50000 }, true },
        { call(QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE name = @missing")), {}, { 137 },
            true },
        { noCount, {}, {} },
        { model, modelRows, {}, false, 0 },
    };
    QJsonArray requests;
    for (const Expected &row : table)
        requests << row.request;

    QProcess node;
    node.setWorkingDirectory(nodeClientFolder());
    const QByteArray output = runToEnd(node, QStringLiteral("node"),
        { QStringLiteral("client.js"), QString::number(server.port()), QStringLiteral("sa"),
            QStringLiteral("Secret#1"), encrypt },
        QJsonDocument(requests).toJson());
    QList<QByteArray> lines = output.split('\n');
    lines.removeIf([](const QByteArray &line) { return !line.startsWith('{'); });
    QVERIFY2(lines.size() == table.size() + 1, output.constData());
    // Log-on with tedious's own session setup (fifteen SET statements): no error among its answers.
    const QJsonObject logOn = QJsonDocument::fromJson(lines.takeFirst()).object();
    QVERIFY2(logOn.value(QStringLiteral("connected")).toBool(), output.constData());
    QVERIFY(!logOn.value(QStringLiteral("messages")).toArray().contains(50000));
    for (qsizetype i = 0; i < table.size(); ++i) {
        const QJsonObject answer = QJsonDocument::fromJson(lines.at(i)).object();
        const Expected &expected = table.at(i);
        const QString what = expected.request.value(QStringLiteral("sql")).toString() + u' '
            + QString::fromUtf8(lines.at(i));
        QVERIFY2(answer.value(QStringLiteral("error")).isString() == expected.fails, qPrintable(what));
        if (expected.request.value(QStringLiteral("sql")).toString().startsWith(u"RESTORE FILELISTONLY"))
            QVERIFY2(answer.value(QStringLiteral("rows")).toArray().size() == 2, qPrintable(what));
        else
            QVERIFY2(answer.value(QStringLiteral("rows")).toArray() == expected.rows, qPrintable(what));
        QList<int> messages;
        for (const QJsonValue &number : answer.value(QStringLiteral("messages")).toArray())
            messages << number.toInt();
        QVERIFY2(messages == expected.messages, qPrintable(what));
        if (expected.rowCount >= 0)
            QVERIFY2(answer.value(QStringLiteral("rowCount")).toInt() == expected.rowCount, qPrintable(what));
    }
    QVERIFY(QFile::exists(data + QStringLiteral("/Hall.mdf")));
    // The log holds each call's statement and its parameters' names and types, never their values.
    QFile log(server.statementLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    const QByteArray device = "{\"name\":\"@device\",\"type\":\"nvarchar(9)\"}";
    QVERIFY2(logged.contains(device), logged.constData());
    QVERIFY(!logged.contains("TplDevice\"") && !logged.contains("Hall.mdf") && !logged.contains("msdb"));
}

void TestClientStacks::shouldNeverCarryTheLogOnInClearTextWhenEncrypting_data()
{
    QTest::addColumn<QString>("encryption");
    QTest::addColumn<QStringList>("serverOptions");
    QTest::addColumn<bool>("connects");
    QTest::addColumn<bool>("inClearText");
    QTest::addColumn<bool>("rowsInClearText");
    const QStringList given { QStringLiteral("--certificate"), QStringLiteral("@/cert.pem"),
        QStringLiteral("--key"), QStringLiteral("@/key.pem") };
    QTest::newRow("FreeTDS's default: the log-on packet encrypted")
        << QStringLiteral("request") << QStringList() << true << false << true;
    QTest::newRow("encryption required by the client")
        << QStringLiteral("require") << QStringList() << true << false << false;
    QTest::newRow("encryption forced by the server")
        << QStringLiteral("request") << QStringList { QStringLiteral("--force-encryption") } << true << false
        << false;
    QTest::newRow("a certificate given") << QStringLiteral("require") << given << true << false << false;
    QTest::newRow("a client that cannot encrypt, encryption forced")
        << QStringLiteral("off") << QStringList { QStringLiteral("--force-encryption") } << false << false
        << false;
    // The relay does see a password sent in clear text: the check above can fail.
    QTest::newRow("encryption off") << QStringLiteral("off") << QStringList() << true << true << true;
}

void TestClientStacks::shouldNeverCarryTheLogOnInClearTextWhenEncrypting()
{
    QFETCH(QString, encryption);
    QFETCH(QStringList, serverOptions);
    QFETCH(bool, connects);
    QFETCH(bool, inClearText);
    QFETCH(bool, rowsInClearText);
    QTemporaryDir folder;
    if (serverOptions.contains(QStringLiteral("--key"))) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
            { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
                QStringLiteral("/CN=localhost"), QStringLiteral("-keyout"),
                folder.filePath(QStringLiteral("key.pem")), QStringLiteral("-out"),
                folder.filePath(QStringLiteral("cert.pem")) });
        QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
        serverOptions.replaceInStrings(QStringLiteral("@"), folder.path());
    }
    StandinOptions options;
    options.extraArgs = serverOptions;
    StandinProcess server(options);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    Relay relay(server.port());
    const QString config = folder.filePath(QStringLiteral("freetds.conf"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[global]\nencryption = %1\n").arg(encryption).toUtf8());
    file.close();

    QProcess tsql;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FREETDSCONF"), config);
    tsql.setProcessEnvironment(environment);
    const QByteArray output = runToEnd(tsql, QStringLiteral("tsql"),
        { QStringLiteral("-H"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
            QString::number(relay.port()), QStringLiteral("-U"), QStringLiteral("sa"), QStringLiteral("-P"),
            QStringLiteral("Secret#1") },
        "SELECT name FROM master.dbo.sysdatabases WHERE dbid = 3\ngo\n");
    QVERIFY2(output.contains("model") == connects, output.constData());
    QCOMPARE(relay.captured().contains(standin::scramblePassword(QStringLiteral("Secret#1"))), inClearText);
    QCOMPARE(relay.captured().contains(QByteArray("m\0o\0d\0e\0l", 9)), rowsInClearText);
}

QTEST_MAIN(TestClientStacks)
#include "TestClientStacks.moc"
