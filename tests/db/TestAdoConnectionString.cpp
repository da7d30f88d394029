#include "AdoConnectionString.h"

#include <QTest>

using brevane::db::AdoConnectionString;
using brevane::db::AdoKey;

class TestAdoConnectionString : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReadTheLogonTextWhateverThePasswordHolds_data();
    void shouldReadTheLogonTextWhateverThePasswordHolds();
    void shouldReadLoginsHoldingKeyLikeText();
    void shouldReadHandWrittenTexts_data();
    void shouldReadHandWrittenTexts();
    void shouldIgnoreTextWithoutKnownKeys();
};

namespace {
QString logonText(const QString &password, const QString &login, const QString &server)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + password
        + QStringLiteral(";Persist Security Info=True;User ID=") + login
        + QStringLiteral(";Initial Catalog=master;Data Source=") + server;
}
} // namespace

void TestAdoConnectionString::shouldReadTheLogonTextWhateverThePasswordHolds_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << QStringLiteral("Secret#1");
    QTest::newRow("empty") << QString();
    QTest::newRow("semicolon, brace and blanks") << QStringLiteral("a;b} c");
    QTest::newRow("ends with semicolon") << QStringLiteral("abc;");
    QTest::newRow("equals signs") << QStringLiteral("=a=;=");
    QTest::newRow("looks like the next key") << QStringLiteral("x;Persist Security Info=False");
    QTest::newRow("looks like a later login") << QStringLiteral("x;User ID=intruder");
    QTest::newRow("looks like another server") << QStringLiteral("x;Data Source=evil;");
    QTest::newRow("alias of a key") << QStringLiteral("x;Server=evil;PWD=y");
    QTest::newRow("braces and quotes") << QStringLiteral("{\"'}};");
    QTest::newRow("non-ASCII") << QStringLiteral("pä€;日本");
}

void TestAdoConnectionString::shouldReadTheLogonTextWhateverThePasswordHolds()
{
    QFETCH(QString, password);
    const auto parsed
        = AdoConnectionString::parse(logonText(password, QStringLiteral("sa"), QStringLiteral(".")));
    QCOMPARE(parsed.value(AdoKey::Provider), QStringLiteral("SQLOLEDB.1"));
    QCOMPARE(parsed.value(AdoKey::Password), password);
    QCOMPARE(parsed.value(AdoKey::PersistSecurityInfo), QStringLiteral("True"));
    QCOMPARE(parsed.value(AdoKey::UserId), QStringLiteral("sa"));
    QCOMPARE(parsed.value(AdoKey::InitialCatalog), QStringLiteral("master"));
    QCOMPARE(parsed.value(AdoKey::DataSource), QStringLiteral("."));
    QVERIFY(parsed.contains(AdoKey::Password));
}

void TestAdoConnectionString::shouldReadLoginsHoldingKeyLikeText()
{
    const auto parsed = AdoConnectionString::parse(logonText(
        QStringLiteral("p;w"), QStringLiteral("a;Initial Catalog=b"), QStringLiteral("127.0.0.1,1433")));
    QCOMPARE(parsed.value(AdoKey::Password), QStringLiteral("p;w"));
    QCOMPARE(parsed.value(AdoKey::UserId), QStringLiteral("a;Initial Catalog=b"));
    QCOMPARE(parsed.value(AdoKey::InitialCatalog), QStringLiteral("master"));
    QCOMPARE(parsed.value(AdoKey::DataSource), QStringLiteral("127.0.0.1,1433"));
}

void TestAdoConnectionString::shouldReadHandWrittenTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("hasCatalog");

    QTest::newRow("other order, trailing semicolon")
        << QStringLiteral("User ID=u;Password=p;Data Source=srv;") << QStringLiteral("u")
        << QStringLiteral("p") << QStringLiteral("srv") << false;
    QTest::newRow("letter case and blanks around keys")
        << QStringLiteral("provider=sqloledb; user id =u;PASSWORD= p ;data source=srv;initial catalog=db")
        << QStringLiteral("u") << QStringLiteral(" p ") << QStringLiteral("srv") << true;
    QTest::newRow("aliases") << QStringLiteral("Server=srv;UID=u;PWD=p;Database=db") << QStringLiteral("u")
                             << QStringLiteral("p") << QStringLiteral("srv") << true;
    QTest::newRow("unknown key stays with the value before it")
        << QStringLiteral("Password=p;Connect Timeout=5;User ID=u;Data Source=srv") << QStringLiteral("u")
        << QStringLiteral("p;Connect Timeout=5") << QStringLiteral("srv") << false;
    QTest::newRow("trailing semicolon of a final password is kept")
        << QStringLiteral("User ID=u;Data Source=srv;Password=p;") << QStringLiteral("u")
        << QStringLiteral("p;") << QStringLiteral("srv") << false;
}

void TestAdoConnectionString::shouldReadHandWrittenTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, server);
    QFETCH(bool, hasCatalog);
    const auto parsed = AdoConnectionString::parse(text);
    QCOMPARE(parsed.value(AdoKey::UserId), login);
    QCOMPARE(parsed.value(AdoKey::Password), password);
    QCOMPARE(parsed.value(AdoKey::DataSource), server);
    QCOMPARE(parsed.contains(AdoKey::InitialCatalog), hasCatalog);
}

void TestAdoConnectionString::shouldIgnoreTextWithoutKnownKeys()
{
    const auto parsed = AdoConnectionString::parse(QStringLiteral("Foo=bar;Baz=1"));
    QVERIFY(!parsed.contains(AdoKey::Provider));
    QVERIFY(!parsed.contains(AdoKey::Password));
    QVERIFY(!parsed.contains(AdoKey::DataSource));
    QVERIFY(!AdoConnectionString::parse(QString()).contains(AdoKey::UserId));
}

QTEST_GUILESS_MAIN(TestAdoConnectionString)
#include "TestAdoConnectionString.moc"
