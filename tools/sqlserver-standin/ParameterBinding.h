#pragma once

#include "SqlLexer.h"
#include "SqlStatement.h"

namespace standin {

// Puts the values of a remote procedure call's parameters in place of the variables that name
// them, as literals (a string as N'...'); variables without a value stay for the parser to refuse.
void bindParameters(QList<SqlToken> &tokens, const BoundParameters &parameters);

} // namespace standin
