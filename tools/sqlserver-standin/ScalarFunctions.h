#pragma once

#include "SqlStatement.h"
#include "StatementRunner.h"

#include <memory>

namespace standin {

// The condition with every scalar function call (DB_ID, DB_NAME) replaced by its value, so it can be
// evaluated row by row; 195 for a function the stand-in does not know.
std::shared_ptr<Condition> withFunctionValues(BatchState &batch, const std::shared_ptr<Condition> &condition);

} // namespace standin
