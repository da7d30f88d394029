#include "SetParser.h"

namespace standin {

namespace {

// Options switched with ON or OFF (several may share one SET).
bool isSwitchOption(const QString &word)
{
    static const QStringList options { QStringLiteral("ANSI_DEFAULTS"), QStringLiteral("ANSI_NULL_DFLT_OFF"),
        QStringLiteral("ANSI_NULL_DFLT_ON"), QStringLiteral("ANSI_NULLS"), QStringLiteral("ANSI_PADDING"),
        QStringLiteral("ANSI_WARNINGS"), QStringLiteral("ARITHABORT"), QStringLiteral("ARITHIGNORE"),
        QStringLiteral("CONCAT_NULL_YIELDS_NULL"), QStringLiteral("CURSOR_CLOSE_ON_COMMIT"),
        QStringLiteral("FMTONLY"), QStringLiteral("FORCEPLAN"), QStringLiteral("IMPLICIT_TRANSACTIONS"),
        QStringLiteral("NOCOUNT"), QStringLiteral("NOEXEC"), QStringLiteral("NUMERIC_ROUNDABORT"),
        QStringLiteral("PARSEONLY"), QStringLiteral("QUOTED_IDENTIFIER"),
        QStringLiteral("REMOTE_PROC_TRANSACTIONS"), QStringLiteral("SHOWPLAN_ALL"),
        QStringLiteral("SHOWPLAN_TEXT"), QStringLiteral("SHOWPLAN_XML"), QStringLiteral("XACT_ABORT"),
        QStringLiteral("NO_BROWSETABLE"), QStringLiteral("STATISTICS") };
    return options.contains(word);
}

// Options followed by one value.
bool isValueOption(const QString &word)
{
    static const QStringList options { QStringLiteral("DATEFORMAT"), QStringLiteral("DATEFIRST"),
        QStringLiteral("LANGUAGE"), QStringLiteral("TEXTSIZE"), QStringLiteral("LOCK_TIMEOUT"),
        QStringLiteral("ROWCOUNT"), QStringLiteral("DEADLOCK_PRIORITY") };
    return options.contains(word);
}

bool isIsolationLevel(const QString &level)
{
    static const QStringList levels { QStringLiteral("READ UNCOMMITTED"), QStringLiteral("READ COMMITTED"),
        QStringLiteral("REPEATABLE READ"), QStringLiteral("SNAPSHOT"), QStringLiteral("SERIALIZABLE") };
    return levels.contains(level);
}

class SetReader
{
public:
    SetReader(const QList<SqlToken> &tokens, qsizetype &pos)
        : m_tokens(tokens)
        , m_pos(pos)
    { }

    SetParse read()
    {
        next(); // SET
        if (peek().kind == SqlToken::Kind::Variable)
            return UnsupportedStatement { QStringLiteral("SET @variable"), {} };
        if (peek().kind != SqlToken::Kind::Identifier)
            return SetSyntaxError { m_pos };
        const QString option = peek().value.toUpper();
        if (option == u"TRANSACTION")
            return readIsolationLevel();
        if (isValueOption(option))
            return readValue(option);
        if (isSwitchOption(option))
            return readSwitches();
        if (option == u"IDENTITY_INSERT" || option == u"CONTEXT_INFO" || option == u"OFFSETS")
            return UnsupportedStatement { QStringLiteral("SET ") + option, {} };
        ServerMessage message
            = serverMessage(Msg::NotRecognised, { peek().value, QStringLiteral("SET option") });
        message.line = peek().line;
        return message;
    }

private:
    const SqlToken &peek() const { return m_tokens.at(qMin(m_pos, m_tokens.size() - 1)); }
    void next()
    {
        if (m_pos < m_tokens.size() - 1)
            ++m_pos;
    }

    SetParse readIsolationLevel()
    {
        next();
        for (const char16_t *word : { u"ISOLATION", u"LEVEL" }) {
            if (!peek().isKeyword(word))
                return SetSyntaxError { m_pos };
            next();
        }
        QString level = peek().value.toUpper();
        next();
        if (level == u"READ" || level == u"REPEATABLE") {
            level += QLatin1Char(' ') + peek().value.toUpper();
            next();
        }
        if (!isIsolationLevel(level))
            return SetSyntaxError { m_pos - 1 };
        return SetStatement { { QStringLiteral("TRANSACTION ISOLATION LEVEL") }, level };
    }

    SetParse readValue(const QString &option)
    {
        next();
        QString value;
        if (peek().isSymbol(u"-")) {
            value = QStringLiteral("-");
            next();
        }
        const SqlToken &token = peek();
        if (token.kind == SqlToken::Kind::End || token.kind == SqlToken::Kind::Symbol)
            return SetSyntaxError { m_pos };
        value += token.kind == SqlToken::Kind::Number ? token.value : token.value.toUpper();
        next();
        return SetStatement { { option }, value };
    }

    SetParse readSwitches()
    {
        SetStatement statement;
        while (true) {
            QString option = peek().value.toUpper();
            if (peek().kind != SqlToken::Kind::Identifier || !isSwitchOption(option))
                return SetSyntaxError { m_pos };
            next();
            if (option == u"STATISTICS") {
                if (peek().kind != SqlToken::Kind::Identifier)
                    return SetSyntaxError { m_pos };
                option += QLatin1Char(' ') + peek().value.toUpper();
                next();
            }
            statement.options << option;
            if (!peek().isSymbol(u","))
                break;
            next();
        }
        if (!peek().isKeyword(u"ON") && !peek().isKeyword(u"OFF"))
            return SetSyntaxError { m_pos };
        statement.value = peek().value.toUpper();
        next();
        return statement;
    }

    const QList<SqlToken> &m_tokens;
    qsizetype &m_pos;
};

} // namespace

SetParse parseSetStatement(const QList<SqlToken> &tokens, qsizetype &pos)
{
    return SetReader(tokens, pos).read();
}

} // namespace standin
