#include "ConnectionSettingsFile.h"
#include "Failure.h"
#include "FileContents.h"
#include "PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using brevane::ConnectionSettings;
using brevane::Failure;
using brevane::profile::AnsiCodePage;
using hall::test::writeAll;
namespace SettingsFailure = brevane::SettingsFailure;

namespace {

const AnsiCodePage Western(AnsiCodePage::WesternEuropean);

const ConnectionSettings kSettings { QStringLiteral("127.0.0.1"), QStringLiteral("sa"),
    QStringLiteral("Pw;#=\"x"), QStringLiteral("Hall") };

// The file's bytes, or a mark that no file could be read: a missing file
// never compares equal to an empty one.
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

ino_t inodeOf(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// The failure writeConnectionSettings throws, or nothing when it succeeds.
std::optional<Failure> writeSettings(
    const QString &path, const ConnectionSettings &settings = kSettings, AnsiCodePage codePage = Western)
{
    try {
        brevane::writeConnectionSettings(path, settings, codePage);
    } catch (const Failure &failure) {
        return failure;
    }
    return std::nullopt;
}

bool chattr(const QString &flag, const QString &path)
{
    return QProcess::execute(QStringLiteral("chattr"), { flag, path }) == 0;
}

} // namespace

class TestConnectionSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void shouldGiveTheBytesOfSixSuccessiveWrites_data();
    void shouldGiveTheBytesOfSixSuccessiveWrites();
    void shouldWriteNothingWhenAValueLeavesTheCodePage_data();
    void shouldWriteNothingWhenAValueLeavesTheCodePage();
    void shouldReportAReadOnlyFile();
    void shouldReportAMissingFile();
    void shouldFindTheFileBesideALinkedProgramFolderAsTheSystemDoes();
    void shouldRewriteInPlaceInAFolderThatTakesNoNewFile();
    void shouldRewriteAHardLinkedFileInPlace();
    void shouldKeepAHardLinkedFileWhenItsRoomCannotBeHad();
    void shouldGiveTheTargetsModeWhateverTheUmask();
    void shouldFollowALinkOnlyToAFileOfTheSameOwner();
    void shouldLeaveTheFileCompleteOrUnchangedOnAFullDisk();
    void shouldAnswerWhetherItWouldWriteAsTheWriteEnds_data();
    void shouldAnswerWhetherItWouldWriteAsTheWriteEnds();

private:
    QString filePath() const { return m_dir->filePath(QStringLiteral("Connect.sys")); }
    QStringList folderEntries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConnectionSettingsFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestConnectionSettingsFile::shouldGiveTheBytesOfSixSuccessiveWrites_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("other sections, keys in another order, a blank line")
        << QByteArray("[Program]\r\nLastUser=manager\r\n\r\n[SQL Server]\r\nUser=old\r\nServer=old\r\n"
                      "[Printer]\r\nName=Counter\r\n");
    QTest::newRow("all six present, one already right")
        << QByteArray("[DataSource]\r\nDataBase=SQL Server\r\n[sql server]\r\nprovider=x\r\nSERVER = y\r\n"
                      "User=u\r\nPassWord=p\r\nInitial Catalog=c\r\n");
    QTest::newRow("LF lines, no final line break") << QByteArray("[SQL Server]\nServer=a\n;note\nUser=b");
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE") + utf16(QStringLiteral("[SQL Server]\r\nUser=old\r\n"));
    QTest::newRow("text before the first section") << QByteArray("junk\0here", 9);
}

void TestConnectionSettingsFile::shouldGiveTheBytesOfSixSuccessiveWrites()
{
    QFETCH(QByteArray, before);
    const QString expectedFile = m_dir->filePath(QStringLiteral("expected.ini"));
    QVERIFY(writeAll(expectedFile, before));
    const brevane::profile::PrivateProfile profile(Western);
    for (const auto &entry : brevane::connectionSettingsEntries(kSettings))
        QVERIFY(profile.writeString(entry.section, entry.key, entry.value, expectedFile));

    QVERIFY(writeAll(filePath(), before));
    const auto failure = writeSettings(filePath());
    QVERIFY2(!failure, failure ? failure->what() : "");
    QCOMPARE(readAll(filePath()), readAll(expectedFile));
    QCOMPARE(
        folderEntries(), (QStringList { QStringLiteral("Connect.sys"), QStringLiteral("expected.ini") }));
}

void TestConnectionSettingsFile::shouldWriteNothingWhenAValueLeavesTheCodePage_data()
{
    QTest::addColumn<ConnectionSettings>("settings");
    QTest::addColumn<QString>("entry");
    QTest::newRow("password outside code page 1252") << ConnectionSettings { QStringLiteral("."),
        QStringLiteral("sa"), QStringLiteral("密码Äé"), QStringLiteral("Hall") }
                                                     << "[SQL Server] PassWord";
    QTest::newRow("login outside code page 1252") << ConnectionSettings { QStringLiteral("."),
        QStringLiteral("用户"), QStringLiteral("pw"), QStringLiteral("Hall") }
                                                  << "[SQL Server] User";
    QTest::newRow("line break in the password") << ConnectionSettings { QStringLiteral("."),
        QStringLiteral("sa"), QStringLiteral("a\r\n[X]"), QStringLiteral("Hall") }
                                                << "[SQL Server] PassWord";
}

void TestConnectionSettingsFile::shouldWriteNothingWhenAValueLeavesTheCodePage()
{
    QFETCH(ConnectionSettings, settings);
    QFETCH(QString, entry);
    const QByteArray original("[SQL Server]\r\nPassWord=old\r\n");
    QVERIFY(writeAll(filePath(), original));

    const auto failure = writeSettings(filePath(), settings);
    QVERIFY(failure);
    QCOMPARE(failure->number(), SettingsFailure::InvalidArgument);
    QVERIFY2(failure->description().startsWith(QStringLiteral("Invalid procedure call or argument")),
        failure->what());
    QVERIFY2(failure->description().contains(filePath()), failure->what());
    QVERIFY2(failure->description().contains(entry), failure->what());
    QCOMPARE(readAll(filePath()), original);
}

void TestConnectionSettingsFile::shouldReportAReadOnlyFile()
{
    const QByteArray original("[SQL Server]\r\nPassWord=old\r\n");
    QVERIFY(writeAll(filePath(), original));
    QCOMPARE(::chmod(QFile::encodeName(filePath()).constData(), 0444), 0);

    const auto failure = writeSettings(filePath());
    QVERIFY(failure);
    QCOMPARE(failure->number(), SettingsFailure::PermissionDenied);
    QCOMPARE(failure->description(), QStringLiteral("Permission denied: ") + filePath());
    QCOMPARE(readAll(filePath()), original);
    QCOMPARE(folderEntries(), QStringList { QStringLiteral("Connect.sys") });
}

void TestConnectionSettingsFile::shouldReportAMissingFile()
{
    const auto failure = writeSettings(filePath());
    QVERIFY(failure);
    QCOMPARE(failure->number(), SettingsFailure::PathFileAccess);
    QVERIFY2(failure->description().contains(filePath()), failure->what());
    QVERIFY(folderEntries().isEmpty());
}

void TestConnectionSettingsFile::shouldFindTheFileBesideALinkedProgramFolderAsTheSystemDoes()
{
    // ROOT/product/Brevane is the program's folder, reached through the link ROOT/Brevane.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("product/Brevane")));
    QVERIFY(QFile::link(
        m_dir->filePath(QStringLiteral("product/Brevane")), m_dir->filePath(QStringLiteral("Brevane"))));
    const QString real = m_dir->filePath(QStringLiteral("product/Connect.sys"));
    QVERIFY(writeAll(real, "[SQL Server]\r\n"));

    const auto failure = writeSettings(m_dir->filePath(QStringLiteral("Brevane/../Connect.sys")));
    QVERIFY2(!failure, failure ? failure->what() : "");
    QVERIFY(readAll(real).contains("Initial Catalog=Hall"));
    QVERIFY(!QFile::exists(filePath()));
}

void TestConnectionSettingsFile::shouldRewriteInPlaceInAFolderThatTakesNoNewFile()
{
    if (::geteuid() != 0)
        QSKIP("an immutable folder needs root");
    QVERIFY(writeAll(filePath(), "[SQL Server]\r\nPassWord=old\r\n"));
    const ino_t before = inodeOf(filePath());
    if (!chattr(QStringLiteral("+i"), m_dir->path()))
        QSKIP("this file system takes no immutable attribute");
    const auto failure = writeSettings(filePath());
    chattr(QStringLiteral("-i"), m_dir->path());

    QVERIFY2(!failure, failure ? failure->what() : "");
    QCOMPARE(readAll(filePath()),
        QByteArray("[SQL Server]\r\nPassWord=Pw;#=\"x\r\nProvider=SQLOLEDB.1\r\n"
                   "Server=127.0.0.1\r\nUser=sa\r\nInitial Catalog=Hall\r\n"
                   "[DataSource]\r\nDataBase=SQL Server\r\n"));
    QCOMPARE(inodeOf(filePath()), before);
    QCOMPARE(folderEntries(), QStringList { QStringLiteral("Connect.sys") });
}

void TestConnectionSettingsFile::shouldRewriteAHardLinkedFileInPlace()
{
    QVERIFY(writeAll(filePath(), "[DataSource]\r\nDataBase=old and longer than the new value\r\n"));
    const QString other = m_dir->filePath(QStringLiteral("other.sys"));
    QCOMPARE(::link(QFile::encodeName(filePath()).constData(), QFile::encodeName(other).constData()), 0);

    const auto failure = writeSettings(filePath());
    QVERIFY2(!failure, failure ? failure->what() : "");
    const QByteArray expected("[DataSource]\r\nDataBase=SQL Server\r\n[SQL Server]\r\nProvider=SQLOLEDB.1\r\n"
                              "Server=127.0.0.1\r\nUser=sa\r\nPassWord=Pw;#=\"x\r\nInitial Catalog=Hall\r\n");
    QCOMPARE(readAll(filePath()), expected);
    QCOMPARE(readAll(other), expected);
    QCOMPARE(inodeOf(other), inodeOf(filePath()));
}

void TestConnectionSettingsFile::shouldKeepAHardLinkedFileWhenItsRoomCannotBeHad()
{
    // In place, on a disk without room for the longer contents: a file size
    // limit binds root as well and fails the same way.
    const QByteArray original("[SQL Server]\r\nPassWord=old\r\n");
    QVERIFY(writeAll(filePath(), original));
    const QString other = m_dir->filePath(QStringLiteral("other.sys"));
    QCOMPARE(::link(QFile::encodeName(filePath()).constData(), QFile::encodeName(other).constData()), 0);

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous = {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 64;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto failure = writeSettings(filePath());
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(failure);
    QCOMPARE(failure->number(), SettingsFailure::DiskFull);
    QVERIFY2(failure->description().startsWith(QStringLiteral("Disk full: ") + filePath()), failure->what());
    QCOMPARE(readAll(filePath()), original);
}

void TestConnectionSettingsFile::shouldGiveTheTargetsModeWhateverTheUmask()
{
    QVERIFY(writeAll(filePath(), "[SQL Server]\r\n"));
    QCOMPARE(::chmod(QFile::encodeName(filePath()).constData(), 0600), 0);
    const mode_t previous = ::umask(0);
    const auto failure = writeSettings(filePath());
    ::umask(previous);
    QVERIFY2(!failure, failure ? failure->what() : "");
    struct stat info = {};
    QCOMPARE(::stat(QFile::encodeName(filePath()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, 0600u);
}

void TestConnectionSettingsFile::shouldFollowALinkOnlyToAFileOfTheSameOwner()
{
    const QString elsewhere = m_dir->filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkpath(elsewhere));
    const QString target = elsewhere + QStringLiteral("/shadow");
    const QByteArray original("[SQL Server]\r\nPassWord=old\r\n");
    QVERIFY(writeAll(target, original));
    QVERIFY(QFile::link(target, filePath()));

    // Link and target of one owner: the link is followed and stays a link.
    auto failure = writeSettings(filePath());
    QVERIFY2(!failure, failure ? failure->what() : "");
    QVERIFY(QFileInfo(filePath()).isSymLink());
    QVERIFY(readAll(target).contains("Initial Catalog=Hall"));

    if (::geteuid() != 0)
        QSKIP("giving the target to another owner needs root");
    QVERIFY(writeAll(target, original));
    QCOMPARE(::chown(QFile::encodeName(target).constData(), 65534, 65534), 0);
    failure = writeSettings(filePath());
    QVERIFY(failure);
    QCOMPARE(failure->number(), SettingsFailure::PermissionDenied);
    QVERIFY2(failure->description().contains(filePath()), failure->what());
    QCOMPARE(readAll(target), original);
    QVERIFY(QFileInfo(filePath()).isSymLink());
}

void TestConnectionSettingsFile::shouldLeaveTheFileCompleteOrUnchangedOnAFullDisk()
{
    if (::geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    const QString mountPoint = m_dir->filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("no permission to mount a tmpfs here");
    const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(mountPoint).constData()); });

    const QString settings = mountPoint + QStringLiteral("/Connect.sys");
    const QByteArray original("[SQL Server]\r\nPassWord=old\r\n");
    QVERIFY(writeAll(settings, original));
    // Fill every free page.
    QFile filler(mountPoint + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray page(4096, 'x');
    while (filler.write(page) == page.size() && filler.flush()) { }
    filler.close();

    auto failure = writeSettings(settings);
    QVERIFY(failure);
    QCOMPARE(failure->number(), SettingsFailure::DiskFull);
    QVERIFY2(failure->description().contains(settings), failure->what());
    QCOMPARE(readAll(settings), original);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // One page free: the new file fits, and the whole of it lands.
    QVERIFY(filler.resize(filler.size() - 4096));
    failure = writeSettings(settings);
    QVERIFY2(!failure, failure ? failure->what() : "");
    QVERIFY(readAll(settings).endsWith("Initial Catalog=Hall\r\n[DataSource]\r\nDataBase=SQL Server\r\n"));
}

void TestConnectionSettingsFile::shouldAnswerWhetherItWouldWriteAsTheWriteEnds_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("number"); // 0: written
    QTest::newRow("ordinary file") << "plain" << 0;
    QTest::newRow("folder that takes no new file") << "folder +i" << 0;
    QTest::newRow("mode 0444") << "0444" << int(SettingsFailure::PermissionDenied);
    QTest::newRow("append-only file") << "+a" << int(SettingsFailure::PermissionDenied);
    QTest::newRow("immutable file") << "+i" << int(SettingsFailure::PermissionDenied);
    QTest::newRow("missing file") << "missing" << int(SettingsFailure::PathFileAccess);
    QTest::newRow("line break in the password") << "CR" << int(SettingsFailure::InvalidArgument);
    QTest::newRow("password beyond the code page") << "code page" << int(SettingsFailure::InvalidArgument);
    QTest::newRow("link to another owner's file") << "link" << int(SettingsFailure::PermissionDenied);
    QTest::newRow("another user's link in a sticky shared folder")
        << "sticky" << int(SettingsFailure::PermissionDenied);
}

void TestConnectionSettingsFile::shouldAnswerWhetherItWouldWriteAsTheWriteEnds()
{
    QFETCH(QString, situation);
    QFETCH(int, number);
    const bool needsRoot = situation.startsWith(u'+') || situation.startsWith(QStringLiteral("folder"))
        || situation == u"link" || situation == u"sticky";
    if (needsRoot && ::geteuid() != 0)
        QSKIP("attributes and other owners need root");
    const QByteArray original("[SQL Server]\r\nPassWord=old\r\n");
    QString path = filePath();
    QString written = path;
    ConnectionSettings settings = kSettings;
    QString attributeOn;
    if (situation != u"missing")
        QVERIFY(writeAll(path, original));
    if (situation == u"0444") {
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    } else if (situation.startsWith(u'+')) {
        attributeOn = path;
    } else if (situation == u"folder +i") {
        attributeOn = m_dir->path();
    } else if (situation == u"CR") {
        settings.password = QStringLiteral("Pw\r\n[x]");
    } else if (situation == u"code page") {
        settings.password = QStringLiteral("Pw\u4E2D");
    } else if (situation == u"link" || situation == u"sticky") {
        // The planted link and the file it leads to belong to the other user.
        const QString shared = m_dir->filePath(situation);
        QVERIFY(QDir().mkpath(shared));
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), situation == u"sticky" ? 01777 : 0755), 0);
        written = m_dir->filePath(QStringLiteral("theirs"));
        QVERIFY(QFile::rename(path, written));
        QCOMPARE(::chown(QFile::encodeName(written).constData(), 65534, 65534), 0);
        path = shared + QStringLiteral("/Connect.sys");
        QVERIFY(QFile::link(written, path));
        if (situation == u"sticky")
            QCOMPARE(::lchown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    }
    if (!attributeOn.isEmpty() && !chattr(situation.right(2), attributeOn))
        QSKIP("this file system takes no such attribute");

    const auto answer = brevane::connectionSettingsRefusal(path, settings, Western);
    const auto failure = writeSettings(path, settings);
    if (!attributeOn.isEmpty())
        chattr(QStringLiteral("-") + situation.right(1), attributeOn);

    QCOMPARE(answer.has_value(), failure.has_value());
    QCOMPARE(answer ? answer->number() : 0, number);
    if (failure) {
        QCOMPARE(failure->numberFirst(), answer->numberFirst());
        QCOMPARE(readAll(written), situation == u"missing" ? QByteArray("<unreadable>") : original);
    } else {
        QVERIFY(readAll(written).contains("Initial Catalog=Hall"));
    }
}

QTEST_GUILESS_MAIN(TestConnectionSettingsFile)
#include "TestConnectionSettingsFile.moc"
