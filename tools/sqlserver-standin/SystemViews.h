#pragma once

#include "SqlStatement.h"
#include "StatementRunner.h"

#include <optional>

namespace standin {

// The catalog views and dynamic management views the stand-in has: sys.databases, sys.master_files,
// sys.backup_devices and sys.dm_server_services; nullopt for any other name.
std::optional<Table> systemView(BatchState &batch, const ObjectName &object);
// CROSS APPLY of a table-valued function to each row of `source`: sys.dm_os_volume_stats(database_id,
// file_id), the volume each database file lies on.
Table applyFunction(BatchState &batch, const Table &source, const AppliedFunction &apply);

} // namespace standin
