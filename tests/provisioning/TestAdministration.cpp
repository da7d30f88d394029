// brevane-provision as an administrator drives it: --verify, --script run
// through FreeTDS's tsql, --ensure twice, --receipt and --undo, each against
// the stand-in, with its statement log and its catalogue as the evidence.
#include "FileContents.h"
#include "RunFixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

using namespace brevane::test;
using hall::test::readAll;
using hall::test::writeAll;

#define REQUIRE_FIXTURE(f) QVERIFY2((f).ready(), qPrintable((f).error()))

namespace {

const QByteArray kSettings
    = "[Program]\r\nLastUser=manager\r\n\r\n[SQL Server]\r\nUser=old\r\nPassWord=Old#Pass9\r\n";

struct Finished
{
    int exitCode = -1;
    QString out;
    QString err;
    QJsonObject json;
};

QStringList runArguments(RunFixture &f, const QStringList &extra = {})
{
    return QStringList { QStringLiteral("--server"), f.serverText(), QStringLiteral("--password-stdin"),
        QStringLiteral("--folder"), f.dataFolder(), QStringLiteral("--backup"), f.defaultBackup(),
        QStringLiteral("--settings"), f.settingsFile(), QStringLiteral("--json") }
    + extra;
}

void start(QProcess &process, const QStringList &arguments)
{
    process.setProgram(QStringLiteral(BREVANE_PROVISION_PATH));
    process.setArguments(arguments);
    process.start();
    process.write(QByteArray(RunFixture::kPassword) + '\n');
    process.closeWriteChannel();
}

Finished collect(QProcess &process)
{
    Finished finished;
    if (!process.waitForFinished(120000))
        return finished;
    finished.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    finished.out = QString::fromUtf8(process.readAllStandardOutput());
    finished.err = QString::fromUtf8(process.readAllStandardError());
    finished.json = QJsonDocument::fromJson(finished.out.toUtf8()).object();
    return finished;
}

Finished run(const QStringList &arguments)
{
    QProcess process;
    start(process, arguments);
    return collect(process);
}

// What the server and the folder hold, with the fixture's folder written as ROOT.
QByteArray snapshot(RunFixture &f)
{
    QByteArray state = readAll(f.server().dataDir() + QStringLiteral("/catalogue.json"));
    for (const QFileInfo &file : QDir(f.dataFolder()).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
        state += file.fileName().toUtf8() + ' ' + readAll(file.filePath()) + '\n';
    state += readAll(f.settingsFile());
    return state.replace(f.root().toUtf8(), "ROOT");
}

struct TsqlRun
{
    int batchesSent = 0;
    bool stoppedByError = false;
    QString output;
};

// Sends a sqlcmd script through tsql as `sqlcmd -b` runs it: its directive
// lines (":...") left out, batch by batch, stopping at the first batch the
// server answers with an error.
TsqlRun runScript(RunFixture &f, const QString &script)
{
    TsqlRun result;
    QStringList batches { QString() };
    for (const QString &line : script.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char(':')))
            continue;
        if (line.trimmed().compare(QLatin1String("GO"), Qt::CaseInsensitive) == 0)
            batches.append(QString());
        else
            batches.last() += line + QLatin1Char('\n');
    }
    for (const QString &batch : batches) {
        if (batch.trimmed().isEmpty())
            continue;
        QProcess tsql;
        tsql.setProcessChannelMode(QProcess::MergedChannels);
        tsql.start(QStringLiteral("tsql"),
            { QStringLiteral("-H"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                QString::number(f.server().port()), QStringLiteral("-U"), QStringLiteral("sa"),
                QStringLiteral("-P"), QString::fromLatin1(RunFixture::kPassword), QStringLiteral("-o"),
                QStringLiteral("q") });
        tsql.write((batch + QStringLiteral("go\nexit\n")).toUtf8());
        tsql.closeWriteChannel();
        tsql.waitForFinished(60000);
        const QString output = QString::fromUtf8(tsql.readAll());
        result.output += output;
        ++result.batchesSent;
        static const QRegularExpression error(QStringLiteral("Msg \\d+ \\(severity (\\d+)"));
        bool refused = false;
        for (auto match = error.globalMatch(output); match.hasNext();)
            refused = refused || match.next().captured(1).toInt() > 10;
        if (refused) {
            result.stoppedByError = true;
            break;
        }
    }
    return result;
}

bool damageLastByte(const QString &file)
{
    QByteArray bytes = readAll(file);
    if (bytes.isEmpty())
        return false;
    bytes[bytes.size() - 1] = char(bytes.at(bytes.size() - 1) ^ 0x01);
    return writeAll(file, bytes);
}

} // namespace

class TestAdministration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldVerifyTheBackupBeforeAnyChange_data();
    void shouldVerifyTheBackupBeforeAnyChange();
    void shouldWriteAScriptThatRestoresAsADirectRunDoes();
    void shouldChangeOnlyWhatDiffersWhenEnsured_data();
    void shouldChangeOnlyWhatDiffersWhenEnsured();
    void shouldUndoExactlyWhatTheReceiptRecords_data();
    void shouldUndoExactlyWhatTheReceiptRecords();
};

void TestAdministration::shouldVerifyTheBackupBeforeAnyChange_data()
{
    QTest::addColumn<bool>("checksums");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");

    QTest::newRow("intact, checksums") << true << false << 0 << QStringLiteral("verified with its checksums");
    QTest::newRow("intact, no checksums")
        << false << false << 0 << QStringLiteral("verified without checksums");
    QTest::newRow("damaged, checksums")
        << true << true << 30 << QStringLiteral("VERIFY DATABASE is terminating abnormally.");
    // Without checksums a server cannot see the damage: the run goes on, and says how little was verified.
    QTest::newRow("damaged, no checksums")
        << false << true << 0 << QStringLiteral("verified without checksums");
}

void TestAdministration::shouldVerifyTheBackupBeforeAnyChange()
{
    QFETCH(bool, checksums);
    QFETCH(bool, damaged);
    QFETCH(int, exitCode);
    QFETCH(QString, says);

    RunFixture f;
    REQUIRE_FIXTURE(f);
    QStringList backupArguments { QStringLiteral("--data"), QStringLiteral("rivazadUZ_Data=C:\\D\\r.MDF"),
        QStringLiteral("--log"), QStringLiteral("rivazadUZ_Log=C:\\D\\r.LDF") };
    if (!checksums)
        backupArguments << QStringLiteral("--no-checksum");
    QVERIFY2(f.makeBackup(f.defaultBackup(), backupArguments), qPrintable(f.error()));
    if (damaged)
        QVERIFY(damageLastByte(f.defaultBackup()));
    QVERIFY(writeAll(f.settingsFile(), kSettings));

    const Finished finished = run(runArguments(f, { QStringLiteral("--verify") }));
    QVERIFY2(finished.exitCode == exitCode, qPrintable(finished.err));
    QVERIFY2(finished.err.contains(says, Qt::CaseInsensitive), qPrintable(finished.err));
    const QJsonObject verification = finished.json.value(QStringLiteral("verification")).toObject();
    QCOMPARE(verification.value(QStringLiteral("passed")).toBool(), exitCode == 0);
    QCOMPARE(verification.value(QStringLiteral("checksums")).toBool(), checksums && !damaged);
    QCOMPARE(finished.json.value(QStringLiteral("changed")).toBool(), exitCode == 0);
    if (exitCode != 0) {
        QVERIFY2(f.changingStatements().isEmpty(), qPrintable(f.changingStatements().join(u'\n')));
        QCOMPARE(finished.json.value(QStringLiteral("outcome")).toString(), QStringLiteral("backup-damaged"));
    }
}

void TestAdministration::shouldWriteAScriptThatRestoresAsADirectRunDoes()
{
    RunFixture direct;
    REQUIRE_FIXTURE(direct);
    QVERIFY(writeAll(direct.settingsFile(), kSettings));
    QCOMPARE(run(runArguments(direct)).exitCode, 0);

    RunFixture scripted;
    REQUIRE_FIXTURE(scripted);
    QVERIFY(writeAll(scripted.settingsFile(), kSettings));
    const QString scriptFile = scripted.root() + QStringLiteral("/restore.sql");
    const Finished written = run(runArguments(scripted, { QStringLiteral("--script"), scriptFile }));
    QVERIFY2(written.exitCode == 0, qPrintable(written.err));
    QCOMPARE(written.json.value(QStringLiteral("changed")).toBool(), false);
    QVERIFY(scripted.changingStatements().isEmpty());
    const QString script = QString::fromUtf8(readAll(scriptFile));
    QVERIFY(script.startsWith(QLatin1String("-- ")));
    QVERIFY(script.contains(QLatin1String("\n:on error exit\n")));
    QVERIFY(!script.contains(QLatin1String(RunFixture::kPassword)));
    QVERIFY(script.contains(scripted.dataFolder() + QStringLiteral("/rivazadUZ_Log.ldf")));

    const TsqlRun first = runScript(scripted, script);
    QVERIFY2(!first.stoppedByError, qPrintable(first.output));
    // The same catalogue and files as the direct run; only the settings file is the operator's to write.
    QByteArray expected = snapshot(direct);
    expected.chop(readAll(direct.settingsFile()).size());
    QCOMPARE(snapshot(scripted), expected + kSettings);

    const int sentBefore = int(scripted.server().statements().size());
    const TsqlRun second = runScript(scripted, script);
    QVERIFY(second.stoppedByError);
    QCOMPARE(second.batchesSent, 1);
    QVERIFY2(second.output.contains(QLatin1String("already exists")), qPrintable(second.output));
    QCOMPARE(scripted.server().statements().size(), sentBefore + 1);
}

void TestAdministration::shouldChangeOnlyWhatDiffersWhenEnsured_data()
{
    QTest::addColumn<QByteArray>("settingsBetween"); // written over Connect.sys between the runs
    QTest::addColumn<QString>("sqlBetween"); // sent through tsql between the runs
    QTest::addColumn<QStringList>("secondExtra");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("settingsRewritten");

    const QStringList ensure { QStringLiteral("--ensure") };
    QTest::newRow("all in place") << QByteArray() << QString() << ensure << 0 << QStringLiteral("unchanged")
                                  << false << false;
    QTest::newRow("settings differ") << kSettings << QString() << ensure << 0
                                     << QStringLiteral("settings-written") << true << true;
    QTest::newRow("settings differ, dry run")
        << kSettings << QString() << QStringList { QStringLiteral("--ensure"), QStringLiteral("--dry-run") }
        << 0 << QStringLiteral("unchanged") << true << false;
    QTest::newRow("database elsewhere") << QByteArray() << QString()
                                        << QStringList { QStringLiteral("--ensure"), QStringLiteral("--move"),
                                               QStringLiteral("rivazadUZ_Log=/elsewhere/x.ldf") }
                                        << 13 << QStringLiteral("refused") << false << false;
    QTest::newRow("database offline")
        << QByteArray() << QStringLiteral("ALTER DATABASE rivazadUZ SET OFFLINE") << ensure << 13
        << QStringLiteral("refused") << false << false;
    QTest::newRow("without --ensure, as before")
        << QByteArray() << QString() << QStringList() << 13 << QStringLiteral("refused") << false << false;
}

void TestAdministration::shouldChangeOnlyWhatDiffersWhenEnsured()
{
    QFETCH(QByteArray, settingsBetween);
    QFETCH(QString, sqlBetween);
    QFETCH(QStringList, secondExtra);
    QFETCH(int, exitCode);
    QFETCH(QString, outcome);
    QFETCH(bool, changed);
    QFETCH(bool, settingsRewritten);

    RunFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    const Finished first = run(runArguments(f, { QStringLiteral("--ensure") }));
    QVERIFY2(first.exitCode == 0, qPrintable(first.err));
    QCOMPARE(first.json.value(QStringLiteral("changed")).toBool(), true);
    const QByteArray settingsAfterFirst = readAll(f.settingsFile());
    if (!settingsBetween.isEmpty())
        QVERIFY(writeAll(f.settingsFile(), settingsBetween));
    if (!sqlBetween.isEmpty())
        QVERIFY(!runScript(f, sqlBetween + QStringLiteral("\nGO\n")).stoppedByError);
    const QByteArray settingsBefore = readAll(f.settingsFile());
    const QStringList changingBefore = f.changingStatements();

    const Finished second = run(runArguments(f, secondExtra));
    QVERIFY2(second.exitCode == exitCode, qPrintable(second.err));
    QCOMPARE(second.json.value(QStringLiteral("outcome")).toString(), outcome);
    QCOMPARE(second.json.value(QStringLiteral("changed")).toBool(), changed);
    QCOMPARE(f.changingStatements(), changingBefore);
    QCOMPARE(readAll(f.settingsFile()) != settingsBefore, settingsRewritten);
    if (settingsRewritten)
        QCOMPARE(readAll(f.settingsFile()), settingsAfterFirst);
    const QString shown = QJsonDocument(second.json).toJson();
    QVERIFY(!shown.contains(QLatin1String(RunFixture::kPassword)));
    if (changed)
        QVERIFY2(shown.contains(QLatin1String("********")), qPrintable(shown));
}

void TestAdministration::shouldUndoExactlyWhatTheReceiptRecords_data()
{
    QTest::addColumn<QString>("disturbance");
    QTest::addColumn<int>("undoExitCode");

    QTest::newRow("whole run over an old device") << QString() << 0;
    QTest::newRow("a file changed since") << QStringLiteral("file") << 31;
    QTest::newRow("cancelled run") << QStringLiteral("cancel") << 0;
    // A receipt that cannot be written stops the run before its first change.
    QTest::newRow("receipt on a read-only file system") << QStringLiteral("unwritable") << 0;
}

void TestAdministration::shouldUndoExactlyWhatTheReceiptRecords()
{
    QFETCH(QString, disturbance);
    QFETCH(int, undoExitCode);

    const bool cancel = disturbance == u"cancel";
    RunFixture f(cancel ? QStringList { QStringLiteral("--fault-delay"), QStringLiteral("20000"),
                     QStringLiteral("--fault-delay-match"), QStringLiteral("RESTORE DATABASE") }
                        : QStringList());
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    const TsqlRun device = runScript(
        f, QStringLiteral("exec sp_addumpdevice 'disk', 'rivazadUZ', '%1/old.Bak'\nGO\n").arg(f.root()));
    QVERIFY2(!device.stoppedByError, qPrintable(device.output));
    const QByteArray before = snapshot(f);
    const QStringList changingBefore = f.changingStatements();

    const QString receipt = disturbance == u"unwritable" ? QStringLiteral("/proc/brevane-receipt.json")
                                                         : f.root() + QStringLiteral("/receipt.json");
    QProcess process;
    start(process, runArguments(f, { QStringLiteral("--receipt"), receipt }));
    if (disturbance == u"unwritable") {
        const Finished refused = collect(process);
        QVERIFY2(refused.exitCode == 2, qPrintable(refused.err));
        QCOMPARE(f.changingStatements(), changingBefore);
        QCOMPARE(snapshot(f), before);
        return;
    }
    if (cancel) {
        QVERIFY(f.waitForStatement(QStringLiteral("RESTORE DATABASE")));
        ::kill(pid_t(process.processId()), SIGINT);
    }
    const Finished provisioned = collect(process);
    QVERIFY2(provisioned.exitCode == (cancel ? 6 : 0), qPrintable(provisioned.err));
    QCOMPARE(QFileInfo(receipt).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
        QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray receiptBytes = readAll(receipt);
    QVERIFY(receiptBytes.contains("Old#Pass9"));
    QVERIFY(!receiptBytes.contains(RunFixture::kPassword));

    if (disturbance == u"file")
        QVERIFY(writeAll(f.dataFolder() + QStringLiteral("/rivazadUZ.mdf"),
            readAll(f.dataFolder() + QStringLiteral("/rivazadUZ.mdf")) + "x"));
    const QByteArray afterRun = snapshot(f);
    const Finished undone = run({ QStringLiteral("--undo"), receipt, QStringLiteral("--yes"),
        QStringLiteral("--password-stdin"), QStringLiteral("--json") });
    QVERIFY2(undone.exitCode == undoExitCode, qPrintable(undone.err));
    QCOMPARE(snapshot(f), undoExitCode == 0 ? before : afterRun);
    if (undoExitCode != 0)
        QVERIFY2(undone.err.contains(QLatin1String("rivazadUZ.mdf")), qPrintable(undone.err));
}

QTEST_GUILESS_MAIN(TestAdministration)
#include "TestAdministration.moc"
