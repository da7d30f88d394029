#pragma once

#include <QString>

namespace brevane {

// The outcome of the database-name rule for a trimmed name: the first broken
// rule and, for an illegal character, that character in upper case.
struct NameCheck
{
    enum Kind { Passed, FirstNotLetter, IllegalCharacter };
    Kind kind = Passed;
    QChar character;
};

// A database name is an ASCII letter followed by ASCII letters, digits and
// underscores, in either case. The empty name passes.
NameCheck checkDatabaseName(const QString &name);

// 1-based position of the last folder separator ("\" or "/") in a path; 0 when there is none.
qsizetype lastSeparatorPosition(const QString &path);

// The dump device name for a backup path: the file name after the last
// separator, up to its first ".", without blanks around it, with "D" in
// front unless it starts with a letter from A to Z (in either case).
QString dumpDeviceName(const QString &backupPath);

// Device names a dump device must never take: the server's own system files.
bool isReservedDeviceName(const QString &deviceName);

} // namespace brevane
