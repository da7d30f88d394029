#pragma once

#include "Messages.h"
#include "SqlStatement.h"

namespace standin {

struct ParsedBatch
{
    QList<Statement> statements;
    QList<ServerMessage> errors; // compile errors: when not empty, nothing of the batch runs
};

// Parses a batch into the statements the stand-in can run. Anything it cannot parse gives the
// syntax errors SQL Server would give (102, 105, 156, ...).
// `codePage` (0 for none) is the server's: string literals without N are converted through it.
// `parameters` are a remote procedure call's: their values stand where the batch names them.
ParsedBatch parseSqlBatch(const QString &batch, int codePage = 0, const BoundParameters &parameters = {});

} // namespace standin
