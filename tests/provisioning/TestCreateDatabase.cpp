#include "Connection.h"
#include "FileContents.h"
#include "ProvisioningFixture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <sys/mount.h>
#include <sys/prctl.h>
#include <unistd.h>

using namespace brevane;
using namespace brevane::run;
using namespace brevane::test;
using hall::test::readAll;
using hall::test::writeAll;

#define REQUIRE_FIXTURE(f) QVERIFY2((f).ready(), qPrintable((f).error()))

namespace {
const QByteArray kSettings = "[Program]\r\nLastUser=manager\r\n\r\n[SQL Server]\r\nUser=old\r\nServer=old\r\n"
                             "[Printer]\r\nName=Counter\r\n";

const QString kCreated
    = QStringLiteral("The database has been created. You can now log on and use the software.");

} // namespace

class TestCreateDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeRunCreatesTheDatabaseRecordsTheSettingsAndEnds();
    void existingNameIsReportedAfterTheExistenceQueryAlone();
    void reservedDeviceNameIsRefusedBeforeAnyDeviceStatement();
    void missingBackupFolderAndNameAreCaughtBeforeTheServer();
    void serverErrorsInsideTheRestoreAreReported_data();
    void serverErrorsInsideTheRestoreAreReported();
    void connectionLostMidRestoreIsAFailureAndKeepsTheSettings();
    void missingSettingsFileIsNotCreated();
    void nextCreateAfterALostLinkLogsOnAgain();
    void failedLogOnAfterALostLinkGivesTheLogOnBoxes();
    void settingsThatCannotBeWrittenAreReportedAndTheRunEnds_data();
    void settingsThatCannotBeWrittenAreReportedAndTheRunEnds();
    void oddNamesAreBracketedInTheRestore();
    void exitWithAnOpenConnectionEndsAtOnceAndForgetsThePassword();
    void settingsFileObstaclesAsTheUserSeesThem_data();
    void settingsFileObstaclesAsTheUserSeesThem();
};

void TestCreateDatabase::wholeRunCreatesTheDatabaseRecordsTheSettingsAndEnds()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    f.window().show();
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    QCOMPARE(f.field("txtNewPath")->text(), f.dataFolder());

    bool busyWhileRunning = false;
    f.prompts().setOnMessage(
        [&](const MessageRequest &) { busyWhileRunning = !f.field("txtDBName")->isEnabled(); });
    f.pressRestore();

    QCOMPARE(f.prompts().messageTexts(), QStringList { kCreated });
    QCOMPARE(f.prompts().messages().first().title, QStringLiteral("Information"));
    QVERIFY(!busyWhileRunning);
    QVERIFY(!f.window().isVisible());
    // The password is gone from the window once the settings hold it, and
    // the process could not be dumped while it held it.
    QCOMPARE(f.field("txtPws")->text(), QString());
    QCOMPARE(::prctl(PR_GET_DUMPABLE), 0);
    QCOMPARE(f.run().connection(), nullptr);
    QVERIFY(!f.onRestorePage());

    QVERIFY(QFile::exists(f.dataFolder() + QStringLiteral("/rivazadUZ.mdf")));
    QVERIFY(QFile::exists(f.dataFolder() + QStringLiteral("/rivazadUZ_Log.ldf")));

    const QString backup = f.defaultBackup();
    const QStringList expected {
        QStringLiteral("RESTORE FILELISTONLY from DISK ='") + backup + QStringLiteral("'"),
        QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N'rivazadUZ')"),
        QStringLiteral(
            "if Exists (select name,phyname from  master.dbo.sysdevices  where name='rivazadUZ' or "
            "phyname='")
            + backup + QStringLiteral("')   exec sp_dropdevice 'rivazadUZ'"),
        QStringLiteral("exec sp_addumpdevice 'disk', 'rivazadUZ','") + backup + QStringLiteral("'"),
        QStringLiteral(" RESTORE DATABASE  rivazadUZ From rivazadUZ With Move 'rivazadUZ_Data' TO '")
            + f.dataFolder() + QStringLiteral("/rivazadUZ.mdf', Move 'rivazadUZ_Log' TO '") + f.dataFolder()
            + QStringLiteral("/rivazadUZ_Log.ldf' "),
    };
    QCOMPARE(f.server().statements(), expected);

    const QByteArray expectedSettings
        = "[Program]\r\nLastUser=manager\r\n\r\n[SQL Server]\r\nUser=sa\r\nServer=127.0.0.1,"
        + QByteArray::number(f.server().port())
        + "\r\nProvider=SQLOLEDB.1\r\nPassWord=Secret#1\r\nInitial Catalog=rivazadUZ\r\n"
          "[Printer]\r\nName=Counter\r\n[DataSource]\r\nDataBase=SQL Server\r\n";
    QCOMPARE(readAll(f.settingsFile()), expectedSettings);

    // The device stays registered for the next run to replace.
    const QByteArray catalogue = readAll(f.server().dataDir() + QStringLiteral("/catalogue.json"));
    QVERIFY2(catalogue.contains("rivazadUZ.Bak"), catalogue.constData());
}

void TestCreateDatabase::existingNameIsReportedAfterTheExistenceQueryAlone()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    f.pressRestore();
    QCOMPARE(f.prompts().messages().size(), 1);

    // Log on again (the finished run forgot the password), then the same name in another letter case.
    f.prompts().clear();
    f.fillServerPage();
    f.pressNext();
    QVERIFY(f.onRestorePage());
    f.chooseFolder(f.dataFolder());
    const int before = f.server().statements().size();
    f.field("txtDBName")->setText(QStringLiteral("RIVAZADUZ"));
    f.pressRestore();
    QCOMPARE(f.prompts().messageTexts(), QStringList { QStringLiteral("Database name exist!\r\nRIVAZADUZ") });
    QCOMPARE(f.server().statements().size(), before + 1);
    QVERIFY(f.server().statements().last().contains(QStringLiteral("sysdatabases")));
    QVERIFY(f.field("txtDBName")->isEnabled());
    QVERIFY(f.onRestorePage());
}

void TestCreateDatabase::reservedDeviceNameIsRefusedBeforeAnyDeviceStatement()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    const QString backup = f.root() + QStringLiteral("/TempDev.v2.bak");
    QVERIFY(QFile::copy(f.defaultBackup(), backup));
    QVERIFY2(f.reachRestorePageWith(backup), qPrintable(f.prompts().messageTexts().join(QLatin1Char('|'))));
    f.chooseFolder(f.dataFolder());
    f.pressRestore();
    QCOMPARE(f.prompts().messageTexts(),
        QStringList { QStringLiteral("Cannot use system file as backup device, please select another backup "
                                     "file name!") });
    QCOMPARE(f.server().statements().size(), 2); // the file list, then the existence query
    // The long wait the device statements and the restore may need is set before them, and stays.
    QVERIFY(f.run().connection());
    QCOMPARE(f.run().connection()->CommandTimeout(), 180);
}

void TestCreateDatabase::missingBackupFolderAndNameAreCaughtBeforeTheServer()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    const int sent = f.server().statements().size();

    f.pressRestore();
    QCOMPARE(f.prompts().messageTexts().last(),
        QStringLiteral("Please select database storage folder and then make restore!"));

    f.field("txtNewPath")->setText(f.root() + QStringLiteral("/gone"));
    f.pressRestore();
    QCOMPARE(f.prompts().messageTexts().last(),
        QStringLiteral("Folder not exist, please select database storage folder and then make restore!\r\n")
            + f.root() + QStringLiteral("/gone"));

    f.chooseFolder(f.dataFolder());
    f.field("txtDBName")->setText(QStringLiteral("9lives"));
    f.pressRestore();
    QCOMPARE(f.prompts().messageTexts().last(), QStringLiteral("Database name must start with a letter"));

    f.field("txtDBName")->setText(QStringLiteral("Hall"));
    QVERIFY(QFile::remove(f.defaultBackup()));
    f.pressRestore();
    QCOMPARE(f.prompts().messageTexts().last(),
        QStringLiteral("Cannot find original file, please check whether following file is exist?\r\n")
            + f.defaultBackup());
    QCOMPARE(f.server().statements().size(), sent);
    QVERIFY(f.field("txtDBName")->isEnabled());
}

void TestCreateDatabase::serverErrorsInsideTheRestoreAreReported_data()
{
    QTest::addColumn<QString>("problem");
    QTest::newRow("logical name not in the backup") << "logical";
    QTest::newRow("target folder missing on the server") << "folder";
    QTest::newRow("another device holds the backup path") << "device";
}

void TestCreateDatabase::serverErrorsInsideTheRestoreAreReported()
{
    QFETCH(QString, problem);
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    if (problem == QStringLiteral("logical")) {
        f.field("txtLogName_Data")->setText(QStringLiteral("NotInTheBackup"));
    } else if (problem == QStringLiteral("folder")) {
        f.field("txtFileName_Data")->setText(f.root() + QStringLiteral("/nowhere/x.mdf"));
    } else {
        // A device under another name already points at the backup file.
        QVERIFY(f.run().connection());
        f.run().connection()->Execute(QStringLiteral("exec sp_addumpdevice 'disk', 'OtherName','")
            + f.defaultBackup() + QStringLiteral("'"));
    }
    // While the failure is on screen the name field is still disabled, but
    // the pointer no longer says that the program is busy.
    bool busyUnderTheBox = true;
    bool nameDisabledUnderTheBox = false;
    f.prompts().setOnMessage([&](const MessageRequest &) {
        busyUnderTheBox = QGuiApplication::overrideCursor() != nullptr;
        nameDisabledUnderTheBox = !f.field("txtDBName")->isEnabled();
    });
    f.pressRestore();
    QVERIFY(!busyUnderTheBox);
    QVERIFY(nameDisabledUnderTheBox);
    QCOMPARE(f.prompts().messages().size(), 1);
    const MessageRequest box = f.prompts().messages().first();
    QVERIFY2(box.text.endsWith(QStringLiteral(" : -2147217900")), qPrintable(box.text));
    QVERIFY(!box.text.contains(QStringLiteral("[FreeTDS]")));
    QCOMPARE(box.title, programTitle());
    QVERIFY(f.onRestorePage());
    QVERIFY(f.field("txtDBName")->isEnabled());
    QCOMPARE(readAll(f.settingsFile()), kSettings);
}

void TestCreateDatabase::connectionLostMidRestoreIsAFailureAndKeepsTheSettings()
{
    ProvisioningFixture f({ QStringLiteral("--fault-drop-mid-restore") });
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    f.pressRestore();
    QCOMPARE(f.prompts().messages().size(), 1);
    QVERIFY2(f.prompts().messages().first().text.endsWith(QStringLiteral(" : -2147467259")),
        qPrintable(f.prompts().messages().first().text));
    QVERIFY(f.onRestorePage());
    QVERIFY(f.field("txtDBName")->isEnabled());
    QCOMPARE(readAll(f.settingsFile()), kSettings);
}

void TestCreateDatabase::missingSettingsFileIsNotCreated()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    f.pressRestore();
    QCOMPARE(f.prompts().messages().size(), 1);
    QVERIFY(!QFile::exists(f.settingsFile()));
}

void TestCreateDatabase::nextCreateAfterALostLinkLogsOnAgain()
{
    // Each connection answers four batches: the first one dies in the restore,
    // a new one has room for all four statements of a Create.
    ProvisioningFixture f({ QStringLiteral("--fault-drop-after"), QStringLiteral("4") });
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    f.pressRestore();
    QCOMPARE(f.prompts().messages().size(), 1);
    QVERIFY2(f.prompts().messages().first().text.endsWith(QStringLiteral(" : -2147467259")),
        qPrintable(f.prompts().messages().first().text));
    QCOMPARE(f.run().connection(), nullptr);
    QVERIFY(f.onRestorePage());

    f.prompts().clear();
    const int sent = f.server().statements().size();
    f.pressRestore();
    QCOMPARE(f.prompts().messageTexts(), QStringList { kCreated });
    QCOMPARE(f.server().statements().size(), sent + 4);
    QVERIFY(f.server().statements().at(sent).contains(QStringLiteral("sysdatabases")));
    QVERIFY(readAll(f.settingsFile()).contains("Initial Catalog=rivazadUZ"));
}

void TestCreateDatabase::failedLogOnAfterALostLinkGivesTheLogOnBoxes()
{
    ProvisioningFixture f({ QStringLiteral("--fault-drop-mid-restore") });
    REQUIRE_FIXTURE(f);
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    f.pressRestore();
    QCOMPARE(f.prompts().messages().size(), 1);

    // The password on the server page has changed meanwhile: the new log-on is refused.
    f.prompts().clear();
    const int sent = f.server().statements().size();
    f.field("txtPws")->setText(QStringLiteral("wrong"));
    f.pressRestore();
    QCOMPARE(f.prompts().messageTexts(),
        QStringList { QStringLiteral("Error\r\nError when connecting database") });
    QCOMPARE(f.prompts().messages().first().title, QStringLiteral("Datebase settings"));
    QCOMPARE(f.server().statements().size(), sent);
    QCOMPARE(f.run().connection(), nullptr);
    QVERIFY(f.field("txtDBName")->isEnabled());
    QVERIFY(f.onRestorePage());
}

void TestCreateDatabase::settingsThatCannotBeWrittenAreReportedAndTheRunEnds_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("expectedStart");
    QTest::newRow("read-only file") << "read-only"
                                    << "70:Permission denied: ";
    QTest::newRow("password outside the code page") << "password"
                                                    << "5:Invalid procedure call or argument: ";
}

void TestCreateDatabase::settingsThatCannotBeWrittenAreReportedAndTheRunEnds()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, expectedStart);
    ProvisioningFixture f({ QStringLiteral("--login"), QStringLiteral("sa:\u5bc6\u7801\u00c4\u00e9") });
    REQUIRE_FIXTURE(f);
    QVERIFY(writeAll(f.settingsFile(), kSettings));
    if (obstacle == QStringLiteral("read-only")) {
        QVERIFY(QFile::setPermissions(f.settingsFile(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        f.fillServerPage();
    } else {
        f.fillServerPage(QStringLiteral("\u5bc6\u7801\u00c4\u00e9"));
    }
    f.pressNext();
    QVERIFY(f.onRestorePage());
    f.chooseFolder(f.dataFolder());
    f.pressRestore();

    const QStringList texts = f.prompts().messageTexts();
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts.first().startsWith(expectedStart), qPrintable(texts.first()));
    QVERIFY2(texts.first().contains(f.root()) && texts.first().contains(QStringLiteral("Connect.sys")),
        qPrintable(texts.first()));
    if (obstacle == QStringLiteral("password"))
        QVERIFY2(texts.first().contains(QStringLiteral("[SQL Server] PassWord")), qPrintable(texts.first()));
    QCOMPARE(f.prompts().messages().first().title, QStringLiteral("保存参数出错"));
    QCOMPARE(texts.last(), kCreated);
    QVERIFY(!f.window().isVisible());
    QCOMPARE(readAll(f.settingsFile()), kSettings);
}

void TestCreateDatabase::oddNamesAreBracketedInTheRestore()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    // A reserved keyword as the name, and a backup whose file name makes a device with a blank.
    const QString backup = f.root() + QStringLiteral("/hall copy.bak");
    QVERIFY(QFile::copy(f.defaultBackup(), backup));
    QVERIFY2(f.reachRestorePageWith(backup), qPrintable(f.prompts().messageTexts().join(QLatin1Char('|'))));
    f.chooseFolder(f.dataFolder());
    f.field("txtDBName")->setText(QStringLiteral("Table"));
    f.pressRestore();
    QCOMPARE(f.prompts().messages().size(), 1);
    QCOMPARE(f.prompts().messages().first().text, kCreated);
    QVERIFY(f.server().statements().last().startsWith(
        QStringLiteral(" RESTORE DATABASE  [Table] From [hall copy] With")));
}

void TestCreateDatabase::exitWithAnOpenConnectionEndsAtOnceAndForgetsThePassword()
{
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    f.window().show();
    QVERIFY(f.reachRestorePage());
    QVERIFY(f.run().connection());
    QCOMPARE(f.run().connection()->State(), db::Connection::StateOpen);
    f.prompts().clear();
    const int sent = f.server().statements().size();

    QTest::mouseClick(f.control<QPushButton>("cmdExit"), Qt::LeftButton);
    QVERIFY(!f.window().isVisible());
    QVERIFY(f.prompts().messages().isEmpty());
    QCOMPARE(f.server().statements().size(), sent);
    QCOMPARE(f.field("txtPws")->text(), QString());
}

void TestCreateDatabase::settingsFileObstaclesAsTheUserSeesThem_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("failureStart"); // empty: no failure box
    QTest::newRow("folder that takes no new file") << "immutable folder" << QString();
    QTest::newRow("link to a file of another owner") << "foreign link"
                                                     << "70:Permission denied: ";
    QTest::newRow("full disk") << "full disk"
                               << "61:Disk full: ";
}

void TestCreateDatabase::settingsFileObstaclesAsTheUserSeesThem()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, failureStart);
    if (::geteuid() != 0)
        QSKIP("these obstacles need root");
    ProvisioningFixture f;
    REQUIRE_FIXTURE(f);
    QString realFile = f.settingsFile();
    std::function<void()> undo = [] {};
    const auto cleanup = qScopeGuard([&] { undo(); });
    if (obstacle == QStringLiteral("immutable folder")) {
        QVERIFY(writeAll(f.settingsFile(), kSettings));
    } else if (obstacle == QStringLiteral("foreign link")) {
        QVERIFY(QDir(f.root()).mkdir(QStringLiteral("elsewhere")));
        realFile = f.root() + QStringLiteral("/elsewhere/shadow");
        QVERIFY(writeAll(realFile, kSettings));
        QCOMPARE(::chown(QFile::encodeName(realFile).constData(), 65534, 65534), 0);
        QVERIFY(QFile::link(realFile, f.settingsFile()));
    } else {
        const QString small = f.root() + QStringLiteral("/small");
        QVERIFY(QDir(f.root()).mkdir(QStringLiteral("small")));
        if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("no permission to mount a tmpfs here");
        undo = [small] { ::umount(QFile::encodeName(small).constData()); };
        realFile = small + QStringLiteral("/Connect.sys");
        QVERIFY(writeAll(realFile, kSettings));
        QFile filler(small + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray page(4096, 'x');
        while (filler.write(page) == page.size() && filler.flush()) { }
        QVERIFY(QFile::link(realFile, f.settingsFile()));
    }
    QVERIFY(f.reachRestorePage());
    f.chooseFolder(f.dataFolder());
    if (obstacle == QStringLiteral("immutable folder")) {
        if (QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("+i"), f.root() }) != 0)
            QSKIP("this file system takes no immutable attribute");
        undo = [&f] { QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("-i"), f.root() }); };
    }
    f.pressRestore();
    const QByteArray afterwards = readAll(realFile);
    undo();
    undo = [] {};

    const QStringList texts = f.prompts().messageTexts();
    QCOMPARE(texts.last(), kCreated);
    if (failureStart.isEmpty()) {
        QCOMPARE(texts.size(), 1);
        QVERIFY2(afterwards.contains("Initial Catalog=rivazadUZ\r\n")
                && afterwards.contains("PassWord=Secret#1\r\n")
                && afterwards.contains("[DataSource]\r\nDataBase=SQL Server\r\n"),
            afterwards.constData());
    } else {
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts.first().startsWith(failureStart), qPrintable(texts.first()));
        QVERIFY2(texts.first().contains(QStringLiteral("Connect.sys")), qPrintable(texts.first()));
        QCOMPARE(f.prompts().messages().first().title, QStringLiteral("保存参数出错"));
        QCOMPARE(afterwards, kSettings);
    }
}

QTEST_MAIN(TestCreateDatabase)
#include "TestCreateDatabase.moc"
