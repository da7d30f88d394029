#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

struct stat;

namespace brevane::profile {

// Replaces a file's contents so that a crash, a power loss or a full disk
// leaves either the old contents or the new ones, never a mix: the bytes go to
// a new file beside the target (created with mode 0600, given the target's
// mode and, where the process may do so, its owner before it is renamed over
// the target) and are flushed to disk first. Where no file can be made beside
// the target (a folder that takes no new file) or the target has more than one
// hard link, the file is rewritten in place instead, as the platform does: its
// room is reserved first, so a full disk still leaves it as it was.
//
// A symbolic link is followed only when the link and its target have the same
// owner, and, in a sticky folder everyone may write, when the link belongs to
// the running user or to the folder's owner (the kernel's rule for links in
// shared folders), so whoever may write the folder cannot point the write at
// another user's file. The
// folder must already exist, and an existing file must be writable: a
// read-only file is left alone.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(QString path)
        : m_path(std::move(path))
    { }

    // The file the path names once its symbolic links are followed by the rule
    // above; nothing (and error() set) when a link may not be followed.
    std::optional<QString> target();

    // The current contents of the target; nothing when it cannot be read or
    // a link may not be followed. A missing file reads as nothing with error() ENOENT.
    std::optional<QByteArray> read();

    // Whether write() would replace the existing file: the links may be
    // followed, the file is an ordinary one and may be written. Where no new
    // file can be made beside it, write() rewrites it in place, so the folder
    // is not asked. Changes nothing; false with error() set when it would not.
    bool canRewrite();

    // False when the file could not be replaced; it is then left as it was.
    bool write(QByteArrayView contents);

    QString errorString() const { return m_errorString; }
    // The errno of the cause of the last failure.
    int error() const { return m_error; }

private:
    bool fail(const QString &what, int error);
    bool mayRewrite(const QByteArray &targetName, const struct stat &existing);
    bool rewriteInPlace(const QByteArray &targetName, QByteArrayView contents);

    QString m_path;
    QString m_errorString;
    int m_error = 0;
};

} // namespace brevane::profile
