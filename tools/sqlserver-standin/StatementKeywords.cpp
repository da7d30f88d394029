#include "StatementKeywords.h"

#include <QStringList>

namespace standin {

// Keywords of statements the stand-in refuses as a whole.
bool isUnsupportedStatementKeyword(const SqlToken &token)
{
    static const QStringList keywords {
        QStringLiteral("INSERT"),
        QStringLiteral("UPDATE"),
        QStringLiteral("DELETE"),
        QStringLiteral("CREATE"),
        QStringLiteral("DROP"),
        QStringLiteral("ALTER"),
        QStringLiteral("BACKUP"),
        QStringLiteral("USE"),
        QStringLiteral("DECLARE"),
        QStringLiteral("BEGIN"),
        QStringLiteral("PRINT"),
        QStringLiteral("RAISERROR"),
        QStringLiteral("WAITFOR"),
        QStringLiteral("GRANT"),
        QStringLiteral("REVOKE"),
        QStringLiteral("DENY"),
        QStringLiteral("TRUNCATE"),
        QStringLiteral("MERGE"),
        QStringLiteral("WITH"),
        QStringLiteral("DBCC"),
        QStringLiteral("KILL"),
        QStringLiteral("SHUTDOWN"),
        QStringLiteral("COMMIT"),
        QStringLiteral("ROLLBACK"),
        QStringLiteral("SAVE"),
        QStringLiteral("RETURN"),
        QStringLiteral("WHILE"),
        QStringLiteral("GOTO"),
        QStringLiteral("OPEN"),
        QStringLiteral("CLOSE"),
        QStringLiteral("FETCH"),
        QStringLiteral("DEALLOCATE"),
        QStringLiteral("CHECKPOINT"),
        QStringLiteral("RECONFIGURE"),
        QStringLiteral("THROW"),
        QStringLiteral("LOAD"),
        QStringLiteral("DUMP"),
    };
    if (token.kind != SqlToken::Kind::Identifier)
        return false;
    for (const QString &keyword : keywords) {
        if (token.isKeyword(keyword))
            return true;
    }
    return false;
}

bool endsStatement(const SqlToken &token)
{
    return token.kind == SqlToken::Kind::End || token.isSymbol(u";") || token.isKeyword(u"SELECT")
        || token.isKeyword(u"IF") || token.isKeyword(u"ELSE") || token.isKeyword(u"EXEC")
        || token.isKeyword(u"EXECUTE") || token.isKeyword(u"RESTORE") || token.isKeyword(u"SET")
        || isUnsupportedStatementKeyword(token);
}

bool continuesSelect(const SqlToken &token)
{
    if (token.kind == SqlToken::Kind::Symbol)
        return !token.isSymbol(u",") && !token.isSymbol(u")") && !token.isSymbol(u";")
            && !token.isSymbol(u".");
    static const QStringList misplaced { QStringLiteral("FROM"), QStringLiteral("WHERE"),
        QStringLiteral("AS"), QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT"),
        QStringLiteral("IS"), QStringLiteral("NULL") };
    return token.kind == SqlToken::Kind::Identifier && !misplaced.contains(token.value.toUpper());
}

bool parenthesesPair(const QList<SqlToken> &tokens, qsizetype from)
{
    int open = 0;
    for (qsizetype i = from; i < tokens.size() && open >= 0; ++i)
        open += tokens.at(i).isSymbol(u"(") ? 1 : (tokens.at(i).isSymbol(u")") ? -1 : 0);
    return open == 0;
}

} // namespace standin
