#pragma once

#include "SqlStatement.h"
#include "StatementRunner.h"

namespace standin {

// Whether the name is one of the extended procedures that look at the server's file system.
bool isServerFileProcedure(const QString &name);
// xp_fileexist 'path': one row (File Exists, File is a Directory, Parent Directory Exists);
// xp_fixeddrives: a row (drive, MB free) per drive in Windows mode, none on Linux.
void runServerFileProcedure(BatchState &batch, const ExecStatement &exec, int line);

} // namespace standin
