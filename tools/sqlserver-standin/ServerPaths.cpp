#include "ServerPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

namespace standin {

ServerPaths::ServerPaths(const HostProfile &host, QString dataDir)
    : m_host(host)
    , m_dataDir(QDir(dataDir).absolutePath())
{ }

QString ServerPaths::dataFolder() const
{
    if (m_host.isWindows())
        return QStringLiteral("C:\\SQLData\\");
    return m_dataDir.endsWith(QLatin1Char('/')) ? m_dataDir : m_dataDir + QLatin1Char('/');
}

QString ServerPaths::driveFolder(QChar letter) const
{
    return QDir(m_dataDir).filePath(QStringLiteral("drives/") + letter.toUpper());
}

QString ServerPaths::toLocal(const QString &serverPath) const
{
    if (serverPath.isEmpty())
        return serverPath;
    if (!m_host.isWindows())
        return QDir::isAbsolutePath(serverPath) ? serverPath : QDir(m_dataDir).filePath(serverPath);

    QString path = serverPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.startsWith(u"//"))
        return QString(); // a network share: no such machine here
    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]):"));
    const QRegularExpressionMatch match = drive.match(path);
    QChar letter = QLatin1Char('C');
    if (match.hasMatch()) {
        letter = match.captured(1).at(0).toUpper();
        path = path.mid(2);
    }
    if (!path.startsWith(QLatin1Char('/')) && !match.hasMatch())
        path = QStringLiteral("/SQLData/") + path; // relative to the data folder
    const QString root = driveFolder(letter);
    QDir().mkpath(root);
    // As on Windows, ".." at a drive's root stays there: no path leaves its drive's folder.
    QString inside = QDir::cleanPath(QStringLiteral("/") + path);
    while (inside == u"/.." || inside.startsWith(u"/../"))
        inside = inside.mid(3);
    return inside.isEmpty() || inside == u"/" ? root + QLatin1Char('/') : root + inside;
}

QString ServerPaths::volumeMountPoint(const QString &serverPath) const
{
    if (m_host.isWindows()) {
        static const QRegularExpression drive(QStringLiteral("^([A-Za-z]):"));
        const QRegularExpressionMatch match = drive.match(serverPath);
        return (match.hasMatch() ? match.captured(1).toUpper() : QStringLiteral("C")) + QStringLiteral(":\\");
    }
    QString root = QStorageInfo(existingAncestor(toLocal(serverPath))).rootPath();
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root;
}

QStringList ServerPaths::drives() const
{
    QStringList letters { QStringLiteral("C") };
    const QStringList folders = QDir(QDir(m_dataDir).filePath(QStringLiteral("drives")))
                                    .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &folder : folders) {
        if (folder.size() == 1 && folder.at(0).isLetter() && !letters.contains(folder.toUpper()))
            letters << folder.toUpper();
    }
    return letters;
}

QString ServerPaths::existingAncestor(const QString &localPath)
{
    QString path = QDir::cleanPath(QDir::isAbsolutePath(localPath) ? localPath : QDir::rootPath());
    while (!QFileInfo::exists(path) && path != QDir::rootPath())
        path = QFileInfo(path).absolutePath();
    return path;
}

} // namespace standin
