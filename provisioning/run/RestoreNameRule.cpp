#include "RestoreNameRule.h"

#include "Blanks.h"
#include "NameRules.h"
#include "PreflightCheck.h"
#include "ProgramTexts.h"

namespace brevane::run {

QString RestoreNameRule::refusal(const QString &databaseName, const QStringList &newFiles)
{
    const QString name = trimBlanks(databaseName);
    if (name.isEmpty())
        return programText(QStringLiteral("The database name is empty"));
    const NameCheck check = checkDatabaseName(name);
    if (check.kind == NameCheck::FirstNotLetter)
        return programText(10047) + QLatin1Char('\n') + name;
    if (check.kind == NameCheck::IllegalCharacter)
        return programText(10046) + QStringLiteral("  '") + check.character + QLatin1Char('\'')
            + QLatin1Char('\n') + name;
    if (name.size() > maximumNameLength)
        return programText(QStringLiteral("The database name has %1 characters; the server takes at most %2"))
            .arg(name.size())
            .arg(maximumNameLength);
    for (const QString &file : newFiles) {
        if (file.size() > maximumPathLength)
            return programText(
                QStringLiteral("The new file's path has %1 characters; the server takes at most %2: %3"))
                .arg(file.size())
                .arg(maximumPathLength)
                .arg(file);
    }
    return {};
}

} // namespace brevane::run
