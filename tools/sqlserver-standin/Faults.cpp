#include "Faults.h"

namespace standin {

bool FaultOptions::shouldDelay(const QString &batch) const
{
    if (delayMs <= 0)
        return false;
    if (delayMatch.pattern().isEmpty())
        return true;
    return delayMatch.match(batch).hasMatch();
}

bool FaultOptions::shouldDropAt(int batchNumber) const
{
    return dropAfterStatements >= 0 && batchNumber > dropAfterStatements;
}

} // namespace standin
