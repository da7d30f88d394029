#include "AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevane::profile {

namespace {

bool writeAll(int fd, QByteArrayView contents, off_t offset = -1)
{
    const char *data = contents.data();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = offset < 0 ? ::write(fd, data, static_cast<size_t>(left))
                                           : ::pwrite(fd, data, static_cast<size_t>(left), offset);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= written;
        if (offset >= 0) {
            offset += written;
        }
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

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return QByteArrayLiteral(".");
    }
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray fileNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The permission bits a newly created file gets: 0666 less the umask.
mode_t newFileMode()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// The kernel's protected-symlinks rule, applied whatever the system's
// setting: in a sticky folder that everyone may write, a link is followed
// only when it belongs to the running user or to the folder's owner.
bool mayFollowInFolder(const QByteArray &folder, uid_t linkOwner)
{
    struct stat info = {};
    if (::stat(folder.constData(), &info) != 0)
        return true;
    const bool shared = (info.st_mode & S_ISVTX) && (info.st_mode & S_IWOTH);
    return !shared || linkOwner == ::geteuid() || linkOwner == info.st_uid;
}

} // namespace

bool AtomicFileWriter::fail(const QString &what, int error)
{
    m_error = error;
    m_errorString = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error)));
    return false;
}

std::optional<QString> AtomicFileWriter::target()
{
    m_error = 0;
    m_errorString.clear();
    // Not cleaned: "folder/../file" must name what the kernel finds there,
    // also when "folder" is a symbolic link.
    QByteArray current
        = QFile::encodeName(QDir::isAbsolutePath(m_path) ? m_path : QDir::currentPath() + u'/' + m_path);
    QList<uid_t> linkOwners;
    for (int hops = 0;; ++hops) {
        struct stat info = {};
        if (::lstat(current.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            break;
        }
        if (hops >= 40) {
            fail(QFile::decodeName(current), ELOOP);
            return std::nullopt;
        }
        if (!mayFollowInFolder(folderOf(current), info.st_uid)) {
            m_error = EACCES;
            m_errorString = QStringLiteral("%1: a symbolic link of another user in a shared folder (%2)")
                                .arg(m_path, QFile::decodeName(current));
            return std::nullopt;
        }
        linkOwners.append(info.st_uid);
        char buffer[PATH_MAX];
        const ssize_t size = ::readlink(current.constData(), buffer, sizeof buffer);
        if (size < 0) {
            fail(QFile::decodeName(current), errno);
            return std::nullopt;
        }
        const QByteArray linkText(buffer, size);
        current = linkText.startsWith('/') ? linkText : folderOf(current) + '/' + linkText;
    }
    if (!linkOwners.isEmpty()) {
        struct stat info = {};
        // A link to nothing is followed no further: nothing is created at its end.
        if (::stat(current.constData(), &info) != 0) {
            fail(m_path, errno);
            return std::nullopt;
        }
        for (const uid_t owner : linkOwners) {
            if (owner != info.st_uid) {
                m_error = EACCES;
                m_errorString = QStringLiteral("%1: a symbolic link to a file of another owner (%2)")
                                    .arg(m_path, QFile::decodeName(current));
                return std::nullopt;
            }
        }
    }
    return QFile::decodeName(current);
}

std::optional<QByteArray> AtomicFileWriter::read()
{
    const auto path = target();
    if (!path) {
        return std::nullopt;
    }
    const QByteArray name = QFile::encodeName(*path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fail(*path, errno);
        return std::nullopt;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISREG(info.st_mode) ? errno : EISDIR;
        ::close(fd);
        fail(*path, error);
        return std::nullopt;
    }
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            fail(*path, error);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
    }
    ::close(fd);
    return bytes;
}

bool AtomicFileWriter::rewriteInPlace(const QByteArray &targetName, QByteArrayView contents)
{
    const QString target = QFile::decodeName(targetName);
    const int fd = ::open(targetName.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return fail(target, errno);
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(target, error);
    }
    const off_t newSize = static_cast<off_t>(contents.size());
    // The room the new contents need is reserved before the first byte
    // changes, so a full disk fails here and leaves the file as it was.
    if (newSize > info.st_size) {
        const int error = ::posix_fallocate(fd, 0, newSize);
        if (error != 0) {
            if (::ftruncate(fd, info.st_size) != 0) { }
            ::close(fd);
            return fail(target, error);
        }
    }
    bool ok = writeAll(fd, contents, 0) && ::ftruncate(fd, newSize) == 0 && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok || fail(target, error);
}

bool AtomicFileWriter::mayRewrite(const QByteArray &targetName, const struct stat &existing)
{
    const QString target = QFile::decodeName(targetName);
    if (!S_ISREG(existing.st_mode)) {
        return fail(target, EISDIR);
    }
    // A file that may not be written is not replaced either, though the
    // folder would allow the rename. Without any write bit the file counts
    // as read-only for every user, root included.
    if ((existing.st_mode & 0222) == 0) {
        return fail(target, EACCES);
    }
    // Opening for writing, without changing a byte, asks the kernel what the
    // bits do not show: an immutable or append-only file, a read-only mount.
    const int fd = ::open(targetName.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return fail(target, errno);
    }
    ::close(fd);
    return true;
}

bool AtomicFileWriter::canRewrite()
{
    const auto resolved = target();
    if (!resolved) {
        return false;
    }
    const QByteArray targetName = QFile::encodeName(*resolved);
    struct stat existing = {};
    if (::stat(targetName.constData(), &existing) != 0) {
        return fail(*resolved, errno);
    }
    return mayRewrite(targetName, existing);
}

bool AtomicFileWriter::write(QByteArrayView contents)
{
    const auto resolved = target();
    if (!resolved) {
        return false;
    }
    const QString target = *resolved;
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray folder = folderOf(targetName);

    struct stat existing = {};
    const bool exists = ::stat(targetName.constData(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        return fail(target, errno);
    }
    if (exists && !mayRewrite(targetName, existing)) {
        return false;
    }
    // Renaming a new file over one of several hard links would part it from the others.
    if (exists && existing.st_nlink > 1) {
        return rewriteInPlace(targetName, contents);
    }

    // A name of our own beside the target; O_EXCL makes sure no other file
    // of that name is reused. Only the owner may read it while it is written.
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempName = folder + '/' + '.' + fileNameOf(targetName) + '.'
            + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        const int error = errno;
        if (exists) {
            // A folder that takes no new file: the platform's way, in place.
            return rewriteInPlace(targetName, contents);
        }
        return fail(QFile::decodeName(folder), error);
    }

    bool ok = writeAll(fd, contents);
    int error = errno;
    if (ok) {
        if (exists) {
            // Only a privileged process may give a file to another owner; for
            // everyone else the file stays theirs, which is what they can have.
            if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) { }
        }
        ok = ::fchmod(fd, exists ? existing.st_mode & 07777 : newFileMode()) == 0;
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
        // A sticky folder keeps a file of another owner from being replaced,
        // though the file itself may be written: the platform's way, in place.
        if (exists && (error == EPERM || error == EACCES)) {
            return rewriteInPlace(targetName, contents);
        }
        return fail(target, error);
    }
    syncFolder(folder);
    return true;
}

} // namespace brevane::profile
