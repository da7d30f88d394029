#include "SqlLexer.h"

#include <QSet>

namespace standin {

namespace {

constexpr int MaxIdentifierLength = 128;

bool isIdentifierStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('#');
}

bool isIdentifierPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('@')
        || c == QLatin1Char('$');
}

class Lexer
{
public:
    explicit Lexer(const QString &batch)
        : m_text(batch)
    { }

    SqlLexResult run()
    {
        SqlLexResult result;
        while (true) {
            skipBlanksAndComments();
            if (m_pos >= m_text.size() || m_failed) {
                SqlToken end;
                end.offset = m_pos;
                end.line = m_line;
                m_tokens << end;
                break;
            }
            if (!readToken()) {
                SqlToken end;
                end.offset = m_pos;
                end.line = m_line;
                m_tokens << end;
                break;
            }
        }
        result.tokens = m_tokens;
        result.errors = m_errors;
        result.unclosedText = m_unclosedText;
        result.unclosedLine = m_unclosedLine;
        return result;
    }

private:
    QChar at(qsizetype i) const { return i < m_text.size() ? m_text.at(i) : QChar(); }

    void advance(qsizetype count)
    {
        for (qsizetype i = 0; i < count && m_pos < m_text.size(); ++i) {
            if (m_text.at(m_pos) == QLatin1Char('\n'))
                ++m_line;
            ++m_pos;
        }
    }

    void skipBlanksAndComments()
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c.isSpace()) {
                advance(1);
            } else if (c == QLatin1Char('-') && at(m_pos + 1) == QLatin1Char('-')) {
                while (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char('\n'))
                    advance(1);
            } else if (c == QLatin1Char('/') && at(m_pos + 1) == QLatin1Char('*')) {
                // Block comments nest in T-SQL.
                const int startLine = m_line;
                int depth = 0;
                while (m_pos < m_text.size()) {
                    if (m_text.at(m_pos) == QLatin1Char('/') && at(m_pos + 1) == QLatin1Char('*')) {
                        ++depth;
                        advance(2);
                    } else if (m_text.at(m_pos) == QLatin1Char('*') && at(m_pos + 1) == QLatin1Char('/')) {
                        --depth;
                        advance(2);
                        if (depth == 0)
                            break;
                    } else {
                        advance(1);
                    }
                }
                if (depth > 0) {
                    ServerMessage error = serverMessage(Msg::MissingEndComment);
                    error.line = startLine;
                    m_errors << error;
                    m_failed = true;
                    return;
                }
            } else {
                return;
            }
        }
    }

    // Reads a quoted run that ends with `close`, where a doubled `close` stands for one.
    bool readQuoted(SqlToken &token, qsizetype contentStart, QChar close)
    {
        QString value;
        qsizetype i = contentStart;
        while (i < m_text.size()) {
            const QChar c = m_text.at(i);
            if (c == close) {
                if (at(i + 1) == close) {
                    value += close;
                    i += 2;
                    continue;
                }
                token.value = value;
                token.text = m_text.mid(token.offset, i + 1 - token.offset);
                advance(i + 1 - m_pos);
                return true;
            }
            value += c;
            ++i;
        }
        // Unclosed: SQL Server quotes the rest of the batch after the opening mark.
        const QString rest = m_text.mid(contentStart);
        ServerMessage unclosed = serverMessage(Msg::UnclosedQuotation, { rest });
        unclosed.line = token.line;
        m_errors << unclosed;
        m_unclosedText = rest;
        m_unclosedLine = token.line;
        m_failed = true;
        return false;
    }

    // SQL Server refuses an empty delimited identifier ([] or "") and one over 128 characters while
    // it reads the batch, so nothing of the batch runs.
    bool checkIdentifier(const SqlToken &token)
    {
        ServerMessage error;
        if (token.kind == SqlToken::Kind::QuotedIdentifier && token.value.isEmpty())
            error = serverMessage(Msg::EmptyIdentifier);
        else if (token.value.size() > MaxIdentifierLength)
            error = serverMessage(Msg::IdentifierTooLong,
                { token.value.left(MaxIdentifierLength), QString::number(MaxIdentifierLength) });
        else
            return true;
        error.line = token.line;
        m_errors << error;
        m_failed = true;
        return false;
    }

    bool readToken()
    {
        SqlToken token;
        token.offset = m_pos;
        token.line = m_line;
        const QChar c = m_text.at(m_pos);

        if ((c == QLatin1Char('N') || c == QLatin1Char('n')) && at(m_pos + 1) == QLatin1Char('\'')) {
            token.kind = SqlToken::Kind::String;
            token.national = true;
            if (!readQuoted(token, m_pos + 2, QLatin1Char('\'')))
                return false;
        } else if (c == QLatin1Char('\'')) {
            token.kind = SqlToken::Kind::String;
            if (!readQuoted(token, m_pos + 1, QLatin1Char('\'')))
                return false;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            token.kind = SqlToken::Kind::QuotedIdentifier;
            if (!readQuoted(token, m_pos + 1, c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"')))
                return false;
            if (!checkIdentifier(token))
                return false;
        } else if (isIdentifierStart(c) || c == QLatin1Char('@')) {
            token.kind = c == QLatin1Char('@') ? SqlToken::Kind::Variable : SqlToken::Kind::Identifier;
            qsizetype end = m_pos + 1;
            while (end < m_text.size() && isIdentifierPart(m_text.at(end)))
                ++end;
            token.text = m_text.mid(m_pos, end - m_pos);
            token.value = token.text;
            advance(end - m_pos);
            if (!checkIdentifier(token))
                return false;
        } else if (c.isDigit() || (c == QLatin1Char('.') && at(m_pos + 1).isDigit())) {
            token.kind = SqlToken::Kind::Number;
            qsizetype end = m_pos;
            while (end < m_text.size() && (m_text.at(end).isDigit() || m_text.at(end) == QLatin1Char('.')))
                ++end;
            token.text = m_text.mid(m_pos, end - m_pos);
            token.value = token.text;
            advance(end - m_pos);
        } else {
            token.kind = SqlToken::Kind::Symbol;
            static const QStringList twoCharacterSymbols { QStringLiteral("<>"), QStringLiteral("!="),
                QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("!<"), QStringLiteral("!>") };
            const QString two = m_text.mid(m_pos, 2);
            token.text = twoCharacterSymbols.contains(two) ? two : QString(c);
            token.value = token.text;
            advance(token.text.size());
        }
        m_tokens << token;
        return true;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    bool m_failed = false;
    QList<SqlToken> m_tokens;
    QList<ServerMessage> m_errors;
    std::optional<QString> m_unclosedText;
    int m_unclosedLine = 0;
};

} // namespace

bool SqlToken::isKeyword(QStringView keyword) const
{
    return kind == Kind::Identifier && value.compare(keyword, Qt::CaseInsensitive) == 0;
}

SqlLexResult tokenizeSql(const QString &batch)
{
    return Lexer(batch).run();
}

bool isReservedKeyword(QStringView word)
{
    static const QSet<QString> keywords = [] {
        const char *const list[] = {
            "ADD",
            "ALL",
            "ALTER",
            "AND",
            "ANY",
            "AS",
            "ASC",
            "BACKUP",
            "BEGIN",
            "BETWEEN",
            "BREAK",
            "BY",
            "CASE",
            "CHECK",
            "CHECKPOINT",
            "CLOSE",
            "COLUMN",
            "COMMIT",
            "CONTINUE",
            "CREATE",
            "CROSS",
            "DATABASE",
            "DBCC",
            "DEALLOCATE",
            "DECLARE",
            "DEFAULT",
            "DELETE",
            "DENY",
            "DESC",
            "DISK",
            "DISTINCT",
            "DROP",
            "ELSE",
            "END",
            "ESCAPE",
            "EXEC",
            "EXECUTE",
            "EXISTS",
            "FETCH",
            "FILE",
            "FOR",
            "FROM",
            "FULL",
            "FUNCTION",
            "GOTO",
            "GRANT",
            "GROUP",
            "HAVING",
            "IF",
            "IN",
            "INDEX",
            "INNER",
            "INSERT",
            "INTO",
            "IS",
            "JOIN",
            "KEY",
            "KILL",
            "LEFT",
            "LIKE",
            "LOAD",
            "MERGE",
            "NOT",
            "NULL",
            "OF",
            "OFF",
            "ON",
            "OPEN",
            "OPTION",
            "OR",
            "ORDER",
            "OUTER",
            "PRINT",
            "PROC",
            "PROCEDURE",
            "RAISERROR",
            "RECONFIGURE",
            "RESTORE",
            "RETURN",
            "REVOKE",
            "RIGHT",
            "ROLLBACK",
            "SAVE",
            "SELECT",
            "SET",
            "SHUTDOWN",
            "TABLE",
            "THEN",
            "TO",
            "TOP",
            "TRAN",
            "TRANSACTION",
            "TRUNCATE",
            "UNION",
            "UNIQUE",
            "UPDATE",
            "USE",
            "VALUES",
            "VIEW",
            "WAITFOR",
            "WHEN",
            "WHERE",
            "WHILE",
            "WITH",
        };
        QSet<QString> set;
        for (const char *word : list)
            set.insert(QString::fromLatin1(word));
        return set;
    }();
    return keywords.contains(word.toString().toUpper());
}

} // namespace standin
