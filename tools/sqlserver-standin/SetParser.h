#pragma once

#include "Messages.h"
#include "SqlLexer.h"
#include "SqlStatement.h"

#include <variant>

namespace standin {

// Where a SET statement cannot be read: the token a server's parser stops at.
struct SetSyntaxError
{
    qsizetype at = 0;
};

using SetParse = std::variant<SetStatement, UnsupportedStatement, SetSyntaxError, ServerMessage>;

// Reads the SET statement that starts at tokens[pos] (the SET keyword); pos ends past what it read.
// An unknown option gives the server's message for it (195); a variable assignment is a SET the
// stand-in does not run.
SetParse parseSetStatement(const QList<SqlToken> &tokens, qsizetype &pos);

} // namespace standin
