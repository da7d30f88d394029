#pragma once

#include "SqlStatement.h"
#include "StatementRunner.h"

namespace standin {

// EXEC of the system procedures the stand-in has (sp_addumpdevice, sp_dropdevice).
void runProcedure(BatchState &batch, const ExecStatement &exec, int line);

} // namespace standin
