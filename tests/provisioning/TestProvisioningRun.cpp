#include "Connection.h"
#include "FileContents.h"
#include "MessageTable.h"
#include "Preflight.h"
#include "ProductVersion.h"
#include "ProgramTexts.h"
#include "ProvisioningRun.h"
#include "RunFixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

using namespace brevane;
using namespace brevane::run;
using namespace brevane::test;
using hall::test::readAll;
using hall::test::writeAll;

#define REQUIRE_FIXTURE(f) QVERIFY2((f).ready(), qPrintable((f).error()))

namespace {
bool logOn(ProvisioningRun &run, RunFixture &f)
{
    return run.logOn(f.serverText(), QStringLiteral("sa"), QString::fromLatin1(RunFixture::kPassword));
}

// Makes a file immutable for as long as the guard lives; root is stopped by it too.
class ImmutableFile
{
public:
    explicit ImmutableFile(QString path)
        : m_path(std::move(path))
    {
        m_set = QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("+i"), m_path }) == 0;
    }
    ~ImmutableFile()
    {
        if (m_set)
            QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("-i"), m_path });
    }
    bool isSet() const { return m_set; }

private:
    QString m_path;
    bool m_set = false;
};

PreflightRequest requestFor(RunFixture &f, const QString &databaseName)
{
    PreflightRequest request;
    request.backupFile = f.defaultBackup();
    request.databaseName = databaseName;
    request.folder = f.dataFolder();
    request.settingsFile = f.settingsFile();
    return request;
}

// Prepares a settings file (or settings) that the writer would refuse;
// false when the file system takes no such attribute.
bool settingsThatTheWriterRefuses(const QString &situation, RunFixture &f, PreflightRequest &request)
{
    const QByteArray contents("[SQL Server]\r\nUser=old\r\n");
    writeAll(f.settingsFile(), contents);
    request.settings
        = { f.serverText(), QStringLiteral("sa"), QString::fromLatin1(RunFixture::kPassword), {} };
    if (situation == u"passwordCR")
        request.settings.password = QStringLiteral("Pw\rx");
    else if (situation == u"passwordcp")
        request.settings.password = QStringLiteral("Pw\U0001F600");
    else if (situation == u"settings0444")
        ::chmod(QFile::encodeName(f.settingsFile()).constData(), 0444);
    else if (situation == u"settings+a")
        return QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("+a"), f.settingsFile() }) == 0;
    else {
        // A link planted in a shared folder, to a file of the user who planted it.
        const QString shared = f.root() + QStringLiteral("/shared");
        QDir().mkpath(shared);
        ::chmod(QFile::encodeName(shared).constData(), situation == u"settingssticky" ? 01777 : 0755);
        if (::chown(QFile::encodeName(f.settingsFile()).constData(), 65534, 65534) != 0)
            return false;
        request.settingsFile = shared + QStringLiteral("/Connect.sys");
        QFile::link(f.settingsFile(), request.settingsFile);
        if (situation == u"settingssticky")
            return ::lchown(QFile::encodeName(request.settingsFile).constData(), 65534, 65534) == 0;
    }
    return true;
}

} // namespace

class TestProvisioningRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void restoreSendsTheFourStatementsInOrderAndRecordsTheSettings();
    void restoreRefusalsStopBeforeTheDeviceStatements_data();
    void restoreRefusalsStopBeforeTheDeviceStatements();
    void failedLogOnLeavesTheConnectionEmpty();
    void linkLostMidRestoreIsThrownAsAConnectionFailure();
    void cancelFromAnotherThreadStopsTheRestore();
    void checksPassAndSettleTheProposedName();
    void checksRefuseBeforeAnythingChanges_data();
    void checksRefuseBeforeAnythingChanges();
    void settingsFileThatCannotBeWrittenIsRefused();
    void versionsCompareByNumber_data();
    void versionsCompareByNumber();
    void shouldHoldEveryTextInFourLanguagesAndTheWindowsForSharedEvents();
    void proposedNameDropsTheLastFiveCharacters_data();
    void proposedNameDropsTheLastFiveCharacters();
};

void TestProvisioningRun::restoreSendsTheFourStatementsInOrderAndRecordsTheSettings()
{
    RunFixture f;
    REQUIRE_FIXTURE(f);
    ProvisioningRun run;
    QStringList observed;
    run.setStatementObserver([&](const QString &statement) { observed << statement; });
    QStringList messages;
    run.setMessageObserver([&](const QString &message) { messages << message; });
    QVERIFY(logOn(run, f));

    const BackupFileList files = run.readBackupFileList(f.defaultBackup());
    QVERIFY(files.hasDataAndLog());
    QCOMPARE(files.data().logicalName, QStringLiteral("rivazadUZ_Data"));
    QCOMPARE(files.log().physicalName, QStringLiteral("C:\\Program Files\\SQL\\Data\\rivazadUZ_Log.LDF"));

    const RestoreRequest request
        = RestoreRequest::intoFolder(f.defaultBackup(), files, QStringLiteral("Hall02"), f.dataFolder());
    QCOMPARE(request.physicalData, f.dataFolder() + QStringLiteral("/Hall02.mdf"));
    QCOMPARE(request.physicalLog, f.dataFolder() + QStringLiteral("/Hall02_Log.ldf"));
    QCOMPARE(run.restore(request), ProvisioningRun::RestoreOutcome::Restored);

    const QStringList sent = f.server().statements();
    QCOMPARE(sent.mid(1), ProvisioningRun::restoreStatements(request));
    QCOMPARE(observed, sent);
    QVERIFY(QFile::exists(request.physicalData));
    QVERIFY(QFile::exists(request.physicalLog));
    QVERIFY2(!messages.isEmpty() && messages.last().contains(QStringLiteral("RESTORE DATABASE successfully")),
        qPrintable(messages.join(QLatin1Char('|'))));

    QVERIFY(writeAll(f.settingsFile(), "[Program]\r\nLastUser=manager\r\n"));
    QVERIFY(ProvisioningRun::writeSettings(f.settingsFile(),
        { f.serverText(), QStringLiteral("sa"), QStringLiteral("Secret#1"), QStringLiteral("Hall02") }));
    QCOMPARE(readAll(f.settingsFile()),
        "[Program]\r\nLastUser=manager\r\n[DataSource]\r\nDataBase=SQL Server\r\n[SQL "
        "Server]\r\nProvider=SQLOLEDB.1\r\n"
        "Server="
            + f.serverText().toLatin1() + "\r\nUser=sa\r\nPassWord=Secret#1\r\nInitial Catalog=Hall02\r\n");

    QVERIFY(!ProvisioningRun::writeSettings(f.root() + QStringLiteral("/absent.sys"), {}));
    QVERIFY(!QFile::exists(f.root() + QStringLiteral("/absent.sys")));
}

void TestProvisioningRun::restoreRefusalsStopBeforeTheDeviceStatements_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("statementsSent");
    QTest::newRow("name exists in another letter case")
        << "exists" << int(ProvisioningRun::RestoreOutcome::DatabaseExists) << 1;
    QTest::newRow("reserved device name")
        << "reserved" << int(ProvisioningRun::RestoreOutcome::ReservedDevice) << 1;
    QTest::newRow("backup missing") << "missing" << int(ProvisioningRun::RestoreOutcome::BackupMissing) << 0;
}

void TestProvisioningRun::restoreRefusalsStopBeforeTheDeviceStatements()
{
    QFETCH(QString, situation);
    QFETCH(int, outcome);
    QFETCH(int, statementsSent);
    RunFixture f;
    REQUIRE_FIXTURE(f);
    ProvisioningRun run;
    QVERIFY(logOn(run, f));
    const BackupFileList files = run.readBackupFileList(f.defaultBackup());
    RestoreRequest request
        = RestoreRequest::intoFolder(f.defaultBackup(), files, QStringLiteral("Hall02"), f.dataFolder());
    if (situation == u"exists") {
        QCOMPARE(run.restore(request), ProvisioningRun::RestoreOutcome::Restored);
        request = RestoreRequest::intoFolder(f.defaultBackup(), files, QStringLiteral("HALL02"), f.root());
    } else if (situation == u"reserved") {
        request.backupFile = f.root() + QStringLiteral("/TempDev.v2.bak");
        QVERIFY(QFile::copy(f.defaultBackup(), request.backupFile));
    } else {
        request.backupFile = f.root() + QStringLiteral("/gone.bak");
    }
    const qsizetype before = f.server().statements().size();
    QCOMPARE(int(run.restore(request)), outcome);
    QCOMPARE(f.server().statements().size() - before, statementsSent);
}

void TestProvisioningRun::failedLogOnLeavesTheConnectionEmpty()
{
    RunFixture f;
    REQUIRE_FIXTURE(f);
    ProvisioningRun run;
    QVERIFY(logOn(run, f));
    Failure failure;
    QVERIFY(!run.logOn(f.serverText(), QStringLiteral("sa"), QStringLiteral("wrong"), &failure));
    QCOMPARE(run.connection(), nullptr);
    QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    QVERIFY2(
        failure.description().contains(QStringLiteral("Login failed")), qPrintable(failure.description()));
    // A statement on the empty connection fails without reaching the server.
    QVERIFY_THROWS_EXCEPTION(Failure, run.databaseExists(QStringLiteral("Hall02")));
}

void TestProvisioningRun::linkLostMidRestoreIsThrownAsAConnectionFailure()
{
    RunFixture f({ QStringLiteral("--fault-drop-mid-restore") });
    REQUIRE_FIXTURE(f);
    ProvisioningRun run;
    QVERIFY(logOn(run, f));
    const RestoreRequest request = RestoreRequest::intoFolder(f.defaultBackup(),
        run.readBackupFileList(f.defaultBackup()), QStringLiteral("Hall02"), f.dataFolder());
    try {
        run.restore(request);
        QFAIL("a restore whose connection was dropped passed for finished");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), FailureNumber::ConnectionFailed);
    }
    // The dead connection is given up, so the next step logs on afresh.
    QCOMPARE(run.connection(), nullptr);
}

void TestProvisioningRun::cancelFromAnotherThreadStopsTheRestore()
{
    RunFixture f({ QStringLiteral("--fault-delay"), QStringLiteral("60000"),
        QStringLiteral("--fault-delay-match"), QStringLiteral("RESTORE DATABASE") });
    REQUIRE_FIXTURE(f);
    ProvisioningRun run;
    QVERIFY(logOn(run, f));
    const RestoreRequest request = RestoreRequest::intoFolder(f.defaultBackup(),
        run.readBackupFileList(f.defaultBackup()), QStringLiteral("Hall02"), f.dataFolder());

    QThread *canceller = QThread::create([&] {
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()) {
            const QStringList sent = f.server().statements();
            if (!sent.isEmpty() && sent.last().contains(QStringLiteral("RESTORE DATABASE")))
                break;
            QThread::msleep(20);
        }
        QThread::msleep(100);
        run.cancel();
    });
    canceller->start();
    int number = 0;
    try {
        run.restore(request);
    } catch (const Failure &failure) {
        number = failure.number();
    }
    canceller->wait();
    delete canceller;
    QCOMPARE(number, FailureNumber::Cancelled);
    QCOMPARE(f.server().attentions(), 1);
    // The server acknowledged the cancel: the connection still answers.
    QVERIFY(!run.databaseExists(QStringLiteral("Hall02")));
    QVERIFY(!QFile::exists(request.physicalData));
}

void TestProvisioningRun::checksPassAndSettleTheProposedName()
{
    RunFixture f;
    REQUIRE_FIXTURE(f);
    ProvisioningRun run;
    QVERIFY(logOn(run, f));
    Preflight preflight(run);
    QList<PreflightStep> steps;
    preflight.setStepObserver([&](const PreflightStep &step) { steps << step; });
    const PreflightResult result = preflight.run(requestFor(f, QString()));
    QVERIFY2(!result.refusal, qPrintable(result.refusal ? result.refusal->text : QString()));
    QCOMPARE(result.request.databaseName, QStringLiteral("rivazadUZ"));
    QCOMPARE(result.request.logicalLog, QStringLiteral("rivazadUZ_Log"));
    QCOMPARE(steps.size(), 13);
    for (const PreflightStep &step : std::as_const(steps))
        QVERIFY2(step.made && step.passed, qPrintable(step.text));
    QVERIFY(f.changingStatements().isEmpty());
}

void TestProvisioningRun::checksRefuseBeforeAnythingChanges_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("check");
    QTest::newRow("backup missing") << "missing" << int(PreflightCheck::BackupPresent);
    QTest::newRow("file is no backup") << "nobackup" << int(PreflightCheck::BackupReadable);
    QTest::newRow("backup with a data file only") << "datafileonly" << int(PreflightCheck::BackupReadable);
    QTest::newRow("name starts with a digit") << "9lives" << int(PreflightCheck::NameValid);
    QTest::newRow("name with a hyphen") << "Hall-02" << int(PreflightCheck::NameValid);
    QTest::newRow("name taken") << "taken" << int(PreflightCheck::NameFree);
    QTest::newRow("reserved device name") << "reserved" << int(PreflightCheck::DeviceAllowed);
    QTest::newRow("folder missing") << "nofolder" << int(PreflightCheck::FolderExists);
    QTest::newRow("folder is a file") << "fileasfolder" << int(PreflightCheck::FolderExists);
    QTest::newRow("data file exists") << "fileexists" << int(PreflightCheck::TargetFilesFree);
    QTest::newRow("backup larger than the free space") << "huge" << int(PreflightCheck::SpaceAvailable);
    QTest::newRow("name of 129 characters") << "name129" << int(PreflightCheck::NameValid);
    QTest::newRow("new file's path beyond 260 characters") << "longpath" << int(PreflightCheck::NameValid);
    QTest::newRow("file placed by hand that the backup lacks")
        << "unknownmove" << int(PreflightCheck::MovesKnown);
    QTest::newRow("settings file of mode 0444") << "settings0444" << int(PreflightCheck::SettingsWritable);
    QTest::newRow("append-only settings file") << "settings+a" << int(PreflightCheck::SettingsWritable);
    QTest::newRow("settings link to another owner's file")
        << "settingslink" << int(PreflightCheck::SettingsWritable);
    QTest::newRow("another user's settings link in a sticky folder")
        << "settingssticky" << int(PreflightCheck::SettingsWritable);
    QTest::newRow("password with a line break") << "passwordCR" << int(PreflightCheck::SettingsWritable);
    QTest::newRow("password beyond the code page") << "passwordcp" << int(PreflightCheck::SettingsWritable);
}

void TestProvisioningRun::checksRefuseBeforeAnythingChanges()
{
    QFETCH(QString, situation);
    QFETCH(int, check);
    RunFixture f;
    REQUIRE_FIXTURE(f);
    PreflightRequest request = requestFor(f, QStringLiteral("Hall02"));
    ProvisioningRun run;
    QVERIFY(logOn(run, f));
    if (situation == u"missing") {
        request.backupFile = f.root() + QStringLiteral("/gone.bak");
    } else if (situation == u"nobackup") {
        QVERIFY(writeAll(request.backupFile, "not a backup"));
    } else if (situation == u"datafileonly") {
        QVERIFY(QFile::remove(request.backupFile));
        QVERIFY2(f.makeBackup(
                     request.backupFile, { QStringLiteral("--data"), QStringLiteral("A_Data=C:\\a.mdf") }),
            qPrintable(f.error()));
    } else if (situation == u"taken") {
        const RestoreRequest first = RestoreRequest::intoFolder(request.backupFile,
            run.readBackupFileList(request.backupFile), QStringLiteral("Hall02"), f.root());
        QCOMPARE(run.restore(first), ProvisioningRun::RestoreOutcome::Restored);
    } else if (situation == u"reserved") {
        request.backupFile = f.root() + QStringLiteral("/tempdev.bak");
        QVERIFY(QFile::copy(f.defaultBackup(), request.backupFile));
    } else if (situation == u"nofolder") {
        request.folder = f.root() + QStringLiteral("/nowhere");
    } else if (situation == u"fileasfolder") {
        request.folder = f.defaultBackup();
    } else if (situation == u"fileexists") {
        QVERIFY(writeAll(f.dataFolder() + QStringLiteral("/Hall02.mdf"), "left from an earlier try"));
    } else if (situation == u"huge") {
        QVERIFY(QFile::remove(request.backupFile));
        QVERIFY2(f.makeBackup(request.backupFile,
                     { QStringLiteral("--file"), QStringLiteral("Big_Data=C:\\big.mdf:D:4000000000000000000"),
                         QStringLiteral("--file"), QStringLiteral("Big_Log=C:\\big.ldf:L:1048576") }),
            qPrintable(f.error()));
    } else if (situation == u"name129") {
        request.databaseName = QStringLiteral("H") + QString(128, u'x');
    } else if (situation == u"longpath") {
        request.folder = f.root() + QLatin1Char('/') + QString(260 - f.root().size(), u'd');
    } else if (situation == u"unknownmove") {
        request.moves.insert(QStringLiteral("Hall_Data"), f.dataFolder() + QStringLiteral("/x.mdf"));
    } else if (situation.startsWith(QStringLiteral("settings"))
        || situation.startsWith(QStringLiteral("password"))) {
        if (::geteuid() != 0 && situation.startsWith(QStringLiteral("settings")))
            QSKIP("file attributes and other owners need root");
        if (!settingsThatTheWriterRefuses(situation, f, request))
            QSKIP("this file system takes no such attribute");
    } else {
        request.databaseName = situation;
    }
    const QStringList changingBefore = f.changingStatements();

    Preflight preflight(run);
    const PreflightResult result = preflight.run(request);
    QVERIFY(result.refusal);
    QCOMPARE(int(result.refusal->check), check);
    QVERIFY(!result.refusal->text.isEmpty());
    QCOMPARE(f.changingStatements(), changingBefore);
    if (situation == u"settings+a")
        QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("-a"), f.settingsFile() });
}

void TestProvisioningRun::settingsFileThatCannotBeWrittenIsRefused()
{
    RunFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), "[SQL Server]\r\nUser=old\r\n"));
    const ImmutableFile locked(f.settingsFile());
    if (!locked.isSet())
        QSKIP("cannot make the settings file immutable here (needs root and a file system with chattr)");
    ProvisioningRun run;
    QVERIFY(logOn(run, f));
    Preflight preflight(run);
    PreflightRequest request = requestFor(f, QStringLiteral("Hall02"));
    PreflightResult result = preflight.run(request);
    QVERIFY(result.refusal);
    QCOMPARE(result.refusal->check, PreflightCheck::SettingsWritable);
    QVERIFY(result.refusal->text.contains(f.settingsFile()));

    request.checkSettings = false;
    result = preflight.run(request);
    QVERIFY(!result.refusal);
}

void TestProvisioningRun::versionsCompareByNumber_data()
{
    QTest::addColumn<QString>("backup");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("order");
    QTest::newRow("same build, server with revision") << "15.0.2000"
                                                      << "15.0.2000.5" << 0;
    QTest::newRow("older major") << "9.0.1399"
                                 << "15.0.2000.5" << -1;
    QTest::newRow("newer major, fewer digits compare as numbers") << "16.0.1000"
                                                                  << "15.0.2000.5" << 1;
    QTest::newRow("newer build") << "15.0.4153"
                                 << "15.0.2000.5" << 1;
}

void TestProvisioningRun::versionsCompareByNumber()
{
    QFETCH(QString, backup);
    QFETCH(QString, server);
    QFETCH(int, order);
    const auto backupVersion = ProductVersion::parse(backup);
    const auto serverVersion = ProductVersion::parse(server);
    QVERIFY(backupVersion && serverVersion);
    QCOMPARE(backupVersion->compare(*serverVersion, 3), order);
    QVERIFY(!ProductVersion::parse(QStringLiteral("15.0.x")));
}

void TestProvisioningRun::proposedNameDropsTheLastFiveCharacters_data()
{
    QTest::addColumn<QString>("logical");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("template") << "rivazadUZ_Data"
                              << "rivazadUZ";
    QTest::newRow("six characters") << "Hall_D"
                                    << "H";
    QTest::newRow("five characters: none") << "_Data"
                                           << "";
}

void TestProvisioningRun::proposedNameDropsTheLastFiveCharacters()
{
    QFETCH(QString, logical);
    QFETCH(QString, proposed);
    QCOMPARE(proposedDatabaseName(logical).value_or(QString()), proposed);
}

void TestProvisioningRun::shouldHoldEveryTextInFourLanguagesAndTheWindowsForSharedEvents()
{
    const MessageTable &program = ProgramTexts::table();
    const MessageTable &window = MessageTable::builtIn();
    const QList<LanguageId> languages { LanguageId::EnglishUnitedStates, LanguageId::EnglishUnitedKingdom,
        LanguageId::ChineseSimplified, LanguageId::ChineseTraditional };
    QVERIFY(program.ids().size() > 50);
    for (const quint16 id : program.ids()) {
        for (const LanguageId language : languages) {
            const QString text = program.text(id, language);
            QVERIFY2(!text.trimmed().isEmpty(), qPrintable(QString::number(id)));
            // An event the window reports too reads as the window has it.
            if (window.contains(id))
                QCOMPARE(text, window.text(id, language));
        }
        // Placeholders survive translation.
        const QString english = program.text(id, LanguageId::EnglishUnitedStates);
        for (const QString &placeholder :
            { QStringLiteral("%1"), QStringLiteral("%2"), QStringLiteral("%3") })
            QCOMPARE(program.text(id, LanguageId::ChineseTraditional).contains(placeholder),
                english.contains(placeholder));
    }
    // The window reads no row of the program's.
    QVERIFY(!window.contains(20001));

    // Every text the program looks up by its English has its row.
    QSet<QString> english;
    for (const quint16 id : program.ids())
        english.insert(program.text(id, LanguageId::EnglishUnitedStates));
    static const QRegularExpression lookup(
        QStringLiteral(R"re(programText\(QStringLiteral\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\)\))re"));
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    int found = 0;
    for (const char *folder : { "run", "provision", "admin" }) {
        const QDir sources(
            QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../provisioning/") + QLatin1String(folder));
        for (const QString &name : sources.entryList({ QStringLiteral("*.cpp") })) {
            const QString code = QString::fromUtf8(readAll(sources.filePath(name)));
            for (const auto &call : lookup.globalMatch(code)) {
                QString text;
                for (const auto &part : piece.globalMatch(call.captured(1)))
                    text += part.captured(1).replace(QStringLiteral("\\\""), QStringLiteral("\""));
                QVERIFY2(english.contains(text), qPrintable(name + QStringLiteral(": ") + text));
                ++found;
            }
        }
    }
    QVERIFY(found > 50);
}

QTEST_GUILESS_MAIN(TestProvisioningRun)
#include "TestProvisioningRun.moc"
