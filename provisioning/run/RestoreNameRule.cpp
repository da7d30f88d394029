#include "RestoreNameRule.h"

#include "NameRules.h"
#include "PreflightCheck.h"

namespace brevane {

QString RestoreNameRule::refusal(const QString &databaseName, const QStringList &newFiles)
{
    const QString name = trimBlanks(databaseName);
    if (name.isEmpty())
        return QStringLiteral("The database name is empty");
    const NameCheck check = checkDatabaseName(name);
    if (check.kind == NameCheck::FirstNotLetter)
        return localisedText(10047, QStringLiteral("The first character of a database name must be a letter"))
            + QLatin1Char('\n') + name;
    if (check.kind == NameCheck::IllegalCharacter)
        return localisedText(10046, QStringLiteral("The database name holds an illegal character"))
            + QStringLiteral("  '") + check.character + QLatin1Char('\'') + QLatin1Char('\n') + name;
    if (name.size() > maximumNameLength)
        return QStringLiteral("The database name has %1 characters; the server takes at most %2")
            .arg(name.size())
            .arg(maximumNameLength);
    for (const QString &file : newFiles) {
        if (file.size() > maximumPathLength)
            return QStringLiteral("The new file's path has %1 characters; the server takes at most %2: %3")
                .arg(file.size())
                .arg(maximumPathLength)
                .arg(file);
    }
    return {};
}

} // namespace brevane
