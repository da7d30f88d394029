#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace standin {

namespace {

bool failWith(FileWriteError *error, const char *operation)
{
    if (error) {
        error->code = errno;
        error->text = QString::fromLocal8Bit(std::strerror(errno));
        error->operation = QString::fromLatin1(operation);
    }
    return false;
}

bool writeAll(int fd, const QByteArray &contents)
{
    qsizetype done = 0;
    while (done < contents.size()) {
        const ssize_t written = ::write(fd, contents.constData() + done, size_t(contents.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &contents, FileWriteError *error)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failWith(error, "open");
    // mkostemp makes the file private; give it the mode the file had, or the usual one.
    struct stat existing
    {
    };
    const mode_t mode = ::stat(target.constData(), &existing) == 0 ? existing.st_mode & 07777 : 0644;
    const char *failed = nullptr;
    if (::fchmod(fd, mode) != 0)
        failed = "fchmod";
    else if (!writeAll(fd, contents))
        failed = "write";
    else if (::fsync(fd) != 0)
        failed = "fsync";
    const int savedErrno = errno;
    if (::close(fd) != 0 && !failed)
        failed = "close";
    else if (failed)
        errno = savedErrno;
    if (!failed && ::rename(temporary.constData(), target.constData()) != 0)
        failed = "rename";
    if (failed) {
        const int cause = errno;
        ::unlink(temporary.constData());
        errno = cause;
        return failWith(error, failed);
    }
    // The rename is durable once the folder's entry is on disk; a folder that cannot be synced
    // (some file systems refuse) still holds the complete new file.
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

} // namespace standin
