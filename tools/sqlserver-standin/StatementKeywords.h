#pragma once

#include "SqlLexer.h"

namespace standin {

// Statements SQL Server knows that the stand-in recognises only to refuse them (INSERT, DROP, ...).
bool isUnsupportedStatementKeyword(const SqlToken &token);

// Whether the token ends the statement before it: the batch's end, a semicolon or a keyword that
// starts a statement.
bool endsStatement(const SqlToken &token);

// Whether a SELECT the stand-in stops reading at this token may go on as valid SQL: an operator,
// a parenthesis or a keyword such as ORDER or LIKE, but not the end, a comma, a literal or a keyword
// that a server would also find misplaced there (FROM, WHERE, AS, ...).
bool continuesSelect(const SqlToken &token);

// Whether the parentheses from tokens[from] to the batch's end pair up.
bool parenthesesPair(const QList<SqlToken> &tokens, qsizetype from);

} // namespace standin
