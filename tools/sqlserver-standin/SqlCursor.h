#pragma once

#include "SqlLexer.h"
#include "SqlStatement.h"

#include <optional>

namespace standin {

// Thrown inside the parsers to unwind to the batch level with the error SQL Server reports.
struct SyntaxError
{
    ServerMessage message;
};

// The tokens of one batch and the reading position every statement parser shares, with the
// reading steps they have in common. A step that finds what SQL Server would not accept throws
// SyntaxError with SQL Server's message for it.
class SqlCursor
{
public:
    // How deeply parentheses, NOT and IF may nest: beyond it the batch is refused (191) rather than
    // the parser's recursion running out of stack.
    static constexpr int MaxNesting = 256;

    // Counts one level of nesting for as long as it lives.
    class NestingLevel
    {
    public:
        NestingLevel(SqlCursor &cursor, const SqlToken &where);
        ~NestingLevel() { --m_cursor.m_depth; }
        NestingLevel(const NestingLevel &) = delete;
        NestingLevel &operator=(const NestingLevel &) = delete;

    private:
        SqlCursor &m_cursor;
    };

    SqlCursor(QList<SqlToken> tokens, std::optional<QString> unclosedText, int unclosedLine);

    const SqlToken &peek(qsizetype ahead = 0) const;
    const SqlToken &next();

    [[noreturn]] void failAt(const SqlToken &where) const;
    void expectKeyword(QStringView keyword);
    void expectSymbol(QStringView symbol);
    [[noreturn]] void rejectVariable(const SqlToken &token) const;

    // A name that may stand where SQL Server expects an identifier.
    bool isNameToken(const SqlToken &token) const;
    QString parseName();
    ObjectName parseObjectName();
    QString parseStringOrFail();
    SqlValue parseLiteral();
    bool startsLiteral(const SqlToken &token) const;

protected:
    QList<SqlToken> m_tokens;
    qsizetype m_pos = 0;

private:
    std::optional<QString> m_unclosedText;
    int m_unclosedLine = 0;
    int m_depth = 0;
};

} // namespace standin
