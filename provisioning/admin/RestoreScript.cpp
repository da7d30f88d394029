#include "RestoreScript.h"

#include "AdminStatements.h"
#include "ConnectionSettingsFile.h"

namespace brevane::admin {

namespace {

// A line of a comment block: what follows "--" never ends the comment.
QString commentLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("-- ") + line + QLatin1Char('\n');
}

QString batch(const QString &statement)
{
    return statement.trimmed() + QStringLiteral("\nGO\n");
}

} // namespace

QString RestoreScript::compose(
    const ScriptHeader &header, const QString &databaseName, const QStringList &restoreStatements)
{
    QString script;
    script += commentLine(
        QStringLiteral("Restores the database %1. Run it with: sqlcmd -S SERVER -U LOGIN -b -i FILE")
            .arg(databaseName));
    script += commentLine(QStringLiteral("Server: ") + header.server);
    script += commentLine(QStringLiteral("Backup: %1 (name \"%2\", database %3, made %4)")
                              .arg(header.backupFile, header.backup.backupName, header.backup.databaseName,
                                  header.backup.finishDate));
    for (const QString &file : header.newFiles)
        script += commentLine(QStringLiteral("New file: ") + file);
    script += commentLine(
        QStringLiteral("This script does not write the settings file. Once it has run, set these "
                       "six entries in %1:")
            .arg(header.settingsFile));
    const ConnectionSettings placeholders { header.server, header.user, QStringLiteral("<password>"),
        databaseName };
    for (const profile::ProfileEntry &entry : connectionSettingsEntries(placeholders))
        script += commentLine(QStringLiteral("  [%1] %2=%3").arg(entry.section, entry.key, entry.value));
    script += QStringLiteral(":on error exit\n");
    script += batch(AdminStatements::existenceGuard(databaseName));
    for (qsizetype i = 1; i < restoreStatements.size(); ++i)
        script += batch(restoreStatements.at(i));
    return script;
}

} // namespace brevane::admin
