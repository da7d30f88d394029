#pragma once

#include "SqlCursor.h"
#include "StatementRunner.h"

namespace standin {

// ALTER DATABASE name SET ONLINE | OFFLINE [WITH ROLLBACK IMMEDIATE | NO_WAIT], from the ALTER keyword.
// Other ALTER DATABASE forms give an UnsupportedStatement.
Statement parseAlterDatabase(SqlCursor &cursor);
// Takes the database offline or brings it back, as sys.databases then reports.
void runAlterDatabase(BatchState &batch, const AlterDatabaseStatement &alter, int line);

} // namespace standin
