#pragma once

#include "SqlStatement.h"
#include "StatementRunner.h"

namespace standin {

// RESTORE FILELISTONLY, HEADERONLY and DATABASE from the stand-in's backup files.
Engine::Outcome runRestore(BatchState &batch, const RestoreStatement &restore, int line);

} // namespace standin
