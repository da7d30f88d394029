// The program folder seen by a program started through a command on the PATH
// or through symbolic links: always the folder that really holds the program
// file, so the installed commands in bin/ find the hall product's folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestProgramFolder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_productFolder; // <root>/product/Brevane, holding the probe

    QString runProbe(const QString &program, const QStringList &arguments = {},
        const QString &pathVariable = {}, const QString &workDir = {})
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!pathVariable.isEmpty())
            environment.insert(QStringLiteral("PATH"), pathVariable);
        process.setProcessEnvironment(environment);
        if (!workDir.isEmpty())
            process.setWorkingDirectory(workDir);
        process.start(program, arguments);
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            return QStringLiteral("<probe failed: %1>")
                .arg(QString::fromLocal8Bit(process.readAllStandardError()));
        return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    }

    static bool link(const QString &target, const QString &linkPath)
    {
        QDir().mkpath(QFileInfo(linkPath).path());
        return QFile::link(target, linkPath);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        // The canonical path: the temporary folder itself may lie behind a link.
        const QString root = QFileInfo(m_root.path()).canonicalFilePath();
        m_productFolder = root + QStringLiteral("/product/Brevane");
        QVERIFY(QDir().mkpath(m_productFolder));
        QVERIFY(QFile::copy(QStringLiteral(HALL_PROBE_PATH), m_productFolder + QStringLiteral("/probe")));
        QVERIFY(QFile::setPermissions(m_productFolder + QStringLiteral("/probe"),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void startedDirectlyReportsItsFolder()
    {
        QCOMPARE(runProbe(m_productFolder + QStringLiteral("/probe")), m_productFolder);
    }

    void startedThroughLinksReportsTheRealFolder_data()
    {
        QTest::addColumn<QString>("linkTarget"); // empty: the probe's absolute path
        QTest::addColumn<QString>("linkPath"); // relative to the temporary root

        QTest::newRow("absolute link in bin") << QString() << QStringLiteral("usr/bin/brevane");
        QTest::newRow("relative link")
            << QStringLiteral("../../product/Brevane/probe") << QStringLiteral("usr/bin/brevane-relative");
        QTest::newRow("link to a link")
            << QStringLiteral("brevane") << QStringLiteral("usr/bin/brevane-chain");
    }

    void startedThroughLinksReportsTheRealFolder()
    {
        QFETCH(QString, linkTarget);
        QFETCH(QString, linkPath);
        const QString root = QFileInfo(m_root.path()).canonicalFilePath();
        const QString target = linkTarget.isEmpty() ? m_productFolder + QStringLiteral("/probe") : linkTarget;
        const QString path = root + QLatin1Char('/') + linkPath;
        if (!QFileInfo(path).isSymLink())
            QVERIFY(link(target, path));

        // By its path, and by its bare name through PATH, as a shell starts a command.
        QCOMPARE(runProbe(path), m_productFolder);
        QCOMPARE(runProbe(QStringLiteral("/bin/sh"),
                     { QStringLiteral("-c"), QStringLiteral("exec ") + QFileInfo(path).fileName() },
                     QFileInfo(path).path() + QStringLiteral(":/usr/bin:/bin")),
            m_productFolder);
    }

    void startedThroughALinkedFolderReportsTheRealFolder()
    {
        // The product's folder reached through a linked folder, started by a relative path.
        const QString root = QFileInfo(m_root.path()).canonicalFilePath();
        QVERIFY(link(root + QStringLiteral("/product"), root + QStringLiteral("/hall")));
        QCOMPARE(runProbe(QStringLiteral("./hall/Brevane/probe"), {}, {}, root), m_productFolder);
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "TestProgramFolder.moc"
