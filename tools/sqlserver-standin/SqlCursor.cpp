#include "SqlCursor.h"

namespace standin {

SqlCursor::NestingLevel::NestingLevel(SqlCursor &cursor, const SqlToken &where)
    : m_cursor(cursor)
{
    if (++m_cursor.m_depth > MaxNesting) {
        --m_cursor.m_depth;
        ServerMessage message = serverMessage(Msg::NestedTooDeeply);
        message.line = where.line;
        throw SyntaxError { message };
    }
}

SqlCursor::SqlCursor(QList<SqlToken> tokens, std::optional<QString> unclosedText, int unclosedLine)
    : m_tokens(std::move(tokens))
    , m_unclosedText(std::move(unclosedText))
    , m_unclosedLine(unclosedLine)
{ }

const SqlToken &SqlCursor::peek(qsizetype ahead) const
{
    const qsizetype index = qMin(m_pos + ahead, m_tokens.size() - 1);
    return m_tokens.at(index);
}

const SqlToken &SqlCursor::next()
{
    const SqlToken &token = peek();
    if (m_pos < m_tokens.size() - 1)
        ++m_pos;
    return token;
}

void SqlCursor::failAt(const SqlToken &where) const
{
    if (where.kind == SqlToken::Kind::End && m_unclosedText) {
        // The batch was cut short by an unclosed string: SQL Server points at that string.
        ServerMessage message = serverMessage(Msg::IncorrectSyntax, { *m_unclosedText });
        message.line = m_unclosedLine;
        throw SyntaxError { message };
    }
    // At the end of the batch SQL Server names the last token it read.
    const SqlToken &token = where.kind == SqlToken::Kind::End && m_tokens.size() >= 2
        ? m_tokens.at(m_tokens.size() - 2)
        : where;
    ServerMessage message;
    if (token.kind == SqlToken::Kind::Identifier && isReservedKeyword(token.value))
        message = serverMessage(Msg::IncorrectSyntaxNearKeyword, { token.text });
    else
        message = serverMessage(Msg::IncorrectSyntax, { token.value });
    message.line = token.line;
    throw SyntaxError { message };
}

void SqlCursor::expectKeyword(QStringView keyword)
{
    if (!peek().isKeyword(keyword))
        failAt(peek());
    next();
}

void SqlCursor::expectSymbol(QStringView symbol)
{
    if (!peek().isSymbol(symbol))
        failAt(peek());
    next();
}

void SqlCursor::rejectVariable(const SqlToken &token) const
{
    ServerMessage message = serverMessage(Msg::MustDeclareVariable, { token.text });
    message.line = token.line;
    throw SyntaxError { message };
}

bool SqlCursor::isNameToken(const SqlToken &token) const
{
    if (token.kind == SqlToken::Kind::QuotedIdentifier)
        return true;
    return token.kind == SqlToken::Kind::Identifier && !isReservedKeyword(token.value);
}

QString SqlCursor::parseName()
{
    const SqlToken &token = peek();
    if (token.kind == SqlToken::Kind::Variable)
        rejectVariable(token);
    if (!isNameToken(token) && !(token.bound && token.kind == SqlToken::Kind::String))
        failAt(token);
    next();
    return token.value;
}

ObjectName SqlCursor::parseObjectName()
{
    ObjectName name;
    name.parts << parseName();
    while (peek().isSymbol(u".") && name.parts.size() < 4) {
        next();
        if (peek().isSymbol(u".")) {
            name.parts << QString(); // master..sysdatabases
            continue;
        }
        name.parts << parseName();
    }
    name.written = name.parts.join(QLatin1Char('.'));
    return name;
}

QString SqlCursor::parseStringOrFail()
{
    const SqlToken &token = peek();
    if (token.kind == SqlToken::Kind::Variable)
        rejectVariable(token);
    if (token.kind != SqlToken::Kind::String)
        failAt(token);
    next();
    return token.value;
}

SqlValue SqlCursor::parseLiteral()
{
    const SqlToken &token = peek();
    SqlValue value;
    if (token.kind == SqlToken::Kind::String) {
        value.kind = SqlValue::Kind::String;
        value.text = token.value;
    } else if (token.kind == SqlToken::Kind::Number) {
        value.kind = SqlValue::Kind::Number;
        value.text = token.value;
    } else if (token.isSymbol(u"-") && peek(1).kind == SqlToken::Kind::Number) {
        next();
        value.kind = SqlValue::Kind::Number;
        value.text = QLatin1Char('-') + peek().value;
    } else if (token.isKeyword(u"NULL")) {
        value.kind = SqlValue::Kind::Null;
    } else if (token.kind == SqlToken::Kind::Variable) {
        rejectVariable(token);
    } else {
        failAt(token);
    }
    next();
    return value;
}

bool SqlCursor::startsLiteral(const SqlToken &token) const
{
    return token.kind == SqlToken::Kind::String || token.kind == SqlToken::Kind::Number
        || token.isKeyword(u"NULL") || token.kind == SqlToken::Kind::Variable
        || (token.isSymbol(u"-") && peek(1).kind == SqlToken::Kind::Number);
}

} // namespace standin
