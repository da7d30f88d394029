#include "Blanks.h"
#include "NameRules.h"
#include "ServerLogon.h"

#include <QTcpServer>
#include <QTest>

using namespace brevane;
using namespace brevane::db;

class TestServerLogon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldBuildTheLogonTextFromTheSixPieces();
    void shouldTrimOnlyBlanks_data();
    void shouldTrimOnlyBlanks();
    void shouldEmptyTheConnectionWhenTheLogonFails();
    void shouldCopeWithAnEmptyConnectionField();
};

namespace {
// A loopback port on which nothing listens.
quint16 closedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = server.serverPort();
    server.close();
    return port;
}
} // namespace

void TestServerLogon::shouldBuildTheLogonTextFromTheSixPieces()
{
    QCOMPARE(
        serverLogonConnectionString(QStringLiteral("."), QStringLiteral("sa"), QStringLiteral("Secret#1")),
        QStringLiteral("Provider=SQLOLEDB.1;Password=Secret#1;Persist Security Info=True;User ID=sa;"
                       "Initial Catalog=master;Data Source=."));
    // An empty password keeps its key, directly followed by the next one.
    QCOMPARE(serverLogonConnectionString(QStringLiteral("srv"), QStringLiteral("sa"), QString()),
        QStringLiteral("Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=sa;"
                       "Initial Catalog=master;Data Source=srv"));
    // Values are not quoted.
    QCOMPARE(serverLogonConnectionString(
                 QStringLiteral("127.0.0.1,1433"), QStringLiteral("u;x"), QStringLiteral("a;b} c")),
        QStringLiteral("Provider=SQLOLEDB.1;Password=a;b} c;Persist Security Info=True;User ID=u;x;"
                       "Initial Catalog=master;Data Source=127.0.0.1,1433"));
}

void TestServerLogon::shouldTrimOnlyBlanks_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::newRow("outer blanks") << "  sa  "
                                  << "sa";
    QTest::newRow("inner blanks stay") << " a b "
                                       << "a b";
    QTest::newRow("tab stays") << "\tsa\t"
                               << "\tsa\t";
    QTest::newRow("line break stays") << "sa\r\n"
                                      << "sa\r\n";
    QTest::newRow("no-break space stays") << QString(QChar(0xA0)) + "sa" << QString(QChar(0xA0)) + "sa";
    QTest::newRow("only blanks") << "   "
                                 << "";
}

void TestServerLogon::shouldTrimOnlyBlanks()
{
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    QCOMPARE(trimBlanks(typed), sent);
    QCOMPARE(serverLogonConnectionString(typed, typed, typed),
        QStringLiteral("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=True;User ID=%1;"
                       "Initial Catalog=master;Data Source=%1")
            .arg(sent));
}

void TestServerLogon::shouldEmptyTheConnectionWhenTheLogonFails()
{
    const quint16 port = closedPort();
    QVERIFY(port != 0);
    auto conMaster = std::make_unique<Connection>();
    Failure failure;
    QVERIFY(!OpenServerConnection(conMaster, QStringLiteral(" 127.0.0.1,%1 ").arg(port), QStringLiteral("sa"),
        QStringLiteral("pw"), &failure));
    QVERIFY(!conMaster);
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    QVERIFY(!failure.description().isEmpty());
    QVERIFY2(!failure.description().startsWith(QLatin1Char('[')), qPrintable(failure.description()));
}

void TestServerLogon::shouldCopeWithAnEmptyConnectionField()
{
    std::unique_ptr<Connection> conMaster;
    QVERIFY(!OpenServerConnection(conMaster, QStringLiteral("127.0.0.1,%1").arg(closedPort()),
        QStringLiteral("sa"), QStringLiteral("pw")));
    QVERIFY(!conMaster);
}

QTEST_GUILESS_MAIN(TestServerLogon)
#include "TestServerLogon.moc"
