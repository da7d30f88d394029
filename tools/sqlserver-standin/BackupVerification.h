#pragma once

#include "SqlStatement.h"
#include "StatementRunner.h"

namespace standin {

// RESTORE VERIFYONLY [WITH CHECKSUM]: 3262 "The backup set on file 1 is valid." for a sound backup,
// else the reason and 3013 "VERIFY DATABASE is terminating abnormally.".
void runVerifyOnly(BatchState &batch, const RestoreStatement &restore, int line);

} // namespace standin
