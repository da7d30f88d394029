#pragma once

#include <QString>
#include <QStringList>

namespace brevane::run {

// Every rule a new database's name meets in the restore statement: the
// naming rule, the server's refusal of an empty name, at most 128
// characters, and every new file's full path within 260 characters.
class RestoreNameRule
{
public:
    static constexpr qsizetype maximumNameLength = 128;
    static constexpr qsizetype maximumPathLength = 260;

    // Why the restore would refuse the name or one of the paths, or an empty
    // text when it would take them.
    static QString refusal(const QString &databaseName, const QStringList &newFiles);
};

} // namespace brevane::run
