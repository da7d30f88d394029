#pragma once

#include "Messages.h"

#include <QList>
#include <QString>

#include <optional>

namespace standin {

// One lexical token of a T-SQL batch.
struct SqlToken
{
    enum class Kind { End, Identifier, QuotedIdentifier, String, Number, Variable, Symbol };

    Kind kind = Kind::End;
    QString text; // as written in the batch
    QString value; // identifier without brackets or quotes, string content with '' undoubled, symbol text
    bool national = false; // N'...'
    bool bound = false; // a variable replaced by the value of a remote procedure call's parameter
    qsizetype offset = 0;
    int line = 1;

    // A plain (unbracketed) identifier equal to the keyword, compared case-insensitively.
    bool isKeyword(QStringView keyword) const;
    bool isSymbol(QStringView symbol) const { return kind == Kind::Symbol && value == symbol; }
    bool isName() const { return kind == Kind::Identifier || kind == Kind::QuotedIdentifier; }
};

struct SqlLexResult
{
    QList<SqlToken> tokens; // always ends with an End token (placed where lexing stopped on an error)
    QList<ServerMessage> errors;
    // Set when a string or bracketed name is not closed: the rest of the batch after the opening mark.
    std::optional<QString> unclosedText;
    int unclosedLine = 0;
};

// Splits a batch into tokens. Comments and blanks are dropped; an unclosed string, bracketed
// identifier or comment yields the errors SQL Server gives for it.
SqlLexResult tokenizeSql(const QString &batch);

// True for T-SQL reserved keywords (those SQL Server reports with "near the keyword").
bool isReservedKeyword(QStringView word);

} // namespace standin
