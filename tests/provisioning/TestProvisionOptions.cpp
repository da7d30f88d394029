#include "ExitCode.h"
#include "ProvisionOptions.h"

#include <QTest>

using namespace brevane;
using namespace brevane::run;
using namespace brevane::provision;

class TestProvisionOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsFollowTheWindow();
    void usageErrors_data();
    void usageErrors();
    void helpListsEveryRefusalCode();
};

void TestProvisionOptions::defaultsFollowTheWindow()
{
    const ParsedCommandLine parsed = parseCommandLine(
        { QStringLiteral("--folder"), QStringLiteral("/srv/hall") }, QStringLiteral("/opt/hall/Brevane"));
    const auto *options = std::get_if<ProvisionOptions>(&parsed);
    QVERIFY(options);
    QCOMPARE(options->server, QStringLiteral("."));
    QCOMPARE(options->user, QStringLiteral("sa"));
    QVERIFY(options->database.isEmpty());
    QCOMPARE(options->backupFile, QStringLiteral("/opt/hall/Brevane/../DB/rivazadUZ.Bak"));
    QCOMPARE(options->settingsFile, QStringLiteral("/opt/hall/Brevane/../Connect.sys"));
    QVERIFY(options->writeSettings);
    QCOMPARE(options->passwordSource, PasswordSource::Terminal);
}

void TestProvisionOptions::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no folder") << QStringList { QStringLiteral("--dry-run") } << "--folder";
    QTest::newRow("unknown option") << QStringList { QStringLiteral("--folder"), QStringLiteral("/x"),
        QStringLiteral("--fast") } << "fast";
    QTest::newRow("two password sources") << QStringList { QStringLiteral("--folder"), QStringLiteral("/x"),
        QStringLiteral("--password-stdin"), QStringLiteral("--password-file"), QStringLiteral("/p") }
                                          << "exclude";
    QTest::newRow("settings and no settings") << QStringList { QStringLiteral("--folder"),
        QStringLiteral("/x"), QStringLiteral("--settings"), QStringLiteral("/c"),
        QStringLiteral("--no-settings") } << "exclude";
    QTest::newRow("folder twice") << QStringList { QStringLiteral("--folder"), QStringLiteral("/x"),
        QStringLiteral("--folder"), QStringLiteral("/y") }
                                  << "more than once";
}

void TestProvisionOptions::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const ParsedCommandLine parsed = parseCommandLine(arguments, QStringLiteral("/opt/hall/Brevane"));
    const auto *error = std::get_if<UsageError>(&parsed);
    QVERIFY(error);
    QVERIFY2(error->message.contains(message), qPrintable(error->message));
}

void TestProvisionOptions::helpListsEveryRefusalCode()
{
    const QString help = helpText();
    for (int check = int(PreflightCheck::BackupPresent); check <= int(PreflightCheck::SettingsWritable);
         ++check) {
        const int code = exitCodeFor(PreflightCheck(check));
        QVERIFY2(help.contains(QStringLiteral("\n  %1  ").arg(code)), qPrintable(QString::number(code)));
    }
    for (const int code : { ExitCode::Created, ExitCode::Usage, ExitCode::LogonFailed,
             ExitCode::ServerFailure, ExitCode::SettingsNotWritten, ExitCode::Cancelled })
        QVERIFY2(help.contains(QStringLiteral("\n   %1  ").arg(code)), qPrintable(QString::number(code)));
}

QTEST_GUILESS_MAIN(TestProvisionOptions)
#include "TestProvisionOptions.moc"
