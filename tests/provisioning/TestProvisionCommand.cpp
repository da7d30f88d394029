#include "FileContents.h"
#include "MessageTable.h"
#include "ProvisioningFixture.h"
#include "ProvisioningRun.h"
#include "RunFixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevane::test;
using hall::test::readAll;
using hall::test::writeAll;

#define REQUIRE_FIXTURE(f) QVERIFY2((f).ready(), qPrintable((f).error()))

namespace {
const QByteArray kSettings = "[Program]\r\nLastUser=manager\r\n\r\n[SQL Server]\r\nUser=old\r\nServer=old\r\n"
                             "[Printer]\r\nName=Counter\r\n";

struct Finished
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The run's usual arguments; --settings names an existing file, as it must.
QStringList baseArguments(RunFixture &f)
{
    if (!QFile::exists(f.settingsFile()))
        writeAll(f.settingsFile(), kSettings);
    return { QStringLiteral("--server"), f.serverText(), QStringLiteral("--password-stdin"),
        QStringLiteral("--folder"), f.dataFolder(), QStringLiteral("--backup"), f.defaultBackup(),
        QStringLiteral("--settings"), f.settingsFile() };
}

void start(QProcess &process, const QStringList &arguments, const QByteArray &input)
{
    process.setProgram(QStringLiteral(BREVANE_PROVISION_PATH));
    process.setArguments(arguments);
    process.start();
    process.write(input);
    process.closeWriteChannel();
}

Finished run(const QStringList &arguments, const QByteArray &input = QByteArray(RunFixture::kPassword) + '\n',
    const QString &workingFolder = {})
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    start(process, arguments, input);
    Finished finished;
    if (!process.waitForFinished(120000))
        return finished;
    finished.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    finished.out = QString::fromUtf8(process.readAllStandardOutput());
    finished.err = QString::fromUtf8(process.readAllStandardError());
    return finished;
}

} // namespace

class TestProvisionCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeRunWritesTheSameSettingsAsTheWindow();
    void jsonAndLogHoldTheRunButNeverThePassword();
    void refusedChecksEndWithTheirCodeBeforeAnyChange_data();
    void refusedChecksEndWithTheirCodeBeforeAnyChange();
    void dryRunPrintsExactlyWhatARealRunSends();
    void progressLinesArriveInOrderAndEndWithTheSummary();
    void passwordOnTheCommandLineIsRefusedWithoutEchoingIt_data();
    void passwordOnTheCommandLineIsRefusedWithoutEchoingIt();
    void droppedConnectionDuringTheRestoreSaysWhatIsLeft();
    void interruptDuringASlowedRestoreCancelsOnTheServer_data();
    void interruptDuringASlowedRestoreCancelsOnTheServer();
    void interruptDuringTheChecksEndsAtOnceWithNothingChanged();
    void settingsThatBecameUnwritableDuringTheRestoreAreReported();
    void passwordAskedOnATerminalIsNotEchoed();
    void shouldRefuseWhatTheRunWouldFailOnBeforeAnyChange_data();
    void shouldRefuseWhatTheRunWouldFailOnBeforeAnyChange();
    void shouldRestoreEveryFileOfTheBackupByItsType();
    void shouldCheckWhereTheServerLooksBeforeAnyChange_data();
    void shouldCheckWhereTheServerLooksBeforeAnyChange();
    void shouldSpeakTheUsersLanguageWithTheWindowsTexts_data();
    void shouldSpeakTheUsersLanguageWithTheWindowsTexts();
    void shouldPrintOneJsonObjectWhenInterruptedTwice();
    void shouldEndWithinTheChosenTimeWithItsOwnCode_data();
    void shouldEndWithinTheChosenTimeWithItsOwnCode();
};

void TestProvisionCommand::wholeRunWritesTheSameSettingsAsTheWindow()
{
    // The window's run first, on a server of its own.
    QByteArray windowSettings;
    QString windowServer;
    {
        ProvisioningFixture w;
        REQUIRE_FIXTURE(w);
        QVERIFY(writeAll(w.settingsFile(), kSettings));
        QVERIFY(w.reachRestorePage());
        w.chooseFolder(w.dataFolder());
        w.pressRestore();
        windowSettings = readAll(w.settingsFile());
        windowServer = QStringLiteral("127.0.0.1,%1").arg(w.server().port());
    }

    RunFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    QVERIFY(writeAll(f.root() + QStringLiteral("/pw"), QByteArray(RunFixture::kPassword) + "\r\n"));
    QStringList arguments = baseArguments(f);
    arguments.replace(
        arguments.indexOf(QStringLiteral("--password-stdin")), QStringLiteral("--password-file"));
    arguments.insert(
        arguments.indexOf(QStringLiteral("--password-file")) + 1, f.root() + QStringLiteral("/pw"));
    const Finished finished = run(arguments, {});
    QVERIFY2(finished.exitCode == 0, qPrintable(finished.err));

    QVERIFY(QFile::exists(f.dataFolder() + QStringLiteral("/rivazadUZ.mdf")));
    QVERIFY(QFile::exists(f.dataFolder() + QStringLiteral("/rivazadUZ_Log.ldf")));
    QByteArray settings = readAll(f.settingsFile());
    settings.replace(f.serverText().toLatin1(), windowServer.toLatin1());
    QCOMPARE(settings, windowSettings);
}

void TestProvisionCommand::jsonAndLogHoldTheRunButNeverThePassword()
{
    RunFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    const QString log = f.root() + QStringLiteral("/run.log");
    const Finished finished = run(baseArguments(f)
        + QStringList { QStringLiteral("--database"), QStringLiteral("Hall02"), QStringLiteral("--json"),
            QStringLiteral("--log"), log });
    QVERIFY2(finished.exitCode == 0, qPrintable(finished.err));

    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(finished.out.toUtf8(), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(finished.out));
    QCOMPARE(json.value(QStringLiteral("outcome")).toString(), QStringLiteral("created"));
    QCOMPARE(json.value(QStringLiteral("exitCode")).toInt(), 0);
    QCOMPARE(json.value(QStringLiteral("database")).toString(), QStringLiteral("Hall02"));
    const QJsonObject files = json.value(QStringLiteral("files")).toObject();
    QCOMPARE(files.value(QStringLiteral("data")).toString(), f.dataFolder() + QStringLiteral("/Hall02.mdf"));
    QCOMPARE(
        files.value(QStringLiteral("log")).toString(), f.dataFolder() + QStringLiteral("/Hall02_Log.ldf"));
    QStringList statements;
    for (const QJsonValue &value : json.value(QStringLiteral("statements")).toArray())
        statements << value.toString();
    QCOMPARE(statements, f.server().statements());
    QVERIFY(json.value(QStringLiteral("serverMessages"))
                .toArray()
                .last()
                .toString()
                .contains(QStringLiteral("RESTORE DATABASE successfully processed")));
    QVERIFY(json.value(QStringLiteral("elapsedSeconds")).isDouble());
    QVERIFY(json.value(QStringLiteral("settings")).toObject().value(QStringLiteral("written")).toBool());

    const QByteArray logged = readAll(log);
    QVERIFY(logged.contains("RESTORE DATABASE  Hall02"));
    QVERIFY(logged.contains("successfully processed"));
    for (const QByteArray &text : { finished.out.toUtf8(), finished.err.toUtf8(), logged })
        QVERIFY(!text.contains(RunFixture::kPassword));
}

void TestProvisionCommand::refusedChecksEndWithTheirCodeBeforeAnyChange_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong password") << "password" << 3 << "Sql Server connect failed";
    QTest::newRow("backup missing") << "missing" << 10 << "Cannot find original file";
    QTest::newRow("name breaks the rule") << "name" << 12 << "Hall-02";
    QTest::newRow("name taken on a second run") << "taken" << 13 << "Database name exist!";
    QTest::newRow("folder missing") << "folder" << 15 << "Folder not exist";
    QTest::newRow("data file left from before") << "file" << 16 << "Hall02.mdf";
    QTest::newRow("backup from a newer server") << "newer" << 18 << "16.0.1000";
    QTest::newRow("connection lost during the checks") << "drop" << 4 << "Nothing was changed";
}

void TestProvisionCommand::refusedChecksEndWithTheirCodeBeforeAnyChange()
{
    QFETCH(QString, situation);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    // The stand-in answers the file list, then closes the connection.
    RunFixture f(situation == u"drop"
            ? QStringList { QStringLiteral("--fault-drop-after"), QStringLiteral("1") }
            : QStringList());
    REQUIRE_FIXTURE(f);
    QStringList arguments
        = baseArguments(f) + QStringList { QStringLiteral("--database"), QStringLiteral("Hall02") };
    QByteArray input = QByteArray(RunFixture::kPassword) + '\n';
    if (situation == u"password") {
        input = "Wrong#1\n";
    } else if (situation == u"missing") {
        QVERIFY(QFile::remove(f.defaultBackup()));
    } else if (situation == u"name") {
        arguments.last() = QStringLiteral("Hall-02");
    } else if (situation == u"taken") {
        const Finished first = run(arguments);
        QVERIFY2(first.exitCode == 0, qPrintable(first.err));
        QVERIFY(QFile::remove(f.dataFolder() + QStringLiteral("/Hall02.mdf")));
        QVERIFY(QFile::remove(f.dataFolder() + QStringLiteral("/Hall02_Log.ldf")));
    } else if (situation == u"folder") {
        arguments[arguments.indexOf(f.dataFolder())] = f.root() + QStringLiteral("/nowhere");
    } else if (situation == u"newer") {
        QVERIFY(QFile::remove(f.defaultBackup()));
        QVERIFY2(f.makeBackup(f.defaultBackup(),
                     { QStringLiteral("--data"), QStringLiteral("A_Data=C:\\a.mdf"), QStringLiteral("--log"),
                         QStringLiteral("A_Log=C:\\a.ldf"), QStringLiteral("--server-version"),
                         QStringLiteral("16.0.1000.6") }),
            qPrintable(f.error()));
    } else if (situation == u"file") {
        QVERIFY(writeAll(f.dataFolder() + QStringLiteral("/Hall02.mdf"), "x"));
    }
    const QStringList changingBefore = f.changingStatements();
    const Finished finished = run(arguments, input);
    QCOMPARE(finished.exitCode, exitCode);
    QVERIFY2(finished.err.contains(message), qPrintable(finished.err));
    QCOMPARE(f.changingStatements(), changingBefore);
}

void TestProvisionCommand::dryRunPrintsExactlyWhatARealRunSends()
{
    RunFixture f;
    REQUIRE_FIXTURE(f);
    const QStringList arguments
        = baseArguments(f) + QStringList { QStringLiteral("--database"), QStringLiteral("Hall02") };
    const Finished dry
        = run(arguments + QStringList { QStringLiteral("--dry-run"), QStringLiteral("--json") });
    QVERIFY2(dry.exitCode == 0, qPrintable(dry.err));
    QVERIFY(f.changingStatements().isEmpty());
    const QJsonObject json = QJsonDocument::fromJson(dry.out.toUtf8()).object();
    QCOMPARE(json.value(QStringLiteral("outcome")).toString(), QStringLiteral("checked"));
    QStringList planned;
    for (const QJsonValue &value : json.value(QStringLiteral("restoreStatements")).toArray())
        planned << value.toString();
    QCOMPARE(planned.size(), 4);
    const QStringList printed = dry.err.split(QLatin1Char('\n'));
    for (const QString &statement : std::as_const(planned))
        QVERIFY2(printed.contains(statement), qPrintable(statement));

    const Finished real = run(arguments);
    QVERIFY2(real.exitCode == 0, qPrintable(real.err));
    QCOMPARE(f.server().statements().mid(f.server().statements().size() - 4), planned);
}

void TestProvisionCommand::progressLinesArriveInOrderAndEndWithTheSummary()
{
    RunFixture f;
    REQUIRE_FIXTURE(f);
    const Finished finished = run(baseArguments(f) + QStringList { QStringLiteral("--progress") });
    QVERIFY2(finished.exitCode == 0, qPrintable(finished.err));
    QVERIFY(f.server().statements().last().endsWith(QStringLiteral(", STATS = 10")));

    const QStringList lines = finished.out.split(QLatin1Char('\n'));
    static const QRegularExpression percent(QStringLiteral("^(\\d+) percent processed\\.$"));
    QList<int> percents;
    qsizetype lastPercentLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = percent.match(lines.at(i));
        if (match.hasMatch()) {
            percents << match.captured(1).toInt();
            lastPercentLine = i;
        }
    }
    QVERIFY2(percents.size() >= 2, qPrintable(finished.out));
    QVERIFY(std::is_sorted(percents.begin(), percents.end()));
    QCOMPARE(percents.last(), 100);
    bool summaryAfter = false;
    for (qsizetype i = lastPercentLine + 1; i < lines.size(); ++i)
        summaryAfter = summaryAfter
            || lines.at(i).startsWith(QStringLiteral("RESTORE DATABASE successfully processed"));
    QVERIFY2(summaryAfter, qPrintable(finished.out));
}

void TestProvisionCommand::passwordOnTheCommandLineIsRefusedWithoutEchoingIt_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("--password") << QStringList { QStringLiteral("--password"), QStringLiteral("Hunter#2") };
    QTest::newRow("--password=") << QStringList { QStringLiteral("--password=Hunter#2") };
    QTest::newRow("-P") << QStringList { QStringLiteral("-P"), QStringLiteral("Hunter#2") };
    QTest::newRow("stray word") << QStringList { QStringLiteral("Hunter#2") };
}

void TestProvisionCommand::passwordOnTheCommandLineIsRefusedWithoutEchoingIt()
{
    QFETCH(QStringList, arguments);
    const Finished finished
        = run(QStringList { QStringLiteral("--folder"), QStringLiteral("/tmp") } + arguments);
    QCOMPARE(finished.exitCode, 2);
    QVERIFY(!finished.err.isEmpty());
    QVERIFY(!finished.err.contains(QStringLiteral("Hunter")));
    QVERIFY(!finished.out.contains(QStringLiteral("Hunter")));
}

void TestProvisionCommand::droppedConnectionDuringTheRestoreSaysWhatIsLeft()
{
    RunFixture f({ QStringLiteral("--fault-drop-mid-restore") });
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    const Finished finished = run(baseArguments(f));
    QCOMPARE(finished.exitCode, 4);
    QVERIFY2(finished.err.contains(QStringLiteral("restoring state")), qPrintable(finished.err));
    QVERIFY(finished.err.contains(QStringLiteral("dump device rivazadUZ is registered")));
    QCOMPARE(readAll(f.settingsFile()), kSettings);
}

void TestProvisionCommand::interruptDuringASlowedRestoreCancelsOnTheServer_data()
{
    QTest::addColumn<bool>("progress");
    QTest::newRow("while the server is silent") << false;
    QTest::newRow("between progress messages") << true;
}

void TestProvisionCommand::interruptDuringASlowedRestoreCancelsOnTheServer()
{
    QFETCH(bool, progress);
    RunFixture f({ QStringLiteral("--fault-delay"), QStringLiteral("20000"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("RESTORE DATABASE") });
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    QProcess process;
    start(process,
        baseArguments(f) + (progress ? QStringList { QStringLiteral("--progress") } : QStringList()),
        QByteArray(RunFixture::kPassword) + '\n');
    QVERIFY(f.waitForStatement(QStringLiteral("RESTORE DATABASE")));
    QByteArray out;
    if (progress) {
        QDeadlineTimer deadline(30000);
        while (!out.contains("10 percent processed.") && !deadline.hasExpired()) {
            process.waitForReadyRead(100);
            out += process.readAllStandardOutput();
        }
        QVERIFY2(out.contains("10 percent processed."), out.constData());
    } else {
        QTest::qWait(200);
    }
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(30000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(
        process.exitCode() == 6, qPrintable(err + QString::fromUtf8(out + process.readAllStandardOutput())));
    QVERIFY2(err.contains(QStringLiteral("cancelled")), qPrintable(err));
    QCOMPARE(f.server().attentions(), 1);
    // The server acknowledged the attention: the connection answered the existence query afterwards.
    QVERIFY2(err.contains(QStringLiteral("The server has no database rivazadUZ")), qPrintable(err));
    QVERIFY(f.server().statements().last().contains(QStringLiteral("sysdatabases")));
    QCOMPARE(readAll(f.settingsFile()), kSettings);
}

void TestProvisionCommand::interruptDuringTheChecksEndsAtOnceWithNothingChanged()
{
    RunFixture f({ QStringLiteral("--fault-delay"), QStringLiteral("20000"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("HEADERONLY") });
    REQUIRE_FIXTURE(f);
    QProcess process;
    start(process, baseArguments(f) + QStringList { QStringLiteral("--json") },
        QByteArray(RunFixture::kPassword) + '\n');
    QVERIFY(f.waitForStatement(QStringLiteral("HEADERONLY")));
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 6);
    QVERIFY(process.readAllStandardError().contains("Cancelled before anything was changed."));
    const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    QCOMPARE(json.value(QStringLiteral("outcome")).toString(), QStringLiteral("cancelled"));
    QCOMPARE(json.value(QStringLiteral("exitCode")).toInt(), 6);
    QVERIFY(f.changingStatements().isEmpty());
}

void TestProvisionCommand::settingsThatBecameUnwritableDuringTheRestoreAreReported()
{
    RunFixture f({ QStringLiteral("--fault-delay"), QStringLiteral("1500"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("RESTORE DATABASE") });
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    QProcess process;
    start(process, baseArguments(f) + QStringList { QStringLiteral("--json") },
        QByteArray(RunFixture::kPassword) + '\n');
    QVERIFY(f.waitForStatement(QStringLiteral("RESTORE DATABASE")));
    // Made immutable after the checks passed: even root cannot replace it now.
    const bool locked
        = QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("+i"), f.settingsFile() }) == 0;
    process.waitForFinished(60000);
    if (locked)
        QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("-i"), f.settingsFile() });
    else
        QSKIP("cannot make the settings file immutable here (needs root and a file system with chattr)");
    QCOMPARE(process.exitCode(), 5);
    const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    QCOMPARE(json.value(QStringLiteral("outcome")).toString(), QStringLiteral("settings-not-written"));
    QVERIFY(json.value(QStringLiteral("error")).toString().contains(f.settingsFile()));
    QVERIFY(QFile::exists(f.dataFolder() + QStringLiteral("/rivazadUZ.mdf")));
    QCOMPARE(readAll(f.settingsFile()), kSettings);
}

void TestProvisionCommand::passwordAskedOnATerminalIsNotEchoed()
{
    RunFixture f;
    REQUIRE_FIXTURE(f);
    int master = -1;
    int terminal = -1;
    if (::openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0)
        QSKIP("no pseudo-terminal available");
    QStringList arguments = baseArguments(f);
    arguments.removeAll(QStringLiteral("--password-stdin"));
    QProcess process;
    process.setProgram(QStringLiteral(BREVANE_PROVISION_PATH));
    process.setArguments(arguments + QStringList { QStringLiteral("--dry-run") });
    // The terminal becomes the program's standard input and controlling terminal.
    process.setChildProcessModifier([terminal] {
        ::setsid();
        ::ioctl(terminal, TIOCSCTTY, 0);
        ::dup2(terminal, STDIN_FILENO);
    });
    process.start();
    ::close(terminal);
    QVERIFY(process.waitForStarted());
    QDeadlineTimer deadline(30000);
    QByteArray err;
    while (!err.contains("Password: ") && !deadline.hasExpired()) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    QVERIFY2(err.contains("Password: "), err.constData());
    const QByteArray typed = QByteArray(RunFixture::kPassword) + '\n';
    QCOMPARE(::write(master, typed.constData(), size_t(typed.size())), ssize_t(typed.size()));
    QVERIFY(process.waitForFinished(60000));
    err += process.readAllStandardError();
    QVERIFY2(process.exitCode() == 0, err.constData());

    // What the terminal showed while the password was typed.
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    QByteArray shown;
    char buffer[256];
    for (ssize_t got = 0; (got = ::read(master, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, got);
    ::close(master);
    QVERIFY2(!shown.contains(RunFixture::kPassword), shown.constData());
    QVERIFY(!process.readAllStandardOutput().contains(RunFixture::kPassword));
}

void TestProvisionCommand::shouldRefuseWhatTheRunWouldFailOnBeforeAnyChange_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("settings file of mode 0444") << "0444" << 19 << "refused";
    QTest::newRow("settings file in a folder that takes no new file") << "folder +i" << 0 << "created";
    QTest::newRow("name of 129 characters") << "name129" << 12 << "refused";
    QTest::newRow("relative folder, sent absolute") << "relative" << 0 << "created";
    QTest::newRow("--settings naming no file") << "nosettings" << 2 << "usage-error";
    QTest::newRow("default settings file missing") << "nodefault" << 0 << "created";
    QTest::newRow("no password line on standard input") << "nopassword" << 2 << "usage-error";
    QTest::newRow("unknown option") << "option" << 2 << "usage-error";
    QTest::newRow("--move naming no file of the backup") << "move" << 2 << "usage-error";
}

void TestProvisionCommand::shouldRefuseWhatTheRunWouldFailOnBeforeAnyChange()
{
    QFETCH(QString, situation);
    QFETCH(int, exitCode);
    QFETCH(QString, outcome);
    RunFixture f;
    REQUIRE_FIXTURE(f);
    QStringList arguments = baseArguments(f)
        + QStringList { QStringLiteral("--database"), QStringLiteral("Hall02"), QStringLiteral("--json") };
    QByteArray input = QByteArray(RunFixture::kPassword) + '\n';
    QString immutable;
    if (situation == u"0444") {
        QCOMPARE(::chmod(QFile::encodeName(f.settingsFile()).constData(), 0444), 0);
    } else if (situation == u"folder +i") {
        immutable = f.root();
        if (QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("+i"), immutable }) != 0)
            QSKIP("cannot make a folder immutable here (needs root and a file system with chattr)");
    } else if (situation == u"name129") {
        arguments[arguments.indexOf(QStringLiteral("Hall02"))] = QStringLiteral("H") + QString(128, u'x');
    } else if (situation == u"relative") {
        arguments[arguments.indexOf(f.dataFolder())] = QStringLiteral("Data");
    } else if (situation == u"nosettings") {
        QVERIFY(QFile::remove(f.settingsFile()));
    } else if (situation == u"nodefault") {
        arguments.remove(arguments.indexOf(QStringLiteral("--settings")), 2);
    } else if (situation == u"nopassword") {
        input.clear();
    } else if (situation == u"option") {
        arguments << QStringLiteral("--no-such-option");
    } else if (situation == u"move") {
        arguments << QStringLiteral("--move") << QStringLiteral("Hall_Data=/srv/Hall.mdf");
    }
    const Finished finished = run(arguments, input, f.root());
    if (!immutable.isEmpty())
        QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("-i"), immutable });

    QVERIFY2(finished.exitCode == exitCode, qPrintable(finished.err));
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(finished.out.toUtf8(), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(finished.out));
    QCOMPARE(json.value(QStringLiteral("exitCode")).toInt(), exitCode);
    QCOMPARE(json.value(QStringLiteral("outcome")).toString(), outcome);
    if (exitCode != 0) {
        QVERIFY(f.changingStatements().isEmpty());
        QVERIFY(!json.value(QStringLiteral("error")).toString().isEmpty());
        return;
    }
    const QJsonObject settings = json.value(QStringLiteral("settings")).toObject();
    if (situation == u"nodefault") {
        QCOMPARE(settings.value(QStringLiteral("written")), QJsonValue(false));
        QCOMPARE(settings.value(QStringLiteral("reason")).toString(), QStringLiteral("missing"));
    } else {
        QVERIFY(readAll(f.settingsFile()).contains("Initial Catalog=Hall02"));
    }
    QVERIFY(f.changingStatements().last().contains(QStringLiteral("'%1/Hall02.mdf'").arg(f.dataFolder())));
}

void TestProvisionCommand::shouldRestoreEveryFileOfTheBackupByItsType()
{
    RunFixture f;
    REQUIRE_FIXTURE(f);
    // A second data file listed before the log, and a full-text catalogue.
    QVERIFY(QFile::remove(f.defaultBackup()));
    QVERIFY2(f.makeBackup(f.defaultBackup(),
                 { QStringLiteral("--file"), QStringLiteral("Hall_Data=C:\\d\\Hall.mdf:D"),
                     QStringLiteral("--file"), QStringLiteral("Hall_More=C:\\d\\More.ndf:D"),
                     QStringLiteral("--file"), QStringLiteral("Hall_Log=C:\\d\\Hall.ldf:L"),
                     QStringLiteral("--file"), QStringLiteral("Hall_Text=C:\\d\\Text:F") }),
        qPrintable(f.error()));
    const QString logs = f.root() + QStringLiteral("/Logs");
    QVERIFY(QDir().mkpath(logs));
    const Finished finished = run(baseArguments(f)
        + QStringList {
            QStringLiteral("--database"), QStringLiteral("Hall02"), QStringLiteral("--log-folder"), logs });
    QVERIFY2(finished.exitCode == 0, qPrintable(finished.err));
    const QString data = f.dataFolder();
    QCOMPARE(f.changingStatements().last(),
        QStringLiteral(
            " RESTORE DATABASE  Hall02 From rivazadUZ With Move 'Hall_Data' TO '%1/Hall02.mdf', Move "
            "'Hall_Log' TO '%2/Hall02_Log.ldf', Move 'Hall_More' TO '%1/Hall02_2.ndf', Move "
            "'Hall_Text' TO '%1/Hall02_Hall_Text' ")
            .arg(data, logs));
    for (const QString &file : { data + QStringLiteral("/Hall02.mdf"), data + QStringLiteral("/Hall02_2.ndf"),
             logs + QStringLiteral("/Hall02_Log.ldf") })
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
}

void TestProvisionCommand::shouldCheckWhereTheServerLooksBeforeAnyChange_data()
{
    QTest::addColumn<QStringList>("serverOptions");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("check"); // the check that refused, or one not made
    const QStringList windows { QStringLiteral("--platform"), QStringLiteral("windows"),
        QStringLiteral("--machine-name"), QStringLiteral("FARAWAY") };
    QTest::newRow("database left restoring by an earlier run") << QStringList {
        QStringLiteral("--fault-leave-restoring"), QStringLiteral("--fault-drop-mid-restore")
    } << "restoring" << 21 << "not-restoring";
    QTest::newRow("another dump device on the backup file")
        << QStringList() << "device" << 22 << "device-free";
    QTest::newRow("folder the server's account may not write")
        << QStringList { QStringLiteral("--service-account"), QStringLiteral("nobody") } << "local" << 23
        << "folder-writable";
    QTest::newRow("account learnt from the server's own files")
        << QStringList { QStringLiteral("--service-account"), QString() } << "local" << 0 << "";
    QTest::newRow("remote Windows server: its folder") << windows << "remote" << 0 << "folder-writable";
    QTest::newRow("remote Windows server: a folder it lacks")
        << windows << "remote missing" << 15 << "folder-exists";
    QTest::newRow("remote server: default backup beside the program")
        << windows << "remote default" << 2 << "server-paths-given";
}

void TestProvisionCommand::shouldCheckWhereTheServerLooksBeforeAnyChange()
{
    QFETCH(QStringList, serverOptions);
    QFETCH(QString, situation);
    QFETCH(int, exitCode);
    QFETCH(QString, check);
    RunFixture f(serverOptions);
    REQUIRE_FIXTURE(f);
    QStringList arguments = baseArguments(f) + QStringList { QStringLiteral("--json") };
    if (situation == u"restoring") {
        // The link drops during the first restore, which leaves the database restoring.
        QCOMPARE(run(arguments).exitCode, 4);
    }
    if (situation == u"device") {
        brevane::run::ProvisioningRun other;
        QVERIFY(
            other.logOn(f.serverText(), QStringLiteral("sa"), QString::fromLatin1(RunFixture::kPassword)));
        other.ask(QStringLiteral("EXEC sp_addumpdevice 'disk', 'Other', '%1'").arg(f.defaultBackup()));
    } else if (situation.startsWith(QStringLiteral("remote"))) {
        // The server's C: drive is a folder under its data folder; the backup lies there.
        const QString drive = f.server().dataDir() + QStringLiteral("/drives/C");
        QVERIFY(QDir().mkpath(drive + QStringLiteral("/DB")));
        QVERIFY(QDir().mkpath(drive + QStringLiteral("/SQLData")));
        QVERIFY(QFile::copy(f.defaultBackup(), drive + QStringLiteral("/DB/rivazadUZ.Bak")));
        arguments = QStringList { QStringLiteral("--server"), f.serverText(),
            QStringLiteral("--password-stdin"), QStringLiteral("--server-is-remote"),
            QStringLiteral("--no-settings"), QStringLiteral("--json"), QStringLiteral("--folder"),
            situation.endsWith(QStringLiteral("missing")) ? QStringLiteral("C:\\Nowhere")
                                                          : QStringLiteral("C:\\SQLData") };
        if (!situation.endsWith(QStringLiteral("default")))
            arguments << QStringLiteral("--backup") << QStringLiteral("C:\\DB\\rivazadUZ.Bak");
    }
    const QStringList changingBefore = f.changingStatements();
    const Finished finished = run(arguments);
    QVERIFY2(finished.exitCode == exitCode, qPrintable(finished.err));
    const QJsonObject json = QJsonDocument::fromJson(finished.out.toUtf8()).object();
    QCOMPARE(json.value(QStringLiteral("exitCode")).toInt(), exitCode);
    QJsonObject named;
    for (const QJsonValue &value : json.value(QStringLiteral("checks")).toArray()) {
        if (value.toObject().value(QStringLiteral("check")).toString() == check)
            named = value.toObject();
    }
    if (exitCode != 0) {
        QCOMPARE(f.changingStatements(), changingBefore);
        QCOMPARE(named.value(QStringLiteral("passed")), QJsonValue(false));
    } else if (!check.isEmpty()) {
        // What the server cannot tell is not made, never passed.
        QVERIFY2(named.value(QStringLiteral("passed")).isNull(), qPrintable(finished.out));
        QVERIFY(QFileInfo::exists(f.server().dataDir() + QStringLiteral("/drives/C/SQLData/rivazadUZ.mdf")));
    }
}

void TestProvisionCommand::shouldSpeakTheUsersLanguageWithTheWindowsTexts_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("passed"); // how a passed check's line begins
    QTest::newRow("US English") << "en_US.UTF-8" << int(brevane::LanguageId::EnglishUnitedStates) << "ok: ";
    QTest::newRow("British English") << "en_GB.UTF-8" << int(brevane::LanguageId::EnglishUnitedKingdom)
                                     << "ok: ";
    QTest::newRow("Simplified Chinese")
        << "zh_CN.UTF-8" << int(brevane::LanguageId::ChineseSimplified) << "通过：";
    QTest::newRow("Traditional Chinese")
        << "zh_TW.UTF-8" << int(brevane::LanguageId::ChineseTraditional) << "通過：";
}

void TestProvisionCommand::shouldSpeakTheUsersLanguageWithTheWindowsTexts()
{
    QFETCH(QString, locale);
    QFETCH(int, language);
    QFETCH(QString, passed);
    RunFixture f;
    REQUIRE_FIXTURE(f);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_MESSAGES"));
    environment.insert(QStringLiteral("LANG"), locale);
    process.setProcessEnvironment(environment);
    start(process, baseArguments(f), QByteArray(RunFixture::kPassword) + '\n');
    QVERIFY(process.waitForFinished(60000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(process.exitCode() == 0, qPrintable(QString::fromUtf8(process.readAllStandardError())));
    // The window's own text for a created database, in the same language.
    const QString created = brevane::MessageTable::builtIn().text(10042, brevane::LanguageId(language));
    QVERIFY2(out.split(QLatin1Char('\n')).contains(created), qPrintable(out));
    QVERIFY2(out.contains(QLatin1Char('\n') + passed), qPrintable(out));
}

void TestProvisionCommand::shouldPrintOneJsonObjectWhenInterruptedTwice()
{
    RunFixture f({ QStringLiteral("--fault-delay"), QStringLiteral("20000"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("RESTORE DATABASE") });
    REQUIRE_FIXTURE(f);
    QProcess process;
    start(process, baseArguments(f) + QStringList { QStringLiteral("--json") },
        QByteArray(RunFixture::kPassword) + '\n');
    QVERIFY(f.waitForStatement(QStringLiteral("RESTORE DATABASE")));
    // Two different signals, so that neither merges into the other.
    ::kill(pid_t(process.processId()), SIGINT);
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 6);
    QJsonParseError error;
    const QByteArray out = process.readAllStandardOutput();
    const QJsonObject json = QJsonDocument::fromJson(out, &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, out.constData());
    QCOMPARE(json.value(QStringLiteral("outcome")).toString(), QStringLiteral("cancelled"));
    QCOMPARE(json.value(QStringLiteral("exitCode")).toInt(), 6);
}

void TestProvisionCommand::shouldEndWithinTheChosenTimeWithItsOwnCode_data()
{
    QTest::addColumn<QStringList>("serverOptions");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("silent server") << QStringList { QStringLiteral("--fault-silent") }
                                   << QStringList { QStringLiteral("--login-timeout"), QStringLiteral("2") }
                                   << 7 << "server-unreachable";
    QTest::newRow("slow restore") << QStringList { QStringLiteral("--fault-delay"), QStringLiteral("60000"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("RESTORE DATABASE") }
                                  << QStringList { QStringLiteral("--query-timeout"), QStringLiteral("2") }
                                  << 8 << "timeout";
}

void TestProvisionCommand::shouldEndWithinTheChosenTimeWithItsOwnCode()
{
    QFETCH(QStringList, serverOptions);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, outcome);
    RunFixture f(serverOptions);
    REQUIRE_FIXTURE(f);
    QElapsedTimer timer;
    timer.start();
    const Finished finished = run(baseArguments(f) + arguments + QStringList { QStringLiteral("--json") });
    QVERIFY2(finished.exitCode == exitCode, qPrintable(finished.err));
    QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
    const QJsonObject json = QJsonDocument::fromJson(finished.out.toUtf8()).object();
    QCOMPARE(json.value(QStringLiteral("outcome")).toString(), outcome);
}

QTEST_MAIN(TestProvisionCommand)
#include "TestProvisionCommand.moc"
