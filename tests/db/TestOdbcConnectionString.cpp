#include "AccessFailures.h"
#include "AdoConnectionString.h"
#include "OdbcConnectionString.h"
#include "ServerAddress.h"
#include "SqlServerDriver.h"

#include <QTest>

using namespace brevane;
using namespace brevane::db;

Q_DECLARE_METATYPE(brevane::db::SqlServerDriver::Kind)

class TestOdbcConnectionString : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldMapServerNamesToHostAndPort_data();
    void shouldMapServerNamesToHostAndPort();
    void shouldQuoteValuesAsEachDriverReadsThem_data();
    void shouldQuoteValuesAsEachDriverReadsThem();
    void shouldBuildTheFreeTdsString();
    void shouldBuildTheMicrosoftStrings();
    void shouldKeepTheInstanceOfARemoteNamedInstance();
    void shouldRefuseWhatFreeTdsCannotCarry();
    void shouldRefuseOtherProviders();
    void shouldPreferMicrosoftsNewestDriver_data();
    void shouldPreferMicrosoftsNewestDriver();
};

void TestOdbcConnectionString::shouldMapServerNamesToHostAndPort_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port"); // 0: none, the instance is looked up
    QTest::addColumn<QString>("instance");

    const QString loopback = QStringLiteral("127.0.0.1");
    QTest::newRow("dot") << "." << loopback << 1433 << QString();
    QTest::newRow("(local) any case") << "(LOCAL)" << loopback << 1433 << QString();
    QTest::newRow("localhost") << "LocalHost" << loopback << 1433 << QString();
    QTest::newRow("dot with instance") << ".\\SQLEXPRESS" << loopback << 1433 << QString();
    QTest::newRow("(local) with instance") << "(local)\\INST" << loopback << 1433 << QString();
    QTest::newRow("empty") << "" << loopback << 1433 << QString();
    QTest::newRow("dot with port") << ".,1500" << loopback << 1500 << QString();
    QTest::newRow("host and port") << "127.0.0.1,41234" << loopback << 41234 << QString();
    QTest::newRow("tcp prefix") << "tcp:db.example,1444"
                                << "db.example" << 1444 << QString();
    QTest::newRow("plain host") << "db.example"
                                << "db.example" << 1433 << QString();
    QTest::newRow("remote named instance") << "db\\INST"
                                           << "db" << 0 << "INST";
    QTest::newRow("named instance with port") << "db\\INST,1600"
                                              << "db" << 1600 << QString();
    QTest::newRow("bad port stays in the name") << "db,x"
                                                << "db,x" << 1433 << QString();
}

void TestOdbcConnectionString::shouldMapServerNamesToHostAndPort()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, instance);
    const ServerAddress address = ServerAddress::fromDataSource(dataSource);
    QCOMPARE(address.host, host);
    QCOMPARE(int(address.port.value_or(0)), port);
    QCOMPARE(address.instance, instance);
}

void TestOdbcConnectionString::shouldQuoteValuesAsEachDriverReadsThem_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("freeTds");
    QTest::addColumn<QString>("microsoft");

    QTest::newRow("plain") << "Secret#1"
                           << "Secret#1"
                           << "Secret#1";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("semicolon") << "a;b"
                               << "{a;b}"
                               << "{a;b}";
    QTest::newRow("closing brace") << "a}b"
                                   << "a}b"
                                   << "{a}}b}";
    QTest::newRow("semicolon, brace, blank") << "a;b} c"
                                             << "{a;b} c}"
                                             << "{a;b}} c}";
    QTest::newRow("ends with brace and semicolon inside") << "a;b}"
                                                          << "{a;b}}"
                                                          << "{a;b}}}";
    QTest::newRow("opening brace first") << "{a"
                                         << "{{a}"
                                         << "{{a}";
    QTest::newRow("blanks kept") << " ab "
                                 << " ab "
                                 << "{ ab }";
    QTest::newRow("quotes mean nothing") << "\"a\""
                                         << "\"a\""
                                         << "\"a\"";
}

void TestOdbcConnectionString::shouldQuoteValuesAsEachDriverReadsThem()
{
    QFETCH(QString, value);
    QFETCH(QString, freeTds);
    QFETCH(QString, microsoft);
    QCOMPARE(OdbcConnectionString::quote(value, SqlServerDriver::Kind::FreeTds).value_or(QStringLiteral("-")),
        freeTds);
    QCOMPARE(OdbcConnectionString::quote(value, SqlServerDriver::Kind::MicrosoftOdbc18)
                 .value_or(QStringLiteral("-")),
        microsoft);
}

void TestOdbcConnectionString::shouldBuildTheFreeTdsString()
{
    const auto ado = AdoConnectionString::parse(
        QStringLiteral("Provider=SQLOLEDB.1;Password=a;b;Persist Security Info=True;User ID=sa;Initial "
                       "Catalog=master;Data Source=."));
    QCOMPARE(
        OdbcConnectionString::translate(ado, { SqlServerDriver::Kind::FreeTds, QStringLiteral("FreeTDS") }),
        QStringLiteral("DRIVER={FreeTDS};Server=127.0.0.1;Port=1433;UID=sa;PWD={a;b};Database=master;"
                       "TDS_Version=7.4;ClientCharset=UTF-8;"));

    const QString path = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so");
    QVERIFY(OdbcConnectionString::translate(ado, { SqlServerDriver::Kind::FreeTds, path })
                .startsWith(QStringLiteral("DRIVER=") + path + QLatin1Char(';')));
}

void TestOdbcConnectionString::shouldBuildTheMicrosoftStrings()
{
    const auto ado = AdoConnectionString::parse(QStringLiteral(
        "Provider=SQLOLEDB.1;Password=x}y;Persist Security Info=True;User ID=sa;Initial Catalog=master;"
        "Data Source=127.0.0.1,41000"));
    QCOMPARE(OdbcConnectionString::translate(ado,
                 { SqlServerDriver::Kind::MicrosoftOdbc18, QStringLiteral("ODBC Driver 18 for SQL Server") }),
        QStringLiteral("DRIVER={ODBC Driver 18 for SQL Server};Server=tcp:127.0.0.1,41000;UID=sa;PWD={x}}y};"
                       "Database=master;Encrypt=Optional;"));
    QVERIFY(OdbcConnectionString::translate(
        ado, { SqlServerDriver::Kind::MicrosoftOdbc17, QStringLiteral("ODBC Driver 17 for SQL Server") })
                .endsWith(QStringLiteral(";Encrypt=no;")));
}

void TestOdbcConnectionString::shouldKeepTheInstanceOfARemoteNamedInstance()
{
    const auto ado = AdoConnectionString::parse(QStringLiteral("User ID=sa;Password=p;Data Source=db\\INST"));
    QVERIFY(
        OdbcConnectionString::translate(ado, { SqlServerDriver::Kind::FreeTds, QStringLiteral("FreeTDS") })
            .contains(QStringLiteral(";Server=db\\INST;UID=")));
    QVERIFY(OdbcConnectionString::translate(
        ado, { SqlServerDriver::Kind::MicrosoftOdbc18, QStringLiteral("ODBC Driver 18 for SQL Server") })
                .contains(QStringLiteral(";Server=db\\INST;UID=")));
}

void TestOdbcConnectionString::shouldRefuseWhatFreeTdsCannotCarry()
{
    const auto ado = AdoConnectionString::parse(QStringLiteral("User ID=sa;Password=a};b;Data Source=."));
    QCOMPARE(ado.value(AdoKey::Password), QStringLiteral("a};b"));
    try {
        OdbcConnectionString::translate(ado, { SqlServerDriver::Kind::FreeTds, QStringLiteral("FreeTDS") });
        QFAIL("a password FreeTDS would cut must not be sent");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    }
    // Microsoft's drivers read doubled braces, so the same password goes through.
    QVERIFY(OdbcConnectionString::translate(
        ado, { SqlServerDriver::Kind::MicrosoftOdbc17, QStringLiteral("ODBC Driver 17 for SQL Server") })
                .contains(QStringLiteral(";PWD={a}};b};")));
}

void TestOdbcConnectionString::shouldRefuseOtherProviders()
{
    const SqlServerDriver freeTds { SqlServerDriver::Kind::FreeTds, QStringLiteral("FreeTDS") };
    for (const char *provider : { "SQLOLEDB", "sqloledb.1", "SQLNCLI11", "MSOLEDBSQL19" }) {
        const auto ado = AdoConnectionString::parse(
            QStringLiteral("Provider=%1;Data Source=.").arg(QLatin1String(provider)));
        QVERIFY(!OdbcConnectionString::translate(ado, freeTds).isEmpty());
    }
    try {
        OdbcConnectionString::translate(
            AdoConnectionString::parse(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb")),
            freeTds);
        QFAIL("another provider must be refused");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), AccessFailure::ProviderNotFound);
    }
}

void TestOdbcConnectionString::shouldPreferMicrosoftsNewestDriver_data()
{
    QTest::addColumn<QStringList>("registered");
    QTest::addColumn<bool>("found");
    QTest::addColumn<SqlServerDriver::Kind>("kind");

    QTest::newRow("all three") << QStringList { "FreeTDS", "ODBC Driver 17 for SQL Server",
        "ODBC Driver 18 for SQL Server" }
                               << true << SqlServerDriver::Kind::MicrosoftOdbc18;
    QTest::newRow("17 and FreeTDS") << QStringList { "FreeTDS", "ODBC Driver 17 for SQL Server" } << true
                                    << SqlServerDriver::Kind::MicrosoftOdbc17;
    QTest::newRow("FreeTDS only, other case")
        << QStringList { "PostgreSQL", "freetds" } << true << SqlServerDriver::Kind::FreeTds;
    QTest::newRow("none") << QStringList { "PostgreSQL", "SQLite3" } << false
                          << SqlServerDriver::Kind::FreeTds;
}

void TestOdbcConnectionString::shouldPreferMicrosoftsNewestDriver()
{
    QFETCH(QStringList, registered);
    QFETCH(bool, found);
    QFETCH(SqlServerDriver::Kind, kind);
    const auto driver = SqlServerDriver::choose(registered);
    QCOMPARE(driver.has_value(), found);
    if (driver) {
        QCOMPARE(driver->kind, kind);
        QVERIFY(registered.contains(driver->name));
    }
}

QTEST_GUILESS_MAIN(TestOdbcConnectionString)
#include "TestOdbcConnectionString.moc"
