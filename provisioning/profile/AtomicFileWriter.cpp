#include "AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevane::profile {

namespace {

QString resolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink()) {
        return info.absoluteFilePath();
    }
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

bool writeAll(int fd, QByteArrayView contents)
{
    const char *data = contents.data();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Makes the rename itself durable. Some file systems refuse to sync a
// folder; the contents are safe by then, so that is not a failure.
void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool AtomicFileWriter::fail(const QString &what, int error)
{
    m_errorString = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error)));
    return false;
}

bool AtomicFileWriter::write(QByteArrayView contents)
{
    m_errorString.clear();
    const QFileInfo target(resolvedTarget(m_path));
    const QByteArray targetName = QFile::encodeName(target.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(target.absolutePath());

    struct stat existing = {};
    const bool exists = ::stat(targetName.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        return fail(target.absoluteFilePath(), EISDIR);
    }
    // A file that may not be written is not replaced either, though the
    // folder would allow the rename. Without any write bit the file counts
    // as read-only for every user, root included.
    if (exists && ((existing.st_mode & 0222) == 0 || ::access(targetName.constData(), W_OK) != 0)) {
        return fail(target.absoluteFilePath(), EACCES);
    }

    // A name of our own beside the target; O_EXCL makes sure no other file
    // of that name is reused. A new file gets the permissions any newly
    // created file gets (0666 less the umask).
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempName = folder + '/' + '.' + QFile::encodeName(target.fileName()) + '.'
            + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return fail(QFile::decodeName(folder), errno);
    }

    bool ok = writeAll(fd, contents);
    int error = errno;
    if (ok && exists) {
        // Only a privileged process may give a file to another owner; for
        // everyone else the file stays theirs, which is what they can have.
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) { }
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
        error = errno;
    }
    if (ok) {
        ok = ::fsync(fd) == 0;
        error = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok) {
        ok = ::rename(tempName.constData(), targetName.constData()) == 0;
        error = errno;
    }
    if (!ok) {
        ::unlink(tempName.constData());
        return fail(target.absoluteFilePath(), error);
    }
    syncFolder(folder);
    return true;
}

} // namespace brevane::profile
