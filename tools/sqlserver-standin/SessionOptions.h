#pragma once

#include "SqlStatement.h"

#include <QHash>
#include <QString>

namespace standin {

struct BatchState;

// What SET statements changed for one connection.
struct SessionOptions
{
    bool noCount = false; // DONE tokens carry no row count; procedures send no DONEINPROC per statement
    // Every other option as last set (ON, OFF or its value): accepted, but changes no answer.
    QHash<QString, QString> others;
};

// Runs one SET statement: remembers it in the batch's session options, or refuses an option that
// would change answers the stand-in cannot give (SET NOEXEC ON, SET SHOWPLAN_XML ON, ...).
void runSet(BatchState &batch, const SetStatement &statement, int line);

} // namespace standin
