#pragma once

#include <QByteArrayView>
#include <QString>

namespace brevane::profile {

// Replaces a file's contents so that a crash, a power loss or a full disk
// leaves either the old contents or the new ones, never a mix: the bytes go to
// a new file beside the target, are flushed to disk and then renamed over the
// target. The new file takes over the target's permission bits and, where the
// process may do so, its owner. A symbolic link is followed and its target
// replaced. The folder must already exist, and an existing file must be
// writable: a read-only file is left alone.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(QString path)
        : m_path(std::move(path))
    { }

    // False when the file could not be replaced; it is then left as it was.
    bool write(QByteArrayView contents);

    QString errorString() const { return m_errorString; }

private:
    bool fail(const QString &what, int error);

    QString m_path;
    QString m_errorString;
};

} // namespace brevane::profile
