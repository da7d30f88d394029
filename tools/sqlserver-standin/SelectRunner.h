#pragma once

#include "SqlStatement.h"
#include "StatementRunner.h"

namespace standin {

// SELECT over the system tables the stand-in has (sysdatabases, sysdevices) and the server's own
// properties.
Table evaluateSelect(BatchState &batch, const SelectStatement &select);
// Runs a SELECT statement: its result set and DONE.
void runSelect(BatchState &batch, const SelectStatement &select);

} // namespace standin
