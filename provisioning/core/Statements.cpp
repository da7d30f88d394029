#include "Statements.h"

#include "Blanks.h"
#include "NameRules.h"

#include <QSet>

#include <algorithm>

namespace brevane::Statements {

QString quoted(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char('\''), QStringLiteral("''"));
    return result;
}

QString literal(const QString &text)
{
    const bool beyondAscii
        = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7F; });
    return (beyondAscii ? QStringLiteral("N'") : QStringLiteral("'")) + quoted(text) + QLatin1Char('\'');
}

bool isReservedKeyword(const QString &word)
{
    static const QSet<QString> keywords = [] {
        const char *const list[] = { "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUTHORIZATION",
            "BACKUP", "BEGIN", "BETWEEN", "BREAK", "BROWSE", "BULK", "BY", "CASCADE", "CASE", "CHECK",
            "CHECKPOINT", "CLOSE", "CLUSTERED", "COALESCE", "COLLATE", "COLUMN", "COMMIT", "COMPUTE",
            "CONSTRAINT", "CONTAINS", "CONTAINSTABLE", "CONTINUE", "CONVERT", "CREATE", "CROSS", "CURRENT",
            "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR", "DATABASE", "DBCC",
            "DEALLOCATE", "DECLARE", "DEFAULT", "DELETE", "DENY", "DESC", "DISK", "DISTINCT", "DISTRIBUTED",
            "DOUBLE", "DROP", "DUMP", "ELSE", "END", "ERRLVL", "ESCAPE", "EXCEPT", "EXEC", "EXECUTE",
            "EXISTS", "EXIT", "EXTERNAL", "FETCH", "FILE", "FILLFACTOR", "FOR", "FOREIGN", "FREETEXT",
            "FREETEXTTABLE", "FROM", "FULL", "FUNCTION", "GOTO", "GRANT", "GROUP", "HAVING", "HOLDLOCK",
            "IDENTITY", "IDENTITY_INSERT", "IDENTITYCOL", "IF", "IN", "INDEX", "INNER", "INSERT", "INTERSECT",
            "INTO", "IS", "JOIN", "KEY", "KILL", "LEFT", "LIKE", "LINENO", "LOAD", "MERGE", "NATIONAL",
            "NOCHECK", "NONCLUSTERED", "NOT", "NULL", "NULLIF", "OF", "OFF", "OFFSETS", "ON", "OPEN",
            "OPENDATASOURCE", "OPENQUERY", "OPENROWSET", "OPENXML", "OPTION", "OR", "ORDER", "OUTER", "OVER",
            "PERCENT", "PIVOT", "PLAN", "PRECISION", "PRIMARY", "PRINT", "PROC", "PROCEDURE", "PUBLIC",
            "RAISERROR", "READ", "READTEXT", "RECONFIGURE", "REFERENCES", "REPLICATION", "RESTORE",
            "RESTRICT", "RETURN", "REVERT", "REVOKE", "RIGHT", "ROLLBACK", "ROWCOUNT", "ROWGUIDCOL", "RULE",
            "SAVE", "SCHEMA", "SECURITYAUDIT", "SELECT", "SEMANTICKEYPHRASETABLE",
            "SEMANTICSIMILARITYDETAILSTABLE", "SEMANTICSIMILARITYTABLE", "SESSION_USER", "SET", "SETUSER",
            "SHUTDOWN", "SOME", "STATISTICS", "SYSTEM_USER", "TABLE", "TABLESAMPLE", "TEXTSIZE", "THEN", "TO",
            "TOP", "TRAN", "TRANSACTION", "TRIGGER", "TRUNCATE", "TRY_CONVERT", "TSEQUAL", "UNION", "UNIQUE",
            "UNPIVOT", "UPDATE", "UPDATETEXT", "USE", "USER", "VALUES", "VARYING", "VIEW", "WAITFOR", "WHEN",
            "WHERE", "WHILE", "WITH", "WRITETEXT" };
        QSet<QString> set;
        for (const char *keyword : list)
            set.insert(QString::fromLatin1(keyword));
        return set;
    }();
    return keywords.contains(word.toUpper());
}

bool isRegularIdentifier(const QString &name)
{
    if (name.isEmpty() || name.size() > 128 || isReservedKeyword(name))
        return false;
    const QChar first = name.at(0);
    if (!(first.isLetter() || first == QLatin1Char('_')))
        return false;
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('$')
                || c == QLatin1Char('#')))
            return false;
    }
    return true;
}

QString identifier(const QString &name)
{
    if (isRegularIdentifier(name))
        return name;
    QString escaped = name;
    escaped.replace(QLatin1Char(']'), QStringLiteral("]]"));
    return QLatin1Char('[') + escaped + QLatin1Char(']');
}

QString fileList(const QString &backupPath)
{
    return QStringLiteral("RESTORE FILELISTONLY from DISK =") + literal(backupPath);
}

QString databaseExists(const QString &databaseName)
{
    return QStringLiteral(" SELECT name From master.dbo.sysdatabases WHERE (name = N'") + quoted(databaseName)
        + QStringLiteral("')");
}

QString dropDevice(const QString &deviceName, const QString &backupPath)
{
    return QStringLiteral("if Exists (select name,phyname from  master.dbo.sysdevices ")
        + QStringLiteral(" where name=") + literal(deviceName) + QStringLiteral(" or phyname=")
        + literal(backupPath) + QStringLiteral(")  ") + QStringLiteral(" exec sp_dropdevice ")
        + literal(deviceName);
}

QString addDevice(const QString &deviceName, const QString &backupPath)
{
    return QStringLiteral("exec sp_addumpdevice 'disk', ") + literal(deviceName) + QLatin1Char(',')
        + literal(backupPath);
}

QString restoreDatabase(const QString &databaseName, const QString &deviceName, const QString &logicalData,
    const QString &physicalData, const QString &logicalLog, const QString &physicalLog)
{
    return QStringLiteral(" RESTORE DATABASE  ") + identifier(trimBlanks(databaseName))
        + QStringLiteral(" From ") + identifier(deviceName) + QStringLiteral(" With Move ")
        + literal(trimBlanks(logicalData)) + QStringLiteral(" TO ") + literal(trimBlanks(physicalData))
        + QLatin1Char(',') + QStringLiteral(" Move ") + literal(trimBlanks(logicalLog))
        + QStringLiteral(" TO ") + literal(trimBlanks(physicalLog)) + QLatin1Char(' ');
}

QString withProgress(const QString &restoreStatement, int percent)
{
    return trimTrailingBlanks(restoreStatement) + QStringLiteral(", STATS = ") + QString::number(percent);
}

QString backupHeader(const QString &backupPath)
{
    return QStringLiteral("RESTORE HEADERONLY from DISK =") + literal(backupPath);
}

QString serverVersion()
{
    return QStringLiteral("SELECT SERVERPROPERTY('ProductVersion')");
}

} // namespace brevane::Statements
