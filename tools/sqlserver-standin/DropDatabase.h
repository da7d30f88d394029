#pragma once

#include "SqlCursor.h"
#include "StatementRunner.h"

namespace standin {

// DROP DATABASE [IF EXISTS] name [, name ...], from the DROP keyword.
DropDatabaseStatement parseDropDatabase(SqlCursor &cursor);
// Removes each database from the catalogue and deletes its files.
void runDropDatabase(BatchState &batch, const DropDatabaseStatement &drop, int line);

} // namespace standin
