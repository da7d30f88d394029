#pragma once

#include "BackupFile.h"
#include "ResultSet.h"
#include "ServerVersion.h"

namespace standin {

// RESTORE HEADERONLY's result set for a stand-in backup: one full database backup set. The column
// set is the one of the answering server's release (releases from 16 on add three columns).
QList<ResultColumn> backupHeaderColumns(const ServerVersion &server);
ResultRow backupHeaderRow(const BackupContents &backup, const ServerVersion &server);

} // namespace standin
