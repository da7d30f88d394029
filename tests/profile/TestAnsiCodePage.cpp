#include "AnsiCodePage.h"

#include <QTest>

using brevane::profile::AnsiCodePage;

class TestAnsiCodePage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldPickTheCodePageOfTheLocaleLanguage_data();
    void shouldPickTheCodePageOfTheLocaleLanguage();
    void shouldConvertChineseTextBothWays_data();
    void shouldConvertChineseTextBothWays();
    void shouldWriteAQuestionMarkPerUnitForWhatTheCodePageCannotHold_data();
    void shouldWriteAQuestionMarkPerUnitForWhatTheCodePageCannotHold();
    void shouldKeepTheUnassignedBytesOfWesternEuropean();
    void shouldReadBytesThatFormNoCharacterAsQuestionMarks();
    void shouldNeverSplitADoubleByteCharacterWhenCutting();
};

void TestAnsiCodePage::shouldPickTheCodePageOfTheLocaleLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("codePage");
    QTest::newRow("zh_CN") << "zh_CN" << 936;
    QTest::newRow("zh_SG") << "zh_SG" << 936;
    QTest::newRow("zh_Hans") << "zh_Hans" << 936;
    QTest::newRow("zh_TW") << "zh_TW" << 950;
    QTest::newRow("zh_HK") << "zh_HK" << 950;
    QTest::newRow("zh_MO") << "zh_MO" << 950;
    QTest::newRow("zh_Hant") << "zh_Hant" << 950;
    QTest::newRow("en_US") << "en_US" << 1252;
    QTest::newRow("en_GB") << "en_GB" << 1252;
    QTest::newRow("ja_JP") << "ja_JP" << 1252;
    QTest::newRow("C") << "C" << 1252;
}

void TestAnsiCodePage::shouldPickTheCodePageOfTheLocaleLanguage()
{
    QFETCH(QString, locale);
    QFETCH(int, codePage);
    QCOMPARE(AnsiCodePage::forLocale(QLocale(locale)).number(), codePage);
}

void TestAnsiCodePage::shouldConvertChineseTextBothWays_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("936 simplified") << 936 << QStringLiteral("数据库")
                                    << QByteArray("\xCA\xFD\xBE\xDD\xBF\xE2");
    QTest::newRow("936 euro") << 936 << QStringLiteral("€1")
                              << QByteArray("\x80"
                                            "1");
    QTest::newRow("950 traditional") << 950 << QStringLiteral("資料庫")
                                     << QByteArray("\xB8\xEA\xAE\xC6\xAE\x77");
    QTest::newRow("1252 accents") << 1252 << QStringLiteral("Café €") << QByteArray("Caf\xE9 \x80");
    QTest::newRow("ascii") << 936 << QStringLiteral("SQL Server") << QByteArray("SQL Server");
}

void TestAnsiCodePage::shouldConvertChineseTextBothWays()
{
    QFETCH(int, codePage);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const AnsiCodePage ansi(static_cast<AnsiCodePage::Number>(codePage));
    QCOMPARE(ansi.encode(text), bytes);
    QCOMPARE(ansi.decode(bytes), text);
}

void TestAnsiCodePage::shouldWriteAQuestionMarkPerUnitForWhatTheCodePageCannotHold_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("chinese in 1252") << 1252 << QStringLiteral("a数据b") << QByteArray("a??b");
    QTest::newRow("simplified-only in 950") << 950 << QStringLiteral("库") << QByteArray("?");
    QTest::newRow("cyrillic in 936 stays") << 936 << QStringLiteral("Я") << QByteArray("\xA7\xC1");
    QTest::newRow("hebrew in 936") << 936 << QStringLiteral("x\u05D0") << QByteArray("x?");
    QTest::newRow("surrogate pair") << 936 << QStringLiteral("U\U0001F600") << QByteArray("U??");
    QTest::newRow("lone surrogate") << 1252 << QString(QChar(0xD800)) << QByteArray("?");
    QTest::newRow("heart with selector")
        << 1252 << QStringLiteral("Unicode\u2764\uFE0E") << QByteArray("Unicode??");
}

void TestAnsiCodePage::shouldWriteAQuestionMarkPerUnitForWhatTheCodePageCannotHold()
{
    QFETCH(int, codePage);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(AnsiCodePage(static_cast<AnsiCodePage::Number>(codePage)).encode(text), bytes);
}

void TestAnsiCodePage::shouldKeepTheUnassignedBytesOfWesternEuropean()
{
    const AnsiCodePage ansi(AnsiCodePage::WesternEuropean);
    const QByteArray bytes("\x81\x8D\x8F\x90\x9D");
    const QString text = ansi.decode(bytes);
    QCOMPARE(text, QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
    QCOMPARE(ansi.encode(text), bytes);
}

void TestAnsiCodePage::shouldReadBytesThatFormNoCharacterAsQuestionMarks()
{
    const AnsiCodePage ansi(AnsiCodePage::SimplifiedChinese);
    // A lead byte before a byte that cannot follow it, and one as the very last byte.
    QCOMPARE(ansi.decode(QByteArray("\xCA \xCA\xFD\xCA")), QStringLiteral("? 数?"));
    QCOMPARE(ansi.decode(QByteArray("a\0b", 3)), QString::fromUtf16(u"a\0b", 3));
}

void TestAnsiCodePage::shouldNeverSplitADoubleByteCharacterWhenCutting()
{
    const AnsiCodePage ansi(AnsiCodePage::SimplifiedChinese);
    QCOMPARE(ansi.encodePrefix(QStringLiteral("a数据"), 4), QByteArray("a\xCA\xFD"));
    QCOMPARE(ansi.encodePrefix(QStringLiteral("a数据"), 5), QByteArray("a\xCA\xFD\xBE\xDD"));
    QCOMPARE(ansi.encodePrefix(QStringLiteral("数据"), 1), QByteArray());
    QCOMPARE(ansi.encodePrefix(QStringLiteral("abc"), 0), QByteArray());
}

QTEST_GUILESS_MAIN(TestAnsiCodePage)
#include "TestAnsiCodePage.moc"
