#pragma once

#include "SqlStatement.h"
#include "StatementRunner.h"

namespace standin {

// SELECT over the system tables and views the stand-in has (sysdatabases, sysdevices, sys.databases,
// ...) and the server's own properties.
Table evaluateSelect(BatchState &batch, const SelectStatement &select);
// An IF's condition over the server's values (DB_ID(N'name') IS NOT NULL, ...): true only when it holds.
bool evaluateCondition(BatchState &batch, const Condition &condition);
// Runs a SELECT statement: its result set and DONE.
void runSelect(BatchState &batch, const SelectStatement &select);

} // namespace standin
