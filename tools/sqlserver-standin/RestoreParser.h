#pragma once

#include "SqlCursor.h"

namespace standin {

// RESTORE variants SQL Server has that the stand-in does not carry out (RESTORE LOG, LABELONLY, ...).
bool isUnsupportedRestoreKind(const SqlToken &token);
// RESTORE DATABASE | FILELISTONLY | HEADERONLY | VERIFYONLY FROM ... [WITH ...], from the RESTORE keyword.
RestoreStatement parseRestore(SqlCursor &cursor);

} // namespace standin
