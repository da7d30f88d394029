#pragma once

#include <QByteArray>
#include <QString>

namespace standin {

// Why a file could not be written: the system's error number and its text.
struct FileWriteError
{
    int code = 0; // errno
    QString text;
    QString operation; // the call that failed, e.g. "write"
};

// Replaces a file's contents all at once: writes a temporary file beside it, checks every write, syncs
// it to disk and renames it over the file, then syncs the folder. On failure the old file is left
// exactly as it was and the temporary file is removed.
bool writeFileAtomically(const QString &path, const QByteArray &contents, FileWriteError *error);

} // namespace standin
